// Any bytes as a timer data file: the reader must not crash, the table keeps
// its invariants, and what it writes back reads back to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "timers/timer_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zul;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TimerTable table("/nonexistent");
    applyTimerFile(table, bytes, 6);
    if (table.count() < TimerTable::kMinTimers || table.count() > TimerTable::kMaxTimers ||
        table.runEntries().size() != static_cast<std::size_t>(table.count()) ||
        table.startTimes().size() != static_cast<std::size_t>(table.count()))
        std::abort();
    for (const TimerRecord& r : table.timers()) {
        if (!r.complete() && r.days != DaysRule::NotSet) std::abort();
        if (r.entry.find_first_of("*\"\r\n") != std::string::npos) std::abort();
        if (r.start.find_first_of("*\"\r\n") != std::string::npos) std::abort();
    }
    const std::string saved = formatTimerFile(table);
    TimerTable again("/nonexistent");
    applyTimerFile(again, saved, 6);
    if (formatTimerFile(again) != saved) std::abort();
    if (auto t = parseTimeOfDay(bytes); t && (*t < 0 || *t >= 86400)) std::abort();
    return 0;
}
