#include "ui/desktop_program.h"

#include <QApplication>
#include <QFont>
#include <QSysInfo>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPainter>
#include <QSplashScreen>
#include <QTimer>
#include <iostream>
#include <unistd.h>

#include "handoff/hand_off_desk.h"
#include "handoff/instance_message.h"
#include "app/groups_panel.h"
#include "app/main_clock.h"
#include "app/main_macro.h"
#include "windows/main_window.h"
#include "app/port_keeper.h"
#include "app/startup.h"
#include "mqtt/bridge.h"
#include "mqtt/mosquitto/mosquitto_client.h"
#include "mqtt/mqtt_settings_page.h"
#include "web/page_assets.h"
#include "web/qt/qt_http_server.h"
#include "web/qt/qt_key_derivation.h"
#include "web/web_remote.h"
#include "platform/qt/line_port_factory.h"
#include "platform/qt/posix_thread_priority.h"
#include "platform/qt/qt_desktop.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_event_loop.h"
#include "platform/qt/qt_sound_player.h"
#include "platform/qt/single_instance.h"
#include "platform/qt/stop_signals.h"
#include "platform/system_clock.h"
#include "platform/text.h"
#include "settings/instance_paths.h"
#include "settings/paths.h"
#include "windows/preferences_window.h"
#include "ui/delay_dialog.h"
#include "ui/macro_setup_window.h"
#include "ui/run_macro_window.h"
#include "ui/favourites_window.h"
#include "ui/help_window.h"
#include "ui/info_windows.h"
#include "ui/main_window.h"
#include "ui/mqtt_settings_page.h"
#include "ui/web_remote_page.h"
#include "ui/port_setup_dialog.h"
#include "ui/preferences_window.h"
#include "ui/screen_keeper.h"
#include "ui/tool_tip_gate.h"
#include "ui/tray.h"
#include "ui/widgets.h"
#include "ui/timer_log_window.h"
#include "ui/timer_window.h"

namespace zul::ui {

namespace {
void sayOnStandardError(const std::string& line) { std::cerr << "zulmarin: " << line << "\n"; }

QPixmap splashPicture() {
    QPixmap pixmap(380, 170);
    QPainter p(&pixmap);
    QLinearGradient g(0, 0, 0, 170);
    g.setColorAt(0, QColor(0x1f, 0x3a, 0x5f));
    g.setColorAt(1, QColor(0x0d, 0x1b, 0x2a));
    p.fillRect(pixmap.rect(), g);
    p.drawPixmap(24, 20, programIcon().pixmap(56, 56));
    p.setPen(Qt::white);
    QFont title = p.font();
    title.setPointSize(26);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(60, 18, 320, 60), Qt::AlignCenter, "Zulmarin");
    QFont small = p.font();
    small.setPointSize(10);
    small.setBold(false);
    p.setFont(small);
    p.drawText(QRect(0, 95, 380, 30), Qt::AlignCenter, QString("X10 home control  \u00b7  version ") + ZUL_VERSION);
    p.drawText(QRect(0, 125, 380, 24), Qt::AlignCenter, "Loading...");
    return pixmap;
}
} // namespace

