#pragma once
// The "Setup Macros" tab: the grid, the four edit boxes with the entry
// modes, quick edit, "Fix it", macro recording and the file buttons, bound
// to the editor's logic.
#include <QWidget>
#include <array>
#include <functional>

#include "windows/macro_editor_tab_boxes.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace zul::windows {
class MacroSetupWindowForm;
class MacroEditorTabForm;
} // namespace zul::windows

namespace zul::app {
class App;
} // namespace zul::app
namespace zul::ui {

class MacroEditorTab : public QWidget {
public:
    MacroEditorTab(app::App& app, windows::MacroSetupWindowForm& setup, QWidget* parent = nullptr);

    // Shows the editor's state afresh (grid, boxes, labels, recording).
    void refresh();
    void setQuickEditOpen(bool open);
    bool quickEditOpen() const;

    // Told when the tab changed something the rest of the window shows.
    std::function<void()> changed;
    // A hint for the window's status line.
    std::function<void(const QString&)> hint;

    // --- for tests
    QTableWidget* grid() { return grid_; }
    QLineEdit* box(windows::EditBox b) { return boxes_[static_cast<std::size_t>(b)]; }
    QPushButton* enterButton() { return enter_; }
    QPushButton* deleteRowButton() { return deleteRow_; }
    QPushButton* fixItButton() { return fixIt_; }
    QPushButton* clearAllButton() { return clearAll_; }
    QPushButton* saveButton() { return save_; }
    QPushButton* saveAsButton() { return saveAs_; }
    QPushButton* openButton() { return open_; }
    QPushButton* recordButton() { return record_; }
    QRadioButton* modeButton(int index) { return modes_[static_cast<std::size_t>(index)]; }
    QLabel* timeLabel() { return time_; }
    QWidget* quickEditPanel() { return quickPanel_; }
    void clickQuickCode(const QString& code);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildGrid();
    QWidget* buildBoxes();
    QWidget* buildQuickEdit();
    QWidget* buildRecorder();
    QWidget* buildFileButtons();
    void refreshGrid();
    void refreshBoxes();
    void gridRowChosen(int row);
    void boxKey(windows::EditBox b);
    void leaveBox(windows::EditBox b);
    void openPickList(windows::EditBox b);
    void askPauseInto();
    void enterRow();
    void afterChange();
    // A button whose click runs an editor action, then shows the result.
    void onClick(QPushButton* button, std::function<void()> action);

    app::App& app_;
    windows::MacroSetupWindowForm& setup_;
    windows::MacroEditorTabForm& editor_;
    QLabel *fileCaption_ = nullptr, *rowNumber_ = nullptr, *time_ = nullptr, *recordCount_ = nullptr;
    QLineEdit* fileBox_ = nullptr;
    QTableWidget* grid_ = nullptr;
    std::array<QLineEdit*, 4> boxes_{};
    std::array<QRadioButton*, 3> modes_{};
    QRadioButton *pauseEach_ = nullptr, *fastRecord_ = nullptr;
    QPushButton *enter_ = nullptr, *deleteRow_ = nullptr, *fixIt_ = nullptr, *clearAll_ = nullptr;
    QPushButton *quickToggle_ = nullptr, *record_ = nullptr;
    QPushButton *open_ = nullptr, *save_ = nullptr, *saveAs_ = nullptr;
    QWidget* quickPanel_ = nullptr;
    bool refreshing_ = false;
};

} // namespace zul::ui
