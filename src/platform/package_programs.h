#pragma once
// The programs of the package. Users run `zulmarin`, a small program without
// Qt that runs the subcommands needing none itself; it starts zulmarin-tx for
// the commands that drive the transmitter (send, run, service) and
// zulmarin-gui for the windows and printing. Those two live beside zulmarin
// in a build folder and in <prefix>/lib/zulmarin when installed.
#include <filesystem>
#include <string>

namespace zul {

inline constexpr const char* TransmitterProgram = "zulmarin-tx";
inline constexpr const char* WindowsProgram = "zulmarin-gui";

// The zulmarin command this process belongs to: the running executable
// itself, or for zulmarin-tx and zulmarin-gui the zulmarin that started them
// (<prefix>/bin/zulmarin for <prefix>/lib/zulmarin/...). Launchers, the
// restart and the program folder go by it. "" when the system cannot tell.
std::filesystem::path zulmarinProgram();
// The same for the executable exe.
std::filesystem::path zulmarinProgramOf(const std::filesystem::path& exe);

// Where the package's program name is: beside zulmarin, else in
// <prefix>/lib/zulmarin for a zulmarin in <prefix>/bin (that path also when
// neither exists, for the message saying so).
std::filesystem::path packageProgram(const std::string& name);

} // namespace zul
