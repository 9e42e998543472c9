#pragma once
// FormSetup, the preferences window, without its widgets. The general tab's
// options are stored the moment they are clicked; the panic button setup,
// the location, the sounds and the advanced settings wait in the window until
// Apply or OK. Change flags say what is waiting; Cancel forgets it, and
// closing otherwise asks about the location and the sounds.
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "app/help.h"
#include "app/options.h"
#include "settings/sounds.h"
#include "windows/sounds_tab.h"
#include "windows/location_tab.h"

namespace zul::app {
class App;
} // namespace zul::app

namespace zul::windows {

// Mqtt: the MQTT bridge's settings, a page the desktop program adds.
enum class PreferencesTab { General, Panic, Location, Sounds, Advanced, Mqtt, WebRemote };
inline constexpr int kPreferencesTabs = 7;

// Opens the preferences window on a tab; a panic group ("6" from the panic
// button's setup) fills the group field.
void openPreferences(app::App& app, PreferencesTab tab, const std::string& panicGroup = "");

enum class PanicField { Caption, Group, Minutes, Seconds };
enum class AdvancedField { MasterDelay, MaxLog, KeepLog, MaxLogFile, UpdateHour };
// A field that should take the keyboard focus.
enum class PreferencesFocus { None, PanicGroup, Ok };

class PreferencesWindowForm {
public:
    static constexpr int SliderMaximum = 500; // the master delay slider, hundredths of a second
    static constexpr int PanicColours = 6;

    explicit PreferencesWindowForm(app::App& app);
    ~PreferencesWindowForm();

    // Loads every tab; panicGroup (when not empty) is put into the group field.
    void open(const std::string& panicGroup = "");
    // From here on a checked box plays the click sound, and a refused group
    // number is told in a message box.
    void finishOpening();

    // --- general tab (and the advanced tab's update check): stored on click
    bool option(app::Option id) const;
    void setOption(app::Option id, bool on);
    std::string onOffText(bool on) const;

    // --- panic tab
    const std::string& panicField(PanicField f) const { return panic_[static_cast<std::size_t>(f)]; }
    // A group number that is not 1 to 8 is refused: the field empties and
    // wants the focus. Returns false then.
    bool setPanicField(PanicField f, const std::string& text);
    int panicColour() const { return colour_; }
    void setPanicColour(int choice);

    // --- location and sounds tabs
    LocationTabForm& location() { return *location_; }
    SoundsTabForm& sounds() { return *sounds_; }
    // The daylight note under the location fields.
    std::string daylightNote() const;

    // --- advanced tab
    const std::string& advancedField(AdvancedField f) const { return advanced_[static_cast<std::size_t>(f)]; }
    void setAdvancedField(AdvancedField f, const std::string& text);
    // Leaving a field: a value that is no number becomes the field's default.
    void leaveAdvancedField(AdvancedField f);
    int slider() const { return slider_; }
    void setSlider(int hundredths);
    bool trimLog() const { return trimLog_; }
    void setTrimLog(bool on);
    void restoreAdvancedDefaults();
    // "Check now and setup day and time".
    void checkForUpdatesNow();

    // --- the window
    bool panicChanged() const { return panicChanged_; }
    bool advancedChanged() const { return advancedChanged_; }
    // "Apply" is enabled exactly while something waits.
    bool anyChanged() const;
    PreferencesFocus apply();
    void ok();
    void cancel();
    // The window closes, by any way. position: its left and top in twips, none
    // while minimised. Asks about waiting location and sound changes.
    void closing(std::optional<std::pair<int, int>> position);
    // Where the window opens ("SuLeft", "SuTop"); none until it was closed once.
    std::optional<std::pair<int, int>> storedPosition() const;

    static app::HelpTopic help(PreferencesTab tab);
    static const char* helpTip(PreferencesTab tab);
    void showHelp(PreferencesTab tab);

    // Where the window moves the focus.
    std::function<void(PreferencesFocus)> focus;

private:
    void clicked();
    void loadPanic(const std::string& panicGroup);
    void loadAdvanced();
    bool applyPanic();
    void applyAdvanced();

    app::App& app_;
    std::unique_ptr<LocationTabForm> location_;
    std::unique_ptr<SoundsTabForm> sounds_;
    std::array<std::string, 4> panic_;
    int colour_ = 1;
    std::array<std::string, 5> advanced_;
    int slider_ = 60;
    bool trimLog_ = true;
    bool opened_ = false;
    bool panicChanged_ = false;
    bool advancedChanged_ = false;
};

} // namespace zul::windows
