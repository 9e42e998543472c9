#include "macros/macro_row.h"

#include <gtest/gtest.h>

namespace zul::macros {
namespace {

TEST(PauseText, PaddingAndMinimum) {
    const char* cases[][2] = {{"5", "0005"},    {"1.5", "01.5"}, {"0.3", "00.3"}, {"0.1", "00.3"},
                              {"0", "00.3"},    {"0,2", "00.3"}, {"1,5", "01,5"}, // a comma is kept as typed
                              {"9999", "9999"}, {"abc", "abc"}};                  // not a number: left for the checker
    for (const auto& [typed, stored] : cases) EXPECT_EQ(normalizePause(typed), stored) << typed;
    EXPECT_EQ(enteredPause(""), "0001");
    EXPECT_FALSE(enteredPause("12345"));
    EXPECT_FALSE(enteredPause("1.2.3"));
}

TEST(PauseText, ValuesAndWhatTheCheckerMarks) {
    const std::pair<const char*, int> values[] = {{"01,5", 1500}, {".125", 125}, {"9999", 9999000}, {"5.", 5000}};
    for (const auto& [text, ms] : values) EXPECT_EQ(pauseMillis(text), ms) << text;
    for (const char* bad : {"", ".", ",", "1.2.", "1,2.", "-1", "1e3", " 5", "5s", "12345"})
        EXPECT_FALSE(pauseMillis(bad)) << bad;
    for (const char* bad : {"0000", "000", "00", "0", "", "error", "0.0"}) EXPECT_TRUE(pauseIsError(bad)) << bad;
    for (const char* good : {"0001", "00.3", "9999"}) EXPECT_FALSE(pauseIsError(good)) << good;
}

TEST(EnterRow, AppliesTheEditBoxRules) {
    // "b", "1", "d": D becomes DIM, which forces PRE.
    EXPECT_EQ(enterRow("b", "1", "d", "").row, (MacroRow{"B", "PRE", "DIM", "0001"}));
    EXPECT_EQ(enterRow("c", "12", "on", "0.1").row, (MacroRow{"C", "12", "ON", "00.3"}));
    EXPECT_EQ(enterRow("K", "7", "auf", "90").row, (MacroRow{"K", "ALL", "AUF", "0090"}));
    EXPECT_EQ(enterRow("E", "p", "n", "1,5").problem, "ON and OFF must have a number in Unit Code.");
    EXPECT_EQ(enterRow("A", "a", "f", "5").row, std::nullopt) << "ALL is emptied by OFF";
    EXPECT_EQ(enterRow("Q", "1", "ON", "5").problem, "House Code must be a letter A to P.");
    EXPECT_EQ(enterRow("A", "17", "ON", "5").problem, "Unit Code must be 1 to 16 with ON and OFF.");
    EXPECT_EQ(enterRow("A", "1", "XX", "5").problem, "Action must be ON, OFF, BRI, DIM, ALN, ALF or AUF.");
    EXPECT_FALSE(enterRow("A", "1", "ON", "1..").problem.empty());
}

TEST(RunningPause, SumsDownToTheFirstEmptyPauseAndFormats) {
    const std::vector<MacroRow> rows = {{"A", "1", "ON", "0005"},
                                        {"A", "1", "OFF", "00.3"},
                                        {"A", "2", "ON", "error"},
                                        {"A", "2", "OFF", ""},
                                        {"A", "3", "ON", "0001"}};
    EXPECT_EQ(runningPauseMillis(rows),
              (std::vector<std::optional<int>>{5000, 5300, 5300, std::nullopt, std::nullopt}));

    EXPECT_EQ(formatSeconds(600), "0.6");
    EXPECT_EQ(formatSeconds(1250), "1.25");
    EXPECT_EQ(formatSeconds(125), "0.13");

    EXPECT_EQ(formatRunningTime(59900), "59.9 sec");
    EXPECT_EQ(formatRunningTime(60000), "1m 00.0s");
    EXPECT_EQ(formatRunningTime(125000), "2m 05.0s");
    EXPECT_EQ(formatRunningTime(3599960), "1h 0m 00s") << "rounding carries into the next unit";
    EXPECT_EQ(formatRunningTime(9999000), "2h 46m 39s");
}

} // namespace
} // namespace zul::macros
