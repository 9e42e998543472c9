#pragma once
// The program-wide context: the settings, the record store, the code tables,
// the port and the bit sender, the language, the sounds and the logic objects
// of the main window. The desktop program makes one; tests make their own on
// virtual time. Everything is passed on by reference from here.
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/main_macro.h"
#include "app/window_host.h"
#include "macros/group_file.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/frame_priority.h"
#include "platform/line_port.h"
#include "platform/settings_backend.h"
#include "platform/signal.h"
#include "platform/sound_player.h"
#include "settings/error_log.h"
#include "settings/language.h"
#include "settings/record_store.h"
#include "settings/sounds.h"
#include "x10/port_link.h"
#include "x10/switching_port.h"
#include "x10/transmitter.h"
#include "x10/x10_codes.h"

namespace zul::windows {
class TimerWindowForm;
class MainWindowForm;
} // namespace zul::windows

namespace zul {
class TimerService;
} // namespace zul

namespace zul::app {

class MainClock;
class GroupsPanel;
class Startup;
class UnitDescriptions;

// The operating-system pieces the program runs on.
struct Platform {
    Clock& clock;
    EventLoop& loop;
    Dialogs& dialogs;
    SoundPlayer& sound;
    Desktop& desktop;
    // Makes the port behind a stored port text ("1", "/dev/ttyUSB0", "sim").
    std::function<std::unique_ptr<LinePort>(const std::string&)> makePort;
    // Raises the sending thread while a frame goes out; none in virtual time.
    ThreadPriority* threadPriority = nullptr;
};

// Message boxes whose texts pass through the language lookup line by line.
class TranslatedDialogs : public Dialogs {
public:
    TranslatedDialogs(Dialogs& inner, const Language& language) : inner_(inner), language_(language) {}
    void info(const InfoBox& box) override;
    void message(const std::string& text, const std::string& title = "Zulmarin") override;
    Answer question(const std::string& text, const std::string& title, bool withCancel) override;
    Answer questionDefaultNo(const std::string& text, const std::string& title) override;
    std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                     const std::string& initial) override;
    std::optional<std::string> openFile(const std::string& title, const std::string& folder,
                                        const std::vector<FileFilter>& filters) override;
    std::optional<std::string> saveFile(const std::string& title, const std::string& initialPath,
                                        const std::vector<FileFilter>& filters) override;
    std::string translate(const std::string& text) const;

private:
    Dialogs& inner_;
    const Language& language_;
};

class App {
public:
    // settings: nullptr reads and writes settings.ini in the per-user config folder.
    App(Platform platform, std::unique_ptr<SettingsBackend> settings = nullptr);
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    Clock& clock;
    EventLoop& loop;
    Dialogs& rawDialogs;
    SoundPlayer& soundPlayer;
    Desktop& desktop;

private:
    std::unique_ptr<SettingsBackend> settingsOwned_;

public:
    SettingsBackend& settings;
    const std::filesystem::path folder; // the program folder
    Language language;
    TranslatedDialogs dialogs; // every box of the program goes through here
    RecordStore records;
    x10::X10Codes codes;
    // Set while the program closes: every Pause returns at once.
    bool StopAll = false;
    x10::SwitchingLinePort port;
    x10::Transmitter transmitter;
    x10::RecordPortStore portStore;
    x10::PortLink portLink;
    ErrorLog errorLog;
    Sounds sounds;
    macros::GroupLabels groupLabels;
    // The windows while a desktop program shows them; else the defaults of
    // WindowHost, which show nothing.
    WindowHost& windows() const { return *windows_; }
    // nullptr: back to no windows. The desktop program lets go before its windows go.
    void setWindows(WindowHost* host) { windows_ = host ? host : &noWindows_; }
    // The macro playing at once (the main window, the run window, the editor) and those waiting for it.
    MacroTurns macroTurns;

    // Program-wide flags of the start-up.
    bool associateMacroFiles = true;
    bool timerWindowOpen = false;
    bool minimizeOnStart = false;
    bool mainWindowVisible = false; // refreshed by the clock tick
    bool restartMarked = false;     // a language change asked for a restart
    bool showToolTips = true;       // "Show Tool Tips"
    bool minimizeToTray = false;    // "Minimize sends to Tray"
    // What is wrong with the transmitter's port (it went away), "" while nothing is.
    std::string portProblem;
    long processId = 0; // this process, published for the user's information

    std::unique_ptr<MainClock> mainClock;
    std::unique_ptr<windows::MainWindowForm> mainWindow;
    std::unique_ptr<GroupsPanel> groups;
    std::unique_ptr<Startup> startup;
    // The unit descriptions of the record store, watched for changes.
    std::unique_ptr<UnitDescriptions> descriptions;
    // Loaded by the "&Timers" switch or a timer window (see timers_switch.h),
    // with the timer window's logic on it.
    std::unique_ptr<TimerService> timers;
    std::unique_ptr<windows::TimerWindowForm> timerWindow;
    // The timer machinery was loaded or its master switch changed (true), or
    // it is about to be unloaded (false); for any number of listeners.
    Signal<bool> timersSwitched;
    // A choice that more than one window shows changed wherever it was made
    // (an option of the preferences or the menu, the sounds, the location):
    // every open window showing one shows the new state at once.
    Signal<> optionsChanged;

    std::string tr(const std::string& text) const { return language.langCaption(text); }
    // Tool tips: translated, without the padding blanks the lookup adds.
    std::string tip(const std::string& text) const;
    void logError(const std::string& procedure, const std::string& window, const std::string& description,
                  long number = 0);
    // At start-up: removes the temporary files that saves cut short (a
    // crash, kill -9) left in the program and settings folders, once they
    // are a minute old. Returns the files removed.
    std::vector<std::filesystem::path> removeLeftoverSaves() const;

    // The last commands the simulated transmitter decoded (newest last).
    const std::deque<std::string>& simulatorCommands() const { return simCommands_; }
    Signal<> simulatorCommand;
    // True when the port in use is the simulated transmitter.
    bool simulatorInUse();

private:
    WindowHost noWindows_;
    WindowHost* windows_ = &noWindows_;
    std::unique_ptr<LinePort> makePort(const std::string& name);
    std::function<std::unique_ptr<LinePort>(const std::string&)> factory_;
    std::unique_ptr<FramePriority> framePriority_;
    std::deque<std::string> simCommands_;
};

} // namespace zul::app
