#include "macros/data_lines.h"

#include <algorithm>

#include "settings/settings_store.h"

namespace zul::macros {

std::vector<std::string> unquotedLines(std::string_view bytes) {
    std::vector<std::string> lines = splitLines(std::string(bytes));
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

} // namespace zul::macros
