// Any bytes as settings.ini: loading must not crash, and what the store
// writes back loads to the same settings and, once written, stays the same.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/text.h"
#include "settings/settings_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zul;
    IniDocument store("/nonexistent/settings.ini");
    store.loadText(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string text = store.text();
    IniDocument again("/nonexistent/settings.ini");
    again.loadText(text);
    // Written once, the text is what the store writes for good (the first
    // write may only tidy lines no key is read from, such as a second BOM).
    IniDocument third("/nonexistent/settings.ini");
    third.loadText(again.text());
    if (third.text() != again.text()) std::abort();
    // Every key of the written text reads the same before and after.
    std::string section;
    LineCursor lines(text);
    for (std::string_view line; lines.next(line);) {
        if (line.starts_with('[') && line.ends_with(']')) section = std::string(line.substr(1, line.size() - 2));
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos || section.empty()) continue;
        const std::string key = trimBlanks(line.substr(0, eq));
        if (!key.empty() && store.read(section, key) != again.read(section, key)) std::abort();
    }
    return 0;
}
