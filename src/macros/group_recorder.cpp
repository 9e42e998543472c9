#include "macros/group_recorder.h"

#include "macros/cro_codes.h"
#include "platform/dialogs.h"

namespace zul::macros {

GroupRecorder::GroupRecorder(std::filesystem::path programFolder, GroupLabels& labels, Dialogs& dialogs,
                             GroupRecorderServices services)
    : folder_(std::move(programFolder)), labels_(labels), dialogs_(dialogs), services_(std::move(services)) {
    if (!services_.translate) services_.translate = untranslated;
    selectGroup(0);
}

std::vector<std::string> GroupRecorder::listEntries() const {
    std::vector<std::string> entries;
    for (int i = 0; i < kGroupCount; ++i) {
        std::string entry = "Group " + std::to_string(i + 1);
        if (!labels_.get(i).empty()) entry += " (" + labels_.get(i) + ")";
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool GroupRecorder::deleteEnabled() const {
    std::error_code ec;
    return std::filesystem::is_regular_file(currentFile(), ec);
}

void GroupRecorder::selectGroup(int index) {
    if (index < 0 || index >= kGroupCount) return;
    current_ = index;
    labelBox_ = labels_.get(index);
    contentsCaption_ = tr("Items currently saved in Group") + " " + std::to_string(number()) + " ";
    contentsBox_.clear();
    if (const auto group = readGroupFile(currentFile())) {
        if (labelBox_.empty()) labelBox_ = cleanGroupLabel(group->label);
        contentsBox_ = groupItemsText(group->items);
    }
}

std::string GroupRecorder::recordCaption() const {
    return tr(state_ == RecorderState::Recording ? "Cancel Rec" : "&Rec");
}

void GroupRecorder::sound() const {
    if (services_.playSound) services_.playSound();
}

void GroupRecorder::clearRecorded() {
    codes_.clear();
    texts_.clear();
}

void GroupRecorder::startRecording() {
    if (state_ == RecorderState::Recording) return;
    if (texts_.empty()) sound();
    clearRecorded();
    state_ = RecorderState::Recording;
    if (services_.recordingChanged) services_.recordingChanged(true);
}

void GroupRecorder::stopRecording() {
    if (state_ != RecorderState::Recording) return;
    state_ = texts_.empty() ? RecorderState::Idle : RecorderState::StoppedWithItems;
    if (services_.recordingChanged) services_.recordingChanged(false);
    sound();
}

bool GroupRecorder::handOver(const std::string& code) {
    if (state_ != RecorderState::Recording) return false;
    const auto command = decodeCode(code);
    if (!command || command->action != "ON") return false;
    codes_.push_back(code);
    texts_.push_back(command->house + command->unit);
    return true;
}

bool GroupRecorder::remove(int position) {
    if (position < 0 || static_cast<std::size_t>(position) >= texts_.size()) return false;
    texts_.erase(texts_.begin() + position);
    codes_.erase(codes_.begin() + position);
    if (texts_.empty() && state_ == RecorderState::StoppedWithItems) state_ = RecorderState::Idle;
    return true;
}

void GroupRecorder::startOver() {
    sound();
    if (services_.clearHandOver) services_.clearHandOver();
    clearRecorded();
    stopRecording();
    state_ = RecorderState::Idle;
}

bool GroupRecorder::askOverwrite() {
    std::error_code ec;
    if (!std::filesystem::exists(currentFile(), ec)) return true;
    const std::string title = tr("Group") + " " + std::to_string(number()) + " " + tr("Already Exists!");
    return dialogs_.questionDefaultNo(tr("OK to overwrite existing group?"), title) == Answer::Yes;
}

GroupRecorder::SaveResult GroupRecorder::saveGroup() {
    if (codes_.empty()) return SaveResult::NothingRecorded;
    sound();
    if (labelBox_.empty()) {
        const auto answer = dialogs_.input(
            tr("Please name your Group.  Name should be a short description to identify what the group contains."),
            tr("Name Group"), "");
        setLabelBox(answer.value_or(""));
    }
    if (!askOverwrite()) return SaveResult::Cancelled;
    if (const auto ec = writeGroupFile(currentFile(), number(), labelBox_, codes_)) {
        dialogs_.message(tr("Error") + ": " + currentFile().string() + ": " + ec.message());
        return SaveResult::WriteFailed;
    }
    labels_.set(current_, labelBox_);
    stopRecording();
    selectGroup(current_);
    clearRecorded();
    state_ = RecorderState::Saved;
    return SaveResult::Saved;
}

void GroupRecorder::updateLabel() {
    sound();
    stopRecording();
    const std::filesystem::path file = currentFile();
    const std::string label = cleanGroupLabel(labelBox_);
    std::error_code ec;
    const bool existed = std::filesystem::is_regular_file(file, ec);
    if (existed) {
        goGrLabel("p", file, labelBox_, {&dialogs_, services_.translate, services_.logError, {}, {}});
    } else if (!label.empty()) {
        // A group not recorded yet gets a file holding only its label, so the label stays after a restart.
        writeGroupFile(file, number(), label, {});
    }
    // What the file holds now is what is kept.
    const auto stored = readGroupFile(file);
    if ((existed || !label.empty()) && (!stored || stored->label != label)) {
        dialogs_.message(tr("The label could not be saved to") + " " + file.string() + "\r\n" +
                             tr("The group keeps its label") + " \"" + labels_.get(current_) + "\"",
                         "Group " + std::to_string(number()));
        return;
    }
    labels_.set(current_, label);
    const std::string shown = label.empty() && !existed ? tr("NOTHING!") : label;
    const std::string n = std::to_string(number());
    dialogs_.message(tr("Group") + " " + n + "'s " + tr("label has been changed") + "\r\n to:   \"" + shown + "\"",
                     "Group " + n);
}

bool GroupRecorder::deleteGroup() {
    if (!deleteEnabled()) return false;
    const std::filesystem::path file = currentFile();
    std::error_code ec;
    const std::string n = std::to_string(number());
    if (dialogs_.questionDefaultNo(tr("This will delete all contents of group") + " " + n,
                                   tr("Delete Group") + " " + n) != Answer::Yes)
        return false;
    if (!std::filesystem::remove(file, ec)) {
        dialogs_.message(tr("Error") + ": " + file.string() + ": " + ec.message());
        return false;
    }
    labels_.set(current_, "");
    labelBox_.clear();
    contentsBox_.clear();
    return true;
}

} // namespace zul::macros
