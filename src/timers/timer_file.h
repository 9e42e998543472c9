#pragma once
// The timer data file "tmrdat.zul" and the timer window's settings keys.
//
// One line per timer, in timer order, each a quoted text of three fields
// joined by "*": entry + "*" + start + "*" + days rule, CR LF after each.
// Older files separate the fields with ","; readers accept both, and also
// LF-only line ends.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "timers/timer_table.h"
#include "timers/translate.h"

namespace zul {

class Dialogs;
class SettingsBackend;

inline constexpr const char* kTimerFileName = "tmrdat.zul";
std::filesystem::path timerFilePath(const std::filesystem::path& programFolder);

// One line of the data file as read, quotes removed, fields not yet checked.
struct TimerFileLine {
    std::string entry, start, days;
    int fields = 0;  // how many fields the line had
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
    std::error_code fileError;  // the data file could not be written (the table stays unsaved)
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

// The timer window's menu and check-box settings.
struct TimerWindowOptions {
    int runDef = 0;                 // "RunDef": index of the days rule a new timer gets
    bool confirmClear = true;       // "cClearTimers"
    bool confirmDelete = true;      // "cDeleteTimers"
    bool allowNewTimers = true;     // "NewTimers"
    bool manualOffOnStart = true;   // "ManualTimers"
    bool confirmSaveQuit = true;    // "cSaveQuit"
    bool soundOnStart = true;       // "Sounds"/"TimerTsound" (0/1)
    bool soundOnCommand = true;     // "Sounds"/"TimerMsound" (0/1)
};

TimerWindowOptions loadTimerWindowOptions(const SettingsBackend& settings);
void saveTimerWindowOptions(SettingsBackend& settings, const TimerWindowOptions& options);

// Reads a stored Boolean: "True"/"False" in any case, or a number (non-zero = true).
bool settingAsBool(const std::string& text, bool fallback);
// Reads a stored number; fallback when it is not one.
double settingAsNumber(const std::string& text, double fallback);
// Reads a stored whole number; fallback when it is not one.
int settingAsInt(const std::string& text, int fallback);

} // namespace zul
