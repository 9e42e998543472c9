#pragma once
// The timer table: what each timer runs, when and on which days, plus the two
// lists the scheduler and the runners read (`runEntries`, `startTimes`). The timer
// window edits it through the setters below; the file side is in timer_file.h.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "timers/days_rule.h"

namespace zul {

struct TimerRecord {
    std::string entry; // what to run: a macro file or a command; empty = no entry
    std::string start; // "7:00:00 PM", "19:00:00", "SR", "SS+30" ...; empty = not set
    DaysRule days = DaysRule::NotSet;

    // Only a timer with both an entry and a start time takes part in scheduling.
    bool complete() const;
};

// The loop timer's stored fields (section "Macro").
struct LoopTimerFields {
    std::string entry;                // "LoopN"
    DaysRule days = DaysRule::NotSet; // "LoopD"
    std::string startTime, endTime;   // "LpStartTime", "LpEndTime"
    bool useStartEnd = false;         // "UseLpStartEndTimes"
};

class TimerTable {
public:
    static constexpr int kMinTimers = 6;
    static constexpr int kMaxTimers = 100;
    // The blank every `runEntries`/`startTimes` item holds until it is filled.
    static constexpr const char* kBlankItem = " ";

    explicit TimerTable(std::filesystem::path programFolder, int count = kMinTimers);

    int count() const { return static_cast<int>(timers_.size()); }
    const TimerRecord& timer(int i) const { return timers_.at(static_cast<std::size_t>(i)); }
    const std::vector<TimerRecord>& timers() const { return timers_; }
    // Exactly count() items each, in timer order.
    const std::vector<std::string>& runEntries() const { return runEntries_; }
    const std::vector<std::string>& startTimes() const { return startTimes_; }
    const std::filesystem::path& programFolder() const { return programFolder_; }

    // Edits: each marks the table as changed. "*", double quotes and line
    // breaks cannot be stored in the data file and are removed from texts.
    // Setting the entry keeps the run entry (`runEntries`) in step.
    void setEntry(int i, const std::string& text);
    void setStart(int i, const std::string& text);
    void setDays(int i, DaysRule rule);
    // Empties timer i: no entry, no start time, "not set".
    void clearTimer(int i);
    // Appends an empty timer; false at kMaxTimers.
    bool addTimer();
    // Removes the last timer; false at kMinTimers.
    bool removeLastTimer();

    // The due time the scheduler computed (not an edit).
    void setDueTime(int i, const std::string& text);

    // Starts over with count empty timers (clamped to kMinTimers..kMaxTimers),
    // every list item the blank " ", and no unsaved changes.
    void reset(int count);

    LoopTimerFields& loop() { return loop_; }
    const LoopTimerFields& loop() const { return loop_; }

    bool unsaved() const { return unsaved_; }
    void markChanged() { changed(); }
    void markSaved() { unsaved_ = false; }
    // Counts the edits and resets, so a reader can tell whether anything
    // changed since it looked.
    std::uint64_t revision() const { return revision_; }

    // The entry as used for running: unchanged when it is an absolute path
    // (a Unix path, or a drive path like "C:\..."), else inside the program folder.
    std::string runEntryFor(const std::string& entry) const;

    // Removes what a data file line cannot hold: "*", double quotes, CR and LF.
    static std::string storable(const std::string& text);

private:
    TimerRecord& at(int i) { return timers_.at(static_cast<std::size_t>(i)); }
    void changed() {
        unsaved_ = true;
        ++revision_;
    }

    std::filesystem::path programFolder_;
    std::vector<TimerRecord> timers_;
    std::vector<std::string> runEntries_, startTimes_;
    LoopTimerFields loop_;
    bool unsaved_ = false;
    std::uint64_t revision_ = 0;
};

} // namespace zul
