#include "windows/timer_window.h"

#include "macros/macro_list.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "macros/macro_list.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/text.h"
#include "settings/settings_store.h"
#include "settings/sounds.h"
#include "timers/clock_tick.h"
#include "timers/timer_service.h"

namespace zul::windows {

namespace fs = std::filesystem;

namespace {

constexpr WindowPositionKeys kPositionKeys{Setting::TimerWindowLeft, Setting::TimerWindowTop};

bool allowedStartChar(char c) {
    const char u = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return std::isdigit(static_cast<unsigned char>(c)) ||
           std::string_view(":+- RSAMP").find(u) != std::string_view::npos;
}

bool isFile(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

} // namespace

// --- the start-time picker ----------------------------------------------------

void StartTimePicker::setTwelveHour(bool on) {
    if (on == twelveHour_) return;
    const int seconds = secondsOfDay();
    twelveHour_ = on;
    sync(DateTime{2000, 1, 1, seconds / 3600, seconds / 60 % 60, seconds % 60});
}

void StartTimePicker::step(Field field, int delta) {
    if (field == Minutes) {
        // The minutes carry into the hour (and the hour into AM/PM): 7:59 up is 8:00, 8:00 down 7:59.
        constexpr int day = 24 * 3600;
        const int seconds = ((secondsOfDay() + delta * 60) % day + day) % day;
        sync(DateTime{2000, 1, 1, seconds / 3600, seconds / 60 % 60, seconds % 60});
        return;
    }
    const int low = field == Hours && twelveHour_ ? 1 : 0;
    const int high = field == Hours ? (twelveHour_ ? 12 : 23) : 59;
    const int span = high - low + 1;
    values_[field] = low + ((values_[field] - low + delta) % span + span) % span;
}

bool StartTimePicker::setField(Field field, int value) {
    const int low = field == Hours && twelveHour_ ? 1 : 0;
    const int high = field == Hours ? (twelveHour_ ? 12 : 23) : 59;
    if (value < low || value > high) return false;
    values_[field] = value;
    return true;
}

std::string StartTimePicker::fieldText(Field field) const {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", values_[field] % 100);
    return buf;
}

void StartTimePicker::sync(const DateTime& now) {
    values_[Hours] = twelveHour_ ? (now.hour % 12 == 0 ? 12 : now.hour % 12) : now.hour;
    values_[Minutes] = now.minute;
    values_[Seconds] = now.second;
    pm_ = now.hour >= 12;
}

int StartTimePicker::secondsOfDay() const {
    const int hour = twelveHour_ ? values_[Hours] % 12 + (pm_ ? 12 : 0) : values_[Hours];
    return hour * 3600 + values_[Minutes] * 60 + values_[Seconds];
}

std::string StartTimePicker::text() const { return timeOfDayText(secondsOfDay(), twelveHour_); }

// --- summaries ---------------------------------------------------------------

std::string timerSummaryLine(int timer, const std::string& entry, const std::string& start, DaysRule days,
                             const std::string& runEntry, bool statusDump, const LangLookup& lang) {
    const bool off = days == DaysRule::NotSet || days == DaysRule::Never;
    std::string line = lang.cap("Timer") + " " + std::to_string(timer + 1) + ": " +
                       (trimBlanks(entry).empty() ? lang.cap("Empty") : entry) + "  " + lang.cap("Set For");
    line += off && !statusDump ? ", " : " ";
    line += !off ? daysRuleCaption(days, lang.caption) : lang.cap(statusDump ? "Never" : "OFF") + " ";
    const std::string shownStart = trimBlanks(start).empty() && statusDump ? lang.cap("Not Set!") : start;
    return line + ", " + lang.cap("at") + " " + shownStart + "\t(" + runEntry + ")";
}

// --- the window's logic -------------------------------------------------------

TimerWindowForm::TimerWindowForm(TimerWindowParts parts) : p_(std::move(parts)) {
    options_ = loadTimerWindowOptions(p_.settings);
    allowManual_ = !options_[TimerOption::ManualOffOnStart];
    picker_.setTwelveHour(!p_.clock.uses24Hour());
    syncPicker();
    p_.service.loopTimer().click = [this] { clickSound(); };
    refreshMacroList();
}

TimerWindowForm::~TimerWindowForm() { p_.service.loopTimer().click = nullptr; }

int TimerWindowForm::count() const { return p_.service.table().count(); }
const std::string& TimerWindowForm::entry(int i) const { return p_.service.table().timer(i).entry; }
const std::string& TimerWindowForm::start(int i) const { return p_.service.table().timer(i).start; }
DaysRule TimerWindowForm::days(int i) const { return p_.service.table().timer(i).days; }
std::string TimerWindowForm::daysCaption(int i) const { return daysRuleCaption(days(i), p_.lang.caption); }

unsigned TimerWindowForm::daysColour(int i) const {
    return daysRuleColourOn(days(i), p_.service.clockTick().current().weekday);
}

bool TimerWindowForm::startIsError(int i) const {
    const TimerRecord& t = p_.service.table().timer(i);
    if (!t.complete()) return false;
    if (isSunStart(t.start)) return p_.service.sunTick().dueTimeIsError(i);
    // A fixed time matches only the clock's own text of that second.
    return !fixedDueText(t.start, !p_.clock.uses24Hour());
}

std::string TimerWindowForm::startTip(int i) const {
    std::string tip(1, ' '); // with a blank on each side
    if (startIsError(i)) tip += p_.lang.tipText("Error!  Incorrect format or too much offset time.");
    else if (isSunStart(start(i)) && p_.service.table().timer(i).complete())
        tip += p_.service.table().startTimes().at(static_cast<std::size_t>(i));
    else return "";
    return tip + " ";
}

// --- the macro list ----------------------------------------------------------

const fs::path& TimerWindowForm::macroFolder() const { return p_.service.table().programFolder(); }

void TimerWindowForm::refreshMacroList() {
    files_ = macros::macroFileNames(macroFolder());
    if (macroListChanged) macroListChanged();
}

void TimerWindowForm::appendCommand(const std::string& text) {
    const std::string command = TimerTable::storable(trimBlanks(text));
    if (command.empty()) return;
    commands_.erase(std::remove(commands_.begin(), commands_.end(), command), commands_.end());
    commands_.insert(commands_.begin(), command);
    if (macroListChanged) macroListChanged();
}

void TimerWindowForm::syncPicker() { picker_.sync(p_.clock.now()); }

// --- rows --------------------------------------------------------------------

void TimerWindowForm::afterRowEdit(int i, bool summary) {
    TimerTable& table = p_.service.table();
    // Only a timer with a macro and a time can have a days rule.
    if (!table.timer(i).complete() && table.timer(i).days != DaysRule::NotSet) table.setDays(i, DaysRule::NotSet);
    if (summary) writeSummary(true);
    if (rowChanged) rowChanged(i);
}

void TimerWindowForm::putMacroAndTime(int i, const std::string& selected) {
    TimerTable& table = p_.service.table();
    table.setEntry(i, selected);
    table.setStart(i, picker_.text());
    if (table.timer(i).days == DaysRule::NotSet) table.setDays(i, daysRuleFromIndex(options_.runDef));
    afterRowEdit(i, true);
}

void TimerWindowForm::putTime(int i) {
    p_.service.table().setStart(i, picker_.text());
    afterRowEdit(i, true);
}

void TimerWindowForm::putMacro(int i, const std::string& selected) {
    p_.service.table().setEntry(i, selected);
    afterRowEdit(i, true);
}

bool TimerWindowForm::clearTimer(int i) {
    if (entry(i).empty() && start(i).empty()) return false;
    if (!confirmed(TimerOption::ConfirmClear,
                   p_.lang.cap("Are you sure you want to clear Timer #") + std::to_string(i + 1) + ".",
                   p_.lang.cap("Clear Timer?")))
        return false;
    p_.service.table().clearTimer(i);
    afterRowEdit(i, true);
    return true;
}

bool TimerWindowForm::canChooseDays(int i) {
    if (p_.service.table().timer(i).complete()) return true;
    p_.dialogs.message(p_.lang.cap("Macro and Time must be set to activate!"));
    return false;
}

void TimerWindowForm::chooseDays(int i, DaysRule rule) {
    if (!p_.service.table().timer(i).complete() || rule == DaysRule::NotSet) return;
    p_.service.table().setDays(i, rule);
    afterRowEdit(i, false);
}

std::string TimerWindowForm::typeEntry(int i, const std::string& text) {
    if (text.find('*') != std::string::npos) p_.dialogs.message(p_.lang.cap("* is not allowed"));
    if (text != entry(i)) {
        p_.service.table().setEntry(i, text);
        afterRowEdit(i, false);
    }
    return entry(i);
}

std::string TimerWindowForm::typeStart(int i, const std::string& text) {
    std::string kept;
    for (char c : text)
        if (allowedStartChar(c)) kept += c;
    const bool sunBefore = asciiUpper(trimBlanks(start(i)).substr(0, 1)) == "S";
    const bool sunNow = asciiUpper(trimBlanks(kept).substr(0, 1)) == "S";
    if (sunNow && !sunBefore && !locationSet())
        p_.dialogs.message(p_.lang.cap("You must setup your location before using sunrise and sunset timers"),
                           p_.lang.cap("Setup Location"));
    if (kept != start(i)) {
        p_.service.table().setStart(i, kept);
        afterRowEdit(i, false);
    }
    return start(i);
}

std::string TimerWindowForm::finishStart(int i) {
    const std::string& s = start(i);
    const auto seconds = isSunStart(s) ? std::nullopt : parseTimeOfDay(s);
    if (seconds) {
        const std::string shown = timeOfDayText(*seconds, !p_.clock.uses24Hour());
        if (shown != s) {
            p_.service.table().setStart(i, shown);
            afterRowEdit(i, false);
        }
    }
    return start(i);
}

bool TimerWindowForm::locationSet() const {
    return !trimBlanks(readSetting(p_.settings, Setting::CityLatitude)).empty() &&
           !trimBlanks(readSetting(p_.settings, Setting::CityLongitude)).empty();
}

bool TimerWindowForm::canAddRows() const {
    return options_[TimerOption::AllowNewTimers] && count() < TimerTable::kMaxTimers;
}

bool TimerWindowForm::canRemoveRows() const {
    return options_[TimerOption::AllowNewTimers] && count() > TimerTable::kMinTimers;
}

bool TimerWindowForm::addTimer() {
    if (!canAddRows() || !p_.service.table().addTimer()) return false;
    p_.service.log().resizeStatus(count());
    notifyRows();
    return true;
}

bool TimerWindowForm::removeTimer() {
    if (!canRemoveRows()) return false;
    const std::string number = std::to_string(count());
    if (!confirmed(TimerOption::ConfirmDelete, p_.lang.cap("Are you sure you want to REMOVE Timer #") + number,
                   p_.lang.cap("Remove Timer #") + number))
        return false;
    p_.service.table().removeLastTimer();
    p_.service.log().resizeStatus(count());
    notifyRows();
    return true;
}

std::string TimerWindowForm::addTip() const {
    return p_.lang.tipText("Add a new timer! (Timer") + " " + std::to_string(count() + 1) + ")";
}

bool TimerWindowForm::confirmed(TimerOption option, const std::string& text, const std::string& title) {
    return !options_[option] || p_.dialogs.questionDefaultNo(text, title) == Answer::Yes;
}

void TimerWindowForm::notifyRows() {
    if (rowsChanged) rowsChanged();
}

void TimerWindowForm::notifyLoop() {
    if (loopChanged) loopChanged();
}

// --- menu and boxes ----------------------------------------------------------

void TimerWindowForm::setOption(TimerOption option, bool on) {
    storeTimerOption(p_.settings, options_, option, on);
    if (option == TimerOption::AllowNewTimers) notifyRows();
}

void TimerWindowForm::setRunDef(int index) { storeRunDef(p_.settings, options_, index); }

bool TimerWindowForm::masterSwitch() const { return p_.service.scheduler().masterSwitch(); }

void TimerWindowForm::setMasterSwitch(bool on) {
    if (on == masterSwitch()) return;
    p_.service.setMasterSwitch(on);
    if (switchChanged) switchChanged();
}

std::string TimerWindowForm::windowTitle() const { return p_.service.scheduler().windowTitle(); }
std::string TimerWindowForm::switchCaption() const { return p_.service.scheduler().switchCaption(); }
bool TimerWindowForm::soundOnStart() const { return p_.sounds.timerTsound(); }
bool TimerWindowForm::soundOnCommand() const { return p_.sounds.timerMsound(); }
void TimerWindowForm::setSoundOnStart(bool on) { p_.sounds.setTimerTsound(on); }
void TimerWindowForm::setSoundOnCommand(bool on) { p_.sounds.setTimerMsound(on); }
void TimerWindowForm::clickSound() { p_.sounds.play(SoundEvent::Click); }

// --- the loop timer ----------------------------------------------------------

std::string TimerWindowForm::loopEntryText() const { return p_.service.loopTimer().entryText(); }

std::string TimerWindowForm::loopDaysCaption() const {
    return daysRuleCaption(p_.service.table().loop().days, p_.lang.caption);
}

unsigned TimerWindowForm::loopDaysColour() const {
    return daysRuleColourOn(p_.service.table().loop().days, p_.service.clockTick().current().weekday);
}

void TimerWindowForm::chooseLoopMacro(const std::string& selected) {
    p_.service.loopTimer().chooseMacro(selected);
    refreshMacroList();
    writeSummary(true);
    notifyLoop();
}

bool TimerWindowForm::canChooseLoopDays() {
    if (!trimBlanks(p_.service.table().loop().entry).empty()) return true;
    p_.dialogs.message(p_.lang.cap("Loop timer must contain a macro to activate!"));
    return false;
}

void TimerWindowForm::chooseLoopDays(DaysRule rule) {
    p_.service.loopTimer().chooseDays(rule);
    notifyLoop();
}

bool TimerWindowForm::clearLoop() {
    const bool cleared = p_.service.loopTimer().clear(options_[TimerOption::ConfirmClear]);
    notifyLoop();
    return cleared;
}

bool TimerWindowForm::loopEnabled() const { return p_.service.loopTimer().enabled(); }

void TimerWindowForm::setLoopEnabled(bool on) {
    p_.service.loopTimer().setEnabled(on);
    notifyLoop();
}

bool TimerWindowForm::loopFlash() const { return p_.service.loopTimer().flash(); }
void TimerWindowForm::setLoopFlash(bool on) { p_.service.loopTimer().setFlash(on); }
bool TimerWindowForm::loopUsesWindow() const { return p_.service.table().loop().useStartEnd; }
const std::string& TimerWindowForm::loopStart() const { return p_.service.table().loop().startTime; }
const std::string& TimerWindowForm::loopEnd() const { return p_.service.table().loop().endTime; }

void TimerWindowForm::setLoopWindow(bool use, const std::string& start, const std::string& end) {
    LoopTimerFields& loop = p_.service.table().loop();
    if (loop.useStartEnd == use && loop.startTime == start && loop.endTime == end) return;
    loop.useStartEnd = use;
    loop.startTime = TimerTable::storable(start);
    loop.endTime = TimerTable::storable(end);
    p_.service.table().markChanged();
}

// --- running, saving and closing ----------------------------------------------

void TimerWindowForm::logManual(const std::string& what, const char* text) {
    TimerLog& log = p_.service.log();
    log.append(kCrLf + log.formatNow(p_.clock.now()) + kCrLf + what + kCrLf + p_.lang.cap(text) + kCrLf);
}

void TimerWindowForm::manualRun(const std::string& selected) {
    TimerEngine* engine = p_.service.engine();
    if (selected.empty() || !engine) return;
    const std::string path = (macroFolder() / selected).string();
    if (!isFile(path)) {
        logManual(path, "FILE NOT FOUND");
        return;
    }
    logManual(path, "Manually started.");
    engine->currentPath = path;
    engine->croSend();
    logManual(path, "Completed.");
}

void TimerWindowForm::manualSend(const std::string& command) {
    TimerEngine* engine = p_.service.engine();
    if (command.empty() || !engine) return;
    logManual(command, "Manually started.");
    logManual(command, engine->sendCommand(command) ? "Completed." : "Error");
}

void TimerWindowForm::writeSummary(bool statusDump, bool saved) {
    const TimerTable& table = p_.service.table();
    std::vector<std::string> lines;
    if (!statusDump) lines.push_back("========* " + p_.lang.cap("Saving Timers") + " *========");
    for (int i = 0; i < table.count(); ++i) {
        const TimerRecord& t = table.timer(i);
        lines.push_back(timerSummaryLine(i, t.entry, t.start, t.days, table.runEntries()[static_cast<std::size_t>(i)],
                                         statusDump, p_.lang));
    }
    if (statusDump)
        lines.push_back(p_.lang.cap("Loop Timer") + " -  " + p_.lang.cap(loopEnabled() ? "ON" : "OFF") + "  (" +
                        loopEntryText() + ", " + loopDaysCaption() + ")");
    else lines.push_back("===== " + p_.lang.cap(saved ? "Timers Saved" : "Timers NOT Saved") + " =====");
    p_.service.log().append(joinWith(lines, kCrLf));
}

void TimerWindowForm::statusDump() { writeSummary(true); }

bool TimerWindowForm::unsaved() const { return p_.service.table().unsaved(); }

bool TimerWindowForm::save() {
    // The start-time check compares due times: bring them up to the last edits first.
    p_.service.sunTick().pass();
    const TimerSaveResult result = saveTimerTable(p_.service.table(), p_.settings, &p_.dialogs, p_.lang);
    if (!result.fileError) return true;
    p_.dialogs.message(p_.lang.cap("The timers could not be saved:") + " " + timerFilePath(macroFolder()).string() +
                       kCrLf + result.fileError.message());
    return false;
}

bool TimerWindowForm::apply() { return save(); }

bool TimerWindowForm::closeAndSave() {
    if (!unsaved()) return true;
    // The summary is of the table being saved; its last line says how that went.
    const bool saved = save();
    writeSummary(false, saved);
    return saved;
}

bool TimerWindowForm::cancel() {
    TimerEngine* engine = p_.service.engine();
    if (engine && engine->anyRunnerActive()) {
        const std::string text = p_.lang.cap("The action will stop the timer that is currently running.") + kCrLf +
                                 p_.lang.cap("Do you wish to continue?");
        if (p_.dialogs.question(text, p_.lang.cap("A Timer is Running!"), false) != Answer::Yes) return false;
        engine->stopRuns();
    }
    reload();
    return true;
}

bool TimerWindowForm::askToSave() {
    if (!unsaved()) return true;
    if (!options_[TimerOption::ConfirmSaveQuit] ||
        p_.dialogs.question(p_.lang.cap("Save Changes to Timers before closing?"), p_.lang.cap("Timers have Changed!"),
                            false) != Answer::Yes)
        return false;
    save();
    return true;
}

void TimerWindowForm::closeByFrame() {
    if (!askToSave()) reload();
}

void TimerWindowForm::reload() {
    if (const std::error_code ec = p_.service.load())
        p_.dialogs.message(p_.lang.cap("The timer data file could not be read.") + kCrLf + ec.message());
    notifyRows();
    notifyLoop();
}

std::pair<int, int> TimerWindowForm::storedPosition() const {
    return storedWindowPosition(p_.settings, kPositionKeys).value_or(TwipPosition{500, 500});
}

void TimerWindowForm::storePosition(int leftTwips, int topTwips) {
    storeWindowPosition(p_.settings, kPositionKeys, {leftTwips, topTwips});
}

void TimerWindowForm::setShown(bool shown) { p_.service.setWindowShown(shown); }

} // namespace zul::windows
