#pragma once
// Small text helpers shared by the timer data file and the timer log.
#include <string>
#include <string_view>
#include <vector>

namespace zul {

inline constexpr const char* kCrLf = "\r\n";

// Splits text at every occurrence of sep (n separators give n + 1 pieces).
std::vector<std::string> splitAt(std::string_view text, std::string_view sep);

// Splits a data file into lines: at CR LF, or at a bare LF, so hand-edited
// files with Unix line ends read the same. The piece after the last line end
// is the final element (empty when the file ends with a line end).
std::vector<std::string> splitFileLines(std::string_view text);

// Joins pieces with sep between them.
std::string joinWith(const std::vector<std::string>& pieces, std::string_view sep);

// Removes every occurrence of ch.
std::string without(std::string_view text, char ch);

// One record of a data file: a double quote, the text, a double quote, CR LF.
std::string quotedLine(std::string_view text);

std::string trimmed(std::string_view text);

} // namespace zul
