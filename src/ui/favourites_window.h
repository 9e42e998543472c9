#pragma once
// The favourites window: a compact view of the described units with
// an ON and OFF button beside each visible row, BRI and DIM, a fold-out
// options panel, the status line with its clock and a link back to the main
// window. It shows the favourites logic and forwards the user's actions.
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "windows/favourites_window.h"

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QVBoxLayout;

namespace zul::app {
class App;
}

namespace zul::ui {

class FavouritesWindow : public QWidget {
public:
    explicit FavouritesWindow(app::App& app);
    ~FavouritesWindow() override;

    // Opens (or raises) the window; the main window gives way to it.
    void open();
    // The program closes it (no click, no main window).
    void closeByProgram();
    bool isOpen() const { return open_; }

    // What the desktop program provides.
    std::function<QMenu*()> mainMenu;         // the main window's pop-up menu
    std::function<void()> showMainWindow;     // "Main Window", and closing by the user
    std::function<bool(QWidget*)> sendToTray; // minimising with "Minimize sends to system tray"

    // --- for tests
    windows::FavouritesWindowForm& logic() { return *logic_; }
    QListWidget* list() { return list_; }
    QPushButton* onButton(int i) { return pairs_.at(static_cast<std::size_t>(i)).on; }
    QPushButton* offButton(int i) { return pairs_.at(static_cast<std::size_t>(i)).off; }
    int buttonPairs() const { return static_cast<int>(pairs_.size()); }
    QCheckBox* sortBox() { return sort_; }
    QCheckBox* onTopBox() { return onTop_; }
    QLineEdit* maxVisibleField() { return maxVisible_; }
    QAction* optionsAction() { return options_; }
    QLabel* statusLabel() { return status_; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    struct Pair {
        QWidget* row;
        QPushButton* on;
        QPushButton* off;
    };

    QWidget* buildOptions();
    QWidget* buildList();
    QWidget* buildCommands();
    void bindHold(QPushButton* b, bool bright);
    void rebuild();
    void setPairs(int count);
    void fitHeight();
    void putOnTop(bool on);

    app::App& app_;
    // Made afresh at every opening and kept after closing, so that a handler
    // still running (a BRI held while the window closes) never outlives it.
    std::unique_ptr<windows::FavouritesWindowForm> logic_;
    bool open_ = false;
    bool closingByProgram_ = false;
    int rowHeight_ = 26;
    QAction* options_ = nullptr;
    QFrame* optionsPanel_ = nullptr;
    QCheckBox *onTop_ = nullptr, *sort_ = nullptr;
    QLineEdit* maxVisible_ = nullptr;
    QListWidget* list_ = nullptr;
    QVBoxLayout* pairsColumn_ = nullptr;
    std::vector<Pair> pairs_;
    QPushButton *bright_ = nullptr, *dim_ = nullptr;
    QLabel* mainLink_ = nullptr;
    QLabel* status_ = nullptr;
};

} // namespace zul::ui
