#include "timers/timer_engine.h"

#include <filesystem>
#include <system_error>

#include "macros/cro_codes.h"
#include "macros/group_file.h"
#include "macros/macro_file.h"
#include "platform/atomic_file.h"
#include "platform/caught_failure.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "settings/error_log.h"
#include "settings/sounds.h"
#include "platform/text.h"
#include "timers/timer_log.h"
#include "timers/timer_shared.h"
#include "timers/timer_table.h"
#include "x10/transmitter.h"
#include "x10/x10_codes.h"

namespace zul {

namespace fs = std::filesystem;

namespace {

bool hasExtension(const std::string& path, const std::string& dotExt) {
    return path.size() >= dotExt.size() && asciiLower(path.substr(path.size() - dotExt.size())) == dotExt;
}

bool isFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

bool isExecutable(const std::string& path) {
    std::error_code ec;
    const auto perms = fs::status(path, ec).permissions();
    return !ec && (perms & (fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec)) != fs::perms::none;
}

// The words of a text, split at runs of blanks.
std::vector<std::string> wordsOf(const std::string& text) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while ((at = text.find_first_not_of(' ', at)) != std::string::npos) {
        const std::size_t end = text.find(' ', at);
        words.push_back(text.substr(at, end - at));
        at = end;
    }
    return words;
}

// A program entry: the folder part (with its separator), the program file and
// its arguments. "prog.exe -a b" gives "prog.exe" and "-a b"; a ".lnk" takes
// the whole name; anything else is split at its first blank.
struct ProgramEntry {
    std::string folder, program, args;
};
ProgramEntry splitProgramEntry(const std::string& entry) {
    const std::size_t sep = entry.find_last_of("/\\");
    ProgramEntry e;
    e.folder = sep == std::string::npos ? "" : entry.substr(0, sep + 1);
    const std::string name = entry.substr(e.folder.size());
    const std::string lower = asciiLower(name);
    std::size_t end = lower.find(".exe");
    if (end != std::string::npos) {
        end += 4;
    } else if (lower.find(".lnk") != std::string::npos) {
        end = name.size();
    } else {
        end = name.find(' ');
        if (end == std::string::npos) end = name.size();
    }
    e.program = name.substr(0, end);
    if (end + 1 < name.size()) e.args = name.substr(end + 1);
    return e;
}

// Reads a macro file's rows as the runners keep them: the records' texts.
bool readRecords(const std::string& path, std::vector<std::string>& records) {
    const FileRead read = readDataFile(path, macros::MacroFileLimit);
    if (!read.ok()) return false;
    records.clear();
    for (auto& line : macros::parseMacroText(read.bytes).lines) records.push_back(std::move(line.text));
    return true;
}

struct OverflowEntry {
    int timer = -1;
    std::string time, path;
};
// "index,time,path": split at the first two commas; the path is the rest.
bool parseOverflow(const std::string& entry, OverflowEntry& out) {
    const std::size_t c1 = entry.find(',');
    const std::size_t c2 = c1 == std::string::npos ? c1 : entry.find(',', c1 + 1);
    if (c2 == std::string::npos) return false;
    try {
        out.timer = std::stoi(entry.substr(0, c1));
    } catch (const std::exception&) {
        return false;
    }
    out.time = entry.substr(c1 + 1, c2 - c1 - 1);
    out.path = entry.substr(c2 + 1);
    return true;
}

} // namespace

TimerEngine::TimerEngine(TimerEngineParts parts, TimerEngineHooks hooks)
    : p_(parts), hooks_(std::move(hooks)), texts_{p_.lang}, player_(p_.transmitter, p_.loop, p_.stopAll) {
    RunnerHost& host = *this;
    for (int k = 0; k < MacroRunner::Count; ++k) runners_[std::size_t(k)] = std::make_unique<MacroRunner>(k, host);
    sendQueue_ = std::make_unique<SendQueue>(p_.loop, p_.transmitter, p_.settings, p_.shared.frameQueue);
    p_.shared.frameQueued = [q = sendQueue_.get()] { q->wake(); };
    overflowTick_ = p_.loop.createTick("TmrOverFlow", OverflowFirstMs, [this] { onOverflowTick(); });
}

TimerEngine::~TimerEngine() { p_.shared.frameQueued = nullptr; }

// --- RunnerHost --------------------------------------------------------------

void TimerEngine::lamp(bool lit) {
    if (hooks_.lamp) hooks_.lamp(lit);
}
void TimerEngine::playMacroCommandSound() { p_.sounds.playMacroCommand(); }
void TimerEngine::playTimerStartSound() { p_.sounds.playTimerStart(); }

