#include "windows/macro_editor_tab_grid.h"

namespace zul::windows {

namespace {

constexpr const char* kErrorCell = "error";

bool isOnOff(std::string_view a) { return a == "ON" || a == "OFF"; }
bool isDimming(std::string_view a) { return a == "BRI" || a == "DIM"; }
bool isWholeHouse(std::string_view a) { return a == "ALN" || a == "ALF" || a == "AUF"; }

bool lineHasText(const macros::MacroRow& r) {
    return !r.house.empty() || !r.unit.empty() || !r.action.empty() || !r.pause.empty();
}

// Whether a unit goes with an action: ON and OFF take a number, BRI and DIM
// "PRE", the whole-house actions "ALL".
bool unitFits(const std::string& unit, const std::string& action) {
    if (isOnOff(action)) return macros::isUnitNumber(unit);
    if (isDimming(action)) return unit == "PRE";
    if (isWholeHouse(action)) return unit == "ALL";
    return macros::isUnitNumber(unit) || unit == "PRE" || unit == "ALL";
}

} // namespace

std::vector<macros::MacroRow> EditorGrid::rows() const {
    std::vector<macros::MacroRow> out;
    out.reserve(lines_.size());
    for (const auto& l : lines_) out.push_back(l.row);
    return out;
}

std::optional<int> EditorGrid::runningMillis(int row) const {
    if (!valid(row)) return std::nullopt;
    return macros::runningPauseMillis(rows())[static_cast<std::size_t>(row)];
}

std::string EditorGrid::cell(int row, GridColumn column) const {
    if (!valid(row)) return {};
    const macros::MacroRow& r = line(row).row;
    switch (column) {
    case GridColumn::House: return r.house;
    case GridColumn::Unit: return r.unit;
    case GridColumn::Action: return r.action;
    case GridColumn::Pause: return r.pause;
    case GridColumn::RowNum: return lineHasText(r) ? std::to_string(row + 1) : std::string();
    case GridColumn::Running: {
        const auto total = runningMillis(row);
        return total && lineHasText(r) ? macros::formatSeconds(*total) : std::string();
    }
    }
    return {};
}

bool EditorGrid::cellBad(int row, GridColumn column) const {
    if (!valid(row)) return false;
    const GridLine& l = line(row);
    switch (column) {
    case GridColumn::House: return l.badHouse;
    case GridColumn::Unit: return l.badUnit;
    case GridColumn::Action: return l.badAction;
    case GridColumn::Pause: return l.badPause;
    default: return false;
    }
}

unsigned EditorGrid::cellRgb(int row, GridColumn column) const {
    if (column == GridColumn::RowNum) return kRowNumRgb;
    if (column == GridColumn::Running) return kRunningRgb;
    return cellBad(row, column) ? kBadCellRgb : kGoodCellRgb;
}

std::string EditorGrid::timeLabel(int row) const {
    const auto total = runningMillis(row);
    return total ? macros::formatRunningTime(*total) : std::string();
}

bool EditorGrid::hasContent() const {
    for (const auto& l : lines_)
        if (lineHasText(l.row)) return true;
    return false;
}

void EditorGrid::clear() { lines_.assign(1, GridLine{}); }

void EditorGrid::load(std::vector<macros::MacroRow> rows) {
    lines_.clear();
    for (auto& r : rows) lines_.push_back(GridLine{std::move(r)});
    if (lines_.empty()) lines_.emplace_back();
    mark();
}

std::optional<int> EditorGrid::enter(const macros::MacroRow& row, EntryMode mode, std::optional<int> selected) {
    if (mode == EntryMode::AddToEnd) return append(row);
    if (!selected || !valid(*selected)) return std::nullopt;
    const int target = *selected;
    if (mode == EntryMode::AddAsRowNum) lines_.insert(lines_.begin() + target, GridLine{});
    at(target) = GridLine{row};
    mark();
    return target;
}

int EditorGrid::append(const macros::MacroRow& row) {
    if (lineHasText(lines_.back().row)) lines_.emplace_back();
    lines_.back() = GridLine{row};
    mark();
    return size() - 1;
}

std::optional<int> EditorGrid::deleteRow(int row) {
    if (!valid(row)) return std::nullopt;
    if (size() == 1) {
        clear();
        return 0;
    }
    lines_.erase(lines_.begin() + row);
    return row > 0 ? row - 1 : 0;
}

bool EditorGrid::codeFits(GridColumn column, std::string_view code) {
    switch (column) {
    case GridColumn::House: return macros::isHouseLetter(code);
    case GridColumn::Unit: return macros::isUnitNumber(code) || code == "PRE" || code == "ALL";
    case GridColumn::Action: return macros::isAction(code);
    default: return false;
    }
}

bool EditorGrid::putCode(int row, GridColumn column, std::string_view code) {
    if (!valid(row) || !codeFits(column, code)) return false;
    macros::MacroRow& r = at(row).row;
    std::string& target = column == GridColumn::House ? r.house : column == GridColumn::Unit ? r.unit : r.action;
    target = std::string(code);
    mark();
    return true;
}

bool EditorGrid::setPause(int row, std::string_view text) {
    if (!valid(row)) return false;
    at(row).row.pause = macros::normalizePause(text);
    mark();
    return true;
}

void EditorGrid::checkLine(GridLine& l, bool repair) {
    macros::MacroRow& r = l.row;
    if (r.house.empty()) {
        l = GridLine{r};
        return;
    }
    l.badHouse = !macros::isHouseLetter(r.house);
    if (repair && macros::pauseIsError(r.pause)) r.pause = kErrorCell;
    l.badPause = macros::pauseIsError(r.pause);
    if (repair) {
        if (isDimming(r.action)) r.unit = "PRE";
        if (isWholeHouse(r.action)) r.unit = "ALL";
        if (isOnOff(r.action) && !macros::isUnitNumber(r.unit)) r.unit = kErrorCell;
    }
    l.badAction = !macros::isAction(r.action);
    l.badUnit = !unitFits(r.unit, r.action);
}

bool EditorGrid::fix() {
    const std::vector<macros::MacroRow> before = rows();
    for (auto& l : lines_) checkLine(l, true);
    return rows() != before;
}

void EditorGrid::mark() {
    for (auto& l : lines_) checkLine(l, false);
}

std::optional<int> EditorGrid::firstCutLine() const {
    for (int i = 0; i < size(); ++i) {
        const macros::MacroRow& r = line(i).row;
        if (!r.unit.empty() && !r.action.empty()) continue;
        for (int j = i; j < size(); ++j)
            if (lineHasText(line(j).row)) return i;
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace zul::windows
