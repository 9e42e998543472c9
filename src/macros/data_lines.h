#pragma once
// The data files' line form: one quoted field per line, CR LF. Readers take
// LF-only lines too, and lines written by hand without the quotes.
#include <string>
#include <string_view>
#include <vector>

namespace zul::macros {

// The lines of a file's bytes with every double-quote character removed; the
// empty piece after the last line break is not a line. A leading UTF-8 byte
// order mark is dropped.
std::vector<std::string> unquotedLines(std::string_view bytes);
// One line as written: a double quote, the text, a double quote, CR LF.
std::string quotedLine(std::string_view text);

} // namespace zul::macros
