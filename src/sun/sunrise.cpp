#include "sun/sunrise.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "platform/system_clock.h"
#include "platform/text.h"

namespace zul {

namespace {

// The constants of the calculation, used exactly as they stand.
constexpr double kPi = 3.1415926535;
constexpr double kTwoPi = 6.283185307;
constexpr double kZenith = 90.833; // degrees: sunrise/sunset with refraction

double degToRad(double d) { return d * kPi / 180; }
double radToDeg(double r) { return r * 180 / kPi; }

// Spencer's fractional year; the year always counts 365 days.
double fractionalYear(int n) { return (kTwoPi / 365) * (n - 1); }
double fractionalYearAtHour(int n, double h) { return (kTwoPi / 365) * ((n - 1) + h / 24); }

double equationOfTime(double g) {
    return 229.18 * (0.000075 + 0.001868 * std::cos(g) - 0.032077 * std::sin(g) - 0.014615 * std::cos(2 * g) -
                     0.040849 * std::sin(2 * g));
}

double solarDeclination(double g) {
    return 0.006918 - 0.399912 * std::cos(g) + 0.070257 * std::sin(g) - 0.006758 * std::cos(2 * g) +
           0.000907 * std::sin(2 * g);
}

// 0 when there is no answer (|x| >= 1): polar day or night.
double arcCos(double x) {
    const double rest = 1 - x * x;
    if (rest <= 0) return 0;
    return std::atan(-x / std::sqrt(rest)) + 2 * std::atan(1.0);
}

double hourAngle(double lat, double decl, bool rising) {
    const double p = degToRad(lat);
    const double x = std::cos(degToRad(kZenith)) / (std::cos(p) * std::cos(decl)) - std::tan(p) * std::tan(decl);
    const double h = arcCos(x);
    return rising ? h : -h;
}

// Minutes after 00:00 UTC of the event at fractional year g.
double eventUTC(double g, double lat, double lon, bool rising) {
    const double e = equationOfTime(g);
    const double h = hourAngle(lat, solarDeclination(g), rising);
    return 720 + 4 * (lon - radToDeg(h)) - e;
}

// Sunrise or sunset: a first estimate fixes the whole hour (the sunset's from
// the following day's start), the second evaluation at that hour is the answer.
double riseOrSetUTC(int n, double lat, double lon, bool rising) {
    const double first = eventUTC(fractionalYear(rising ? n : n + 1), lat, lon, rising);
    const double hour = roundHalfEven(first / 60);
    return eventUTC(fractionalYearAtHour(n, hour), lat, lon, rising);
}

double solarNoonUTC(int n, double lon) {
    const double hour = roundHalfEven(12 + lon / 15);
    return 720 + 4 * lon - equationOfTime(fractionalYearAtHour(n, hour));
}

DateTime atMinutes(const DateTime& day, double minutes) {
    // Real places stay within two days; anything else is held to a year so the
    // date arithmetic never overflows.
    constexpr double kYear = 366 * 1440.0;
    minutes = std::isfinite(minutes) ? std::clamp(minutes, -kYear, kYear) : 0;
    const DateTime midnight = DateTime::fromDayNumber(day.dayNumber());
    return midnight.addMillis(static_cast<std::int64_t>(std::floor(minutes * 60000)));
}

std::string numberText(double v) {
    char buf[32];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

} // namespace

double roundHalfEven(double x) {
    const double r = std::round(x);
    if (std::fabs(x - std::trunc(x)) == 0.5) return 2 * std::round(x / 2);
    return r;
}

std::string placeProblem(double latitude, double longitude, double zoneHours) {
    const auto outside = [](const char* what, double v, double limit) -> std::string {
        if (v >= -limit && v <= limit) return "";
        return std::string(what) + " " + numberText(v) + " is outside " + numberText(-limit) + " to " +
               numberText(limit);
    };
    for (const std::string& problem :
         {outside("latitude", latitude, kMaxLatitude), outside("longitude", longitude, kMaxLongitude),
          outside("zone", zoneHours, kMaxZoneHours)})
        if (!problem.empty()) return problem;
    return "";
}

std::optional<double> parseLocationNumber(std::string_view text) {
    std::string s = trimBlanks(text);
    std::size_t digits = 0, points = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char& c = s[i];
        if (c >= '0' && c <= '9') ++digits;
        else if (c == '.' || c == ',') c = '.', ++points;
        else if (!((c == '-' || c == '+') && i == 0)) return std::nullopt;
    }
    if (digits == 0 || points > 1) return std::nullopt;
    if (s.front() == '+') s.erase(0, 1);
    double v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
    return v;
}

const std::vector<CityRecord>& cityTable() {
    struct Row {
        const char* name;
        double lat, lon;
        int zone;
    };
    static const Row rows[] = {
        {"   ----- Select City -----", 0, 0, 0},
        {"  -------------------------  ", 0, 0, 0},
        {"   -- U.S. Cities --   ", 0, 0, 0},
        {"  -------------------------  ", 0, 0, 0},
        {"Albuquerque, NM", 35.05, 106.39, 7},
        {"Anchorage, AK", 61.13, 149.54, 9},
        {"Atlanta, GA", 33.44, 84.23, 5},
        {"Austin, TX", 30.3, 97.7, 6},
        {"Bloomington, IL", 40.484, 88.99, 6},
        {"Boston, MA", 42.21, 71.03, 5},
        {"Boulder, CO", 40.125, 105.237, 7},
        {"Central Point, OR", 42.37, 122.91, 8},
        {"Chicago, IL", 41.51, 87.39, 6},
        {"Dallas, TX", 32.46, 96.47, 6},
        {"Denver, CO", 39.44, 104.59, 7},
        {"Detroit, MI", 42.2, 83.03, 5},
        {"Farmington, MI", 42.5, 83.4, 5},
        {"Honolulu, HA", 21.18, 157.51, 10},
        {"Romeoville, IL", 41.6, 88.1, 6},
        {"Indianapolis, IN", 39.46, 86.09, 5},
        {"Kansas City, MO", 39.05, 94.34, 6},
        {"Los Angeles, CA", 34.03, 118.14, 8},
        {"Medford, NY", 40.817, 73, 5},
        {"Memphis, TN", 35.05, 89.92, 6},
        {"Miami, FL", 25.46, 80.11, 5},
        {"Midland, TX", 32, 102.1, 6},
        {"Milwaukee, WI", 43, 88, 6},
        {"Minneapolis, MN", 44.58, 93.15, 6},
        {"New Orleans, LA", 29.57, 90.04, 6},
        {"New York City, NY", 40.43, 74.01, 5},
        {"Oklahoma City, OK", 35.28, 97.3, 6},
        {"Philadelphia, PA", 39.57, 75.09, 5},
        {"Phoenix, AZ", 33.26, 112.04, 7},
        {"Roanoke, VA", 37.31, 79.98, 5},
        {"Saint Louis, MO", 38.37, 90.11, 6},
        {"San Angelo, TX", 31.5, 100.5, 6},
        {"San Antonio, TX", 29.4, 98.5, 6},
        {"San Fransisco, CA", 37.46, 122.25, 8},
        {"Seattle, WA", 47.36, 122.19, 8},
        {"Sherman Oaks, CA", 34.1, 118.4, 8},
        {"Washington DC", 38.53, 77.02, 5},
        {"Waynesville, NC", 35.5, 83, 5},
        {"  ----------------------------------  ", 0, 0, 0},
        {"   -- Other Countries --   ", 0, 0, 0},
        {"  ----------------------------------  ", 0, 0, 0},
        {"Beijing, China", 39.55, -116.25, -8},
        {"Berlin, Germany", 52.33, -13.3, -1},
        {"Buenos Aires, Argentina", -34.36, 58.27, 3},
        {"Cairo, Egypt", -30.06, -31.22, -2},
        {"Cape Town, South Africa", -33.55, -18.22, -2},
        {"Caracas, Venezula", 10.3, 66.56, 4},
        {"Helsinki, Finland", 60.1, -24.58, -2},
        {"Hong Kong, China", 22.15, -114.1, -8},
        {"London, England", 51.3, 0.5, 0},
        {"Mexico City, Mexico", 19.24, 99.09, 6},
        {"Moscow, Russia", 55.45, -37.35, -3},
        {"New Delhi, India", 28.36, -77.12, -6},
        {"Ottawa, Canada", 45.25, 75.42, 5},
        {"Paris, France", 48.52, -2.2, -1},
        {"Regina SK. Canada", 50.5, 104.5, 6},
        {"Rio de Janeiro, Brazil", -22.54, 43.14, 3},
        {"Riyadh, Saudi Arabia", 24.38, -46.43, -3},
        {"Rome, Italy", 41.54, -12.29, -1},
        {"Saguenay, (Quebec) Canada", 48.24, 71.03, 5},
        {"Sydney, Australia", -33.52, -151.13, -10},
        {"Tokyo, Japan", 35.42, -139.46, -9},
        {"Zurich, Switzerland", 47.23, -8.32, -1},
    };
    static const std::vector<CityRecord> table = [] {
        std::vector<CityRecord> t;
        for (const Row& r : rows) t.push_back(CityRecord{r.name, r.lon, r.lat, r.zone});
        return t;
    }();
    return table;
}

SunCalculator::SunCalculator() : SunCalculator(SystemClock().now()) {}

SunCalculator::SunCalculator(const DateTime& dateDay) : dateDay_(dateDay) { loadCities(); }

void SunCalculator::loadCities() {
    for (const CityRecord& c : cityTable()) addCity(c.Name, c.Latitude, c.Longitude, c.Zone);
}

void SunCalculator::addCity(const std::string& name, double latitude, double longitude, int zone) {
    cities_.push_back(CityRecord{name, longitude, latitude, zone});
}

void SunCalculator::calculateSun() {
    const double d = daySavings_ ? 60 : 0;
    double lat = latitude_;
    if (lat >= -90 && lat < -89.8) lat = -89.8;
    if (lat > 89.8 && lat <= 90) lat = 89.8;
    const int n = dateDay_.dayOfYear();
    const double shift = d - 60.0 * timeZone_;

    riseMinutes_ = riseOrSetUTC(n, lat, longitude_, true) + shift;
    noonMinutes_ = solarNoonUTC(n, longitude_) + shift;
    setMinutes_ = riseOrSetUTC(n, lat, longitude_, false) + shift;
    sunrise_ = atMinutes(dateDay_, riseMinutes_);
    solarNoon_ = atMinutes(dateDay_, noonMinutes_);
    sunset_ = atMinutes(dateDay_, setMinutes_);
}

std::string SunCalculator::cityName(int index) const {
    if (index < 0 || index >= cityCount()) return "(Error)";
    return cities_[static_cast<std::size_t>(index)].Name;
}

void SunCalculator::setCity(const std::string& name) {
    const std::string wanted = trimBlanks(name);
    const auto it = std::find_if(cities_.begin(), cities_.end(),
                                 [&](const CityRecord& c) { return equalsNoCase(trimBlanks(c.Name), wanted); });
    applyCity(it == cities_.end() ? -1 : static_cast<int>(it - cities_.begin()));
}

void SunCalculator::setCity(int index) { applyCity(index); }

void SunCalculator::applyCity(int index) {
    const bool found = index >= 0 && index < cityCount();
    const CityRecord none;
    const CityRecord& c = found ? cities_[static_cast<std::size_t>(index)] : none;
    timeZone_ = c.Zone;
    longitude_ = c.Longitude;
    latitude_ = c.Latitude;
    daySavings_ = false;
}

int systemZoneHours(const TimeZoneFacts& tz) { return (tz.bias + tz.standardBias) / 60; }

} // namespace zul