DesktopProgram::DesktopProgram(app::Platform platform, std::unique_ptr<SettingsBackend> settings,
                               mqtt::ClientFactory mqttClients)
    : screenKeeper_(std::make_unique<ScreenKeeper>()),
      app_(std::make_unique<app::App>(std::move(platform), std::move(settings))) {
    main_ = std::make_unique<MainWindow>(*app_);
    port_ = std::make_unique<PortSetupDialog>(*app_, main_.get());
    delay_ = std::make_unique<DelayDialog>(*app_, main_.get());
    macroSetup_ = std::make_unique<MacroSetupWindow>(*app_);
    runMacro_ = std::make_unique<RunMacroWindow>(*app_, main_.get());
    timers_ = std::make_unique<TimerWindow>(*app_, main_.get());
    timerLog_ = std::make_unique<TimerLogWindow>(*app_, main_.get());
    if (!mqttClients) mqttClients = [] { return std::make_unique<mqtt::MosquittoClient>(); };
    const std::string host = QSysInfo::machineHostName().toStdString();
    bridge_ = std::make_unique<mqtt::MqttBridge>(*app_, mqttClients, mqtt::DeviceInfo{host, ZUL_VERSION});
    bridge_->logLine = sayOnStandardError;
    mqttForm_ = std::make_unique<mqtt::MqttSettingsForm>(app_->settings, app_->loop, mqttClients,
                                                         "zulmarin_test_" + std::to_string(::getpid()));
    mqttForm_->applied = [this] { bridge_->restart(); };
    keys_ = std::make_unique<web::qt::QtKeyDerivation>();
    remote_ = std::make_unique<web::WebRemote>(
        *app_, *bridge_, [] { return std::make_unique<web::qt::QtHttpServer>(); }, *keys_, web::pageAssets());
    webForm_ = std::make_unique<web::WebRemotePageForm>(app_->settings, *keys_, host);
    webForm_->applied = [this] { remote_->restart(); };
    bindStartup();
    bindDesktopWindows();
    auto* mqttPage = new MqttSettingsPage(*app_, *mqttForm_);
    mqttPage->bridgeStatus = [this] { return bridge_->status(); };
    bridge_->statusChanged = [mqttPage] { mqttPage->showStatus(); };
    prefs_->addMqttPage(mqttPage);
    auto* webPage = new WebRemotePage(*app_, *webForm_);
    webPage->remoteStatus = [this] { return remote_->status(); };
    remote_->statusChanged = [this, webPage] {
        sayOnStandardError(remote_->status());
        webPage->showStatus();
    };
    prefs_->addWebRemotePage(webPage);
    app::Startup& startup = *app_->startup;
    handOff_ = std::make_unique<app::HandOffDesk>(
        *app_, app::HandOffDesk::Hooks{[&startup] { return startup.phase() == app::Phase::Running; },
                                       [&startup](const std::string& text) -> std::optional<std::string> {
                                           startup.setCommand(text);
                                           return std::nullopt;
                                       },
                                       [this, &startup](const std::string& path, std::function<void()> done) {
                                           startup.setCommand(path, std::move(done), [this] {
                                               return handOff_ && handOff_->playingCallerGone();
                                           });
                                       }});
}

DesktopProgram::~DesktopProgram() {
    // The windows go first; nothing of the logic may call them after that.
    app_->setWindows(nullptr);
    // The bridge says goodbye to the broker while the program is still whole.
    remote_->statusChanged = nullptr;
    remote_.reset();
    bridge_->statusChanged = nullptr;
    bridge_.reset();
    handOff_.reset();
    portWatch_.reset();
    main_->minimizeRequested = nullptr;
    main_->timersChanged = nullptr;
    splashTick_.reset();
    splash_.reset();
    timerLog_.reset();
    timers_.reset();
    runMacro_.reset();
    macroSetup_.reset();
    tray_.reset();
    uninstall_.reset();
    about_.reset();
    help_.reset();
    favs_.reset();
    prefs_.reset();
    mqttForm_.reset();
    delay_.reset();
    port_.reset();
    main_.reset();
}

void DesktopProgram::bindStartup() {
    app::App& a = *app_;
    a.processId = static_cast<long>(::getpid());
    a.setWindows(this);
    a.startup->runMacro = [&a](const std::filesystem::path& file, std::function<void()> finished,
                               std::function<bool()> stopRequested) {
        app::croSend(a, file, std::move(finished), std::move(stopRequested));
    };
    a.startup->journal = sayOnStandardError;
    portWatch_ = std::make_unique<app::PortWatch>(a, sayOnStandardError);
}

// --- the main window and the start-up ------------------------------------------

void DesktopProgram::showMainWindow() {
    if (favs_ && favs_->isOpen()) {
        favs_->close(); // as the user closes it: the main window comes back
        return;
    }
    if (!mainPlaced_) main_->placeFromSettings();
    mainPlaced_ = true;
    bringUp(*main_);
}

void DesktopProgram::hideMainWindow() { main_->hide(); }

void DesktopProgram::bringToFront() {
    // The favourites stand in for the main window while they are open.
    QWidget* view = favs_ && favs_->isOpen() ? static_cast<QWidget*>(favs_.get()) : main_.get();
    if (tray_ && tray_->hiddenWindow() == view) return tray_->restore();
    bringUp(*view);
}

bool DesktopProgram::mainWindowVisible() const { return main_->isVisible() && !main_->isMinimized(); }
bool DesktopProgram::mainWindowMinimized() const { return main_->isMinimized(); }
std::optional<std::pair<int, int>> DesktopProgram::mainWindowPosition() const { return main_->positionTwips(); }
std::optional<bool> DesktopProgram::timersToggle() const { return main_->timersOn(); }
void DesktopProgram::setTimersToggle(bool on) { main_->setTimers(on); }

