#pragma once
// The desktop program: the App context with its windows. runDesktop is what
// zulmarin runs without a subcommand; tests build a DesktopProgram on
// virtual time with scripted dialogs.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app.h"
#include "mqtt/client.h"

class QSplashScreen;

namespace zul::app {
class HandOffDesk;
class PortWatch;
} // namespace zul::app
namespace zul::mqtt {
class MqttBridge;
class MqttSettingsForm;
} // namespace zul::mqtt
namespace zul::web {
class KeyDerivation;
class WebRemote;
class WebRemotePageForm;
} // namespace zul::web

namespace zul::ui {

class MainWindow;
class PortSetupDialog;
class DelayDialog;
class MacroSetupWindow;
class RunMacroWindow;
class PreferencesWindow;
class FavouritesWindow;
class HelpWindow;
class AboutWindow;
class UninstallWindow;
class Tray;
class TimerWindow;
class TimerLogWindow;
class ScreenKeeper;

// It is also what the windows do for the logic: the App calls them through
// WindowHost while the program lives.
class DesktopProgram : private app::WindowHost {
public:
    // mqttClients: nullptr connects through libmosquitto.
    DesktopProgram(app::Platform platform, std::unique_ptr<SettingsBackend> settings = nullptr,
                   mqtt::ClientFactory mqttClients = nullptr);
    ~DesktopProgram() override;

    // Program entry after the single-instance check. With splash the main
    // window loads from the splash's own timer; without, at once.
    void start(const std::string& commandLine, bool splash);

    app::App& app() { return *app_; }
    // What other starts of the program hand over (the command line's send
    // and run, a macro file, "previous").
    app::HandOffDesk& handOff() { return *handOff_; }
    // A stop signal: ends the program through Exit's closing at once, asking
    // nothing; unsaved editor rows go to a recovery file.
    void stop();
    // The end of the program ends the Qt event loop (runDesktop; tests run their own).
    void endEventLoopOnQuit() { endsEventLoop_ = true; }
    MainWindow& mainWindow() { return *main_; }
    PortSetupDialog& portDialog() { return *port_; }
    DelayDialog& delayDialog() { return *delay_; }
    MacroSetupWindow& macroSetup() { return *macroSetup_; }
    RunMacroWindow& runMacro() { return *runMacro_; }
    PreferencesWindow& preferences() { return *prefs_; }
    FavouritesWindow& favourites() { return *favs_; }
    HelpWindow& help() { return *help_; }
    AboutWindow& about() { return *about_; }
    UninstallWindow& uninstaller() { return *uninstall_; }
    Tray& tray() { return *tray_; }
    TimerWindow& timerWindow() { return *timers_; }
    TimerLogWindow& timerLogWindow() { return *timerLog_; }
    mqtt::MqttBridge& bridge() { return *bridge_; }
    web::WebRemote& webRemote() { return *remote_; }

private:
    static constexpr int SplashMs = 750;

    void bindStartup();
    void bindDesktopWindows();

    // --- app::WindowHost
    void showMainWindow() override;
    void hideMainWindow() override;
    void bringToFront() override;
    bool mainWindowVisible() const override;
    bool mainWindowMinimized() const override;
    std::optional<std::pair<int, int>> mainWindowPosition() const override;
    std::optional<bool> timersToggle() const override;
    void setTimersToggle(bool on) override;
    bool showSplash() override;
    void closeSplash() override;
    void minimizeAtStart() override;
    void startupOver() override;
    bool settleUnsavedWork() override;
    void keepUnsavedWork() override;
    void closeWindows() override;
    void quit() override;
    std::optional<int> askDelay() override;
    void showPortDialog() override;
    void showRunMacro() override;
    void showMacroSetup(int tab, int group) override;
    void showPreferences(int tab, const std::string& panicGroup) override;
    void showFavourites() override;
    bool showHelp(const std::filesystem::path& page, const std::string& anchor) override;
    void showAbout() override;
    void showUninstaller() override;
    void refreshWindows() override;
    void showTimerWindow() override;
    void showTimerLog() override;
    bool timerWindowShown() const override;
    void timersChanged(bool loaded) override;

    std::unique_ptr<ScreenKeeper> screenKeeper_;
    std::unique_ptr<app::App> app_;
    std::unique_ptr<MainWindow> main_;
    std::unique_ptr<PortSetupDialog> port_;
    std::unique_ptr<DelayDialog> delay_;
    std::unique_ptr<MacroSetupWindow> macroSetup_;
    std::unique_ptr<RunMacroWindow> runMacro_;
    std::unique_ptr<PreferencesWindow> prefs_;
    std::unique_ptr<FavouritesWindow> favs_;
    std::unique_ptr<HelpWindow> help_;
    std::unique_ptr<AboutWindow> about_;
    std::unique_ptr<UninstallWindow> uninstall_;
    std::unique_ptr<Tray> tray_;
    bool mainPlaced_ = false;
    bool splashWanted_ = true;
    bool endsEventLoop_ = false;
    std::unique_ptr<TimerWindow> timers_;
    std::unique_ptr<TimerLogWindow> timerLog_;
    std::unique_ptr<mqtt::MqttBridge> bridge_;
    std::unique_ptr<mqtt::MqttSettingsForm> mqttForm_;
    std::unique_ptr<web::KeyDerivation> keys_;
    std::unique_ptr<web::WebRemote> remote_;
    std::unique_ptr<web::WebRemotePageForm> webForm_;
    std::unique_ptr<QSplashScreen> splash_;
    std::unique_ptr<Tick> splashTick_; // loads the main window SplashMs after the splash shows
    std::unique_ptr<app::HandOffDesk> handOff_;
    std::unique_ptr<app::PortWatch> portWatch_;
};

// zulmarin without a subcommand while a copy runs (the desktop program or the
// service): hands the arguments to it and returns the exit code; its error
// is also shown in a message box when there is a display. nullopt when no
// copy runs.
std::optional<int> handToRunningCopy(int argc, char** argv, const std::vector<std::string>& args, bool display);

// zulmarin without a subcommand: starts the program and runs until it ends
// (or hands the arguments to a copy that started meanwhile). Returns the exit code.
int runDesktop(int argc, char** argv, const std::vector<std::string>& args);

} // namespace zul::ui
