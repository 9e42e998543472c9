#include "ui/desktop_program.h"

#include <QApplication>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QSplashScreen>
#include <QTimer>
#include <iostream>
#include <unistd.h>

#include "app/instance_message.h"
#include "app/groups_panel.h"
#include "app/main_clock.h"
#include "app/main_macro.h"
#include "app/main_window_logic.h"
#include "app/startup.h"
#include "platform/qt/line_port_factory.h"
#include "platform/qt/posix_thread_priority.h"
#include "platform/qt/qt_desktop.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_event_loop.h"
#include "platform/qt/qt_sound_player.h"
#include "platform/qt/single_instance.h"
#include "platform/system_clock.h"
#include "settings/paths.h"
#include "ui/delay_dialog.h"
#include "ui/main_window.h"
#include "ui/port_setup_dialog.h"

namespace zul::ui {

namespace {
QPixmap splashPicture() {
    QPixmap pixmap(380, 170);
    QPainter p(&pixmap);
    QLinearGradient g(0, 0, 0, 170);
    g.setColorAt(0, QColor(0x1f, 0x3a, 0x5f));
    g.setColorAt(1, QColor(0x0d, 0x1b, 0x2a));
    p.fillRect(pixmap.rect(), g);
    p.setPen(Qt::white);
    QFont title = p.font();
    title.setPointSize(26);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(0, 30, 380, 60), Qt::AlignCenter, "Zulmarin");
    QFont small = p.font();
    small.setPointSize(10);
    small.setBold(false);
    p.setFont(small);
    p.drawText(QRect(0, 95, 380, 30), Qt::AlignCenter, QString("X10 home control  \u00b7  version ") + ZUL_VERSION);
    return pixmap;
}
} // namespace

DesktopProgram::DesktopProgram(app::Platform platform, std::unique_ptr<SettingsBackend> settings)
    : app_(std::make_unique<app::App>(std::move(platform), std::move(settings))) {
    main_ = std::make_unique<MainWindow>(*app_);
    port_ = std::make_unique<PortSetupDialog>(*app_, main_.get());
    delay_ = std::make_unique<DelayDialog>(*app_, main_.get());
    bindHooks();
}

DesktopProgram::~DesktopProgram() {
    // The windows go first; nothing of the logic may call them after that.
    app_->hooks = {};
    app_->onSimulatorCommand = nullptr;
    app_->mainWindow->changed = nullptr;
    app_->groups->changed = nullptr;
    app_->mainClock->changed = nullptr;
    app_->startup->setTimersOn = nullptr;
    app_->startup->timersOn = nullptr;
    app_->startup->showSplash = nullptr;
    app_->startup->minimizeAtStart = nullptr;
    splash_.reset();
    delay_.reset();
    port_.reset();
    main_.reset();
}

void DesktopProgram::bindHooks() {
    app::App& a = *app_;
    MainWindow* w = main_.get();
    a.processId = static_cast<long>(::getpid());
    a.hooks.showPortDialog = [this] { port_->open(); };
    a.hooks.showMainWindow = [this, w] {
        w->placeFromSettings();
        w->show();
    };
    a.hooks.hideMainWindow = [w] { w->hide(); };
    a.hooks.bringToFront = [w] {
        if (w->isMinimized()) w->showNormal();
        w->show();
        w->raise();
        w->activateWindow();
    };
    a.hooks.mainWindowVisible = [w] { return w->isVisible() && !w->isMinimized(); };
    a.hooks.mainWindowMinimized = [w] { return w->isMinimized(); };
    a.hooks.mainWindowPosition = [w] { return w->positionTwips(); };
    a.hooks.closeWindows = [this, w] {
        port_->hide();
        delay_->hide();
        w->close();
    };
    a.hooks.quit = [] { QCoreApplication::quit(); };
    a.hooks.askDelay = [this] { return delay_->ask(); };
    a.startup->runMacro = [&a](const std::filesystem::path& file) { app::CroSend(a, file); };
    a.startup->minimizeAtStart = [w] { w->showMinimized(); };
    a.startup->showSplash = [this] { showSplash(); };
}

void DesktopProgram::showSplash() {
    splash_ = std::make_unique<QSplashScreen>(splashPicture());
    splash_->show();
    QTimer::singleShot(750, main_.get(), [this] {
        app_->startup->loadMainWindow();
        QTimer::singleShot(250, main_.get(), [this] {
            if (splash_) splash_->close();
        });
    });
}

void DesktopProgram::start(const std::string& commandLine, bool splash) {
    if (!splash) app_->startup->showSplash = nullptr;
    app_->startup->enter(commandLine);
}

int runDesktop(int argc, char** argv, const std::vector<std::string>& args) {
    QApplication qtApp(argc, argv);
    QApplication::setApplicationName("Zulmarin");
    QApplication::setQuitOnLastWindowClosed(false);
    qt::SingleInstance instance(qt::SingleInstance::defaultName(), qt::SingleInstance::defaultLockFile());
    const std::string text = app::handOffText(args);
    if (!instance.claim()) {
        if (qt::SingleInstance::sendToRunning(qt::SingleInstance::defaultName(), text)) return 0;
        std::cerr << "zulmarin: another copy is running but does not answer\n";
        return 1;
    }
    SystemClock clock;
    qt::QtEventLoop loop;
    qt::QtDialogs dialogs;
    qt::QtSoundPlayer sound;
    qt::QtDesktop desktop;
    qt::PosixThreadPriority priority;
    app::Platform platform{clock, loop, dialogs, sound, desktop,
                           [&clock](const std::string& name) { return qt::makeLinePort(name, clock); }, &priority};
    DesktopProgram program(platform);
    // On the real clock each line state ends in a short busy wait, so it lasts
    // its full time without the sleeps' overshoot stretching every frame.
    program.app().transmitter.setSpinMicros(x10::RealTimeSpinMicros);
    instance.onMessage = [&program](const std::string& message) { program.app().startup->setCommand(message); };
    program.app().startup->restartProgram = [&instance] {
        instance.release();
        const auto exe = executableFolder() / "zulmarin";
        qt::QtDesktop().startProgram(exe.string(), {});
    };
    program.start(args.empty() ? std::string() : text, true);
    return QApplication::exec();
}

} // namespace zul::ui
