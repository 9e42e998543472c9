#include "ui_fixture.h"

#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QWindow>

#include "windows/main_window_menu.h"
#include "app/timers_switch.h"
#include "timers/timer_log.h"
#include "timers/timer_service.h"
#include "ui/preferences_window.h"
#include "ui/timer_log_window.h"
#include "ui/timer_window.h"
#include "ui/widgets.h"

namespace zul::test {
namespace {

const char* const kEmptyRow = "\"**not set\"\r\n";

class TimerWindowsTest : public UiFixture {
protected:
    ui::TimerWindow& timers() { return program->timerWindow(); }
    ui::TimerLogWindow& timerLog() { return program->timerLogWindow(); }

    void startWithMacros() {
        writeFile(home.home() / "porch.cro", "\"01100000000000000001\"\r\n\"01100000001000000001\"\r\n");
        writeFile(home.home() / "hall.cro", "\"01110000000100000001\"\r\n");
        writeFile(home.home() / "loop.cro", "\"01000000000010000002\"\r\n");
        startRunning();
        writeSetting(program->app().settings, Setting::CityLatitude, "52.52");
        writeSetting(program->app().settings, Setting::CityLongitude, "-13.4");
        writeSetting(program->app().settings, Setting::CityZone, "-1");
        windows::runMenuEntry(program->app(), windows::MenuId::SetupTimer);
        ASSERT_TRUE(timers().isVisible());
    }
    void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }
    void chooseDays(ui::ColourLabel* label, int rule) {
        click(label);
        ASSERT_NE(timers().daysList(), nullptr);
        timers().daysList()->actions().at(rule)->trigger();
    }
    std::string file() const { return readFile(home.home() / "tmrdat.zul"); }
    // Two views of one window in one picture.
    static void saveSideBySide(const QPixmap& left, const QPixmap& right, const std::string& name) {
        QPixmap both(left.width() + right.width() + 12, std::max(left.height(), right.height()));
        both.fill(Qt::white);
        QPainter p(&both);
        p.drawPixmap(0, 0, left);
        p.drawPixmap(left.width() + 12, 0, right);
        p.end();
        savePicture(both, name);
    }
    // The timer window with a pop-up list open on it.
    void screenshotWithPopup(QWidget& popup, const std::string& name) {
        QApplication::processEvents();
        QPixmap picture = timers().grab();
        QPainter p(&picture);
        p.drawPixmap(timers().mapFromGlobal(popup.pos()), popup.grab());
        p.end();
        savePicture(picture, name);
    }
};

TEST_F(TimerWindowsTest, TimersMadeInTheWindowAreSavedByteExactWithTheDaysList) {
    startWithMacros();
    ASSERT_TRUE(timers().selectMacro("porch.cro"));
    timers().pickerField(0)->setValue(19);
    timers().pickerField(1)->setValue(29);
    QTest::keyClick(timers().pickerField(1), Qt::Key_Up);
    timers().pickerField(2)->setValue(0);
    click(timers().row(0).put);
    EXPECT_EQ(timers().row(0).start->text(), "19:30:00");
    EXPECT_EQ(timers().row(0).days->text(), "Everyday");

    // A sunset timer: the macro by "M", the start typed, the days from the list.
    ASSERT_TRUE(timers().selectMacro("hall.cro"));
    click(timers().row(1).macro);
    timers().manualBox()->setChecked(true);
    QTest::keyClicks(timers().row(1).start, "SS+30");
    click(timers().row(1).days);
    // "Fri & Sat" shows as written: its "&" marks no keyboard shortcut.
    EXPECT_EQ(timers().daysList()->actions().at(3)->iconText(), "Fri & Sat");
    screenshotWithPopup(*timers().daysList(), "days_list");
    timers().daysList()->close();
    chooseDays(timers().row(1).days, 2);
    EXPECT_EQ(timers().row(1).days->text(), "Weekends");
    click(timers().applyButton());
    std::string expected = "\"porch.cro*19:30:00*Everyday\"\r\n\"hall.cro*SS+30*Weekends\"\r\n";
    for (int i = 0; i < 4; ++i) expected += kEmptyRow;
    EXPECT_EQ(file(), expected);
    EXPECT_EQ(dialogs.count(ScriptedDialogs::Kind::Info), 0u);
}

TEST_F(TimerWindowsTest, RowsGrowToEightAndShrinkBack) {
    startWithMacros();
    writeFile(home.home() / "expand.wav", "RIFF");
    const std::size_t sounds = sound.played.size();
    // Resized as the window manager does for the user (not while it is being shown).
    int wider = 0;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            timers().windowHandle()->resize(timers().width() + (++wider % 2 ? 40 : -40), timers().height());
            return sound.played.size() > sounds;
        },
        3000))
        << "the resize sound";
    EXPECT_EQ(sound.played.size(), sounds + 1) << "once for one resize";
    click(timers().addButton());
    click(timers().addButton());
    ASSERT_EQ(timers().rows(), 8);
    EXPECT_EQ(timers().row(7).put->text(), "8-->");
    EXPECT_EQ(timers().addButton()->toolTip(), "Add a new timer! (Timer 9)");
    EXPECT_EQ(timerLog().statusModel()->rowCount(), 8);

    dialogs.answers = {Answer::Yes, Answer::Yes};
    click(timers().removeButton());
    click(timers().removeButton());
    EXPECT_EQ(timers().rows(), 6);
    EXPECT_FALSE(timers().removeButton()->isEnabled());
    // Closing with the change unsaved asks; Yes writes six rows.
    dialogs.answers = {Answer::Yes};
    timers().close();
    EXPECT_FALSE(timers().isVisible());
    std::string six;
    for (int i = 0; i < 6; ++i) six += kEmptyRow;
    EXPECT_EQ(file(), six);

    // Cancel drops rows added since the last save.
    windows::runMenuEntry(program->app(), windows::MenuId::SetupTimer);
    click(timers().addButton());
    click(timers().cancelButton());
    EXPECT_EQ(timers().rows(), 6);
    EXPECT_FALSE(timers().isVisible());
    EXPECT_EQ(file(), six);
}