bool DesktopProgram::showSplash() {
    if (!splashWanted_) return false;
    splash_ = std::make_unique<QSplashScreen>(splashPicture());
    splash_->show();
    // The splash's own timer loads the main window; the splash closes when
    // the first afterStart tick shows it.
    splashTick_ = app_->loop.createTick("splash", SplashMs, [this] {
        splashTick_->setEnabled(false);
        app_->startup->loadMainWindow();
    });
    splashTick_->setEnabled(true);
    return true;
}

void DesktopProgram::closeSplash() {
    if (splash_) splash_->close();
}

void DesktopProgram::minimizeAtStart() { tray_->sendOrMinimize(main_.get()); }

// Remote commands are taken once the port is open, so none is lost.
void DesktopProgram::startupOver() {
    bridge_->start();
    remote_->start();
    portWatch_->start();
}

// --- closing -----------------------------------------------------------------

bool DesktopProgram::settleUnsavedWork() {
    // The editor first: its question has a Cancel, and nothing has closed yet.
    if (macroSetup_->isVisible() && !macroSetup_->logic().editor.settleChanges()) return false;
    if (prefs_->isVisible()) prefs_->close(); // asks about a changed location or sounds
    return true;
}

void DesktopProgram::keepUnsavedWork() {
    if (!macroSetup_->isVisible()) return;
    if (const std::string said = macroSetup_->logic().keepUnsavedWork(); !said.empty()) sayOnStandardError(said);
}

void DesktopProgram::closeWindows() {
    port_->hide();
    delay_->hide();
    runMacro_->hide();
    macroSetup_->closeByProgram();
    prefs_->hide();
    favs_->closeByProgram();
    help_->hide();
    about_->hide();
    uninstall_->hide();
    tray_->remove();
    main_->close();
}

void DesktopProgram::quit() {
    if (endsEventLoop_) QCoreApplication::exit(0);
}

// --- the other windows ---------------------------------------------------------

std::optional<int> DesktopProgram::askDelay() { return delay_->ask(); }
void DesktopProgram::showPortDialog() { port_->open(); }
void DesktopProgram::showRunMacro() { runMacro_->open(); }

void DesktopProgram::showMacroSetup(int tab, int group) {
    macroSetup_->open(windows::MacroSetupWindowForm::Tab(tab), group);
}

void DesktopProgram::showPreferences(int tab, const std::string& panicGroup) {
    prefs_->open(static_cast<windows::PreferencesTab>(tab), panicGroup);
}

void DesktopProgram::showFavourites() {
    favs_->open();
    main_->hide();
}

bool DesktopProgram::showHelp(const std::filesystem::path& page, const std::string& anchor) {
    help_->showPage(page, anchor);
    return true;
}

void DesktopProgram::showAbout() { about_->open(); }

void DesktopProgram::showUninstaller() {
    uninstall_->adjustSize();
    uninstall_->show();
    uninstall_->raise();
    uninstall_->activateWindow();
}

void DesktopProgram::refreshWindows() { main_->refresh(); }
void DesktopProgram::showTimerWindow() { timers_->open(); }
void DesktopProgram::showTimerLog() { timerLog_->open(); }
bool DesktopProgram::timerWindowShown() const { return timers_->isVisible(); }

void DesktopProgram::timersChanged(bool loaded) {
    timers_->attach(loaded);
    timerLog_->attach(loaded);
    main_->refreshTimers();
}

void DesktopProgram::bindDesktopWindows() {
    app::App& a = *app_;
    MainWindow* w = main_.get();
    QApplication::setWindowIcon(programIcon());
    // "Show Tool Tips" off hides every tip of every window at once.
    new ToolTipGate(
        w, [&a] { return a.showToolTips; }, true);
    prefs_ = std::make_unique<PreferencesWindow>(a, w);
    favs_ = std::make_unique<FavouritesWindow>(a);
    help_ = std::make_unique<HelpWindow>(a);
    about_ = std::make_unique<AboutWindow>(a, w);
    uninstall_ = std::make_unique<UninstallWindow>(a, w);
    tray_ = std::make_unique<Tray>(a, [w](QMenu* menu) { w->fillMenu(menu); });
    favs_->mainMenu = [w] { return w->buildMenu(); };
    favs_->showMainWindow = [this] { showMainWindow(); };
    favs_->sendToTray = [this](QWidget* window) { return tray_->send(window); };
    w->minimizeRequested = [this, w](bool toTray) {
        if (toTray || app_->minimizeToTray) {
            tray_->sendOrMinimize(w);
        } else {
            w->showMinimized();
            app_->sounds.play(SoundEvent::Resize);
        }
    };
    w->timersChanged = [this](bool on) { tray_->timersChanged(on); };
}

