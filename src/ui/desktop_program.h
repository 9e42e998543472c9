#pragma once
// The desktop program: the App context with its windows. runDesktop is what
// zulmarin runs without a subcommand; tests build a DesktopProgram on
// virtual time with scripted dialogs.
#include <memory>
#include <string>
#include <vector>

#include "app/app.h"

class QSplashScreen;

namespace zul::ui {

class MainWindow;
class PortSetupDialog;
class DelayDialog;
class TimerWindow;
class TimerLogWindow;

class DesktopProgram {
public:
    DesktopProgram(app::Platform platform, std::unique_ptr<SettingsBackend> settings = nullptr);
    ~DesktopProgram();

    // Program entry after the single-instance check. With splash the main
    // window loads from the splash's own timer; without, at once.
    void start(const std::string& commandLine, bool splash);

    app::App& app() { return *app_; }
    MainWindow& mainWindow() { return *main_; }
    PortSetupDialog& portDialog() { return *port_; }
    DelayDialog& delayDialog() { return *delay_; }
    TimerWindow& timerWindow() { return *timers_; }
    TimerLogWindow& timerLogWindow() { return *timerLog_; }

private:
    void bindHooks();
    void showSplash();

    std::unique_ptr<app::App> app_;
    std::unique_ptr<MainWindow> main_;
    std::unique_ptr<PortSetupDialog> port_;
    std::unique_ptr<DelayDialog> delay_;
    std::unique_ptr<TimerWindow> timers_;
    std::unique_ptr<TimerLogWindow> timerLog_;
    std::unique_ptr<QSplashScreen> splash_;
};

// zulmarin without a subcommand: hands the arguments to a running copy, or
// starts the program and runs until it ends. Returns the exit code.
int runDesktop(int argc, char** argv, const std::vector<std::string>& args);

} // namespace zul::ui
