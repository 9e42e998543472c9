#pragma once
// "Setup Macros & Groups" without widgets: its three tabs' logic
// (the macro editor, the group recorder, the macro backups) tied to the rest
// of the program: the main window's hand-over of recorded commands and its
// "Recording" state, the seconds calculator, the synchronous player for Test
// Macro and Run Macro, the group delay and the help pages.
#include <functional>
#include <optional>
#include <string>

#include "macros/backup.h"
#include "macros/group_recorder.h"
#include "windows/macro_editor_tab.h"
#include "windows/pause_dialog.h"

namespace zul::app {
class App;
} // namespace zul::app

namespace zul::windows {

class MacroSetupWindowForm {
public:
    static constexpr const char* Window = "frmMcrSetup";
    enum Tab { MacrosTab = 0, GroupsTab = 1, ManageTab = 2 };
    static constexpr int MaxTestSeconds = 10;
    static constexpr int MaxGroupDelayTenths = 100;

    explicit MacroSetupWindowForm(app::App& app);
    ~MacroSetupWindowForm();
    MacroSetupWindowForm(const MacroSetupWindowForm&) = delete;
    MacroSetupWindowForm& operator=(const MacroSetupWindowForm&) = delete;

    windows::PauseDialogForm calculator;
    windows::MacroEditorTabForm editor;
    macros::GroupRecorder groups;
    macros::MacroBackup backup;

    // Shows the seconds calculator and waits; the window fills it in.
    std::function<std::optional<std::string>()> showPauseCalculator;
    // The pause the calculator gives (its window, or nothing without one);
    // the editor's recording choice follows its "same pause" option.
    std::optional<std::string> askPause();

    // The window opens: an empty editor, the first group, the restore
    // buttons from the backup folder.
    void opened();
    // "&OK": group recording stops, the group delay is saved and unsaved
    // changes are settled; false keeps the window open.
    bool closeWithOk();
    // The window goes (OK, Cancel or closing): a run stops, recording ends.
    void closed();
    // The program is stopped without questions: the editor's unsaved rows are
    // kept in a recovery file, or said lost, in the error log. The sentence
    // said ("" when nothing was unsaved).
    std::string keepUnsavedWork();

    // Test Macro (test true) or Run Macro: plays the selected file at once,
    // Test Macro with the test speed between rows. False when nothing was
    // selected that can be played, or a run is already going.
    bool play(bool test);
    void stop() { stopRequested_ = true; }
    bool playing() const { return playing_; }
    int testSpeedSeconds = 1;

    // The group delay slider, tenths of a second ("Database16"/"GrDelay").
    int groupDelayTenths = 6;
    void saveGroupDelay();
    // "Group 1 (label)" ... as the group list shows them.
    std::string groupDelayText() const;
    // Whether each recorder's "Rec" may be pressed (the other is not recording).
    bool macroRecordEnabled() const;
    bool groupRecordEnabled() const { return !editor.recording(); }

    // "&Help": the page of the tab shown.
    void openHelp(Tab tab);

    // Something shown changed (a recorded command arrived, a run began or ended).
    std::function<void()> changed;

private:
    void recordingChanged(bool on, bool fromEditor);
    void notify() {
        if (changed) changed();
    }

    app::App& app_;
    bool playing_ = false;
    bool stopRequested_ = false;
};

} // namespace zul::windows
