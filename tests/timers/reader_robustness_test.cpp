// Seeded random and truncated inputs for the timer data file and timer log
// readers: they must never crash, and what they produce must keep the table's
// invariants and survive a save/load round trip unchanged.
#include <gtest/gtest.h>

#include <random>

#include "platform/sim/virtual_event_loop.h"
#include "settings/settings_store.h"
#include "support/temp_dir.h"
#include "timers/timer_file.h"
#include "timers/timer_log.h"

namespace zul {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

std::string randomText(std::mt19937& rng, std::size_t maxLen) {
    static const std::string alphabet = "\"\"**,,\r\n\n\r  :+-0123456789SRAMPNeverydaWk&-Tu\t\x01\xff\xc3";
    std::uniform_int_distribution<std::size_t> len(0, maxLen), pick(0, alphabet.size()), byte(0, 255);
    std::string s(len(rng), ' ');
    for (char& c : s) {
        const std::size_t k = pick(rng);
        c = k < alphabet.size() ? alphabet[k] : static_cast<char>(byte(rng));
    }
    return s;
}

void expectTableInvariants(const TimerTable& t) {
    ASSERT_GE(t.count(), TimerTable::kMinTimers);
    ASSERT_LE(t.count(), TimerTable::kMaxTimers);
    ASSERT_EQ(t.lstMacro().size(), static_cast<std::size_t>(t.count()));
    ASSERT_EQ(t.lstTime().size(), static_cast<std::size_t>(t.count()));
    for (const TimerRecord& r : t.timers()) {
        if (!r.complete()) {
            EXPECT_EQ(r.days, DaysRule::NotSet);
        }
        EXPECT_EQ(r.entry.find_first_of("*\"\r\n"), std::string::npos);
        EXPECT_EQ(r.start.find_first_of("*\"\r\n"), std::string::npos);
    }
}

TEST(TimerReaderRobustness, TimerDataFileSurvivesRandomAndTruncatedInput) {
    TempDir dir;
    std::mt19937 rng(20240603);
    const std::string valid =
        "\"C:\\Macros\\Porch.cro*SS+30*Everyday\"\r\n\"A 5 ON*7:00:00 PM*Fri & Sat\"\r\n\"**not set\"\r\n";
    std::vector<std::string> inputs;
    for (std::size_t n = 0; n <= valid.size(); ++n) inputs.push_back(valid.substr(0, n));
    for (int i = 0; i < 800; ++i) inputs.push_back(randomText(rng, i % 10 == 0 ? 4000 : 300));

    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const std::vector<TimerFileLine> lines = parseTimerFile(inputs[i]);
        EXPECT_LE(lines.size(), inputs[i].size() + 1);
        TimerTable table(dir.path());
        applyTimerFile(table, inputs[i], 6);
        expectTableInvariants(table);
        const std::string saved = formatTimerFile(table);
        TimerTable again(dir.path());
        applyTimerFile(again, saved, 6);
        ASSERT_EQ(formatTimerFile(again), saved) << "input " << i;
        if (i % 10 != 0) continue;  // through the real file now and then
        MemorySettings settings;  // "TimerCount" 6, as above
        writeFile(dir / "tmrdat.zul", inputs[i]);
        loadTimerTable(again, settings);
        saveTimerTable(again, settings, nullptr);
        ASSERT_EQ(readFile(dir / "tmrdat.zul"), saved) << "input " << i;
    }
}

TEST(TimerReaderRobustness, TimeOfDayReaderStaysInTheDay) {
    std::mt19937 rng(7);
    for (int i = 0; i < 2000; ++i) {
        const auto secs = parseTimeOfDay(randomText(rng, 14));
        if (secs) {
            EXPECT_TRUE(*secs >= 0 && *secs < 86400);
        }
    }
}

TEST(TimerReaderRobustness, TimerLogAutosaveAndTrimSurviveRandomInput) {
    TempDir dir;
    sim::VirtualClock clock;
    sim::VirtualEventLoop loop(clock);
    MemorySettings settings;
    TimerLog log(clock, loop, settings, dir.path());
    log.pause = nullptr;
    std::mt19937 rng(99);
    const char* numbers[] = {"", "0", "3", "-5", "2.5", "abc", "1e308", "nan", "40000", "12"};
    std::uniform_int_distribution<int> pickNumber(0, 9), coin(0, 1);
    for (int i = 0; i < 400; ++i) {
        settings.write("Settings", "MaxLogSize", numbers[pickNumber(rng)]);
        settings.write("Settings", "KeepLogSize", numbers[pickNumber(rng)]);
        settings.write("Settings", "MaxLogFileLines", numbers[pickNumber(rng)]);
        log.setAutoSave(coin(rng) == 1);
        if (i % 20 == 0) writeFile(dir / "TimerLog.log", randomText(rng, 2000));
        log.append(randomText(rng, 60));
        log.autosaveTick();
        const std::string file = readFile(dir / "TimerLog.log");
        EXPECT_LT(file.size(), 400000u);
        if (i % 40 == 0) log.clear();
    }
}

} // namespace
} // namespace zul
