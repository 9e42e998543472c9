#include "windows/macro_editor_tab_grid.h"

#include <gtest/gtest.h>

#include "windows/macro_editor_tab_boxes.h"
#include "windows/pause_dialog.h"

namespace zul::macros {
namespace {

const MacroRow kA1{"A", "1", "ON", "0005"}, kB2{"B", "2", "OFF", "01.5"}, kC3{"C", "3", "ON", "00.3"};

std::vector<MacroRow> rowsOf(const windows::EditorGrid& g) { return g.rows(); }

TEST(EditorGrid, EntryModesPlaceTheRow) {
    windows::EditorGrid g;
    EXPECT_TRUE(g.empty());
    EXPECT_EQ(g.enter(kA1, windows::EntryMode::AddToEnd, std::nullopt), 0) << "the blank line takes the first row";
    EXPECT_EQ(g.enter(kB2, windows::EntryMode::AddToEnd, 0), 1);
    EXPECT_EQ(g.enter(kC3, windows::EntryMode::AddAsRowNum, 1), 1);
    EXPECT_EQ(rowsOf(g), (std::vector<MacroRow>{kA1, kC3, kB2}));
    EXPECT_EQ(g.enter(kB2, windows::EntryMode::ReplaceSelected, 0), 0);
    EXPECT_EQ(rowsOf(g), (std::vector<MacroRow>{kB2, kC3, kB2}));
    for (auto mode : {windows::EntryMode::AddAsRowNum, windows::EntryMode::ReplaceSelected})
        EXPECT_FALSE(g.enter(kA1, mode, std::nullopt)) << "a line must be selected";
    EXPECT_EQ(g.size(), 3);

    // Row Num and Running Pause follow every change; the time label too.
    EXPECT_EQ(g.cell(2, windows::GridColumn::RowNum), "3");
    EXPECT_EQ(g.cell(2, windows::GridColumn::Running), "3.3");
    EXPECT_EQ(g.timeLabel(2), "3.3 sec");
    EXPECT_EQ(g.cellRgb(0, windows::GridColumn::RowNum), windows::kRowNumRgb);
    EXPECT_EQ(g.cellRgb(0, windows::GridColumn::Running), windows::kRunningRgb);
    EXPECT_EQ(g.cellRgb(0, windows::GridColumn::House), windows::kGoodCellRgb);
}

TEST(EditorGrid, DeleteRowQuickEditAndThePauseCell) {
    windows::EditorGrid g;
    g.load({kA1, kB2, kC3});
    EXPECT_EQ(g.deleteRow(1), 0) << "the line above becomes selected";
    EXPECT_EQ(rowsOf(g), (std::vector<MacroRow>{kA1, kC3}));
    EXPECT_EQ(g.deleteRow(0), 0);
    EXPECT_EQ(g.deleteRow(0), 0) << "the only line is emptied";
    EXPECT_EQ(g.size(), 1);
    EXPECT_FALSE(g.hasContent());
    EXPECT_EQ(g.cell(0, windows::GridColumn::RowNum), "");

    g.load({kA1});
    EXPECT_TRUE(g.putCode(0, windows::GridColumn::House, "P"));
    EXPECT_TRUE(g.putCode(0, windows::GridColumn::Unit, "16"));
    EXPECT_FALSE(g.putCode(0, windows::GridColumn::Unit, "DIM")) << "an action does not fit the Unit Code column";
    EXPECT_FALSE(g.putCode(0, windows::GridColumn::Pause, "5"));
    EXPECT_TRUE(g.putCode(0, windows::GridColumn::Action, "DIM"));
    EXPECT_TRUE(g.cellBad(0, windows::GridColumn::Unit)) << "16 with DIM is painted until Fix it";
    EXPECT_TRUE(g.setPause(0, "0.1"));
    EXPECT_EQ(g.line(0).row.pause, "00.3");
    g.setPause(0, "0");
    EXPECT_EQ(g.line(0).row.pause, "00.3");
}

TEST(EditorGrid, FixItRepairsUnitsAndPausesAndPaintsWhatStaysBad) {
    windows::EditorGrid g;
    g.load({{"A", "ALL", "ON", "0000"},
            {"A", "3", "DIM", "0002"},
            {"B", "5", "ALF", "x"},
            {"0110000000000001bage", "", "", "bage"},
            {"", "", "", ""},
            {"C", "PRE", "OFF", "0001"}});
    EXPECT_TRUE(g.cellBad(0, windows::GridColumn::Pause)) << "painted on load, nothing changed";
    EXPECT_EQ(g.line(0).row.unit, "ALL");
    EXPECT_TRUE(g.fix());
    EXPECT_EQ(g.line(0).row, (MacroRow{"A", "error", "ON", "error"}));
    EXPECT_TRUE(g.cellBad(0, windows::GridColumn::Unit));
    EXPECT_TRUE(g.cellBad(0, windows::GridColumn::Pause));
    EXPECT_EQ(g.cellRgb(0, windows::GridColumn::Unit), windows::kBadCellRgb);
    EXPECT_EQ(g.line(1).row, (MacroRow{"A", "PRE", "DIM", "0002"}));
    EXPECT_FALSE(g.cellBad(1, windows::GridColumn::Unit));
    EXPECT_EQ(g.line(2).row, (MacroRow{"B", "ALL", "ALF", "error"}));
    // A line that did not decode keeps its text and is painted.
    EXPECT_TRUE(g.cellBad(3, windows::GridColumn::House));
    EXPECT_TRUE(g.cellBad(3, windows::GridColumn::Action));
    EXPECT_EQ(g.line(3).row.house, "0110000000000001bage");
    EXPECT_FALSE(g.cellBad(4, windows::GridColumn::House)) << "a line without House Code is passed over";
    EXPECT_EQ(g.line(5).row.unit, "error");
    EXPECT_FALSE(g.fix()) << "a second run finds nothing more to change";
    // Running Pause counts only the pauses that are numbers.
    EXPECT_EQ(g.cell(1, windows::GridColumn::Running), "2");
}

TEST(EditorGrid, TheFirstLineASaveWouldCutAt) {
    windows::EditorGrid g;
    EXPECT_FALSE(g.firstCutLine()) << "an empty editor saves an empty file";
    g.load({kA1, kB2});
    EXPECT_FALSE(g.firstCutLine());
    g.enter({"", "", "", ""}, windows::EntryMode::AddToEnd, std::nullopt);
    EXPECT_FALSE(g.firstCutLine()) << "a blank last line loses nothing";
    g.load({kA1, {"garbage", "", "", "bage"}, kB2});
    EXPECT_EQ(g.firstCutLine(), 1);
    g.load({kA1, {"", "", "", ""}, kB2});
    EXPECT_EQ(g.firstCutLine(), 1);
}

TEST(EditBoxes, KeysShorthandsAndEnter) {
    const struct {
        windows::EditBox box;
        const char* typed;
        const char* held;
    } accepted[] = {{windows::EditBox::House, "b", "B"},      {windows::EditBox::Unit, "16", "16"},    {windows::EditBox::Unit, "pre", "PRE"},
                    {windows::EditBox::Action, "aLn", "ALN"}, {windows::EditBox::Pause, "1,5", "1,5"}, {windows::EditBox::Pause, ".125", ".125"}};
    for (const auto& c : accepted) EXPECT_EQ(windows::acceptBoxText(c.box, c.typed), c.held) << c.typed;
    const struct {
        windows::EditBox box;
        const char* typed;
    } refused[] = {{windows::EditBox::House, "Q"},    {windows::EditBox::House, "AB"},    {windows::EditBox::Unit, "0"},
                   {windows::EditBox::Unit, "123"},   {windows::EditBox::Unit, "1A"},     {windows::EditBox::Unit, "ALLL"},
                   {windows::EditBox::Action, "X"},   {windows::EditBox::Action, "OFFF"}, {windows::EditBox::Pause, "1.2.3"},
                   {windows::EditBox::Pause, "1.,2"}, {windows::EditBox::Pause, "12345"}, {windows::EditBox::Pause, "5s"}};
    for (const auto& c : refused) EXPECT_FALSE(windows::acceptBoxText(c.box, c.typed)) << c.typed;

    // "b", "1", "d": leaving the action box makes D into DIM, which forces PRE.
    windows::EditBoxes boxes{"B", "1", "d", "5"};
    EXPECT_EQ(boxes.enterKey(windows::EditBox::House), windows::EnterKey::NextBox);
    boxes.leave(windows::EditBox::Unit);
    boxes.leave(windows::EditBox::Action);
    boxes.leave(windows::EditBox::Pause);
    EXPECT_EQ(boxes.unit, "PRE");
    EXPECT_EQ(boxes.action, "DIM");
    EXPECT_EQ(boxes.pause, "0005");
    boxes = windows::EditBoxes{"A", "p", "n", ""};
    boxes.leave(windows::EditBox::Unit);
    EXPECT_EQ(boxes.unit, "PRE");
    boxes.leave(windows::EditBox::Action);
    EXPECT_EQ(boxes.unit, "") << "ON empties PRE";
    EXPECT_FALSE(boxes.allFilled());
    EXPECT_EQ(boxes.enterKey(windows::EditBox::Unit), windows::EnterKey::PickList);
    EXPECT_EQ(boxes.enterKey(windows::EditBox::Pause), windows::EnterKey::Calculator);
    boxes.pause = "0.1";
    boxes.leave(windows::EditBox::Pause);
    EXPECT_EQ(boxes.pause, "00.3");
    EXPECT_EQ(boxes.enterKey(windows::EditBox::Pause), windows::EnterKey::EntryMode);
    EXPECT_EQ(windows::pickListDefault(windows::EditBox::Unit, "12"), "12");
    EXPECT_EQ(windows::pickListDefault(windows::EditBox::Action, ""), "ON");
    EXPECT_EQ(windows::pickList(windows::EditBox::Unit).size(), 18u);
}

TEST(PauseDialogForm, MinutesSecondsAndTheResult) {
    windows::PauseDialogForm calc;
    calc.minutes = "166";
    calc.seconds = "59";
    calc.leaveSeconds();
    EXPECT_EQ(calc.seconds, "39");
    EXPECT_EQ(calc.totalText(), "9999");
    calc.minutes = "900";
    calc.leaveMinutes();
    EXPECT_EQ(calc.minutes, "166");

    // Four characters hold at most 9999 s, whatever the boxes say.
    calc.minutes = "165";
    calc.seconds = "999";
    ASSERT_TRUE(calc.finish());
    EXPECT_EQ(calc.result(), "9999");

    calc.minutes = "1";
    calc.seconds = "30.5";
    ASSERT_TRUE(calc.finish());
    EXPECT_EQ(calc.result(), "90.50");
    EXPECT_FALSE(calc.samePauseValue()) << "only while the option is ticked";
    calc.samePause = true;
    EXPECT_EQ(calc.samePauseValue(), "90.50");

    calc.minutes = "00";
    calc.seconds = ".";
    EXPECT_FALSE(calc.finish()) << "a zero pause keeps the calculator open";
    EXPECT_EQ(calc.seconds, "0");
    calc.cancel();
    EXPECT_FALSE(calc.result());

    EXPECT_EQ(windows::PauseDialogForm::acceptSeconds("2.5"), "2.5");
    for (const char* refused : {"2.0", "1.5.", "1,.", "x", "12345"})
        EXPECT_FALSE(windows::PauseDialogForm::acceptSeconds(refused));
    EXPECT_FALSE(windows::PauseDialogForm::acceptMinutes("1.5"));
}

} // namespace
} // namespace zul::macros
