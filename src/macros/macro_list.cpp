#include "macros/macro_list.h"

#include <algorithm>

#include "macros/macro_file.h"
#include "platform/atomic_file.h"
#include "platform/text.h"

namespace zul::macros {

namespace fs = std::filesystem;

std::vector<std::string> macroFileNames(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (endsWithNoCase(name, ".cro") && it->is_regular_file(ec)) names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string la = asciiLower(a), lb = asciiLower(b);
        return la != lb ? la < lb : a < b;
    });
    return names;
}

int importMacroFiles(const std::vector<fs::path>& files, const fs::path& folder) {
    int copied = 0;
    std::error_code ec;
    for (const fs::path& file : files) {
        if (!endsWithNoCase(file.extension().string(), ".cro") || !fs::is_regular_file(file, ec)) continue;
        const fs::path target = folder / file.filename();
        if (fs::exists(target, ec) && fs::equivalent(file, target, ec)) continue;
        const FileRead read = readDataFile(file, MacroFileLimit);
        if (read.ok() && !writeFileAtomically(target, read.bytes)) ++copied;
    }
    return copied;
}

} // namespace zul::macros
