#pragma once
// The desktop program's windows on the same virtual time, scripted dialogs and
// simulated transmitter as the logic's fixture; Qt draws them offscreen. The
// widget headers every window test clicks through come with it.
#include "app/app_fixture.h"
#include "app/main_clock.h"
#include "windows/main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <map>

#include "support/fake_mqtt.h"
#include "support/qt_application.h"
#include "ui/desktop_program.h"
#include "ui/main_window.h"

namespace zul::test {

class UiFixture : public AppFixture {
protected:
    UiFixture() {
        qtApplication<QApplication>();
        app.reset(); // the program makes its own
        transmitter = nullptr;
        program = makeProgram();
    }
    ~UiFixture() override { program.reset(); }

    std::unique_ptr<ui::DesktopProgram> makeProgram() {
        app::Platform platform{clock, loop, dialogs, sound, desktop, [this](const std::string&) {
                                   auto t = std::make_unique<sim::SimulatedTransmitter>(clock, true);
                                   transmitter = t.get();
                                   return std::unique_ptr<LinePort>(std::move(t));
                               }};
        return std::make_unique<ui::DesktopProgram>(platform,
                                                    std::make_unique<IniSettingsStore>(home.config() / "settings.ini"),
                                                    fakeClientFactory(mqttBroker));
    }

    void startRunning(const std::string& port = "sim") {
        if (!port.empty()) presetRecord(270, port);
        program->start("", false);
        loop.runFor(2000);
        ASSERT_EQ(program->app().startup->phase(), app::Phase::Running);
    }

    ui::MainWindow& window() { return program->mainWindow(); }

    // Saves a picture of a window to <build>/screenshots/<name>.png.
    static void screenshot(QWidget& w, const std::string& name) {
        QApplication::processEvents();
        savePicture(w.grab(), name);
    }
    static void savePicture(const QPixmap& picture, const std::string& name) {
        const std::filesystem::path folder = std::filesystem::path(ZUL_BINARY_DIR) / "screenshots";
        std::filesystem::create_directories(folder);
        EXPECT_TRUE(picture.save(QString::fromStdString((folder / (name + ".png")).string())));
    }

    // A printer choice that prints to a PDF file (one in a missing folder: a printer that cannot start).
    static auto printTo(const std::string& pdf) {
        return [pdf](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(pdf));
            return true;
        };
    }

    // The Alt keys that more than one shown control of a window takes (buttons,
    // labels of a field, tabs): Qt then only moves between them.
    static std::string clashingAltKeys(QWidget& window) {
        std::map<QChar, QStringList> users;
        auto take = [&users](const QString& text) {
            const int at = QString(text).replace("&&", "__").indexOf('&');
            if (at >= 0 && at + 1 < text.size()) users[text.at(at + 1).toLower()] << text;
        };
        for (QWidget* w : window.findChildren<QWidget*>()) {
            if (!w->isVisibleTo(&window)) continue;
            if (auto* b = qobject_cast<QAbstractButton*>(w)) take(b->text());
            if (auto* l = qobject_cast<QLabel*>(w); l && l->buddy()) take(l->text());
            if (auto* t = qobject_cast<QTabBar*>(w))
                for (int i = 0; i < t->count(); ++i) take(t->tabText(i));
        }
        std::string clashes;
        for (const auto& [key, texts] : users)
            if (texts.size() > 1) clashes += texts.join(" / ").toStdString() + "; ";
        return clashes;
    }

    FakeBroker mqttBroker; // declared before the program, which uses it to its end
    std::unique_ptr<ui::DesktopProgram> program;
};

} // namespace zul::test
