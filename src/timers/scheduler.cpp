#include "timers/scheduler.h"

#include "platform/clock.h"
#include "platform/event_loop.h"
#include "timers/clock_tick.h"
#include "timers/days_rule.h"
#include "platform/text.h"
#include "timers/timer_file.h"
#include "timers/timer_log.h"
#include "timers/timer_shared.h"
#include "timers/timer_table.h"

namespace zul {

Scheduler::Scheduler(const Clock& time, EventLoop& loop, SettingsBackend& settings, TimerTable& table,
                     TimerShared& shared, ClockTick& clock, TimerLog& log, LangLookup lang)
    : time_(time), settings_(settings), table_(table), shared_(shared), clock_(clock), log_(log),
      lang_(std::move(lang)) {
    tick_ = loop.createTick("Timer2", kPeriodMs, [this] { pass(); });
    tick_->setCoarse(true);
}

Scheduler::~Scheduler() = default;

void Scheduler::pass() {
    // Cleared without the switch's own handler: stop after this pass.
    if (!master_) tick_->setEnabled(false);
    if (!shared_.RunnerActive) lastStarted_ = -1;
    keepRanOnce();

    std::vector<ClockSecond> seconds = clock_.takeSeconds();
    // The current second is looked at on every pass, like the clock text the
    // window shows, so a start held back by `StartPending` gets its second try.
    if (seconds.empty() || seconds.back().serial != clock_.current().serial) seconds.push_back(clock_.current());
    for (const ClockSecond& second : seconds) check(second);
}

void Scheduler::check(const ClockSecond& second) {
    firedIn_.resize(static_cast<std::size_t>(table_.count()), -1);
    for (int i = 0; i < table_.count(); ++i) {
        if (table_.startTimes()[static_cast<std::size_t>(i)] != second.text || i == lastStarted_) continue;
        const TimerRecord& timer = table_.timer(i);
        // "Never" and "not set" admit no day; a timer without entry or start never runs.
        if (!timer.complete() || !admits(timer.days, second.weekday)) continue;
        if (!fire(i, second)) continue;
        if (i < table_.count() && table_.timer(i).days == DaysRule::OneTime) oneTimeDone(i);
    }
}

bool Scheduler::fire(int i, const ClockSecond& second) {
    std::int64_t& fired = firedIn_[static_cast<std::size_t>(i)];
    if (shared_.StartPending || fired == second.serial) return false;
    shared_.StartPending = true;
    shared_.StartIndex = i;
    lastStarted_ = i;
    fired = second.serial;
    if (startTimer) startTimer();
    else shared_.StartPending = false;
    // The table may have shrunk while `startTimer` let other events run.
    firedIn_.resize(static_cast<std::size_t>(table_.count()), -1);
    return true;
}

// A "One Time" timer that has started becomes "Never". Unless the user has
// unsaved edits (which the next save will carry), the file is rewritten at
// once so the change survives a restart.
void Scheduler::oneTimeDone(int i) {
    const bool save = onlyOwnChangesUnsaved();
    const TimerRecord& timer = table_.timer(i);
    ranOnce_.push_back({i, timer.entry, timer.start});
    table_.setDays(i, DaysRule::Never);
    if (!save) return;
    saveOwed_ = true;
    ownRevision_ = table_.revision();
    saveNever();
}

bool Scheduler::onlyOwnChangesUnsaved() const {
    return !table_.unsaved() || (saveOwed_ && table_.revision() == ownRevision_);
}

// On every pass: a table read again from a file that still says "One Time"
// gets its "Never" back, and an owed save is tried again when it is due.
void Scheduler::keepRanOnce() {
    if (ranOnce_.empty()) return;
    const bool ownOnly = onlyOwnChangesUnsaved();
    bool restored = false;
    std::erase_if(ranOnce_, [&](const RanOnce& r) {
        // Another timer there now, or none (a file that could not be read):
        // kept, should the file come back as it was.
        if (r.index >= table_.count()) return false;
        const TimerRecord& timer = table_.timer(r.index);
        if (timer.entry != r.entry || timer.start != r.start) return false;
        if (timer.days == DaysRule::OneTime) {
            table_.setDays(r.index, DaysRule::Never);
            restored = true;
            return false;
        }
        // Saved as "Never", or set to another rule by the user: nothing left to keep.
        return timer.days != DaysRule::Never || !table_.unsaved();
    });
    if (restored && ownOnly) {
        saveOwed_ = true;
        ownRevision_ = table_.revision();
        retryAtMicros_ = 0;
    }
    if (!table_.unsaved()) saveOwed_ = false;
    if (saveOwed_ && table_.revision() == ownRevision_ && time_.monotonicMicros() >= retryAtMicros_) saveNever();
}

void Scheduler::saveNever() {
    const std::error_code error = saveTable ? saveTable() : saveTimerTable(table_, settings_, nullptr, lang_).fileError;
    if (!error) {
        saveOwed_ = saveFailing_ = false;
        return;
    }
    retryAtMicros_ = time_.monotonicMicros() + std::int64_t(SaveRetryMs) * 1000;
    if (saveFailing_) return;
    saveFailing_ = true;
    std::string timers;
    for (const RanOnce& r : ranOnce_)
        if (r.index < table_.count() && table_.timer(r.index).entry == r.entry)
            timers += (timers.empty() ? "" : ", ") + std::to_string(r.index + 1);
    const std::string what = "Timer " + timers + " ran once, but its \"Never\" cannot be saved to " +
                             timerFilePath(table_.programFolder()).string() + ": " + error.message() +
                             "; it does not run again while Zulmarin runs, and the save is tried again";
    log_.append(kCrLf + log_.formatNow(time_.now()) + kCrLf + what + kCrLf);
    if (logError) logError(what);
}

void Scheduler::setMasterSwitch(bool on) {
    if (on == master_) return;
    master_ = on;
    if (on) clock_.forgetSeconds(); // what passed while off is not started later
    tick_->setEnabled(on);
    const std::string what = on ? "Master Timer Enabled" : "Master Timer Disabled";
    // Like the runners' entries, the entry itself starts with a line break.
    log_.append(kCrLf + lang_.cap(what) + " " + kCrLf + "\t" + log_.formatNow(time_.now()) + kCrLf);
}

std::string Scheduler::switchCaption() const { return lang_.cap(master_ ? "Timers ON" : "Timers OFF"); }

std::string Scheduler::windowTitle() const {
    return "   " + lang_.cap("Setup Timers") + "  -- " +
           lang_.cap(master_ ? "Timers are Enabled!" : "Timers are Disabled!");
}

} // namespace zul
