#pragma once
// An App on virtual time: scripted dialogs, a simulated transmitter behind
// every port, the settings and the program folder in temporary folders.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/app.h"
#include "app/startup.h"
#include "platform/sim/simulated_transmitter.h"
#include "support/sim/virtual_event_loop.h"
#include "settings/cipher.h"
#include "settings/record_store.h"
#include "settings/settings_store.h"
#include "support/recording_platform.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"

namespace zul::test {

// Windows that count what the logic asked of them and answer as a test says.
struct CountingWindows : app::WindowHost {
    int portDialogs = 0, mainWindowShown = 0, fronts = 0, uninstallers = 0, minimisedAtStart = 0;
    int closed = 0, kept = 0, timerWindowsOpened = 0;
    bool minimised = false, cancelExit = false, timerWindowOpen = false;
    std::optional<std::pair<int, int>> position;
    std::optional<bool> timers;
    std::optional<int> delay;

    void showPortDialog() override { ++portDialogs; }
    void showMainWindow() override { ++mainWindowShown; }
    void bringToFront() override { ++fronts; }
    void showUninstaller() override { ++uninstallers; }
    void minimizeAtStart() override { ++minimisedAtStart; }
    bool mainWindowMinimized() const override { return minimised; }
    std::optional<std::pair<int, int>> mainWindowPosition() const override { return position; }
    std::optional<bool> timersToggle() const override { return timers; }
    bool settleUnsavedWork() override { return !cancelExit; }
    void keepUnsavedWork() override { ++kept; }
    void closeWindows() override { ++closed; }
    std::optional<int> askDelay() override { return delay; }
    bool timerWindowShown() const override { return timerWindowOpen; }
    void showTimerWindow() override { ++timerWindowsOpened; }
};

class AppFixture : public ::testing::Test {
protected:
    AppFixture() { app = makeApp(); }

    std::unique_ptr<app::App> makeApp() {
        app::Platform platform{clock, loop, dialogs, sound, desktop, [this](const std::string&) {
                                   auto t = std::make_unique<sim::SimulatedTransmitter>(clock, true);
                                   transmitter = t.get();
                                   return std::unique_ptr<LinePort>(std::move(t));
                               }};
        auto made =
            std::make_unique<app::App>(platform, std::make_unique<IniSettingsStore>(home.config() / "settings.ini"));
        made->setWindows(&windows);
        return made;
    }

    // A record written before the program opens the store (enciphered, as the program keeps them).
    void presetRecord(int number, const std::string& text) {
        RecordStore store;
        ASSERT_TRUE(store.open(home.home() / "db.zld"));
        ASSERT_TRUE(store.writeRecord(number, text, true).ok);
    }

    // Entry, load and the first afterStart tick (and the port's messages).
    void startRunning(const std::string& port = "sim") {
        if (!port.empty()) presetRecord(270, port);
        app->startup->enter("");
        loop.runFor(2000);
        ASSERT_EQ(app->startup->phase(), app::Phase::Running);
    }

    std::vector<std::string> sent() const { return transmitter ? transmitter->commands() : std::vector<std::string>{}; }

    ScopedHome home;
    sim::VirtualClock clock{DateTime{2024, 6, 3, 12, 0, 0, 0}}; // a Monday
    sim::VirtualEventLoop loop{clock};
    ScriptedDialogs dialogs;
    RecordingSound sound;
    RecordingDesktop desktop;
    sim::SimulatedTransmitter* transmitter = nullptr;
    CountingWindows windows; // outlives every App the test makes
    std::unique_ptr<app::App> app;
};

} // namespace zul::test
