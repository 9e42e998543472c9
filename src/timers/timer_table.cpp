#include "timers/timer_table.h"

#include <algorithm>

#include "platform/text.h"

namespace zul {

bool TimerRecord::complete() const { return !trimBlanks(entry).empty() && !trimBlanks(start).empty(); }

TimerTable::TimerTable(std::filesystem::path programFolder, int count) : programFolder_(std::move(programFolder)) {
    reset(count);
}

void TimerTable::reset(int count) {
    const auto n = static_cast<std::size_t>(std::clamp(count, kMinTimers, kMaxTimers));
    timers_.assign(n, TimerRecord{});
    runEntries_.assign(n, kBlankItem);
    startTimes_.assign(n, kBlankItem);
    unsaved_ = false;
    ++revision_;
}

std::string TimerTable::storable(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '*' && c != '"' && c != '\r' && c != '\n') out += c;
    return out;
}

std::string TimerTable::runEntryFor(const std::string& entry) const {
    const bool drivePath = entry.size() >= 3 && entry[1] == ':' && entry[2] == '\\';
    if (drivePath || std::filesystem::path(entry).is_absolute()) return entry;
    return (programFolder_ / entry).string();
}

void TimerTable::setEntry(int i, const std::string& text) {
    at(i).entry = storable(text);
    runEntries_.at(static_cast<std::size_t>(i)) = runEntryFor(at(i).entry);
    changed();
}

void TimerTable::setStart(int i, const std::string& text) {
    at(i).start = storable(text);
    changed();
}

void TimerTable::setDays(int i, DaysRule rule) {
    at(i).days = rule;
    changed();
}

void TimerTable::clearTimer(int i) {
    at(i) = TimerRecord{};
    // The entry box changed, so the run entry follows it like any other edit.
    runEntries_.at(static_cast<std::size_t>(i)) = runEntryFor("");
    changed();
}

bool TimerTable::addTimer() {
    if (count() >= kMaxTimers) return false;
    timers_.emplace_back();
    runEntries_.emplace_back(kBlankItem);
    startTimes_.emplace_back(kBlankItem);
    changed();
    return true;
}

bool TimerTable::removeLastTimer() {
    if (count() <= kMinTimers) return false;
    timers_.pop_back();
    runEntries_.pop_back();
    startTimes_.pop_back();
    changed();
    return true;
}

void TimerTable::setDueTime(int i, const std::string& text) { startTimes_.at(static_cast<std::size_t>(i)) = text; }

} // namespace zul
