#include "ui/timer_window.h"

#include <QActionGroup>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/app.h"
#include "app/help.h"
#include "windows/main_window_menu.h"
#include "windows/preferences_window.h"
#include "timers/clock_tick.h"
#include "timers/timer_service.h"
#include "timers/timer_shared.h"
#include "windows/timer_window.h"
#include "ui/widgets.h"

namespace zul::ui {

namespace {
constexpr int kLoopRules = 5; // the loop's days list stops before "One Time"
constexpr int kCommandRole = Qt::UserRole + 1;

QTime timeOf(const std::string& text) {
    const auto seconds = parseTimeOfDay(text);
    return seconds ? QTime(*seconds / 3600, *seconds / 60 % 60, *seconds % 60) : QTime(0, 0);
}

int secondsOf(const QTime& t) { return t.hour() * 3600 + t.minute() * 60 + t.second(); }

void setErrorColour(QLineEdit* field, bool error) {
    const QColor wanted = error ? colourFromBgr(SunTick::kErrorColour) : QColor(Qt::white);
    if (field->palette().color(QPalette::Base) == wanted) return;
    QPalette p = field->palette();
    p.setColor(QPalette::Base, wanted);
    field->setPalette(p);
}
} // namespace

// --- the picker fields -------------------------------------------------------

PickerField::PickerField(QWidget* parent, std::function<void(int)> step) : QSpinBox(parent), step_(std::move(step)) {
    setWrapping(true);
    setAlignment(Qt::AlignCenter);
    setFixedWidth(56);
}

void PickerField::stepBy(int steps) {
    if (step_) step_(steps);
}

QString PickerField::textFromValue(int value) const { return QString("%1").arg(value, 2, 10, QChar('0')); }

// --- building ----------------------------------------------------------------

TimerWindow::TimerWindow(app::App& app, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint), app_(app),
      optionsListener_(app.optionsChanged, [this] { showChangedOptions(); }) {
    new ResizeSound(this, [&app] { app.sounds.play(SoundEvent::Resize); });
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(10, 6, 10, 10);
    v->setSpacing(8);
    buildMenu();
    v->setMenuBar(menuBar_);
    v->addWidget(buildTopBar());
    auto* middle = new QHBoxLayout;
    middle->addWidget(buildMacroList());
    auto* right = new QVBoxLayout;
    right->addWidget(buildPicker());
    right->addWidget(buildRows(), 1);
    middle->addLayout(right, 1);
    v->addLayout(middle, 1);
    v->addWidget(buildLoop());
    v->addWidget(buildOptions());
    v->addWidget(buildButtons());
    setWindowTitle(q(app_.tr("Setup Timers")));
}

TimerWindow::~TimerWindow() { bindLogic(nullptr); }

QPushButton* TimerWindow::button(const char* caption, const std::function<void(windows::TimerWindowForm&)>& run) {
    auto* b = new QPushButton(q(app_.tr(caption)), this);
    b->setAutoDefault(false);
    onClick(b, run);
    return b;
}

void TimerWindow::onClick(QAbstractButton* b, const std::function<void(windows::TimerWindowForm&)>& run) {
    connect(b, &QAbstractButton::clicked, this, [this, run] {
        if (!logic_) return;
        logic_->clickSound();
        run(*logic_);
    });
}

void TimerWindow::buildMenu() {
    menuBar_ = new QMenuBar(this);
    QMenu* prefs = menuBar_->addMenu(q(app_.tr("Timer Preferences")));
    QMenu* defaults = prefs->addMenu(q(app_.tr("Timer Setup Defaults to:")));
    auto* group = new QActionGroup(this);
    for (int k = 0; k < kChoosableDaysRules; ++k) {
        QAction* a = defaults->addAction(q(app_.tr(daysRuleInfo(static_cast<DaysRule>(k)).menuCaption)));
        a->setCheckable(true);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [this, k] {
            if (logic_) logic_->setRunDef(k);
        });
        runDefs_.push_back(a);
    }
    auto addOption = [this](QMenu* menu, TimerOption option) {
        QAction* a = menu->addAction(q(app_.tr(timerOptionInfo(option).caption)));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, option](bool on) {
            if (logic_) logic_->setOption(option, on);
        });
        optionActions_.push_back(a);
    };
    addOption(prefs, TimerOption::AllowNewTimers);
    addOption(prefs, TimerOption::ManualOffOnStart);
    QMenu* confirm = prefs->addMenu(q(app_.tr("Show Confimations For:")));
    for (TimerOption o : {TimerOption::ConfirmClear, TimerOption::ConfirmDelete, TimerOption::ConfirmSaveQuit})
        addOption(confirm, o);
    prefs->addSeparator();
    prefs->addAction(q(app_.tr("Cancel"))); // closes the menu
}

