#pragma once
// "Setup Macros & Groups": the macro editor, group and backup
// tabs, the macro list of the active folder with Test Macro and Run Macro,
// the status line, and "&Help", "&OK" and "&Cancel".
#include <QWidget>
#include <functional>
#include <memory>

#include "windows/macro_setup_window.h"
#include "platform/qt/text_printer.h"

class QLabel;
class QListWidget;
class QMenu;
class QPrinter;
class QPushButton;
class QSlider;
class QTabWidget;
class QVBoxLayout;

namespace zul::ui {

class ClickLabel;
class GroupSetupTab;
class MacroEditorTab;
class MacroManagerTab;
class PauseDialog;
class PrintPreview;
class ProgressWindow;

class MacroSetupWindow : public QWidget {
public:
    explicit MacroSetupWindow(app::App& app, QWidget* parent = nullptr);
    ~MacroSetupWindow() override;

    // Opens (or raises) the window on a tab; group 0-7 selects that group.
    void open(windows::MacroSetupWindowForm::Tab tab, int group = -1);
    void refresh();

    // "Print the Loaded Macro" and "Print Preview" of the Macro-Menu; from
    // the "Manage Macros" tab the selected file is printed.
    void printMacro();
    void previewMacro();
    // Prints text on the chosen printer; a printer error is reported.
    void printText(const QString& text);
    // Chooses the printer: the default one, else the print dialog. Tests
    // replace it (a PDF file, never a dialog). False cancels the job.
    qt::PrinterChoice choosePrinter;
    // The right-click "Macro-Menu".
    QMenu* buildMenu();
    // The program closes: the window goes without asking anything (its
    // questions were asked before, or a stop signal asks none).
    void closeByProgram();

    windows::MacroSetupWindowForm& logic() { return setup_; }
    MacroEditorTab& editorTab() { return *editorTab_; }
    GroupSetupTab& groupTab() { return *groupTab_; }
    MacroManagerTab& managerTab() { return *managerTab_; }
    QTabWidget* tabs() { return tabs_; }
    PauseDialog& pauseDialog() { return *pause_; }
    ProgressWindow& progressWindow() { return *progress_; }
    PrintPreview& preview() { return *preview_; }
    QListWidget* macroList() { return macros_; }
    QPushButton* testButton() { return test_; }
    QPushButton* runButton() { return run_; }
    QPushButton* stopButton() { return stop_; }
    QPushButton* deleteButton() { return delete_; }
    QPushButton* okButton() { return ok_; }
    QPushButton* cancelButton() { return cancel_; }
    QLabel* statusLine() { return status_; }
    ClickLabel* folderLabel() { return folder_; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    QWidget* buildMacroPanel();
    void addPlayButtons(QVBoxLayout* layout);
    QWidget* buildBottom();
    void refreshMacroPanel();
    void listChosen(const QString& name);
    void deleteSelected();
    void play(bool test);
    void finishClosing();
    bool onManageTab() const;
    void print(windows::PrintUse use);

    app::App& app_;
    windows::MacroSetupWindowForm setup_;
    std::unique_ptr<PauseDialog> pause_;
    std::unique_ptr<ProgressWindow> progress_;
    std::unique_ptr<PrintPreview> preview_;
    QTabWidget* tabs_ = nullptr;
    MacroEditorTab* editorTab_ = nullptr;
    GroupSetupTab* groupTab_ = nullptr;
    MacroManagerTab* managerTab_ = nullptr;
    QWidget* macroPanel_ = nullptr;
    ClickLabel* folder_ = nullptr;
    QListWidget* macros_ = nullptr;
    QPushButton *test_ = nullptr, *run_ = nullptr, *stop_ = nullptr, *delete_ = nullptr, *refresh_ = nullptr;
    QSlider* speed_ = nullptr;
    QLabel *speedText_ = nullptr, *status_ = nullptr;
    QPushButton *help_ = nullptr, *menu_ = nullptr, *ok_ = nullptr, *cancel_ = nullptr;
    bool refreshing_ = false;
};

} // namespace zul::ui
