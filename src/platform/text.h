#pragma once
// Small text helpers every part of the program shares: ASCII case handling,
// blanks, and the line form of the data files (one quoted field per line,
// CR LF; readers also take LF-only lines and lines written without quotes).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zul {

inline constexpr const char* kCrLf = "\r\n";

// Letter case of the ASCII letters only; other bytes (UTF-8 among them) stay.
std::string asciiLower(std::string_view s);
std::string asciiUpper(std::string_view s);
bool equalsNoCase(std::string_view a, std::string_view b);
bool endsWithNoCase(std::string_view text, std::string_view tail);

// Without leading and trailing blanks and tabs.
std::string trimBlanks(std::string_view s);
// Removes every occurrence of ch.
std::string without(std::string_view text, char ch);

// A whole number, or a decimal number with "." or "," as its separator, as a
// field holds it: blanks around it are allowed, anything else makes it none.
std::optional<long> wholeNumberIn(std::string_view text);
std::optional<double> decimalNumberIn(std::string_view text);

// Splits text at every occurrence of sep (n separators give n + 1 pieces).
std::vector<std::string> splitAt(std::string_view text, std::string_view sep);
// Joins pieces with sep between them.
std::string joinWith(const std::vector<std::string>& pieces, std::string_view sep);

// Walks the lines of a file's bytes as splitLines cuts them, one at a time,
// without copying them: leading UTF-8 byte order marks are skipped, each line
// comes without its LF or CR LF, and the empty piece after the last line
// break is not a line.
class LineCursor {
public:
    explicit LineCursor(std::string_view bytes);
    // The next line; false when none is left.
    bool next(std::string_view& line);
    // The bytes after the lines read so far.
    std::string_view rest() const { return rest_; }

private:
    std::string_view rest_;
};

// The lines of a file's bytes, split at LF with a CR before it dropped and
// leading UTF-8 byte order marks skipped; the empty piece after the last line
// break is not a line.
std::vector<std::string> splitLines(std::string_view bytes);
// Like splitLines, but the piece after the last line end is kept as the final
// element (empty when the file ends with a line end), and no mark is skipped.
std::vector<std::string> splitFileLines(std::string_view text);
// splitLines with every double-quote character removed.
std::vector<std::string> unquotedLines(std::string_view bytes);
// True for well-formed UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool validUtf8(std::string_view text);
// A data file's text as the program holds it, in UTF-8: text that is valid
// UTF-8 stays as it is; anything else was written in the Windows-1252 code
// page (a file from a Windows program) and is converted from it.
std::string textFromFile(std::string_view bytes);
// The text as one line a terminal shows as it stands: line breaks, tabs,
// other control characters (C0, DEL and C1; escape sequences among them),
// the text-direction overrides and bytes that are not UTF-8 are written as
// escapes ("\n", "\t", "\x1b", "\xe2\x80\xae").
std::string printable(std::string_view text);
// True when printable() leaves text as it is: well-formed UTF-8 without
// any of the characters it escapes.
bool isPlainText(std::string_view text);

// One record of a data file: a double quote, the text, a double quote, CR LF.
std::string quotedLine(std::string_view text);

} // namespace zul