std::string TimerEngine::entryText(int timer) {
    return timer >= 0 && timer < p_.table.count() ? p_.table.timer(timer).entry : std::string();
}

std::string TimerEngine::nowText() { return generalDateTimeText(p_.clock.now(), p_.clock.uses24Hour()); }

std::string TimerEngine::timeOfDayText() {
    const std::string now = nowText();
    const std::size_t blank = now.find(' ');
    return blank == std::string::npos ? now : now.substr(blank + 1);
}

void TimerEngine::appendLog(const std::string& entry) { p_.log.append(entry); }

void TimerEngine::setStatus(int timer, const std::string& text, unsigned colour, bool onlyExisting) {
    if (timer < 0 || (onlyExisting && std::size_t(timer) >= p_.log.statusLines().size())) return;
    p_.log.setStatus(timer, text, colour);
}

void TimerEngine::runEnded(MacroRunner&) {
    if (anyRunnerActive()) return;
    setIndicator(false);
    endOfRunRoutine();
    // The trailer lets other events run: a run started meanwhile stays marked.
    if (!anyRunnerActive()) p_.shared.RunnerActive = false;
}

// --- starting timers ---------------------------------------------------------

bool TimerEngine::anyRunnerActive() const {
    for (const auto& r : runners_)
        if (r->busy()) return true;
    return false;
}

void TimerEngine::stopRuns() {
    overflow_.clear();
    overflowTick_->setEnabled(false);
    for (auto& r : runners_) r->stop();
}

MacroRunner* TimerEngine::freeRunner() {
    for (auto& r : runners_)
        if (!r->busy()) return r.get();
    return nullptr;
}

void TimerEngine::startTimer() {
    const int timer = p_.shared.StartIndex;
    try {
        if (timer >= 0 && timer < p_.table.count()) startTimerAt(timer);
        else logStartError(timer, "9 Subscript out of range");
    } catch (const std::exception& e) {
        reportCaughtFailure("StartTimer", e.what());
        logStartError(timer, std::string("0 ") + e.what());
    }
    p_.transmitter.pause(StartSettleSeconds);
    p_.shared.StartPending = false;
}

void TimerEngine::startTimerAt(int timer) {
    std::string path = p_.table.runEntries().at(std::size_t(timer));
    if (!hasExtension(path, ".cro")) {
        const bool program = hasExtension(path, ".exe") || hasExtension(path, ".lnk");
        if (program || !isFile(path + ".cro")) {
            runTimerCommand(timer);
            return;
        }
        path += ".cro";
    }
    MacroRunner* runner = freeRunner();
    if (!runner) {
        p_.loop.processEvents();
        runner = freeRunner();
    }
    if (!isFile(path)) {
        fileNotFound(timer, path);
        return;
    }
    if (!runner) {
        toOverflow(timer, path);
        return;
    }
    p_.shared.StartTime = timeOfDayText();
    if (!loadRunner(*runner, timer, path, p_.shared.StartTime)) logStartError(timer, "5 the macro file cannot be read");
}

bool TimerEngine::loadRunner(MacroRunner& runner, int timer, const std::string& path, const std::string& startText) {
    std::vector<std::string> records;
    if (!readRecords(path, records)) return false;
    runner.load(timer, std::move(records), startText);
    return true;
}

void TimerEngine::fileNotFound(int timer, const std::string& path) {
    setStatus(timer, texts_.fileNotFoundStatus(timer, path), NotFoundColour, false);
    appendLog(texts_.fileNotFoundLog(timer, nowText(), path));
}

void TimerEngine::toOverflow(int timer, const std::string& path) {
    overflow_.push_back(std::to_string(timer) + "," + timeOfDayText() + "," + path);
    overflowTick_->setEnabled(true);
    setStatus(timer, texts_.overflowStatus(timer, entryText(timer)), OverflowColour, false);
    appendLog(texts_.overflowLog(timer, nowText()));
}

void TimerEngine::onOverflowTick() {
    p_.loop.processEvents();
    if (overflow_.empty()) {
        overflowTick_->setEnabled(false);
        return;
    }
    if (overflowTick_->interval() != OverflowPeriodMs) overflowTick_->setInterval(OverflowPeriodMs);
    OverflowEntry entry;
    if (!parseOverflow(overflow_.front(), entry)) {
        overflow_.pop_front();
    } else {
        p_.shared.StartTime = entry.time;
        p_.loop.processEvents();
        MacroRunner* runner = freeRunner();
        if (!runner) return; // waits for the next tick
        overflow_.pop_front();
        // The file may have gone while the entry waited. The run starts at
        // once, like one started by startTimer.
        if (!isFile(entry.path)) fileNotFound(entry.timer, entry.path);
        else if (!loadRunner(*runner, entry.timer, entry.path, entry.time))
            logStartError(entry.timer, "5 the macro file cannot be read");
    }
    if (overflow_.empty()) overflowTick_->setEnabled(false);
}

