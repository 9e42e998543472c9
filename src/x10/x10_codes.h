#pragma once
// modX10's code tables: the house and unit/function bytes of the CM17A, the
// frame constants, and the one routine that turns a command (house letter,
// unit code, action) into its 40-character frame.
//
// Bit strings are texts of '0' and '1', most significant bit first.
#include <array>
#include <optional>
#include <string>

namespace zul::x10 {

inline constexpr const char* FrameHeader = "1101010110101010";
inline constexpr const char* FrameFooter = "10101101";
inline constexpr const char* MacroLeadIn = "1000000000000000000000001";
inline constexpr const char* MacroTrailer = "10000000000000000000000000000001";
inline constexpr int FrameLength = 40;

enum class Action { On, Off, Bri, Dim, Aln, Alf, Auf };

// A command as the user names it. unit is 1..16 for ON/OFF and 0 for the
// commands that carry no unit number (PRE with BRI/DIM, ALL with ALN/ALF/AUF).
struct Command {
    int house = 1; // 1 = A ... 16 = P
    int unit = 1;
    Action action = Action::On;
    friend bool operator==(const Command&, const Command&) = default;
};

// The house byte and the unit/function byte of one command.
struct CodeBytes {
    std::string house;
    std::string unit;
};

// "ON", "OFF", "BRI", "DIM", "ALN", "ALF", "AUF".
const char* actionName(Action a);
// 'A'..'P' for 1..16.
char houseLetter(int index);
// The unit code as macros write it: "1".."16", "PRE" or "ALL".
std::string unitCodeText(const Command& c);
// "A1 ON" for a unit command; "P BRI" or "K ALF" for those without a unit number.
std::string describe(const Command& c);

// Parsing of the three parts of a command, any letter case, surrounding
// blanks ignored. Each returns nullopt when the text is not one of its values.
std::optional<int> parseHouse(const std::string& text);     // "a" -> 1
std::optional<Action> parseAction(const std::string& text); // "on" -> On
// "1".."16" -> 1..16, "PRE"/"ALL" -> 0.
std::optional<int> parseUnit(const std::string& text);

// Checks the rules that tie unit and action together. Returns "" when the
// command is sound, else the message that explains the rule.
std::string combinationError(const std::string& unitText, Action action);

// Unit/function byte of ALN, ALF and AUF; "" for any other action.
std::string groupCommandByte(Action a);

// header + house byte + unit/function byte + footer.
std::string makeFrame(const std::string& houseByte, const std::string& unitByte);

// The two code tables and UnitsHighPage. The program-wide context owns one.
class X10Codes {
public:
    // The tables are filled on construction; the Load calls refill them.
    X10Codes();

    void loadHouseCodes();
    void loadUnitCodes();

    // Entry for index 1..16 (A..P), units 1-8 form.
    const std::string& houseCode(int index) const;
    // Row 1..9, column 1 (ON / BRI) or 2 (OFF / DIM).
    const std::string& unitCode(int row, int column) const;

    // The house byte for the shown unit page; throws std::out_of_range
    // outside 1..16.
    std::string houseBits(int index) const;

    bool unitsHighPage() const { return unitsHighPage_; }
    void setUnitsHighPage(bool on) { unitsHighPage_ = on; }

    // The two bytes of a command (house 1..16; unit 1..16 for ON/OFF).
    // Throws std::invalid_argument for a command the rules do not allow.
    CodeBytes bytesFor(const Command& c) const;
    std::string frameFor(const Command& c) const;

private:
    std::array<std::string, 16> houseTable_;
    std::array<std::array<std::string, 2>, 9> unitTable_;
    bool unitsHighPage_ = false;
};

// Parses and checks a command given as three texts. On failure error holds a
// one-line explanation and the result is nullopt.
std::optional<Command> parseCommand(const std::string& house, const std::string& unit, const std::string& action,
                                    std::string& error);

} // namespace zul::x10
