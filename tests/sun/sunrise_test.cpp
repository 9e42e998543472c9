#include "sun/sunrise.h"

#include <gtest/gtest.h>

#include <limits>

#include <cstdio>
#include <string>

namespace zul {
namespace {

std::string Hhmm(const DateTime& t) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d", t.hour, t.minute);
    return buf;
}

struct Place {
    double lat, lon;
    int zone;
    bool dst;
};

SunCalculator Calculated(const Place& p, DateTime day) {
    SunCalculator sun(day);
    sun.setLatitude(p.lat);
    sun.setLongitude(p.lon);
    sun.setTimeZone(p.zone);
    sun.setDaySavings(p.dst);
    sun.calculateSun();
    return sun;
}

TEST(Sunrise, KnownPlacesAndDays) {
    const struct {
        const char* what;
        Place place;
        DateTime day;
        double rise, noon, set; // minutes after local midnight
        const char *riseText, *setText;
    } cases[] = {
        {"New York, winter", {40.43, 74.01, 5, false}, {2003, 1, 15}, 436.78, 724.92, 1013.35, "07:16", "16:53"},
        {"New York, summer, daylight saving",
         {40.43, 74.01, 5, true},
         {2003, 6, 21},
         326.30,
         777.52,
         1228.75,
         "05:26",
         "20:28"},
        {"London, equinox", {51.3, 0.5, 0, false}, {2003, 3, 20}, 366.72, 730.01, 1094.32, "06:06", "18:14"},
        {"polar day", {70, 0, 0, false}, {2003, 6, 21}, 721.44, 721.44, 721.44, "12:01", "12:01"},
        {"polar night", {70, 0, 0, false}, {2003, 12, 21}, 718.06, 718.06, 718.06, "11:58", "11:58"},
    };
    for (const auto& e : cases) {
        SCOPED_TRACE(e.what);
        const SunCalculator sun = Calculated(e.place, e.day);
        EXPECT_NEAR(sun.sunriseMinutes(), e.rise, 0.006);
        EXPECT_NEAR(sun.solarNoonMinutes(), e.noon, 0.006);
        EXPECT_NEAR(sun.sunsetMinutes(), e.set, 0.006);
        EXPECT_EQ(Hhmm(sun.sunrise()), e.riseText);
        EXPECT_EQ(Hhmm(sun.sunset()), e.setText);
        EXPECT_EQ(sun.sunrise().day, e.day.day);
    }
}

TEST(Sunrise, LatitudesAtThePolesArePulledInButBeyondNinetyAreNot) {
    for (double pole : {90.0, -90.0}) {
        const SunCalculator at = Calculated({pole, 10, 0, false}, {2003, 4, 2});
        const SunCalculator near = Calculated({pole > 0 ? 89.8 : -89.8, 10, 0, false}, {2003, 4, 2});
        EXPECT_EQ(at.sunriseMinutes(), near.sunriseMinutes());
        EXPECT_EQ(at.sunsetMinutes(), near.sunsetMinutes());
        EXPECT_EQ(at.latitude(), pole); // the property keeps what was set
    }
    // Near the equinox 89.8 has polar day while 95 (taken as it stands) does not.
    const SunCalculator beyond = Calculated({95, 10, 0, false}, {2003, 3, 20});
    const SunCalculator clamped = Calculated({89.8, 10, 0, false}, {2003, 3, 20});
    EXPECT_NE(beyond.sunriseMinutes(), clamped.sunriseMinutes());
}

TEST(Sunrise, OnlyTheCalendarDateCountsAndResultsMayLeaveTheDay) {
    const SunCalculator morning = Calculated({40.43, 74.01, 5, false}, {2003, 1, 15, 0, 0, 1});
    const SunCalculator evening = Calculated({40.43, 74.01, 5, false}, {2003, 1, 15, 23, 59, 59});
    EXPECT_EQ(morning.sunset(), evening.sunset());

    // New York's longitude with Tokyo's zone: the times land on other days.
    const SunCalculator shifted = Calculated({40.43, 74.01, -9, false}, {2003, 1, 15});
    EXPECT_GT(shifted.sunsetMinutes(), 1440);
    EXPECT_EQ(shifted.sunset().day, 16);
    EXPECT_EQ(shifted.sunrise().day, 15);
}

// What a place must be, in numbers and ranges; the calculation itself stays
// defined (no overflow in the date arithmetic) even for a place off the Earth.
TEST(Sunrise, PlacesOffTheEarthAreNamedAndStayDefined) {
    EXPECT_EQ(placeProblem(90, -180, 14), "");
    EXPECT_EQ(placeProblem(0, 1e300, 0), "longitude 1e+300 is outside -180 to 180");

    const std::pair<const char*, double> numbers[] = {{"52.5", 52.5}, {" -0,25 ", -0.25}, {"+3", 3}, {".5", 0.5}};
    for (const auto& [text, value] : numbers) EXPECT_EQ(parseLocationNumber(text), value) << text;
    for (const char* bad : {"0x10", "1e3", "inf", "nan", "", "-", "1.2.3", "5 5", "--5", "2x"})
        EXPECT_EQ(parseLocationNumber(bad), std::nullopt) << bad;

    SunCalculator sun(DateTime{1900, 1, 1});
    for (double longitude : {1e300, -1e300, std::numeric_limits<double>::infinity()}) {
        sun.setLongitude(longitude);
        sun.calculateSun();
        for (const DateTime& t : {sun.sunrise(), sun.solarNoon(), sun.sunset()})
            EXPECT_LE(std::abs(t.dayNumber() - DateTime{1900, 1, 1}.dayNumber()), 366) << longitude;
    }
}

// Cities are chosen by row number or by name (a text is always a name); an
// unknown name or a row out of range leaves no place behind.
TEST(CityTable, SelectingByNameOrIndex) {
    SunCalculator sun(DateTime{2003, 1, 15});
    sun.setDaySavings(true);
    sun.setCity(" new york city, ny");
    EXPECT_EQ(sun.latitude(), 40.43);
    EXPECT_EQ(sun.longitude(), 74.01);
    EXPECT_EQ(sun.timeZone(), 5);
    EXPECT_FALSE(sun.daySavings());
    sun.setCity(5);
    EXPECT_EQ(sun.latitude(), 61.13);
    sun.setCity("5");
    EXPECT_EQ(sun.latitude() + sun.longitude() + sun.timeZone(), 0);
    sun.setCity(29);
    sun.setCity(67);
    EXPECT_EQ(sun.latitude() + sun.longitude() + sun.timeZone(), 0);
    EXPECT_EQ(sun.cityName(-1), "(Error)");
    EXPECT_EQ(sun.cityName(67), "(Error)");
}

} // namespace
} // namespace zul
