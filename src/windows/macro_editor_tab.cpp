#include "windows/macro_editor_tab.h"

#include <algorithm>

#include "macros/backup.h"
#include "macros/cro_codes.h"
#include "macros/macro_list.h"
#include "platform/dialogs.h"
#include "platform/text.h"

namespace zul::windows {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kProblemsShown = 8;
constexpr int kSmallestRecordedPauseMs = 200;

const std::vector<FileFilter> kSaveFilters{{"Macro Files (*.cro)", {"*.cro"}}, {"All Files (*.*)", {"*"}}};
const std::vector<FileFilter> kOpenFilters{{"ZUL Macro Files (*.cro)", {"*.cro"}}, {"All Files (*.*)", {"*"}}};

// A name of 46 characters or more is shown as "..." and its last 45.
std::string shortName(const std::string& name) {
    if (name.size() <= MacroEditorTabForm::kStatusNameMax) return name;
    return "..." + name.substr(name.size() - MacroEditorTabForm::kStatusNameMax);
}

bool isPlainName(const std::string& name) {
    return !name.empty() && name.find('/') == std::string::npos && name != "." && name != "..";
}

} // namespace

MacroEditorTabForm::MacroEditorTabForm(fs::path programFolder, Dialogs& dialogs, MacroEditorServices services)
    : programFolder_(std::move(programFolder)), activeFolder_(programFolder_), dialogs_(dialogs),
      services_(std::move(services)) {
    if (!services_.translate) services_.translate = macros::untranslated;
}

// --- the grid ---------------------------------------------------------------

void MacroEditorTabForm::selectRow(std::optional<int> row) {
    if (row && (*row < 0 || *row >= grid_.size())) row.reset();
    selected_ = row;
    if (!row) return;
    const macros::MacroRow& r = grid_.line(*row).row;
    boxes = EditBoxes{r.house, r.unit, r.action, r.pause == "error" ? std::string() : r.pause};
}

std::string MacroEditorTabForm::timeLabel() const { return selected_ ? grid_.timeLabel(*selected_) : std::string(); }

bool MacroEditorTabForm::enter() {
    if (!boxes.allFilled()) {
        dialogs_.message(tr("All edit boxes must be filled in before a command is entered"));
        return false;
    }
    const macros::EnteredRow entered = macros::enterRow(boxes.house, boxes.unit, boxes.action, boxes.pause);
    if (!entered.row) {
        dialogs_.message(tr(entered.problem));
        return false;
    }
    const auto line = grid_.enter(*entered.row, mode, selected_);
    if (!line) {
        dialogs_.message(tr("You must select a row first"));
        return false;
    }
    boxes = EditBoxes{entered.row->house, entered.row->unit, entered.row->action, entered.row->pause};
    selected_ = *line;
    dirty_ = true;
    return true;
}

void MacroEditorTabForm::deleteRow() {
    if (!selected_) return;
    const int number = *selected_ + 1;
    const bool only = grid_.size() == 1;
    const bool hadText = grid_.hasContent();
    selectRow(grid_.deleteRow(*selected_));
    if (!only) status_ = tr("Row") + " " + std::to_string(number) + " " + tr("deleted!");
    if (hadText) dirty_ = true;
}

void MacroEditorTabForm::clearAll() {
    stopRecording();
    grid_.clear();
    boxes.clear();
    selected_.reset();
    fileName_.clear();
    dirty_ = false;
}

bool MacroEditorTabForm::clearAllAsking() {
    if (dirty_ && grid_.hasContent()) {
        const std::string text =
            tr("The commands in the editor have not been saved.") + "\n" + tr("Clear them anyway?");
        if (dialogs_.question(text, tr("Clear All"), false) != Answer::Yes) return false;
    }
    clearAll();
    return true;
}

void MacroEditorTabForm::fixIt() {
    if (grid_.fix()) dirty_ = true;
    if (selected_) selectRow(selected_);
}

bool MacroEditorTabForm::quickEdit(int row, GridColumn column, const std::string& code) {
    if (!grid_.putCode(row, column, code)) return false;
    if (!grid_.line(row).row.unit.empty()) dirty_ = true;
    if (selected_ == row) selectRow(row);
    return true;
}

