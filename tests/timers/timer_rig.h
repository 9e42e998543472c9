#pragma once
// A timer service in virtual time with a stand-in for the runner engine: its
// `startTimer` records which timer started at which clock text and, like the
// real one, lets events run for 0.8 s before it clears `StartPending`.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/sim/simulated_transmitter.h"
#include "support/sim/virtual_clock.h"
#include "support/sim/virtual_event_loop.h"
#include "settings/error_log.h"
#include "settings/settings_store.h"
#include "settings/sounds.h"
#include "support/recording_platform.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"
#include "timers/timer_file.h"
#include "timers/timer_service.h"
#include "x10/transmitter.h"

namespace zul::test {

// One quoted line, ended by CR LF, per text: the layout of the timer and macro files.
inline std::string quotedLines(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& l : lines) bytes += "\"" + l + "\"\r\n";
    return bytes;
}

struct TimerStart {
    int index = 0;
    std::string clockText;
    std::string dueText; // the timer's due time when it started
    DateTime at;
};

struct TimerRig {
    explicit TimerRig(DateTime start)
        : clock(start), loop(clock), service(clock, loop, settings, dialogs, home.path()) {
        service.setEngine({[this] { fakeStartTimer(); }, [] { return false; }});
    }

    // Waits, processing events, as `pause` does.
    void pause(double seconds) {
        const std::int64_t deadline = clock.monotonicMicros() + static_cast<std::int64_t>(seconds * 1e6);
        while (clock.monotonicMicros() < deadline) {
            loop.processEvents();
            const std::int64_t left = (deadline - clock.monotonicMicros() + 999) / 1000;
            if (left > 0) loop.sleepMs(static_cast<int>(std::min<std::int64_t>(left, 10)));
        }
    }

    void fakeStartTimer() {
        const int i = service.shared().StartIndex;
        starts.push_back(
            {i, service.shared().clockText, service.table().startTimes()[static_cast<std::size_t>(i)], clock.now()});
        pause(0.8);
        service.shared().StartPending = false;
    }

    // Writes tmrdat.zul with one "entry*start*days" line per timer and loads the service.
    void load(const std::vector<std::string>& lines, bool masterOn = true) {
        writeFile(home / "tmrdat.zul", quotedLines(lines));
        settings.write(Setting::TimerCount, std::to_string(std::max<std::size_t>(6, lines.size())));
        service.load();
        service.setMasterSwitch(masterOn);
    }

    void setLocation(const char* lat, const char* lon, const char* zone) {
        settings.write(Setting::CityLatitude, lat);
        settings.write(Setting::CityLongitude, lon);
        settings.write(Setting::CityZone, zone);
    }

    // Runs the loop until the wall clock reads t.
    void runUntilWall(const DateTime& t) { loop.runFor(t.toMillis() - clock.now().toMillis()); }

    std::vector<int> startedIndexes() const {
        std::vector<int> out;
        for (const auto& s : starts) out.push_back(s.index);
        return out;
    }

    TempDir home;
    sim::VirtualClock clock;
    sim::VirtualEventLoop loop;
    MemorySettings settings;
    ScriptedDialogs dialogs;
    TimerService service;
    std::vector<TimerStart> starts;
};

// The desktop program's runner engine on a rig's service, sending through a
// simulated transmitter.
struct EngineRig {
    explicit EngineRig(TimerRig& rig)
        : port(rig.clock), tx(port, rig.loop, rig.clock, stopAll), sounds(rig.settings, player, rig.home.path()),
          errors(rig.home.path(), rig.clock) {
        port.open("sim");
        engine = &rig.service.createEngine({tx, sounds, errors, desktop, stopAll});
    }

    RecordingDesktop desktop;
    RecordingSound player;
    sim::SimulatedTransmitter port;
    bool stopAll = false;
    x10::Transmitter tx;
    Sounds sounds;
    ErrorLog errors;
    TimerEngine* engine = nullptr;
};

} // namespace zul::test
