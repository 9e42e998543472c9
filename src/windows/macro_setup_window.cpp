#include "windows/macro_setup_window.h"

#include <algorithm>

#include "app/app.h"
#include "app/main_macro.h"
#include "app/help.h"
#include "windows/main_window.h"
#include "platform/text.h"
#include "settings/settings_store.h"

namespace zul::windows {

namespace {
int storedGroupDelay(const SettingsBackend& settings) {
    try {
        return std::clamp(std::stoi(readSetting(settings, Setting::GroupDelay)), 0, MacroSetupWindowForm::MaxGroupDelayTenths);
    } catch (...) {
        return 6;
    }
}
} // namespace

MacroSetupWindowForm::MacroSetupWindowForm(app::App& app)
    : editor(app.folder, app.dialogs,
             {[&app](const std::string& t) { return app.tr(t); }, [this] { return askPause(); },
              [this] { return calculator.samePauseValue(); }, [&app] { app.sounds.play(SoundEvent::Recorded); },
              [this](bool on) { recordingChanged(on, true); }}),
      groups(app.folder, app.groupLabels, app.dialogs,
             {[&app](const std::string& t) { return app.tr(t); }, [&app] { app.sounds.play(SoundEvent::Recorded); },
              [this](bool on) { recordingChanged(on, false); }, [&app] { app.mainWindow->clearHandOver(); },
              [&app](const std::string& text) { app.logError("goGrLabel", Window, text); }}),
      backup(app.folder, app.dialogs, app.clock, [&app](const std::string& t) { return app.tr(t); }), app_(app) {
    backup.pause = [&app](double seconds) { app.transmitter.pause(seconds); };
    backup.onLeaveBackupFolder = [this] { editor.resetActiveFolder(); };
    // A restore changes what the status line may have said about a macro ("Deleted!").
    backup.onMacroListChanged = [this] { editor.setStatus(backup.status()); };
    app.mainWindow->onHandOverCode = [this](const std::string& code) {
        if (!editor.recording()) return;
        editor.handOver(code);
        notify();
    };
    app.mainWindow->onHandOverSavedCode = [this](const std::string& code) {
        if (groups.handOver(code)) notify();
    };
    groupDelayTenths = storedGroupDelay(app.settings);
}

MacroSetupWindowForm::~MacroSetupWindowForm() {
    app_.mainWindow->onHandOverCode = nullptr;
    app_.mainWindow->onHandOverSavedCode = nullptr;
}

std::optional<std::string> MacroSetupWindowForm::askPause() {
    if (!showPauseCalculator) return std::nullopt;
    const auto result = showPauseCalculator();
    if (result) editor.fastRecord = calculator.samePause;
    return result;
}

void MacroSetupWindowForm::recordingChanged(bool on, bool fromEditor) {
    if (on) {
        // The two recorders exclude each other.
        if (fromEditor) groups.stopRecording();
        else editor.stopRecording();
    }
    app_.mainWindow->setRecording(on);
    if (on) app_.windows().bringToFront();
    notify();
}

bool MacroSetupWindowForm::macroRecordEnabled() const { return groups.state() != macros::RecorderState::Recording; }

void MacroSetupWindowForm::opened() {
    // The window opens as new: an empty editor and the first group.
    stopRequested_ = false;
    editor.clearAll();
    editor.setStatus("");
    groups.selectGroup(0);
    backup.refreshButtons(editor.activeFolder());
    groupDelayTenths = storedGroupDelay(app_.settings);
}

bool MacroSetupWindowForm::closeWithOk() {
    groups.stopRecording();
    saveGroupDelay();
    return editor.settleChanges();
}

void MacroSetupWindowForm::closed() {
    stopRequested_ = true;
    editor.stopRecording();
    groups.stopRecording();
}

std::string MacroSetupWindowForm::keepUnsavedWork() {
    const std::string said = editor.keepUnsaved();
    if (!said.empty()) app_.logError("keepUnsavedWork", Window, said);
    return said;
}

bool MacroSetupWindowForm::play(bool test) {
    if (playing_) return false;
    const auto file = editor.playPath();
    if (!file) {
        editor.setStatus(app_.tr("Select a macro in the list to test or run it."));
        notify();
        return false;
    }
    playing_ = true;
    stopRequested_ = false;
    notify();
    app::NowPlaying how;
    how.wait = test ? editorTestWait(testSpeedSeconds) : EditorRunWait;
    how.stopRequested = [this] { return stopRequested_; };
    how.procedure = test ? "cmdTest_Click" : "cmdRun_Click";
    how.window = Window;
    // While another macro plays this one waits its turn; the buttons stay off till it has played.
    how.finished = [this] {
        playing_ = false;
        notify();
    };
    app::playMacroNow(app_, *file, std::move(how));
    return true;
}

void MacroSetupWindowForm::saveGroupDelay() {
    writeSetting(app_.settings, Setting::GroupDelay, std::to_string(groupDelayTenths));
}

std::string MacroSetupWindowForm::groupDelayText() const {
    const std::string tenths = std::to_string(groupDelayTenths % 10);
    return std::to_string(groupDelayTenths / 10) + "." + tenths + " " + app_.tr("sec.");
}

void MacroSetupWindowForm::openHelp(Tab tab) {
    switch (tab) {
    case MacrosTab: app::showHelp(app_, app::help::MacroEditor); break;
    case GroupsTab: app::showHelp(app_, app::help::SetupGroups); break;
    case ManageTab: app::showHelp(app_, app::help::ManageMacros); break;
    }
}

} // namespace zul::windows
