#include <gtest/gtest.h>

#include "app/group_runner.h"
#include "app/panic_routine.h"
#include "macros/group_file.h"
#include "platform/sim/simulated_transmitter.h"
#include "support/sim/virtual_event_loop.h"
#include "settings/record_store.h"
#include "settings/settings_store.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"
#include "x10/transmitter.h"

using namespace zul;
using zul::test::ScriptedDialogs;

namespace {

constexpr const char* kA1On = "0110000000000000";
constexpr const char* kA2On = "0110000000010000";

struct GroupRig {
    GroupRig() {
        port.open("sim");
        groups.click = [this] { events.push_back("click"); };
        groups.startFlash = [this] { events.push_back("flash on"); };
        groups.stopFlash = [this] { events.push_back("flash off"); };
    }
    void writeGroup(int index, const std::string& label, const std::vector<std::string>& items) {
        ASSERT_FALSE(macros::writeGroupFile(macros::groupFilePath(home.path(), index), index + 1, label, items));
    }
    std::vector<std::string> sent() const { return port.commands(); }
    // Milliseconds between the ends of two decoded frames.
    double msBetween(std::size_t a, std::size_t b) {
        const auto& s = port.decoder().decoded();
        return double(s.at(b).micros - s.at(a).micros) / 1000;
    }

    test::TempDir home;
    sim::VirtualClock clock{DateTime{2024, 6, 3, 12, 0, 0}};
    sim::VirtualEventLoop loop{clock};
    sim::SimulatedTransmitter port{clock};
    bool stopAll = false;
    x10::Transmitter tx{port, loop, clock, stopAll};
    MemorySettings settings;
    GroupRunner groups{tx, loop, settings, home.path()};
    std::vector<std::string> events;
};

} // namespace

TEST(GroupRunner, OffRunSetsTheOffBitAndATimersStartIsSilentAndOnlyOnOrOff) {
    EXPECT_EQ(GroupRunner::offForm(kA2On), "0110000000110000");
    GroupRig rig;
    rig.writeGroup(0, "Porch", {kA2On});
    rig.groups.runGroup(0, false);
    ASSERT_EQ(rig.sent(), std::vector<std::string>{"A2 OFF"});
    EXPECT_EQ(rig.port.decoder().decoded()[0].bits, "1101010110101010"
                                                    "01100000"
                                                    "00110000"
                                                    "10101101");

    // A timer's start is silent (no click) and only takes ON or OFF.
    rig.events.clear();
    rig.writeGroup(1, "Yard", {kA1On});
    EXPECT_TRUE(rig.groups.strtGroup(1, "off"));
    EXPECT_EQ(rig.sent(), (std::vector<std::string>{"A2 OFF", "A1 OFF"}));
    EXPECT_EQ(rig.events, (std::vector<std::string>{"flash on", "flash off"}));
    EXPECT_EQ(rig.groups.tag(1, false), "");
    for (const auto& [group, action] : std::vector<std::pair<int, const char*>>{{8, "ON"}, {-1, "ON"}, {1, "DIM"}})
        EXPECT_FALSE(rig.groups.strtGroup(group, action)) << group << action;
    EXPECT_EQ(rig.sent().size(), 2u);
}

TEST(GroupRunner, AutoOffNeedsAtLeastOneSecond) {
    GroupRig rig;
    rig.writeGroup(0, "Porch", {kA1On});
    std::optional<double> answer = 0.5;
    rig.groups.askDelay = [&] { return answer; };
    rig.groups.autoOff(0);
    answer = std::nullopt; // cancelled
    rig.groups.autoOff(0);
    EXPECT_TRUE(rig.sent().empty());
    answer = 125;
    rig.groups.autoOff(0);
    ASSERT_EQ(rig.sent(), (std::vector<std::string>{"A1 ON", "A1 OFF"}));
    // The default "GrDelay" of 6 tenths, the delay, then the next frame's 70 ms settle and 40 ms of bits.
    EXPECT_DOUBLE_EQ(rig.msBetween(0, 1), 600 + 125000 + 70 + 40);
}

