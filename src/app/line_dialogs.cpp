#include "app/line_dialogs.h"

#include "platform/text.h"

namespace zul::app {

std::string LineDialogs::oneLine(const std::string& text) {
    std::string out;
    for (const std::string& line : splitLines(text)) {
        std::string t = trimBlanks(line);
        for (char& c : t)
            if (c == '\t') c = ' ';
        if (t.empty()) continue;
        if (!out.empty()) out += ' ';
        out += t;
    }
    return out;
}

} // namespace zul::app
