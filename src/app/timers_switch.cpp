#include "app/timers_switch.h"

#include <iostream>

#include "app/app.h"
#include "app/groups_panel.h"
#include "app/main_clock.h"
#include "windows/main_window.h"
#include "platform/text.h"
#include "timers/timer_engine.h"
#include "timers/timer_service.h"
#include "windows/timer_window.h"

namespace zul::app {

namespace {
LangLookup languageOf(App& app) {
    return {[&app](const std::string& t) { return app.tr(t); },
            [&app](const std::string& t) { return app.language.langTip(t); }};
}

// A failure of the unattended timers: standard error and the error log.
std::function<void(const std::string&)> faultReport(App& app, std::string procedure, std::string window) {
    return [&app, procedure = std::move(procedure), window = std::move(window)](const std::string& text) {
        std::cerr << "zulmarin: " << printable(text) << std::endl;
        app.logError(procedure, window, text);
    };
}

void notify(App& app, bool loaded) {
    app.windows().timersChanged(loaded);
    app.timersSwitched(loaded);
}
} // namespace

std::unique_ptr<TimerService> makeTimerService(App& app) {
    auto service =
        std::make_unique<TimerService>(app.clock, app.loop, app.settings, app.dialogs, app.folder, languageOf(app));
    TimerEngineHooks hooks;
    hooks.startGroup = [&app](int group, const std::string& action) { app.groups->runner().strtGroup(group, action); };
    hooks.indicator = [&app](bool running) { app.mainClock->setTimerRunning(running); };
    hooks.lamp = [&app](bool lit) { app.mainClock->setLamp(lit); };
    service->createEngine({app.transmitter, app.sounds, app.errorLog, app.desktop, app.StopAll}, hooks);
    service->scheduler().logError = faultReport(app, "Timer2_Timer", "FrmTimers");
    service->log().saveFailed = faultReport(app, "tmrLogWrite_Timer", "frmTimerStatus");
    return service;
}

bool timersOn(const App& app) { return app.timers && app.timers->scheduler().masterSwitch(); }

bool loadTimers(App& app) {
    if (app.timers) return true;
    auto service = makeTimerService(app);
    if (const auto error = service->load()) {
        app.dialogs.message("The timer data file could not be read.\n" + error.message());
        return false;
    }
    app.timers = std::move(service);
    app.timerWindow = std::make_unique<windows::TimerWindowForm>(
        windows::TimerWindowParts{*app.timers, app.settings, app.dialogs, app.sounds, app.clock, languageOf(app)});
    app.timerWindow->switchChanged = [&app] { notify(app, true); };
    app.timerWindowOpen = true;
    app.mainWindow->appendTimerCommand = [&app](const std::string& text) {
        if (app.timerWindow) app.timerWindow->appendCommand(text);
    };
    notify(app, true);
    return true;
}

void unloadTimers(App& app, bool ask) {
    if (!app.timers) return;
    if (ask) app.timerWindow->askToSave();
    notify(app, false);
    app.timers->log().unload();
    app.mainWindow->appendTimerCommand = nullptr;
    app.timerWindowOpen = false;
    app.timerWindow.reset();
    app.timers.reset();
    app.mainClock->setTimerRunning(false);
}

bool switchTimers(App& app, bool on) {
    if (on) {
        if (!loadTimers(app)) return false;
        app.timerWindow->setMasterSwitch(true);
        return true;
    }
    if (!app.timers) return false;
    app.timerWindow->setMasterSwitch(false);
    if (!app.windows().timerWindowShown()) unloadTimers(app);
    return false;
}

void openTimerWindow(App& app) {
    if (loadTimers(app)) app.windows().showTimerWindow();
}

void openTimerLog(App& app) {
    if (loadTimers(app)) app.windows().showTimerLog();
}

} // namespace zul::app