void DesktopProgram::stop() { app_->startup->stopNow(); }

void DesktopProgram::start(const std::string& commandLine, bool splash) {
    splashWanted_ = splash;
    app_->startup->enter(commandLine);
}

namespace {
// The text a start hands over: its command line, with a macro file's path
// made absolute (the running copy works in another folder).
std::string handOffTextOf(const std::vector<std::string>& args) {
    std::error_code ec;
    return app::withAbsoluteMacroPath(app::handOffText(args), std::filesystem::current_path(ec));
}

int handOver(const std::string& text, bool display, int argc, char** argv) {
    const auto say = [](const std::string& what) { std::cerr << "zulmarin: " << printable(what) << "\n"; };
    std::string problem;
    const auto paths = instancePaths(problem);
    const std::string error = qt::SingleInstance::handToRunningCopy(paths, problem, text, say).value_or("");
    if (error.empty()) return 0;
    say(error);
    if (display) {
        QApplication qtApp(argc, argv);
        QMessageBox::information(nullptr, "Zulmarin", QString::fromStdString(error));
    }
    return 1;
}
} // namespace

std::optional<int> handToRunningCopy(int argc, char** argv, const std::vector<std::string>& args, bool display) {
    std::string error;
    const auto paths = instancePaths(error);
    if (paths && !qt::SingleInstance::running(*paths)) return std::nullopt;
    return handOver(handOffTextOf(args), display, argc, argv);
}

int runDesktop(int argc, char** argv, const std::vector<std::string>& args) {
    // A stop signal before the program can take it waits, so it never kills
    // a program that holds the lock and the socket but is half set up.
    qt::HeldStopSignals held;
    std::string error;
    const auto paths = instancePaths(error);
    if (!paths) {
        std::cerr << "zulmarin: " << error << "\n";
        return 1;
    }
    const std::string text = handOffTextOf(args);
    std::optional<QApplication> qtApp(std::in_place, argc, argv);
    QApplication::setApplicationName("Zulmarin");
    QApplication::setQuitOnLastWindowClosed(false);
    qt::SingleInstance instance(*paths);
    if (!instance.claim()) {
        if (!instance.error().empty()) {
            std::cerr << "zulmarin: " << instance.error() << "\n";
            return 1;
        }
        qtApp.reset(); // a copy started meanwhile
        return handOver(text, true, argc, argv);
    }
    SystemClock clock;
    qt::QtEventLoop loop;
    qt::QtDialogs dialogs;
    qt::QtSoundPlayer sound;
    qt::QtDesktop desktop(shippedFile("zulmarin.svg"));
    qt::PosixThreadPriority priority;
    app::Platform platform{clock,    loop,
                           dialogs,  sound,
                           desktop,  [&clock](const std::string& name) { return qt::makeLinePort(name, clock); },
                           &priority};
    DesktopProgram program(platform);
    // On the real clock each line state ends in a short busy wait, so it lasts
    // its full time without the sleeps' overshoot stretching every frame.
    program.app().transmitter.setSpinMicros(x10::RealTimeSpinMicros);
    instance.onMessage = [&program](const std::string& message, qt::SingleInstance::Reply reply) {
        program.handOff().receive(message, std::move(reply));
    };
    program.app().startup->restartProgram = [&instance, &desktop] {
        instance.release();
        const auto exe = executableFolder() / "zulmarin";
        desktop.startProgram(exe.string(), {});
    };
    // SIGTERM and SIGINT end the program through Exit's closing, asking
    // nothing: positions saved, files closed, the socket removed. The end
    // leaves every event loop, a modal box's included, so nothing that waits
    // for an answer outlives the windows.
    program.endEventLoopOnQuit();
    qt::StopSignals stopSignals([&program](int) { program.stop(); });
    held.release();
    program.start(args.empty() ? std::string() : text, true);
    // A stop signal during a start-up message has ended the program already.
    const bool ended = program.app().startup->phase() == app::Phase::Ended;
    const int rc = ended ? 0 : QApplication::exec();
    instance.onMessage = nullptr;
    return rc;
}

} // namespace zul::ui
