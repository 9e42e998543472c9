#include "app/timers_switch.h"

#include "app/app.h"
#include "app/groups_panel.h"
#include "app/main_clock.h"
#include "timers/timer_engine.h"
#include "timers/timer_service.h"

namespace zul::app {

std::unique_ptr<TimerService> makeTimerService(App& app) {
    LangLookup lang{[&app](const std::string& t) { return app.tr(t); },
                    [&app](const std::string& t) { return app.language.LangTip(t); }};
    auto service = std::make_unique<TimerService>(app.clock, app.loop, app.settings, app.dialogs, app.folder, lang);
    TimerEngineHooks hooks;
    hooks.startGroup = [&app](int group, const std::string& action) { app.groups->runner().strtGroup(group, action); };
    hooks.indicator = [&app](bool running) { app.mainClock->setTimerRunning(running); };
    hooks.lamp = [&app](bool lit) { app.mainClock->setLamp(lit); };
    service->createEngine({app.transmitter, app.sounds, app.errorLog, app.desktop, app.StopAll}, hooks);
    return service;
}

bool switchTimers(App& app, bool on) {
    if (!on) {
        app.timers.reset();
        app.timerWindowOpen = false;
        app.mainClock->setTimerRunning(false);
        return false;
    }
    if (app.timers) return true;
    auto service = makeTimerService(app);
    if (const auto error = service->load()) {
        app.dialogs.message("The timer data file could not be read.\n" + error.message());
        return false;
    }
    service->setMasterSwitch(true);
    app.timers = std::move(service);
    app.timerWindowOpen = true;
    return true;
}

} // namespace zul::app
