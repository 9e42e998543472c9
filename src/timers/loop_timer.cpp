#include "timers/loop_timer.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

#include "macros/cro_codes.h"
#include "macros/macro_file.h"
#include "platform/atomic_file.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "settings/settings_store.h"
#include "timers/clock_tick.h"
#include "platform/text.h"
#include "timers/timer_file.h"
#include "timers/timer_log.h"
#include "timers/timer_shared.h"
#include "timers/timer_table.h"
#include "x10/x10_codes.h"

namespace zul {

namespace {

// What the loop shows when its rule keeps it from running today.
const char* stoppedText(DaysRule rule) {
    switch (rule) {
    case DaysRule::Weekdays: return "Set for Weekdays only: Stopped for Weekend ";
    case DaysRule::Weekends: return "Set for Weekends only: Stopped for Weekdays ";
    case DaysRule::SunThu: return "Set for Sunday - Thursday only: Stopped! ";
    case DaysRule::FriSat: return "Set for Friday and Saturday only: Stopped! ";
    default: return "";
    }
}

bool loopRule(DaysRule rule) { return static_cast<int>(rule) < static_cast<int>(DaysRule::OneTime); }

} // namespace

LoopTimer::LoopTimer(EventLoop& loop, SettingsBackend& settings, TimerTable& table, TimerShared& shared, TimerLog& log,
                     const ClockTick& clock, Dialogs& dialogs, LangLookup lang)
    : loop_(loop), settings_(settings), table_(table), shared_(shared), log_(log), clock_(clock), dialogs_(dialogs),
      lang_(std::move(lang)) {
    tick_ = loop_.createTick("Tmr7", kStartPeriodMs, [this] { pass(); });
}

LoopTimer::~LoopTimer() = default;

void LoopTimer::restore() {
    flash_ = settingAsBool(readSetting(settings_, Setting::LoopFlash), false);
    row_ = 0;
    passStart_ = true;
    if (settingAsBool(readSetting(settings_, Setting::LoopRunning), false)) {
        start(false);
        return;
    }
    stop();
    // The status view shows from the start what the loop is doing.
    if (trimBlanks(table_.loop().entry).empty()) reportNotSet();
    else showStatus(lang_.cap("Not Running"), kStoppedColour);
}

std::string LoopTimer::pathFor(const std::string& entry) const {
    return table_.runEntryFor(endsWithNoCase(entry, ".cro") ? entry : entry + ".cro");
}

void LoopTimer::loadLoop() {
    rows_.clear();
    if (!endsWithNoCase(loopPath_, ".cro")) {
        enabled_ = false;
        return;
    }
    const FileRead read = readDataFile(loopPath_, macros::MacroFileLimit);
    if (read.ok()) {
        for (const macros::MacroLine& line : macros::parseMacroText(read.bytes).lines) rows_.push_back(line.text);
        return;
    }
    enabled_ = false;
    if (windowShown)
        dialogs_.info(
            InfoBox{lang_.cap("The macro for the Loop Timer was not found!"), lang_.cap("Loop Cannot Start")});
}

void LoopTimer::start(bool withSound) {
    const LoopTimerFields& fields = table_.loop();
    enabled_ = true;
    if (fields.days == DaysRule::NotSet) {
        enabled_ = false; // a loop without days cannot be ticked
    } else if (trimBlanks(fields.entry).empty()) {
        enabled_ = false;
        reportNotSet();
    } else {
        if (withSound && click) click();
        loopPath_ = pathFor(trimBlanks(fields.entry));
        loadLoop();
        if (rows_.empty()) enabled_ = false;
    }
    if (!enabled_) {
        stop();
        return;
    }
    row_ = 0;
    passStart_ = true;
    tick_->setInterval(kStartPeriodMs);
    tick_->setEnabled(true);
}

void LoopTimer::stop() {
    enabled_ = false;
    rows_.clear();
    tick_->setEnabled(false);
    row_ = 0;
    passStart_ = true;
}

void LoopTimer::setEnabled(bool on) {
    if (on) {
        start(true);
    } else {
        if (click) click();
        stop();
        if (trimBlanks(table_.loop().entry).empty()) reportNotSet();
        else showStatus(lang_.cap("Not Running"), kStoppedColour); // as before the run
    }
    store();
}

void LoopTimer::store() { writeSetting(settings_, Setting::LoopRunning, enabled_ ? "1" : "0"); }

void LoopTimer::setFlash(bool on) {
    flash_ = on;
    writeSetting(settings_, Setting::LoopFlash, on ? "1" : "0");
}

std::string LoopTimer::entryText() const {
    const std::string& entry = table_.loop().entry;
    return trimBlanks(entry).empty() ? lang_.cap("not set") : entry;
}

void LoopTimer::showStatus(const std::string& text, unsigned colour) {
    log_.setLoopStatus("Loop Timer : (" + entryText() + ")" + kCrLf + "     " + text, colour);
}

void LoopTimer::reportNotSet() { log_.setLoopStatus(lang_.cap("Loop Timer is Not Set!"), kStoppedColour); }

bool LoopTimer::admittedToday() {
    const DaysRule rule = table_.loop().days;
    if (loopRule(rule) && admits(rule, clock_.current().weekday)) return true;
    if (loopRule(rule)) showStatus(lang_.cap(stoppedText(rule)), kStoppedColour);
    else reportNotSet();
    tick_->setInterval(kDayRetestMs);
    return false;
}

void LoopTimer::pass() {
    if (rows_.empty()) {
        stop();
        return;
    }
    const LoopTimerFields& fields = table_.loop();
    if (!clock_.loopInWindow() && passStart_) {
        showStatus(lang_.cap("Set for") + " " + fields.startTime + " to " + fields.endTime + ". " +
                       lang_.cap("Not Running"),
                   kStoppedColour);
        return;
    }
    loop_.processEvents();
    if (!enabled_ || rows_.empty()) return; // stopped while events ran
    if (passStart_ && !admittedToday()) return;
    passStart_ = false;
    showStatus(lang_.cap("Running ... "), kRunningColour);
    playRow();
}

// Queues the current row's frame, waits its pause and moves to the next row.
void LoopTimer::playRow() {
    const std::string rec = rows_.at(static_cast<std::size_t>(row_ % static_cast<int>(rows_.size())));
    const std::string code = rec.substr(0, 16);
    const std::string pauseText = rec.size() > 16 ? trimBlanks(rec.substr(rec.size() >= 20 ? rec.size() - 4 : 16)) : "";
    double pause = settingAsNumber(pauseText, 0);
    if (flash_) pause -= 0.2;

    // A row whose code is no bit code cannot be sent; it still takes its pause.
    if (macros::isBitCode(code)) shared_.queueFrame(std::string(x10::FrameHeader) + code + x10::FrameFooter);
    loop_.processEvents();
    loop_.sleepMs(5);

    if (pauseText.empty() || pause < 1) pause = kMinRowSeconds;
    tick_->setInterval(static_cast<int>(std::lround(pause * 1000)));

    if (flash_) {
        if (lamp) lamp(true);
        loop_.processEvents();
        loop_.sleepMs(50);
        if (lamp) lamp(false);
    }
    const int count = static_cast<int>(rows_.size());
    if (row_ >= count - 1) passStart_ = true;
    row_ = row_ + 1 >= count ? 0 : row_ + 1;
}

void LoopTimer::chooseMacro(const std::string& fileName) {
    LoopTimerFields& fields = table_.loop();
    fields.entry = TimerTable::storable(fileName);
    if (trimBlanks(fields.entry).empty()) fields.days = DaysRule::NotSet;
    table_.markChanged();
}

bool LoopTimer::chooseDays(DaysRule rule) {
    if (trimBlanks(table_.loop().entry).empty()) {
        dialogs_.message(lang_.cap("Loop timer must contain a macro to activate!"));
        return false;
    }
    if (!loopRule(rule)) return false;
    table_.loop().days = rule;
    table_.markChanged();
    return true;
}

bool LoopTimer::clear(bool confirm) {
    if (confirm && dialogs_.questionDefaultNo(lang_.cap("Are you sure you want to clear the 'Loop' timer?"),
                                              lang_.cap("Clear Timer?")) != Answer::Yes)
        return false;
    stop();
    table_.loop().entry.clear();
    table_.loop().days = DaysRule::NotSet;
    table_.markChanged();
    store();
    return true;
}

} // namespace zul
