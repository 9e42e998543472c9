#include "windows/location_tab.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "settings/settings_store.h"

namespace zul::windows {

namespace {

// The three fields' keys, in field order.
constexpr const SettingKey* kKeys[3] = {&Setting::CityLatitude, &Setting::CityLongitude, &Setting::CityZone};
const char* const kUserDefined = "User Defined";
// NOAA's sunrise/sunset tables, for the user's own check of the results.
const char* const kSunTablesUrl = "https://gml.noaa.gov/grad/solcalc/sunrise.html";

// A field's text as a number: blanks around it are allowed and "," may stand
// for the decimal point. Anything else is no number.
std::optional<double> fieldNumber(const std::string& text) { return parseLocationNumber(text); }

std::optional<int> fieldWholeNumber(const std::string& text) {
    const auto v = fieldNumber(text);
    if (!v || std::fabs(*v) > INT_MAX) return std::nullopt;
    return static_cast<int>(roundHalfEven(*v));
}

std::string decimalText(double v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

} // namespace

LocationTabForm::LocationTabForm(SettingsBackend& settings, const Clock& clock, Lookup lang)
    : settings_(settings), clock_(clock), lang_(std::move(lang)), sun_(clock.now()) {}

void LocationTabForm::open() {
    cityApplied_ = false;
    const std::string zone = readSetting(settings_, *kKeys[2]);
    fields_[0] = readSetting(settings_, *kKeys[0]);
    fields_[1] = readSetting(settings_, *kKeys[1]);
    // A removed zone (or an empty one, as older versions kept it) is the system's.
    // Showing it is no change: a location never touched is not asked about.
    fields_[2] = zone.empty() ? std::to_string(systemZoneHours(clock_.timeZone())) : zone;
    changed_ = false;
    cityName_ = readSetting(settings_, Setting::CityName);
    caption_ = cityName_ == kUserDefined ? std::string("for:  ") + kUserDefined
               : cityName_.empty()       ? ""
                                         : " " + cityName_ + " ";
    if (!fields_[0].empty() && !fields_[1].empty()) test();
    cityApplied_ = true;
}

std::vector<std::string> LocationTabForm::cityList() const {
    std::vector<std::string> names;
    for (int i = 0; i < sun_.cityCount(); ++i) names.push_back(sun_.cityName(i));
    return names;
}

int LocationTabForm::cityRow() const {
    if (cityName_.empty() || cityName_[0] == ' ') return 0;
    for (int i = 0; i < sun_.cityCount(); ++i)
        if (sun_.cityName(i) == cityName_) return i;
    return 0;
}

void LocationTabForm::pickCity(int index) {
    if (!cityApplied_) {
        cityApplied_ = true;
        return;
    }
    sun_.setCity(index);
    sun_.calculateSun();
    const int zone = sun_.timeZone();
    const double lat = sun_.latitude(), lon = sun_.longitude();
    if (zone == 0 && lat == 0 && lon == 0) return;
    edit(Field::Latitude, decimalText(lat));
    edit(Field::Longitude, decimalText(lon));
    edit(Field::Zone, std::to_string(zone));
    showCity(sun_.cityName(index));
    cityApplied_ = true;
}

void LocationTabForm::showCity(const std::string& name) {
    cityName_ = name;
    if (!name.empty() && name[0] != ' ') {
        caption_ = " " + name + " ";
        test();
    } else {
        caption_.clear();
    }
}

void LocationTabForm::edit(Field f, const std::string& text) {
    std::string& value = fields_[static_cast<int>(f)];
    if (value == text) return;
    value = text;
    changed_ = true;
    if (cityApplied_) {
        cityName_ = kUserDefined;
        caption_ = std::string("for:  ") + kUserDefined;
        cityApplied_ = false;
    }
}

const std::string& LocationTabForm::field(Field f) const { return fields_[static_cast<int>(f)]; }

bool LocationTabForm::acceptsKey(Field f, const std::string& current, char key) {
    if (key == '\b' || key == '-' || key == ':' || (key >= '0' && key <= '9')) return true;
    if (f == Field::Zone || (key != '.' && key != ',')) return false;
    return current.find_first_of(".,") == std::string::npos;
}

void LocationTabForm::test() {
    // A field that is no number keeps the calculator's last value.
    if (const auto v = fieldNumber(fields_[0])) sun_.setLatitude(*v);
    if (const auto v = fieldNumber(fields_[1])) sun_.setLongitude(*v);
    if (const auto v = fieldWholeNumber(fields_[2])) sun_.setTimeZone(*v);
    sun_.setDaySavings(readSetting(settings_, Setting::DaySavings) == "True");
    sun_.setDateDay(clock_.now());
    sun_.calculateSun();
    const bool onEarth = placeProblem(sun_.latitude(), sun_.longitude(), sun_.timeZone()).empty();
    if (fields_[0].empty() || fields_[1].empty() || fields_[2].empty() || !onEarth) {
        sunrise_.clear();
        sunset_.clear();
        return;
    }
    // In the clock's style, as the timer window and the main window show times.
    const bool twelveHour = !clock_.uses24Hour();
    sunrise_ = tr("Today's Sunrise:") + " " + timeOfDayText(sun_.sunrise(), twelveHour);
    sunset_ = tr("Today's Sunset:") + " " + timeOfDayText(sun_.sunset(), twelveHour);
}

void LocationTabForm::clear() {
    edit(Field::Latitude, "");
    edit(Field::Longitude, "");
    edit(Field::Zone, std::to_string(systemZoneHours(clock_.timeZone())));
    cityName_.clear();
    caption_.clear();
    sunrise_.clear();
    sunset_.clear();
    focusCityList();
    cityApplied_ = true;
}

void LocationTabForm::save() {
    for (int i = 0; i < 3; ++i) writeSetting(settings_, *kKeys[i], fields_[i]);
    writeSetting(settings_, Setting::CityName, cityName_);
    // No zone: the system's offset is used, also after it changes.
    if (fields_[2].empty()) deleteSetting(settings_, *kKeys[2]);
    changed_ = false;
}

bool LocationTabForm::askSaveOnClose(Dialogs& dialogs) const {
    if (!changed_) return false;
    const std::string title = tr("City Location has Changed !");
    return dialogs.question(title + "\n\n" + tr("Save changes before closing?"), title, false) == Answer::Yes;
}

void LocationTabForm::openSunTables(Desktop& desktop) const { desktop.open(kSunTablesUrl); }

void LocationTabForm::focusCityList() const {
    if (focusCityList_) focusCityList_();
}

} // namespace zul::windows