void TimerEngine::logStartError(int timer, const std::string& what) {
    p_.errors.writeErrorLog(what + ": StartTimer in FrmTimers: Timer " + std::to_string(timer + 1) + " - " +
                            entryText(timer));
}

// --- entries that are not macros ---------------------------------------------

void TimerEngine::runTimerCommand(int timer) {
    if (timer < 0 || timer >= p_.table.count()) return;
    const std::string entry = trimBlanks(p_.table.timer(timer).entry);
    playTimerStartSound();
    setIndicator(true);
    const auto launched = launchProgram(entry);
    commandResult(timer, entry, launched ? *launched : groupOrCommand(wordsOf(entry)));
}

std::optional<bool> TimerEngine::launchProgram(const std::string& entry) {
    std::string program;
    std::vector<std::string> args;
    const std::string whole = p_.table.runEntryFor(entry);
    if (!entry.empty() && isFile(whole)) {
        program = whole;
    } else {
        const ProgramEntry e = splitProgramEntry(entry);
        if (e.program.empty()) return std::nullopt;
        program = p_.table.runEntryFor(e.folder + e.program);
        if (!isFile(program)) return std::nullopt;
        args = wordsOf(e.args);
    }
    // Programs are started; anything else (a shortcut, a document) is opened
    // with the program the desktop associates with it.
    return isExecutable(program) ? p_.desktop.startProgram(program, args) : p_.desktop.open(program);
}

bool TimerEngine::groupOrCommand(const std::vector<std::string>& words) {
    if (words.size() != 3) return false;
    const std::string first = asciiUpper(words[0]);
    if (first == "GROUP" || first == asciiUpper(p_.lang.cap("Group"))) {
        int group = 0;
        try {
            group = std::stoi(words[1]);
        } catch (const std::exception&) {
            return false;
        }
        const std::string action = asciiUpper(words[2]);
        if (group < 1 || group > macros::kGroupCount || (action != "ON" && action != "OFF") || !hooks_.startGroup)
            return false;
        hooks_.startGroup(group - 1, action);
        return true;
    }
    const auto code = macros::encodeRow(words[0], asciiUpper(words[1]), words[2]);
    if (!code) return false;
    p_.transmitter.sendBits(x10::makeFrame(code->substr(0, 8), code->substr(8, 8)));
    return true;
}

void TimerEngine::commandResult(int timer, const std::string& entry, bool ok) {
    appendLog(ok ? texts_.successLog(timer, nowText(), entry) : texts_.errorLog(timer, nowText(), entry));
    const auto& lines = p_.log.statusLines();
    const std::string before = std::size_t(timer) < lines.size() ? lines[std::size_t(timer)].text : std::string();
    p_.log.setStatus(timer, before + "\t" + p_.lang.cap(ok ? "Success" : "Error"), ok ? SuccessColour : ErrorColour);
    setIndicator(false);
}

// --- manual run and main-window hooks ----------------------------------------

bool TimerEngine::sendCommand(const std::string& command) {
    p_.transmitter.pause(FrameMarginSeconds);
    return groupOrCommand(wordsOf(trimBlanks(command)));
}

void TimerEngine::croSend() {
    p_.loop.processEvents();
    p_.transmitter.pause(FrameMarginSeconds);
    player_.sendLeadIn();
    const std::string path = currentPath;
    if (!hasExtension(path, ".cro")) return;
    if (!fs::path(path).is_absolute()) {
        p_.dialogs.message(p_.lang.cap("Path not found!"));
        return;
    }
    const auto macro = macros::readMacroForPlay(path);
    if (!macro.opened) {
        p_.errors.logError("CroSend (Send Macro)", "frmTimers",
                           std::make_error_code(std::errc::no_such_file_or_directory));
        return;
    }
    if (p_.shared.RunnerActive) setIndicator(true);
    const PlayHooks hooks{[this] { playMacroCommandSound(); }, [this](bool lit) { lamp(lit); }};
    if (player_.playRows(macro.rows, TimerWindowWait, hooks)) endOfRunRoutine();
}

void TimerEngine::setIndicator(bool on) {
    if (on == indicatorOn_) return;
    indicatorOn_ = on;
    if (hooks_.indicator) hooks_.indicator(on);
}

void TimerEngine::endOfRunRoutine() {
    if (hooks_.endOfRun) hooks_.endOfRun();
    else p_.transmitter.endOfRun();
}

} // namespace zul
