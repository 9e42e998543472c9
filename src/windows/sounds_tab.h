#pragma once
// The sounds tab of the preferences window without its widgets.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "settings/sounds.h"

namespace zul {
class Dialogs;
}

namespace zul::windows {

// The sounds tab: works on its own copy of the five files until saved.
class SoundsTabForm {
public:
    using Lookup = std::function<std::string(const std::string&)>;

    SoundsTabForm(Sounds& sounds, Dialogs& dialogs, Lookup lang = {});

    // Copies the current files and loads the two timer boxes.
    void open();
    // From here on, switching sounds on plays the click sound.
    void finishOpening() { opened_ = true; }

    // "Enable Sounds" and the two timer boxes (enabled only while sounds are on).
    bool soundsOn() const;
    void setSoundsOn(bool on);
    bool timerBoxesEnabled() const { return soundsOn(); }
    bool timerStartBox() const { return timerStart_; }
    bool macroCommandBox() const { return macroCommand_; }
    void setTimerStartBox(bool on);
    void setMacroCommandBox(bool on);
    void reloadTimerBoxes();
    // Told the new box states, for the timer window.
    void onTimerBoxes(std::function<void(bool timerStart, bool macroCommand)> f) { timerBoxes_ = std::move(f); }
    // "ON" or "OFF", translated, beside a check box.
    std::string onOffText(bool on) const { return tr(on ? "ON" : "OFF"); }

    // The event list and the file of the selected event.
    std::vector<std::string> eventList() const;
    void select(int index);
    int selected() const { return selected_; }
    bool buttonsEnabled() const { return selected_ >= 0; }
    std::string shownFile() const;

    void play();            // "&Play": regardless of the master switch
    void browse();          // "&Browse": choose a file
    void noSound();         // "&No Sound"
    void restoreDefaults(); // "&Restore defaults", after asking
    // Apply / OK: writes the five keys and makes the files current.
    void save();
    bool changed() const { return changed_; }
    void setChanged(bool on) { changed_ = on; }
    // Closing with unsaved changes: asks, and saves on Yes.
    void askSaveOnClose();

private:
    std::string tr(const std::string& text) const { return lang_ ? lang_(text) : text; }

    Sounds& sounds_;
    Dialogs& dialogs_;
    Lookup lang_;
    std::array<std::string, 5> files_;
    int selected_ = -1;
    bool timerStart_ = false, macroCommand_ = false;
    bool opened_ = false;
    bool changed_ = false;
    std::function<void(bool, bool)> timerBoxes_;
};

} // namespace zul::windows
