#pragma once
// The main window: builds the widgets and binds them to the main
// window's logic, the groups panel, the clock and the menu.
#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "macros/group_file.h"
#include "platform/signal.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;
class QToolButton;

namespace zul::app {
class App;
}

namespace zul::ui {

class DescriptionField;
class ClickLabel;
class ElidingLabel;

class MainWindow : public QMainWindow {
public:
    explicit MainWindow(app::App& app, QWidget* parent = nullptr);

    // Refreshes everything shown from the logic objects.
    void refresh();
    // The "&Timers" switch shows whether the timers are on.
    void refreshTimers();
    void applyTips();
    // Places the window from "MainLeft"/"MainTop" (twips).
    void placeFromSettings();
    // The left and top edges in twips.
    std::pair<int, int> positionTwips() const;
    // The pop-up "Menu", built afresh from the current state.
    QMenu* buildMenu();
    // Fills a menu with the entries of the pop-up "Menu" (the tray's menu).
    void fillMenu(QMenu* menu);

    // The minimise label (toTray: its right click) and the window's own
    // minimising while "Minimize sends to Tray" is on; unset, it minimises.
    std::function<void(bool toTray)> minimizeRequested;
    // Told every time the "&Timers" switch is set.
    std::function<void(bool on)> timersChanged;
    // The "&Timers" switch as shown, and setting it (start-up).
    bool timersOn() const { return timersOn_; }
    void setTimers(bool on);

    // --- for tests and the desktop program
    QPushButton* onButton(int i) { return on_[static_cast<std::size_t>(i)]; }
    QPushButton* offButton(int i) { return off_[static_cast<std::size_t>(i)]; }
    QPushButton* brightButton() { return bright_; }
    QPushButton* dimButton() { return dim_; }
    QPushButton* allLightsOn() { return allOn_; }
    QComboBox* houseBox() { return house_; }
    QPushButton* pageButton() { return page_; }
    DescriptionField* description(int i) { return descriptions_[static_cast<std::size_t>(i)]; }
    QPushButton* groupsToggle() { return groupsToggle_; }
    QGroupBox* groupsPanel() { return groupsPanel_; }
    QPushButton* timersToggle() { return timers_; }
    QPushButton* panicButton() { return panic_; }
    QLabel* statusLine() { return simLine_; }
    QLabel* recordingIndicator() { return recording_; }
    QPushButton* macrosButton() { return macros_; }
    QPushButton* setupGroupsButton() { return setupGroups_; }
    QPushButton* groupButton(int i, bool on) { return (on ? groupOn_ : groupOff_)[static_cast<std::size_t>(i)]; }
    ElidingLabel* groupLabel(int i) { return groupLabels_[static_cast<std::size_t>(i)]; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    QWidget* buildTopBar();
    QGroupBox* buildUnits();
    QWidget* buildCommandRow();
    QWidget* buildSideButtons();
    QGroupBox* buildGroupsPanel();
    void buildStatusBar();
    void bindUnitButton(int i, bool on);
    void bindHoldButton(QPushButton* b, bool bright);
    void refreshGroups();
    void showGroupsPanel(bool shown);
    void refreshClock();
    void showMenu();

    app::App& app_;
    QComboBox* house_ = nullptr;
    QPushButton* page_ = nullptr;
    QLabel* clock_ = nullptr;
    QLabel* lamp_ = nullptr;
    std::array<QLabel*, 8> numbers_{};
    std::array<QPushButton*, 8> on_{}, off_{};
    std::array<DescriptionField*, 8> descriptions_{};
    QPushButton *bright_ = nullptr, *dim_ = nullptr;
    QPushButton *allOn_ = nullptr, *allOff_ = nullptr, *allUnitsOff_ = nullptr;
    QPushButton *timers_ = nullptr, *groupsToggle_ = nullptr, *macros_ = nullptr, *setup_ = nullptr;
    QPushButton *favorites_ = nullptr, *menu_ = nullptr, *help_ = nullptr, *exit_ = nullptr, *panic_ = nullptr;
    QToolButton* minimize_ = nullptr;
    QGroupBox* groupsPanel_ = nullptr;
    ClickLabel* closeGroups_ = nullptr;
    QPushButton* setupGroups_ = nullptr;
    std::array<ElidingLabel*, macros::kGroupCount> groupLabels_{};
    std::array<QPushButton*, macros::kGroupCount> groupOn_{}, groupOff_{}, groupAuto_{};
    QLabel* indicator_ = nullptr;
    QLabel* recording_ = nullptr; // flashes while a recorder records
    QTimer* recordBlink_ = nullptr;
    QLabel* simLine_ = nullptr;
    bool timersOn_ = false;
    int widthWithoutGroups_ = 0; // the width before the groups panel last opened
    int lampShown_ = -1;         // the lamp state last drawn (-1: none yet)
    // The status line's words, looked up once (it is rebuilt twice a second).
    QString simulatorWord_, waitingWord_;
    // The logic's news this window shows; they end with the window.
    std::vector<std::unique_ptr<Connection<>>> listeners_;
};

} // namespace zul::ui
