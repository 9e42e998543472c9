#pragma once
// A fresh folder under the system temp folder, removed with its contents at scope end.
#include <filesystem>
#include <string>

#include "support/scoped_env.h"

namespace zul::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// Reads a whole file as bytes ("" when missing).
std::string readFile(const std::filesystem::path& p);
// Writes bytes exactly as given, making the folders on the way.
void writeFile(const std::filesystem::path& p, const std::string& bytes);

// Points ZULMARIN_CONFIG_DIR and ZULMARIN_HOME at folders of a TempDir for the
// guard's lifetime, restoring the previous values afterwards.
class ScopedHome {
public:
    ScopedHome();
    const std::filesystem::path& config() const { return config_; }
    const std::filesystem::path& home() const { return home_; }

private:
    TempDir dir_;
    std::filesystem::path config_, home_;
    ScopedEnv env_;
};

} // namespace zul::test
