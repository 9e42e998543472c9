#include "windows/pause_dialog.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace zul::windows {

namespace {

bool digitsOnly(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

float numberOf(const std::string& text) {
    std::string dotted = text;
    std::replace(dotted.begin(), dotted.end(), ',', '.');
    float value = 0;
    std::from_chars(dotted.data(), dotted.data() + dotted.size(), value);
    return value;
}

std::string shortest(float value) {
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

} // namespace

std::optional<std::string> PauseDialogForm::acceptMinutes(std::string_view text) {
    if (text.size() > MaxMinutesChars || !digitsOnly(text)) return std::nullopt;
    return std::string(text);
}

std::optional<std::string> PauseDialogForm::acceptSeconds(std::string_view text) {
    if (text.size() > MaxSecondsChars) return std::nullopt;
    const auto separator = text.find_first_of(".,");
    if (separator == std::string_view::npos) return digitsOnly(text) ? std::optional<std::string>(text) : std::nullopt;
    const std::string_view before = text.substr(0, separator), after = text.substr(separator + 1);
    if (!digitsOnly(before) || !digitsOnly(after) || after.find('0') != std::string_view::npos) return std::nullopt;
    return std::string(text);
}

void PauseDialogForm::leaveMinutes() {
    if (minutes.empty()) minutes.assign(1, '0');
    if (numberOf(minutes) > MaxMinutes) minutes = std::to_string(MaxMinutes);
}

void PauseDialogForm::leaveSeconds() {
    if (seconds.empty() || seconds == "." || seconds == ",") seconds.assign(1, '0');
    if (numberOf(minutes) >= MaxMinutes && numberOf(seconds) > MaxSecondsAtMaxMinutes)
        seconds = std::to_string(MaxSecondsAtMaxMinutes);
}

float PauseDialogForm::total() const {
    // A pause has four characters: no total goes beyond 9999 s.
    return std::min(numberOf(minutes) * 60.0f + numberOf(seconds), float(MaxTotalSeconds));
}

std::string PauseDialogForm::totalText() const { return shortest(total()); }

bool PauseDialogForm::finish() {
    leaveMinutes();
    leaveSeconds();
    if (total() <= 0) return false;
    const std::string text = totalText();
    if (text.find('.') == std::string::npos) {
        result_ = text;
    } else {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.2f", double(total()));
        result_ = buffer;
    }
    return true;
}

std::optional<std::string> PauseDialogForm::samePauseValue() const {
    if (!samePause || !result_ || numberOf(*result_) <= 0) return std::nullopt;
    return result_;
}

} // namespace zul::windows
