#pragma once
// The timer data file "tmrdat.zul" and the timer window's settings keys.
//
// One line per timer, in timer order, each a quoted text of three fields
// joined by "*": entry + "*" + start + "*" + days rule, CR LF after each.
// Older files separate the fields with ","; readers accept both, and also
// LF-only line ends.
#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/atomic_file.h"
#include "settings/setting_keys.h"
#include "timers/timer_table.h"
#include "timers/translate.h"

namespace zul {

class Dialogs;
class SettingsBackend;

inline constexpr const char* kTimerFileName = "tmrdat.zul";
inline constexpr FileLimit TimerFileLimit{1024 * 1024, "the timer file holds at most 100 timers"};
std::filesystem::path timerFilePath(const std::filesystem::path& programFolder);

// One line of the data file as read, quotes removed, fields not yet checked.
struct TimerFileLine {
    std::string entry, start, days;
    int fields = 0; // how many fields the line had
};

// Reads the file's text. A line with fewer than three fields fills what is
// there; a "," line with more than three keeps the commas of its entry (the
// last two fields are the start time and the days rule). A last line without
// a line end is read too.
std::vector<TimerFileLine> parseTimerFile(std::string_view bytes);

// The file's text for the whole table.
std::string formatTimerFile(const TimerTable& table, const Translate& translate = identityText);

// Fills the table from the data file's text: max(storedCount, the number of
// the text's last non-empty line) timers (at most 100); incomplete timers get
// "not set"; no unsaved changes afterwards.
void applyTimerFile(TimerTable& table, std::string_view bytes, int storedCount);

// Reads "TimerCount" and the loop timer's keys, then the data file: the table
// gets max(TimerCount, the number of the file's last non-empty line) timers
// (at most 100), so timers in the file are never dropped on the next save.
// Incomplete timers get "not set". A missing file is created empty. Returns
// an error when the file exists but cannot be read (the table is then empty).
std::error_code loadTimerTable(TimerTable& table, const SettingsBackend& settings);

// "Settings"/"TimerCount" as stored.
int storedTimerCount(const SettingsBackend& settings);
// The loop timer's keys in section "Macro".
LoopTimerFields readLoopTimerFields(const SettingsBackend& settings);

// Two timers whose due times are less than 2 seconds apart (indexes, i < j).
struct StartConflict {
    int first = 0, second = 0;
};

struct TimerSaveResult {
    std::error_code fileError; // the data file could not be written (the table stays unsaved)
    std::optional<StartConflict> conflict;
};

// Writes the data file, the loop timer's keys and "TimerCount", clears the
// unsaved flag when the file was written, then checks the start-time spacing
// and shows the "Timer Conflict" warning through dialogs (when given).
TimerSaveResult saveTimerTable(TimerTable& table, SettingsBackend& settings, Dialogs* dialogs,
                               const LangLookup& lang = {});

// Seconds since midnight of a due-time text ("7:00:01 PM", "19:00:01",
// "7:05"); nullopt for blanks, "Error" and anything else that is no time.
std::optional<int> parseTimeOfDay(std::string_view text);

// The first pair of due times less than 2 seconds apart (around midnight too).
// Blank or unreadable due times take no part.
std::optional<StartConflict> findStartConflict(const std::vector<std::string>& dueTimes);

// "Timer 1 and Timer 2 have a start time conflict." CR LF "Start times should be at least 2 seconds apart!"
std::string startConflictMessage(const StartConflict& c, const LangLookup& lang = {});

// The ticks of the timer window's "Timer Preferences" menu, each stored at
// once in section "Settings" as "True"/"False" (every one defaults to "True").
enum class TimerOption { ConfirmClear, ConfirmDelete, AllowNewTimers, ManualOffOnStart, ConfirmSaveQuit };
inline constexpr int kTimerOptionCount = 5;

struct TimerOptionInfo {
    TimerOption option;
    const SettingKey& key;
    const char* caption; // the menu entry
};
const TimerOptionInfo& timerOptionInfo(TimerOption option);

struct TimerWindowOptions {
    int runDef = 0; // "RunDef": index of the days rule a new timer gets
    std::array<bool, kTimerOptionCount> ticked{true, true, true, true, true};
    bool operator[](TimerOption o) const { return ticked[static_cast<std::size_t>(o)]; }
};

TimerWindowOptions loadTimerWindowOptions(const SettingsBackend& settings);
// Sets one tick (or the default days rule) and stores it at once.
void storeTimerOption(SettingsBackend& settings, TimerWindowOptions& options, TimerOption option, bool on);
void storeRunDef(SettingsBackend& settings, TimerWindowOptions& options, int index);

// Reads a stored Boolean: "True"/"False" in any case, or a number (non-zero = true).
bool settingAsBool(const std::string& text, bool fallback);
// Reads a stored number; fallback when it is not one.
double settingAsNumber(const std::string& text, double fallback);
// Reads a stored whole number; fallback when it is not one.
int settingAsInt(const std::string& text, int fallback);

} // namespace zul
