// The macro windows driven as a user would: keys and clicks on the real
// widgets, what reaches the simulated transmitter and the files.
#include "ui_fixture.h"

#include <QPainter>
#include <QRadioButton>
#include <QScreen>
#include <QTableWidget>

#include "app/groups_panel.h"
#include "windows/macro_setup_window.h"
#include "macros/group_file.h"
#include "ui/group_setup_tab.h"
#include "ui/macro_editor_tab.h"
#include "ui/macro_manager_tab.h"
#include "ui/macro_setup_window.h"
#include "ui/pause_dialog.h"
#include "ui/print_preview.h"
#include "ui/progress_window.h"
#include "ui/run_macro_window.h"

namespace zul::test {
namespace {

using windows::EditBox;
using Kind = ScriptedDialogs::Kind;

// Macro lines (quoted, CR LF) of rows whose codes are known.
std::string line(const std::string& code, const std::string& pause) { return "\"" + code + pause + "\"\r\n"; }
const std::string A1On = "0110000000000000", C12On = "0100010000011000", BDim = "0111000010011000",
                  KAuf = "1100000010000000", A9Off = "0110010000100000", A3On = "0110000000001000", AAln = "0110000010010000";

class MacroWindowsTest : public UiFixture {
protected:
    ui::MacroSetupWindow& setup() { return program->macroSetup(); }
    ui::MacroEditorTab& editor() { return setup().editorTab(); }

    void openSetup(int tab) {
        startRunning();
        program->app().windows().showMacroSetup(tab, -1);
        ASSERT_TRUE(setup().isVisible());
    }

    // Types a row the way a user does: each box, Enter, on to the next; Enter
    // on the entry mode puts the row in. The boxes still hold the selected
    // row's values: what is typed replaces them.
    void typeRow(const char* house, const char* unit, const char* action, const char* pause) {
        const char* texts[] = {house, unit, action, pause};
        const windows::EditBox boxes[] = {windows::EditBox::House, windows::EditBox::Unit, windows::EditBox::Action, windows::EditBox::Pause};
        editor().box(windows::EditBox::House)->setFocus();
        editor().box(windows::EditBox::House)->selectAll();
        for (int i = 0; i < 4; ++i) {
            QLineEdit* box = editor().box(boxes[i]);
            ASSERT_EQ(setup().focusWidget(), box) << "Enter moves on box by box";
            QTest::keyClicks(box, texts[i]);
            QTest::keyClick(box, Qt::Key_Return);
        }
        QWidget* focused = setup().focusWidget();
        ASSERT_TRUE(qobject_cast<QRadioButton*>(focused)) << "Enter in the pause box moves on to the entry mode";
        QTest::keyClick(focused, Qt::Key_Return);
    }

    void selectLine(int row) { editor().grid()->setCurrentCell(row, 0); }

    void saveAs(const std::string& name) {
        dialogs.files.push_back((home.home() / name).string());
        QTest::mouseClick(editor().saveAsButton(), Qt::LeftButton);
    }

    void chooseInList(QListWidget* list, const QString& name) {
        const auto found = list->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        list->setCurrentItem(found.front());
    }