QWidget* TimerWindow::buildTopBar() {
    auto* bar = new QWidget(this);
    auto* h = new QHBoxLayout(bar);
    h->setContentsMargins(0, 0, 0, 0);
    clock_ = new QLabel(bar);
    setClockFont(clock_, 18, QFont::Bold);
    clock_->setMinimumWidth(130);
    sunrise_ = new ClickLabel(bar);
    sunset_ = new ClickLabel(bar);
    for (QLabel* l : {sunrise_, sunset_}) {
        static_cast<ClickLabel*>(l)->doubleClicked = [this] {
            windows::openPreferences(app_, windows::PreferencesTab::Location);
        };
        l->setMinimumWidth(140);
    }
    master_ = new QCheckBox(bar);
    master_->setStyleSheet("font-weight:700;");
    connect(master_, &QCheckBox::toggled, this, [this](bool on) {
        if (logic_) logic_->setMasterSwitch(on);
    });
    h->addWidget(clock_);
    h->addSpacing(16);
    h->addWidget(sunrise_);
    h->addWidget(sunset_);
    h->addStretch(1);
    h->addWidget(master_);
    return bar;
}

QWidget* TimerWindow::buildMacroList() {
    auto* box = new QGroupBox(q(app_.tr("Macros")), this);
    auto* v = new QVBoxLayout(box);
    macroList_ = new QListWidget(box);
    macroList_->setMinimumWidth(170);
    macroList_->setMaximumWidth(240);
    connect(macroList_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        if (!logic_) return;
        if (item->data(kCommandRole).toBool()) logic_->manualSend(item->text().toStdString());
        else logic_->manualRun(item->text().toStdString());
    });
    refresh_ = button("Refresh", [](windows::TimerWindowForm& l) { l.refreshMacroList(); });
    v->addWidget(macroList_, 1);
    v->addWidget(refresh_);
    return box;
}

QWidget* TimerWindow::buildPicker() {
    auto* box = new QWidget(this);
    auto* h = new QHBoxLayout(box);
    h->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(q(app_.tr("Start Time")), box);
    label->setStyleSheet("font-weight:600;");
    h->addWidget(label);
    for (int f = 0; f < 3; ++f) {
        auto field = static_cast<windows::StartTimePicker::Field>(f);
        auto* spin = new PickerField(box, [this, field](int steps) {
            if (!logic_) return;
            logic_->picker().step(field, steps);
            refreshPicker();
        });
        connect(spin, &QSpinBox::valueChanged, this, [this, field](int value) {
            if (logic_) logic_->picker().setField(field, value);
        });
        picker_[static_cast<std::size_t>(f)] = spin;
        if (f > 0) h->addWidget(new QLabel(":", box));
        h->addWidget(spin);
    }
    am_ = new QCheckBox(q(app_.tr("AM")), box);
    pm_ = new QCheckBox(q(app_.tr("PM")), box);
    auto* ampm = new QButtonGroup(box);
    ampm->addButton(am_);
    ampm->addButton(pm_);
    connect(pm_, &QCheckBox::toggled, this, [this](bool on) {
        if (logic_) logic_->picker().setPm(on);
    });
    sync_ = button("<-- Sync to system time", [this](windows::TimerWindowForm& l) {
        l.syncPicker();
        refreshPicker();
    });
    h->addWidget(am_);
    h->addWidget(pm_);
    h->addWidget(sync_);
    h->addStretch(1);
    return box;
}

