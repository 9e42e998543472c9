#include "platform/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace zul {

namespace {
char lowerOf(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
char upperOf(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
} // namespace

std::string asciiLower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), lowerOf);
    return out;
}

std::string asciiUpper(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), upperOf);
    return out;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lowerOf(x) == lowerOf(y); });
}

bool endsWithNoCase(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && equalsNoCase(text.substr(text.size() - tail.size()), tail);
}

std::string trimBlanks(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return "";
    return std::string(s.substr(first, s.find_last_not_of(" \t") - first + 1));
}

std::string without(std::string_view text, char ch) {
    std::string out;
    out.reserve(text.size());
    std::copy_if(text.begin(), text.end(), std::back_inserter(out), [ch](char c) { return c != ch; });
    return out;
}

namespace {
template <class Number>
std::optional<Number> numberIn(std::string t) {
    Number v{};
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size()) return std::nullopt;
    return v;
}
} // namespace

std::optional<long> wholeNumberIn(std::string_view text) { return numberIn<long>(trimBlanks(text)); }

std::optional<double> decimalNumberIn(std::string_view text) {
    std::string t = trimBlanks(text);
    std::replace(t.begin(), t.end(), ',', '.');
    const auto v = numberIn<double>(t);
    return v && std::isfinite(*v) ? v : std::nullopt;
}

std::vector<std::string> splitAt(std::string_view text, std::string_view sep) {
    if (sep.empty()) return {std::string(text)};
    std::vector<std::string> pieces;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(sep, from)) != std::string_view::npos; from = at + sep.size())
        pieces.emplace_back(text.substr(from, at - from));
    pieces.emplace_back(text.substr(from));
    return pieces;
}

std::string joinWith(const std::vector<std::string>& pieces, std::string_view sep) {
    std::string out;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i) out += sep;
        out += pieces[i];
    }
    return out;
}

std::vector<std::string> splitFileLines(std::string_view text) {
    std::vector<std::string> lines = splitAt(text, "\n");
    for (std::size_t i = 0; i + 1 < lines.size(); ++i)
        if (lines[i].ends_with('\r')) lines[i].pop_back();
    return lines;
}

std::vector<std::string> splitLines(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    std::vector<std::string> lines = splitFileLines(bytes);
    if (lines.back().ends_with('\r')) lines.back().pop_back();
    if (lines.back().empty()) lines.pop_back();
    return lines;
}

std::vector<std::string> unquotedLines(std::string_view bytes) {
    std::vector<std::string> lines = splitLines(bytes);
    for (auto& line : lines) std::erase(line, '"');
    return lines;
}

std::string quotedLine(std::string_view text) {
    std::string line;
    line.reserve(text.size() + 4);
    line += '"';
    line += text;
    line += "\"\r\n";
    return line;
}

} // namespace zul
