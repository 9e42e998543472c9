#pragma once
// Where the program keeps its files.
#include <filesystem>
#include <string>

namespace zul {

class SettingsBackend;

// The per-user settings folder: $ZULMARIN_CONFIG_DIR, else $XDG_CONFIG_HOME/zulmarin,
// else ~/.config/zulmarin.
std::filesystem::path configFolder();

// The program folder: $ZULMARIN_HOME; else "Database16"/"CurrentExePath" when it
// names an existing folder; else the executable's folder when writable; else
// $XDG_DATA_HOME/zulmarin (~/.local/share/zulmarin). Created when missing.
std::filesystem::path programFolder(const SettingsBackend& settings);

// The folder of the running executable ("" when unknown).
std::filesystem::path executableFolder();

// A file the program ships (help pages, sounds, language files, the icon):
// in the program folder when it is there, else in the executable's folder.
std::filesystem::path shippedFile(const std::string& name);

} // namespace zul
