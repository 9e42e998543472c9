#pragma once
// Audible feedback: five sound events, each with a WAV file the user can
// change, silence ("none") or restore; a master switch; and the sounds tab of
// the preferences window as plain logic.
#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/signal.h"
#include "settings/setting_keys.h"

namespace zul {

class Dialogs;
class SettingsBackend;
class SoundPlayer;

enum class SoundEvent { Click, Recorded, Resize, TimerStart, MacroCommand };

struct SoundEventInfo {
    SoundEvent event;
    const char* caption;     // as listed in the sounds tab (English)
    const SettingKey& key;   // a missing key means defaultFile
    const char* defaultFile; // in the program folder, else among the files the program ships
};

// The five events in the order the sounds tab lists them.
const std::array<SoundEventInfo, 5>& SoundEvents();
const SoundEventInfo& SoundEventOf(SoundEvent e);

// Starts playing a WAV file and returns at once. "none", an empty path and a
// file that does not exist are silent.
void PlaySound(SoundPlayer& player, const std::string& path);

// The program-wide sound state: the sounds-on flag and each event's file.
class Sounds {
public:
    Sounds(SettingsBackend& settings, SoundPlayer& player, std::filesystem::path programFolder);

    // Reads "Settings"/"Sounds" and the five event files (start-up).
    void load();

    bool on() const { return on_; }
    // The flag only (the program clears it while closing).
    void setOn(bool on) { on_ = on; }
    // The "Enable Sounds" switch: the flag and its setting.
    void enable(bool on);

    const std::string& path(SoundEvent e) const { return paths_[index(e)]; }
    void setPath(SoundEvent e, std::string path) { paths_[index(e)] = std::move(path); }
    std::string defaultPath(SoundEvent e) const;
    // The event's file as stored now, with the default for a missing key.
    std::string storedPath(SoundEvent e) const;
    // Writes the five event keys from the current paths.
    void savePaths();

    // Plays the event's file when sounds are on.
    void play(SoundEvent e);
    // Plays it whatever the master switch says.
    void playAlways(SoundEvent e);
    // Plays any file (PlaySound through this program's player).
    void playFile(const std::string& path);

    // "Sounds"/"TimerTsound" and "TimerMsound": "1" plays. A missing key is
    // "1", as the timer window's boxes show it; every player reads them here.
    bool TimerTsound() const;
    bool TimerMsound() const;
    void setTimerTsound(bool on);
    void setTimerMsound(bool on);
    // The timer-start and macro-command sounds: sounds on and the flag set.
    void playTimerStart();
    void playMacroCommand();

    SettingsBackend& settings() { return settings_; }
    const std::filesystem::path& programFolder() const { return folder_; }

    // A stored choice changed (the switch, a timer sound box, the files), so
    // that every window showing one shows the new state.
    Signal<> changed;

private:
    static std::size_t index(SoundEvent e) { return static_cast<std::size_t>(e); }
    bool flag(const SettingKey& key) const;

    SettingsBackend& settings_;
    SoundPlayer& player_;
    std::filesystem::path folder_;
    bool on_ = true;
    std::array<std::string, 5> paths_;
};

// The sounds tab: works on its own copy of the five files until saved.
class SoundsTab {
public:
    using Lookup = std::function<std::string(const std::string&)>;

    SoundsTab(Sounds& sounds, Dialogs& dialogs, Lookup lang = {});

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

} // namespace zul
