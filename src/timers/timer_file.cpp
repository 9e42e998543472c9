#include "timers/timer_file.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "platform/atomic_file.h"
#include "platform/dialogs.h"
#include "settings/settings_store.h"
#include "platform/text.h"

namespace zul {

namespace {

TimerFileLine fieldsOf(const std::string& line, const std::string& sep) {
    std::vector<std::string> f = splitAt(without(line, '"'), sep);
    TimerFileLine out;
    out.fields = static_cast<int>(f.size());
    if (sep == "," && f.size() > 3) {
        // Commas of an older file's entry (a path or program arguments).
        out.days = f.back();
        out.start = f[f.size() - 2];
        f.resize(f.size() - 2);
        out.entry = joinWith(f, sep);
        return out;
    }
    if (!f.empty()) out.entry = f[0];
    if (f.size() > 1) out.start = f[1];
    if (f.size() > 2) out.days = f[2];
    return out;
}

bool isEmptyLine(const TimerFileLine& l) {
    return trimBlanks(TimerTable::storable(l.entry)).empty() && trimBlanks(TimerTable::storable(l.start)).empty();
}

std::string boolText(bool on) { return on ? "True" : "False"; }

} // namespace

std::filesystem::path timerFilePath(const std::filesystem::path& programFolder) {
    return programFolder / kTimerFileName;
}

std::vector<TimerFileLine> parseTimerFile(std::string_view fileBytes) {
    const std::string bytes = textFromFile(fileBytes);
    std::vector<std::string> lines = splitFileLines(bytes);
    if (lines.back().empty()) lines.pop_back(); // the piece after the last line end
    const std::string sep = bytes.find('*') != std::string_view::npos   ? "*"
                            : bytes.find(',') != std::string_view::npos ? ","
                                                                        : "*";
    std::vector<TimerFileLine> out;
    out.reserve(lines.size());
    for (const std::string& line : lines) out.push_back(fieldsOf(line, sep));
    return out;
}

std::string formatTimerFile(const TimerTable& table, const Translate& translate) {
    std::string out;
    for (const TimerRecord& t : table.timers())
        out += quotedLine(t.entry + "*" + t.start + "*" + daysRuleCaption(t.days, translate));
    return out;
}

void applyTimerFile(TimerTable& table, std::string_view bytes, int storedCount) {
    const std::vector<TimerFileLine> lines = parseTimerFile(bytes);
    int needed = storedCount;
    // Lines past the largest table cannot be kept; the rest never shrink it below its last timer.
    const std::size_t usable = std::min<std::size_t>(lines.size(), TimerTable::kMaxTimers);
    for (std::size_t i = 0; i < usable; ++i)
        if (!isEmptyLine(lines[i])) needed = std::max(needed, static_cast<int>(i) + 1);
    table.reset(needed);

    for (int i = 0; i < table.count() && i < static_cast<int>(lines.size()); ++i) {
        const TimerFileLine& l = lines[static_cast<std::size_t>(i)];
        if (!l.entry.empty()) table.setEntry(i, l.entry); // the entry box's change keeps `runEntries` in step
        table.setStart(i, l.start);
        table.setDays(i, daysRuleFromCaption(trimBlanks(l.days)));
    }
    for (int i = 0; i < table.count(); ++i)
        if (!table.timer(i).complete()) table.setDays(i, DaysRule::NotSet);
    table.markSaved();
}

std::error_code loadTimerTable(TimerTable& table, const SettingsBackend& settings) {
    const int stored = storedTimerCount(settings);
    const std::filesystem::path file = timerFilePath(table.programFolder());
    const FileRead read = readDataFile(file, TimerFileLimit);
    std::error_code result;
    if (read.missing()) writeFileAtomically(file, ""); // reading creates a missing file, empty
    else result = read.error;
    applyTimerFile(table, read.bytes, stored);
    table.loop() = readLoopTimerFields(settings);
    table.markSaved();
    return result;
}

int storedTimerCount(const SettingsBackend& settings) {
    return settingAsInt(readSetting(settings, Setting::TimerCount), TimerTable::kMinTimers);
}

LoopTimerFields readLoopTimerFields(const SettingsBackend& settings) {
    LoopTimerFields loop;
    loop.entry = readSetting(settings, Setting::LoopEntry);
    loop.days = daysRuleFromCaption(trimBlanks(readSetting(settings, Setting::LoopDays)));
    loop.startTime = readSetting(settings, Setting::LoopStartTime);
    loop.endTime = readSetting(settings, Setting::LoopEndTime);
    loop.useStartEnd = settingAsBool(readSetting(settings, Setting::LoopUseStartEnd), false);
    return loop;
}

TimerSaveResult saveTimerTable(TimerTable& table, SettingsBackend& settings, Dialogs* dialogs, const LangLookup& lang) {
    TimerSaveResult result;
    result.fileError =
        writeFileAtomically(timerFilePath(table.programFolder()), formatTimerFile(table, lang.caption), TimerFileLimit);

    const LoopTimerFields& loop = table.loop();
    writeSetting(settings, Setting::LoopEntry, loop.entry);
    writeSetting(settings, Setting::LoopDays, daysRuleCaption(loop.days, lang.caption));
    writeSetting(settings, Setting::LoopStartTime, loop.startTime);
    writeSetting(settings, Setting::LoopEndTime, loop.endTime);
    writeSetting(settings, Setting::LoopUseStartEnd, loop.useStartEnd ? "1" : "0");

    if (!result.fileError) table.markSaved();
    writeSetting(settings, Setting::TimerCount, std::to_string(table.count()));

    result.conflict = findStartConflict(table.startTimes());
    if (result.conflict && dialogs) {
        InfoBox box;
        box.message = startConflictMessage(*result.conflict, lang);
        box.title = lang.cap("Timer Conflict");
        box.button = lang.cap("OK");
        dialogs->info(box);
    }
    return result;
}

std::optional<int> parseTimeOfDay(std::string_view text) {
    const std::string t = trimBlanks(text);
    int part[3] = {0, 0, 0};
    std::size_t pos = 0;
    int parts = 0;
    while (parts < 3) {
        if (pos >= t.size() || !std::isdigit(static_cast<unsigned char>(t[pos]))) return std::nullopt;
        const char* begin = t.data() + pos;
        const char* end = t.data() + std::min(t.size(), pos + 2);
        auto [next, ec] = std::from_chars(begin, end, part[parts]);
        if (ec != std::errc{} || next == begin) return std::nullopt;
        pos = static_cast<std::size_t>(next - t.data());
        ++parts;
        if (pos >= t.size() || t[pos] != ':') break;
        ++pos;
    }
    if (parts < 2) return std::nullopt;
    const std::string suffix = asciiUpper(trimBlanks(std::string_view(t).substr(pos)));
    int hour = part[0];
    if (suffix == "AM" || suffix == "PM") {
        if (hour < 1 || hour > 12) return std::nullopt;
        hour = hour % 12 + (suffix == "PM" ? 12 : 0);
    } else if (!suffix.empty() || hour > 23) {
        return std::nullopt;
    }
    if (part[1] > 59 || part[2] > 59) return std::nullopt;
    return hour * 3600 + part[1] * 60 + part[2];
}

std::optional<StartConflict> findStartConflict(const std::vector<std::string>& dueTimes) {
    std::vector<std::optional<int>> secs;
    secs.reserve(dueTimes.size());
    for (const std::string& d : dueTimes) secs.push_back(parseTimeOfDay(d));
    const int n = static_cast<int>(secs.size());
    for (int i = 0; i < n; ++i) {
        if (!secs[static_cast<std::size_t>(i)]) continue;
        for (int j = i + 1; j < n; ++j) {
            if (!secs[static_cast<std::size_t>(j)]) continue;
            const int apart =
                ((*secs[static_cast<std::size_t>(i)] - *secs[static_cast<std::size_t>(j)]) % 86400 + 86400) % 86400;
            if (apart <= 1 || apart == 86399) return StartConflict{i, j};
        }
    }
    return std::nullopt;
}

std::string startConflictMessage(const StartConflict& c, const LangLookup& lang) {
    const std::string timer = lang.cap("Timer");
    return timer + " " + std::to_string(c.first + 1) + " " + lang.tipText("and") + " " + timer + " " +
           std::to_string(c.second + 1) + " " + lang.cap("have a start time conflict.") + kCrLf +
           lang.cap("Start times should be at least 2 seconds apart!");
}

namespace {

const std::array<TimerOptionInfo, kTimerOptionCount> kOptions{{
    {TimerOption::ConfirmClear, Setting::ConfirmClearTimers, "Clear Timer"},
    {TimerOption::ConfirmDelete, Setting::ConfirmDeleteTimer, "Delete Timer"},
    {TimerOption::AllowNewTimers, Setting::AllowNewTimers, "Allow new timers to be added or removed"},
    {TimerOption::ManualOffOnStart, Setting::ManualOffOnStart, "\"Allow Manual\" NOT selected on startup"},
    {TimerOption::ConfirmSaveQuit, Setting::ConfirmSaveQuit, "Exit without Saving Timers"},
}};

} // namespace

const TimerOptionInfo& timerOptionInfo(TimerOption option) { return kOptions[static_cast<std::size_t>(option)]; }

TimerWindowOptions loadTimerWindowOptions(const SettingsBackend& settings) {
    TimerWindowOptions o;
    const int runDef = settingAsInt(readSetting(settings, Setting::RunDefault), 0);
    o.runDef = runDef >= 0 && runDef < kChoosableDaysRules ? runDef : 0;
    for (const TimerOptionInfo& info : kOptions)
        o.ticked[static_cast<std::size_t>(info.option)] = settingAsBool(readSetting(settings, info.key), true);
    return o;
}

void storeTimerOption(SettingsBackend& settings, TimerWindowOptions& options, TimerOption option, bool on) {
    options.ticked[static_cast<std::size_t>(option)] = on;
    writeSetting(settings, timerOptionInfo(option).key, boolText(on));
}

void storeRunDef(SettingsBackend& settings, TimerWindowOptions& options, int index) {
    if (index < 0 || index >= kChoosableDaysRules) return;
    options.runDef = index;
    writeSetting(settings, Setting::RunDefault, std::to_string(index));
}

bool settingAsBool(const std::string& text, bool fallback) {
    const std::string t = asciiLower(trimBlanks(text));
    if (t == "true" || t == "yes") return true;
    if (t == "false" || t == "no") return false;
    const double v = settingAsNumber(t, fallback ? 1 : 0);
    return v != 0;
}

double settingAsNumber(const std::string& text, double fallback) {
    const std::string t = trimBlanks(text);
    double v = 0;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    return ec == std::errc{} && p == t.data() + t.size() && std::isfinite(v) ? v : fallback;
}

int settingAsInt(const std::string& text, int fallback) {
    const double v = settingAsNumber(text, fallback);
    return v > -2e9 && v < 2e9 ? static_cast<int>(v) : fallback;
}

} // namespace zul
