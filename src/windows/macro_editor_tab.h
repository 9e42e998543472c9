#pragma once
// The "Setup Macros" tab of the macro editor window without widgets: the
// grid and its edit boxes, the file being edited with its unsaved-changes
// flag (EditorDirty), Save / Save As / Open / Clear All, the active folder
// and its macro list, macro recording from the main window, Delete Macro and
// the choice of what to print. Questions and messages go through Dialogs.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "windows/macro_editor_tab_boxes.h"
#include "windows/macro_editor_tab_grid.h"
#include "macros/group_file.h"
#include "macros/macro_file.h"
#include "macros/macro_print.h"

namespace zul {
class Dialogs;
}

namespace zul::windows {

struct MacroEditorServices {
    macros::Translate translate = macros::untranslated;
    // The seconds calculator, shown and waited for: its result, or nullopt
    // when cancelled.
    std::function<std::optional<std::string>()> askPause;
    // The calculator's value when "Make pauses all the same while recording"
    // is ticked and it holds one above zero.
    std::function<std::optional<std::string>()> samePause;
    // The record sound (the owner decides whether sounds are on).
    std::function<void()> playRecordSound;
    // Macro recording started (true) or stopped.
    std::function<void(bool recording)> recordingChanged;
};

enum class PrintUse { Preview, Print };

class MacroEditorTabForm {
public:
    static constexpr std::size_t kStatusNameMax = 45;

    MacroEditorTabForm(std::filesystem::path programFolder, Dialogs& dialogs, MacroEditorServices services = {});

    EditorGrid& grid() { return grid_; }
    const EditorGrid& grid() const { return grid_; }
    EditBoxes boxes;
    EntryMode mode = EntryMode::AddToEnd;

    // --- the grid
    std::optional<int> selectedRow() const { return selected_; }
    // Selecting a line copies its House Code, Unit Code, Action and Pause
    // into the boxes.
    void selectRow(std::optional<int> row);
    // The selected line's running pause as the time label shows it.
    std::string timeLabel() const;
    // "Enter": the boxes into the grid by the entry mode. False (with a
    // message) when a box is empty, the row is not a command, or the mode
    // needs a selected line.
    bool enter();
    void deleteRow();
    void clearAll();
    // "Clear All": asks first while the grid holds unsaved commands; false
    // when the user keeps them.
    bool clearAllAsking();
    void fixIt();
    // Quick edit into a cell of the selected line's column; false when the
    // code does not fit the column.
    bool quickEdit(int row, GridColumn column, const std::string& code);
    void setPauseCell(int row, const std::string& text);

    // --- the file
    const std::string& fileName() const { return fileName_; }
    bool dirty() const { return dirty_; }
    // Reads a macro file into the grid. Lines not in the form the editor
    // writes are listed in a message, each with what became of it: read as a
    // command (repaired), painted red, or shown as it stands.
    bool load(const std::filesystem::path& file);
    bool save();
    bool saveAs();
    bool open();
    // Before the grid is replaced or the window closes with unsaved changes:
    // "Save Changes to Macro?" Yes saves, No discards; false for Cancel (or
    // a save that did not happen).
    bool settleChanges();
    // The program is being stopped and nobody is asked: unsaved rows are
    // written to a new file beside the macro (in the active folder when it has
    // no name), "<name> (recovered).cro", as far as they can be saved. What
    // was done, in a sentence for the logs; "" when nothing was unsaved.
    std::string keepUnsaved();

    // --- the folder and its macro list
    const std::filesystem::path& activeFolder() const { return activeFolder_; }
    bool activeIsProgramFolder() const;
    void resetActiveFolder();
    std::filesystem::path backupFolder() const;
    std::vector<std::string> macroNames() const;
    // The lists' selections.
    std::optional<std::string> selectedMacro, selectedBackup;
    // A double click in the macro list: settle changes, then load it.
    bool openFromList(const std::string& name);
    // The file Test Macro and Run Macro play: the selected backup file, else
    // the selected macro; nullopt when none is selected or it is not a macro
    // file that exists.
    std::optional<std::filesystem::path> playPath() const;
    // "Delete Macro": the selected backup file, else the selected macro, after a question.
    bool deleteSelected();

    // --- macro recording
    void startRecording();
    void stopRecording();
    bool recording() const { return recording_; }
    int recordedCount() const { return recorded_; }
    // The pause choice: true "Fast Record - Add pause times manually, after
    // recording", false "Add pause times while recorder".
    bool fastRecord = true;
    // A command handed over by the main window while recording ("0" is not one).
    void handOver(const std::string& code);

    // --- status line and printing
    const std::string& status() const { return status_; }
    void setStatus(std::string text) { status_ = std::move(text); }
    // The printout's text, or nullopt when a message said why there is none.
    // From the "Manage Macros" tab the selected file is loaded first and the
    // editor cleared again afterwards.
    std::optional<std::string> printText(PrintUse use, bool fromManageTab, const macros::PrintStamp& stamp);

private:
    std::string tr(const std::string& text) const { return services_.translate(text); }
    // The selected backup file, else the selected macro.
    std::optional<std::filesystem::path> selectedFile() const;
    bool writeTo(const std::filesystem::path& file);
    // The status line says the macro (name) was not saved; returns false.
    bool notSaved(const std::string& name);
    std::string recordedPause();
    std::string loadOutcome(int row) const;
    void showLoadProblems(const std::vector<macros::EditorRow>& rows, const std::vector<macros::LineProblem>& problems);

    std::filesystem::path programFolder_, activeFolder_;
    Dialogs& dialogs_;
    MacroEditorServices services_;
    EditorGrid grid_;
    std::optional<int> selected_;
    std::string fileName_;
    std::string status_;
    bool dirty_ = false;
    bool recording_ = false;
    int recorded_ = 0;
};

} // namespace zul::windows