QWidget* TimerWindow::buildRows() {
    scroll_ = new QScrollArea(this);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* inner = new QWidget(scroll_);
    auto* outer = new QVBoxLayout(inner);
    outer->setContentsMargins(4, 4, 4, 4);
    grid_ = new QGridLayout;
    grid_->setHorizontalSpacing(4);
    grid_->setVerticalSpacing(3);
    const char* heads[] = {"Timer", "Macro", "Start Time", "", "", "Days", ""};
    for (int c = 0; c < 7; ++c) {
        auto* head = new QLabel(q(app_.tr(heads[c])), inner);
        head->setStyleSheet("font-weight:600; color:#404040;");
        grid_->addWidget(head, 0, c);
    }
    grid_->setColumnStretch(1, 3);
    grid_->setColumnStretch(2, 2);
    outer->addLayout(grid_);
    outer->addStretch(1);
    scroll_->setWidget(inner);
    scroll_->setMinimumHeight(240);
    scroll_->setMinimumWidth(560);
    return scroll_;
}

QWidget* TimerWindow::buildLoop() {
    auto* box = new QGroupBox(q(app_.tr("Loop Timer")), this);
    auto* grid = new QGridLayout(box);
    loopPut_ = button("L -->", [this](windows::TimerWindowForm& l) { l.chooseLoopMacro(selectedName()); });
    loopEntry_ = new QLineEdit(box);
    loopEntry_->setReadOnly(true);
    loopDays_ = new ColourLabel(box);
    loopDays_->setMinimumWidth(90);
    loopDays_->clicked = [this] {
        if (!logic_ || !logic_->canChooseLoopDays()) return;
        openDaysList(loopDays_, kLoopRules, logic_->service().table().loop().days, [this](DaysRule r) {
            if (logic_) logic_->chooseLoopDays(r);
        });
    };
    loopClear_ = new QToolButton(box);
    loopClear_->setText("X");
    onClick(loopClear_, [](windows::TimerWindowForm& l) { l.clearLoop(); });
    loopEnable_ = new QCheckBox(q(app_.tr("Enable Loop")), box);
    // The loop timer plays the click itself when it starts.
    connect(loopEnable_, &QCheckBox::clicked, this, [this](bool on) {
        if (logic_) logic_->setLoopEnabled(on);
    });
    loopWindow_ = new QCheckBox(q(app_.tr("Use start && end times")), box);
    loopStart_ = new QTimeEdit(box);
    loopEnd_ = new QTimeEdit(box);
    for (QTimeEdit* t : {loopStart_, loopEnd_}) connect(t, &QTimeEdit::timeChanged, this, [this] { takeLoopWindow(); });
    connect(loopWindow_, &QCheckBox::toggled, this, [this] { takeLoopWindow(); });
    loopFlash_ = new QCheckBox(q(app_.tr("flash light on main window for loop")), box);
    onClick(loopFlash_, [this](windows::TimerWindowForm& l) { l.setLoopFlash(loopFlash_->isChecked()); });
    auto* times = new QHBoxLayout;
    times->addWidget(loopWindow_);
    times->addWidget(loopStart_);
    times->addWidget(new QLabel(q(app_.tr("to")), box));
    times->addWidget(loopEnd_);
    times->addStretch(1);
    times->addWidget(loopFlash_);
    grid->addWidget(loopPut_, 0, 0);
    grid->addWidget(loopEntry_, 0, 1);
    grid->addWidget(loopDays_, 0, 2);
    grid->addWidget(loopClear_, 0, 3);
    grid->addWidget(loopEnable_, 0, 4);
    grid->addLayout(times, 1, 0, 1, 5);
    grid->setColumnStretch(1, 1);
    return box;
}

