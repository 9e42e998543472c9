// Real-clock timing of a timer run through the Qt event loop: a macro of
// ROWS rows (20 unless given) with 1 s pauses goes through a runner, the send
// queue and the bit sender to the simulated transmitter. Prints the largest
// difference between each frame's intended and actual time; with
// ZUL_TIMING_DETAIL set, each frame's.
//
// usage: runner_timing [ROWS]
#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/qt/qt_event_loop.h"
#include "platform/sim/simulated_transmitter.h"
#include "platform/system_clock.h"
#include "settings/error_log.h"
#include "settings/settings_store.h"
#include "settings/sounds.h"
#include "support/recording_platform.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"
#include "timers/timer_engine.h"
#include "timers/timer_log.h"
#include "timers/timer_shared.h"
#include "timers/timer_table.h"
#include "x10/transmitter.h"

using namespace zul;

int main(int argc, char** argv) {
    QCoreApplication qt(argc, argv);
    const int rows = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    constexpr std::int64_t PauseMs = 1000;
    test::TempDir dir;
    std::string bytes;
    for (int k = 0; k < rows; ++k)
        bytes += std::string("\"") + (k % 2 ? "0110000000100000" : "0110000000000000") + "0001\"\r\n";
    test::writeFile(dir / "bench.cro", bytes);

    SystemClock clock;
    qt::QtEventLoop loop;
    sim::SimulatedTransmitter port(clock);
    port.open("sim");
    std::vector<std::int64_t> sent; // when each command's last bit ended
    port.setListener([&](const sim::DecodedSignal& s) {
        if (s.kind == sim::DecodedSignal::Kind::Command) sent.push_back(s.micros);
    });
    bool stopAll = false;
    x10::Transmitter tx(port, loop, clock, stopAll);
    tx.setSpinMicros(x10::RealTimeSpinMicros);
    MemorySettings settings;
    test::RecordingSound player;
    Sounds sounds(settings, player, dir.path());
    ErrorLog errors(dir.path(), clock);
    test::RecordingDesktop desktop;
    test::ScriptedDialogs dialogs;
    TimerShared shared;
    TimerTable table(dir.path(), 6);
    TimerLog log(clock, loop, settings, dir.path());
    bool ended = false;
    TimerEngine engine(
        TimerEngineParts{loop, clock, tx, shared, table, log, settings, sounds, errors, desktop, dialogs, stopAll},
        TimerEngineHooks{{}, [&] { ended = true; }, {}, {}});
    table.setEntry(0, "bench.cro");

    const std::int64_t start = clock.monotonicMicros();
    shared.StartIndex = 0;
    shared.StartPending = true;
    engine.startTimer();
    while (!ended && clock.monotonicMicros() - start < (rows + 40) * 1'000'000LL)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (!ended || sent.size() != std::size_t(rows)) {
        std::fprintf(stderr, "runner_timing: the run did not end with %d frames (%zu sent)\n", rows, sent.size());
        return 1;
    }
    // Intended: row k queued 5 ms + 50 ms after the start and k pauses later,
    // then clocked out (70 ms settle, 40 bits of two 0.5 ms states).
    std::int64_t worst = 0, worstLate = 0;
    for (int k = 0; k < rows; ++k) {
        const std::int64_t intended = start + (55 + k * PauseMs + 110) * 1000;
        const std::int64_t diff = sent[std::size_t(k)] - intended;
        worst = std::max(worst, std::abs(diff));
        if (std::getenv("ZUL_TIMING_DETAIL")) std::printf("%d %.1f\n", k, diff / 1000.0);
        worstLate = std::max(worstLate, diff);
    }
    std::printf("%d rows of %lld ms: largest difference from the intended time %.1f ms (latest %.1f ms)\n", rows,
                static_cast<long long>(PauseMs), worst / 1000.0, worstLate / 1000.0);
    return 0;
}
