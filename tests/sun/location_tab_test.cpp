#include "sun/location_tab.h"

#include <gtest/gtest.h>

#include "platform/dialogs.h"
#include "platform/sim/virtual_clock.h"
#include "settings/settings_store.h"

namespace zul {
namespace {

using Field = LocationTab::Field;

// Answers every question with `answer` and remembers what was asked.
struct AskingDialogs : Dialogs {
    Answer answer = Answer::No;
    std::vector<std::string> asked;
    void info(const InfoBox&) override {}
    void message(const std::string&, const std::string&) override {}
    Answer question(const std::string& text, const std::string& title, bool) override {
        asked.push_back(title + "|" + text);
        return answer;
    }
    std::optional<std::string> input(const std::string&, const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> openFile(const std::string&, const std::string&, const std::vector<FileFilter>&) override {
        return {};
    }
    std::optional<std::string> saveFile(const std::string&, const std::string&, const std::vector<FileFilter>&) override {
        return {};
    }
};

class LocationTabTest : public ::testing::Test {
protected:
    LocationTabTest() : clock(DateTime{2003, 1, 15, 10, 30, 0}) {
        clock.setTimeZone(TimeZoneFacts{300, 0, -60, false});  // New York
    }
    std::string setting(const std::string& key) { return ReadSetting(settings, "Settings", key, "<absent>"); }

