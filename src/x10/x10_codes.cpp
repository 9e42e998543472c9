#include "x10/x10_codes.h"

#include "platform/text.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace zul::x10 {

namespace {

constexpr std::array<const char*, 7> ActionNames = {"ON", "OFF", "BRI", "DIM", "ALN", "ALF", "AUF"};

std::string trimmedUpper(const std::string& text) { return asciiUpper(trimBlanks(text)); }

bool takesUnitNumber(Action a) { return a == Action::On || a == Action::Off; }
bool isDimmer(Action a) { return a == Action::Bri || a == Action::Dim; }

// The house byte with the units 9-16 bit cleared, as BRI, DIM and the group
// commands use it.
std::string lowPageForm(const std::string& houseByte) { return houseByte.substr(0, 5) + "000"; }
std::string highPageForm(const std::string& houseByte) { return houseByte.substr(0, 5) + "100"; }

} // namespace

const char* actionName(Action a) { return ActionNames[static_cast<std::size_t>(a)]; }

char houseLetter(int index) {
    if (index < 1 || index > 16) throw std::out_of_range("house index must be 1 to 16");
    return char('A' + index - 1);
}

std::string unitCodeText(const Command& c) {
    if (takesUnitNumber(c.action)) return std::to_string(c.unit);
    return isDimmer(c.action) ? "PRE" : "ALL";
}

std::string describe(const Command& c) {
    std::string text(1, houseLetter(c.house));
    if (takesUnitNumber(c.action)) text += std::to_string(c.unit);
    return text + " " + actionName(c.action);
}

std::optional<int> parseHouse(const std::string& text) {
    const std::string t = trimmedUpper(text);
    if (t.size() != 1 || t[0] < 'A' || t[0] > 'P') return std::nullopt;
    return t[0] - 'A' + 1;
}

std::optional<Action> parseAction(const std::string& text) {
    const std::string t = trimmedUpper(text);
    for (std::size_t i = 0; i < ActionNames.size(); ++i)
        if (t == ActionNames[i]) return static_cast<Action>(i);
    return std::nullopt;
}

std::optional<int> parseUnit(const std::string& text) {
    const std::string t = trimmedUpper(text);
    if (t == "PRE" || t == "ALL") return 0;
    if (t.empty() || t.size() > 2 || !std::all_of(t.begin(), t.end(), [](unsigned char c) { return std::isdigit(c); }))
        return std::nullopt;
    const int n = std::stoi(t);
    if (n < 1 || n > 16) return std::nullopt;
    return n;
}

std::string combinationError(const std::string& unitText, Action action) {
    const std::string u = trimmedUpper(unitText);
    const bool isPre = u == "PRE";
    const bool isAll = u == "ALL";
    switch (action) {
    case Action::On:
    case Action::Off: return isPre || isAll ? "ON and OFF must have a number in Unit Code." : "";
    case Action::Bri:
    case Action::Dim: return isPre ? "" : "Bright and Dim may only be used with PRE in Unit Code.";
    case Action::Aln: return isAll ? "" : "All Lights ON:  Must have ALL in Unit Code.";
    case Action::Alf: return isAll ? "" : "All Lights OFF:  Must have ALL in Unit Code.";
    case Action::Auf: return isAll ? "" : "All Units OFF:  Must have ALL in Unit Code.";
    }
    return "";
}

std::string groupCommandByte(Action a) {
    switch (a) {
    case Action::Aln: return "10010000";
    case Action::Alf: return "11000000";
    case Action::Auf: return "10000000";
    default: return "";
    }
}

std::string makeFrame(const std::string& houseByte, const std::string& unitByte) {
    return FrameHeader + houseByte + unitByte + FrameFooter;
}

X10Codes::X10Codes() {
    loadHouseCodes();
    loadUnitCodes();
}

void X10Codes::loadHouseCodes() {
    houseTable_ = {"01100000", "01110000", "01000000", "01010000", "10000000", "10010000", "10100000", "10110000",
                   "11100000", "11110000", "11000000", "11010000", "00000000", "00010000", "00100000", "00110000"};
}

void X10Codes::loadUnitCodes() {
    unitTable_ = {{{"00000000", "00100000"},
                   {"00010000", "00110000"},
                   {"00001000", "00101000"},
                   {"00011000", "00111000"},
                   {"01000000", "01100000"},
                   {"01010000", "01110000"},
                   {"01001000", "01101000"},
                   {"01011000", "01111000"},
                   {"10001000", "10011000"}}};
}

const std::string& X10Codes::houseCode(int index) const {
    if (index < 1 || index > 16) throw std::out_of_range("house index must be 1 to 16");
    return houseTable_[static_cast<std::size_t>(index - 1)];
}

const std::string& X10Codes::unitCode(int row, int column) const {
    if (row < 1 || row > 9 || column < 1 || column > 2) throw std::out_of_range("unit code row 1-9, column 1-2");
    return unitTable_[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column - 1)];
}

std::string X10Codes::houseBits(int index) const {
    const std::string& entry = houseCode(index);
    return unitsHighPage_ ? highPageForm(entry) : entry;
}

CodeBytes X10Codes::bytesFor(const Command& c) const {
    const std::string& entry = houseCode(c.house);
    if (takesUnitNumber(c.action)) {
        if (c.unit < 1 || c.unit > 16) throw std::invalid_argument("ON and OFF must have a number in Unit Code.");
        const int column = c.action == Action::On ? 1 : 2;
        return {c.unit > 8 ? highPageForm(entry) : entry, unitCode((c.unit - 1) % 8 + 1, column)};
    }
    if (isDimmer(c.action)) return {lowPageForm(entry), unitCode(9, c.action == Action::Bri ? 1 : 2)};
    return {lowPageForm(entry), groupCommandByte(c.action)};
}

std::string X10Codes::frameFor(const Command& c) const {
    const CodeBytes b = bytesFor(c);
    return makeFrame(b.house, b.unit);
}

std::optional<Command> parseCommand(const std::string& house, const std::string& unit, const std::string& action,
                                    std::string& error) {
    const auto h = parseHouse(house);
    if (!h) {
        error = "house code '" + house + "' must be a letter A to P";
        return std::nullopt;
    }
    const auto u = parseUnit(unit);
    if (!u) {
        error = "unit code '" + unit + "' must be 1 to 16, PRE or ALL";
        return std::nullopt;
    }
    const auto a = parseAction(action);
    if (!a) {
        error = "action '" + action + "' must be one of ON, OFF, BRI, DIM, ALN, ALF, AUF";
        return std::nullopt;
    }
    error = combinationError(unit, *a);
    if (!error.empty()) return std::nullopt;
    return Command{*h, *u, *a};
}

} // namespace zul::x10
