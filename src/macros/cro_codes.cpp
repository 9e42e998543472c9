#include "macros/cro_codes.h"
#include "platform/text.h"

#include <algorithm>
#include <array>

namespace zul::macros {

namespace {

// Units 1-8 house bytes of the letters A to P. The units 9-16 form of each is
// the same byte with its third-lowest bit set (ending in "100").
constexpr std::array<std::string_view, 16> kHouseBytes = {
    "01100000", "01110000", "01000000", "01010000", "10000000", "10010000", "10100000", "10110000",
    "11100000", "11110000", "11000000", "11010000", "00000000", "00010000", "00100000", "00110000",
};

struct CommandEntry {
    std::string_view unitByte;
    std::string_view unit;
    std::string_view action;
};

// Unit n and unit n + 8 share one byte; the house byte tells them apart.
constexpr std::array<CommandEntry, 21> kCommands = {{
    {"00000000", "1", "ON"},    {"00100000", "1", "OFF"},   {"00010000", "2", "ON"},    {"00110000", "2", "OFF"},
    {"00001000", "3", "ON"},    {"00101000", "3", "OFF"},   {"00011000", "4", "ON"},    {"00111000", "4", "OFF"},
    {"01000000", "5", "ON"},    {"01100000", "5", "OFF"},   {"01010000", "6", "ON"},    {"01110000", "6", "OFF"},
    {"01001000", "7", "ON"},    {"01101000", "7", "OFF"},   {"01011000", "8", "ON"},    {"01111000", "8", "OFF"},
    {"10001000", "PRE", "BRI"}, {"10011000", "PRE", "DIM"}, {"10010000", "ALL", "ALN"}, {"11000000", "ALL", "ALF"},
    {"10000000", "ALL", "AUF"},
}};

// The value of a unit made of digits only ("12"); nullopt for "PRE", "ALL", "".
std::optional<int> unitNumber(std::string_view unit) {
    if (unit.empty() || unit.size() > 4) return std::nullopt;
    int value = 0;
    for (char c : unit) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string highUnitsForm(std::string_view houseByte) { return std::string(houseByte.substr(0, 5)) + "100"; }

// VB-style Left/Right: never more than the text holds.
std::string_view leftOf(std::string_view s, std::size_t n) { return s.substr(0, std::min(n, s.size())); }
std::string_view rightOf(std::string_view s, std::size_t n) { return s.substr(s.size() - std::min(n, s.size())); }

bool matchesCommand(const CommandEntry& e, std::string_view command) {
    if (!command.ends_with(e.action)) return false;
    const std::string_view unit = command.substr(0, command.size() - e.action.size());
    if (unit == e.unit) return true;
    if (unit.empty()) return e.unit == "PRE"; // bare "BRI" and "DIM"
    const auto n = unitNumber(unit), base = unitNumber(e.unit);
    return n && base && unit.front() != '0' && *n == *base + 8;
}

} // namespace

std::optional<std::string> houseByteOfLetter(std::string_view letter) {
    if (letter.size() != 1 || letter[0] < 'A' || letter[0] > 'P') return std::nullopt;
    return std::string(kHouseBytes[static_cast<std::size_t>(letter[0] - 'A')]);
}

std::optional<HouseMatch> letterOfHouseByte(std::string_view houseByte) {
    for (std::size_t i = 0; i < kHouseBytes.size(); ++i) {
        const char letter = static_cast<char>('A' + i);
        if (houseByte == kHouseBytes[i]) return HouseMatch{letter, false};
        if (houseByte == highUnitsForm(kHouseBytes[i])) return HouseMatch{letter, true};
    }
    return std::nullopt;
}

std::optional<std::string> unitByteOfCommand(std::string_view command) {
    for (const auto& e : kCommands)
        if (matchesCommand(e, command)) return std::string(e.unitByte);
    return std::nullopt;
}

std::optional<UnitCommand> commandOfUnitByte(std::string_view unitByte) {
    for (const auto& e : kCommands)
        if (unitByte == e.unitByte) return UnitCommand{e.unit, e.action};
    return std::nullopt;
}

bool isBitCode(std::string_view text) {
    return text.size() == 16 && text.find_first_not_of("01") == std::string_view::npos;
}

std::optional<std::string> encodeRow(std::string_view house, std::string_view unit, std::string_view action) {
    auto houseByte = houseByteOfLetter(asciiUpper(house));
    if (!houseByte || unit.empty()) return std::nullopt;
    const auto unitByte = unitByteOfCommand(std::string(unit) + asciiUpper(action));
    if (!unitByte) return std::nullopt;
    const auto n = unitNumber(unit);
    if (n && *n > 8) *houseByte = highUnitsForm(*houseByte);
    return *houseByte + *unitByte;
}

std::optional<MacroCommand> decodeCode(std::string_view code16) {
    if (code16.size() != 16) return std::nullopt;
    const auto house = letterOfHouseByte(code16.substr(0, 8));
    const auto command = commandOfUnitByte(code16.substr(8));
    if (!house || !command) return std::nullopt;
    std::string unit(command->unit);
    if (house->highUnits) {
        if (const auto n = unitNumber(unit)) unit = std::to_string(*n + 8);
    }
    return MacroCommand{std::string(1, house->letter), unit, std::string(command->action)};
}

std::string CroEdit::rowToCode(std::string& house, std::string_view unit, std::string_view action) {
    std::string houseByte = letterToHouseByte(asciiUpper(house));
    const std::string unitByte = commandToUnitByte(std::string(unit) + asciiUpper(action));
    const auto n = unitNumber(unit);
    if (n && *n > 8) houseByte = highUnitsForm(houseByte);
    house = houseByte;
    return houseByte + unitByte;
}

std::string CroEdit::commandToUnitByte(std::string_view command) {
    if (auto byte = unitByteOfCommand(command)) lastUnitByte_ = std::move(*byte);
    return lastUnitByte_;
}

std::string CroEdit::letterToHouseByte(std::string_view letter) {
    return houseByteOfLetter(letter).value_or(std::string(letter));
}

std::string CroEdit::codeToRow(std::string_view code) {
    const std::string_view houseByte = leftOf(code, 8);
    const std::string_view unitByte = rightOf(code, 8);
    decodedHighUnits_ = houseByte.ends_with("100");
    const std::string letter = houseByteToLetter(houseByte);
    return letter + unitByteToCommand(unitByte);
}

std::string CroEdit::houseByteToLetter(std::string_view houseByte) {
    const auto match = letterOfHouseByte(houseByte);
    decodedHouse_ = match ? std::string(1, match->letter) : std::string(houseByte);
    return decodedHouse_;
}

std::string CroEdit::unitByteToCommand(std::string_view unitByte) {
    if (const auto command = commandOfUnitByte(unitByte)) {
        decodedUnit_ = command->unit;
        decodedAction_ = command->action;
        const auto n = unitNumber(decodedUnit_);
        if (n && decodedHighUnits_) decodedUnit_ = std::to_string(*n + 8);
    } else {
        decodedUnit_ = unitByte;
        decodedAction_.clear();
    }
    return decodedUnit_ + decodedAction_;
}

} // namespace zul::macros
