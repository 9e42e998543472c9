#include "handoff/instance_message.h"

#include "platform/text.h"

namespace zul::app {

std::string handOffText(const std::vector<std::string>& args) {
    std::string text;
    for (const auto& a : args) {
        if (!text.empty()) text += ' ';
        text += a;
    }
    return text.empty() ? PreviousCommand : text;
}

namespace {
constexpr const char* SendWord = "send ";
constexpr const char* RunWord = "run ";

bool startsWith(const std::string& text, const char* head) { return text.rfind(head, 0) == 0; }
} // namespace

std::string withAbsoluteMacroPath(const std::string& text, const std::filesystem::path& folder) {
    std::string plain;
    for (char c : text)
        if (c != '"') plain += c;
    const std::filesystem::path path(plain);
    if (!endsWithNoCase(plain, ".cro") || path.is_absolute()) return plain;
    return (folder / path).lexically_normal().string();
}

HandOffRequest classifyHandOff(const std::string& text) {
    if (startsWith(text, SendWord)) return {HandOffRequest::Kind::Send, text.substr(5)};
    if (startsWith(text, RunWord)) return {HandOffRequest::Kind::Run, text.substr(4)};
    return {HandOffRequest::Kind::CommandBox, text};
}

std::string sendRequestText(const std::string& house, const std::string& unit, const std::string& action) {
    return SendWord + house + " " + unit + " " + action;
}

std::string runRequestText(const std::filesystem::path& macro) { return RunWord + macro.string(); }

} // namespace zul::app
