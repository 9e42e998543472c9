#pragma once
// The texts the timer runners write into the session log and the status
// lines. Every one of them is built here so the runners, startTimer and
// runTimerCommand cannot drift apart. The words "Timer", "Started", "Ended",
// "File Not Found", "Error" and "Success" go through the language lookup.
// Entries and paths come from the timer file: they are written escaped
// (printable), so no control character reaches the log, a terminal or a hub.
#include <string>

#include "timers/translate.h"

namespace zul {

// Status line colours, &HBBGGRR.
inline constexpr unsigned RunningColour = 0xFFFF00;  // cyan
inline constexpr unsigned OverflowColour = 0x00FFFF; // yellow
inline constexpr unsigned NotFoundColour = 0xC0E0FF;
inline constexpr unsigned EndedColour = 0x0000FF; // red
inline constexpr unsigned SuccessColour = 0x0000FF;
inline constexpr unsigned ErrorColour = 0xC0E0FF;

// timer is the 0-based timer index; the texts show it counted from 1.
struct RunTexts {
    LangLookup lang;

    // "Timer 3 : (wake.cro)"
    std::string timerHead(int timer, const std::string& macro) const;
    std::string startedLog(int timer, const std::string& macro, const std::string& now) const;
    // runner 0..3 chooses the tag " ...running!  (mt0)" ...
    std::string runningStatus(int timer, const std::string& macro, const std::string& runStart, int runner) const;
    std::string badCommandLog(int timer, const std::string& macro, const std::string& frame) const;
    std::string endedLog(int timer, const std::string& now) const;
    std::string endedStatus(int timer, const std::string& macro, const std::string& runStart,
                            const std::string& timeOfDay) const;
    std::string overflowStatus(int timer, const std::string& entry) const;
    std::string overflowLog(int timer, const std::string& now) const;
    std::string fileNotFoundStatus(int timer, const std::string& path) const;
    std::string fileNotFoundLog(int timer, const std::string& now, const std::string& path) const;
    std::string successLog(int timer, const std::string& now, const std::string& entry) const;
    std::string errorLog(int timer, const std::string& now, const std::string& entry) const;

private:
    // "Timer 3"
    std::string timerWord(int timer) const;
};

} // namespace zul