    MemorySettings settings;
    sim::VirtualClock clock;
};

TEST_F(LocationTabTest, FirstOpeningOffersTheSystemZoneAndCountsAsChanged) {
    LocationTab tab(settings, clock);
    tab.open();
    EXPECT_EQ(tab.field(Field::Latitude), "");
    EXPECT_EQ(tab.field(Field::Longitude), "");
    EXPECT_EQ(tab.field(Field::Zone), "5");
    EXPECT_TRUE(tab.changed());
    EXPECT_TRUE(tab.cityApplied());
    EXPECT_EQ(tab.caption(), "");
    EXPECT_EQ(tab.sunriseLine(), "");
    EXPECT_EQ(tab.cityList().size(), 67u);
    EXPECT_EQ(tab.cityList()[29], "New York City, NY");
}

TEST_F(LocationTabTest, OpeningWithStoredPlaceShowsItsTimes) {
    WriteSetting(settings, "Settings", "CityLatitude", "51.3");
    WriteSetting(settings, "Settings", "CityLongitude", "0.5");
    WriteSetting(settings, "Settings", "CityZone", "0");
    WriteSetting(settings, "Settings", "CityName", "London, England");
    LocationTab tab(settings, clock);
    tab.open();
    EXPECT_FALSE(tab.changed());
    EXPECT_EQ(tab.field(Field::Zone), "0");
    EXPECT_EQ(tab.caption(), " London, England ");
    EXPECT_EQ(tab.sunriseLine().substr(0, 17), "Today's Sunrise: ");
    EXPECT_EQ(tab.sunsetLine().substr(0, 16), "Today's Sunset: ");
}

TEST_F(LocationTabTest, PickingACityFillsTheFieldsAndTests) {
    LocationTab tab(settings, clock);
    tab.open();
    tab.pickCity(29);
    EXPECT_EQ(tab.field(Field::Latitude), "40.43");
    EXPECT_EQ(tab.field(Field::Longitude), "74.01");
    EXPECT_EQ(tab.field(Field::Zone), "5");
    EXPECT_EQ(tab.caption(), " New York City, NY ");
    EXPECT_EQ(tab.cityName(), "New York City, NY");
    // 15 January 2003 in New York: sunrise 07:16, sunset 16:53.
    EXPECT_EQ(tab.sunriseLine().substr(0, 23), "Today's Sunrise: 07:16:");
    EXPECT_EQ(tab.sunriseLine().substr(25), " AM");
    EXPECT_EQ(tab.sunsetLine().substr(0, 22), "Today's Sunset: 04:53:");
    EXPECT_EQ(tab.sunsetLine().substr(24), " PM");
    EXPECT_TRUE(tab.changed());
    EXPECT_TRUE(tab.cityApplied());

    tab.pickCity(2);  // a header row changes nothing
    EXPECT_EQ(tab.field(Field::Latitude), "40.43");
    EXPECT_EQ(tab.caption(), " New York City, NY ");

    tab.pickCity(64);
    EXPECT_EQ(tab.field(Field::Longitude), "-151.13");
    EXPECT_EQ(tab.field(Field::Zone), "-10");
}

TEST_F(LocationTabTest, AManualEditMakesTheNextPickOnlyReArm) {
    LocationTab tab(settings, clock);
    tab.open();
    tab.pickCity(29);
    tab.edit(Field::Latitude, "41");
    EXPECT_EQ(tab.caption(), "for:  User Defined");
    EXPECT_EQ(tab.cityName(), "User Defined");
    EXPECT_FALSE(tab.cityApplied());

    tab.pickCity(5);
    EXPECT_EQ(tab.field(Field::Latitude), "41");
    EXPECT_EQ(tab.caption(), "for:  User Defined");
    tab.pickCity(5);
    EXPECT_EQ(tab.field(Field::Latitude), "61.13");
    EXPECT_EQ(tab.caption(), " Anchorage, AK ");
}

TEST_F(LocationTabTest, TestReadsTheFieldsAndDaylightSaving) {
    LocationTab tab(settings, clock);
    tab.open();
    tab.pickCity(29);
    const std::string standard = tab.sunriseLine();
    tab.edit(Field::Latitude, "40:43");  // no number: the last latitude stays
    tab.test();
    EXPECT_EQ(tab.sunriseLine(), standard);
    tab.edit(Field::Latitude, "40,43");  // a comma is a decimal separator
    tab.test();
    EXPECT_EQ(tab.sunriseLine(), standard);

    WriteSetting(settings, "Settings", "DaySavings", "True");
    tab.test();
    EXPECT_EQ(tab.sunriseLine().substr(0, 23), "Today's Sunrise: 08:16:");
    EXPECT_EQ(tab.sunsetLine().substr(0, 22), "Today's Sunset: 05:53:");

    tab.edit(Field::Zone, "");
    tab.test();
    EXPECT_EQ(tab.sunriseLine(), "");
    EXPECT_EQ(tab.sunsetLine(), "");
}

TEST_F(LocationTabTest, ClearForgetsThePlaceAndArmsTheList) {
    LocationTab tab(settings, clock);
    int focused = 0;
    tab.onFocusCityList([&] { ++focused; });
    tab.open();
    tab.pickCity(29);
    tab.edit(Field::Zone, "6");
    tab.clear();
    EXPECT_EQ(tab.field(Field::Latitude), "");
    EXPECT_EQ(tab.field(Field::Longitude), "");
    EXPECT_EQ(tab.field(Field::Zone), "5");
    EXPECT_EQ(tab.cityName(), "");
    EXPECT_EQ(tab.caption(), "");
    EXPECT_EQ(tab.sunriseLine(), "");
    EXPECT_EQ(focused, 1);
    tab.pickCity(53);
    EXPECT_EQ(tab.caption(), " London, England ");
}

TEST_F(LocationTabTest, SaveWritesTheKeysAndAnEmptyZoneComesBackAsTheSystemOffset) {
    LocationTab tab(settings, clock);
    tab.open();
    tab.pickCity(29);
    tab.save();
    EXPECT_FALSE(tab.changed());
    EXPECT_EQ(setting("CityLatitude"), "40.43");
    EXPECT_EQ(setting("CityLongitude"), "74.01");
    EXPECT_EQ(setting("CityZone"), "5");
    EXPECT_EQ(setting("CityName"), "New York City, NY");

    tab.edit(Field::Zone, "");
    tab.save();
    clock.setTimeZone(TimeZoneFacts{-330, 0, -60, false});
    LocationTab again(settings, clock);
    again.open();
    EXPECT_EQ(again.field(Field::Zone), "-5");
    EXPECT_TRUE(again.changed());
    EXPECT_EQ(again.caption(), " User Defined ");
}

TEST_F(LocationTabTest, ClosingAsksOnlyWhenChanged) {
    AskingDialogs dialogs;
    dialogs.answer = Answer::Yes;
    LocationTab tab(settings, clock, [](const std::string& s) { return "[" + s + "]"; });
    WriteSetting(settings, "Settings", "CityZone", "5");
    tab.open();
    EXPECT_FALSE(tab.askSaveOnClose(dialogs));
    EXPECT_TRUE(dialogs.asked.empty());
    tab.edit(Field::Latitude, "1");
    EXPECT_TRUE(tab.askSaveOnClose(dialogs));
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0],
              "[City Location has Changed !]|[City Location has Changed !]\n\n[Save changes before closing?]");
    tab.edit(Field::Longitude, "1");
    tab.test();
    EXPECT_EQ(tab.sunriseLine().substr(0, 19), "[Today's Sunrise:] ");
}

TEST(LocationKeys, FieldsTakeOnlyNumberKeysAndOneSeparator) {
    EXPECT_TRUE(LocationTab::acceptsKey(Field::Latitude, "40", '.'));
    EXPECT_FALSE(LocationTab::acceptsKey(Field::Latitude, "40.4", '.'));
    EXPECT_FALSE(LocationTab::acceptsKey(Field::Longitude, "40.4", ','));
    EXPECT_FALSE(LocationTab::acceptsKey(Field::Longitude, "40,4", '.'));
    EXPECT_TRUE(LocationTab::acceptsKey(Field::Latitude, "40.4", ':'));
    EXPECT_TRUE(LocationTab::acceptsKey(Field::Latitude, "40.4", '\b'));
    EXPECT_TRUE(LocationTab::acceptsKey(Field::Zone, "", '-'));
    EXPECT_FALSE(LocationTab::acceptsKey(Field::Zone, "5", '.'));
    EXPECT_FALSE(LocationTab::acceptsKey(Field::Latitude, "", 'a'));
    EXPECT_FALSE(LocationTab::acceptsKey(Field::Zone, "", ' '));
}

TEST(LocationKeys, SystemZoneInWholeHoursTowardZero) {
    EXPECT_EQ(SystemZoneHours({300, 0, -60, true}), 5);
    EXPECT_EQ(SystemZoneHours({-330, 0, -60, false}), -5);
    EXPECT_EQ(SystemZoneHours({-60, 0, -60, true}), -1);
    EXPECT_EQ(Time12Text(DateTime{2003, 1, 1, 0, 5, 9}), "12:05:09 AM");
    EXPECT_EQ(Time12Text(DateTime{2003, 1, 1, 12, 0, 0}), "12:00:00 PM");
    EXPECT_EQ(Time12Text(DateTime{2003, 1, 1, 16, 53, 21}), "04:53:21 PM");
}

} // namespace
} // namespace zul
