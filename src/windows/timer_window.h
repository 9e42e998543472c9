#pragma once
// The timer window ("Setup Timers") without its widgets: the start-time
// picker, the macro list, the row operations ("-->", "T", "M", clear, the days
// list, typing), adding and removing rows, the menu ticks, the loop timer's
// controls, the manual run, Apply / Close / Cancel and the summaries it writes
// into the timer log. It works on a loaded TimerService; the window shows
// what it holds and forwards the user's actions to it.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/datetime.h"
#include "timers/days_rule.h"
#include "timers/timer_file.h"
#include "timers/translate.h"

namespace zul {

class Clock;
class Dialogs;
class SettingsBackend;
class Sounds;
class TimerService;
} // namespace zul

namespace zul::windows {

// The start-time picker: hours, minutes and seconds, each stepped with its
// own up/down control and wrapping around, the minutes into the hour; AM/PM
// in the 12-hour style.
class StartTimePicker {
public:
    enum Field { Hours, Minutes, Seconds };

    // The window's time style; the hour runs 1-12 in the 12-hour style, else 0-23.
    void setTwelveHour(bool on);
    bool twelveHour() const { return twelveHour_; }
    void step(Field field, int delta);
    // A typed value, taken when it lies in the field's range.
    bool setField(Field field, int value);
    int field(Field field) const { return values_[field]; }
    std::string fieldText(Field field) const; // "07"
    void setPm(bool pm) { pm_ = pm; }
    bool pm() const { return pm_; }
    // "<-- Sync to system time".
    void sync(const DateTime& now);
    // The picked time as the clock shows it: "7:30:00 PM" or "19:30:00".
    std::string text() const;

private:
    int secondsOfDay() const;
    int values_[3] = {12, 0, 0};
    bool twelveHour_ = false;
    bool pm_ = false;
};

// One line of the summaries the window writes into the timer log.
// statusDump: the "Status / Log" form, which names unset parts.
std::string timerSummaryLine(int timer, const std::string& entry, const std::string& start, DaysRule days,
                             const std::string& runEntry, bool statusDump, const LangLookup& lang = {});

struct TimerWindowParts {
    TimerService& service;
    SettingsBackend& settings;
    Dialogs& dialogs;
    Sounds& sounds;
    const Clock& clock;
    LangLookup lang = {};
};

class TimerWindowForm {
public:
    explicit TimerWindowForm(TimerWindowParts parts);
    ~TimerWindowForm();
    TimerWindowForm(const TimerWindowForm&) = delete;
    TimerWindowForm& operator=(const TimerWindowForm&) = delete;

    TimerService& service() { return p_.service; }

    // --- what the window shows of row i
    int count() const;
    const std::string& entry(int i) const;
    const std::string& start(int i) const;
    DaysRule days(int i) const;
    std::string daysCaption(int i) const;
    unsigned daysColour(int i) const; // &HBBGGRR, for today
    bool startIsError(int i) const;   // the due time cannot be computed
    // Hovering the start field: the computed due time of an "SR"/"SS" timer.
    std::string startTip(int i) const;
    std::string rowButtonCaption(int i) const { return std::to_string(i + 1) + "-->"; }

    // --- the macro list: the program folder's "*.cro" files, then the
    // commands handed over by right clicks in the main window
    const std::filesystem::path& macroFolder() const;
    void refreshMacroList();
    const std::vector<std::string>& macroFiles() const { return files_; }
    const std::vector<std::string>& commands() const { return commands_; }
    void appendCommand(const std::string& text);

    StartTimePicker& picker() { return picker_; }
    void syncPicker();

    // --- row operations; selected is the macro list's chosen name ("" for none)
    void putMacroAndTime(int i, const std::string& selected); // "-->"
    void putTime(int i);                                      // "T"
    void putMacro(int i, const std::string& selected);        // "M"
    // Asks first when "Clear Timer" is ticked; false when nothing was cleared.
    bool clearTimer(int i);
    // The days list; refused with a message while the row lacks a macro or a time.
    bool canChooseDays(int i);
    void chooseDays(int i, DaysRule rule);
    // Typing in the entry and start fields. Returns the text the field keeps
    // ("*" and, in the start field, other characters than digits, ":", "+",
    // "-", blank and the letters of "SR", "SS", "AM", "PM" are removed).
    std::string typeEntry(int i, const std::string& text);
    std::string typeStart(int i, const std::string& text);
    // Leaving the start field: a fixed time is rewritten the way the clock
    // shows it ("07:00" becomes "7:00:00"), so that it can match the clock.
    std::string finishStart(int i);

