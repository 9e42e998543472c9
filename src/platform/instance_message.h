#pragma once
// The messages on the local channel between copies of the program. Every
// message in either direction is one line: a fixed tag, the text, a line
// feed; the receiver checks it before acting on it. The running copy
// answers each request "ok" or "error: " and the reason, after at most one
// notice "wait: " and what the request waits for.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>

namespace zul {

inline constexpr std::size_t MaxHandOffBytes = 4096;

// The bytes sent over the local channel: a fixed tag, the text, a line feed.
std::string encodeHandOff(const std::string& text);
// The text of a received message, or nullopt when it is not one of ours:
// wrong tag, no line end, too long, a control character or invalid UTF-8.
std::optional<std::string> decodeHandOff(const std::string& bytes);

// The running copy's answer.
struct HandOffAnswer {
    bool ok = true;
    std::string message;  // the reason of an error; what a waiting request waits for
    bool waiting = false; // a notice: the answer is still to come
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
        HandOffReply(Answer answer, std::function<bool()> callerGone = {}) // NOLINT: any answering function is a reply
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

} // namespace zul
