#include "app/main_clock.h"

#include <cstdio>

#include "app/app.h"
#include "settings/settings_store.h"
#include "timers/clock_tick.h"

namespace zul::app {

namespace {
int toInt(const std::string& text, int fallback) {
    try {
        std::size_t used = 0;
        const int v = std::stoi(text, &used);
        return used == 0 ? fallback : v;
    } catch (...) {
        return fallback;
    }
}

} // namespace

MainClock::MainClock(App& app) : app_(app) {
    clock_ = app.loop.createTick("tmrClock", ClockMs, [this] { clockTick(); });
    clock_->setCoarse(true); // wakes with the timer window's clock ticks
    flash_ = app.loop.createTick("tmrFlash", FlashMs, [this] {
        lampLit_ = !lampLit_;
        notify();
    });
    indicate_ = app.loop.createTick("tmrTindicate", IndicateMs, [this] {
        indicator_ = indicator_.empty() ? app_.tr("Timer Running") : "";
        notify();
    });
    clockText_ = timeOfDayText(app.clock.now(), !app.clock.uses24Hour());
}

MainClock::~MainClock() = default;

void MainClock::start() { clock_->setEnabled(true); }
void MainClock::stop() { clock_->setEnabled(false); }

void MainClock::clockTick() {
    app_.loop.processEvents();
    const DateTime now = app_.clock.now();
    clockText_ = timeOfDayText(now, !app_.clock.uses24Hour());
    app_.mainWindowVisible = app_.windows().mainWindowVisible();
    if (++tickCount_ >= TicksPerCheck) {
        tickCount_ = 0;
        weeklyCheck(now);
        if (++passCount_ % 2 == 0) askAboutUpdates(now);
    }
    notify();
}

void MainClock::weeklyCheck(const DateTime& now) {
    SettingsBackend& s = app_.settings;
    if (readSetting(s, Setting::UpdateCheck) != "1") return;
    const int weekday = now.weekday();
    const int checkDay = toInt(readSetting(s, Setting::UpdateCheckDay), 0);
    const int fromHour = toInt(readSetting(s, Setting::UpdateCheckHour), 19);
    bool checked = readSetting(s, Setting::UpdateChecked) == "True";
    // The flag belongs to the day the check ran: it is cleared on any other
    // day, so the day after the check day gets its own single check.
    if (checked && weekday != checkDay && checkedOnDay_ != now.dayNumber()) {
        writeSetting(s, Setting::UpdateChecked, "False");
        checked = false;
    }
    const bool checkDayOrNext = weekday == checkDay || weekday == checkDay + 1;
    if (!checkDayOrNext || now.hour < fromHour || checked) return;
    checkedOnDay_ = now.dayNumber();
    if (updaterPresent()) {
        updateStatus_ = app_.tr("checking update");
        notify();
        app_.transmitter.pause(0.5);
        runUpdater("autocheck");
        updateStatus_.clear();
    }
    writeSetting(s, Setting::UpdateChecked, "True");
}

void MainClock::askAboutUpdates(const DateTime& now) {
    SettingsBackend& s = app_.settings;
    // Without an updater program there is nothing to agree to.
    if (readSetting(s, Setting::UpdateCheck) != "3" || !updaterPresent()) return;
    const std::string text = app_.tr("Would you like to automatically check for updates once a week?") + "\n" +
                             app_.tr("This setting can be changed anytime by clicking Menu ->") + "\n" +
                             app_.tr("Setup Preferences, and then the Advanced tab.");
    if (app_.rawDialogs.question(text, app_.tr("Automatic Check for Updates?"), false) == Answer::Yes) {
        writeSetting(s, Setting::UpdateCheck, "1");
        writeSetting(s, Setting::UpdateCheckDay, std::to_string(now.weekday()));
        char hour[8];
        std::snprintf(hour, sizeof hour, "%02d", now.hour);
        writeSetting(s, Setting::UpdateCheckHour, hour);
    } else {
        writeSetting(s, Setting::UpdateCheck, "0");
    }
}

std::filesystem::path MainClock::updaterPath() const { return app_.folder / "update"; }

bool MainClock::updaterPresent() const {
    std::error_code ec;
    return std::filesystem::is_regular_file(updaterPath(), ec);
}

void MainClock::runUpdater(const std::string& type) {
    writeSetting(app_.settings, Setting::UpdateCheckType, type);
    app_.transmitter.pause(0.5);
    app_.desktop.startProgram(updaterPath().string(), {});
}

void MainClock::checkOnlineForUpgrade() {
    if (!updaterPresent()) {
        app_.dialogs.message(
            "This copy of Zulmarin has no updater program.\nLook for newer versions where you got Zulmarin.");
        return;
    }
    runUpdater("manual");
}

void MainClock::startFlash() { flash_->setEnabled(true); }

void MainClock::stopFlash() {
    flash_->setEnabled(false);
    if (lampLit_) {
        lampLit_ = false;
        notify();
    }
}

void MainClock::setLamp(bool lit) {
    if (lampLit_ == lit) return;
    lampLit_ = lit;
    notify();
}

void MainClock::setTimerRunning(bool on) {
    indicate_->setEnabled(on);
    if (!on && !indicator_.empty()) {
        indicator_.clear();
        notify();
    }
}

} // namespace zul::app
