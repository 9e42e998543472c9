#pragma once
// "Timer Event Session Log": the session log box and the
// status view (one coloured field per timer, in a list model that repaints
// only the line that changed, and the loop timer's line), with Select All,
// Clear, Print, Save As, Open, Auto Save Log, Minimize and Close.
#include <QAbstractListModel>
#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "platform/qt/text_printer.h"
#include "platform/signal.h"

class QCheckBox;
class QLabel;
class QListView;
class QPlainTextEdit;
class QPushButton;

namespace zul {
class TimerLog;
}
namespace zul::app {
class App;
}

namespace zul::ui {

// The status lines of the timer log, one row per timer.
class TimerStatusModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    void setLog(const TimerLog* log);
    void setRowHeight(int pixels) { rowHeight_ = pixels; }
    void lineChanged(int timer);
    void countChanged();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    const TimerLog* log_ = nullptr;
    int rowHeight_ = 36;
};

class TimerLogWindow : public QDialog {
public:
    explicit TimerLogWindow(app::App& app, QWidget* parent = nullptr);
    ~TimerLogWindow() override;

    // Binds to the loaded timer log, or lets go of it before it is unloaded.
    void attach(bool loaded);
    // Shows the window where it was last.
    void open();
    // Where printouts go; the default printer unless a test sets it.
    qt::PrinterChoice choosePrinter;

    // --- the window's actions (each also reached through its button)
    void switchView();
    void selectAll();
    void clearLog();
    void printLog();
    void saveLogAs();
    void openLogFile();
    void closeWindow();

    // --- for tests
    QPlainTextEdit* logBox() { return logBox_; }
    QListView* statusView() { return statusView_; }
    TimerStatusModel* statusModel() { return model_; }
    QLabel* loopLine() { return loopLine_; }
    QLabel* titleLabel() { return title_; }
    QPushButton* viewButton() { return view_; }
    QPushButton* clearButton() { return clear_; }
    QPushButton* printButton() { return print_; }
    QPushButton* saveAsButton() { return saveAs_; }
    QPushButton* openButton() { return openFile_; }
    QCheckBox* autoSaveBox() { return autoSave_; }

protected:
    void reject() override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    QWidget* buildActions();
    QPushButton* action(const char* caption, const std::function<void()>& run);
    void bindLog(TimerLog* log);
    void showView();
    void followLog();
    void showLoopLine();
    void applyTips();
    void storePlacement();
    void clickSound();

    app::App& app_;
    TimerLog* log_ = nullptr;
    TimerStatusModel* model_ = nullptr;
    QLabel* title_ = nullptr;
    QPlainTextEdit* logBox_ = nullptr;
    QListView* statusView_ = nullptr;
    QLabel* loopLine_ = nullptr;
    QPushButton *view_ = nullptr, *selectAll_ = nullptr, *clear_ = nullptr, *print_ = nullptr, *saveAs_ = nullptr;
    QPushButton *openFile_ = nullptr, *minimize_ = nullptr, *close_ = nullptr;
    QCheckBox* autoSave_ = nullptr;
    std::string shown_; // the session log as the box holds it
    bool placed_ = false;
    Connection<> optionsListener_; // the tool tips follow "Show tool tips"
};

} // namespace zul::ui
