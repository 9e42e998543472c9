#include "platform/instance_message.h"

#include <string_view>

#include "platform/text.h"

namespace zul {

namespace {
constexpr const char* Tag = "ZULMARIN1 ";
constexpr std::size_t TagLength = 10;
constexpr const char* OkText = "ok";
constexpr const char* ErrorPrefix = "error: ";
constexpr const char* WaitPrefix = "wait: ";

bool startsWith(const std::string& text, const char* head) { return text.rfind(head, 0) == 0; }

// Cut to at most max bytes without splitting a UTF-8 sequence.
std::string cutAtCharacter(std::string text, std::size_t max) {
    if (text.size() <= max) return text;
    std::size_t end = max;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
    return text;
}
} // namespace

std::string encodeHandOff(const std::string& text) { return Tag + text + "\n"; }

std::optional<std::string> decodeHandOff(const std::string& bytes) {
    if (bytes.size() < TagLength + 2 || bytes.compare(0, TagLength, Tag) != 0 || bytes.back() != '\n') return {};
    std::string text = bytes.substr(TagLength, bytes.size() - TagLength - 1);
    if (text.empty() || text.size() > MaxHandOffBytes || !validUtf8(text)) return {};
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F) return {};
    return text;
}

HandOffAnswer answerError(const std::string& message) { return {false, message}; }
HandOffAnswer answerWaiting(const std::string& what) { return {true, what, true}; }

std::string encodeAnswer(const HandOffAnswer& answer) {
    if (answer.ok && !answer.waiting) return encodeHandOff(OkText);
    std::string reason = answer.message;
    for (char& c : reason)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    if (!validUtf8(reason)) reason = "the reason could not be shown";
    if (reason.empty()) reason = answer.waiting ? "waiting" : "failed";
    return encodeHandOff(cutAtCharacter((answer.waiting ? WaitPrefix : ErrorPrefix) + reason, MaxHandOffBytes));
}

std::optional<HandOffAnswer> decodeAnswer(const std::string& bytes) {
    const auto text = decodeHandOff(bytes);
    if (!text) return std::nullopt;
    if (*text == OkText) return HandOffAnswer{};
    const std::size_t error = std::string_view(ErrorPrefix).size(), wait = std::string_view(WaitPrefix).size();
    if (startsWith(*text, ErrorPrefix) && text->size() > error) return answerError(text->substr(error));
    if (startsWith(*text, WaitPrefix) && text->size() > wait) return answerWaiting(text->substr(wait));
    return std::nullopt;
}

} // namespace zul
