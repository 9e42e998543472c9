#include "ui_fixture.h"

#include "app/unit_descriptions.h"

#include <QGroupBox>
#include <QProcess>
#include <QRadioButton>
#include <QSplashScreen>

#include "macros/group_file.h"
#include "settings/error_log.h"
#include "settings/instance_paths.h"
#include "support/fake_devices.h"
#include "ui/macro_setup_window.h"
#include "handoff/hand_off_desk.h"
#include "platform/qt/single_instance.h"
#include "app/groups_panel.h"
#include "ui/delay_dialog.h"
#include "ui/group_setup_tab.h"
#include "ui/macro_setup_window.h"
#include "ui/port_setup_dialog.h"
#include "ui/widgets.h"

namespace zul::test {
namespace {

class MainWindowTest : public UiFixture {};

TEST_F(MainWindowTest, ButtonsPageAndHouseBoxDriveWhatIsSent) {
    startRunning();
    ASSERT_TRUE(window().isVisible());
    QTest::mouseClick(window().onButton(2), Qt::LeftButton);
    EXPECT_EQ(sent(), (std::vector<std::string>{"A3 ON"}));
    EXPECT_FALSE(program->app().mainClock->lampLit()); // the release put the lamp out
    EXPECT_NE(window().statusLine()->text().indexOf("A3 ON"), -1);

    // Held, BRI repeats until released (how often: the window logic's test).
    QPushButton* bri = window().brightButton();
    loop.afterMs(1000, [bri] { QTest::mouseRelease(bri, Qt::LeftButton); });
    QTest::mousePress(bri, Qt::LeftButton);
    EXPECT_EQ(sent().back(), "A BRI");
    EXPECT_FALSE(program->app().mainWindow->held());

    QTest::mouseClick(window().pageButton(), Qt::LeftButton);
    QTest::mouseClick(window().offButton(2), Qt::LeftButton);
    EXPECT_EQ(sent().back(), "A11 OFF");
    EXPECT_EQ(window().pageButton()->text(), "Units 9-16");
    window().houseBox()->setFocus();
    QTest::keyClick(window().houseBox(), Qt::Key_D);
    QTest::mouseClick(window().onButton(7), Qt::LeftButton);
    EXPECT_EQ(sent().back(), "D16 ON");
}

TEST_F(MainWindowTest, ADescriptionIsEditedWithEnterAndKept) {
    startRunning();
    ui::DescriptionField* field = window().description(0);
    QTest::mouseDClick(field->label(), Qt::LeftButton);
    ASSERT_TRUE(field->editing());
    field->editor()->clear();
    QTest::keyClicks(field->editor(), "Garden pump");
    // The choice beside the box: an appliance, switched and never dimmed.
    EXPECT_FALSE(field->choice()->isChecked());
    QTest::keyClick(field->editor(), Qt::Key_Tab);
    ASSERT_EQ(window().focusWidget(), field->choice());
    QTest::keyClick(field->choice(), Qt::Key_Space);
    EXPECT_TRUE(field->choice()->isChecked());
    screenshot(window(), "main_description_editing");
    QTest::keyClick(field->choice(), Qt::Key_Return);
    EXPECT_FALSE(field->editing());
    EXPECT_EQ(field->text(), "Garden pump");
    EXPECT_TRUE(program->app().descriptions->appliance({1, 1}));

    // Opened again, the box shows the choice; too long a text brings a
    // message, and the box stays open with the text in it.
    QTest::mouseDClick(field->label(), Qt::LeftButton);
    EXPECT_TRUE(field->choice()->isChecked());
    field->editor()->setText(QString(260, 'x'));
    QTest::keyClick(field->editor(), Qt::Key_Return);
    EXPECT_TRUE(field->editing());
    EXPECT_EQ(field->editor()->text().size(), 260);
    EXPECT_EQ(dialogs.count(ScriptedDialogs::Kind::Message), 1u);
    QTest::keyClick(field->editor(), Qt::Key_Escape);
    EXPECT_EQ(field->text(), "Garden pump");
}

TEST_F(MainWindowTest, StartingWithoutAPortShowsTheMessageAndThePortDialog) {
    TempDir machine; // its /dev and /sys
    makeSerialDevices(machine.path());
    program->portDialog().devicesRoot = machine.path();
    program->start("", false);
    loop.runFor(2000);
    EXPECT_EQ(dialogs.count(ScriptedDialogs::Kind::Info), 1u);
    ui::PortSetupDialog& port = program->portDialog();
    ASSERT_TRUE(port.isVisible());
    EXPECT_EQ(port.statusLabel()->text(), "Com port is not set!");
    screenshot(port, "port_setup");

    // Choosing the simulator opens it at once; the main window can test it.
    port.choiceButton(windows::PortSetupDialogForm::Choice::Simulator)->click();
    QTest::mouseClick(port.applyButton(), Qt::LeftButton);
    EXPECT_TRUE(port.isVisible());
    EXPECT_EQ(port.statusLabel()->text(), "Currently set to the simulator");
    QTest::mouseClick(window().allLightsOn(), Qt::LeftButton);
    EXPECT_EQ(sent(), (std::vector<std::string>{"A ALN"}));
    QTest::mouseClick(port.okButton(), Qt::LeftButton);
    EXPECT_FALSE(port.isVisible());

    // The machine's ports are offered by the names their makers gave them;
    // an adapter is kept by its by-id name.
    program->app().windows().showPortDialog();
    ASSERT_EQ(port.foundButtons().size(), 4u) << "Com 1 stands for ttyS0";
    EXPECT_EQ(port.foundButtons()[0]->text(), "FTDI FT232R USB UART (/dev/ttyUSB0)");
    EXPECT_EQ(port.choiceButton(windows::PortSetupDialogForm::Choice::Com1)->toolTip(), "Built-in serial port (Com 1) (/dev/ttyS0)");
    port.foundButtons()[0]->click();
    screenshot(port, "port_setup_ports");
    QTest::mouseClick(port.okButton(), Qt::LeftButton);
    EXPECT_EQ(program->app().records.readRecord(270, true), std::string("/dev/serial/by-id/") + kFtdiById);
    // Plugged in again elsewhere, "Look again" finds it and keeps it chosen.
    std::filesystem::remove(machine / "dev/serial/by-id" / kFtdiById);
    plugAdapter(machine.path(), kFtdiById, "ttyUSB3");
    sysTty(machine.path(), "ttyUSB3", "FT232R USB UART", "FTDI");
    QTest::mouseClick(port.lookAgainButton(), Qt::LeftButton);
    EXPECT_TRUE(port.foundButtons()[0]->isChecked());
    EXPECT_EQ(port.foundButtons()[0]->text(), "FTDI FT232R USB UART (/dev/ttyUSB3)");
}

// The splash shows from the start until the main window does, 1.25 s later
// (750 ms to load it, 500 ms to the first afterStart tick): the screen is
// never empty in between. Started minimised, it goes when the window would show.
TEST_F(MainWindowTest, TheSplashStaysUntilTheMainWindowIsShown) {
    auto splash = [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* s = qobject_cast<QSplashScreen*>(w)) return s;
        return static_cast<QSplashScreen*>(nullptr);
    };
    presetRecord(270, "sim");
    program->start("", true);
    QSplashScreen* shown = splash();
    ASSERT_TRUE(shown && shown->isVisible());
    int elapsed = 0;
    for (; elapsed < 2000 && !window().isVisible(); elapsed += 10) {
        ASSERT_TRUE(shown->isVisible()) << "nothing on screen " << elapsed << " ms after the start";
        loop.runFor(10);
    }
    EXPECT_EQ(elapsed, 1250);
    EXPECT_FALSE(shown->isVisible());

