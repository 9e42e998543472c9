#pragma once
// What another start of the program hands to the running copy, and the
// answer it gets back. A second start of the desktop program hands over its
// command line as one text, or "previous" when it has none; the command
// line's send and run hand over "send HOUSE UNIT ACTION" and "run PATH".
// Every message in either direction is one line: a fixed tag, the text, a
// line feed; the receiver checks it before acting on it.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
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


// The text with its double quotes removed; a macro file (".cro") given with
// a relative path is made absolute against folder, since the running copy
// works in a folder of its own.
std::string withAbsoluteMacroPath(const std::string& text, const std::filesystem::path& folder);

// What a handed-over text asks for.
struct HandOffRequest {
    enum class Kind {
        CommandBox,  // any other text: the desktop program's command box ("previous", FILE.cro)
        Send,        // "send HOUSE UNIT ACTION": argument holds the three words
        Run,         // "run PATH": argument holds the macro file's path
    };
    Kind kind = Kind::CommandBox;
    std::string argument;
};
HandOffRequest classifyHandOff(const std::string& text);
std::string sendRequestText(const std::string& house, const std::string& unit, const std::string& action);
std::string runRequestText(const std::filesystem::path& macro);

// The running copy's answer: "ok", or "error: " and the reason. Before it
// may come one notice, "wait: " and what the request waits for.
struct HandOffAnswer {
    bool ok = true;
    std::string message;   // the reason of an error; what a waiting request waits for
    bool waiting = false;  // a notice: the answer is still to come
};
HandOffAnswer answerError(const std::string& message);
HandOffAnswer answerWaiting(const std::string& what);

// How a handed-over request is answered: at most one waiting notice, then
// exactly one answer; and whether the caller is still there to get it (a
// caller that has gone has given up its request).
class HandOffReply {
public:
    HandOffReply() = default;
    template <class Answer>
        requires(std::is_invocable_v<Answer&, const HandOffAnswer&> &&
                 !std::is_same_v<std::remove_cvref_t<Answer>, HandOffReply>)
    HandOffReply(Answer answer, std::function<bool()> callerGone = {})  // NOLINT: any answering function is a reply
        : answer_(std::move(answer)), callerGone_(std::move(callerGone)) {}
    void operator()(const HandOffAnswer& answer) const {
        if (answer_) answer_(answer);
    }
    bool callerGone() const { return callerGone_ && callerGone_(); }

private:
    std::function<void(const HandOffAnswer&)> answer_;
    std::function<bool()> callerGone_;
};
// The answer as one message; control characters in the reason become
// blanks, and a reason too long for a message is cut at a character boundary.
std::string encodeAnswer(const HandOffAnswer& answer);
std::optional<HandOffAnswer> decodeAnswer(const std::string& bytes);

} // namespace zul::app