void MacroEditorTabForm::setPauseCell(int row, const std::string& text) {
    if (!grid_.setPause(row, text)) return;
    if (!grid_.line(row).row.unit.empty()) dirty_ = true;
    if (selected_ == row) selectRow(row);
}

// --- the file ---------------------------------------------------------------

// What the editor made of a line that was not in the form it writes.
std::string MacroEditorTabForm::loadOutcome(int row) const {
    if (row < 0 || row >= grid_.size()) return {};
    const macros::MacroRow& r = grid_.line(row).row;
    if (r.unit.empty() || r.action.empty()) return tr("Shown as it stands and painted red; saving stops at this row.");
    for (const GridColumn c : {GridColumn::House, GridColumn::Unit, GridColumn::Action, GridColumn::Pause})
        if (grid_.cellBad(row, c)) return tr("Painted red: correct it before saving.");
    return tr("Read as") + " " + r.house + " " + r.unit + " " + r.action + ", " + tr("pause") + " " + r.pause + ".";
}

void MacroEditorTabForm::showLoadProblems(const std::vector<macros::EditorRow>& rows, const std::vector<macros::LineProblem>& problems) {
    if (problems.empty()) return;
    std::string text = tr("Some lines of this macro are not in the form the editor writes:") + "\n";
    for (std::size_t i = 0; i < problems.size() && i < kProblemsShown; ++i) {
        const int line = problems[i].lineNumber;
        const auto at =
            std::find_if(rows.begin(), rows.end(), [line](const macros::EditorRow& r) { return r.lineNumber == line; });
        text += '\n';
        text += tr("Line") + " " + std::to_string(line) + ": " + problems[i].reason;
        if (at == rows.end()) continue;
        text += "\n    ";
        text += loadOutcome(static_cast<int>(at - rows.begin()));
    }
    if (problems.size() > kProblemsShown)
        text += "\n... " + std::to_string(problems.size() - kProblemsShown) + " " + tr("more");
    dialogs_.message(text);
}

bool MacroEditorTabForm::load(const fs::path& file) {
    const macros::EditorMacro macro = macros::readMacroForEditor(file);
    if (!macro.opened) {
        dialogs_.message(tr("The macro file could not be read:") + "\n" + file.string());
        return false;
    }
    std::vector<macros::MacroRow> rows;
    for (const auto& r : macro.rows) rows.push_back(r.row);
    grid_.load(std::move(rows));
    boxes.clear();
    selected_.reset();
    fileName_ = file.string();
    dirty_ = false;
    if (file.parent_path() == activeFolder_) selectedMacro = file.filename().string();
    showLoadProblems(macro.rows, macro.problems);
    return true;
}

bool MacroEditorTabForm::writeTo(const fs::path& file) {
    if (const auto cut = grid_.firstCutLine()) {
        const std::string n = std::to_string(*cut + 1);
        const std::string question = tr("Row") + " " + n + " " +
                                     tr("has no Unit Code or Action, so saving stops there.") + "\n" + tr("Row") + " " +
                                     n + " " + tr("and the rows below it will not be saved. Save the rows above it?");
        if (dialogs_.questionDefaultNo(question, tr("Save Macro")) != Answer::Yes) return false;
    }
    const macros::MacroWriteResult result = macros::writeMacroFile(file, grid_.rows());
    if (!result.ok()) {
        const std::string where = result.badRow ? tr("Row") + " " + std::to_string(result.badRow) + ": " : "";
        dialogs_.message(tr("The macro was not saved.") + "\n" + where + tr(result.problem));
        return false;
    }
    dirty_ = false;
    return true;
}

bool MacroEditorTabForm::notSaved(const std::string& name) {
    status_ = name.empty() ? tr("Not saved") : tr("Not saved:") + "  " + shortName(name);
    return false;
}

bool MacroEditorTabForm::save() {
    stopRecording();
    if (fileName_.empty() || !fileName_.ends_with(".cro")) return saveAs();
    if (!writeTo(fileName_)) return notSaved(fileName_);
    status_ = tr("Save Successful:") + "  " + shortName(fileName_);
    return true;
}