// With 100 timers and busy runners a status change repaints its own line:
// the view is never laid out again for it. What the log gained while the
// window was hidden shows when it comes back.
TEST_F(TimerWindowsTest, AStatusChangeTouchesOneLineAndAHiddenLogCatchesUp) {
    startWithMacros();
    for (int i = 0; i < 94; ++i) click(timers().addButton());
    windows::runMenuEntry(program->app(), windows::MenuId::TimerStatus);
    ui::TimerStatusModel* model = timerLog().statusModel();
    ASSERT_EQ(model->rowCount(), 100);
    QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(model, &QAbstractItemModel::modelReset);
    TimerLog& log = program->app().timers->log();
    log.setStatus(57, "Timer 58 : (porch.cro)", 0xFFFF00);
    log.setStatus(57, "Timer 58 : (porch.cro)", 0xFFFF00); // unchanged: nothing to draw
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).value<QModelIndex>().row(), 57);
    EXPECT_EQ(reset.count(), 0);

    click(timerLog().viewButton());
    log.append("first");
    timerLog().hide();
    ASSERT_EQ(log.clear(), std::error_code());
    log.append("second");
    timerLog().show();
    EXPECT_EQ(timerLog().logBox()->toPlainText(), "\nsecond");
}

TEST_F(TimerWindowsTest, TheMasterSwitchAndTheSoundBoxesAreSharedWithTheRestOfTheProgram) {
    startWithMacros();
    EXPECT_EQ(window().timersToggle()->text(), "&Timers OFF");
    click(timers().masterBox());
    EXPECT_EQ(window().timersToggle()->text(), "&Timers ON");
    EXPECT_EQ(timers().windowTitle(), "   Setup Timers  -- Timers are Enabled!");
    click(window().timersToggle());
    EXPECT_FALSE(timers().masterBox()->isChecked());
    EXPECT_TRUE(timers().isVisible()); // the shown window keeps the timers loaded

    QCheckBox* startSound = timers().startSoundBox();
    ASSERT_TRUE(startSound->isChecked()); // never stored: ticked
    click(startSound);
    EXPECT_EQ(program->app().settings.read(Setting::TimerStartSoundOn), "0");

    // A choice made in another window shows here at once, and the other way round.
    windows::runMenuEntry(program->app(), windows::MenuId::SetupSounds);
    ui::PreferencesWindow& prefs = program->preferences();
    auto clickCaption = [](QCheckBox* box) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(20, box->height() / 2));
    };
    EXPECT_FALSE(prefs.timerSoundBox()->isChecked());
    clickCaption(prefs.timerSoundBox());
    EXPECT_TRUE(startSound->isChecked());
    QCheckBox* tips = prefs.optionBox(app::Option::ToolTips);
    clickCaption(tips);
    EXPECT_TRUE(timers().addButton()->toolTip().isEmpty());
    EXPECT_TRUE(timerLog().clearButton()->toolTip().isEmpty());
    windows::runMenuEntry(program->app(), windows::MenuId::ShowToolTips);
    EXPECT_TRUE(tips->isChecked());
    EXPECT_EQ(timers().addButton()->toolTip(), "Add a new timer! (Timer 7)");
    windows::runMenuEntry(program->app(), windows::MenuId::ShortcutStartup);
    EXPECT_TRUE(prefs.optionBox(app::Option::AutoStart)->isChecked());
    windows::runMenuEntry(program->app(), windows::MenuId::RemoveShortcutStartup);
    EXPECT_FALSE(prefs.optionBox(app::Option::AutoStart)->isChecked());
}

