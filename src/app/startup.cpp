#include "app/startup.h"

#include "platform/text.h"

#include <algorithm>
#include <cctype>

#include "app/app.h"
#include "app/groups_panel.h"
#include "app/guarded.h"
#include "app/main_clock.h"
#include "windows/main_window.h"
#include "app/options.h"
#include "app/placement.h"
#include "app/timers_switch.h"
#include "windows/timer_window.h"
#include "settings/settings_store.h"

namespace zul::app {

namespace {
std::string lowerLast4(const std::string& text) {
    return asciiLower(text.size() > 4 ? text.substr(text.size() - 4) : text);
}

bool endsWithNoCase(const std::string& text, const std::string& end) {
    if (text.size() < end.size()) return false;
    return equalsNoCase(text.substr(text.size() - end.size()), end);
}

std::string dateText(const DateTime& t) { return t.isoText().substr(0, 10); }
} // namespace

Startup::Startup(App& app) : app_(app) {
    afterStart_ = app.loop.createTick("afterStart", AfterStartMs, [this] { afterStartTick(); });
    startUp_ = app.loop.createTick("tmrStartUp", StartUpMs, [this] { startUpTick(); });
    acro_ = app.loop.createTick("tmrAcro", AcroMs, [this] {
        // A macro that arrives while the program starts waits for the port.
        if (phase_ != Phase::Running || pendingMacros_.empty()) {
            if (pendingMacros_.empty()) acro_->setEnabled(false);
            return;
        }
        const PendingMacro macro = pendingMacros_.front();
        pendingMacros_.pop_front();
        if (pendingMacros_.empty()) acro_->setEnabled(false);
        if (runMacro) runMacro(macro.path, macro.done, macro.stopRequested);
        else if (macro.done) macro.done();
        app_.loop.processEvents();
    });
}

Startup::~Startup() = default;

void Startup::enter(const std::string& commandLine) {
    phase_ = Phase::Starting;
    {
        GuardedHandler guard(app_, "Sub Main", "modX, X**");
        guard.step([&] { app_.removeLeftoverSaves(); });
        guard.step([&] {
            std::error_code ec;
            if (!std::filesystem::exists(app_.language.file(), ec))
                writeSetting(app_.settings, Setting::Language, "English");
        });
        guard.step([&] {
            app_.codes.loadHouseCodes();
            app_.codes.loadUnitCodes();
        });
        guard.step([&] {
            const auto path = recordStorePath(app_.settings, app_.folder);
            if (!app_.records.open(path)) guard.fail(recordStoreProblemText(app_.records));
        });
        guard.step([&] {
            const std::string doSet = readSetting(app_.settings, Setting::AssociateMacros);
            app_.associateMacroFiles = equalsNoCase(doSet, "Yes") || equalsNoCase(doSet, "True");
            writeSetting(app_.settings, Setting::AssociateMacros, app_.associateMacroFiles ? "True" : "False");
        });
        guard.step([&] {
            if (!app_.windows().showSplash()) loadMainWindow();
        });
        guard.step([&] { writeSetting(app_.settings, Setting::CurrentVersion, ZUL_VERSION); });
        guard.step([&] {
            // Said once, after the start-up's own writes: settings that could not be
            // read are the defaults and never written; settings that cannot be
            // saved last until the program ends.
            if (const std::string text = settingsProblemText(app_.settings, false); !text.empty()) {
                app_.errorLog.writeErrorLog(settingsProblemText(app_.settings, true));
                app_.dialogs.message(text);
            }
        });
    }
    if (!commandLine.empty()) setCommand(commandLine);
}

void Startup::loadMainWindow() {
    if (phase_ != Phase::Starting) return;
    // Placement and the captions are the window's; the association and the sound files are done here.
    checkMacroAssociation(app_);
    app_.sounds.load();
    loadOptions();
    phase_ = Phase::Loaded;
    app_.mainClock->start();
    afterStart_->setEnabled(true);
}

void Startup::loadOptions() {
    app_.groups->restore();
    app_.showToolTips = readSetting(app_.settings, Setting::ShowToolTips) != "0";
    app_.minimizeOnStart = readSetting(app_.settings, Setting::MinOnStart) == "True";
    if (app_.minimizeOnStart) startUp_->setEnabled(true);
    app_.minimizeToTray = readSetting(app_.settings, Setting::MinToTray) == "1";
    // The running copy is found through its single-instance channel; the
    // process id is kept here for the user's information.
    if (app_.processId) writeSetting(app_.settings, Setting::WindowHandle, std::to_string(app_.processId));
}

void Startup::afterStartTick() {
    afterStart_->setEnabled(false);
    if (phase_ != Phase::Loaded) return;
    app_.windows().setTimersToggle(app_.records.readRecord(RecordNumber::TimersSwitch, true) == "1");
    restoreState();
    if (!app_.minimizeOnStart) app_.windows().showMainWindow();
    // The splash stays until now, so that the screen is never empty.
    app_.windows().closeSplash();
    // Without the record store there is no stored port to open, and none could be kept.
    if (app_.records.isOpen()) app_.portLink.openAtStartup();
    else app_.dialogs.message(recordStoreProblemText(app_.records));
    phase_ = Phase::Running;
    if (!pendingMacros_.empty()) acro_->setEnabled(true);
    app_.windows().startupOver();
}

void Startup::restoreState() {
    app_.mainWindow->restoreHouseAndPage();
    app_.groups->restore();
    if (app_.records.readRecord(RecordNumber::FirstRun, true).empty()) {
        firstStartLauncher(app_);
        app_.records.writeRecord(RecordNumber::FirstRun, dateText(app_.clock.now()), true);
    }
    app_.groupLabels.load(app_.folder);
    app_.mainWindow->refreshDescriptions();
    app_.sounds.setOn(readSetting(app_.settings, Setting::SoundsOn) != "False");
}

void Startup::startUpTick() {
    startUp_->setEnabled(false);
    if (app_.minimizeOnStart) {
        app_.windows().minimizeAtStart();
    } else {
        writeSetting(app_.settings, Setting::MinOnStart, "False");
    }
}

void Startup::setCommand(const std::string& text, std::function<void()> done, std::function<bool()> stopRequested) {
    command_ = text;
    handleCommand(std::move(done), std::move(stopRequested));
}

void Startup::handleCommand(std::function<void()> done, std::function<bool()> stopRequested) {
    std::string text = command_;
    text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
    const std::string tail = lowerLast4(text);
    if (tail == ".cro") {
        pendingMacros_.push_back({text, std::move(done), std::move(stopRequested)});
        acro_->setEnabled(true);
        command_.clear();
        return;
    }
    if (tail == ".zlu") {
        command_.clear();
        app_.windows().showUninstaller();
    } else if (tail == "ious") {
        command_.clear();
        app_.windows().bringToFront();
    }
    if (done) done();
}

void Startup::dropFiles(const std::vector<std::string>& files) {
    if (files.empty()) return;
    if (endsWithNoCase(files.front(), "cro.lnk")) app_.desktop.open(files.front());
    else setCommand(files.front());
}

bool Startup::exitProgram() {
    if (phase_ == Phase::Closing || phase_ == Phase::Ended) return true;
    if (asking_) return false; // a second Exit while the first one's question is open
    asking_ = true;
    const bool settled = app_.windows().settleUnsavedWork();
    // The timers' question has no Cancel: it comes last.
    if (settled && app_.timerWindow && phase_ != Phase::Ended) app_.timerWindow->askToSave();
    asking_ = false;
    // A stop signal may have ended the program while a question was open.
    if (phase_ == Phase::Closing || phase_ == Phase::Ended) return true;
    if (!settled) return false;
    app_.sounds.setOn(false);
    app_.StopAll = true;
    app_.loop.processEvents();
    mainWindowClosed();
    return true;
}

void Startup::stopNow() {
    if (phase_ == Phase::Closing || phase_ == Phase::Ended) return;
    app_.windows().keepUnsavedWork();
    if (app_.timerWindow && app_.timerWindow->unsaved()) {
        const std::string lost = "The changes to the timers were not saved: the program was stopped.";
        app_.logError("stopNow", "FrmTimers", lost);
        if (journal) journal(lost);
    }
    app_.sounds.setOn(false);
    mainWindowClosed();
}

void Startup::mainWindowClosed() {
    if (phase_ == Phase::Closing || phase_ == Phase::Ended) return;
    // Before the main window was placed there is no place of it to keep.
    const bool placed = phase_ == Phase::Running;
    phase_ = Phase::Closing;
    app_.StopAll = true;
    SettingsBackend& s = app_.settings;
    const auto position = app_.windows().mainWindowPosition();
    if (placed && position && !app_.windows().mainWindowMinimized())
        storeWindowPosition(s, MainWindowPositionKeys, *position);
    writeSetting(s, Setting::CurrentVersion, ZUL_VERSION);
    writeSetting(s, Setting::CurrentExePath, app_.folder.string());
    if (const auto timersOn = app_.windows().timersToggle())
        app_.records.writeRecord(RecordNumber::TimersSwitch, *timersOn ? "1" : "0", true);
    app_.StopAll = false;
    app_.transmitter.pause(0.1);
    app_.StopAll = true; // nothing starts again while the program ends
    app_.mainClock->stop();
    unloadTimers(app_, false); // its question was asked before the closing began
    app_.windows().closeWindows();
    app_.records.close();
    if (app_.restartMarked) {
        writeSetting(s, Setting::Restart, "restart");
        if (restartProgram) restartProgram();
    }
    phase_ = Phase::Ended;
    app_.windows().quit();
}

} // namespace zul::app
