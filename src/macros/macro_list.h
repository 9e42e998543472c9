#pragma once
// The file lists of the macro windows: the "*.cro" files of a folder, and
// macro files dropped onto a list.
#include <filesystem>
#include <string>
#include <vector>

namespace zul::macros {

// The names of the regular "*.cro" files of folder (the extension in any
// case), sorted by name without regard to letter case; empty when the
// folder cannot be read.
std::vector<std::string> macroFileNames(const std::filesystem::path& folder);

// Files dropped onto the macro list: those whose extension is "cro" (in any
// case) are copied into folder unless they are already there. Returns the
// number copied.
int importMacroFiles(const std::vector<std::filesystem::path>& files, const std::filesystem::path& folder);

} // namespace zul::macros