bool MacroEditorTabForm::saveAs() {
    stopRecording();
    const std::string initial = (activeFolder_ / fs::path(fileName_).filename()).string();
    const auto chosen = dialogs_.saveFile(tr("Save Macro As"), initial, kSaveFilters);
    if (!chosen || chosen->empty()) return notSaved(fs::path(fileName_).filename().string());
    fs::path file = *chosen;
    if (!file.has_extension()) file += ".cro";
    const std::string name = file.filename().string();
    std::error_code ec;
    if (fs::exists(file, ec) && dialogs_.questionDefaultNo(tr("Are you sure you want to overwrite") + " " + name + " ?",
                                                           tr("Overwrite File")) != Answer::Yes)
        return notSaved(name);
    if (!writeTo(file)) return notSaved(name);
    fileName_ = file.string();
    status_ = tr("File Save successful") + ": (" + name + ")";
    // The list shows the saved macro, selected, so Test and Run play it.
    activeFolder_ = file.parent_path();
    selectedMacro = name;
    selectedBackup.reset();
    return true;
}

bool MacroEditorTabForm::open() {
    if (!settleChanges()) return false;
    const auto chosen = dialogs_.openFile(tr(" Open Zulmarin Macro File "), activeFolder_.string(), kOpenFilters);
    if (!chosen || chosen->empty()) return false;
    const fs::path file = *chosen;
    activeFolder_ = file.parent_path();
    return load(file);
}

bool MacroEditorTabForm::settleChanges() {
    if (!dirty_) return true;
    std::string text = tr("The commands in the editor have not been saved.") + "\n";
    if (!fileName_.empty()) text += tr("Click Yes to save changes to") + "\n" + fileName_ + "\n\n";
    text += tr("Save changes before closing?");
    switch (dialogs_.question(text, tr("Save Changes to Macro?"), true)) {
    case Answer::Yes: return save();
    case Answer::No: return true;
    case Answer::Cancel: break;
    }
    return false;
}

namespace {
// "Evening (recovered).cro", or "Evening (recovered 2).cro" when that is taken.
fs::path recoveryFile(const fs::path& folder, const std::string& stem) {
    std::error_code ec;
    for (int n = 1;; ++n) {
        const std::string mark = n == 1 ? " (recovered)" : " (recovered " + std::to_string(n) + ")";
        fs::path file = folder / (stem + mark + ".cro");
        if (!fs::exists(file, ec)) return file;
    }
}

// The rows up to the first that cannot be saved.
std::vector<macros::MacroRow> savableRows(std::vector<macros::MacroRow> rows) {
    const macros::MacroBytes content = macros::macroFileBytes(rows);
    if (content.badRow != 0) rows.resize(static_cast<std::size_t>(content.badRow - 1));
    return rows;
}
} // namespace

std::string MacroEditorTabForm::keepUnsaved() {
    if (!dirty_) return "";
    const fs::path named = fileName_;
    const bool hasName = !fileName_.empty() && named.has_parent_path();
    const fs::path file =
        recoveryFile(hasName ? named.parent_path() : activeFolder_, hasName ? named.stem().string() : "Unsaved macro");
    const std::vector<macros::MacroRow> rows = savableRows(grid_.rows());
    const std::string what =
        hasName ? "The unsaved changes to " + fileName_ + " were" : std::string("The unsaved macro in the editor was");
    if (macros::macroFileBytes(rows).rowsWritten == 0) return what + " lost: no row of it can be saved.";
    const macros::MacroWriteResult result = macros::writeMacroFile(file, rows);
    if (!result.ok()) return what + " lost: " + result.problem;
    dirty_ = false;
    const std::string count = std::to_string(result.rowsWritten) + " row(s)";
    return what + " kept in " + file.string() + " (" + count + ").";
}

// --- the folder and its list ------------------------------------------------

bool MacroEditorTabForm::activeIsProgramFolder() const {
    return activeFolder_.lexically_normal() == programFolder_.lexically_normal();
}

void MacroEditorTabForm::resetActiveFolder() {
    activeFolder_ = programFolder_;
    selectedMacro.reset();
}

fs::path MacroEditorTabForm::backupFolder() const { return programFolder_ / macros::kBackupFolderName; }

std::vector<std::string> MacroEditorTabForm::macroNames() const { return macros::macroFileNames(activeFolder_); }

bool MacroEditorTabForm::openFromList(const std::string& name) {
    if (!isPlainName(name) || !settleChanges()) return false;
    return load(activeFolder_ / name);
}

