#include "platform/package_programs.h"

namespace zul {

namespace fs = std::filesystem;

namespace {
bool isStartedProgram(const fs::path& exe) {
    const std::string name = exe.filename().string();
    return name == TransmitterProgram || name == WindowsProgram;
}
} // namespace

fs::path zulmarinProgram() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : zulmarinProgramOf(exe);
}

fs::path zulmarinProgramOf(const fs::path& exe) {
    if (!isStartedProgram(exe)) return exe;
    const fs::path folder = exe.parent_path();
    if (folder.filename() == "zulmarin" && folder.parent_path().filename() == "lib")
        return folder.parent_path().parent_path() / "bin" / "zulmarin";
    return folder / "zulmarin";
}

fs::path packageProgram(const std::string& name) {
    const fs::path folder = zulmarinProgram().parent_path();
    std::error_code ec;
    if (fs::is_regular_file(folder / name, ec)) return folder / name;
    return folder.parent_path() / "lib" / "zulmarin" / name;
}

} // namespace zul
