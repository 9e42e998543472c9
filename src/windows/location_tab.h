#pragma once
// The location tab of the preferences window, without the window: the city
// list, the latitude / longitude / zone fields, "Test" and "Clear", and the
// location keys it saves. The window shows this state and forwards the user's
// actions here.
#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/settings_backend.h"
#include "sun/sunrise.h"

namespace zul {

class Desktop;
class Dialogs;
} // namespace zul

namespace zul::windows {

class LocationTabForm {
public:
    enum class Field { Latitude, Longitude, Zone };
    using Lookup = std::function<std::string(const std::string&)>;

    // lang translates captions and messages; identity when empty.
    LocationTabForm(SettingsBackend& settings, const Clock& clock, Lookup lang = {});

    // Loads the fields and the city name from the settings, runs "Test" when a
    // place is set, and arms the city list.
    void open();
    // The city list's rows, in table order.
    std::vector<std::string> cityList() const;
    // The row the city list shows: the city named by the city name, else row 0.
    int cityRow() const;
    // A click in the city list. Only applies the city while the city-applied
    // flag is set; a pick after a manual edit just re-arms it.
    void pickCity(int index);
    // A change to a field, typed by the user or set by the tab itself.
    void edit(Field f, const std::string& text);
    // Whether a key typed into a field is taken ('\b' is Backspace).
    static bool acceptsKey(Field f, const std::string& current, char key);
    // "Test": today's sunrise and sunset for the fields' place.
    void test();
    // "Clear": forgets the place; the zone goes back to the system offset.
    void clear();
    // Apply / OK: writes the location keys as they stand.
    void save();
    // Closing with unsaved location changes asks whether to save them;
    // true means the user answered Yes and the window should run Apply.
    bool askSaveOnClose(Dialogs& dialogs) const;
    // The link to an outside page with sunrise and sunset tables.
    void openSunTables(Desktop& desktop) const;
    // The hint label: puts the focus on the city list.
    void focusCityList() const;

    const std::string& field(Field f) const;
    const std::string& cityName() const { return cityName_; }
    const std::string& caption() const { return caption_; } // the city line the tab shows
    const std::string& sunriseLine() const { return sunrise_; }
    const std::string& sunsetLine() const { return sunset_; }
    bool cityApplied() const { return cityApplied_; }
    bool changed() const { return changed_; }
    void setChanged(bool on) { changed_ = on; }
    // Called when the tab wants the focus on the city list.
    void onFocusCityList(std::function<void()> f) { focusCityList_ = std::move(f); }

private:
    std::string tr(const std::string& text) const { return lang_ ? lang_(text) : text; }
    void showCity(const std::string& name);

    SettingsBackend& settings_;
    const Clock& clock_;
    Lookup lang_;
    SunCalculator sun_;
    std::string fields_[3];
    std::string cityName_, caption_, sunrise_, sunset_;
    bool cityApplied_ = false;
    bool changed_ = false;
    std::function<void()> focusCityList_;
};

} // namespace zul::windows
