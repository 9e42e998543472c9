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
const std::vector<CityRecord>& CityTable();

// Rounds to the nearest whole number, a half going to the even neighbour.
double RoundHalfEven(double x);

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

class clsSunrise {
public:
    // DateDay starts as the current local date and time.
    clsSunrise();
    explicit clsSunrise(const DateTime& dateDay);

    int TimeZone() const { return timeZone_; }
    void SetTimeZone(int hoursWest) { timeZone_ = hoursWest; }
    bool DaySavings() const { return daySavings_; }
    void SetDaySavings(bool on) { daySavings_ = on; }
    double Longitude() const { return longitude_; }
    void SetLongitude(double degreesWest) { longitude_ = degreesWest; }
    double Latitude() const { return latitude_; }
    void SetLatitude(double degreesNorth) { latitude_ = degreesNorth; }
    const DateTime& DateDay() const { return dateDay_; }
    void SetDateDay(const DateTime& day) { dateDay_ = day; }

    // Results of the last CalculateSun; the zero date-time before the first.
    const DateTime& Sunrise() const { return sunrise_; }
    const DateTime& SolarNoon() const { return solarNoon_; }
    const DateTime& Sunset() const { return sunset_; }
    // The same results as minutes after local midnight of DateDay (may fall
    // below 0 or reach 1440 when the event lies on a neighbouring day). A
    // place far outside placeProblem's ranges gives meaningless but defined
    // results: they are held within a year of DateDay.
    double SunriseMinutes() const { return riseMinutes_; }
    double SolarNoonMinutes() const { return noonMinutes_; }
    double SunsetMinutes() const { return setMinutes_; }

    void CalculateSun();

    int CityCount() const { return static_cast<int>(cities_.size()); }
    // The row's name, or "(Error)" outside the list.
    std::string CityName(int index) const;
    // Selects a row by name (blanks around either side and letter case ignored;
    // the first equal row wins) or by index. No such row clears the place.
    void SetCity(const std::string& name);
    void SetCity(int index);
    void AddCity(const std::string& name, double latitude, double longitude, int zone);

private:
    void LoadCities();
    void ApplyCity(int index);

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
int SystemZoneHours(const TimeZoneFacts& tz);

} // namespace zul
