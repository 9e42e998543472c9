#include "timers/run_texts.h"

#include <array>

#include "platform/text.h"

namespace zul {

namespace {
constexpr const char* CrLf = "\r\n";
constexpr const char* Tab = "\t";
// One tag per runner, as the status view has always shown them (runner 2's
// has a single blank before the bracket).
constexpr std::array<const char*, 4> RunnerTags = {" ...running!  (mt0)", " ...running!  (mt1)", " ...running! (mt2)",
                                                   " ...running!  (mt3)"};
} // namespace

std::string RunTexts::timerWord(int timer) const { return lang.cap("Timer") + " " + std::to_string(timer + 1); }

std::string RunTexts::timerHead(int timer, const std::string& macro) const {
    return timerWord(timer) + " : (" + printable(macro) + ")";
}

std::string RunTexts::startedLog(int timer, const std::string& macro, const std::string& now) const {
    return CrLf + timerHead(timer, macro) + CrLf + Tab + ": " + lang.cap("Started") + " - " + now + CrLf;
}

std::string RunTexts::runningStatus(int timer, const std::string& macro, const std::string& runStart,
                                    int runner) const {
    const char* tag = runner >= 0 && runner < int(RunnerTags.size()) ? RunnerTags[std::size_t(runner)] : "";
    return timerHead(timer, macro) + CrLf + Tab + ": " + lang.cap("Started") + " " + runStart + tag;
}

std::string RunTexts::badCommandLog(int timer, const std::string& macro, const std::string& frame) const {
    return CrLf + timerHead(timer, macro) + CrLf + "   Bad Command = " + frame + CrLf;
}

std::string RunTexts::endedLog(int timer, const std::string& now) const {
    return std::string(CrLf) + "   " + timerWord(timer) + ": " + lang.cap("Ended") + " - " + now + CrLf;
}

std::string RunTexts::endedStatus(int timer, const std::string& macro, const std::string& runStart,
                                  const std::string& timeOfDay) const {
    return timerHead(timer, macro) + CrLf + "     " + ": " + lang.cap("Started") + " " + runStart + ": " +
           lang.cap("Ended") + " " + timeOfDay;
}

std::string RunTexts::overflowStatus(int timer, const std::string& entry) const {
    return timerWord(timer) + ":  To many timers running..." + CrLf + printable(entry) +
           " was sent to the overflow buffer!";
}

std::string RunTexts::overflowLog(int timer, const std::string& now) const {
    return CrLf + now + CrLf + timerWord(timer) + " was sent to overflow buffer to run next!" + CrLf;
}

std::string RunTexts::fileNotFoundStatus(int timer, const std::string& path) const {
    return timerWord(timer) + ":  " + lang.cap("File Not Found") + "!" + CrLf + Tab + printable(path);
}

std::string RunTexts::fileNotFoundLog(int timer, const std::string& now, const std::string& path) const {
    return CrLf + now + CrLf + timerWord(timer) + ": " + lang.cap("File Not Found") + "!" + CrLf + Tab +
           printable(path) + CrLf;
}

std::string RunTexts::successLog(int timer, const std::string& now, const std::string& entry) const {
    return CrLf + now + CrLf + Tab + timerWord(timer) + ":  (" + printable(entry) + ") :  " + lang.cap("Success") +
           CrLf;
}

std::string RunTexts::errorLog(int timer, const std::string& now, const std::string& entry) const {
    return CrLf + now + CrLf + timerWord(timer) + ": " + lang.cap("Error") + " - " + printable(entry) + CrLf;
}

} // namespace zul
