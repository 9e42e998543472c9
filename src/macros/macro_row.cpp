#include "macros/macro_row.h"

#include <array>

#include "macros/cro_codes.h"
#include "platform/text.h"

namespace zul::macros {

namespace {

bool isOneOf(std::string_view text, std::initializer_list<std::string_view> options) {
    for (auto o : options)
        if (text == o) return true;
    return false;
}

bool isOnOff(std::string_view a) { return isOneOf(a, {"ON", "OFF"}); }
bool isDimming(std::string_view a) { return isOneOf(a, {"BRI", "DIM"}); }
bool isWholeHouse(std::string_view a) { return isOneOf(a, {"ALN", "ALF", "AUF"}); }

std::string padLeft(std::string text, std::size_t width, char fill) {
    if (text.size() < width) text.insert(0, width - text.size(), fill);
    return text;
}

struct Hint {
    std::string_view code;
    std::string_view text;
};

constexpr std::string_view kHouseHint = "Select House Code:  Click letter to enter house code.";
constexpr std::string_view kUnitHint = "Select Unit Code:  Click number to enter unit code.";
constexpr std::array<Hint, 9> kHints = {{
    {"ON", "ON and OFF must have a number in Unit Code."},
    {"OFF", "ON and OFF must have a number in Unit Code."},
    {"BRI", "Bright and Dim may only be used with PRE in Unit Code."},
    {"DIM", "Bright and Dim may only be used with PRE in Unit Code."},
    {"ALN", "All Lights ON:  Must have ALL in Unit Code."},
    {"ALF", "All Lights OFF:  Must have ALL in Unit Code."},
    {"AUF", "All Units OFF:  Must have ALL in Unit Code."},
    {"PRE", "PRE (previous):  May only be used with BRI or DIM."},
    {"ALL", "ALL:  May only be used with ALN, ALF, or AUF."},
}};

} // namespace

std::optional<int> pauseMillis(std::string_view text) {
    if (text.empty() || text.size() > 4) return std::nullopt;
    int whole = 0, fraction = 0, fractionDigits = 0;
    bool separator = false, digit = false;
    for (char c : text) {
        if (c == '.' || c == ',') {
            if (separator) return std::nullopt;
            separator = true;
        } else if (c >= '0' && c <= '9') {
            digit = true;
            if (separator) {
                fraction = fraction * 10 + (c - '0');
                ++fractionDigits;
            } else {
                whole = whole * 10 + (c - '0');
            }
        } else {
            return std::nullopt;
        }
    }
    if (!digit) return std::nullopt;
    for (; fractionDigits < 3; ++fractionDigits) fraction *= 10;
    return whole * 1000 + fraction;
}

std::string normalizePause(std::string_view typed) {
    const auto ms = pauseMillis(typed);
    if (!ms) return std::string(typed);
    return padLeft(*ms < kMinPauseMillis ? std::string("0.3") : std::string(typed), 4, '0');
}

std::optional<std::string> enteredPause(std::string_view typed) {
    if (typed.empty()) return std::string("0001");
    if (!pauseMillis(typed)) return std::nullopt;
    return normalizePause(typed);
}

bool pauseIsError(std::string_view text) {
    const auto ms = pauseMillis(text);
    return !ms || *ms == 0;
}

bool isHouseLetter(std::string_view text) { return text.size() == 1 && text[0] >= 'A' && text[0] <= 'P'; }

bool isUnitNumber(std::string_view text) {
    if (text.empty() || text.size() > 2 || text[0] == '0') return false;
    int n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    return n >= 1 && n <= 16;
}

bool isAction(std::string_view text) { return isOnOff(text) || isDimming(text) || isWholeHouse(text); }

std::string expandUnit(std::string_view typed) {
    std::string unit = asciiUpper(typed);
    if (unit == "P") return "PRE";
    if (unit == "A") return "ALL";
    return unit;
}

std::string expandAction(std::string_view typed) {
    const std::string action = asciiUpper(typed);
    if (action == "D") return "DIM";
    if (action == "B") return "BRI";
    if (action == "N") return "ON";
    if (action == "F") return "OFF";
    return action;
}

void coupleUnitToAction(MacroRow& row) {
    if (isOnOff(row.action) && (row.unit == "ALL" || row.unit == "PRE")) row.unit.clear();
    if (isDimming(row.action)) row.unit = "PRE";
    if (isWholeHouse(row.action)) row.unit = "ALL";
}

std::string_view hintForCode(std::string_view code) {
    if (isHouseLetter(code)) return kHouseHint;
    if (isUnitNumber(code)) return kUnitHint;
    for (const auto& h : kHints)
        if (h.code == code) return h.text;
    return {};
}

std::string rowProblem(const MacroRow& row) {
    if (!isHouseLetter(row.house)) return "House Code must be a letter A to P.";
    if (!isAction(row.action)) return "Action must be ON, OFF, BRI, DIM, ALN, ALF or AUF.";
    if (isOnOff(row.action) && !isUnitNumber(row.unit))
        return row.unit.empty() ? std::string(hintForCode(row.action)) : "Unit Code must be 1 to 16 with ON and OFF.";
    if (!isUnitNumber(row.unit) && row.unit != "PRE" && row.unit != "ALL")
        return "Unit Code must be 1 to 16, PRE or ALL.";
    if (!encodeRow(row.house, row.unit, row.action)) return std::string(hintForCode(row.action));
    if (pauseIsError(row.pause)) return "Pause must be 0.3 to 9999 seconds in at most 4 characters.";
    return {};
}

EnteredRow enterRow(std::string_view house, std::string_view unit, std::string_view action, std::string_view pause) {
    MacroRow row{asciiUpper(house), expandUnit(unit), expandAction(action), std::string(pause)};
    coupleUnitToAction(row);
    const auto padded = enteredPause(pause);
    if (padded) row.pause = *padded;
    std::string problem = rowProblem(row);
    if (problem.empty()) return {row, {}};
    return {std::nullopt, std::move(problem)};
}

std::vector<std::optional<int>> runningPauseMillis(const std::vector<MacroRow>& rows) {
    std::vector<std::optional<int>> totals(rows.size());
    int total = 0;
    for (std::size_t i = 0; i < rows.size() && !rows[i].pause.empty(); ++i) {
        total += pauseMillis(rows[i].pause).value_or(0);
        totals[i] = total;
    }
    return totals;
}

std::string formatSeconds(int millis) {
    const int hundredths = (millis + 5) / 10;
    std::string text = std::to_string(hundredths / 100);
    const int fraction = hundredths % 100;
    if (fraction == 0) return text;
    text += '.';
    text += padLeft(std::to_string(fraction), 2, '0');
    if (text.back() == '0') text.pop_back();
    return text;
}

std::string formatRunningTime(int millis) {
    if ((millis + 5) / 10 < 6000) return formatSeconds(millis) + " sec";
    const int tenths = (millis + 50) / 100;
    if (tenths < 36000) {
        const int inMinute = tenths % 600;
        return std::to_string(tenths / 600) + "m " + padLeft(std::to_string(inMinute / 10), 2, '0') + "." +
               std::to_string(inMinute % 10) + "s";
    }
    const int seconds = (millis + 500) / 1000;
    return std::to_string(seconds / 3600) + "h " + std::to_string(seconds % 3600 / 60) + "m " +
           padLeft(std::to_string(seconds % 60), 2, '0') + "s";
}

} // namespace zul::macros