TEST_F(TimerWindowsTest, ManualRunAndTheLoopTimerReachTheSimulatedTransmitter) {
    startWithMacros();
    QListWidget* list = timers().macroList();
    ASSERT_TRUE(timers().selectMacro("porch.cro"));
    const QPoint at = list->visualItemRect(list->currentItem()).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(transmitter->decoder().texts(),
              (std::vector<std::string>{"lead-in", "A1 ON", "A1 OFF", "trailer", "trailer"}));

    // The loop timer: its macro, its days, enabled; it plays in virtual time.
    ASSERT_TRUE(timers().selectMacro("loop.cro"));
    click(timers().loopPutButton());
    chooseDays(timers().loopDaysLabel(), 0);
    click(timers().loopEnableBox());
    EXPECT_TRUE(timers().loopEnableBox()->isChecked());
    loop.runFor(5000);
    const auto s = sent();
    EXPECT_GE(std::count(s.begin(), s.end(), "C3 ON"), 2);

    // Right clicks on the main window hand commands to the list, chosen at once.
    QTest::mouseClick(window().onButton(1), Qt::RightButton);
    EXPECT_EQ(list->currentItem()->text(), "A 2 On");
    click(timers().row(3).put);
    EXPECT_EQ(timers().row(3).entry->text(), "A 2 On");

    // Three timers, one at sunset, and the loop timer for the picture.
    ASSERT_TRUE(timers().selectMacro("porch.cro"));
    click(timers().row(0).put);
    ASSERT_TRUE(timers().selectMacro("hall.cro"));
    click(timers().row(1).macro);
    timers().manualBox()->setChecked(true);
    QTest::keyClicks(timers().row(1).start, "SS+30");
    chooseDays(timers().row(1).days, 0);
    timers().resize(timers().sizeHint());
    screenshot(timers(), "timer_window");
}

TEST_F(TimerWindowsTest, TheLogWindowFollowsARunClearsPrintsSavesAndOpensTheLog) {
    startWithMacros();
    timers().close();
    click(window().timersToggle());
    ASSERT_TRUE(app::timersOn(program->app()));
    auto& table = program->app().timers->table();
    const char* const timers[][2] = {{"porch.cro", "12:00:05"}, {"gone.cro", "12:00:07"}};
    for (int i = 0; i < 2; ++i) {
        table.setEntry(i, timers[i][0]);
        table.setStart(i, timers[i][1]);
        table.setDays(i, DaysRule::Everyday);
    }
    windows::runMenuEntry(program->app(), windows::MenuId::TimerStatus);
    ASSERT_TRUE(timerLog().isVisible());
    loop.runFor(12000);
    EXPECT_EQ(sent(), (std::vector<std::string>{"A1 ON", "A1 OFF"}));

    // The status view: one coloured line per timer, repainted line by line.
    ui::TimerStatusModel* model = timerLog().statusModel();
    ASSERT_EQ(model->rowCount(), 6);
    EXPECT_TRUE(model->data(model->index(0), Qt::DisplayRole).toString().contains("Ended"));
    EXPECT_EQ(model->data(model->index(0), Qt::BackgroundRole).value<QColor>(), QColor(255, 0, 0));
    EXPECT_TRUE(model->data(model->index(1), Qt::DisplayRole).toString().contains("File Not Found!"));
    timerLog().resize(620, 420);
    QApplication::processEvents();
    const QPixmap statusView = timerLog().grab();

    click(timerLog().viewButton());
    ASSERT_TRUE(timerLog().logBox()->isVisible());
    QApplication::processEvents();
    saveSideBySide(statusView, timerLog().grab(), "timer_log");
    const QString shown = timerLog().logBox()->toPlainText();
    EXPECT_TRUE(shown.contains("Timer 1 : (porch.cro)\n\t: Started - 2024-06-03 12:00:05"));
    EXPECT_TRUE(shown.contains("   Timer 1: Ended - 2024-06-03 12:00:0"));

    // Print: to a PDF here; a printer that fails is reported and the log is kept.
    const auto pdf = home.home() / "log.pdf";
    timerLog().choosePrinter = printTo(pdf.string());
    click(timerLog().printButton());
    EXPECT_EQ(readFile(pdf).substr(0, 5), "%PDF-");
    timerLog().choosePrinter = printTo("/nonexistent/folder/log.pdf");
    click(timerLog().printButton());
    ASSERT_EQ(dialogs.count(ScriptedDialogs::Kind::Message), 1u);
    EXPECT_EQ(dialogs.last().text,
              "The log could not be printed.\nThe printer could not be started.\nThe log is kept.");

    dialogs.inputs = {std::string("Timer")};
    click(timerLog().saveAsButton());
    const std::string saved = readFile(home.home() / "Timer.log");
    EXPECT_NE(saved.find("Started - 2024-06-03 12:00:05"), std::string::npos);
    click(timerLog().clearButton());
    EXPECT_TRUE(timerLog().logBox()->toPlainText().isEmpty());
    click(timerLog().openButton());
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(desktop.opened.back(), (home.home() / "TimerLog.log").string());
    desktop.noProgram = true;
    click(timerLog().openButton());
    EXPECT_EQ(dialogs.last().text,
              "No program could open the auto saved log:\n" + (home.home() / "TimerLog.log").string());
}

} // namespace
} // namespace zul::test
