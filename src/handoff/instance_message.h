#pragma once
// What another start of the program hands to the running copy. A second
// start of the desktop program hands over its command line as one text, or
// "previous" when it has none; the command line's send and run hand over
// "send HOUSE UNIT ACTION" and "run PATH". The messages that carry them and
// the answers are in platform/instance_message.h.
#include <filesystem>
#include <string>
#include <vector>

#include "platform/instance_message.h"

namespace zul::app {

using zul::answerError;
using zul::answerWaiting;
using zul::decodeAnswer;
using zul::decodeHandOff;
using zul::encodeAnswer;
using zul::encodeHandOff;
using zul::HandOffAnswer;
using zul::HandOffReply;
using zul::MaxHandOffBytes;

inline constexpr const char* PreviousCommand = "previous";

// The arguments joined by blanks; "previous" when there are none.
std::string handOffText(const std::vector<std::string>& args);

// The text with its double quotes removed; a macro file (".cro") given with
// a relative path is made absolute against folder, since the running copy
// works in a folder of its own.
std::string withAbsoluteMacroPath(const std::string& text, const std::filesystem::path& folder);

// What a handed-over text asks for.
struct HandOffRequest {
    enum class Kind {
        CommandBox, // any other text: the desktop program's command box ("previous", FILE.cro)
        Send,       // "send HOUSE UNIT ACTION": argument holds the three words
        Run,        // "run PATH": argument holds the macro file's path
    };
    Kind kind = Kind::CommandBox;
    std::string argument;
};
HandOffRequest classifyHandOff(const std::string& text);
std::string sendRequestText(const std::string& house, const std::string& unit, const std::string& action);
std::string runRequestText(const std::filesystem::path& macro);

} // namespace zul::app
