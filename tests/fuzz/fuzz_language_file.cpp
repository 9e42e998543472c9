// Any bytes as a language file: parsing must not crash, and every value is
// at most the longest a value may be.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/text.h"
#include "settings/language.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zul;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    IniFile ini;
    ini.parse(bytes);
    // Look up every key=value line under its section, as the captions are looked up.
    std::string section;
    LineCursor lines(bytes);
    for (std::string_view line; lines.next(line);) {
        const std::string t = trimBlanks(line);
        if (t.starts_with('[') && t.find(']') != std::string::npos) section = t.substr(1, t.find(']') - 1);
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const auto value = ini.value(section, std::string(line.substr(0, eq)));
        if (!value) continue;
        if (value->size() > IniFile::MaxValueLength) std::abort();
    }
    return 0;
}
