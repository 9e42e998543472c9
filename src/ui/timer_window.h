#pragma once
// FrmTimers, "Setup Timers": the clock and sun times, the macro list, the
// start-time picker, one row per timer, the loop timer, the options and the
// "Timer Preferences" menu. Everything it does goes through the timer
// window's logic (TimerWindowForm); this class only builds and binds widgets.
#include <QDialog>
#include <QSpinBox>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "platform/signal.h"
#include "timers/days_rule.h"

class QAbstractButton;
class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QMenuBar;
class QPushButton;
class QScrollArea;
class QTimeEdit;
class QToolButton;

namespace zul::windows {
class TimerWindowForm;
} // namespace zul::windows

namespace zul::app {
class App;
}

namespace zul::ui {

class ColourLabel;

// One field of the start-time picker: two digits, stepped by the logic's picker.
class PickerField : public QSpinBox {
public:
    PickerField(QWidget* parent, std::function<void(int steps)> step);
    void stepBy(int steps) override;

protected:
    QString textFromValue(int value) const override;

private:
    std::function<void(int)> step_;
};

class TimerWindow : public QDialog {
public:
    explicit TimerWindow(app::App& app, QWidget* parent = nullptr);
    ~TimerWindow() override;

    // Binds to the loaded timer window logic, or lets go of it before it is unloaded.
    void attach(bool loaded);
    // Shows the window where it was last.
    void open();

    struct Row {
        QPushButton* put = nullptr; // "1-->"
        QLineEdit* entry = nullptr;
        QLineEdit* start = nullptr;
        QPushButton* time = nullptr;  // "T"
        QPushButton* macro = nullptr; // "M"
        ColourLabel* days = nullptr;
        QToolButton* clear = nullptr;
        // What the days label and the start field's colour and tip were drawn for.
        struct Drawn {
            int rule = -1, weekday = 0;
            std::string start, due;
            bool tips = false;
            bool operator==(const Drawn&) const = default;
        } drawn;
    };

    // --- for tests
    int rows() const { return static_cast<int>(rows_.size()); }
    const Row& row(int i) const { return rows_.at(static_cast<std::size_t>(i)); }
    QListWidget* macroList() { return macroList_; }
    // Selects the macro list's entry with this text.
    bool selectMacro(const QString& name);
    QMenu* daysList() { return daysList_; }
    PickerField* pickerField(int field) { return picker_[static_cast<std::size_t>(field)]; }
    QCheckBox* pmBox() { return pm_; }
    QCheckBox* masterBox() { return master_; }
    QCheckBox* manualBox() { return manual_; }
    QCheckBox* startSoundBox() { return startSound_; }
    QPushButton* applyButton() { return apply_; }
    QPushButton* closeButton() { return close_; }
    QPushButton* cancelButton() { return cancel_; }
    QPushButton* addButton() { return add_; }
    QPushButton* removeButton() { return remove_; }
    QPushButton* statusButton() { return status_; }
    QPushButton* loopPutButton() { return loopPut_; }
    ColourLabel* loopDaysLabel() { return loopDays_; }
    QCheckBox* loopEnableBox() { return loopEnable_; }
    QCheckBox* loopWindowBox() { return loopWindow_; }
    QTimeEdit* loopStartEdit() { return loopStart_; }
    QTimeEdit* loopEndEdit() { return loopEnd_; }
    QLabel* clockLabel() { return clock_; }
    QMenuBar* menus() { return menuBar_; }

protected:
    void reject() override;
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void buildMenu();
    QWidget* buildTopBar();
    QWidget* buildMacroList();
    QWidget* buildPicker();
    QWidget* buildRows();
    QWidget* buildLoop();
    QWidget* buildOptions();
    QWidget* buildButtons();
    void addRowWidgets(int i);
    void bindRow(int i);
    void removeLastRowWidgets();
    void bindLogic(windows::TimerWindowForm* logic);
    void syncRowCount();
    void refreshAll();
    void refreshRow(int i);
    void refreshRowState(int i, bool always);
    void refreshClockDriven();
    void refreshLoop();
    void refreshPicker();
    void refreshSwitch();
    void refreshMacroList();
    void refreshMenu();
    void refreshButtons();
    void refreshSounds();
    // An option shown here changed elsewhere (the sound boxes, the tool tips).
    void showChangedOptions();
    void takeLoopWindow();
    void openDaysList(ColourLabel* at, int rules, DaysRule current, const std::function<void(DaysRule)>& choose);
    void applyTips();
    void fixTabOrder();
    void storePlacement();
    std::string selectedName() const;
    // Connects a button: the click sound, then the action (only while bound).
    void onClick(QAbstractButton* b, const std::function<void(windows::TimerWindowForm&)>& run);
    QPushButton* button(const char* caption, const std::function<void(windows::TimerWindowForm&)>& run);

    app::App& app_;
    windows::TimerWindowForm* logic_ = nullptr;
    QMenuBar* menuBar_ = nullptr;
    std::vector<QAction*> runDefs_, optionActions_;
    QLabel *clock_ = nullptr, *sunrise_ = nullptr, *sunset_ = nullptr;
    QCheckBox* master_ = nullptr;
    QListWidget* macroList_ = nullptr;
    QPushButton* refresh_ = nullptr;
    std::array<PickerField*, 3> picker_{};
    QCheckBox *am_ = nullptr, *pm_ = nullptr;
    QPushButton* sync_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QGridLayout* grid_ = nullptr;
    std::vector<Row> rows_;
    QPushButton* loopPut_ = nullptr;
    QLineEdit* loopEntry_ = nullptr;
    ColourLabel* loopDays_ = nullptr;
    QToolButton* loopClear_ = nullptr;
    QCheckBox *loopEnable_ = nullptr, *loopWindow_ = nullptr, *loopFlash_ = nullptr;
    QTimeEdit *loopStart_ = nullptr, *loopEnd_ = nullptr;
    QCheckBox *manual_ = nullptr, *startSound_ = nullptr, *commandSound_ = nullptr;
    QPushButton *add_ = nullptr, *remove_ = nullptr, *status_ = nullptr, *help_ = nullptr;
    QPushButton *apply_ = nullptr, *close_ = nullptr, *cancel_ = nullptr;
    QMenu* daysList_ = nullptr;
    bool placed_ = false;
    Connection<> optionsListener_;
};

} // namespace zul::ui
