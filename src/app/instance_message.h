#pragma once
// What a second start of the program hands to the running copy: its command
// line as one text, or "previous" when it has none. The running copy checks
// every message before it reaches the command box.
#include <optional>
#include <string>
#include <vector>

namespace zul::app {

inline constexpr const char* PreviousCommand = "previous";
inline constexpr std::size_t MaxHandOffBytes = 4096;

// The arguments joined by blanks; "previous" when there are none.
std::string handOffText(const std::vector<std::string>& args);

// The bytes sent over the local channel: a fixed tag, the text, a line feed.
std::string encodeHandOff(const std::string& text);
// The text of a received message, or nullopt when it is not one of ours:
// wrong tag, no line end, too long, a control character or invalid UTF-8.
std::optional<std::string> decodeHandOff(const std::string& bytes);

// True for well-formed UTF-8.
bool validUtf8(const std::string& text);

} // namespace zul::app
