#pragma once
// The timer event session log and its autosave file "TimerLog.log".
//
// The session log is one text: every entry is appended as CR LF + entry, so
// it starts with a line break and has none at the end. Once a minute the
// oldest lines move out to TimerLog.log (when "Auto Save Log" is on; else
// they are dropped), and the file is trimmed to its last "MaxLogFileLines"
// lines. Every write to the file is a quoted record: '"' + text + '"' + CR LF.
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/datetime.h"
#include "platform/signal.h"
#include "timers/translate.h"

namespace zul {

class Clock;
class Dialogs;
class EventLoop;
class SettingsBackend;
class Tick;

inline constexpr const char* kTimerLogFileName = "TimerLog.log";
inline constexpr FileLimit TimerLogLimit{32 * 1024 * 1024,
                                         "the timer log is trimmed to \"MaxLogFileLines\" lines (59000 unless set)"};
// The trim and the append read a file up to this size, so one that has
// outgrown TimerLogLimit (an older version let it) is cut back, not refused.
inline constexpr FileLimit TimerLogRepairLimit{2 * TimerLogLimit.maxBytes, TimerLogLimit.reason};

// The end of text that fits in maxBytes, starting at a line: the oldest lines go.
std::string lastLinesWithin(const std::string& text, std::size_t maxBytes);

// Trims a text file to its last maxLines lines (split at CR LF or LF). The
// file is only rewritten when it holds more than maxLines + 3 pieces, or is
// larger than TimerLogLimit (it then keeps the last lines that fit); the
// rewrite also removes every double quote and ends with CR LF. Errors are
// ignored: a missing file leaves nothing to trim.
void fixFileSize(const std::filesystem::path& path, double maxLines);

// What the runners show for one timer in the status view.
struct TimerStatusLine {
    std::string text = "Status not set!";
    unsigned colour = 0xFFFFFF; // &HBBGGRR
};

class TimerLog {
public:
    // Loads the window's stored choices and starts the minute autosave tick.
    TimerLog(Clock& clock, EventLoop& loop, SettingsBackend& settings, std::filesystem::path programFolder,
             LangLookup lang = {});
    ~TimerLog();
    TimerLog(const TimerLog&) = delete;
    TimerLog& operator=(const TimerLog&) = delete;

    // --- the session log
    const std::string& text() const { return text_; }
    void append(const std::string& entry);
    std::filesystem::path logFilePath() const { return programFolder_ / kTimerLogFileName; }

    // --- "Auto Save Log" and the view switch ("LogStatus", stored at every change)
    bool autoSave() const { return autoSave_; }
    void setAutoSave(bool on) { autoSave_ = on; }
    bool statusView() const { return statusView_; }
    void setStatusView(bool on);

    // --- status lines written by the runners and the loop timer
    void resizeStatus(int timers);
    void setStatus(int timer, const std::string& text, unsigned colour);
    const std::vector<TimerStatusLine>& statusLines() const { return status_; }
    const TimerStatusLine& loopStatus() const { return loopStatus_; }
    void setLoopStatus(const std::string& text, unsigned colour);

    // --- actions
    // The minute tick: move old lines out, then trim the file ("TrimTimerLog" = 1).
    void autosaveTick();
    // "Clear": with "Auto Save Log" on, the saved log is appended to
    // TimerLog.log first; the session log is emptied unless that write failed.
    std::error_code clear();
    // "Save As": asks for a name and writes program folder / (name + ".log").
    // Returns the file written; nothing when cancelled, empty or failed (a
    // failure is reported through dialogs).
    std::optional<std::filesystem::path> saveAs(Dialogs& dialogs);
    // The window goes away with the program: keeps the session log in
    // TimerLog.log (with "Auto Save Log" on) and stores "TimerLogS".
    std::error_code unload();

    // The printout: the session log, then "Printed on:  " with the date and time.
    std::string printText() const;

    // Every entry appended, as given (the service prints them, the MQTT bridge publishes them).
    Signal<const std::string&> entryAdded;
    // Told once when TimerLog.log cannot be written, and once more when it
    // fails again after it could be.
    std::function<void(const std::string& what)> saveFailed;

    // --- hooks for the window
    std::function<void()> onTextChanged; // follow the end of the log
    // A status line changed (kLoopStatus: the loop timer's), or their number did.
    static constexpr int kLoopStatus = -1;
    std::function<void(int timer)> onStatusChanged;
    std::function<void()> onStatusResized;
    std::function<void(bool busy)> onAutosaveBusy; // "Auto Save Log" label yellow while true
    // The wait after an autosave, letting other events run. By default it
    // processes events on the loop for that long.
    std::function<void(double seconds)> pause;
    // How "now" is written in the records.
    std::function<std::string(const DateTime&)> formatNow;

    Tick& autosaveTimer() { return *tick_; }

private:
    void setText(std::string text);
    bool moveOldLines();
    std::string nowText() const;
    std::string saveRecords() const;
    // Adds records to TimerLog.log, dropping its oldest lines first when it
    // would outgrow TimerLogLimit; a failure is told through saveFailed.
    std::error_code appendToFile(const std::string& records);

    Clock& clock_;
    SettingsBackend& settings_;
    std::filesystem::path programFolder_;
    LangLookup lang_;
    std::string text_;
    bool autoSave_ = true;
    bool statusView_ = true;
    bool saveFailing_ = false;
    std::vector<TimerStatusLine> status_;
    TimerStatusLine loopStatus_;
    std::unique_ptr<Tick> tick_;
};

} // namespace zul
