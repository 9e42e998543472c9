#pragma once
// The quick groups of the main window: eight recorded ON sequences, each run
// ON or OFF with one click, or ON and, after a delay the user enters, OFF
// again. Timers switch groups through the same buttons (`strtGroup`).
//
// A run sends each command of the group file at once through `sendBits`,
// with the "GrDelay" pause (tenths of a second) after each; the pauses let
// other events run, so other buttons and timers may act between commands.
#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "macros/group_file.h"

namespace zul {

class EventLoop;
class SettingsBackend;

namespace x10 {
class Transmitter;
}

class GroupRunner {
public:
    using Translate = std::function<std::string(const std::string&)>;

    GroupRunner(x10::Transmitter& tx, EventLoop& loop, SettingsBackend& settings, std::filesystem::path programFolder);

    // Plays the click sound when sounds are on.
    std::function<void()> click;
    // The transmit lamp's flashing (the main window's 50 ms flash tick).
    std::function<void()> startFlash, stopFlash;
    // The delay dialog: whole seconds, or nullopt when cancelled.
    std::function<std::optional<double>()> askDelay;
    // Told when the auto-off buttons are shown (true) or hidden.
    std::function<void(bool shown)> onAutoOffButtons;
    // Told after every run of a group, by any route (button, timer, panic,
    // remote); sent is true when a command of it went out on an open port.
    std::function<void(int index, bool on, bool sent)> ran;
    // Told when a group file exists but cannot be read (the group sends nothing).
    std::function<void(const std::string& text)> problem;
    // Tool-tip lookup.
    Translate tip;

    // The ON and OFF buttons of group i: index 0 to 7. A user click plays the
    // click sound; a run started by a timer (tag "timer") does not.
    void runGroup(int index, bool on);
    // A group's Auto-Off: asks for a delay; 1 s or more runs ON, waits, runs OFF.
    void autoOff(int index);
    // `strtGroup`: a timer runs group index with action "ON" or "OFF" (any
    // letter case). False, and nothing sent, for anything else.
    bool strtGroup(int index, const std::string& action);

    // The button tag: "timer" while a timer runs it, else empty.
    const std::string& tag(int index, bool on) const;

    // "Settings"/"GrpDelayB" ("1" default): the auto-off buttons are shown.
    bool autoOffButtonsShown() const;
    // "Show Group Auto-Off Delay Buttons": flips, stores and tells.
    void toggleAutoOffButtons();

    // The eight labels shown beside the buttons.
    std::array<std::string, macros::kGroupCount> labels;
    std::string onTip(int index) const;      // "Turn Group Hall ON"
    std::string offTip(int index) const;     // "Turn Group Hall OFF"
    std::string autoOffTip(int index) const; // "Turn Group Hall ON -- then auto-OFF after the delay you set."
    // What a right click on a group button adds to the timer window's command
    // list: "Group 3 ON".
    std::string timerCommand(int index, bool on, const Translate& caption = {}) const;

    // The OFF form of a recorded ON command: its eleventh character (the OFF
    // bit of the unit/function byte) set.
    static std::string offForm(const std::string& onCode);

private:
    std::string tipText(const std::string& s) const { return tip ? tip(s) : s; }
    std::string labelFor(int index) const;
    double commandDelay() const;

    x10::Transmitter& tx_;
    EventLoop& loop_;
    SettingsBackend& settings_;
    std::filesystem::path folder_;
    std::array<std::array<std::string, 2>, macros::kGroupCount> tags_;
};

} // namespace zul