    program.reset();
    program = makeProgram();
    writeSetting(program->app().settings, Setting::MinOnStart, "True");
    program->start("", true);
    loop.runFor(1240);
    ASSERT_TRUE(splash() && splash()->isVisible());
    loop.runFor(10);
    EXPECT_FALSE(splash()->isVisible());
    EXPECT_FALSE(window().isVisible());
}

TEST_F(MainWindowTest, AutoOffAsksForTheDelayThenSwitchesTheGroupOff) {
    macros::writeGroupFile(home.home() / "file0.grp", 1, "Porch", {"0110000000000000"});
    startRunning();
    ui::DelayDialog& delay = program->delayDialog();
    QTimer::singleShot(0, &delay, [&delay] {
        QTest::keyClicks(delay.minutesBox(), "x1"); // the letter is refused
        QTest::keyClick(delay.minutesBox(), Qt::Key_Return);
        delay.secondsBox()->clear();
        QTest::keyClicks(delay.secondsBox(), "5");
        QTest::keyClick(delay.secondsBox(), Qt::Key_Return);
    });
    const auto started = clock.monotonicMicros();
    program->app().groups->runner().autoOff(0);
    EXPECT_EQ(delay.result(), 65);
    EXPECT_EQ(sent(), (std::vector<std::string>{"A1 ON", "A1 OFF"}));
    EXPECT_GE(clock.monotonicMicros() - started, 65000000);
}

// Exit with unsaved rows in the editor asks once; Cancel leaves every window
// as it was. A stop signal asks nothing and keeps the rows beside the macro.
TEST_F(MainWindowTest, ExitWithUnsavedEditorWork) {
    auto typeRow = [this] {
        program->app().windows().showMacroSetup(0, -1);
        auto& editor = program->macroSetup().logic().editor;
        editor.boxes = windows::EditBoxes{"A", "1", "ON", "1"};
        ASSERT_TRUE(editor.enter());
    };
    startRunning();
    typeRow();
    dialogs.answers = {Answer::Cancel};
    EXPECT_FALSE(window().close()) << "the window's close button is Exit";
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(program->macroSetup().isVisible());
    EXPECT_EQ(program->app().startup->phase(), app::Phase::Running);
    dialogs.answers = {Answer::No};
    EXPECT_TRUE(program->app().startup->exitProgram());
    EXPECT_EQ(dialogs.texts(ScriptedDialogs::Kind::Question).size(), 2u) << "once for each Exit";
    EXPECT_FALSE(program->macroSetup().isVisible());
    EXPECT_FALSE(window().isVisible());
    EXPECT_EQ(program->app().startup->phase(), app::Phase::Ended);

    program = makeProgram();
    startRunning();
    typeRow();
    program->stop();
    EXPECT_EQ(dialogs.texts(ScriptedDialogs::Kind::Question).size(), 2u);
    EXPECT_EQ(program->app().startup->phase(), app::Phase::Ended);
    EXPECT_EQ(readFile(home.home() / "Unsaved macro (recovered).cro"), "\"01100000000000000001\"\r\n");
    EXPECT_NE(readErrorLog(program->app().errorLog.file()).entries.back().message.find("Unsaved macro (recovered).cro"),
              std::string::npos);
}

TEST_F(MainWindowTest, ScreenshotsAndTheGroupLabels) {
    macros::writeGroupFile(home.home() / "file0.grp", 1, "Porch and path", {"0110000000000000"});
    macros::writeGroupFile(home.home() / "file1.grp", 2, "Upstairs hall & stairs lights", {"0110000000000000"});
    macros::writeGroupFile(home.home() / "file2.grp", 3, "Living room", {"0110000000010000"});
    presetRecord(2, "A2## Hall ceiling");
    presetRecord(5, "A5## Kitchen counter");
    presetRecord(11, "A11## Garage door light");
    startRunning();
    window().resize(window().sizeHint());
    const int narrow = window().width();
    screenshot(window(), "main_units_1_8");
    // The blinking "Recording" badge leaves the status text where it is.
    const int textAt = window().statusLine()->mapTo(&window(), QPoint()).x();
    program->app().mainWindow->setRecording(true);
    QApplication::processEvents();
    EXPECT_EQ(window().statusLine()->mapTo(&window(), QPoint()).x(), textAt);
    program->app().mainWindow->setRecording(false);
    QTest::mouseClick(window().pageButton(), Qt::LeftButton);
    screenshot(window(), "main_units_9_16");
    QTest::mouseClick(window().groupsToggle(), Qt::LeftButton);
    EXPECT_TRUE(window().groupsPanel()->isVisible());
    EXPECT_EQ(program->app().records.readRecord(273, true), "1");
    window().resize(window().sizeHint());
    screenshot(window(), "main_groups_open");
    QTest::mouseClick(window().groupsToggle(), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window().width() == narrow; }, 2000)) << "as narrow as before the groups";
    QTest::mouseClick(window().groupsToggle(), Qt::LeftButton);

    // A label too long for the panel is cut off there and whole in its tool tip.
    ui::ElidingLabel* hall = window().groupLabel(1);
    EXPECT_TRUE(hall->cutOff()) << hall->text().toStdString();
    EXPECT_TRUE(hall->text().endsWith(QChar(0x2026)));
    EXPECT_EQ(hall->toolTip(), "Upstairs hall & stairs lights\nDouble Click to change or update");
    EXPECT_FALSE(window().groupLabel(0)->cutOff());
    // A double click on an unlabelled group's label opens the group editor on that group.
    QTest::mouseDClick(window().groupLabel(3), Qt::LeftButton);
    ASSERT_TRUE(program->macroSetup().isVisible());
    EXPECT_EQ(program->macroSetup().groupTab().groupList()->currentRow(), 3);
}