TEST(GroupRunner, AutoOffButtonsToggleAndUnlabelledGroupsGoByNumber) {
    GroupRig rig;
    std::vector<bool> told;
    rig.groups.onAutoOffButtons = [&](bool shown) { told.push_back(shown); };
    rig.groups.toggleAutoOffButtons();
    EXPECT_EQ(rig.settings.read(Setting::GroupDelayButtons), "0");
    rig.groups.toggleAutoOffButtons();
    EXPECT_EQ(told, (std::vector<bool>{false, true}));
    EXPECT_EQ(rig.groups.autoOffTip(3), "Turn Group 4 ON -- then auto-OFF after the delay you set.");
}

// --- panic routine -----------------------------------------------------------

namespace {

struct PanicRig : GroupRig {
    PanicRig() {
        panic.openSetup = [this](const std::string& field) { events.push_back("setup " + field); };
        writeGroup(1, "Outside", {kA1On, kA2On});
        settings.write(Setting::GroupDelay, "0");
    }
    ScriptedDialogs dialogs;
    PanicRoutine panic{groups, tx, loop, settings, dialogs};
};

} // namespace

TEST(PanicRoutine, WithoutAGroupAsksForSetupAndWithoutADelayNeverSwitchesOff) {
    PanicRig rig;
    rig.panic.run();
    EXPECT_TRUE(rig.sent().empty());
    ASSERT_EQ(rig.dialogs.count(ScriptedDialogs::Kind::Message), 1u);
    EXPECT_EQ(rig.dialogs.last().text, "This button must be setup first, click OK to continue.");
    EXPECT_EQ(rig.events, std::vector<std::string>{"setup 6"});

    // With a group and no delay the group is never switched off.
    rig.panic.settings.group = 2;
    rig.panic.run();
    rig.loop.runFor(600000);
    EXPECT_EQ(rig.sent(), (std::vector<std::string>{"A1 ON", "A2 ON"}));
}

TEST(PanicRoutine, OffRunStartsAfterTheDelay) {
    PanicRig rig;
    rig.panic.settings.group = 2;
    rig.panic.settings.minutes = 1;
    rig.panic.settings.seconds = 30;
    int clicks = 0;
    rig.panic.click = [&] { ++clicks; };
    rig.panic.runFromMenu();
    rig.loop.runFor(700);
    EXPECT_TRUE(rig.sent().empty()); // the menu closes first
    rig.loop.runFor(100);
    ASSERT_EQ(rig.sent(), (std::vector<std::string>{"A1 ON", "A2 ON", "A1 OFF", "A2 OFF"}));
    EXPECT_DOUBLE_EQ(rig.msBetween(0, 1), 70 + 40); // "GrDelay" 0
    EXPECT_DOUBLE_EQ(rig.msBetween(1, 2), 90000 + 70 + 40);
    EXPECT_EQ(clicks, 1);
}

TEST(PanicRoutine, SettingsComeFromTheRecordStore) {
    test::TempDir dir;
    RecordStore records;
    ASSERT_TRUE(records.open(dir / "db.zld"));
    MemorySettings settings;
    PanicSettings p = loadPanicSettings(records, settings);
    EXPECT_EQ(p.caption, "Pa&nic");
    EXPECT_TRUE(p.shown);

    records.writeRecord(281, "9", true); // no such group
    settings.write(Setting::PanicButton, "0");
    p = loadPanicSettings(records, settings);
    EXPECT_EQ(p.group, 0);
    EXPECT_FALSE(p.shown);
    records.writeRecord(274, "Lights && &Out", true);
    PanicRig rig;
    rig.panic.settings = loadPanicSettings(records, settings);
    EXPECT_EQ(rig.panic.menuCaption(), "Lights & Out (Run)");
    rig.panic.settings.caption = "Pa&nic";
    EXPECT_EQ(rig.panic.menuCaption(), "Panic (Run)");
    rig.panic.toggleShown();
    EXPECT_TRUE(rig.panic.runMenuEnabled());
    EXPECT_EQ(rig.settings.read(Setting::PanicButton), "1");
}
