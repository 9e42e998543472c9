#pragma once
// The delay dialog without its widgets: which texts its two boxes
// take, the check when the minutes box is left, and the whole seconds it yields.
#include <optional>
#include <string>

namespace zul::windows {

class DelayDialogForm {
public:
    static constexpr std::size_t MaxChars = 3;
    static constexpr const char* Caption = "Delay Time";
    static constexpr const char* Prompt = "Enter Delay Time ";
    static constexpr const char* Hint = "Press Esc to Cancel, Enter to continue.";
    static constexpr const char* ContinueTip = "Click Enter to Continue";
    static constexpr const char* CancelTip = "Click or Press Esc to Cancel";
    static constexpr const char* NotANumber = "You must enter a valid number";

    // Digits only, at most three.
    static bool minutesAllowed(const std::string& text);
    // Digits with at most one "." or ",", at most three characters.
    static bool secondsAllowed(const std::string& text);
    // Leaving the minutes box: false when it holds something other than a number.
    static bool minutesValid(const std::string& text);
    // Minutes x 60 and the seconds, each taken to the nearest whole number;
    // an empty box counts as 0. nullopt when a box is not a number.
    static std::optional<int> result(const std::string& minutes, const std::string& seconds);
};

} // namespace zul::windows
