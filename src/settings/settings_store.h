#pragma once
// The named-string settings: an INI file per user, sections and keys compared
// without regard to case, written atomically after every change.
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/settings_backend.h"
#include "platform/text.h"

namespace zul {

class IniSettingsStore : public SettingsBackend {
public:
    // Loads file when it exists; later writes create it (and its folder).
    explicit IniSettingsStore(std::filesystem::path file);
    std::optional<std::string> read(const std::string& section, const std::string& key) const override;
    // The whole file is rewritten atomically. Returns false (and stores
    // nothing) for a section or key that the file could not hold (empty, a
    // line break, "]" in a section, "=" in a key) or a value with a line
    // break; returns false too when the file cannot be written (the value is
    // then kept in memory for this run).
    bool write(const std::string& section, const std::string& key, const std::string& value) override;
    const std::filesystem::path& file() const { return file_; }

private:
    // Kept in file order so a rewrite keeps the user's layout; lines that are
    // not key=value (comments, blank lines) are kept as they were.
    struct Entry { std::string key, value; bool plainLine = false; };
    struct Section { std::string name; std::vector<Entry> entries; };
    void load();
    std::string serialize() const;
    Section* findSection(const std::string& name);
    std::filesystem::path file_;
    std::vector<Section> sections_;  // the first holds lines before any [section] (name "")
    bool saved_ = true;              // the file holds what is in memory
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