    QColor cellColour(int row, windows::GridColumn column) {
        return editor().grid()->item(row, int(column))->background().color();
    }
};

TEST_F(MacroWindowsTest, RowsTypedInEachEntryModeAreSavedByteForByte) {
    openSetup(0);
    editor().modeButton(int(windows::EntryMode::AddToEnd))->click();
    typeRow("a", "1", "n", "5");
    typeRow("c", "12", "on", ".3");
    typeRow("b", "3", "d", "1,5"); // D is DIM, which takes PRE; the comma is kept as typed
    ASSERT_EQ(editor().grid()->rowCount(), 3);
    EXPECT_EQ(editor().grid()->item(2, 1)->text(), "PRE");
    EXPECT_EQ(editor().grid()->item(2, 5)->text(), "6.8");
    EXPECT_EQ(editor().timeLabel()->text(), "6.8 sec");
    saveAs("modes.cro");
    EXPECT_EQ(readFile(home.home() / "modes.cro"), line(A1On, "0005") + line(C12On, "00.3") + line(BDim, "01,5"));

    // Each row goes in at the selected line and becomes the selected one.
    editor().modeButton(int(windows::EntryMode::AddAsRowNum))->click();
    selectLine(1);
    typeRow("k", "a", "auf", "125");
    typeRow("A", "9", "f", "0.1");
    // Replace Selected overwrites the selected line.
    editor().modeButton(int(windows::EntryMode::ReplaceSelected))->click();
    selectLine(3);
    typeRow("a", "3", "on", "2");
    selectLine(4);
    typeRow("a", "a", "aln", "1");
    QTest::mouseClick(editor().saveButton(), Qt::LeftButton);
    EXPECT_EQ(readFile(home.home() / "modes.cro"),
              line(A1On, "0005") + line(A9Off, "00.3") + line(KAuf, "0125") + line(A3On, "0002") + line(AAln, "0001"));
    EXPECT_EQ(setup().statusLine()->text().left(16), "Save Successful:");
    EXPECT_EQ(dialogs.count(Kind::SaveFile), 1u);

    // A long name: the window keeps its width, the status line its place, and
    // the whole text is in the line's tool tip.
    const int wide = setup().frameGeometry().width();
    saveAs(std::string(247, 'n') + ".cro");
    QApplication::processEvents();
    EXPECT_EQ(setup().frameGeometry().width(), wide);
    EXPECT_EQ(setup().statusLine()->toolTip(), setup().statusLine()->text());
    EXPECT_EQ(setup().statusLine()->text(), "File Save successful: (" + QString(247, 'n') + ".cro)");
    screenshot(setup(), "editor_long_name");
}

TEST_F(MacroWindowsTest, ARecordedMacroComesFromTheMainWindowsButtons) {
    openSetup(0);
    QTest::mouseClick(editor().recordButton(), Qt::LeftButton);
    EXPECT_EQ(editor().recordButton()->text(), "Stop");
    EXPECT_TRUE(window().recordingIndicator()->isVisible());
    QTest::mouseClick(window().onButton(2), Qt::LeftButton);
    QTest::mouseClick(window().allLightsOn(), Qt::LeftButton);
    QTest::mouseClick(editor().recordButton(), Qt::LeftButton);
    EXPECT_FALSE(program->app().mainWindow->recording());
    EXPECT_EQ(sent(), (std::vector<std::string>{"A3 ON", "A ALN"})) << "sent while recorded";
    saveAs("recorded.cro");
    EXPECT_EQ(readFile(home.home() / "recorded.cro"), line(A3On, "0005") + line(AAln, "0005"));
}

TEST_F(MacroWindowsTest, FixItPaintsWhatItCannotRepairAndTestMacroPlaysTheFile) {
    writeFile(home.home() / "hall.cro",
              line(A1On, "0005") + line(C12On, "0000") + "\"garbage\"\r\n" + line(A3On, "0002"));
    openSetup(0);
    chooseInList(setup().macroList(), "hall.cro");
    QTest::keyClick(setup().macroList(), Qt::Key_Return);
    ASSERT_EQ(editor().grid()->rowCount(), 4);
    EXPECT_EQ(dialogs.count(Kind::Message), 1u) << "the line that is no command is named";
    EXPECT_EQ(cellColour(2, windows::GridColumn::House), QColor(0xFF, 0x80, 0x80));
    EXPECT_EQ(cellColour(0, windows::GridColumn::RowNum), QColor(0xFF, 0xE0, 0xC0));
    EXPECT_EQ(cellColour(0, windows::GridColumn::Running), QColor(0xC0, 0xC0, 0xFF));

    // Quick edit puts DIM on the first row, Fix it gives it PRE; the zero
    // pause becomes "error" and stays red.
    editor().setQuickEditOpen(true);
    editor().grid()->setCurrentCell(0, int(windows::GridColumn::Action));
    editor().clickQuickCode("DIM");
    QTest::mouseClick(editor().fixItButton(), Qt::LeftButton);
    EXPECT_EQ(editor().grid()->item(0, 1)->text(), "PRE");
    EXPECT_EQ(editor().grid()->item(1, 3)->text(), "error");
    EXPECT_EQ(cellColour(1, windows::GridColumn::Pause), QColor(0xFF, 0x80, 0x80));
    EXPECT_EQ(cellColour(0, windows::GridColumn::Unit), QColor(Qt::white));
    // The Delete key removes the selected row.
    editor().grid()->setCurrentCell(2, 0);
    QTest::keyClick(editor().grid(), Qt::Key_Delete);
    ASSERT_EQ(editor().grid()->rowCount(), 3);
    EXPECT_EQ(editor().grid()->item(2, 0)->text(), "A");
    EXPECT_EQ(setup().statusLine()->text(), "Row 3 deleted!");
    screenshot(setup(), "macro_editor");

    // Test Macro plays the file as saved (its pauses: the window logic's test).
    setup().logic().testSpeedSeconds = 1;
    QTest::mouseClick(setup().testButton(), Qt::LeftButton);
    EXPECT_EQ(transmitter->decoder().texts(),
              (std::vector<std::string>{"lead-in", "A1 ON", "C12 ON", "A3 ON", "trailer", "trailer"}));
    EXPECT_TRUE(setup().testButton()->isEnabled());

    // Closing with the changes asks; Cancel keeps the window.
    dialogs.answers.push_back(Answer::Cancel);
    QTest::mouseClick(setup().okButton(), Qt::LeftButton);
    EXPECT_TRUE(setup().isVisible());
    EXPECT_EQ(dialogs.last().title, "Save Changes to Macro?");
    QTest::mouseClick(setup().cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(setup().isVisible());
    EXPECT_FALSE(readSetting(program->app().settings, Setting::MacroSetupLeft).empty());
}

TEST_F(MacroWindowsTest, AGroupIsRecordedSavedAndPlayedFromTheGroupsPanel) {
    startRunning();
    QTest::mouseClick(window().groupsToggle(), Qt::LeftButton);
    QTest::mouseClick(window().setupGroupsButton(), Qt::LeftButton);
    ui::GroupSetupTab& groups = setup().groupTab();
    ASSERT_EQ(setup().tabs()->currentIndex(), int(windows::MacroSetupWindowForm::GroupsTab));
    groups.groupList()->setCurrentRow(1);
    EXPECT_FALSE(groups.deleteButton()->isEnabled()) << "group 2 has no file yet";
    QTest::keyClicks(groups.labelBox(), "Hall");
    QTest::mouseClick(groups.recordButton(), Qt::LeftButton);
    EXPECT_EQ(groups.recordButton()->text(), "Cancel Rec");
    QTest::mouseClick(window().onButton(0), Qt::LeftButton);
    window().houseBox()->setCurrentIndex(2);
    program->app().mainWindow->selectHouse(2);
    QTest::mouseClick(window().pageButton(), Qt::LeftButton);
    QTest::mouseClick(window().onButton(3), Qt::LeftButton);
    QTest::mouseClick(window().offButton(3), Qt::LeftButton); // not a group item
    EXPECT_EQ(groups.recordedList()->count(), 2);
    screenshot(setup(), "group_setup");
    QTest::mouseClick(groups.saveButton(), Qt::LeftButton);
    EXPECT_EQ(readFile(home.home() / "file1.grp"), "\"Group 2, Hall\"\r\n" + line(A1On, "") + line(C12On, ""));
    EXPECT_EQ(groups.contentsBox()->text(), "A1, C12");
    EXPECT_EQ(program->app().groups->label(1), "Hall");
    EXPECT_TRUE(groups.deleteButton()->isEnabled());
    EXPECT_EQ(groups.groupList()->item(1)->text(), "Group 2 (Hall)");

    transmitter->decoder().clear();
    QTest::mouseClick(window().groupButton(1, false), Qt::LeftButton);
    EXPECT_EQ(transmitter->decoder().texts(), (std::vector<std::string>{"A1 OFF", "C12 OFF"}));
}

TEST_F(MacroWindowsTest, BackupAllThenRestoreOne) {
    for (const char* name : {"porch.cro", "hall.cro", "wake.cro"}) writeFile(home.home() / name, line(A1On, "0005"));
    openSetup(2);
    ui::MacroManagerTab& manager = setup().managerTab();
    EXPECT_FALSE(manager.restoreButton()->isEnabled());
    QTest::mouseClick(manager.backupAllButton(), Qt::LeftButton);
    ui::ProgressWindow& progress = setup().progressWindow();
    EXPECT_TRUE(progress.isVisible());
    EXPECT_EQ(progress.messageLabel()->text(), "Backup Complete\n\n3 file(s) copied");
    ASSERT_TRUE(manager.restoreButton()->isEnabled());

    writeFile(home.home() / "hall.cro", "changed");
    QTest::mouseClick(manager.restoreButton(), Qt::LeftButton);
    ASSERT_TRUE(manager.backupList()->isVisible());
    EXPECT_EQ(manager.restoreButton()->text(), "Cancel Restore");
    chooseInList(manager.backupList(), "hall.cro");
    EXPECT_EQ(manager.statusLabel()->text(), "BACKUP  hall.cro");
    screenshot(setup(), "macro_manager");
    QTest::keyClick(manager.backupList(), Qt::Key_Return);
    EXPECT_EQ(readFile(home.home() / "hall.cro"), line(A1On, "0005"));
    EXPECT_EQ(manager.statusLabel()->text(), "RESTORED FROM BACKUP  hall.cro");
    EXPECT_FALSE(manager.backupList()->isVisible());
    QApplication::processEvents();
    EXPECT_LT(manager.statusLabel()->height(), manager.height() / 4)
        << "the status stays a line at the top without the list";

    // The Delete key in either list asks as "Delete Macro" does.
    QApplication::setActiveWindow(&setup());
    auto pressDelete = [&](QListWidget* list, const QString& name) {
        chooseInList(list, name);
        list->setFocus();
        dialogs.answers.push_back(Answer::Yes);
        QTest::keyClick(list, Qt::Key_Delete);
    };
    pressDelete(setup().macroList(), "wake.cro");
    EXPECT_EQ(dialogs.last().text, "Are you sure you want to delete the selected file?");
    EXPECT_FALSE(std::filesystem::exists(home.home() / "wake.cro"));
    QTest::mouseClick(manager.restoreButton(), Qt::LeftButton);
    pressDelete(manager.backupList(), "porch.cro");
    EXPECT_EQ(dialogs.last().text, "Are you sure you want to delete the selected BACKUP file?");
    EXPECT_FALSE(std::filesystem::exists(home.home() / "backup" / "porch.cro"));
    EXPECT_TRUE(std::filesystem::exists(home.home() / "porch.cro"));
}

TEST_F(MacroWindowsTest, PreviewAndPrintThroughTheChosenPrinter) {
    writeFile(home.home() / "wake.cro", line(A1On, "0005") + line(C12On, "00.3"));
    openSetup(2);
    chooseInList(setup().macroList(), "wake.cro");
    setup().previewMacro();
    ui::PrintPreview& preview = setup().preview();
    ASSERT_TRUE(preview.isVisible());
    const QString text = preview.text();
    EXPECT_TRUE(text.startsWith("\n   wake.cro\n\t\t\t\t\t\t\t\tTotal\n"));
    EXPECT_TRUE(text.contains("\t 2 \tC  \t12 \tON \t\t00.3\t\t5.3\n"));
    EXPECT_TRUE(text.contains("   Total Runtime =  5.3 sec\n"));
    EXPECT_FALSE(setup().logic().editor.grid().hasContent()) << "the manage tab clears the editor again";
    screenshot(preview, "print_preview");

    const std::string pdf = (home.home() / "wake.pdf").string();
    setup().choosePrinter = printTo(pdf);
    QTest::mouseClick(preview.printButton(), Qt::LeftButton);
    EXPECT_EQ(readFile(pdf).substr(0, 5), "%PDF-");

    // A printer that cannot start is reported; nothing else changes.
    setup().choosePrinter = printTo("/nonexistent/folder/wake.pdf");
    QTest::mouseClick(preview.printButton(), Qt::LeftButton);
    EXPECT_EQ(dialogs.last().title, "Error");
    EXPECT_EQ(dialogs.last().text, "1: The printer could not be started.");
}

TEST_F(MacroWindowsTest, TheRunWindowPlaysAMacroAtOnce) {
    writeFile(home.home() / "wake.cro", line(A1On, "0005") + line(C12On, "00.3"));
    writeFile(home.home() / "away.cro", line(A3On, "0001"));
    startRunning();
    QTest::mouseClick(window().macrosButton(), Qt::LeftButton);
    ui::RunMacroWindow& run = program->runMacro();
    ASSERT_TRUE(run.isVisible());
    ASSERT_EQ(run.list()->count(), 2);
    EXPECT_EQ(run.list()->item(0)->text(), "away.cro");
    run.list()->setCurrentRow(1);
    screenshot(run, "run_macro");
    // Away started while wake plays waits for it, and the main window says so.
    std::string waiting;
    loop.afterMs(1000, [&] {
        QTest::mouseClick(window().macrosButton(), Qt::LeftButton);
        run.list()->setCurrentRow(0);
        QTest::keyClick(run.list(), Qt::Key_Return);
    });
    loop.afterMs(1600, [&] { waiting = window().statusLine()->text().toStdString(); });
    QTest::keyClick(run.list(), Qt::Key_Return);
    EXPECT_FALSE(run.isVisible());
    EXPECT_NE(waiting.find("away.cro waits for wake.cro to end"), std::string::npos) << waiting;
    EXPECT_EQ(transmitter->decoder().texts(),
              (std::vector<std::string>{"lead-in", "A1 ON", "C12 ON", "trailer", "trailer", "lead-in", "A3 ON",
                                        "trailer", "trailer"}));

    // By the main window at the right edge of the screen, it opens on its left, on the screen.
    const QRect screen = window().screen()->availableGeometry();
    window().move(screen.right() + 1 - window().frameGeometry().width(), screen.top() + 40);
    QTest::mouseClick(window().macrosButton(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(screen.contains(run.frameGeometry())) << "on the screen";
    EXPECT_FALSE(run.frameGeometry().intersects(window().frameGeometry())) << "beside the main window";
    QPixmap desk(screen.size());
    desk.fill(QColor(0x2e, 0x34, 0x40));
    QPainter painter(&desk);
    for (QWidget* w : {static_cast<QWidget*>(&window()), static_cast<QWidget*>(&run)})
        painter.drawPixmap(w->geometry().topLeft() - screen.topLeft(), w->grab());
    painter.end();
    savePicture(desk, "run_window_edge");
}

TEST_F(MacroWindowsTest, TheSecondsCalculatorFillsThePauseBox) {
    openSetup(0);
    ui::PauseDialog& calc = setup().pauseDialog();
    QTimer::singleShot(0, &calc, [&] {
        QTest::keyClicks(calc.minutesBox(), "1");
        QTest::keyClick(calc.minutesBox(), Qt::Key_Return);
        calc.secondsBox()->clear();
        QTest::keyClicks(calc.secondsBox(), "30.5");
        calc.sameBox()->setChecked(false);
        screenshot(calc, "pause_time");
        QTest::keyClick(calc.secondsBox(), Qt::Key_Return);
    });
    QLineEdit* pause = editor().box(windows::EditBox::Pause);
    QTest::keyClick(pause, Qt::Key_Return); // empty: the calculator opens
    EXPECT_FALSE(calc.isVisible());
    EXPECT_EQ(pause->text(), "90.5");
    EXPECT_FALSE(setup().logic().editor.fastRecord) << "recording now asks for a pause per command";
}

} // namespace
} // namespace zul::test
