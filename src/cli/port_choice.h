#pragma once
// What the subcommands share: the user's settings read only, and for those
// that drive the transmitter the --port option and the port chosen in Port
// Setup (cli/transmitting.h opens it).
#include <optional>
#include <string>

#include "cli/cli.h"
#include "platform/settings_backend.h"
#include "settings/settings_store.h"

namespace zul::cli {

// Reads the real settings and keeps any write to itself: a subcommand changes nothing.
class ReadOnlySettings : public SettingsBackend {
public:
    explicit ReadOnlySettings(const SettingsBackend& base) : base_(base) {}
    std::optional<std::string> read(const SettingKey& key) const override;
    bool write(const SettingKey& key, const std::string& value) override;
    // Nothing is removed from the real settings; a key written here goes again.
    bool remove(const SettingKey& key) override { return local_.remove(key); }

    std::string readProblem() const override { return base_.readProblem(); }

private:
    const SettingsBackend& base_;
    MemorySettings local_;
};

// The user's settings.ini, read only. When the file cannot be read, one line
// on standard error and an entry in the error log say so, and the subcommand
// runs on the defaults.
struct UserSettings {
    explicit UserSettings(Io& io);
    IniSettingsStore file;
    ReadOnlySettings settings{file};
};

// The arguments with "--port P" / "--port=P" taken out.
struct PortOptions {
    Args positional;
    std::optional<std::string> port;
};
// nullopt with error set for a --port without value or an unknown option.
std::optional<PortOptions> parsePortOptions(const Args& args, std::string& error);

// The port chosen in Port Setup (record 270), "" when none. problem is set
// when the record store exists but cannot be opened.
std::string storedPort(SettingsBackend& settings, std::string& problem);

// The port to use: the checked --port when given, else the stored one. On
// failure the reason is printed and exitCode is set (2 bad --port, 1 none
// stored or the record store cannot be opened).
std::optional<std::string> choosePort(const std::optional<std::string>& option, SettingsBackend& settings, Io& io,
                                      int& exitCode);

} // namespace zul::cli
