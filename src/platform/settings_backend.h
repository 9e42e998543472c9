#pragma once
// Where named-string settings (section / key / value) are kept.
#include <optional>
#include <string>
#include <string_view>

namespace zul {

// One stored setting: its section, its key and what a missing key means.
// Only the table of every setting (settings/setting_keys.h) makes them, so a
// key that is not in that table does not compile.
class SettingKey {
public:
    constexpr std::string_view section() const { return section_; }
    constexpr std::string_view key() const { return key_; }
    constexpr std::string_view defaultValue() const { return defaultValue_; }

private:
    friend struct Setting;
    constexpr SettingKey(std::string_view section, std::string_view key, std::string_view defaultValue)
        : section_(section), key_(key), defaultValue_(defaultValue) {}
    std::string_view section_, key_, defaultValue_;
};

class SettingsBackend {
public:
    virtual ~SettingsBackend() = default;
    // Section and key compare without regard to letter case. nullopt when the
    // key is not stored (the key's default then counts).
    virtual std::optional<std::string> read(const SettingKey& key) const = 0;
    // Returns false when the value could not be stored.
    virtual bool write(const SettingKey& key, const std::string& value) = 0;
    // Takes the key out, so that reading it gives the default again. Returns
    // false when that could not be stored (a missing key is no failure).
    virtual bool remove(const SettingKey& key) = 0;
    // "FILE: reason" when the stored settings could not be read (the values
    // are then the defaults, and nothing is written back); "" otherwise.
    virtual std::string readProblem() const { return {}; }
    // "FILE: reason" when settings that were read cannot be saved (the
    // changes then last only as long as the program runs); "" otherwise.
    virtual std::string writeProblem() const { return {}; }
};

} // namespace zul
