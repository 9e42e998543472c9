#include "timers/text_lines.h"

#include <algorithm>

namespace zul {

std::vector<std::string> splitAt(std::string_view text, std::string_view sep) {
    std::vector<std::string> pieces;
    if (sep.empty()) return {std::string(text)};
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = text.find(sep, from);
        if (at == std::string_view::npos) break;
        pieces.emplace_back(text.substr(from, at - from));
        from = at + sep.size();
    }
    pieces.emplace_back(text.substr(from));
    return pieces;
}

std::vector<std::string> splitFileLines(std::string_view text) {
    std::vector<std::string> lines = splitAt(text, "\n");
    for (std::size_t i = 0; i + 1 < lines.size(); ++i)
        if (!lines[i].empty() && lines[i].back() == '\r') lines[i].pop_back();
    return lines;
}

std::string joinWith(const std::vector<std::string>& pieces, std::string_view sep) {
    std::string out;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i) out += sep;
        out += pieces[i];
    }
    return out;
}

std::string without(std::string_view text, char ch) {
    std::string out;
    out.reserve(text.size());
    std::copy_if(text.begin(), text.end(), std::back_inserter(out), [ch](char c) { return c != ch; });
    return out;
}

std::string quotedLine(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 4);
    out += '"';
    out += text;
    out += "\"\r\n";
    return out;
}

std::string trimmed(std::string_view text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t b = 0, e = text.size();
    while (b < e && isBlank(text[b])) ++b;
    while (e > b && isBlank(text[e - 1])) --e;
    return std::string(text.substr(b, e - b));
}

} // namespace zul
