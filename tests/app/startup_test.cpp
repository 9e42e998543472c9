#include <sys/stat.h>

#include "windows/main_window.h"
#include "app/port_keeper.h"
#include "support/sim/recording_line_port.h"
#include "app/startup.h"
#include "app/timers_switch.h"
#include "windows/timer_window.h"
#include "app_fixture.h"
#include "x10/port_link.h"

namespace zul::test {
namespace {

class StartupTest : public AppFixture {
protected:
    std::string setting(const SettingKey& key) { return app->settings.read(key).value_or("<none>"); }
};

TEST_F(StartupTest, EntryStoresItsSettingsAndTheFirstTickOpensThePort) {
    writeSetting(app->settings, Setting::AssociateMacros, "Yes");
    startRunning("sim");
    EXPECT_EQ(setting(Setting::Language), "English"); // no language.ini in the folder
    EXPECT_EQ(setting(Setting::AssociateMacros), "True");
    EXPECT_EQ(setting(Setting::CurrentVersion), ZUL_VERSION);
    EXPECT_TRUE(app->port.isOpen());
    EXPECT_TRUE(app->simulatorInUse());
    EXPECT_FALSE(app->records.readRecord(RecordNumber::FirstRun, true).empty());
    EXPECT_TRUE(desktop.hasLauncher(Launcher::DesktopFolder));
    EXPECT_TRUE(desktop.associated);
    EXPECT_EQ(windows.portDialogs, 0);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(StartupTest, NoPortSetShowsTheMessageAndThePortDialog) {
    app->startup->enter("");
    loop.runFor(2000);
    ASSERT_EQ(dialogs.count(ScriptedDialogs::Kind::Info), 1u);
    EXPECT_EQ(dialogs.last().text,
              "The communication port has not been set up.  Please select the port where your Firecracker is "
              "installed\n");
    EXPECT_EQ(dialogs.last().title, "Zulmarin");
    EXPECT_EQ(windows.portDialogs, 1);
    EXPECT_EQ(app->startup->phase(), app::Phase::Running);
}

// A settings file that cannot be read and a record store that cannot be
// opened are each said once, and neither is written over.
TEST_F(StartupTest, UnreadableSettingsAndRecordStoreAreSaidOnceAndLeftAlone) {
    namespace fs = std::filesystem;
    const fs::path settingsFile = home.config() / "settings.ini";
    ASSERT_EQ(::mkfifo(settingsFile.c_str(), 0600), 0);
    fs::create_directory(home.home() / "db.zld");
    app = makeApp();
    app->startup->enter("");
    loop.runFor(2000);
    EXPECT_EQ(dialogs.texts(ScriptedDialogs::Kind::Message),
              (std::vector<std::string>{"The settings could not be read:\n" + settingsFile.string() +
                                            ": it is a named pipe\nZulmarin runs on its default settings and "
                                            "leaves the file as it is.",
                                        "The record store cannot be opened: " + (home.home() / "db.zld").string() +
                                            ": it is a folder"}));
    EXPECT_EQ(dialogs.count(ScriptedDialogs::Kind::Info), 0u); // not "the port has not been set up"
    EXPECT_EQ(windows.portDialogs, 0);
    EXPECT_EQ(app->startup->phase(), app::Phase::Running);
    app->startup->exitProgram();
    EXPECT_TRUE(fs::is_fifo(settingsFile));
    EXPECT_TRUE(fs::is_directory(home.home() / "db.zld"));
    const auto logged = readErrorLog(app->errorLog.file()).entries;
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[0].message, settingsProblemText(app->settings, true));
    EXPECT_NE(logged[1].message.find("The record store cannot be opened"), std::string::npos);
}

TEST_F(StartupTest, ABusyPortIsTriedTwiceThenReported) {
    int opens = 0;
    app.reset();
    app::Platform platform{clock, loop, dialogs, sound, desktop, [&](const std::string&) {
                               auto port = std::make_unique<sim::RecordingLinePort>(clock);
                               port->failOpenWith(PortErrorKind::PortInUse, "busy");
                               ++opens;
                               return std::unique_ptr<LinePort>(std::move(port));
                           }};
    app = std::make_unique<app::App>(platform, std::make_unique<MemorySettings>());
    app->setWindows(&windows);
    presetRecord(270, "3");
    app->startup->enter("");
    loop.runFor(1000);
    EXPECT_EQ(opens, 2);
    ASSERT_EQ(dialogs.count(ScriptedDialogs::Kind::Info), 1u);
    EXPECT_EQ(dialogs.last().text,
              "Error: Unable to initialize the com port!\nThe com port is already in use.  You will need to close "
              "the program that currently has control of the port before ZUL will work properly.");
    EXPECT_EQ(windows.portDialogs, 1);
}

// A USB adapter unplugged while the program runs: the port is closed and
// said gone, and opened again by the same name once the adapter is back.
TEST_F(StartupTest, AnUnpluggedPortIsOpenedAgainOnceItIsBack) {
    bool plugged = true;
    class Adapter : public sim::RecordingLinePort {
    public:
        Adapter(const Clock& clock, const bool& plugged) : RecordingLinePort(clock), plugged_(plugged) {}
        PortError open(const std::string& name) override {
            if (!plugged_) return {PortErrorKind::InvalidPort, 8002, "No such device: " + name};
            return RecordingLinePort::open(name);
        }
        bool lost() const override { return isOpen() && !plugged_; }

    private:
        const bool& plugged_;
    };
    app.reset();
    app::Platform platform{clock,
                           loop,
                           dialogs,
                           sound,
                           desktop,
                           [&](const std::string&) {
                               return std::unique_ptr<LinePort>(std::make_unique<Adapter>(clock, plugged)); }};
    app = std::make_unique<app::App>(platform, std::make_unique<MemorySettings>());
    const std::string byId = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0";
    presetRecord(270, byId);
    startRunning("");
    std::vector<std::string> said;
    app::PortWatch watch(*app, [&](const std::string& line) { said.push_back(line); });
    watch.start();
    ASSERT_TRUE(app->port.isOpen());
    plugged = false;
    loop.runFor(app::PortWatch::CheckMs * 3);
    EXPECT_FALSE(app->port.isOpen());
    const std::string gone = "The transmitter's port " + byId + " has gone away; it is opened again when it is back.";
    EXPECT_EQ(app->portProblem, gone);
    EXPECT_NE(readErrorLog(app->errorLog.file()).entries.back().message.find(gone), std::string::npos);
    plugged = true;
    loop.runFor(app::PortWatch::CheckMs);
    EXPECT_TRUE(app->port.isOpen());
    EXPECT_EQ(app->port.portName(), byId);
    EXPECT_EQ(app->portProblem, "");
    EXPECT_EQ(said, (std::vector<std::string>{gone, "The transmitter's port " + byId + " is open again."}))
        << "once each";
}

TEST_F(StartupTest, AQuotedCroPathRunsOnceThePortIsOpenAndLaterOnesInOrder) {
    writeFile(home.home() / "Hall.CRO", "\"01100000000000000.50\"\r\n\"01100000001000000001\"\r\n");
    std::vector<std::string> run;
    app->startup->runMacro = [&](const std::filesystem::path& p, std::function<void()> finished,
                                 std::function<bool()>) {
        run.push_back(p.string());
        if (finished) finished();
    };
    presetRecord(270, "sim");
    const std::string path = (home.home() / "Hall.CRO").string();
    app->startup->enter("\"" + path + "\"");
    EXPECT_EQ(app->startup->command(), "");
    loop.runFor(300);
    EXPECT_TRUE(run.empty()); // still starting: the macro waits for the port
    loop.runFor(1000);
    EXPECT_EQ(run, (std::vector<std::string>{path}));
    // Macros arriving together all run, in order.
    app->startup->setCommand("/x/one.cro");
    app->startup->setCommand("/x/two.Cro");
    loop.runFor(200);
    EXPECT_EQ(run, (std::vector<std::string>{path, "/x/one.cro", "/x/two.Cro"}));
}

TEST_F(StartupTest, PreviousComesToTheFrontAndOtherCommandsAreHandledOrIgnored) {
    startRunning();
    app->startup->setCommand("previous");
    EXPECT_EQ(windows.fronts, 1);
    EXPECT_EQ(app->startup->command(), "");
    app->startup->setCommand("/tmp/remove.ZLU");
    EXPECT_EQ(windows.uninstallers, 1);
    app->startup->setCommand("notes.txt");
    EXPECT_EQ(app->startup->command(), "notes.txt");
    EXPECT_TRUE(app->startup->pendingMacros().empty());
    app->startup->dropFiles({"/home/me/Desktop/Lights.cro.lnk"});
    EXPECT_EQ(desktop.opened, (std::vector<std::string>{"/home/me/Desktop/Lights.cro.lnk"}));
    app->startup->dropFiles({"/x/dropped.cro", "/x/other.cro"});
    EXPECT_EQ(app->startup->pendingMacros().size(), 1u);
}

TEST_F(StartupTest, ShutdownStoresPositionAndStateButNotWhileMinimisedAndRestartsWhenAsked) {
    startRunning();
    windows.position = {1234, 567};
    windows.timers = true;
    int restarts = 0;
    app->startup->restartProgram = [&] { ++restarts; };
    app->restartMarked = true; // a restart asked for starts the program again at exit
    app->startup->exitProgram();
    EXPECT_EQ(restarts, 1);
    EXPECT_EQ(setting(Setting::Restart), "restart");
    EXPECT_EQ(setting(Setting::MainLeft), "1234");
    EXPECT_EQ(setting(Setting::MainTop), "567");
    EXPECT_EQ(setting(Setting::CurrentExePath), app->folder.string());
    EXPECT_EQ(app->startup->phase(), app::Phase::Ended);
    EXPECT_FALSE(app->records.isOpen());

    app = makeApp();
    app->startup->enter("");
    loop.runFor(2000);
    EXPECT_EQ(app->records.readRecord(RecordNumber::TimersSwitch, true), "1");
    windows.minimised = true;
    windows.position = {9, 9};
    app->startup->mainWindowClosed();
    EXPECT_EQ(setting(Setting::MainLeft), "1234");
}

// Exit asks about unsaved work before anything closes, and a Cancel keeps
// the program as it was; a stop signal asks nothing and says what was lost.
TEST_F(StartupTest, ExitAsksBeforeClosingAndAStopSignalAsksNothing) {
    windows.cancelExit = true;
    auto start = [&] {
        startRunning();
        ASSERT_TRUE(app::loadTimers(*app));
        app->timerWindow->typeEntry(0, "porch.cro");
    };
    start();
    EXPECT_FALSE(app->startup->exitProgram());
    EXPECT_EQ(app->startup->phase(), app::Phase::Running);
    EXPECT_FALSE(app->StopAll);
    EXPECT_NE(app->timers, nullptr);
    EXPECT_EQ(windows.closed + dialogs.count(ScriptedDialogs::Kind::Question), 0u);
    windows.cancelExit = false;
    dialogs.answers = {Answer::No};
    EXPECT_TRUE(app->startup->exitProgram());
    EXPECT_EQ(dialogs.texts(ScriptedDialogs::Kind::Question),
              std::vector<std::string>{"Save Changes to Timers before closing?"})
        << "asked once";
    EXPECT_EQ(windows.closed, 1);
    EXPECT_EQ(app->startup->phase(), app::Phase::Ended);

    app = makeApp();
    start();
    app->startup->stopNow();
    EXPECT_EQ(dialogs.count(ScriptedDialogs::Kind::Question), 1u);
    EXPECT_EQ(windows.kept, 1);
    EXPECT_EQ(app->startup->phase(), app::Phase::Ended);
    EXPECT_NE(readErrorLog(app->errorLog.file())
                  .entries.back()
                  .message.find("The changes to the timers were not saved: the program was stopped."),
              std::string::npos);
}

TEST_F(StartupTest, MinimiseOnStartKeepsTheWindowHidden) {
    writeSetting(app->settings, Setting::MinOnStart, "True");
    startRunning();
    EXPECT_EQ(windows.mainWindowShown, 0);
    EXPECT_EQ(windows.minimisedAtStart, 1);
}

} // namespace
} // namespace zul::test
