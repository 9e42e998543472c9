#pragma once
// Where named-string settings (section / key / value) are kept.
#include <optional>
#include <string>

namespace zul {

class SettingsBackend {
public:
    virtual ~SettingsBackend() = default;
    // Section and key compare without regard to letter case.
    virtual std::optional<std::string> read(const std::string& section, const std::string& key) const = 0;
    // Returns false when the value could not be stored.
    virtual bool write(const std::string& section, const std::string& key, const std::string& value) = 0;
    // Takes the key out, so that reading it gives the default again. Returns
    // false when that could not be stored (a missing key is no failure).
    virtual bool remove(const std::string& section, const std::string& key) = 0;
    // "FILE: reason" when the stored settings could not be read (the values
    // are then the defaults, and nothing is written back); "" otherwise.
    virtual std::string readProblem() const { return {}; }
    // "FILE: reason" when settings that were read cannot be saved (the
    // changes then last only as long as the program runs); "" otherwise.
    virtual std::string writeProblem() const { return {}; }
};

} // namespace zul
