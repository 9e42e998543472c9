#pragma once
// Conversion between a macro row (house letter, unit code, action) and its
// 16-character X10 code: the house byte followed by the unit/function byte,
// each 8 characters of "0" and "1", most significant bit first.
//
// Two ways in:
//  - encodeRow / decodeCode: re-entrant, no hidden state; new code uses these.
//  - CroEdit: the classic operations (RowToCode, CodeToRow, ...) with their
//    "last decoded" values and their pass-through of unknown input, for callers
//    that rely on exactly that behaviour.
#include <optional>
#include <string>
#include <string_view>

namespace zul::macros {

// One command as the user sees it: "A", "12", "ON"; "B", "PRE", "DIM"; "K", "ALL", "ALF".
struct MacroCommand {
    std::string house;
    std::string unit;
    std::string action;
    // House, unit and action joined: "A12ON", "APREDIM", "BALLALF".
    std::string text() const { return house + unit + action; }
    friend bool operator==(const MacroCommand&, const MacroCommand&) = default;
};

// The house byte of a letter "A" to "P" in its units 1-8 form.
std::optional<std::string> houseByteOfLetter(std::string_view letter);
// The letter of a house byte in either form, and whether it is the units 9-16 form.
struct HouseMatch {
    char letter;
    bool highUnits;
};
std::optional<HouseMatch> letterOfHouseByte(std::string_view houseByte);
// The unit/function byte of a command code ("1ON" ... "16OFF", "PREBRI", "BRI",
// "ALLAUF" ...).
std::optional<std::string> unitByteOfCommand(std::string_view command);
// The unit ("1" to "8", "PRE", "ALL") and action of a unit/function byte,
// before the units 9-16 adjustment.
struct UnitCommand {
    std::string_view unit;
    std::string_view action;
};
std::optional<UnitCommand> commandOfUnitByte(std::string_view unitByte);

// The 16-character code of a row; the house letter and the action may be in
// either case, the unit is taken as written. nullopt when the row is not a
// command of the tables (unknown letter, "ALL" with ON, "3" with DIM, ...).
std::optional<std::string> encodeRow(std::string_view house, std::string_view unit, std::string_view action);
// House, unit and action of a 16-character code; nullopt when either byte is
// not in the tables.
std::optional<MacroCommand> decodeCode(std::string_view code16);
// True when text is exactly 16 characters of "0" and "1".
bool isBitCode(std::string_view text);

// The conversion module with its shared "last" values. Unknown input passes
// through instead of failing, exactly as the editor and the file readers
// expect of it. Not re-entrant: read the decoded values before converting again.
class CroEdit {
public:
    // Returns house byte + unit/function byte. house is upper-cased, turned
    // into the house byte that was used (units 9-16 form for units above 8)
    // and written back.
    std::string rowToCode(std::string& house, std::string_view unit, std::string_view action);
    // The byte of a command code; an unknown command returns the byte of the
    // previous successful conversion (empty when there was none).
    std::string commandToUnitByte(std::string_view command);
    // The units 1-8 house byte of "A" to "P"; any other text comes back unchanged.
    static std::string letterToHouseByte(std::string_view letter);
    // Returns letter + unit + action ("A12ON"); sets the decoded values.
    std::string codeToRow(std::string_view code);
    // The letter of a house byte, or the byte itself when it is unknown.
    std::string houseByteToLetter(std::string_view houseByte);
    // Unit + action ("12ON"), taking the units 9-16 flag of the last CodeToRow
    // into account; an unknown byte gives the byte itself and no action.
    std::string unitByteToCommand(std::string_view unitByte);

    const std::string& lastUnitByte() const { return lastUnitByte_; }
    bool decodedHighUnits() const { return decodedHighUnits_; }
    const std::string& decodedHouse() const { return decodedHouse_; }
    const std::string& decodedUnit() const { return decodedUnit_; }
    const std::string& decodedAction() const { return decodedAction_; }

private:
    std::string lastUnitByte_;
    bool decodedHighUnits_ = false;
    std::string decodedHouse_, decodedUnit_, decodedAction_;
};

} // namespace zul::macros
