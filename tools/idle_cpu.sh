#!/usr/bin/env bash
# Idle cost of the desktop program with the timers on: starts zulmarin under
# Xvfb in fresh temporary folders (timer_idle_setup: 100 timers, the loop
# timer on, the simulated port), optionally opens the Setup Timers window,
# waits for start-up, then reads utime+stime from /proc/PID/stat over the
# measuring time and prints the share of one core. CPU time of the process,
# not wall-clock throughput, so other work on the machine does not count.
#
# usage: tools/idle_cpu.sh [BUILD_DIR] [SECONDS] [hidden|shown] [RUNS]
# needs: xvfb, xdotool (apt-get install xvfb xdotool)
set -euo pipefail
build=${1:-build}
seconds=${2:-60}
window=${3:-hidden}
runs=${4:-3}
binary=$build/zulmarin
setup=$build/bench/timer_idle_setup
[ -x "$binary" ] && [ -x "$setup" ] || { echo "build zulmarin and timer_idle_setup first" >&2; exit 2; }
hz=$(getconf CLK_TCK)

cpu_ticks() {  # utime + stime of a process, in clock ticks
    local rest
    rest=$(sed 's/^.*) //' "/proc/$1/stat")
    set -- $rest
    echo $(( ${12} + ${13} ))
}

tmp="" xpid="" pid=""
cleanup() {
    local p
    for p in $pid $xpid; do
        kill "$p" 2>/dev/null || true
        wait "$p" 2>/dev/null || true
    done
    if [ -n "$tmp" ]; then rm -rf "$tmp"; fi
    tmp="" xpid="" pid=""
}
trap cleanup EXIT

measure_once() {
    local display before after
    tmp=$(mktemp -d)
    display=:$(( 90 + RANDOM % 400 ))
    "$setup" "$tmp/home" "$tmp/config" 100 >/dev/null
    cp "$binary" "$tmp/zulmarin"  # a rebuild meanwhile cannot touch the running copy
    Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xpid=$!
    sleep 1
    DISPLAY=$display ZULMARIN_HOME=$tmp/home ZULMARIN_CONFIG_DIR=$tmp/config XDG_RUNTIME_DIR=$tmp \
        "$tmp/zulmarin" >"$tmp/out.txt" 2>&1 &
    pid=$!
    sleep 5
    if [ "$window" = shown ]; then
        # A right click on the "&Timers" switch (below the minimise button) opens Setup Timers.
        local wid width
        wid=$(DISPLAY=$display xdotool search --onlyvisible --name '^Zulmarin$' | head -1)
        width=$(DISPLAY=$display xdotool getwindowgeometry "$wid" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
        DISPLAY=$display xdotool mousemove --window "$wid" $(( width - 64 )) 47 click 3
        sleep 3
        DISPLAY=$display xdotool search --onlyvisible --name 'Setup Timers' >/dev/null || echo "timer window not found" >&2
    fi
    if [ ! -r "/proc/$pid/stat" ]; then
        echo "zulmarin ended during start-up:" >&2
        cat "$tmp/out.txt" >&2
        cleanup
        return 1
    fi
    before=$(cpu_ticks "$pid")
    sleep "$seconds"
    after=$(cpu_ticks "$pid")
    cleanup
    awk -v t=$(( after - before )) -v hz="$hz" -v s="$seconds" \
        'BEGIN { printf "%.3f%% of one core (%d ticks in %d s)\n", 100 * t / hz / s, t, s }'
}

echo "zulmarin idle, timers on, timer window $window, ${seconds}s per run, load $(cut -d' ' -f1-3 /proc/loadavg)"
for _ in $(seq "$runs"); do measure_once; done
