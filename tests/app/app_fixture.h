#pragma once
// An App on virtual time: scripted dialogs, a simulated transmitter behind
// every port, the settings and the program folder in temporary folders.
#include <gtest/gtest.h>

#include <memory>
#include <string>
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
        made->hooks.showPortDialog = [this] { ++portDialogShown; };
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
    int portDialogShown = 0;
    std::unique_ptr<app::App> app;
};

} // namespace zul::test
