#pragma once
// The group recorder of the macro editor's "Setup Groups" tab, without
// widgets: the current group, the label and contents boxes, the recorded
// codes, and the Rec / Save Group / Update Label / Delete Group / Start Over /
// Remove operations. Questions and messages go through Dialogs.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "macros/group_file.h"

namespace zul {
class Dialogs;
}

namespace zul::macros {

enum class RecorderState {
    Idle,             // nothing recorded; Save Group and Start Over disabled
    Recording,        // the record button is down
    StoppedWithItems, // the button is up and recorded items wait to be saved
    Saved,            // the items went into a group file; behaves as Idle
};

struct GroupRecorderServices {
    Translate translate = untranslated;
    // Plays the record sound; the owner decides whether sounds are on.
    std::function<void()> playSound;
    // Recording started (true) or stopped (false): the main window's flashing
    // indicator, macro recording disabled while true, and the
    // send-while-recording flag taken from "SendOnRecord".
    std::function<void(bool recording)> recordingChanged;
    // Start Over empties the main window's two hand-over captions.
    std::function<void()> clearHandOver;
    // An error-log entry (a group file that cannot be read).
    std::function<void(const std::string&)> logError;
};

class GroupRecorder {
public:
    enum class SaveResult { Saved, NothingRecorded, Cancelled, WriteFailed };

    GroupRecorder(std::filesystem::path programFolder, GroupLabels& labels, Dialogs& dialogs,
                  GroupRecorderServices services = {});

    // The group list: "Group 1 (label)" ... "Group 8 (label)"; a group
    // without a label is just "Group 2".
    std::vector<std::string> listEntries() const;
    // Makes group index (0 to 7) current and shows its label and saved items.
    void selectGroup(int index);
    int currentGroup() const { return current_; }

    const std::string& labelBox() const { return labelBox_; }
    void setLabelBox(std::string_view text) { labelBox_ = cleanGroupLabel(text); }
    const std::string& contentsCaption() const { return contentsCaption_; }
    const std::string& contentsBox() const { return contentsBox_; }

    void startRecording();
    void stopRecording();
    // A code handed over by the main window while recording. Only codes of ON
    // commands are recorded (a group is switched off by turning each into its
    // OFF code); returns whether the code was recorded.
    bool handOver(const std::string& code);
    // Removes the recorded item at position (0-based); false when there is none.
    bool remove(int position);
    void startOver();
    SaveResult saveGroup();
    // "Update Label": the label goes into the group file (a group with no file
    // yet gets one holding only the label); a label that could not be stored
    // is said so and not shown.
    void updateLabel();
    // Deletes the group file after an OK; false when there was nothing to
    // delete or the user cancelled.
    bool deleteGroup();

    RecorderState state() const { return state_; }
    const std::vector<std::string>& recordedCodes() const { return codes_; } // as recorded
    const std::vector<std::string>& recordedTexts() const { return texts_; } // as shown: "C12"
    std::string counterText() const { return std::to_string(texts_.size()); }
    bool counterRed() const { return state_ == RecorderState::Recording; }
    std::string recordCaption() const;
    bool saveEnabled() const { return state_ == RecorderState::Recording || state_ == RecorderState::StoppedWithItems; }
    bool startOverEnabled() const { return saveEnabled(); }
    bool removeEnabled() const { return !texts_.empty(); }
    // Only a group that has a file can be deleted.
    bool deleteEnabled() const;

private:
    std::filesystem::path currentFile() const { return groupFilePath(folder_, current_); }
    int number() const { return current_ + 1; }
    std::string tr(const std::string& text) const { return services_.translate(text); }
    void sound() const;
    void clearRecorded();
    bool askOverwrite();

    std::filesystem::path folder_;
    GroupLabels& labels_;
    Dialogs& dialogs_;
    GroupRecorderServices services_;
    int current_ = 0;
    std::string labelBox_, contentsCaption_, contentsBox_;
    std::vector<std::string> codes_, texts_;
    RecorderState state_ = RecorderState::Idle;
};

} // namespace zul::macros
