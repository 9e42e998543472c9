#pragma once
// The named-string settings: an INI file per user, sections and keys compared
// without regard to case, written atomically after every change.
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/settings_backend.h"

namespace zul {

class IniSettingsStore : public SettingsBackend {
public:
    // Loads file when it exists; later writes create it.
    explicit IniSettingsStore(std::filesystem::path file);
    std::optional<std::string> read(const std::string& section, const std::string& key) const override;
    bool write(const std::string& section, const std::string& key, const std::string& value) override;
    const std::filesystem::path& file() const { return file_; }

private:
    std::filesystem::path file_;
    // Kept in file order so a rewrite keeps the user's layout.
    struct Entry { std::string key, value; };
    struct Section { std::string name; std::vector<Entry> entries; };
    std::vector<Section> sections_;
};

// A backend in memory only (tests, and a fallback when the settings file cannot be written).
class MemorySettings : public SettingsBackend {
public:
    std::optional<std::string> read(const std::string& section, const std::string& key) const override;
    bool write(const std::string& section, const std::string& key, const std::string& value) override;

private:
    std::map<std::string, std::string> values_;  // lower-cased "section\nkey"
};

// Reads with a default: the default is what a missing key means.
std::string ReadSetting(const SettingsBackend& s, const std::string& section, const std::string& key,
                        const std::string& def);
void WriteSetting(SettingsBackend& s, const std::string& section, const std::string& key, const std::string& value);

} // namespace zul
