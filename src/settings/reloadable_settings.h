#pragma once
// The settings file for a program that runs for months without windows:
// read again on demand when the file changed on disk (the desktop program,
// a text editor or a script wrote it), so a change takes effect without a
// restart.
#include <filesystem>
#include <memory>

#include "settings/settings_store.h"

namespace zul {

class ReloadableSettings : public SettingsBackend {
public:
    explicit ReloadableSettings(std::filesystem::path file)
        : file_(std::move(file)), store_(std::make_unique<IniSettingsStore>(file_)) {}

    // Reads the file again; what it holds from now on is what counts. A file
    // that cannot be read now keeps what was read before, and the reason is
    // returned ("" when it was read).
    std::string reload() {
        auto fresh = std::make_unique<IniSettingsStore>(file_);
        std::string problem = fresh->readProblem();
        if (problem.empty() || !store_->readProblem().empty()) store_ = std::move(fresh);
        return problem;
    }
    const std::filesystem::path& file() const { return file_; }

    std::optional<std::string> read(const SettingKey& key) const override { return store_->read(key); }
    bool write(const SettingKey& key, const std::string& value) override { return store_->write(key, value); }
    bool remove(const SettingKey& key) override { return store_->remove(key); }
    std::string readProblem() const override { return store_->readProblem(); }
    std::string writeProblem() const override { return store_->writeProblem(); }

private:
    std::filesystem::path file_;
    std::unique_ptr<IniSettingsStore> store_;
};

} // namespace zul
