#include "macros/editor_grid.h"

#include <gtest/gtest.h>

#include "macros/edit_boxes.h"
#include "macros/pause_calculator.h"

namespace zul::macros {
namespace {

const MacroRow kA1{"A", "1", "ON", "0005"}, kB2{"B", "2", "OFF", "01.5"}, kC3{"C", "3", "ON", "00.3"};

std::vector<MacroRow> rowsOf(const EditorGrid& g) { return g.rows(); }

TEST(EditorGrid, EntryModesPlaceTheRow) {
    EditorGrid g;
    EXPECT_TRUE(g.empty());
    EXPECT_EQ(g.enter(kA1, EntryMode::AddToEnd, std::nullopt), 0) << "the blank line takes the first row";
    EXPECT_EQ(g.enter(kB2, EntryMode::AddToEnd, 0), 1);
    EXPECT_EQ(g.enter(kC3, EntryMode::AddAsRowNum, 1), 1);
    EXPECT_EQ(rowsOf(g), (std::vector<MacroRow>{kA1, kC3, kB2}));
    EXPECT_EQ(g.enter(kB2, EntryMode::ReplaceSelected, 0), 0);
    EXPECT_EQ(rowsOf(g), (std::vector<MacroRow>{kB2, kC3, kB2}));
    for (auto mode : {EntryMode::AddAsRowNum, EntryMode::ReplaceSelected})
        EXPECT_FALSE(g.enter(kA1, mode, std::nullopt)) << "a line must be selected";
    EXPECT_EQ(g.size(), 3);

    // Row Num and Running Pause follow every change; the time label too.
    EXPECT_EQ(g.cell(2, GridColumn::RowNum), "3");
    EXPECT_EQ(g.cell(2, GridColumn::Running), "3.3");
    EXPECT_EQ(g.timeLabel(2), "3.3 sec");
    EXPECT_EQ(g.cellRgb(0, GridColumn::RowNum), kRowNumRgb);
    EXPECT_EQ(g.cellRgb(0, GridColumn::Running), kRunningRgb);
    EXPECT_EQ(g.cellRgb(0, GridColumn::House), kGoodCellRgb);
}

TEST(EditorGrid, DeleteRowQuickEditAndThePauseCell) {
    EditorGrid g;
    g.load({kA1, kB2, kC3});
    EXPECT_EQ(g.deleteRow(1), 0) << "the line above becomes selected";
    EXPECT_EQ(rowsOf(g), (std::vector<MacroRow>{kA1, kC3}));
    EXPECT_EQ(g.deleteRow(0), 0);
    EXPECT_EQ(g.deleteRow(0), 0) << "the only line is emptied";
    EXPECT_EQ(g.size(), 1);
    EXPECT_FALSE(g.hasContent());
    EXPECT_EQ(g.cell(0, GridColumn::RowNum), "");

    g.load({kA1});
    EXPECT_TRUE(g.putCode(0, GridColumn::House, "P"));
    EXPECT_TRUE(g.putCode(0, GridColumn::Unit, "16"));
    EXPECT_FALSE(g.putCode(0, GridColumn::Unit, "DIM")) << "an action does not fit the Unit Code column";
    EXPECT_FALSE(g.putCode(0, GridColumn::Pause, "5"));
    EXPECT_TRUE(g.putCode(0, GridColumn::Action, "DIM"));
    EXPECT_TRUE(g.cellBad(0, GridColumn::Unit)) << "16 with DIM is painted until Fix it";
    EXPECT_TRUE(g.setPause(0, "0.1"));
    EXPECT_EQ(g.line(0).row.pause, "00.3");
    g.setPause(0, "0");
    EXPECT_EQ(g.line(0).row.pause, "00.3");
}

TEST(EditorGrid, FixItRepairsUnitsAndPausesAndPaintsWhatStaysBad) {
    EditorGrid g;
    g.load({{"A", "ALL", "ON", "0000"},
            {"A", "3", "DIM", "0002"},
            {"B", "5", "ALF", "x"},
            {"0110000000000001bage", "", "", "bage"},
            {"", "", "", ""},
            {"C", "PRE", "OFF", "0001"}});
    EXPECT_TRUE(g.cellBad(0, GridColumn::Pause)) << "painted on load, nothing changed";
    EXPECT_EQ(g.line(0).row.unit, "ALL");
    EXPECT_TRUE(g.fix());
    EXPECT_EQ(g.line(0).row, (MacroRow{"A", "error", "ON", "error"}));
    EXPECT_TRUE(g.cellBad(0, GridColumn::Unit));
    EXPECT_TRUE(g.cellBad(0, GridColumn::Pause));
    EXPECT_EQ(g.cellRgb(0, GridColumn::Unit), kBadCellRgb);
    EXPECT_EQ(g.line(1).row, (MacroRow{"A", "PRE", "DIM", "0002"}));
    EXPECT_FALSE(g.cellBad(1, GridColumn::Unit));
    EXPECT_EQ(g.line(2).row, (MacroRow{"B", "ALL", "ALF", "error"}));
    // A line that did not decode keeps its text and is painted.
    EXPECT_TRUE(g.cellBad(3, GridColumn::House));
    EXPECT_TRUE(g.cellBad(3, GridColumn::Action));
    EXPECT_EQ(g.line(3).row.house, "0110000000000001bage");
    EXPECT_FALSE(g.cellBad(4, GridColumn::House)) << "a line without House Code is passed over";
    EXPECT_EQ(g.line(5).row.unit, "error");
    EXPECT_FALSE(g.fix()) << "a second run finds nothing more to change";
    // Running Pause counts only the pauses that are numbers.
    EXPECT_EQ(g.cell(1, GridColumn::Running), "2");
}

TEST(EditorGrid, TheFirstLineASaveWouldCutAt) {
    EditorGrid g;
    EXPECT_FALSE(g.firstCutLine()) << "an empty editor saves an empty file";
    g.load({kA1, kB2});
    EXPECT_FALSE(g.firstCutLine());
    g.enter({"", "", "", ""}, EntryMode::AddToEnd, std::nullopt);
    EXPECT_FALSE(g.firstCutLine()) << "a blank last line loses nothing";
    g.load({kA1, {"garbage", "", "", "bage"}, kB2});
    EXPECT_EQ(g.firstCutLine(), 1);
    g.load({kA1, {"", "", "", ""}, kB2});
    EXPECT_EQ(g.firstCutLine(), 1);
}

TEST(EditBoxes, KeysShorthandsAndEnter) {
    const struct {
        EditBox box;
        const char* typed;
        const char* held;
    } accepted[] = {{EditBox::House, "b", "B"},      {EditBox::Unit, "16", "16"},    {EditBox::Unit, "pre", "PRE"},
                    {EditBox::Action, "aLn", "ALN"}, {EditBox::Pause, "1,5", "1,5"}, {EditBox::Pause, ".125", ".125"}};
    for (const auto& c : accepted) EXPECT_EQ(acceptBoxText(c.box, c.typed), c.held) << c.typed;
    const struct {
        EditBox box;
        const char* typed;
    } refused[] = {{EditBox::House, "Q"},    {EditBox::House, "AB"},    {EditBox::Unit, "0"},
                   {EditBox::Unit, "123"},   {EditBox::Unit, "1A"},     {EditBox::Unit, "ALLL"},
                   {EditBox::Action, "X"},   {EditBox::Action, "OFFF"}, {EditBox::Pause, "1.2.3"},
                   {EditBox::Pause, "1.,2"}, {EditBox::Pause, "12345"}, {EditBox::Pause, "5s"}};
    for (const auto& c : refused) EXPECT_FALSE(acceptBoxText(c.box, c.typed)) << c.typed;

    // "b", "1", "d": leaving the action box makes D into DIM, which forces PRE.
    EditBoxes boxes{"B", "1", "d", "5"};
    EXPECT_EQ(boxes.enterKey(EditBox::House), EnterKey::NextBox);
    boxes.leave(EditBox::Unit);
    boxes.leave(EditBox::Action);
    boxes.leave(EditBox::Pause);
    EXPECT_EQ(boxes.unit, "PRE");
    EXPECT_EQ(boxes.action, "DIM");
    EXPECT_EQ(boxes.pause, "0005");
    boxes = EditBoxes{"A", "p", "n", ""};
    boxes.leave(EditBox::Unit);
    EXPECT_EQ(boxes.unit, "PRE");
    boxes.leave(EditBox::Action);
    EXPECT_EQ(boxes.unit, "") << "ON empties PRE";
    EXPECT_FALSE(boxes.allFilled());
    EXPECT_EQ(boxes.enterKey(EditBox::Unit), EnterKey::PickList);
    EXPECT_EQ(boxes.enterKey(EditBox::Pause), EnterKey::Calculator);
    boxes.pause = "0.1";
    boxes.leave(EditBox::Pause);
    EXPECT_EQ(boxes.pause, "00.3");
    EXPECT_EQ(boxes.enterKey(EditBox::Pause), EnterKey::EntryMode);
    EXPECT_EQ(pickListDefault(EditBox::Unit, "12"), "12");
    EXPECT_EQ(pickListDefault(EditBox::Action, ""), "ON");
    EXPECT_EQ(pickList(EditBox::Unit).size(), 18u);
}

TEST(PauseCalculator, MinutesSecondsAndTheResult) {
    PauseCalculator calc;
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

    EXPECT_EQ(PauseCalculator::acceptSeconds("2.5"), "2.5");
    for (const char* refused : {"2.0", "1.5.", "1,.", "x", "12345"})
        EXPECT_FALSE(PauseCalculator::acceptSeconds(refused));
    EXPECT_FALSE(PauseCalculator::acceptMinutes("1.5"));
}

} // namespace
} // namespace zul::macros