QWidget* TimerWindow::buildOptions() {
    auto* row = new QWidget(this);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    manual_ = new QCheckBox(q(app_.tr("Allow Manual")), row);
    connect(manual_, &QCheckBox::toggled, this, [this](bool on) {
        if (!logic_) return;
        logic_->setAllowManual(on);
        for (const Row& r : rows_) {
            r.entry->setReadOnly(!on);
            r.start->setReadOnly(!on);
        }
    });
    startSound_ = new QCheckBox(q(app_.tr("Sound on Timer start")), row);
    onClick(startSound_, [this](windows::TimerWindowForm& l) { l.setSoundOnStart(startSound_->isChecked()); });
    commandSound_ = new QCheckBox(q(app_.tr("Sound on each command in macro")), row);
    onClick(commandSound_, [this](windows::TimerWindowForm& l) { l.setSoundOnCommand(commandSound_->isChecked()); });
    h->addWidget(manual_);
    h->addSpacing(16);
    h->addWidget(startSound_);
    h->addWidget(commandSound_);
    h->addStretch(1);
    return row;
}

QWidget* TimerWindow::buildButtons() {
    auto* row = new QWidget(this);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    add_ = button("Add Timer", [](windows::TimerWindowForm& l) { l.addTimer(); });
    remove_ = button("Remove Timer", [](windows::TimerWindowForm& l) { l.removeTimer(); });
    status_ = button("Status / Log", [this](windows::TimerWindowForm& l) {
        l.statusDump();
        app_.windows().showTimerLog();
    });
    help_ = button("&Help", [this](windows::TimerWindowForm&) { app::showHelp(app_, app::help::TimerWindow); });
    onHelpKey(*this, [this] { app::showHelp(app_, app::help::TimerWindow); });
    apply_ = button("&Apply", [](windows::TimerWindowForm& l) { l.apply(); });
    apply_->setDefault(true);
    close_ = button("&Close", [this](windows::TimerWindowForm& l) {
        if (!l.closeAndSave()) return;
        storePlacement();
        hide();
    });
    cancel_ = button("Cancel", [this](windows::TimerWindowForm& l) {
        if (!l.cancel()) return;
        storePlacement();
        hide();
    });
    for (QPushButton* b : {add_, remove_, status_, help_}) h->addWidget(b);
    h->addStretch(1);
    for (QPushButton* b : {apply_, close_, cancel_}) h->addWidget(b);
    return row;
}

// --- rows --------------------------------------------------------------------

void TimerWindow::addRowWidgets(int i) {
    QWidget* inner = scroll_->widget();
    Row r;
    r.put = new QPushButton(inner);
    r.put->setAutoDefault(false);
    r.put->setFixedWidth(52);
    r.entry = new QLineEdit(inner);
    r.entry->setMinimumWidth(150);
    r.start = new QLineEdit(inner);
    r.start->setMinimumWidth(96);
    r.time = new QPushButton("T", inner);
    r.macro = new QPushButton("M", inner);
    for (QPushButton* b : {r.time, r.macro}) {
        b->setAutoDefault(false);
        b->setFixedWidth(28);
    }
    r.days = new ColourLabel(inner);
    r.days->setMinimumWidth(86);
    r.clear = new QToolButton(inner);
    r.clear->setText("X");
    const int at = i + 1; // row 0 holds the headings
    QWidget* cells[] = {r.put, r.entry, r.start, r.time, r.macro, r.days, r.clear};
    for (int c = 0; c < 7; ++c) grid_->addWidget(cells[c], at, c);
    rows_.push_back(r);
    bindRow(i);
}

