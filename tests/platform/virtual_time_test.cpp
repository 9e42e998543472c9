#include <gtest/gtest.h>

#include <locale.h>
#include <optional>

#include "platform/datetime.h"
#include "support/sim/virtual_event_loop.h"
#include "platform/system_clock.h"
#include "support/scoped_env.h"

using namespace zul;

TEST(DateTime, CalendarArithmeticAcrossYearsAndLeapDays) {
    EXPECT_EQ(DateTime({2024, 2, 28, 23, 59, 59, 500}).addMillis(500), (DateTime{2024, 2, 29, 0, 0, 0, 0}));
    EXPECT_EQ(DateTime({2023, 12, 31, 23, 0, 0, 0}).addMillis(3600000), (DateTime{2024, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ((DateTime{2024, 6, 3}).weekday(), 2); // a Monday
    EXPECT_EQ((DateTime{1970, 1, 1}).weekday(), 5); // a Thursday
    EXPECT_EQ((DateTime{2024, 12, 31}).dayOfYear(), 366);
    EXPECT_EQ(DateTime::fromMillis(-1).isoText(), "1969-12-31 23:59:59");
}

TEST(DateTime, ParseRejectsImpossibleDates) {
    DateTime d;
    EXPECT_TRUE(DateTime::parse("2024-02-29", d));
    for (const char* bad : {"2023-02-29", "2024-13-01", "2024-01-01 24:00", "yesterday", "2024-06-2x", "+024-06-21",
                            "2024-6-21", "2024-06-21 ", "0000-01-01", "2024-06-21 1:00"})
        EXPECT_FALSE(DateTime::parse(bad, d)) << bad;
    ASSERT_TRUE(DateTime::parse("2024-01-02 03:04", d));
    EXPECT_EQ(d.isoText(), "2024-01-02 03:04:00");
}

// The time style comes from the user's locale (LC_TIME): a 12-hour locale
// shows AM and PM. Needs en_US.UTF-8 installed (the test set-up makes it).
TEST(SystemClock, TimeStyleComesFromTheLocale) {
    EXPECT_TRUE(localeUses24Hour("C"));
    EXPECT_TRUE(localeUses24Hour("xx_NOWHERE.UTF-8")) << "a locale not installed is the C locale";
    const locale_t us = ::newlocale(LC_TIME_MASK, "en_US.UTF-8", static_cast<locale_t>(0));
    if (us == static_cast<locale_t>(0)) GTEST_SKIP() << "en_US.UTF-8 is not installed (locale-gen en_US.UTF-8)";
    ::freelocale(us);
    EXPECT_FALSE(localeUses24Hour("en_US.UTF-8"));

    // The program's clock reads LC_TIME when it is made; LC_ALL would override it.
    zul::test::ScopedEnv locale{{"LC_ALL", std::nullopt}, {"LC_TIME", "en_US.UTF-8"}};
    const bool usTwentyFour = SystemClock().uses24Hour();
    locale.set("LC_TIME", "C");
    const bool cTwentyFour = SystemClock().uses24Hour();
    EXPECT_FALSE(usTwentyFour);
    EXPECT_TRUE(cTwentyFour);
    EXPECT_EQ(generalDateTimeText(DateTime{2024, 6, 3, 19, 5, 9}, false), "2024-06-03 7:05:09 PM");
}

class VirtualEventLoopTest : public ::testing::Test {
protected:
    sim::VirtualClock clock;
    sim::VirtualEventLoop loop{clock};
};

TEST_F(VirtualEventLoopTest, TicksFireInTimeOrderAndActionsInterleave) {
    std::vector<std::string> seen;
    auto saw = [&](std::string what) { seen.push_back(what += std::to_string(clock.monotonicMicros() / 1000)); };
    auto fast = loop.createTick("fast", 100, [&] { saw("f"); });
    auto slow = loop.createTick("slow", 250, [&] { saw("s"); });
    fast->setEnabled(true);
    slow->setEnabled(true);
    loop.afterMs(150, [&] { seen.push_back("a150"); });
    loop.runFor(300);
    EXPECT_EQ(seen, (std::vector<std::string>{"f100", "a150", "f200", "s250", "f300"}));
    EXPECT_EQ(clock.monotonicMicros(), 300000);
}

TEST_F(VirtualEventLoopTest, TickIsNotReenteredWhileItsHandlerWaits) {
    int depth = 0, maxDepth = 0, calls = 0, others = 0;
    auto other = loop.createTick("other", 10, [&] { ++others; });
    std::unique_ptr<Tick> self;
    self = loop.createTick("self", 10, [&] {
        ++calls;
        maxDepth = std::max(maxDepth, ++depth);
        for (int i = 0; i < 10; ++i) { // a 50 ms wait that keeps processing events
            loop.processEvents();
            loop.sleepMs(5);
        }
        --depth;
    });
    self->setEnabled(true);
    other->setEnabled(true);
    loop.runFor(100);
    EXPECT_EQ(maxDepth, 1);
    EXPECT_GE(others, 8); // the other tick kept running inside the wait
    EXPECT_GE(calls, 1);
    EXPECT_TRUE(self->enabled());
}

TEST_F(VirtualEventLoopTest, DisablingAndPeriodChangesRestartTheCount) {
    std::vector<std::int64_t> at;
    auto t = loop.createTick("t", 100, [&] { at.push_back(clock.monotonicMicros() / 1000); });
    t->setEnabled(true);
    loop.runFor(150);
    t->setInterval(1000); // restarts at 150
    loop.runFor(1000);
    t->setEnabled(false);
    loop.runFor(5000);
    EXPECT_EQ(at, (std::vector<std::int64_t>{100, 1150}));
}

TEST_F(VirtualEventLoopTest, TickMayDestroyItselfInsideItsHandler) {
    std::unique_ptr<Tick> t;
    int calls = 0;
    t = loop.createTick("once", 50, [&] {
        ++calls;
        t.reset();
    });
    t->setEnabled(true);
    loop.runFor(500);
    EXPECT_EQ(calls, 1);
}
