#pragma once
// Synchronous macro playing: the lead-in, then for each row a short wait,
// the row's frame, a short wait and the row's pause, and at the end the
// caller's end-of-run routine (the trailer). The main window, the run-macro
// window, the editor's test run, the timer window's manual run and the
// command line all play this way; they differ only in how a row's pause
// becomes the wait after its frame (RowWait).
#include <functional>
#include <string>
#include <vector>

#include "macros/macro_file.h"
#include "platform/event_loop.h"
#include "x10/transmitter.h"

namespace zul {

// How a row's pause becomes the wait after its frame.
struct RowWait {
    int subtractMs = 100; // taken off the pause (the two 50 ms waits around the frame)
    int minimumMs = 150;  // the shortest wait
    int stepMs = 1;       // the wait is rounded to a multiple of this (halves away from zero)
    int fixedMs = -1;     // when >= 0: every row waits this long whatever its pause
    int lastRowMs = -1;   // when >= 0: the last row waits this long instead
    int waitMillis(int pauseMillis) const;
    int waitMillis(int pauseMillis, bool lastRow) const;
};

// Main window and command line: the pause less 0.1 s, at least 0.15 s.
inline constexpr RowWait MainWindowWait{100, 150, 1};
// Run-macro window: the pause less 0.1 s, at least 0.05 s.
inline constexpr RowWait RunWindowWait{100, 50, 1};
// Timer window's manual run: the pause less 0.12 s in hundredths, at least 0.16 s.
inline constexpr RowWait TimerWindowWait{120, 160, 10};
// The macro editor's Run Macro: the pause less 0.1 s, at least 0.15 s; the
// last row waits 0.5 s.
inline constexpr RowWait EditorRunWait{100, 150, 1, -1, 500};
// The macro editor's Test Macro: every row waits the test speed (at least
// 0.15 s), the last one 0.5 s.
constexpr RowWait editorTestWait(int testSeconds) { return RowWait{100, 150, 1, testSeconds * 1000, 500}; }

// The wait on each side of a frame.
inline constexpr double FrameMarginSeconds = 0.05;

struct PlayHooks {
    std::function<void()> beforeFrame;  // the per-command sound
    std::function<void(bool lit)> lamp; // the transmit lamp, lit around each frame
    // Asked after every row: true ends the run there (a window's Stop). The
    // run then counts as played to its end, so its end-of-run routine follows.
    std::function<bool()> stopRequested = nullptr;
};

class MacroPlayer {
public:
    // stopAll ends a run at the next wait (the program is closing).
    MacroPlayer(x10::Transmitter& transmitter, EventLoop& loop, const bool& stopAll);

    // MacroLeadIn, sent once before the first frame of a run.
    void sendLeadIn();
    // Plays the rows. Returns false when stopAll ended the run: the caller
    // then skips its end-of-run routine.
    bool playRows(const std::vector<macros::PlayRow>& rows, const RowWait& wait, const PlayHooks& hooks = {});

private:
    static constexpr int StopCheckMs = 100;
    bool stopped() const { return stopAll_; }
    void waitFor(int ms, const PlayHooks& hooks);

    x10::Transmitter& tx_;
    EventLoop& loop_;
    const bool& stopAll_;
};

} // namespace zul
