// Prepares a program folder and a settings folder for measuring the desktop
// program's idle cost with the timers on (tools/idle_cpu.sh runs it): the
// simulated transmitter as the port, the "&Timers" switch on, TIMERS timers
// spread over the day (fixed, sunrise and sunset, none due within the next
// hours of the start) and the loop timer running a two-row macro with 30 s
// pauses.
//
// usage: timer_idle_setup PROGRAM_FOLDER CONFIG_FOLDER [TIMERS]
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/atomic_file.h"
#include "platform/system_clock.h"
#include "platform/text.h"
#include "settings/record_store.h"
#include "settings/settings_store.h"
#include "timers/clock_tick.h"

namespace fs = std::filesystem;

namespace {

std::string timerLines(int count, int nowSeconds) {
    static const char* const kDays[] = {"Everyday", "Weekdays", "Weekends", "Fri & Sat", "Sun - Thu"};
    std::string out;
    for (int i = 0; i < count; ++i) {
        std::string start;
        if (i % 10 == 3) {
            start = "SR+" + std::to_string(i % 50);
        } else if (i % 10 == 7) {
            start = "SS-" + std::to_string(i % 40);
        } else {
            // Twelve hours away from now and a few seconds apart: nothing fires.
            start = zul::timeOfDayText(nowSeconds + 12 * 3600 + i * 17, false);
        }
        out += zul::quotedLine("idle" + std::to_string(i % 5) + ".cro*" + start + "*" + kDays[i % 5]);
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: timer_idle_setup PROGRAM_FOLDER CONFIG_FOLDER [TIMERS]\n");
        return 2;
    }
    const fs::path home = argv[1], config = argv[2];
    const int timers = argc > 3 ? std::atoi(argv[3]) : 100;
    fs::create_directories(home);
    fs::create_directories(config);

    zul::RecordStore records;
    if (!records.open(home / "db.zld")) return 1;
    records.writeRecord(270, "sim", true); // the simulated transmitter
    records.writeRecord(275, "1", true);   // the "&Timers" switch
    records.close();

    const zul::DateTime now = zul::SystemClock().now();
    zul::writeFileAtomically(home / "tmrdat.zul", timerLines(timers, now.hour * 3600 + now.minute * 60));
    zul::writeFileAtomically(home / "loop.cro",
                             zul::quotedLine("01100000000000000030") + zul::quotedLine("01100000001000000030"));
    zul::IniSettingsStore settings(config / "settings.ini");
    using zul::Setting;
    const std::pair<const zul::SettingKey*, std::string> values[] = {
        {&Setting::TimerCount, std::to_string(timers)},
        {&Setting::UpdateCheck, "0"},
        {&Setting::CityLatitude, "52.52"},
        {&Setting::CityLongitude, "-13.4"},
        {&Setting::CityZone, "-1"},
        {&Setting::LoopEntry, "loop.cro"},
        {&Setting::LoopDays, "Everyday"},
        {&Setting::LoopRunning, "1"},
    };
    for (const auto& [key, value] : values) settings.write(*key, value);
    std::printf("%s: %d timers, loop timer on, port sim\n", home.c_str(), timers);
    return 0;
}