void TimerWindow::bindRow(int i) {
    const Row& r = rows_[static_cast<std::size_t>(i)];
    onClick(r.put, [this, i](windows::TimerWindowForm& l) { l.putMacroAndTime(i, selectedName()); });
    onClick(r.time, [i](windows::TimerWindowForm& l) { l.putTime(i); });
    onClick(r.macro, [this, i](windows::TimerWindowForm& l) { l.putMacro(i, selectedName()); });
    onClick(r.clear, [i](windows::TimerWindowForm& l) { l.clearTimer(i); });
    QLineEdit* entry = r.entry;
    QLineEdit* start = r.start;
    connect(entry, &QLineEdit::textEdited, this, [this, i, entry](const QString& text) {
        if (logic_) setTextIfChanged(entry, q(logic_->typeEntry(i, text.toStdString())));
    });
    connect(start, &QLineEdit::textEdited, this, [this, i, start](const QString& text) {
        if (logic_) setTextIfChanged(start, q(logic_->typeStart(i, text.toStdString())));
    });
    connect(start, &QLineEdit::editingFinished, this, [this, i, start] {
        if (logic_ && i < logic_->count()) setTextIfChanged(start, q(logic_->finishStart(i)));
    });
    ColourLabel* days = r.days;
    days->clicked = [this, i, days] {
        if (!logic_ || !logic_->canChooseDays(i)) return;
        openDaysList(days, kChoosableDaysRules, logic_->days(i), [this, i](DaysRule rule) {
            if (logic_ && i < logic_->count()) logic_->chooseDays(i, rule);
        });
    };
}

void TimerWindow::removeLastRowWidgets() {
    const Row r = rows_.back();
    rows_.pop_back();
    for (QWidget* w : std::initializer_list<QWidget*>{r.put, r.entry, r.start, r.time, r.macro, r.days, r.clear}) {
        grid_->removeWidget(w);
        delete w;
    }
}

void TimerWindow::syncRowCount() {
    const int wanted = logic_ ? logic_->count() : 0;
    if (wanted == rows()) return;
    while (rows() > wanted) removeLastRowWidgets();
    while (rows() < wanted) addRowWidgets(rows());
    fixTabOrder();
    applyTips();
}

std::string TimerWindow::selectedName() const {
    const QListWidgetItem* item = macroList_->currentItem();
    return item && item->isSelected() ? item->text().toStdString() : std::string();
}

bool TimerWindow::selectMacro(const QString& name) {
    const auto found = macroList_->findItems(name, Qt::MatchExactly);
    if (found.isEmpty()) return false;
    macroList_->setCurrentItem(found.first());
    return true;
}

void TimerWindow::openDaysList(ColourLabel* at, int rules, DaysRule current,
                               const std::function<void(DaysRule)>& choose) {
    delete daysList_;
    daysList_ = new QMenu(this);
    QAction* chosen = nullptr;
    for (int k = 0; k < rules; ++k) {
        const auto rule = static_cast<DaysRule>(k);
        QAction* a = daysList_->addAction(literalText(daysRuleCaption(rule)));
        connect(a, &QAction::triggered, this, [choose, rule] { choose(rule); });
        if (rule == current) chosen = a;
    }
    // The list opens on the label with the current rule under the pointer and the keys.
    daysList_->setActiveAction(chosen);
    daysList_->popup(at->mapToGlobal(QPoint(0, 0)), chosen);
}

// --- binding -----------------------------------------------------------------

void TimerWindow::attach(bool loaded) {
    windows::TimerWindowForm* logic = loaded ? app_.timerWindow.get() : nullptr;
    if (!logic && isVisible()) {
        storePlacement();
        hide();
    }
    bindLogic(logic);
    refreshSwitch();
}

void TimerWindow::bindLogic(windows::TimerWindowForm* logic) {
    if (logic == logic_) return;
    if (logic_) {
        logic_->service().clockTick().onNewSecond = nullptr;
        logic_->rowChanged = nullptr;
        logic_->rowsChanged = nullptr;
        logic_->loopChanged = nullptr;
        logic_->macroListChanged = nullptr;
    }
    logic_ = logic;
    if (logic_) {
        logic_->rowChanged = [this](int i) { refreshRow(i); };
        logic_->rowsChanged = [this] {
            syncRowCount();
            refreshAll();
        };
        logic_->loopChanged = [this] { refreshLoop(); };
        logic_->macroListChanged = [this] { refreshMacroList(); };
        const QSignalBlocker quiet(manual_);
        manual_->setChecked(logic_->allowManual());
    }
    syncRowCount();
    refreshAll();
}

