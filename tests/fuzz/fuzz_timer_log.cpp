// Any bytes as the autosave file TimerLog.log and as a session log entry: the
// minute autosave and the trim must not crash, and the file ends up short.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz_folder.h"
#include "platform/atomic_file.h"
#include "support/sim/virtual_event_loop.h"
#include "settings/settings_store.h"
#include "timers/timer_log.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zul;
    const std::filesystem::path& folder = fuzzFolder();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    writeFileAtomically(folder / kTimerLogFileName, bytes);
    sim::VirtualClock clock;
    sim::VirtualEventLoop loop(clock);
    MemorySettings settings;
    // The window's limits come from the input's first bytes, sensible or not.
    static const char* const numbers[] = {"", "0", "2", "-5", "2.5", "abc", "1e308", "nan", "40000", "1"};
    const auto number = [&](std::size_t i) { return numbers[i < size ? data[i] % 10 : 2]; };
    settings.write(Setting::MaxLogSize, number(0));
    settings.write(Setting::KeepLogSize, number(1));
    settings.write(Setting::MaxLogFileLines, "3");
    TimerLog log(clock, loop, settings, folder);
    log.pause = nullptr;
    log.setAutoSave(size < 3 || data[2] % 4 != 0);
    for (int i = 0; i < 4; ++i) log.append(bytes);
    log.autosaveTick();
    // Trimmed to 3 lines whenever it holds more than 6 pieces, the file ends
    // with at most 5 line breaks.
    const FileRead after = readDataFile(folder / kTimerLogFileName, TimerLogLimit);
    if (after.ok() && std::count(after.bytes.begin(), after.bytes.end(), '\n') > 5) std::abort();
    return 0;
}
