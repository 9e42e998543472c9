#pragma once
// The seconds calculator (" Pause Time") without widgets: a macro pause made
// of minutes and seconds, at most 166 minutes 39 seconds (9999 s).
#include <optional>
#include <string>
#include <string_view>

namespace zul::windows {

class PauseDialogForm {
public:
    static constexpr const char* Caption = " Pause Time";
    static constexpr const char* Prompt = "Enter Pause Time";
    static constexpr const char* Maximum = "The maximum pause time is 166 min. and 39 sec.";
    static constexpr const char* SameOption = "Make pauses all the same while recording";
    static constexpr const char* ContinueTip = "Press Enter to Continue";
    static constexpr const char* CancelTip = "Esc to Cancel";
    static constexpr const char* TooShort =
        "Pause time must be at least .3 seconds!\n"
        "Caution should be used anytime you try to use less than .6 seconds as the commands may not be received.";
    static constexpr std::size_t MaxMinutesChars = 3;
    static constexpr std::size_t MaxSecondsChars = 4; // "30.5"
    static constexpr int MaxMinutes = 166;
    static constexpr int MaxSecondsAtMaxMinutes = 39;
    static constexpr int MaxTotalSeconds = 9999;

    // The box texts after a keystroke, or nullopt when it is refused. Minutes:
    // digits. Seconds: digits and one "." or ","; no "0" after the separator.
    static std::optional<std::string> acceptMinutes(std::string_view text);
    static std::optional<std::string> acceptSeconds(std::string_view text);

    std::string minutes = "00";
    std::string seconds = "00";
    bool samePause = false; // "Make pauses all the same while recording"

    // Leaving a box: an empty box (or a lone separator) becomes "0"; minutes
    // above 166 become 166, and with 166 minutes the seconds at most 39.
    void leaveMinutes();
    void leaveSeconds();
    // Minutes x 60 + seconds as its shortest decimal text ("90.5", "9999").
    std::string totalText() const;

    // "Continue": false (and the caller shows TooShort) when the pause is
    // zero; otherwise the result is the total, with two decimals when it has
    // a fraction ("90.50", "125").
    bool finish();
    // "Cancel" and Esc: no result.
    void cancel() { result_.reset(); }
    const std::optional<std::string>& result() const { return result_; }
    // While recording with the option ticked: the last result above zero.
    std::optional<std::string> samePauseValue() const;

private:
    float total() const;
    std::optional<std::string> result_;
};

} // namespace zul::windows