// --- showing what the logic holds ----------------------------------------------

void TimerWindow::refreshAll() {
    if (!logic_) return;
    for (int i = 0; i < rows(); ++i) refreshRow(i);
    refreshLoop();
    refreshPicker();
    refreshMacroList();
    refreshMenu();
    refreshButtons();
    refreshSwitch();
    refreshSounds();
    refreshClockDriven();
}

void TimerWindow::refreshSounds() {
    const QSignalBlocker a(startSound_), b(commandSound_);
    startSound_->setChecked(logic_->soundOnStart());
    commandSound_->setChecked(logic_->soundOnCommand());
}

void TimerWindow::showChangedOptions() {
    if (!logic_) return;
    refreshSounds();
    applyTips();
    for (int i = 0; i < rows(); ++i) refreshRowState(i, false);
}

void TimerWindow::refreshRow(int i) {
    if (!logic_ || i < 0 || i >= rows()) return;
    const Row& r = rows_[static_cast<std::size_t>(i)];
    setTextIfChanged(r.put, q(logic_->rowButtonCaption(i)));
    setTextIfChanged(r.entry, q(logic_->entry(i)));
    setTextIfChanged(r.start, q(logic_->start(i)));
    r.entry->setReadOnly(!logic_->allowManual());
    r.start->setReadOnly(!logic_->allowManual());
    refreshRowState(i, true);
}

// The days label and the start field's colour and tip: they follow the
// rule, the day, the start text and the due time, and are redrawn only when
// one of those changed ("One Time" turns "Never" when it runs; sun times move).
void TimerWindow::refreshRowState(int i, bool always) {
    Row& r = rows_[static_cast<std::size_t>(i)];
    TimerService& s = logic_->service();
    Row::Drawn now{static_cast<int>(logic_->days(i)), s.clockTick().current().weekday, logic_->start(i),
                   s.table().startTimes().at(static_cast<std::size_t>(i)), app_.showToolTips};
    if (!always && now == r.drawn) return;
    r.drawn = std::move(now);
    setTextIfChanged(r.days, q(logic_->daysCaption(i)));
    r.days->setColour(logic_->daysColour(i));
    const bool error = logic_->startIsError(i);
    setErrorColour(r.start, error);
    r.start->setToolTip(app_.showToolTips ? q(logic_->startTip(i)) : QString());
}

// What the clock and sun ticks change, once per clock second while the
// window is shown; only what differs from what is drawn is set.
void TimerWindow::refreshClockDriven() {
    if (!logic_) return;
    TimerService& s = logic_->service();
    setTextIfChanged(clock_, q(s.shared().clockText));
    setTextIfChanged(sunrise_, q(s.sunTick().sunriseLabel()));
    setTextIfChanged(sunset_, q(s.sunTick().sunsetLabel()));
    for (int i = 0; i < rows(); ++i) refreshRowState(i, false);
    loopDays_->setColour(logic_->loopDaysColour());
    if (loopEnable_->isChecked() != logic_->loopEnabled()) {
        const QSignalBlocker quiet(loopEnable_);
        loopEnable_->setChecked(logic_->loopEnabled()); // a loop whose macro went away stops
    }
}

void TimerWindow::refreshLoop() {
    if (!logic_) return;
    setTextIfChanged(loopEntry_, q(logic_->loopEntryText()));
    setTextIfChanged(loopDays_, q(logic_->loopDaysCaption()));
    loopDays_->setColour(logic_->loopDaysColour());
    const QSignalBlocker a(loopEnable_), b(loopFlash_), c(loopWindow_), d(loopStart_), e(loopEnd_);
    loopEnable_->setChecked(logic_->loopEnabled());
    loopFlash_->setChecked(logic_->loopFlash());
    loopWindow_->setChecked(logic_->loopUsesWindow());
    const bool twelve = logic_->picker().twelveHour();
    for (QTimeEdit* t : {loopStart_, loopEnd_}) t->setDisplayFormat(twelve ? "h:mm:ss AP" : "H:mm:ss");
    loopStart_->setTime(timeOf(logic_->loopStart()));
    loopEnd_->setTime(timeOf(logic_->loopEnd()));
}

