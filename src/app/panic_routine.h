#pragma once
// The main window's panic button: runs one quick group ON and, after an
// optional delay, OFF again (all outside lights on for ten minutes, say). Its
// caption, colour, group and delay come from the record store; the panic tab
// of the preferences window sets them.
#include <array>
#include <functional>
#include <memory>
#include <string>

namespace zul {

class Dialogs;
class EventLoop;
class GroupRunner;
class RecordStore;
class SettingsBackend;
class Tick;

namespace x10 {
class Transmitter;
}

// The panic button's caption while its record is empty.
inline constexpr const char* DefaultPanicCaption = "Pa&nic";

struct PanicSettings {
    std::string caption = DefaultPanicCaption; // record 274; this when empty
    int colour = 1;                            // record 279: "1" to "6"
    int group = 0;                             // record 281: quick group 1 to 8; 0 = not set up
    double minutes = 0, seconds = 0;           // record 280: minutes "," seconds
    bool shown = true;                         // "Settings"/"PanicButton": "1" shows the button

    // The OFF delay in seconds (fractions allowed).
    double delay() const { return minutes * 60 + seconds; }
};

// Reads the panic records (deciphered) and the show flag.
PanicSettings loadPanicSettings(RecordStore& records, const SettingsBackend& settings);

// The six button colours (&HBBGGRR) the colour choice "1" to "6" picks.
inline constexpr std::array<unsigned, 6> kPanicColours{
    0x0000FF, // 1 red
    0x0080FF, // 2 orange
    0x00FFFF, // 3 yellow
    0x00C000, // 4 green
    0xFF8000, // 5 blue
    0xC0C0C0, // 6 grey
};
// An unknown choice shows colour 1.
unsigned panicColour(int choice);
// A caption without its access-key marks: "Pa&nic" -> "Panic", "A && B" -> "A & B".
std::string withoutAccessKeys(const std::string& caption);

class PanicRoutine {
public:
    using Translate = std::function<std::string(const std::string&)>;
    static constexpr int kMenuDelayMs = 750;

    PanicRoutine(GroupRunner& groups, x10::Transmitter& tx, EventLoop& loop, SettingsBackend& settings,
                 Dialogs& dialogs, Translate caption = {});
    ~PanicRoutine();
    PanicRoutine(const PanicRoutine&) = delete;
    PanicRoutine& operator=(const PanicRoutine&) = delete;

    PanicSettings settings;

    // Plays the click sound when sounds are on.
    std::function<void()> click;
    // Opens the preferences window on its panic tab with this text in the
    // group field ("6" when no group is set up).
    std::function<void(const std::string& groupField)> openSetup;
    // Gives the focus to the main window when it is visible.
    std::function<void()> focusMainWindow;

    // The panic routine (a click on the button).
    void run();
    // Its group ON and, after the delay, OFF; false (nothing sent) when no
    // group is set up. For callers that have no window to show (the MQTT bridge).
    bool runGroups();
    // "Panic (Run)": runs the routine 750 ms later, once the menu has closed.
    void runFromMenu();
    // Right click and "Setup Quick (Panic) Button".
    void setup();

    std::string buttonCaption() const { return settings.caption; }
    // The menu entry: the caption without its access-key marks, then "(Run)".
    std::string menuCaption() const;
    unsigned buttonColour() const { return panicColour(settings.colour); }
    std::string toolTip() const { return tr("Run 'Panic' Routine (right click for setup)"); }

    // "Show Quick (Panic) Button": flips and stores the show flag; the
    // "Panic (Run)" menu entry is enabled exactly while the button shows.
    void toggleShown();
    bool runMenuEnabled() const { return settings.shown; }

    Tick& menuTick() { return *menuTick_; }

private:
    std::string tr(const std::string& s) const { return caption_ ? caption_(s) : s; }

    GroupRunner& groups_;
    x10::Transmitter& tx_;
    SettingsBackend& store_;
    Dialogs& dialogs_;
    Translate caption_;
    std::unique_ptr<Tick> menuTick_;
};

} // namespace zul
