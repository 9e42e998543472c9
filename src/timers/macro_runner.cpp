#include "timers/macro_runner.h"

#include <cmath>

#include "macros/cro_codes.h"
#include "macros/macro_row.h"
#include "timers/run_texts.h"
#include "timers/timer_shared.h"
#include "x10/x10_codes.h"

namespace zul {

namespace {
constexpr int InitialPeriodMs = 1000;
constexpr int MinuteMs = 60000;
// What a short pause's period leaves for the tick's own sleep.
constexpr int SleepAllowanceMs = 50;

// The last 4 characters of a row record: its pause in seconds.
std::string pauseTextOf(const std::string& record) {
    if (record.empty()) return "0";
    return record.size() > 4 ? record.substr(record.size() - 4) : record;
}

std::string frameOf(const std::string& record) {
    if (record.empty()) return {};
    const std::string code = record.substr(0, 16);
    return x10::FrameHeader + code + x10::FrameFooter;
}
} // namespace

MacroRunner::MacroRunner(int index, RunnerHost& host)
    : index_(index), sleepMs_(50 + 3 * index), host_(host),
      tick_(host.loop().createTick("tmrThread" + std::to_string(index), InitialPeriodMs, [this] { onTick(); })) {}

void MacroRunner::load(int timer, std::vector<std::string> rows, std::string runStart) {
    rows_ = std::move(rows);
    timer_ = timer;
    row_ = 0;
    pendingStart_ = std::move(runStart);
    // A run stopped from outside leaves its state behind; a new one starts clean.
    runStarted_ = longPause_ = sentOne_ = false;
    minutesLeft_ = 0;
    tick_->setInterval(FirstTickMs);
    tick_->setEnabled(true);
}

void MacroRunner::stop() {
    if (busy()) endRun();
}

void MacroRunner::setPeriod(int ms) {
    // A period below 1 ms (a pause of 0.05 s or less) would stall the tick:
    // the previous period stays.
    if (ms >= 1) tick_->setInterval(ms);
}

void MacroRunner::onTick() {
    host_.showIndicator();
    if (longPause_) {
        countDownLongPause();
        return;
    }
    lightAndSound();
    host_.loop().processEvents();
    host_.loop().sleepMs(sleepMs_);
    if (!runStarted_) beginRun();
    host_.shared().RunnerActive = true;
    if (index_ == 0) sentOne_ = true;

    const std::string record = row_ < int(rows_.size()) ? rows_[std::size_t(row_)] : std::string();
    const std::string pauseText = pauseTextOf(record);
    const bool queued = record.empty() || queueRow(record);
    host_.lamp(false);
    const auto pauseMs = macros::pauseMillis(pauseText);
    if (!pauseMs || !queued)
        host_.appendLog(host_.texts().badCommandLog(timer_, host_.entryText(timer_), frameOf(record)));
    if (pauseMs && *pauseMs > LongPauseFromMs) {
        startLongPause(*pauseMs);
        return;
    }
    if (row_ >= int(rows_.size())) {
        endRun();
        return;
    }
    ++row_;
    // The tick's sleep is part of the pause.
    if (pauseMs) setPeriod(*pauseMs - SleepAllowanceMs);
    if (index_ == 0 && row_ >= int(rows_.size())) sentOne_ = false;
}

void MacroRunner::countDownLongPause() {
    if (minutesLeft_ >= 1) {
        minutesLeft_ -= 1;
        setPeriod(MinuteMs);
        return;
    }
    const int rest = minutesLeft_ <= 0 ? 1 : int(std::nearbyint(minutesLeft_ * 60.0f * 1000.0f));
    setPeriod(rest < 1 ? 1 : rest);
    longPause_ = false;
    // A part-minute left over is not carried into later pauses.
    minutesLeft_ = 0;
}

void MacroRunner::lightAndSound() {
    // Runner 0 lights the lamp and sounds only while rows follow one another;
    // the others from their third row on.
    const bool light = index_ != 0 || sentOne_;
    const bool sound = index_ == 0 ? sentOne_ && row_ > 0 : row_ > 1;
    if (light) host_.lamp(true);
    if (sound) host_.playMacroCommandSound();
}

void MacroRunner::beginRun() {
    runStartText_ = pendingStart_;
    minutesLeft_ = 0;
    if (row_ == 0) host_.playTimerStartSound();
    const std::string macro = host_.entryText(timer_);
    host_.appendLog(host_.texts().startedLog(timer_, macro, host_.nowText()));
    host_.setStatus(timer_, host_.texts().runningStatus(timer_, macro, runStartText_, index_), RunningColour, false);
    runStarted_ = true;
}

bool MacroRunner::queueRow(const std::string& record) {
    // A row whose code is not 16 bits would clock out garbage: it is
    // reported as a bad command instead of being sent.
    if (!macros::isBitCode(record.substr(0, 16))) return false;
    host_.shared().queueFrame(frameOf(record));
    return true;
}

void MacroRunner::startLongPause(int pauseMs) {
    minutesLeft_ = float(pauseMs) / float(MinuteMs) - 1.0f;
    setPeriod(MinuteMs);
    if (index_ == 0) sentOne_ = false;
    longPause_ = true;
    ++row_;
}

void MacroRunner::endRun() {
    runStarted_ = false;
    rows_.clear();
    row_ = 0;
    tick_->setEnabled(false);
    host_.runEnded(*this);
    host_.appendLog(host_.texts().endedLog(timer_, host_.nowText()));
    host_.setStatus(timer_,
                    host_.texts().endedStatus(timer_, host_.entryText(timer_), runStartText_, host_.timeOfDayText()),
                    EndedColour, true);
}

} // namespace zul
