#include "app/instance_message.h"

namespace zul::app {

namespace {
constexpr const char* Tag = "ZULMARIN1 ";
constexpr std::size_t TagLength = 10;
} // namespace

std::string handOffText(const std::vector<std::string>& args) {
    std::string text;
    for (const auto& a : args) {
        if (!text.empty()) text += ' ';
        text += a;
    }
    return text.empty() ? PreviousCommand : text;
}

std::string encodeHandOff(const std::string& text) { return Tag + text + "\n"; }

bool validUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        if (c >= 0xC2 && c <= 0xDF) extra = 1;
        else if (c >= 0xE0 && c <= 0xEF) extra = 2;
        else if (c >= 0xF0 && c <= 0xF4) extra = 3;
        else if (c >= 0x80) return false;
        if (i + extra >= text.size()) return false;
        for (std::size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += extra + 1;
    }
    return true;
}

std::optional<std::string> decodeHandOff(const std::string& bytes) {
    if (bytes.size() < TagLength + 2 || bytes.compare(0, TagLength, Tag) != 0 || bytes.back() != '\n') return {};
    std::string text = bytes.substr(TagLength, bytes.size() - TagLength - 1);
    if (text.empty() || text.size() > MaxHandOffBytes || !validUtf8(text)) return {};
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F) return {};
    return text;
}

} // namespace zul::app