std::optional<fs::path> MacroEditorTabForm::selectedFile() const {
    if (selectedBackup && isPlainName(*selectedBackup)) return backupFolder() / *selectedBackup;
    if (selectedMacro && isPlainName(*selectedMacro)) return activeFolder_ / *selectedMacro;
    return std::nullopt;
}

std::optional<fs::path> MacroEditorTabForm::playPath() const {
    const auto file = selectedFile();
    std::error_code ec;
    if (!file || !endsWithNoCase(file->string(), "cro") || !fs::is_regular_file(*file, ec)) return std::nullopt;
    return file;
}

bool MacroEditorTabForm::deleteSelected() {
    const auto selected = selectedFile();
    if (!selected) {
        dialogs_.message(tr("Please select a macro to delete"));
        return false;
    }
    const bool backup = selectedBackup && isPlainName(*selectedBackup);
    const fs::path file = *selected;
    const std::string name = file.filename().string();
    const std::string question = backup ? "Are you sure you want to delete the selected BACKUP file?"
                                        : "Are you sure you want to delete the selected file?";
    if (dialogs_.questionDefaultNo(tr(question), tr("Delete Macro?")) != Answer::Yes) return false;
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        dialogs_.message(tr("File Not Found"));
        return false;
    }
    if (!fs::remove(file, ec)) {
        dialogs_.message(tr("The file could not be deleted:") + "\n" + file.string() + "\n" + ec.message());
        return false;
    }
    status_ = "(" + name + (backup ? " 'BACKUP COPY' " : "") + ") " + tr("Deleted!");
    (backup ? selectedBackup : selectedMacro).reset();
    return true;
}

// --- macro recording --------------------------------------------------------

void MacroEditorTabForm::startRecording() {
    if (recording_) return;
    recording_ = true;
    recorded_ = 0;
    if (services_.recordingChanged) services_.recordingChanged(true);
}

void MacroEditorTabForm::stopRecording() {
    if (!recording_) return;
    recording_ = false;
    if (services_.recordingChanged) services_.recordingChanged(false);
}

std::string MacroEditorTabForm::recordedPause() {
    std::optional<std::string> value;
    if (fastRecord) value = services_.samePause ? services_.samePause() : std::nullopt;
    else if (services_.askPause) value = services_.askPause();
    std::string pause = fastRecord && !value ? std::string("0005") : value.value_or("");
    pause = pause.substr(0, 4);
    const auto ms = macros::pauseMillis(pause);
    if (!ms || *ms < kSmallestRecordedPauseMs) pause.assign(1, '1');
    return macros::normalizePause(pause);
}

void MacroEditorTabForm::handOver(const std::string& code) {
    if (!recording_ || code.empty() || code == "0") return;
    const auto command = macros::decodeCode(code);
    if (!command) return;
    const std::string pause = recordedPause();
    if (!recording_) return; // stopped while the calculator was open
    selected_ = grid_.append({command->house, command->unit, command->action, pause});
    ++recorded_;
    dirty_ = true;
    if (services_.playRecordSound) services_.playRecordSound();
}

// --- printing ---------------------------------------------------------------

std::optional<std::string> MacroEditorTabForm::printText(PrintUse use, bool fromManageTab, const macros::PrintStamp& stamp) {
    if (fromManageTab) {
        if (dirty_) {
            dialogs_.info(
                InfoBox{tr("The commands in the macro editor have not been saved.") + "\n" +
                        tr("To preview or print the selected macro, you must save or clear the macro editor.")});
            return std::nullopt;
        }
        const auto file = selectedFile();
        if (!file) {
            dialogs_.message(tr("No macro selected!  Select a macro and try again."));
            return std::nullopt;
        }
        if (!load(*file)) return std::nullopt;
    }
    std::optional<std::string> text;
    if (grid_.empty() && use == PrintUse::Preview) dialogs_.info(InfoBox{tr("The editor has nothing to preview")});
    else if (grid_.empty()) dialogs_.message(tr("The editor is empty.  Nothing to print!"));
    else text = macros::macroPrintText(grid_.rows(), fileName_, stamp, services_.translate);
    if (fromManageTab) clearAll();
    return text;
}

} // namespace zul::windows
