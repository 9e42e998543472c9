#pragma once
// Audible feedback: five sound events, each with a WAV file the user can
// change, silence ("none") or restore; and a master switch.
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
const std::array<SoundEventInfo, 5>& soundEvents();
const SoundEventInfo& soundEventOf(SoundEvent e);

// Starts playing a WAV file and returns at once. "none", an empty path and a
// file that does not exist are silent.
void playSound(SoundPlayer& player, const std::string& path);

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
    // Plays any file (playSound through this program's player).
    void playFile(const std::string& path);

    // "Sounds"/"TimerTsound" and "TimerMsound": "1" plays. A missing key is
    // "1", as the timer window's boxes show it; every player reads them here.
    bool timerTsound() const;
    bool timerMsound() const;
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

} // namespace zul
