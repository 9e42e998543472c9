#include "timers/timer_outlook.h"

#include <gtest/gtest.h>

#include "timers/timer_file.h"
#include "timers/timer_table.h"

using namespace zul;

namespace {

struct Outlook {
    explicit Outlook(DateTime now, bool twelveHour = false) {
        in.now = now;
        in.twelveHour = twelveHour;
    }
    // The next run of each listed timer, or "never: " and why.
    std::vector<std::string> nextRuns(const std::string& file) {
        std::vector<std::string> out;
        for (const TimerOutlook& o : of(file)) out.push_back(o.nextRun ? o.nextRun->isoText() : "never: " + o.never);
        return out;
    }
    std::vector<TimerOutlook> of(const std::string& file) {
        applyTimerFile(table, file, TimerTable::kMinTimers);
        return timerOutlook(table, in);
    }
    TimerTable table{"/programs"};
    OutlookInputs in;
};

} // namespace

TEST(TimerOutlook, NextRunFollowsTheDaysRuleFromNow) {
    Outlook friday(DateTime{2024, 5, 3, 14, 0, 0});
    EXPECT_EQ(friday.nextRuns("a.cro*7:00:00*Weekdays\r\n"  // passed today: Monday
                              "a.cro*14:00:00*Everyday\r\n" // due this very second: it still fires
                              "a.cro*13:59:59*Everyday\r\n"
                              "a.cro*9:00:00*Sun - Thu\r\n"
                              "a.cro*20:00:00*Fri & Sat\r\n"
                              "a.cro*8:00:00*Weekends\r\n"
                              "\r\n" // an empty row is not listed
                              "a.cro*13:00:00*One Time\r\n"
                              "a.cro*13:00:00*Never\r\n"
                              "*13:00:00*Everyday\r\n"
                              "a.cro**Everyday\r\n"),
              (std::vector<std::string>{"2024-05-06 07:00:00", "2024-05-03 14:00:00", "2024-05-04 13:59:59",
                                        "2024-05-05 09:00:00", "2024-05-03 20:00:00", "2024-05-04 08:00:00",
                                        "2024-05-04 13:00:00", "never: days rule Never", "never: no entry",
                                        "never: no start time"}));
    // A week ahead at most: the same weekday next week.
    Outlook saturday(DateTime{2024, 5, 4, 23, 0, 0});
    EXPECT_EQ(saturday.nextRuns("a.cro*22:00:00*Fri & Sat\r\n"), std::vector<std::string>{"2024-05-10 22:00:00"});
}

TEST(TimerOutlook, FixedStartTextsRunOnlyWhenWrittenAsAClockWritesTimes) {
    Outlook twelveHour(DateTime{2024, 5, 3, 6, 0, 0}, true);
    EXPECT_EQ(twelveHour.nextRuns("a.cro*7:00:00 PM*Everyday\r\n"
                                  "a.cro*19:00:00*Everyday\r\n"
                                  "a.cro*07:00:00 PM*Everyday\r\n"
                                  "a.cro*half past*Everyday\r\n"),
              (std::vector<std::string>{"2024-05-03 19:00:00", "2024-05-03 19:00:00",
                                        "never: '07:00:00 PM' is not written as the clock shows it (7:00:00 PM)",
                                        "never: 'half past' is not a time of day"}));
}

TEST(TimerOutlook, SunTimesAreWorkedOutForEachDay) {
    Outlook newYork(DateTime{2003, 1, 15, 17, 0, 0}); // after today's sunset at 16:53:21
    newYork.in.sun = {"40.43", "74.01", "5", "False"};
    const auto plan = newYork.of("a.cro*SS*Everyday\r\na.cro*SR-10*Everyday\r\na.cro*SS+500*Everyday\r\n");
    ASSERT_EQ(plan.size(), 3u);
    EXPECT_EQ(plan[0].dueToday, "16:53:21");
    ASSERT_TRUE(plan[0].nextRun) << plan[0].never;
    // Tomorrow's own sunset, a little later in January.
    const DateTime next = *plan[0].nextRun;
    EXPECT_EQ(next.isoText().substr(0, 10), "2003-01-16");
    EXPECT_GT(next.secondsOfDay(), 16 * 3600 + 53 * 60 + 21);
    EXPECT_LT(next.secondsOfDay(), 16 * 3600 + 55 * 60);
    EXPECT_EQ(plan[1].nextRun.value().isoText().substr(0, 16), "2003-01-16 07:06");
    EXPECT_EQ(plan[2].dueToday, "Error");
    EXPECT_EQ(plan[2].never, "the offset moves the time out of the day");

    newYork.in.sun = {};
    const auto unplaced = newYork.of("a.cro*SS*Everyday\r\n");
    EXPECT_EQ(unplaced.at(0).dueToday, "");
    EXPECT_EQ(unplaced.at(0).never, "no location set for sunrise and sunset");
}

TEST(TimerFileProblems, LinesTheTimersCannotUse) {
    EXPECT_EQ(timerFileProblems("\"a.cro*7:00:00*Everyday\"\r\n"
                                "\"a.cro*7:00:00\"\r\n"
                                "\"\"\r\n"
                                "\"a.cro*8:00:00*Sometimes\"\r\n"
                                "\"*8:00:00*nicht gesetzt\"\r\n" // a translated "not set" of an incomplete timer
                                "\"a.cro*9:00:00*NOT SET\"\r\n"),
              (std::vector<std::string>{"line 2: 2 of the three fields entry*start*days rule",
                                        "line 4: unknown days rule 'Sometimes'; the timer never runs"}));
    EXPECT_TRUE(timerFileProblems("").empty());
    EXPECT_TRUE(timerFileProblems("a.cro,7:00:00,Everyday\n").empty()); // an older, hand-written file

    std::string many;
    for (int i = 0; i < 102; ++i) many += "\"a.cro*7:00:00*Everyday\"\r\n";
    EXPECT_EQ(timerFileProblems(many),
              std::vector<std::string>{"line 101: more than 100 timers; this line and the ones after it are not read"});
    EXPECT_EQ(timerFileProblems(std::string("\"a.cro\0*7:00:00*Everyday\"\r\n", 27)),
              std::vector<std::string>{"the file holds binary data, not timer lines"});
}
