#include "windows/location_tab.h"

#include <gtest/gtest.h>

#include <optional>

#include "support/sim/virtual_clock.h"
#include "settings/settings_store.h"
#include "support/scripted_dialogs.h"

namespace zul {
namespace {

using Field = windows::LocationTabForm::Field;

class LocationTabTest : public ::testing::Test {
protected:
    LocationTabTest() : clock(DateTime{2003, 1, 15, 10, 30, 0}) {
        clock.setTimeZone(TimeZoneFacts{300, 0, -60, false}); // New York
    }
    windows::LocationTabForm& open(windows::LocationTabForm::Lookup lang = {}) {
        tab.emplace(settings, clock, std::move(lang));
        tab->open();
        return *tab;
    }
    std::string setting(const SettingKey& key) { return settings.read(key).value_or("<absent>"); }

    MemorySettings settings;
    sim::VirtualClock clock;
    std::optional<windows::LocationTabForm> tab;
};

TEST_F(LocationTabTest, AManualEditMakesTheNextPickOnlyReArmAndClearArmsIt) {
    auto& t = open();
    int focused = 0;
    t.onFocusCityList([&] { ++focused; });
    t.pickCity(29);
    t.edit(Field::Latitude, "41");
    EXPECT_EQ(t.caption(), "for:  User Defined");
    EXPECT_FALSE(t.cityApplied());

    t.pickCity(5);
    EXPECT_EQ(t.field(Field::Latitude), "41");
    t.pickCity(5);
    EXPECT_EQ(t.field(Field::Latitude), "61.13");
    EXPECT_EQ(t.caption(), " Anchorage, AK ");

    t.edit(Field::Zone, "6");
    t.clear();
    EXPECT_EQ(t.field(Field::Latitude) + t.field(Field::Longitude) + t.cityName() + t.sunriseLine(), "");
    EXPECT_EQ(t.field(Field::Zone), "5");
    EXPECT_EQ(focused, 1);
    t.pickCity(53);
    EXPECT_EQ(t.caption(), " London, England ");
}

TEST_F(LocationTabTest, PickingACityFillsTheFieldsAndTestReadsThemWithDaylightSaving) {
    auto& t = open();
    t.pickCity(29);
    EXPECT_EQ(t.field(Field::Latitude), "40.43");
    EXPECT_EQ(t.field(Field::Longitude), "74.01");
    EXPECT_EQ(t.caption(), " New York City, NY ");
    t.pickCity(2); // a header row changes nothing
    EXPECT_EQ(t.caption(), " New York City, NY ");
    t.pickCity(64);
    EXPECT_EQ(t.field(Field::Longitude), "-151.13");
    t.pickCity(29);
    // 15 January 2003 in New York: sunrise 07:16, sunset 16:53, shown as the clocks show times.
    EXPECT_EQ(t.sunriseLine().substr(0, 22), "Today's Sunrise: 7:16:");
    EXPECT_EQ(t.sunsetLine().substr(0, 22), "Today's Sunset: 16:53:");
    EXPECT_EQ(t.sunsetLine().size(), 24u);
    EXPECT_TRUE(t.changed());
    const std::string standard = t.sunriseLine();
    t.edit(Field::Latitude, "40:43"); // no number: the last latitude stays
    t.test();
    EXPECT_EQ(t.sunriseLine(), standard);
    t.edit(Field::Latitude, "40,43"); // a comma is a decimal separator
    t.test();
    EXPECT_EQ(t.sunriseLine(), standard);

    writeSetting(settings, Setting::DaySavings, "True");
    t.test();
    EXPECT_EQ(t.sunriseLine().substr(0, 22), "Today's Sunrise: 8:16:");
    EXPECT_EQ(t.sunsetLine().substr(0, 22), "Today's Sunset: 17:53:");
    writeSetting(settings, Setting::DaySavings, "False");
    clock.setUses24Hour(false);
    t.test();
    EXPECT_EQ(t.sunriseLine().substr(0, 22), "Today's Sunrise: 7:16:");
    EXPECT_EQ(t.sunriseLine().substr(24), " AM");
    EXPECT_EQ(t.sunsetLine().substr(0, 21), "Today's Sunset: 4:53:");
    EXPECT_EQ(t.sunsetLine().substr(23), " PM");

    t.edit(Field::Zone, "");
    t.test();
    EXPECT_EQ(t.sunriseLine() + t.sunsetLine(), "");
    // A place off the Earth has no sun times to show.
    t.edit(Field::Zone, "5");
    t.edit(Field::Longitude, "99999999999999999999");
    t.test();
    EXPECT_EQ(t.sunriseLine() + t.sunsetLine(), "");
}

// Nothing stored, the system's zone is offered; a place saved is shown as
// stored; an empty zone is removed and comes back as the system's offset.
TEST_F(LocationTabTest, OpeningShowsTheStoredPlaceOrTheSystemZone) {
    auto& t = open();
    EXPECT_EQ(t.field(Field::Latitude) + t.field(Field::Longitude) + t.caption(), "");
    EXPECT_EQ(t.field(Field::Zone), "5");
    EXPECT_FALSE(t.changed()) << "a location never touched is no change to ask about";
    EXPECT_EQ(t.cityRow(), 0);
    t.pickCity(29);
    t.save();
    EXPECT_FALSE(t.changed());
    EXPECT_EQ(setting(Setting::CityLatitude) + " " + setting(Setting::CityLongitude) + " " +
                  setting(Setting::CityZone) + " " + setting(Setting::CityName),
              "40.43 74.01 5 New York City, NY");
    auto& stored = open();
    EXPECT_FALSE(stored.changed());
    EXPECT_EQ(stored.caption(), " New York City, NY ");
    EXPECT_EQ(stored.cityRow(), 29);
    EXPECT_EQ(stored.sunriseLine().substr(0, 17), "Today's Sunrise: ");

    stored.edit(Field::Zone, "");
    tab->save();
    EXPECT_EQ(setting(Setting::CityZone), "<absent>");
    clock.setTimeZone(TimeZoneFacts{-330, 0, -60, false}); // +5:30 rounds toward zero
    // Opened again (as after Cancel): the place as stored, the same way as while it was edited.
    auto& again = open();
    EXPECT_EQ(again.field(Field::Zone), "-5");
    EXPECT_FALSE(again.changed());
    EXPECT_EQ(again.caption(), "for:  User Defined");
    EXPECT_EQ(again.cityRow(), 0);
}

TEST_F(LocationTabTest, ClosingAsksOnlyWhenChanged) {
    test::ScriptedDialogs dialogs;
    dialogs.answers = {Answer::Yes};
    writeSetting(settings, Setting::CityZone, "5");
    auto& t = open([](const std::string& s) { return "[" + s + "]"; });
    EXPECT_FALSE(t.askSaveOnClose(dialogs));
    EXPECT_TRUE(dialogs.shown.empty());
    t.edit(Field::Latitude, "1");
    EXPECT_TRUE(t.askSaveOnClose(dialogs));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.last().title, "[City Location has Changed !]");
    EXPECT_EQ(dialogs.last().text, "[City Location has Changed !]\n\n[Save changes before closing?]");
    t.edit(Field::Longitude, "1");
    t.test();
    EXPECT_EQ(t.sunriseLine().substr(0, 19), "[Today's Sunrise:] ");
}

TEST(LocationKeys, FieldsTakeOnlyNumberKeysAndZonesAreWholeHours) {
    const struct {
        Field field;
        const char* text;
        char key;
        bool taken;
    } cases[] = {
        {Field::Latitude, "40", '.', true},     {Field::Latitude, "40.4", '.', false},
        {Field::Longitude, "40,4", '.', false}, {Field::Latitude, "40.4", ':', true},
        {Field::Latitude, "40.4", '\b', true},  {Field::Zone, "", '-', true},
        {Field::Zone, "5", '.', false},         {Field::Latitude, "", 'a', false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(windows::LocationTabForm::acceptsKey(c.field, c.text, c.key), c.taken) << c.text << " + " << c.key;
    // The zone a daylight-saving system clock reports.
    EXPECT_EQ(systemZoneHours({-60, 0, -60, true}), -1);
}

} // namespace
} // namespace zul
