#pragma once
// A timer window's run machinery on virtual time with a simulated transmitter,
// fakes for the desktop and the sound player, and helpers to write macros.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/sim/simulated_transmitter.h"
#include "support/sim/virtual_event_loop.h"
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

namespace zul::test {

// Golden codes (house byte + unit/function byte).
inline const std::string A1On = "0110000000000000";
inline const std::string A1Off = "0110000000100000";
inline const std::string B2On = "0111000000010000";
inline const std::string C3On = "0100000000001000";
inline std::string frameOf(const std::string& code) { return "1101010110101010" + code + "10101101"; }
inline const std::string CrLf = "\r\n";

struct RunRig {
    RunRig() {
        port.open("sim");
        log.resizeStatus(table.count());
        sounds.load();
    }

    // Writes a macro file of (code, pause text) rows in the program folder.
    std::string macro(const std::string& name, const std::vector<std::pair<std::string, std::string>>& rows) {
        std::string bytes;
        for (const auto& [code, pause] : rows) bytes += "\"" + code + pause + "\"\r\n";
        writeFile(dir / name, bytes);
        return (dir / name).string();
    }
    // Writes the macro and makes it timer i's entry.
    void timerMacro(int i, const std::string& name, const std::vector<std::pair<std::string, std::string>>& rows) {
        macro(name, rows);
        table.setEntry(i, name);
    }
    // Starts timer i the way the scheduler does.
    void start(int i) {
        shared.StartIndex = i;
        shared.StartPending = true;
        engine.startTimer();
    }
    std::int64_t ms() const { return clock.monotonicMicros() / 1000; }
    // The decoded commands with their end times in ms.
    std::vector<std::pair<std::string, std::int64_t>> frames() {
        std::vector<std::pair<std::string, std::int64_t>> out;
        for (const auto& s : port.decoder().decoded())
            if (s.kind == sim::DecodedSignal::Kind::Command) out.emplace_back(s.text, s.micros / 1000);
        return out;
    }
    int countInLog(const std::string& text) const {
        int n = 0;
        for (std::size_t at = log.text().find(text); at != std::string::npos; at = log.text().find(text, at + 1)) ++n;
        return n;
    }

    TempDir dir;
    sim::VirtualClock clock{DateTime{2024, 6, 3, 12, 0, 0, 0}};
    sim::VirtualEventLoop loop{clock};
    sim::SimulatedTransmitter port{clock};
    bool stopAll = false;
    x10::Transmitter tx{port, loop, clock, stopAll};
    MemorySettings settings;
    RecordingSound player;
    Sounds sounds{settings, player, dir.path()};
    ErrorLog errors{dir.path(), clock};
    RecordingDesktop desktop;
    ScriptedDialogs dialogs;
    TimerShared shared;
    TimerTable table{dir.path(), 6};
    TimerLog log{clock, loop, settings, dir.path()};

    int endOfRuns = 0;
    std::vector<std::int64_t> endOfRunAt;
    std::vector<bool> indicator;
    std::vector<std::pair<int, std::string>> groups;
    TimerEngine engine{
        TimerEngineParts{loop, clock, tx, shared, table, log, settings, sounds, errors, desktop, dialogs, stopAll},
        TimerEngineHooks{[this](int g, const std::string& a) { groups.emplace_back(g, a); },
                         [this] {
                             ++endOfRuns;
                             endOfRunAt.push_back(ms());
                             tx.endOfRun();
                         },
                         [this](bool on) { indicator.push_back(on); },
                         {}}};
};

} // namespace zul::test