    // --- rows
    bool canAddRows() const;
    bool canRemoveRows() const;
    bool addTimer();
    // Asks first when "Delete Timer" is ticked.
    bool removeTimer();
    std::string addTip() const;

    // --- the menu and the check boxes
    const TimerWindowOptions& options() const { return options_; }
    void setOption(TimerOption option, bool on);
    void setRunDef(int index);
    bool allowManual() const { return allowManual_; }
    void setAllowManual(bool on) { allowManual_ = on; }
    bool masterSwitch() const;
    void setMasterSwitch(bool on);
    std::string windowTitle() const;
    std::string switchCaption() const;
    bool soundOnStart() const;
    bool soundOnCommand() const;
    void setSoundOnStart(bool on);
    void setSoundOnCommand(bool on);
    void clickSound();

    // --- the loop timer
    std::string loopEntryText() const;
    std::string loopDaysCaption() const;
    unsigned loopDaysColour() const;
    void chooseLoopMacro(const std::string& selected); // "L -->"
    bool canChooseLoopDays();
    void chooseLoopDays(DaysRule rule);
    bool clearLoop();
    bool loopEnabled() const;
    void setLoopEnabled(bool on);
    bool loopFlash() const;
    void setLoopFlash(bool on);
    bool loopUsesWindow() const;
    const std::string& loopStart() const;
    const std::string& loopEnd() const;
    void setLoopWindow(bool use, const std::string& start, const std::string& end);

    // --- running, saving and closing
    // A double click in the macro list: plays the file once at once.
    void manualRun(const std::string& selected);
    // A double click on a command handed over by the main window: sends it once.
    void manualSend(const std::string& command);
    // "Status / Log": the summary of every timer and the loop into the log.
    void statusDump();
    bool unsaved() const;
    // Apply; false when the data file could not be written (the user was told).
    bool apply();
    // "Close": saves unsaved changes (with the saving summary in the log);
    // false when that failed and the window should stay.
    bool closeAndSave();
    // "Cancel": asks while a timer runs; false when the user said No.
    // Otherwise stops the runs and reloads the table and the loop from disk.
    bool cancel();
    // Unsaved changes: asks whether to save them (when "Exit without Saving
    // Timers" is ticked) and saves on Yes. False when they are not to be
    // saved (a save that failed keeps them, and the user was told).
    bool askToSave();
    // Closing by the window frame: askToSave, and changes left unsaved are
    // dropped (the table is reloaded), so what runs is what is stored.
    void closeByFrame();
    // "TimerMainLeft"/"TimerMainTop" in twips (500 each when missing).
    std::pair<int, int> storedPosition() const;
    void storePosition(int leftTwips, int topTwips);
    void setShown(bool shown);

    // --- changes for the window
    std::function<void(int row)> rowChanged;
    std::function<void()> rowsChanged; // added, removed or reloaded
    std::function<void()> loopChanged;
    std::function<void()> switchChanged;
    std::function<void()> macroListChanged;

private:
    void afterRowEdit(int i, bool summary);
    // saved: the closing line of the saving summary, "Timers Saved" or "Timers NOT Saved".
    void writeSummary(bool statusDump, bool saved = true);
    void reload();
    bool save();
    bool confirmed(TimerOption option, const std::string& text, const std::string& title);
    bool locationSet() const;
    void notifyRows();
    void notifyLoop();
    void logManual(const std::string& what, const char* text);

    TimerWindowParts p_;
    TimerWindowOptions options_;
    StartTimePicker picker_;
    std::vector<std::string> files_, commands_;
    bool allowManual_ = false;
};

} // namespace zul::windows
