#pragma once
// Sunrise, solar noon and sunset for one day and one place, and the fixed
// table of cities a place can be picked from. Longitudes and time zones count
// positive WEST of Greenwich.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/datetime.h"

namespace zul {

struct CityRecord {
    std::string Name;
    double Longitude = 0; // degrees, positive west
    double Latitude = 0;  // degrees, positive north
    int Zone = 0;         // whole hours, positive west
};

// The built-in city list, header and separator rows included (all numbers 0).
const std::vector<CityRecord>& cityTable();

// Rounds to the nearest whole number, a half going to the even neighbour.
double roundHalfEven(double x);

// Where a place must lie for its sun times to mean anything: latitude -90 to
// 90, longitude -180 to 180, zone -14 to 14 hours (the zones in use run from
// 12 hours west to 14 east). "" when it does; else which value does not, e.g.
// "latitude 91 is outside -90 to 90".
inline constexpr double kMaxLatitude = 90, kMaxLongitude = 180;
inline constexpr int kMaxZoneHours = 14;
std::string placeProblem(double latitude, double longitude, double zoneHours);

// A number as the location fields and settings hold it: an optional sign,
// digits, and "." or "," as the decimal point, blanks around it ignored.
// nullopt for anything else (hex, exponents, "inf", "nan", other text).
std::optional<double> parseLocationNumber(std::string_view text);

class SunCalculator {
public:
    // DateDay starts as the current local date and time.
    SunCalculator();
    explicit SunCalculator(const DateTime& dateDay);

    int timeZone() const { return timeZone_; }
    void setTimeZone(int hoursWest) { timeZone_ = hoursWest; }
    bool daySavings() const { return daySavings_; }
    void setDaySavings(bool on) { daySavings_ = on; }
    double longitude() const { return longitude_; }
    void setLongitude(double degreesWest) { longitude_ = degreesWest; }
    double latitude() const { return latitude_; }
    void setLatitude(double degreesNorth) { latitude_ = degreesNorth; }
    const DateTime& dateDay() const { return dateDay_; }
    void setDateDay(const DateTime& day) { dateDay_ = day; }

    // Results of the last calculateSun; the zero date-time before the first.
    const DateTime& sunrise() const { return sunrise_; }
    const DateTime& solarNoon() const { return solarNoon_; }
    const DateTime& sunset() const { return sunset_; }
    // The same results as minutes after local midnight of DateDay (may fall
    // below 0 or reach 1440 when the event lies on a neighbouring day). A
    // place far outside placeProblem's ranges gives meaningless but defined
    // results: they are held within a year of DateDay.
    double sunriseMinutes() const { return riseMinutes_; }
    double solarNoonMinutes() const { return noonMinutes_; }
    double sunsetMinutes() const { return setMinutes_; }

    void calculateSun();

    int cityCount() const { return static_cast<int>(cities_.size()); }
    // The row's name, or "(Error)" outside the list.
    std::string cityName(int index) const;
    // Selects a row by name (blanks around either side and letter case ignored;
    // the first equal row wins) or by index. No such row clears the place.
    void setCity(const std::string& name);
    void setCity(int index);
    void addCity(const std::string& name, double latitude, double longitude, int zone);

private:
    void loadCities();
    void applyCity(int index);

    int timeZone_ = 0;
    bool daySavings_ = false;
    double longitude_ = 0;
    double latitude_ = 0;
    DateTime dateDay_;
    // The zero date-time: 30 December 1899, 00:00.
    DateTime sunrise_{1899, 12, 30}, solarNoon_{1899, 12, 30}, sunset_{1899, 12, 30};
    double riseMinutes_ = 0, noonMinutes_ = 0, setMinutes_ = 0;
    std::vector<CityRecord> cities_;
};

// The operating system's standard-time offset in whole hours, positive west,
// daylight saving left out (300 minutes give 5, -330 give -5).
int systemZoneHours(const TimeZoneFacts& tz);

} // namespace zul
