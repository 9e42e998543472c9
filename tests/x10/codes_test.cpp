#include <gtest/gtest.h>

#include <stdexcept>

#include "x10/x10_codes.h"

using namespace zul::x10;

namespace {
std::string frameOf(const std::string& house, const std::string& unit, const std::string& action) {
    std::string error;
    const auto c = parseCommand(house, unit, action, error);
    if (!c) return "error: " + error;
    return X10Codes().frameFor(*c);
}
} // namespace

TEST(X10Frames, GoldenFramesOfTheDocumentedCommands) {
    EXPECT_EQ(frameOf("A", "1", "ON"), std::string("1101010110101010") + "01100000" + "00000000" + "10101101");

    X10Codes codes;
    const CodeBytes a9off = codes.bytesFor({1, 9, Action::Off});
    EXPECT_EQ(a9off.house, "01100100");
    EXPECT_EQ(a9off.unit, "00100000");

    // A command names its unit; the page the main window shows only changes houseBits.
    EXPECT_EQ(codes.houseBits(1), "01100000");
    codes.setUnitsHighPage(true);
    EXPECT_EQ(codes.houseBits(1), "01100100");
    EXPECT_EQ(codes.houseBits(16), "00110100");
    EXPECT_EQ(codes.frameFor({1, 9, Action::Off}), X10Codes().frameFor({1, 9, Action::Off}));
    EXPECT_EQ(codes.frameFor({1, 3, Action::On}), X10Codes().frameFor({1, 3, Action::On}));
    const CodeBytes pdim = codes.bytesFor({16, 0, Action::Dim});
    EXPECT_EQ(pdim.house, "00110000");
    EXPECT_EQ(pdim.unit, "10011000");

    const CodeBytes kalf = codes.bytesFor({11, 0, Action::Alf});
    EXPECT_EQ(kalf.house, "11000000");
    EXPECT_EQ(kalf.unit, "11000000");
    EXPECT_THROW(codes.houseBits(0), std::out_of_range);
    EXPECT_THROW(codes.houseBits(17), std::out_of_range);
}

TEST(X10Frames, ParsingAcceptsAnyCaseAndEnforcesTheUnitActionRules) {
    std::string error;
    const auto c = parseCommand(" b ", "16", "off", error);
    ASSERT_TRUE(c);
    EXPECT_EQ(*c, (Command{2, 16, Action::Off}));
    EXPECT_EQ(describe(*c), "B16 OFF");
    EXPECT_EQ(describe(*parseCommand("p", "pre", "Bri", error)), "P BRI");
    EXPECT_EQ(describe(*parseCommand("K", "ALL", "alf", error)), "K ALF");

    struct Bad {
        const char *house, *unit, *action, *message;
    };
    for (const Bad& b : {Bad{"A", "PRE", "ON", "ON and OFF must have a number in Unit Code."},
                         Bad{"A", "3", "BRI", "Bright and Dim may only be used with PRE in Unit Code."},
                         Bad{"A", "ALL", "DIM", "Bright and Dim may only be used with PRE in Unit Code."},
                         Bad{"A", "PRE", "ALN", "All Lights ON:  Must have ALL in Unit Code."},
                         Bad{"A", "1", "ALF", "All Lights OFF:  Must have ALL in Unit Code."},
                         Bad{"A", "1", "AUF", "All Units OFF:  Must have ALL in Unit Code."}}) {
        EXPECT_FALSE(parseCommand(b.house, b.unit, b.action, error)) << b.unit << " " << b.action;
        EXPECT_EQ(error, b.message);
    }
    for (const char* house : {"Q", "", "AB"}) EXPECT_FALSE(parseCommand(house, "1", "ON", error)) << house;
    for (const char* unit : {"0", "17", "", "1x"}) EXPECT_FALSE(parseCommand("A", unit, "ON", error)) << unit;
    EXPECT_FALSE(parseCommand("A", "1", "TOGGLE", error));
    EXPECT_NE(error.find("TOGGLE"), std::string::npos);

    EXPECT_THROW(X10Codes().bytesFor({1, 0, Action::On}), std::invalid_argument);
}
