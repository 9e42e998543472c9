#include "windows/favourites_window.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/sim/simulated_transmitter.h"
#include "support/sim/virtual_event_loop.h"
#include "settings/record_store.h"
#include "settings/settings_store.h"
#include "settings/sounds.h"
#include "support/numbered.h"
#include "support/recording_platform.h"
#include "support/temp_dir.h"
#include "x10/transmitter.h"
#include "x10/x10_codes.h"

namespace zul {
namespace {

class FavouritesTest : public ::testing::Test {
protected:
    FavouritesTest() {
        port.open("sim");
        records.open(dir / "db.zld");
        test::writeFile(dir / "click.wav", "RIFF");
    }
    void describe(int record, const std::string& text) { ASSERT_TRUE(records.writeRecord(record, text, true).ok); }
    std::vector<std::string> codes() const {
        std::vector<std::string> out;
        for (const auto& f : favs.shown()) out.push_back(f.code);
        return out;
    }
    std::size_t clicks() const { return player.played.size(); }

    test::TempDir dir;
    sim::VirtualClock clock{DateTime{2024, 6, 3, 21, 5, 9, 0}};
    sim::VirtualEventLoop loop{clock};
    sim::SimulatedTransmitter port{clock};
    bool stopAll = false;
    x10::Transmitter tx{port, loop, clock, stopAll};
    x10::X10Codes x10codes;
    MemorySettings settings;
    test::RecordingSound player;
    Sounds sounds{settings, player, dir.path()};
    RecordStore records;
    windows::FavouritesWindowForm favs{{records, settings, x10codes, tx, loop, clock, sounds, stopAll, {}}};
};

TEST_F(FavouritesTest, DescribedUnitsShowInRecordOrderOrByNameAndTheOptionsAreKept) {
    describe(256, "P16## Attic fan");
    describe(1, "A1## Porch");
    describe(17, "B1##no blank"); // no "## ": no favourite
    describe(5, "A5## ");         // an empty description is none either
    favs.open();
    EXPECT_EQ(records.readRecord(RecordNumber::FavouritesOptions, true), "10,0,0");
    EXPECT_EQ(codes(), (std::vector<std::string>{"A1", "P16"}));
    EXPECT_EQ(clicks(), 1u) << "opening clicks";

    favs.setSortByName(true);
    EXPECT_EQ(codes(), (std::vector<std::string>{"P16", "A1"}));
    favs.setOnTop(true);
    EXPECT_EQ(records.readRecord(RecordNumber::FavouritesOptions, true), "10,1,1");
    EXPECT_EQ(clicks(), 3u);

    windows::FavouritesWindowForm again{{records, settings, x10codes, tx, loop, clock, sounds, stopAll, {}}};
    again.open();
    EXPECT_TRUE(again.sortByName());
    EXPECT_TRUE(again.onTop());
    EXPECT_EQ(again.shown().front().description, "Attic fan");
}

TEST_F(FavouritesTest, TheButtonsSwitchTheRowsInViewAndTheRowsFollowMaxVisible) {
    for (int u = 1; u <= 12; ++u)
        describe(u, test::numbered("A", u, u < 10 ? "## Lamp 0" : "## Lamp ") + std::to_string(u));
    favs.open();
    EXPECT_EQ(favs.rows(), 10);
    favs.scrollTo(2);
    favs.press(0, true);
    favs.press(9, false);
    EXPECT_EQ(port.commands(), (std::vector<std::string>{"A3 ON", "A12 OFF"}));
    favs.press(10, true); // no such pair
    EXPECT_EQ(port.commands().size(), 2u);
    favs.scrollTo(50);
    EXPECT_EQ(favs.firstVisible(), 2);

    favs.setMaxVisible("3");
    favs.setFavs();
    EXPECT_EQ(favs.rows(), 3);
    EXPECT_EQ(favs.firstVisible(), 2);
    favs.setMaxVisible("");
    EXPECT_EQ(favs.rows(), 10) << "no number shows the usual ten";
    EXPECT_EQ(records.readRecord(RecordNumber::FavouritesOptions, true), ",0,0");
}

TEST_F(FavouritesTest, BriAndDimRepeatForTheLastUnitInItsUnits1To8Form) {
    describe(44, "C12## Desk lamp");
    favs.open();
    favs.holdDown(true);
    EXPECT_TRUE(port.commands().empty()) << "nothing to brighten yet";
    EXPECT_NE(favs.status().find("first"), std::string::npos);

    favs.press(0, true);
    loop.afterMs(1000, [this] { favs.holdUp(); });
    favs.holdDown(true);
    const auto sent = port.commands();
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(sent.front(), "C12 ON");
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "C BRI"), static_cast<long>(sent.size() - 1));
    EXPECT_LE(sent.size(), 4u);
    favs.hoverDimmer(false);
    EXPECT_EQ(favs.status(), "Dim C12");
}

TEST_F(FavouritesTest, StatusLineAndClosing) {
    describe(2, "A2## Hall");
    favs.open();
    EXPECT_EQ(favs.status(), "2024-06-03 21:05:09");
    favs.hoverUnit(0, false);
    EXPECT_EQ(favs.status(), "A2 OFF: Hall");
    loop.runFor(2500);
    EXPECT_EQ(favs.status(), "A2 OFF: Hall") << "a hint stays a few seconds";
    loop.runFor(1000);
    EXPECT_EQ(favs.status(), "2024-06-03 21:05:12");

    int mainShown = 0;
    favs.showMainWindow = [&] { ++mainShown; };
    favs.close(false, std::nullopt, 1000); // minimised, closed by the program
    EXPECT_EQ(settings.read(Setting::FavouritesLeft), std::nullopt);
    EXPECT_EQ(readSetting(settings, Setting::FavouritesWidth), "2900");
    EXPECT_EQ(mainShown, 0);
    favs.close(true, std::pair{1500, 900}, 4000);
    EXPECT_EQ(readSetting(settings, Setting::FavouritesLeft) + "," + readSetting(settings, Setting::FavouritesTop),
              "1500,900");
    EXPECT_EQ(favs.storedWidth(), 4000);
    EXPECT_EQ(mainShown, 1);
}

} // namespace
} // namespace zul