void TimerWindow::takeLoopWindow() {
    if (!logic_) return;
    const bool twelve = logic_->picker().twelveHour();
    logic_->setLoopWindow(loopWindow_->isChecked(), timeOfDayText(secondsOf(loopStart_->time()), twelve),
                          timeOfDayText(secondsOf(loopEnd_->time()), twelve));
}

void TimerWindow::refreshPicker() {
    if (!logic_) return;
    const windows::StartTimePicker& p = logic_->picker();
    for (int f = 0; f < 3; ++f) {
        PickerField* field = picker_[static_cast<std::size_t>(f)];
        const QSignalBlocker quiet(field);
        const bool hours = f == windows::StartTimePicker::Hours;
        field->setRange(hours && p.twelveHour() ? 1 : 0, hours ? (p.twelveHour() ? 12 : 23) : 59);
        field->setValue(p.field(static_cast<windows::StartTimePicker::Field>(f)));
    }
    am_->setVisible(p.twelveHour());
    pm_->setVisible(p.twelveHour());
    const QSignalBlocker a(am_), b(pm_);
    (p.pm() ? pm_ : am_)->setChecked(true);
}

void TimerWindow::refreshSwitch() {
    if (!logic_) return;
    const QSignalBlocker quiet(master_);
    master_->setChecked(logic_->masterSwitch());
    setTextIfChanged(master_, q(logic_->switchCaption()));
    const QString title = q(logic_->windowTitle());
    if (windowTitle() != title) setWindowTitle(title);
}

void TimerWindow::refreshMacroList() {
    if (!logic_) return;
    const QString selected = q(selectedName());
    const bool newCommand = macroList_->count() > 0 &&
                            static_cast<int>(logic_->commands().size()) > macroList_->property("commands").toInt();
    const QSignalBlocker quiet(macroList_);
    macroList_->clear();
    for (const std::string& c : logic_->commands()) {
        auto* item = new QListWidgetItem(q(c), macroList_);
        item->setData(kCommandRole, true);
        QFont italic = item->font();
        italic.setItalic(true);
        item->setFont(italic);
    }
    for (const std::string& f : logic_->macroFiles()) new QListWidgetItem(q(f), macroList_);
    macroList_->setProperty("commands", static_cast<int>(logic_->commands().size()));
    // A command handed over by a right click is chosen at once.
    if (newCommand || !selectMacro(selected)) macroList_->setCurrentRow(newCommand ? 0 : -1);
}

void TimerWindow::refreshMenu() {
    if (!logic_) return;
    const TimerWindowOptions& o = logic_->options();
    runDefs_.at(static_cast<std::size_t>(o.runDef))->setChecked(true);
    const TimerOption order[] = {TimerOption::AllowNewTimers, TimerOption::ManualOffOnStart, TimerOption::ConfirmClear,
                                 TimerOption::ConfirmDelete, TimerOption::ConfirmSaveQuit};
    for (std::size_t k = 0; k < optionActions_.size(); ++k) optionActions_[k]->setChecked(o[order[k]]);
}

void TimerWindow::refreshButtons() {
    if (!logic_) return;
    add_->setEnabled(logic_->canAddRows());
    remove_->setEnabled(logic_->canRemoveRows());
    applyTips();
}

