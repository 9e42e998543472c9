// zulmarin timers [list] [--at TIME]
#include <algorithm>
#include <array>
#include <filesystem>
#include <ostream>

#include "cli/cli.h"
#include "cli/port_choice.h"
#include "platform/atomic_file.h"
#include "platform/system_clock.h"
#include "platform/text.h"
#include "settings/paths.h"
#include "sun/sunrise.h"
#include "timers/days_rule.h"
#include "timers/timer_file.h"
#include "timers/timer_outlook.h"
#include "timers/timer_table.h"

namespace zul::cli {

namespace {

constexpr std::array<const char*, 7> kWeekdays{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

using Row = std::array<std::string, 6>;

// "Mon 2024-05-06 7:00:00" in the clock's time style.
std::string dayAndTime(const DateTime& t, bool twelveHour) {
    return std::string(kWeekdays[static_cast<std::size_t>(t.weekday() - 1)]) + " " + t.isoText().substr(0, 10) + " " +
           timeOfDayText(t, twelveHour);
}

// Columns padded to their widest cell; the last one is not padded.
void printRows(const std::vector<Row>& rows, std::ostream& out) {
    std::array<std::size_t, 6> w{};
    for (const Row& r : rows)
        for (std::size_t c = 0; c < r.size(); ++c) w[c] = std::max(w[c], r[c].size());
    for (const Row& r : rows) {
        std::string line;
        for (std::size_t c = 0; c + 1 < r.size(); ++c) line += r[c] + std::string(w[c] - r[c].size() + 2, ' ');
        out << line << r.back() << "\n";
    }
}

std::string orDash(const std::string& text) { return trimBlanks(text).empty() ? "-" : printable(text); }

void printTable(const TimerTable& table, const OutlookInputs& in, std::ostream& out) {
    std::vector<Row> rows{{"#", "Days", "Start", "Due today", "Runs", "Next run"}};
    for (const TimerOutlook& o : timerOutlook(table, in)) {
        const TimerRecord& t = table.timer(o.timer);
        const std::string next = o.nextRun ? dayAndTime(*o.nextRun, in.twelveHour) : "never: " + printable(o.never);
        rows.push_back({std::to_string(o.timer + 1), daysRuleCaption(t.days), orDash(t.start), orDash(o.dueToday),
                        orDash(t.entry), next});
    }
    if (rows.size() == 1) out << "No timers are set.\n";
    else printRows(rows, out);
}

void printSun(const OutlookInputs& in, std::ostream& out) {
    SunCalculator calculator(in.now);
    bool placeError = false;
    const auto sun = sunTimesOn(calculator, in.now, in.sun, in.systemZone, &placeError);
    out << "Now " << dayAndTime(in.now, in.twelveHour);
    if (sun)
        out << ", sunrise " << timeOfDayText(sun->sunrise, in.twelveHour) << ", sunset "
            << timeOfDayText(sun->sunset, in.twelveHour) << "\n";
    else if (placeError) out << ", the location set up is no usable place for sunrise and sunset\n";
    else out << ", no location set for sunrise and sunset\n";
}

void printLoop(const LoopTimerFields& loop, std::ostream& out) {
    if (trimBlanks(loop.entry).empty()) return;
    out << "Loop timer: " << printable(loop.entry) << ", " << daysRuleCaption(loop.days);
    if (loop.useStartEnd) out << ", between " << orDash(loop.startTime) << " and " << orDash(loop.endTime) << "\n";
    else out << ", all day\n";
}

// The arguments: an optional "list" and "--at TIME". False with error set when wrong.
bool parseArgs(const Args& args, std::optional<DateTime>& at, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "list" && i == 0) continue;
        if (a != "--at") {
            error = "unexpected argument '" + a + "' (try timers --help)";
            return false;
        }
        DateTime t;
        if (i + 1 >= args.size() || !DateTime::parse(args[i + 1], t)) {
            error = "--at needs a date and time, 'YYYY-MM-DD HH:MM:SS'";
            return false;
        }
        at = t;
        ++i;
    }
    return true;
}

} // namespace

const char* const timersHelp = "usage: zulmarin timers [list] [--at 'YYYY-MM-DD HH:MM:SS']\n"
                               "Lists the timers of tmrdat.zul in the program folder as they will run: each\n"
                               "timer's days rule, start time, due time today (sunrise and sunset computed for\n"
                               "the location set up) and the day and time it runs next, or why it never runs;\n"
                               "then the loop timer.\n"
                               "  --at TIME  work the due times and next runs out as at another date and time\n"
                               "Exit status: 0 listed, 1 the timer file cannot be read or has lines the timers\n"
                               "cannot use (each reported on stderr), 2 bad input.\n";

int timersCommand(const Args& args, Io& io) {
    std::optional<DateTime> at;
    std::string error;
    if (!parseArgs(args, at, error)) return badInput(io, error);

    UserSettings user(io);
    const SettingsBackend& settings = user.settings;
    const SystemClock clock;
    OutlookInputs in;
    in.now = at.value_or(clock.now());
    in.twelveHour = !clock.uses24Hour();
    in.sun = SunSettings::read(settings);
    // Running timers keep "DaySavings" in step with the system clock.
    in.sun.daySavings = daylightState(clock.timeZone()).daySavings ? "True" : "False";
    in.systemZone = systemZoneHours(clock.timeZone());

    TimerTable table(programFolder(settings));
    const std::filesystem::path file = timerFilePath(table.programFolder());
    const FileRead read = readDataFile(file, TimerFileLimit);
    if (!read.ok() && !read.missing())
        return failed(io, "cannot read the timer file " + file.string() + ": " + read.problem);
    const std::string& bytes = read.bytes;
    applyTimerFile(table, bytes, storedTimerCount(settings));
    table.loop() = readLoopTimerFields(settings);

    io.out << "Timers of " << printable(file.string()) << (read.missing() ? " (no such file yet)" : "") << "\n";
    printSun(in, io.out);
    printTable(table, in, io.out);
    printLoop(table.loop(), io.out);
    const std::vector<std::string> problems = timerFileProblems(bytes);
    for (const std::string& p : problems) say(io, file.string() + ": " + p);
    return problems.empty() ? 0 : 1;
}

} // namespace zul::cli
