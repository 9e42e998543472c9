#pragma once
// What the benchmarks measure of clocked-out frames: per frame, its time
// against 80 line states, the shortest and the longest state, and whether a
// state inside it lasted long enough for the receiver to take the frame for
// two transmissions (a split frame). A frame's time runs from its first line
// change to its last, plus the last state (both lines high), which the line
// changes cannot show and the sender holds for one state time.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace zul::bench {

struct LineChange {
    std::int64_t micros;
    bool rts, dtr;
};

// A state inside a frame at least this long splits it. The CM17A protocol
// names no timeout, so this is 20 state times, far beyond any jitter: a
// receiver that waits that long for the next bit has given the frame up.
inline constexpr std::int64_t SplitMicros = 10000;

struct FrameTiming {
    std::int64_t clockOut = 0;  // first to last line change
    std::int64_t shortestState = INT64_MAX;
    std::int64_t longestState = 0;
};

// The frames in a run of line changes: each begins when the lines leave
// idle (both high) and ends with its 40th return to idle. Calls that leave
// both levels as they were are no change.
inline std::vector<FrameTiming> measureFrames(const std::vector<LineChange>& changes) {
    std::vector<FrameTiming> frames;
    bool rts = true, dtr = true;
    std::int64_t since = -1, first = 0;
    int bits = 0;
    FrameTiming t;
    for (const LineChange& c : changes) {
        if (c.rts == rts && c.dtr == dtr) continue;
        const bool leavingIdle = rts && dtr;
        if (leavingIdle && bits == 0) {
            t = FrameTiming{};
            first = c.micros;
        } else if (since >= 0) {
            t.shortestState = std::min(t.shortestState, c.micros - since);
            t.longestState = std::max(t.longestState, c.micros - since);
        }
        rts = c.rts;
        dtr = c.dtr;
        since = c.micros;
        if (rts && dtr && ++bits == 40) {
            t.clockOut = c.micros - first;
            frames.push_back(t);
            bits = 0;
        }
    }
    return frames;
}

inline double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(p * double(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

inline void printReport(const std::vector<FrameTiming>& frames, int stateMicros) {
    std::vector<double> ratios;
    std::int64_t shortest = INT64_MAX, longest = 0;
    int split = 0;
    for (const FrameTiming& f : frames) {
        ratios.push_back(double(f.clockOut + stateMicros) / (80.0 * stateMicros));
        shortest = std::min(shortest, f.shortestState);
        longest = std::max(longest, f.longestState);
        if (f.longestState >= SplitMicros) ++split;
    }
    std::printf("frames: %zu, line state time: %d us\n", frames.size(), stateMicros);
    std::printf("line states: shortest %lld us, longest %lld us\n", static_cast<long long>(shortest),
                static_cast<long long>(longest));
    std::printf("frame time / (80 x state time): p50 %.3f, p99 %.3f, max %.3f\n", percentile(ratios, 0.5),
                percentile(ratios, 0.99), percentile(ratios, 1.0));
    std::printf("split frames (a state of %lld ms or more): %d, %.1f per 1000\n",
                static_cast<long long>(SplitMicros / 1000), split,
                frames.empty() ? 0.0 : 1000.0 * split / double(frames.size()));
}

} // namespace zul::bench