void TimerWindow::applyTips() {
    auto tip = [this](QWidget* w, const std::string& text) { w->setToolTip(app_.showToolTips ? q(text) : QString()); };
    for (int i = 0; i < rows(); ++i) {
        const Row& r = rows_[static_cast<std::size_t>(i)];
        std::string n(1, ' ');
        n += std::to_string(i + 1) + " ";
        tip(r.put, app_.tip("Enter selected Macro and Start Time for Timer") + n +
                       app_.tip("(Timer must have both to operate)"));
        tip(r.time, app_.tip("Update the Time only for Timer") + n + app_.tip("(leaves the macro as-is)"));
        tip(r.macro, app_.tip("Enter selected Macro for Timer") + n +
                         app_.tip("(use to change the macro without changing the time)"));
        tip(r.days, app_.tip("Select which days to run this timer"));
        tip(r.clear, app_.tip("Click to clear Timer"));
    }
    if (logic_) tip(add_, logic_->addTip());
    tip(remove_, app_.tip("Remove Timer"));
    tip(apply_, app_.tip("Save changes"));
    tip(close_, app_.tip("Close and save the current settings"));
    tip(cancel_, app_.tip("Close window without saving changes"));
    tip(status_, app_.tip("Show timer status and log window"));
    tip(refresh_, app_.tip("Refresh macro list"));
    tip(sync_, app_.tip("Sets the Start Time to the current system time"));
    for (PickerField* f : picker_) tip(f, app_.tip("Use the up and down arrows to adjust the start time"));
    for (QWidget* w : {static_cast<QWidget*>(am_), static_cast<QWidget*>(pm_)})
        tip(w, app_.tip("Set the AM or PM for the Start Time"));
    tip(master_, app_.tip("Turns the selected timers ON or OFF (does NOT change the loop timer)"));
    tip(manual_, app_.tip("Select to allow manual editing of start time and macros"));
    for (QWidget* w : {static_cast<QWidget*>(sunrise_), static_cast<QWidget*>(sunset_)})
        tip(w, app_.tip("Double click for sunrise/sunset setup"));
    tip(clock_, app_.tip("current time"));
    tip(loopPut_, app_.tip("Enter selected macro in loop timer"));
    tip(loopDays_, app_.tip("Select which days to run the loop timer"));
    tip(loopClear_, app_.tip("Clear the loop timer"));
}

void TimerWindow::fixTabOrder() {
    std::vector<QWidget*> order{master_, macroList_, refresh_, picker_[0], picker_[1], picker_[2], am_, pm_, sync_};
    for (const Row& r : rows_) order.insert(order.end(), {r.put, r.entry, r.start, r.time, r.macro, r.days, r.clear});
    order.insert(order.end(),
                 {loopPut_, loopDays_, loopClear_, loopEnable_, loopWindow_, loopStart_, loopEnd_, loopFlash_, manual_,
                  startSound_, commandSound_, add_, remove_, status_, help_, apply_, close_, cancel_});
    for (std::size_t k = 1; k < order.size(); ++k) setTabOrder(order[k - 1], order[k]);
}

// --- showing and closing -------------------------------------------------------

void TimerWindow::open() {
    if (!placed_ && logic_) {
        const auto [left, top] = logic_->storedPosition();
        placeAtTwips(*this, left, top);
        placed_ = true;
    }
    bringUp(*this);
}

void TimerWindow::storePlacement() {
    if (logic_ && isVisible() && !isMinimized()) {
        const auto [left, top] = windowTwips(*this);
        logic_->storePosition(left, top);
    }
}

void TimerWindow::reject() { close(); }

void TimerWindow::closeEvent(QCloseEvent* e) {
    if (logic_) logic_->closeByFrame();
    storePlacement();
    e->accept();
}

void TimerWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!logic_) return;
    logic_->setShown(true);
    logic_->refreshMacroList();
    refreshAll();
    // The clock, the sun times and the days colours change with the clock's seconds.
    logic_->service().clockTick().onNewSecond = [this] { refreshClockDriven(); };
}

void TimerWindow::hideEvent(QHideEvent* e) {
    QDialog::hideEvent(e);
    if (!logic_) return;
    logic_->setShown(false);
    logic_->service().clockTick().onNewSecond = nullptr;
}

} // namespace zul::ui