// Two real processes: this one is the running copy, the program binary the
// second start, which ends once the macro has been played.
TEST_F(MainWindowTest, ASecondStartHandsItsMacroToTheRunningCopy) {
    const QString binary = QString(ZUL_BINARY_DIR) + "/zulmarin";
    if (!QFile::exists(binary)) GTEST_SKIP() << "the program is not built";
    std::string error;
    const auto paths = instancePaths(error);
    ASSERT_TRUE(paths) << error;
    qt::SingleInstance instance(*paths);
    ASSERT_TRUE(instance.claim());
    instance.onMessage = [this](const std::string& text, qt::SingleInstance::Reply reply) {
        program->handOff().receive(text, std::move(reply));
    };
    startRunning();
    writeFile(home.home() / "Porch.cro", "\"01100000000000000.50\"\r\n");

    QProcess second;
    second.setWorkingDirectory(QString::fromStdString(home.home().string()));
    second.start(binary, {"Porch.cro"});
    ASSERT_TRUE(second.waitForStarted(5000));
    for (int i = 0; i < 400 && second.state() != QProcess::NotRunning; ++i) {
        QApplication::processEvents();
        loop.runFor(25);
        second.waitForFinished(10);
    }
    ASSERT_EQ(second.state(), QProcess::NotRunning);
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    EXPECT_EQ(sent(), (std::vector<std::string>{"A1 ON"}));
}

} // namespace
} // namespace zul::test
