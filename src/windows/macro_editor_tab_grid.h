#pragma once
// The macro editor's grid without widgets: the lines with their six columns
// (House Code, Unit Code, Action, Pause, Row Num, Running Pause), the three
// entry modes of the "Enter" button, Delete Row, quick edit, the pause cell
// edited in place and the row checker "Fix it" with the cells it paints bad.
// A new or cleared grid holds one empty line.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "macros/macro_row.h"

namespace zul::windows {

enum class EntryMode { ReplaceSelected = 0, AddAsRowNum = 1, AddToEnd = 2 };

enum class GridColumn { House = 0, Unit = 1, Action = 2, Pause = 3, RowNum = 4, Running = 5 };
inline constexpr int kGridColumns = 6;

// Cell colours as 0xRRGGBB: Row Num light orange, Running Pause light blue,
// a cell the checker finds bad light red, every other cell white.
inline constexpr unsigned kRowNumRgb = 0xFFE0C0;
inline constexpr unsigned kRunningRgb = 0xC0C0FF;
inline constexpr unsigned kBadCellRgb = 0xFF8080;
inline constexpr unsigned kGoodCellRgb = 0xFFFFFF;

struct GridLine {
    macros::MacroRow row;
    bool badHouse = false, badUnit = false, badAction = false, badPause = false;
};

class EditorGrid {
public:
    EditorGrid() { clear(); }

    int size() const { return static_cast<int>(lines_.size()); }
    const GridLine& line(int i) const { return lines_.at(static_cast<std::size_t>(i)); }
    std::vector<macros::MacroRow> rows() const;
    // The text and colour of a cell; Row Num and Running Pause are worked out.
    std::string cell(int row, GridColumn column) const;
    unsigned cellRgb(int row, GridColumn column) const;
    bool cellBad(int row, GridColumn column) const;
    // The sum of the pauses of this row and those above it (nullopt from the
    // first row with an empty pause on).
    std::optional<int> runningMillis(int row) const;
    // The editor's time label for a row: "5 sec", "2m 05.0s" ("" without a total).
    std::string timeLabel(int row) const;
    // The first line has no Unit Code: nothing to save, print or preview.
    bool empty() const { return lines_.front().row.unit.empty(); }
    // True when any line holds any text.
    bool hasContent() const;

    // Back to one empty line.
    void clear();
    // The rows of an opened file (an empty list gives one empty line); bad
    // cells are painted, nothing is changed.
    void load(std::vector<macros::MacroRow> rows);

    // "Enter": puts a row into the grid by the entry mode. selected is the
    // selected line (0-based). Returns the line that received the row, or
    // nullopt when a line must be selected first.
    std::optional<int> enter(const macros::MacroRow& row, EntryMode mode, std::optional<int> selected);
    // "Add To End" and macro recording: the row goes after the existing ones
    // (into the last line when that is still empty). Returns its line.
    int append(const macros::MacroRow& row);
    // "Delete Row": the only line is emptied, any other removed. Returns the
    // line to select afterwards (the one above), or nullopt when none was removed.
    std::optional<int> deleteRow(int row);
    // Quick edit: writes code into the cell when it fits the column (a letter
    // A to P into House Code; 1 to 16, PRE or ALL into Unit Code; an action
    // into Action). False when it does not fit.
    bool putCode(int row, GridColumn column, std::string_view code);
    static bool codeFits(GridColumn column, std::string_view code);
    // The pause cell edited in place: the pause box's rules (below 0.3 s
    // becomes 0.3, "0" added on the left up to four characters).
    bool setPause(int row, std::string_view text);

    // "Fix it": ties each unit to its action (BRI/DIM take PRE, ALN/ALF/AUF
    // take ALL, ON/OFF with ALL, PRE or no unit get "error"), turns a pause
    // that is not a number, or zero, into "error", and paints every bad cell.
    // Lines without a House Code are passed over. Returns whether any cell changed.
    bool fix();
    // Paints the bad cells without changing any.
    void mark();

    // Saving stops at the first line without Unit Code or Action: that line
    // when it, or any line below it, holds text that would be left out.
    std::optional<int> firstCutLine() const;

private:
    void checkLine(GridLine& line, bool repair);
    GridLine& at(int i) { return lines_.at(static_cast<std::size_t>(i)); }
    bool valid(int i) const { return i >= 0 && i < size(); }

    std::vector<GridLine> lines_;
};

} // namespace zul::windows
