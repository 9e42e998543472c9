#include "macros/cro_codes.h"

#include <gtest/gtest.h>

#include <set>

namespace zul::macros {
namespace {

TEST(RowToCode, WorkedExamples) {
    CroEdit m;
    // The house argument comes back holding the house byte that was used.
    const struct {
        const char *house, *unit, *action, *code, *houseByte;
    } cases[] = {{"a", "9", "off", "0110010000100000", "01100100"},
                 {"P", "PRE", "DIM", "0011000010011000", "00110000"},
                 {"K", "ALL", "ALF", "1100000011000000", "11000000"},
                 {"C", "12", "ON", "0100010000011000", "01000100"}};
    for (const auto& c : cases) {
        std::string house = c.house;
        EXPECT_EQ(m.rowToCode(house, c.unit, c.action), c.code) << c.house << c.unit;
        EXPECT_EQ(house, c.houseByte) << c.house << c.unit;
    }
}

TEST(CodeToRow, DecodesBothHouseByteForms) {
    CroEdit m;
    EXPECT_EQ(m.codeToRow("0110010000100000"), "A9OFF");
    EXPECT_EQ(m.decodedUnit(), "9");
    EXPECT_TRUE(m.decodedHighUnits());
    EXPECT_EQ(m.codeToRow("0110000000100000"), "A1OFF");
    EXPECT_FALSE(m.decodedHighUnits());
    EXPECT_EQ(m.codeToRow("1000010001111000"), "E16OFF");
    EXPECT_EQ(m.decodedHouse() + "|" + m.decodedUnit() + "|" + m.decodedAction(), "E|16|OFF");
    EXPECT_EQ(m.codeToRow("0111000011000000"), "BALLALF");
}

TEST(CroEditPassThrough, UnknownInputKeepsThePreviousByteOrComesBackUnchanged) {
    CroEdit m;
    EXPECT_EQ(m.commandToUnitByte("17ON"), "") << "nothing converted yet";
    EXPECT_EQ(m.commandToUnitByte("3ON"), "00001000");
    EXPECT_EQ(m.commandToUnitByte("17ON"), "00001000");
    EXPECT_EQ(m.lastUnitByte(), "00001000");
    EXPECT_EQ(m.commandToUnitByte("BRI"), "10001000") << "a bare BRI is accepted";

    EXPECT_EQ(CroEdit::letterToHouseByte("Q"), "Q");
    std::string house = "Q";
    EXPECT_EQ(m.rowToCode(house, "1", "ON"), "Q00000000");

    EXPECT_EQ(m.codeToRow("1111111100000001"), "1111111100000001");
    EXPECT_EQ(m.decodedHouse() + "|" + m.decodedUnit() + "|" + m.decodedAction(), "11111111|00000001|");
    EXPECT_EQ(m.codeToRow("01"), "0101") << "a short code must not crash";
}

TEST(EncodeRow, RefusesCommandsOutsideTheTables) {
    const char* bad[][3] = {{"A", "ALL", "ON"}, {"A", "3", "DIM"}, {"A", "17", "ON"},
                            {"A", "09", "ON"},  {"A", "0", "ON"},  {"Q", "1", "ON"},
                            {"AB", "1", "ON"},  {"A", "", "ON"},   {"A", "pre", "BRI"}}; // the unit is taken as written
    for (const auto& [house, unit, action] : bad)
        EXPECT_FALSE(encodeRow(house, unit, action)) << house << unit << action;
    EXPECT_FALSE(decodeCode("011000000000000"));
    EXPECT_FALSE(decodeCode("0110000000000001"));
}

// Every house, unit and action converts forward and back to the same row, and
// the stateful form agrees with the re-entrant one.
TEST(RoundTrip, EveryCommandOfEveryHouse) {
    std::vector<std::pair<std::string, std::string>> commands;
    for (int u = 1; u <= 16; ++u)
        for (const char* a : {"ON", "OFF"}) commands.emplace_back(std::to_string(u), a);
    for (const char* a : {"BRI", "DIM"}) commands.emplace_back("PRE", a);
    for (const char* a : {"ALN", "ALF", "AUF"}) commands.emplace_back("ALL", a);

    CroEdit m;
    std::set<std::string> codes;
    for (char h = 'A'; h <= 'P'; ++h) {
        for (const auto& [unit, action] : commands) {
            const std::string letter(1, h);
            const auto code = encodeRow(letter, unit, action);
            ASSERT_TRUE(code) << letter << unit << action;
            EXPECT_TRUE(isBitCode(*code));
            codes.insert(*code);
            EXPECT_EQ(decodeCode(*code), (MacroCommand{letter, unit, action}));
            std::string house = letter;
            EXPECT_EQ(m.rowToCode(house, unit, action), *code);
            EXPECT_EQ(m.codeToRow(*code), letter + unit + action);
        }
    }
    EXPECT_EQ(codes.size(), 16u * 37u) << "no two commands share a code";
}

} // namespace
} // namespace zul::macros
