#include "windows/macro_editor_tab.h"

#include <gtest/gtest.h>

#include "macros/macro_list.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"
#include "macros/samples.h"

namespace zul::macros {
namespace {

using test::readFile;
using test::ScriptedDialogs;
using test::TempDir;
using test::writeFile;
using Kind = ScriptedDialogs::Kind;
using samples::kTwoRowMacro;

class MacroEditorTest : public ::testing::Test {
protected:
    MacroEditorTest() : editor(dir.path(), dialogs, services()) {}

    windows::MacroEditorServices services() {
        windows::MacroEditorServices s;
        s.askPause = [this] { return askedPause; };
        s.samePause = [this] { return samePause; };
        s.playRecordSound = [this] { ++sounds; };
        s.recordingChanged = [this](bool on) { recordingEvents.push_back(on); };
        return s;
    }

    void type(const char* house, const char* unit, const char* action, const char* pause) {
        editor.boxes = windows::EditBoxes{house, unit, action, pause};
    }

    TempDir dir;
    ScriptedDialogs dialogs;
    std::optional<std::string> askedPause, samePause;
    int sounds = 0;
    std::vector<bool> recordingEvents;
    windows::MacroEditorTabForm editor;
};

TEST_F(MacroEditorTest, EnterRefusesWhatIsNotACommand) {
    type("A", "1", "ON", "");
    EXPECT_FALSE(editor.enter());
    EXPECT_EQ(dialogs.last().text, "All edit boxes must be filled in before a command is entered");
    type("A", "17", "ON", "5");
    EXPECT_FALSE(editor.enter());
    EXPECT_EQ(dialogs.last().text, "Unit Code must be 1 to 16 with ON and OFF.");
    editor.mode = windows::EntryMode::AddAsRowNum;
    type("A", "1", "ON", "5");
    EXPECT_FALSE(editor.enter());
    EXPECT_EQ(dialogs.last().text, "You must select a row first");
    EXPECT_FALSE(editor.dirty());
    EXPECT_FALSE(editor.grid().hasContent());
}

TEST_F(MacroEditorTest, SaveGoesThroughSaveAsAndWritesTheFileExactly) {
    type("a", "1", "n", "5");
    ASSERT_TRUE(editor.enter());
    type("c", "12", "on", ".3");
    ASSERT_TRUE(editor.enter());
    EXPECT_TRUE(editor.dirty());
    EXPECT_EQ(editor.timeLabel(), "5.3 sec");

    dialogs.files.push_back((dir / "two").string()); // the extension is added
    ASSERT_TRUE(editor.save());
    EXPECT_EQ(dialogs.last().kind, Kind::SaveFile);
    EXPECT_EQ(dialogs.last().title, "Save Macro As");
    EXPECT_EQ(readFile(dir / "two.cro"), kTwoRowMacro);
    EXPECT_EQ(editor.status(), "File Save successful: (two.cro)");
    EXPECT_FALSE(editor.dirty());
    EXPECT_EQ(editor.macroNames(), (std::vector<std::string>{"two.cro"}));

    // Save now writes the same file without a dialog.
    editor.selectRow(0);
    editor.mode = windows::EntryMode::ReplaceSelected;
    type("A", "1", "OFF", "5");
    ASSERT_TRUE(editor.enter());
    ASSERT_TRUE(editor.save());
    EXPECT_EQ(readFile(dir / "two.cro").substr(0, 24), "\"01100000001000000005\"\r\n");
    EXPECT_EQ(editor.status(), "Save Successful:  " + (dir / "two.cro").string());
    // A long name shows its last 45 characters.
    const auto deep = dir / "a folder with a long name" / "and another one";
    std::filesystem::create_directories(deep);
    dialogs.files.push_back((deep / "two.cro").string());
    ASSERT_TRUE(editor.saveAs());
    // The list shows the folder saved into, with the saved macro selected for Test and Run.
    EXPECT_EQ(editor.activeFolder(), deep);
    EXPECT_EQ(editor.selectedMacro, "two.cro");
    EXPECT_EQ(editor.playPath(), deep / "two.cro");
    ASSERT_TRUE(editor.save());
    EXPECT_EQ(editor.status(), "Save Successful:  ...lder with a long name/and another one/two.cro");

    // Save As onto an existing file asks; No leaves it alone and says so.
    writeFile(dir / "other.cro", "keep");
    dialogs.files.push_back((dir / "other.cro").string());
    dialogs.answers.push_back(Answer::No);
    EXPECT_FALSE(editor.saveAs());
    EXPECT_EQ(dialogs.last().text, "Are you sure you want to overwrite other.cro ?");
    EXPECT_EQ(readFile(dir / "other.cro"), "keep");
    EXPECT_EQ(editor.status(), "Not saved:  other.cro");
}

TEST_F(MacroEditorTest, UnsavedChangesAreNeverLostWithoutAQuestion) {
    type("A", "1", "ON", "5");
    ASSERT_TRUE(editor.enter());
    dialogs.answers.push_back(Answer::No);
    EXPECT_FALSE(editor.clearAllAsking());
    EXPECT_EQ(dialogs.last().title, "Clear All");
    EXPECT_EQ(dialogs.last().text, "The commands in the editor have not been saved.\nClear them anyway?");
    EXPECT_TRUE(editor.grid().hasContent());
    dialogs.answers.push_back(Answer::Cancel);
    EXPECT_FALSE(editor.settleChanges());
    EXPECT_EQ(dialogs.last().title, "Save Changes to Macro?");
    EXPECT_EQ(dialogs.last().text, "The commands in the editor have not been saved.\nSave changes before closing?");
    EXPECT_TRUE(dialogs.last().withCancel);

    writeFile(dir / "two.cro", kTwoRowMacro);
    dialogs.answers.push_back(Answer::No); // discards the typed row
    EXPECT_TRUE(editor.openFromList("two.cro"));
    EXPECT_EQ(dialogs.last().title, "Save Changes to Macro?");
    EXPECT_EQ(editor.grid().size(), 2);
    EXPECT_EQ(editor.selectedMacro, "two.cro");

    // Deleting a row, recording and fixing are changes too.
    editor.selectRow(1);
    editor.deleteRow();
    EXPECT_TRUE(editor.dirty());
    EXPECT_EQ(editor.status(), "Row 2 deleted!");
    dialogs.answers.push_back(Answer::Cancel);
    EXPECT_FALSE(editor.settleChanges());
    EXPECT_NE(dialogs.last().text.find("Click Yes to save changes to\n" + (dir / "two.cro").string() + "\n\n"),
              std::string::npos);
    dialogs.answers.push_back(Answer::Yes);
    EXPECT_TRUE(editor.settleChanges());
    EXPECT_EQ(readFile(dir / "two.cro"), kTwoRowMacro.substr(0, 24));

    // Stopped without a question, the unsaved rows go to a new file beside the macro.
    EXPECT_EQ(editor.keepUnsaved(), "");
    const std::size_t asked = dialogs.shown.size();
    type("C", "12", "ON", ".3");
    ASSERT_TRUE(editor.enter());
    EXPECT_EQ(editor.keepUnsaved(), "The unsaved changes to " + (dir / "two.cro").string() + " were kept in " +
                                        (dir / "two (recovered).cro").string() + " (2 row(s)).");
    EXPECT_EQ(readFile(dir / "two (recovered).cro"), kTwoRowMacro);
    EXPECT_EQ(readFile(dir / "two.cro"), kTwoRowMacro.substr(0, 24));
    editor.clearAll();
    type("A", "1", "ON", "5");
    ASSERT_TRUE(editor.enter());
    editor.keepUnsaved();
    EXPECT_EQ(readFile(dir / "Unsaved macro (recovered).cro"), kTwoRowMacro.substr(0, 24));
    ASSERT_TRUE(editor.enter());
    editor.keepUnsaved();
    EXPECT_TRUE(std::filesystem::exists(dir / "Unsaved macro (recovered 2).cro")) << "an earlier one is kept";
    EXPECT_EQ(dialogs.shown.size(), asked);
}

TEST_F(MacroEditorTest, ALineThatIsNoCommandIsShownAndASaveThatWouldCutAsksFirst) {
    const std::string text = "\"01100000000000000005\"\r\n\"garbage\"\r\n\"0100010000011000"
                             "00.3\"\r\n"
                             "\"011000000000000000055\"\r\n";
    writeFile(dir / "bad.cro", text);
    ASSERT_TRUE(editor.load(dir / "bad.cro"));
    ASSERT_EQ(editor.grid().size(), 4);
    EXPECT_EQ(editor.grid().line(1).row.house, "garbage");
    EXPECT_TRUE(editor.grid().cellBad(1, windows::GridColumn::House));
    // The message says what became of each line: shown as it stands, or read as a command.
    ASSERT_EQ(dialogs.count(Kind::Message), 1u);
    EXPECT_EQ(dialogs.last().text,
              "Some lines of this macro are not in the form the editor writes:\n\n"
              "Line 2: expected 16 code characters and a pause of 1 to 4 characters, found 7 characters\n"
              "    Shown as it stands and painted red; saving stops at this row.\n"
              "Line 4: expected 16 code characters and a pause of 1 to 4 characters, found 21 characters\n"
              "    Read as A 1 ON, pause 0055.");
    EXPECT_EQ(editor.grid().line(3).row, (MacroRow{"A", "1", "ON", "0055"}));

    dialogs.answers.push_back(Answer::No);
    EXPECT_FALSE(editor.save());
    EXPECT_EQ(dialogs.last().text, "Row 2 has no Unit Code or Action, so saving stops there.\n"
                                   "Row 2 and the rows below it will not be saved. Save the rows above it?");
    EXPECT_EQ(readFile(dir / "bad.cro"), text);
    dialogs.answers.push_back(Answer::Yes);
    EXPECT_TRUE(editor.save());
    EXPECT_EQ(readFile(dir / "bad.cro"), "\"01100000000000000005\"\r\n");

    // A row the tables cannot write fails the whole save, with its number, and the status line says so.
    editor.grid().load({{"A", "1", "ON", "0005"}, {"A", "error", "ON", "0005"}});
    EXPECT_FALSE(editor.save());
    EXPECT_EQ(dialogs.last().text, "The macro was not saved.\nRow 2: Unit Code must be 1 to 16 with ON and OFF.");
    EXPECT_EQ(readFile(dir / "bad.cro"), "\"01100000000000000005\"\r\n");
    EXPECT_EQ(editor.status(), "Not saved:  " + (dir / "bad.cro").string());
}

TEST_F(MacroEditorTest, RecordingAppendsEachHandedOverCommandWithItsPause) {
    editor.grid().load({{"A", "1", "ON", "0002"}});
    editor.startRecording();
    EXPECT_EQ(recordingEvents, (std::vector<bool>{true}));
    editor.handOver("0");
    editor.handOver("0100010000011000"); // C12 ON: fast record, five seconds
    samePause = "90.50";
    editor.handOver("0110000010011000"); // A DIM: the calculator's same pause, cut to four characters
    editor.fastRecord = false;
    askedPause = "0.1"; // asked for: below 0.2 s becomes 1
    editor.handOver("0110000000100000");
    askedPause.reset(); // cancelled
    editor.handOver("0110000000000000");
    EXPECT_EQ(editor.recordedCount(), 4);
    EXPECT_EQ(sounds, 4);
    EXPECT_TRUE(editor.dirty());
    const std::vector<MacroRow> expected = {{"A", "1", "ON", "0002"},
                                            {"C", "12", "ON", "0005"},
                                            {"A", "PRE", "DIM", "90.5"},
                                            {"A", "1", "OFF", "0001"},
                                            {"A", "1", "ON", "0001"}};
    EXPECT_EQ(editor.grid().rows(), expected);
    dialogs.files.push_back((dir / "rec.cro").string());
    ASSERT_TRUE(editor.save());
    EXPECT_FALSE(editor.recording()) << "saving ends the recording";
    EXPECT_EQ(recordingEvents, (std::vector<bool>{true, false}));
    editor.handOver("0110000000000000");
    EXPECT_EQ(editor.grid().size(), 5);
}

TEST_F(MacroEditorTest, DeleteAndPlayTheSelectedFileBackupsFirstAndDroppedFilesAreCopiedIn) {
    writeFile(dir / "two.cro", kTwoRowMacro);
    std::filesystem::create_directory(dir / "backup");
    writeFile(dir / "backup" / "old.cro", kTwoRowMacro);
    EXPECT_FALSE(editor.playPath());
    editor.selectedMacro = "two.cro";
    EXPECT_EQ(editor.playPath(), dir / "two.cro");
    editor.selectedBackup = "old.cro";
    EXPECT_EQ(editor.playPath(), dir / "backup" / "old.cro");
    editor.selectedBackup = "../two.cro";
    EXPECT_EQ(editor.playPath(), dir / "two.cro") << "a list name never leaves its folder";

    editor.selectedBackup = "old.cro";
    dialogs.answers.push_back(Answer::Yes);
    EXPECT_TRUE(editor.deleteSelected());
    EXPECT_EQ(dialogs.last().text, "Are you sure you want to delete the selected BACKUP file?");
    EXPECT_TRUE(dialogs.last().noByDefault) << "Enter must not delete";
    EXPECT_EQ(editor.status(), "(old.cro 'BACKUP COPY' ) Deleted!");
    EXPECT_FALSE(std::filesystem::exists(dir / "backup" / "old.cro"));
    dialogs.answers.push_back(Answer::No);
    EXPECT_FALSE(editor.deleteSelected());
    EXPECT_TRUE(std::filesystem::exists(dir / "two.cro"));
    std::filesystem::remove(dir / "two.cro");
    dialogs.answers.push_back(Answer::Yes);
    EXPECT_FALSE(editor.deleteSelected());
    EXPECT_EQ(dialogs.last().text, "File Not Found");

    // Dropped macro files are copied in; other files and the folder's own are not.
    TempDir elsewhere;
    writeFile(elsewhere / "Porch.CRO", kTwoRowMacro);
    writeFile(elsewhere / "notes.txt", "x");
    writeFile(dir / "two.cro", kTwoRowMacro);
    EXPECT_EQ(importMacroFiles({elsewhere / "Porch.CRO", elsewhere / "notes.txt", dir / "two.cro"}, dir.path()), 1);
    EXPECT_EQ(editor.macroNames(), (std::vector<std::string>{"Porch.CRO", "two.cro"}));
}

TEST_F(MacroEditorTest, WhatIsPrintedAndWhenNothingIs) {
    const PrintStamp stamp{DateTime{2024, 6, 3, 9, 5, 0, 0}, {}};
    EXPECT_FALSE(editor.printText(windows::PrintUse::Preview, false, stamp));
    EXPECT_EQ(dialogs.last().kind, Kind::Info);
    EXPECT_EQ(dialogs.last().text, "The editor has nothing to preview");
    EXPECT_FALSE(editor.printText(windows::PrintUse::Print, false, stamp));
    EXPECT_EQ(dialogs.last().text, "The editor is empty.  Nothing to print!");

    // From the "Manage Macros" tab: the selected file, and the editor cleared after.
    EXPECT_FALSE(editor.printText(windows::PrintUse::Preview, true, stamp));
    EXPECT_EQ(dialogs.last().text, "No macro selected!  Select a macro and try again.");
    writeFile(dir / "two.cro", kTwoRowMacro);
    editor.selectedMacro = "two.cro";
    const auto text = editor.printText(windows::PrintUse::Preview, true, stamp);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->substr(0, 14), "\r\n   two.cro\r\n");
    EXPECT_NE(text->find("\t 1 \tA  \t1  \tON \t\t0005\t\t5\r\n\r\n"), std::string::npos);
    EXPECT_FALSE(editor.grid().hasContent());

    type("A", "1", "ON", "5");
    editor.enter();
    EXPECT_FALSE(editor.printText(windows::PrintUse::Print, true, stamp));
    EXPECT_EQ(dialogs.last().text, "The commands in the macro editor have not been saved.\n"
                                   "To preview or print the selected macro, you must save or clear the macro editor.");
    EXPECT_TRUE(editor.grid().hasContent()) << "the editor stays as it was";
}

} // namespace
} // namespace zul::macros
