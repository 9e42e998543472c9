#pragma once
// Where the program keeps its files.
#include <filesystem>
#include <string>
#include <vector>

namespace zul {

class SettingsBackend;

// The per-user settings folder: $ZULMARIN_CONFIG_DIR, else $XDG_CONFIG_HOME/zulmarin,
// else ~/.config/zulmarin.
std::filesystem::path configFolder();

// The program folder, where the user's files live: $ZULMARIN_HOME; else
// "Database16"/"CurrentExePath" when it names an existing folder; else the
// executable's folder when it is writable and not an installed program's (a
// folder named bin, as /usr/bin or /usr/local/bin); else
// $XDG_DATA_HOME/zulmarin (~/.local/share/zulmarin). Created when missing.
std::filesystem::path programFolder(const SettingsBackend& settings);

// The folder of the zulmarin program ("" when unknown): the running
// executable's, or for the programs zulmarin starts, zulmarin's.
std::filesystem::path executableFolder();

// Where an installed program keeps the files it ships: <prefix>/share/zulmarin
// for an executable in <prefix>/bin, found from the executable so a moved
// prefix still works; "" when exeFolder is no installed program's.
std::filesystem::path installedDataFolder(const std::filesystem::path& exeFolder);

// The folders shipped files (sounds, language files, help pages) are looked
// up in, in order: the program folder, the executable's folder, the installed
// data folder; each existing folder once.
std::vector<std::filesystem::path> shippedFolders(const std::filesystem::path& programFolder,
                                                  const std::filesystem::path& exeFolder);
std::vector<std::filesystem::path> shippedFolders();

// A file the program ships: the first of shippedFolders() that holds it;
// in the program folder when none does.
std::filesystem::path shippedFile(const std::string& name);

} // namespace zul
