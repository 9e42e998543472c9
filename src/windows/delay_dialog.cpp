#include "windows/delay_dialog.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace zul::windows {

namespace {
bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
bool isSeparator(char c) { return c == '.' || c == ','; }

// The value of a box; an empty box is 0.
std::optional<double> number(const std::string& text) {
    if (text.empty()) return 0.0;
    if (!std::all_of(text.begin(), text.end(), [](char c) { return isDigit(c) || isSeparator(c); })) return {};
    if (std::count_if(text.begin(), text.end(), isSeparator) > 1) return {};
    std::string t = text;
    std::replace(t.begin(), t.end(), ',', '.');
    if (t == ".") return 0.0;
    return std::strtod(t.c_str(), nullptr);
}
} // namespace

bool DelayDialogForm::minutesAllowed(const std::string& text) {
    return text.size() <= MaxChars && std::all_of(text.begin(), text.end(), isDigit);
}

bool DelayDialogForm::secondsAllowed(const std::string& text) {
    return text.size() <= MaxChars &&
           std::all_of(text.begin(), text.end(), [](char c) { return isDigit(c) || isSeparator(c); }) &&
           std::count_if(text.begin(), text.end(), isSeparator) <= 1;
}

bool DelayDialogForm::minutesValid(const std::string& text) { return text.empty() || minutesAllowed(text); }

std::optional<int> DelayDialogForm::result(const std::string& minutes, const std::string& seconds) {
    if (!minutesValid(minutes)) return {};
    const auto m = number(minutes);
    const auto s = number(seconds);
    if (!m || !s) return {};
    // Halves go to the even neighbour, as whole-number conversion always has here.
    return static_cast<int>(std::nearbyint(*m * 60.0) + std::nearbyint(*s));
}

} // namespace zul::windows
