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

LineCursor::LineCursor(std::string_view bytes) : rest_(bytes) {
    while (rest_.starts_with("\xEF\xBB\xBF")) rest_.remove_prefix(3);
}

bool LineCursor::next(std::string_view& line) {
    if (rest_.empty()) return false;
    const std::size_t lf = rest_.find('\n');
    line = rest_.substr(0, lf);
    rest_ = lf == std::string_view::npos ? std::string_view() : rest_.substr(lf + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    return lf != std::string_view::npos || !line.empty();
}

std::vector<std::string> splitLines(std::string_view bytes) {
    std::vector<std::string> lines;
    LineCursor cursor(bytes);
    for (std::string_view line; cursor.next(line);) lines.emplace_back(line);
    return lines;
}

std::vector<std::string> unquotedLines(std::string_view bytes) {
    std::vector<std::string> lines = splitLines(bytes);
    for (auto& line : lines) std::erase(line, '"');
    return lines;
}

namespace {
// The length of the well-formed UTF-8 sequence at text[i], 0 when there is none.
std::size_t utf8Length(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) -> unsigned {
        return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0u;
    };
    const unsigned c = byte(0);
    if (c < 0x80) return 1;
    std::size_t n = 0;
    unsigned low = 0x80, high = 0xBF; // the allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) n = 2;
    else if (c >= 0xE0 && c <= 0xEF) n = 3, low = c == 0xE0 ? 0xA0 : 0x80, high = c == 0xED ? 0x9F : 0xBF;
    else if (c >= 0xF0 && c <= 0xF4) n = 4, low = c == 0xF0 ? 0x90 : 0x80, high = c == 0xF4 ? 0x8F : 0xBF;
    else return 0;
    if (byte(1) < low || byte(1) > high) return 0;
    for (std::size_t k = 2; k < n; ++k)
        if ((byte(k) & 0xC0) != 0x80) return 0;
    return n;
}

bool isControl(std::string_view text, std::size_t i, std::size_t length) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (length == 1) return c < 0x20 || c == 0x7F;
    const auto next = static_cast<unsigned char>(text[i + 1]);
    // U+0080 to U+009F: the C1 controls, which some terminals obey.
    if (length == 2) return (c == 0xC2 && next < 0xA0) || (c == 0xD8 && next == 0x9C); // and U+061C
    if (length != 3 || c != 0xE2) return false;
    // The bidirectional marks, embeddings, overrides and isolates, which
    // make a line read in another order than it is written:
    // U+200E, U+200F, U+202A to U+202E, U+2066 to U+2069.
    const auto last = static_cast<unsigned char>(text[i + 2]);
    return (next == 0x80 && (last == 0x8E || last == 0x8F || (last >= 0xAA && last <= 0xAE))) ||
           (next == 0x81 && last >= 0xA6 && last <= 0xA9);
}
} // namespace

bool validUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = utf8Length(text, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

namespace {
// Windows-1252 0x80 to 0x9F; the five bytes the code page leaves undefined
// keep their own code point, as Windows converts them.
constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, char16_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}
} // namespace

std::string textFromFile(std::string_view bytes) {
    if (validUtf8(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        appendUtf8(out, b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : static_cast<char16_t>(b));
    }
    return out;
}

std::string printable(std::string_view text) {
    static const char* const hex = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = utf8Length(text, i);
        if (length != 0 && !isControl(text, i, length)) {
            out.append(text.substr(i, length));
            i += length;
            continue;
        }
        const std::size_t end = i + std::max<std::size_t>(length, 1);
        for (; i < end; ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            if (c == '\n') out += "\\n";
            else if (c == '\r') out += "\\r";
            else if (c == '\t') out += "\\t";
            else out += std::string("\\x") + hex[c >> 4] + hex[c & 15];
        }
    }
    return out;
}

bool isPlainText(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = utf8Length(text, i);
        if (length == 0 || isControl(text, i, length)) return false;
        i += length;
    }
    return true;
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
