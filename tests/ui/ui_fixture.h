#pragma once
// The desktop program's windows on virtual time with scripted dialogs and a
// simulated transmitter; QT_QPA_PLATFORM=offscreen renders them off screen.
#include "app/app_fixture.h"
#include "app/main_clock.h"
#include "app/main_window_logic.h"

#include <QApplication>
#include <QDir>
#include <QWidget>
#include <filesystem>

#include "ui/desktop_program.h"
#include "ui/main_window.h"

namespace zul::test {

inline QApplication& qtApplication() {
    // Windows render off screen: there is no display to draw on.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "test_ui";
    static char* argv[] = {name, nullptr};
    // Never destroyed: tearing Qt down after the other statics of the test
    // program have gone crashes in the input-device cleanup.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

class UiFixture : public ::testing::Test {
protected:
    UiFixture() {
        qtApplication();
        program = makeProgram();
    }
    ~UiFixture() override { program.reset(); }

    std::unique_ptr<ui::DesktopProgram> makeProgram() {
        app::Platform platform{clock, loop, dialogs, sound, desktop, [this](const std::string&) {
                                   auto t = std::make_unique<sim::SimulatedTransmitter>(clock, true);
                                   transmitter = t.get();
                                   return std::unique_ptr<LinePort>(std::move(t));
                               }};
        return std::make_unique<ui::DesktopProgram>(
            platform, std::make_unique<IniSettingsStore>(home.config() / "settings.ini"));
    }

    void presetRecord(int number, const std::string& text) {
        RecordStore store;
        ASSERT_TRUE(store.open(home.home() / "db.zld"));
        ASSERT_TRUE(store.WriteRecord(number, text, true).ok);
    }

    void startRunning(const std::string& port = "sim") {
        if (!port.empty()) presetRecord(270, port);
        program->start("", false);
        loop.runFor(2000);
        ASSERT_EQ(app().startup->phase(), app::Phase::Running);
    }

    app::App& app() { return program->app(); }
    ui::MainWindow& window() { return program->mainWindow(); }
    std::vector<std::string> sent() const { return transmitter ? transmitter->commands() : std::vector<std::string>{}; }

    // Saves a picture of a window to <build>/screenshots/<name>.png.
    static void screenshot(QWidget& w, const std::string& name) {
        const std::filesystem::path folder = std::filesystem::path(ZUL_BINARY_DIR) / "screenshots";
        std::filesystem::create_directories(folder);
        QApplication::processEvents();
        EXPECT_TRUE(w.grab().save(QString::fromStdString((folder / (name + ".png")).string())));
    }

    ScopedHome home;
    sim::VirtualClock clock{DateTime{2024, 6, 3, 12, 0, 0, 0}};
    sim::VirtualEventLoop loop{clock};
    ScriptedDialogs dialogs;
    RecordingSound sound;
    RecordingDesktop desktop;
    sim::SimulatedTransmitter* transmitter = nullptr;
    std::unique_ptr<ui::DesktopProgram> program;
};

} // namespace zul::test
