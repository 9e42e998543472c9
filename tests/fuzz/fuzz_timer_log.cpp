// Any bytes as the autosave file TimerLog.log and as a session log entry: the
// minute autosave and the trim must not crash, and the file ends up short.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz_folder.h"
#include "platform/atomic_file.h"
#include "platform/sim/virtual_event_loop.h"
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
    settings.write("Settings", "MaxLogSize", "2");
    settings.write("Settings", "KeepLogSize", "1");
    settings.write("Settings", "MaxLogFileLines", "3");
    TimerLog log(clock, loop, settings, folder);
    log.pause = nullptr;
    for (int i = 0; i < 4; ++i) log.append(bytes);
    log.autosaveTick();
    // The file is trimmed to 3 lines whenever it holds more than 6 pieces.
    const FileRead after = readDataFile(folder / kTimerLogFileName, TimerLogLimit);
    if (after.ok() && std::count(after.bytes.begin(), after.bytes.end(), '\n') > 4) std::abort();
    return 0;
}
