#pragma once
// What the benchmarks measure of clocked-out frames: per frame, its time
// against 80 line states, the shortest and the longest state, and the states
// long enough for the receiver to take the frame for two transmissions. A
// frame's time runs from its first line change to its last, plus the last
// state (both lines high), which the line changes cannot show and the sender
// holds for one state time.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace zul::bench {

struct LineChange {
    std::int64_t micros;
    bool rts, dtr;
};

// A state at least this long inside a frame is one a receiver may take for
// the end of the transmission: 20 state times, far beyond any jitter.
inline constexpr std::int64_t LongStateMicros = 10000;
// Both lines high for this long ends a transmission: every frame is preceded
// by a 70 ms settle pause.
inline constexpr std::int64_t TransmissionGapMicros = 50000;

struct FrameTiming {
    std::int64_t clockOut = 0; // first to last line change
    std::int64_t shortestState = INT64_MAX;
    std::int64_t longestState = 0;
    int longStates = 0;
};

struct LineFigures {
    std::vector<FrameTiming> frames; // the transmissions of 40 bits
    int otherTransmissions = 0;      // lead-ins, trailers, anything broken
    int bothLow = 0;                 // changes to both lines low (a transmitter reset)
};

// The transmissions in a run of line changes, each ending with its last
// return to idle (both high) before a gap; those of 40 bits are frames.
// Calls that leave both levels as they were are no change.
inline LineFigures measureLines(const std::vector<LineChange>& changes) {
    LineFigures out;
    bool rts = true, dtr = true;
    std::int64_t since = -1, first = 0;
    int bits = 0;
    FrameTiming t;
    auto finish = [&] {
        if (bits == 40) out.frames.push_back(t);
        else if (bits > 0) ++out.otherTransmissions;
        bits = 0;
    };
    for (const LineChange& c : changes) {
        if (c.rts == rts && c.dtr == dtr) continue;
        if (rts && dtr && (since < 0 || c.micros - since >= TransmissionGapMicros)) {
            finish();
            t = FrameTiming{};
            first = c.micros;
        } else if (since >= 0) {
            const std::int64_t state = c.micros - since;
            t.shortestState = std::min(t.shortestState, state);
            t.longestState = std::max(t.longestState, state);
            if (state >= LongStateMicros) ++t.longStates;
        }
        rts = c.rts;
        dtr = c.dtr;
        since = c.micros;
        if (!rts && !dtr) ++out.bothLow;
        if (rts && dtr) {
            ++bits;
            t.clockOut = c.micros - first;
        }
    }
    finish();
    return out;
}

inline double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(p * double(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

// Two lines: the frame ratio and the states. cpuMsPerFrame < 0: not known.
inline void printReport(const LineFigures& lines, int stateMicros, double cpuMsPerFrame = -1) {
    std::vector<double> ratios;
    std::int64_t shortest = INT64_MAX, longest = 0;
    int longStates = 0;
    for (const FrameTiming& f : lines.frames) {
        ratios.push_back(double(f.clockOut + stateMicros) / (80.0 * stateMicros));
        shortest = std::min(shortest, f.shortestState);
        longest = std::max(longest, f.longestState);
        longStates += f.longStates;
    }
    std::printf("    %zu frames, frame time / (80 x %d us): p50 %.3f, p99 %.3f, max %.3f", lines.frames.size(),
                stateMicros, percentile(ratios, 0.5), percentile(ratios, 0.99), percentile(ratios, 1.0));
    if (cpuMsPerFrame >= 0) std::printf(", CPU per frame %.1f ms", cpuMsPerFrame);
    std::printf("\n    states: shortest %lld us, longest %lld us, %d of %lld ms or more; both lines low %d times\n",
                static_cast<long long>(lines.frames.empty() ? 0 : shortest), static_cast<long long>(longest),
                longStates, static_cast<long long>(LongStateMicros / 1000), lines.bothLow);
}

} // namespace zul::bench
