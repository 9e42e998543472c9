#pragma once
// The named-string settings: an INI file per user, read and written by the
// keys of the settings table.
#include <filesystem>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/settings_backend.h"
#include "platform/text.h"
#include "settings/setting_keys.h"

namespace zul {

class ErrorLog;

// An INI file kept line by line: sections and keys compared without regard
// to case, the user's layout kept, written atomically after every change.
class IniDocument {
public:
    static constexpr FileLimit Limit{1024 * 1024, "a settings file holds a few hundred short lines"};

    // Loads file when it exists; later writes create it (and its folder). A
    // file that exists but cannot be read (no permission, not a regular file,
    // far too large, an I/O error) is never written: the store then runs on
    // the defaults in memory and readProblem says why.
    explicit IniDocument(std::filesystem::path file);
    std::optional<std::string> read(const std::string& section, const std::string& key) const;
    // The whole file is rewritten atomically. Returns false (and stores
    // nothing) for a section or key that the file could not hold (empty, a
    // line break, "]" in a section, "=" in a key) or a value with a line
    // break; returns false too when the file cannot be written or could not
    // be read (the value is then kept in memory for this run).
    bool write(const std::string& section, const std::string& key, const std::string& value);
    bool remove(const std::string& section, const std::string& key);
    std::string readProblem() const { return readProblem_; }
    std::string writeProblem() const;
    const std::filesystem::path& file() const { return file_; }
    // The text a write puts into the file, and taking the settings from such a
    // text (what loading does with the file's bytes).
    std::string text() const;
    void loadText(std::string_view bytes);

private:
    // Kept in file order so a rewrite keeps the user's layout; lines that are
    // not key=value (comments, blank lines) are kept as they were.
    struct Entry {
        std::string key, value;
        bool plainLine = false;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    void load();
    bool save();
    Section* findSection(const std::string& name);
    std::filesystem::path file_;
    std::vector<Section> sections_; // the first holds lines before any [section] (name "")
    bool saved_ = true;             // the file holds what is in memory
    std::string readProblem_;       // "FILE: reason" when the file could not be read
    std::string writeProblem_;      // "FILE: reason" when the last write failed
};

// The settings file: an IniDocument read and written by the keys of the
// settings table.
class IniSettingsStore : public SettingsBackend {
public:
    static constexpr FileLimit Limit = IniDocument::Limit;

    explicit IniSettingsStore(std::filesystem::path file) : ini_(std::move(file)) {}
    std::optional<std::string> read(const SettingKey& key) const override;
    bool write(const SettingKey& key, const std::string& value) override;
    bool remove(const SettingKey& key) override;
    std::string readProblem() const override { return ini_.readProblem(); }
    std::string writeProblem() const override { return ini_.writeProblem(); }
    const std::filesystem::path& file() const { return ini_.file(); }
    const IniDocument& ini() const { return ini_; }

private:
    IniDocument ini_;
};

// A backend in memory only (tests, and a fallback when the settings file cannot be written).
class MemorySettings : public SettingsBackend {
public:
    std::optional<std::string> read(const SettingKey& key) const override;
    bool write(const SettingKey& key, const std::string& value) override;
    bool remove(const SettingKey& key) override;

private:
    std::map<std::string, std::string> values_; // lower-cased "section\nkey"
};

// The stored value, else the key's default.
std::string readSetting(const SettingsBackend& s, const SettingKey& key);
void writeSetting(SettingsBackend& s, const SettingKey& key, const std::string& value);
// Writes only when the stored value differs (a missing key always does): the
// file is rewritten on every write.
void writeSettingIfChanged(SettingsBackend& s, const SettingKey& key, const std::string& value);
void deleteSetting(SettingsBackend& s, const SettingKey& key);

// Where a window is, in twips: its left and top edges under its own two keys.
struct WindowPositionKeys {
    const SettingKey& left;
    const SettingKey& top;
};
using TwipPosition = std::pair<int, int>;
// An edge that is missing or no whole number takes its key's default; nullopt
// when an edge has no whole number even so (no stored place).
std::optional<TwipPosition> storedWindowPosition(const SettingsBackend& s, WindowPositionKeys keys);
void storeWindowPosition(SettingsBackend& s, WindowPositionKeys keys, TwipPosition position);

// What the program says once when its settings could not be read (the file,
// the reason, and that it runs on the defaults and leaves the file alone) or
// cannot be saved (changes last until the program ends). "" when they were
// read and can be saved. oneLine: for a terminal and the error log; else
// three lines for a message box.
std::string settingsProblemText(const SettingsBackend& settings, bool oneLine);

// For the command line and the service: when the settings could not be read
// or cannot be saved, says so in one line on err ("zulmarin: ...") and in the
// error log. True when it did.
bool reportSettingsProblem(const SettingsBackend& settings, std::ostream& err, ErrorLog& log);

} // namespace zul
