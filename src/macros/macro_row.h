#pragma once
// One macro row as the editor shows it, the rules that tie its columns
// together, the pause text rules, and the derived Row Num / Running Pause
// columns with the editor's time label.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zul::macros {

struct MacroRow {
    std::string house;  // "A" to "P"
    std::string unit;   // "1" to "16", "PRE" or "ALL"
    std::string action; // "ON", "OFF", "BRI", "DIM", "ALN", "ALF", "AUF"
    std::string pause;  // 1 to 4 characters of seconds, shown padded: "0005", "00.3"
    friend bool operator==(const MacroRow&, const MacroRow&) = default;
};

inline constexpr std::string_view kGridHeader = "House Code|Unit Code|Action|Pause|Row Num|Running Pause";

// --- pause texts ------------------------------------------------------------

inline constexpr int kMinPauseMillis = 300;
inline constexpr int kMaxPauseMillis = 9'999'000;

// The seconds of a pause text, in milliseconds: 1 to 4 characters of digits
// with at most one decimal separator ("." or ","). nullopt when it is not
// such a number ("", ".", "1.2.3", "12345", "5s").
std::optional<int> pauseMillis(std::string_view text);
// The pause box's rule when it loses the focus: a number below 0.3 becomes
// "0.3", then "0" is added on the left up to four characters ("5" -> "0005",
// "1.5" -> "01.5", "0.1" -> "00.3"). Text that is not a number is returned as it is.
std::string normalizePause(std::string_view typed);
// The pause of a newly entered row: empty becomes "0001", otherwise as
// normalizePause. nullopt when the text is not a pause number.
std::optional<std::string> enteredPause(std::string_view typed);
// The checker's verdict: not a number, or zero ("0", "00", "0000", "0.0"...).
bool pauseIsError(std::string_view text);

// --- columns ----------------------------------------------------------------

bool isHouseLetter(std::string_view text);
bool isUnitNumber(std::string_view text); // "1" to "16"
bool isAction(std::string_view text);

// The unit box's rule on leaving: upper case, "P" becomes "PRE", "A" becomes "ALL".
std::string expandUnit(std::string_view typed);
// The action box's rule on leaving: upper case, "D" -> "DIM", "B" -> "BRI",
// "N" -> "ON", "F" -> "OFF".
std::string expandAction(std::string_view typed);
// Ties the unit to the action: ON/OFF empty a unit of "ALL" or "PRE"; BRI/DIM
// force "PRE"; ALN/ALF/AUF force "ALL".
void coupleUnitToAction(MacroRow& row);

// Status-line hints of the quick-edit codes; "" for a code without a hint.
std::string_view hintForCode(std::string_view code);

// What is wrong with a row for saving ("" when nothing): house, unit, action,
// their coupling and the pause.
std::string rowProblem(const MacroRow& row);

// A row typed as four texts, with the edit boxes' rules applied (upper case,
// shorthands, unit/action coupling, pause padding and minimum). Either row is
// set, or problem says what is wrong.
struct EnteredRow {
    std::optional<MacroRow> row;
    std::string problem;
};
EnteredRow enterRow(std::string_view house, std::string_view unit, std::string_view action, std::string_view pause);

// --- derived columns --------------------------------------------------------

// Running Pause of each row: the sum of the pauses of the row and all rows
// above it, counted down to the first row with an empty pause (that row and
// the rows below it get nullopt). A pause that is not a number counts as 0.
std::vector<std::optional<int>> runningPauseMillis(const std::vector<MacroRow>& rows);
// Seconds as the Running Pause column shows them: whole seconds without a
// decimal point ("5", "125"), else up to two decimals ("0.6", "1.25").
std::string formatSeconds(int millis);
// The editor's time label for a running pause: "5 sec", "2m 05.0s", "1h 2m 03s".
std::string formatRunningTime(int millis);

} // namespace zul::macros
