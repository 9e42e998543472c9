#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/app.h"
#include "app/groups_panel.h"
#include "app/main_clock.h"
#include "windows/main_window_menu.h"
#include "windows/main_window.h"
#include "app/placement.h"
#include "app/startup.h"
#include "app/timers_switch.h"
#include "settings/settings_store.h"
#include "ui/widgets.h"

namespace zul::ui {

namespace {
QPushButton* button(const QString& text, QWidget* parent, int minWidth = 0) {
    auto* b = new QPushButton(text, parent);
    b->setFocusPolicy(Qt::TabFocus);
    if (minWidth) b->setMinimumWidth(minWidth);
    return b;
}

QString lampStyle(bool lit) {
    return lit ? "background:#ff3b30; border:1px solid #7a1010; border-radius:7px;"
               : "background:#4a2424; border:1px solid #2a1010; border-radius:7px;";
}

QString colourCss(unsigned rgb) { return QString("#%1").arg(rgb, 6, 16, QChar('0')); }

// "Setup Macros & Groups" on a tab (0 macros, 1 groups, 2 manage), a group chosen.
void showMacroSetup(app::App& app, int tab, int group = -1) { app.windows().showMacroSetup(tab, group); }
} // namespace

MainWindow::MainWindow(app::App& app, QWidget* parent)
    : QMainWindow(parent), app_(app), simulatorWord_(q(app.tr("Simulator"))),
      waitingWord_(q(app.tr("waiting for commands"))) {
    setWindowTitle("Zulmarin");
    setAcceptDrops(true);
    new ResizeSound(this, [&app] { app.sounds.play(SoundEvent::Resize); });
    auto* central = new QWidget(this);
    auto* outer = new QHBoxLayout(central);
    outer->setContentsMargins(10, 10, 10, 6);
    outer->setSpacing(10);
    auto* left = new QVBoxLayout;
    left->setSpacing(8);
    left->addWidget(buildTopBar());
    left->addWidget(buildUnits());
    left->addWidget(buildCommandRow());
    outer->addLayout(left, 1);
    outer->addWidget(buildSideButtons());
    outer->addWidget(buildGroupsPanel());
    setCentralWidget(central);
    buildStatusBar();

    const auto listen = [this](Signal<>& news, std::function<void()> show) {
        listeners_.push_back(std::make_unique<Connection<>>(news, std::move(show)));
    };
    listen(app_.mainWindow->changed, [this] { refresh(); });
    listen(app_.groups->changed, [this] { refreshGroups(); });
    listen(app_.mainClock->changed, [this] { refreshClock(); });
    listen(app_.simulatorCommand, [this] { refreshClock(); });
    onHelpKey(*this, [this] { windows::runMenuEntry(app_, windows::MenuId::Help); });
    refreshTimers();
    refresh();
}

QWidget* MainWindow::buildTopBar() {
    auto* bar = new QFrame(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    auto* houseLabel = new QLabel(q(app_.tr("H&ouse")), bar); // Alt+H is Help
    house_ = new QComboBox(bar);
    for (int i = 1; i <= 16; ++i) house_->addItem(QString(QChar(x10::houseLetter(i))));
    house_->setMinimumWidth(60);
    houseLabel->setBuddy(house_);
    connect(house_, &QComboBox::activated, this, [this](int index) { app_.mainWindow->selectHouse(index); });
    page_ = button("", bar, 110);
    connect(page_, &QPushButton::clicked, this, [this] { app_.mainWindow->togglePage(); });
    clock_ = new QLabel(bar);
    setClockFont(clock_, 15, QFont::DemiBold);
    lamp_ = new QLabel(bar);
    lamp_->setFixedSize(14, 14);
    row->addWidget(houseLabel);
    row->addWidget(house_);
    row->addSpacing(12);
    row->addWidget(page_);
    row->addStretch(1);
    row->addWidget(clock_);
    row->addSpacing(6);
    row->addWidget(lamp_);
    return bar;
}

QGroupBox* MainWindow::buildUnits() {
    auto* box = new QGroupBox(q(app_.tr("Units")), this);
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    for (int i = 0; i < windows::MainWindowForm::Units; ++i) {
        const auto k = static_cast<std::size_t>(i);
        numbers_[k] = new QLabel(box);
        numbers_[k]->setMinimumWidth(22);
        numbers_[k]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        numbers_[k]->setStyleSheet("font-weight:600;");
        on_[k] = button(q(app_.tr("ON")), box, 52);
        off_[k] = button(q(app_.tr("OFF")), box, 52);
        descriptions_[k] = new DescriptionField(box);
        descriptions_[k]->save = [this, i](const QString& text) {
            const auto result = app_.mainWindow->saveDescription(i, text.toStdString());
            if (!result.saved) app_.dialogs.message(result.message);
            return result.saved;
        };
        descriptions_[k]->offerChoice(q(app_.tr("A&ppliance")),
                                      q(app_.tip("An appliance module: switched on and off, never dimmed")));
        descriptions_[k]->isChecked = [this, i] { return app_.mainWindow->appliance(i); };
        descriptions_[k]->saveChoice = [this, i](bool appliance) {
            if (const std::string why = app_.mainWindow->setAppliance(i, appliance); !why.empty())
                app_.dialogs.message(why);
        };
        grid->addWidget(numbers_[k], i, 0);
        grid->addWidget(on_[k], i, 1);
        grid->addWidget(off_[k], i, 2);
        grid->addWidget(descriptions_[k], i, 3);
        bindUnitButton(i, true);
        bindUnitButton(i, false);
    }
    grid->setColumnStretch(3, 1);
    return box;
}

void MainWindow::bindUnitButton(int i, bool on) {
    QPushButton* b = on ? on_[static_cast<std::size_t>(i)] : off_[static_cast<std::size_t>(i)];
    auto& logic = *app_.mainWindow;
    connect(b, &QPushButton::pressed, this, [&logic, i, on] { logic.unitDown(i, on, windows::MouseButton::Left); });
    connect(b, &QPushButton::released, this, [&logic, i, on] { logic.unitUp(i, on); });
    connect(b, &QPushButton::clicked, this, [&logic, on] { logic.unitClick(on); });
    b->installEventFilter(new RightClickFilter(b, [&logic, i, on] { logic.unitDown(i, on, windows::MouseButton::Right); }));
}

void MainWindow::bindHoldButton(QPushButton* b, bool bright) {
    auto& logic = *app_.mainWindow;
    connect(b, &QPushButton::pressed, this, [&logic, bright] { logic.holdDown(bright, windows::MouseButton::Left); });
    connect(b, &QPushButton::released, this, [&logic] { logic.holdUp(); });
    b->installEventFilter(new RightClickFilter(
        b, [&logic, bright] { logic.holdDown(bright, windows::MouseButton::Right); }, [&logic] { logic.holdUp(); }));
}

QWidget* MainWindow::buildCommandRow() {
    auto* row = new QWidget(this);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    auto* dimBox = new QGroupBox(q(app_.tr("Last unit")), row);
    auto* dimRow = new QHBoxLayout(dimBox);
    bright_ = button(q(app_.tr("BRI")), dimBox, 56);
    dim_ = button(q(app_.tr("DIM")), dimBox, 56);
    dimRow->addWidget(bright_);
    dimRow->addWidget(dim_);
    bindHoldButton(bright_, true);
    bindHoldButton(dim_, false);
    auto* houseBox = new QGroupBox(q(app_.tr("Whole house")), row);
    auto* houseRow = new QHBoxLayout(houseBox);
    struct Whole {
        QPushButton** b;
        const char* caption;
        x10::Action action;
    };
    const Whole wholes[] = {{&allOn_, "All Lights On", x10::Action::Aln},
                            {&allOff_, "All Lights Off", x10::Action::Alf},
                            {&allUnitsOff_, "All Units Off", x10::Action::Auf}};
    for (const auto& w : wholes) {
        *w.b = button(q(app_.tr(w.caption)), houseBox);
        houseRow->addWidget(*w.b);
        const auto action = w.action;
        connect(*w.b, &QPushButton::clicked, this,
                [this, action] { app_.mainWindow->wholeHouse(action, windows::MouseButton::Left); });
        (*w.b)->installEventFilter(new RightClickFilter(
            *w.b, [this, action] { app_.mainWindow->wholeHouse(action, windows::MouseButton::Right); }));
    }
    h->addWidget(dimBox);
    h->addWidget(houseBox, 1);
    return row;
}

QWidget* MainWindow::buildSideButtons() {
    auto* side = new QWidget(this);
    auto* v = new QVBoxLayout(side);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(6);
    minimize_ = new QToolButton(side);
    minimize_->setText("_");
    minimize_->setAutoRaise(true);
    auto minimize = [this](bool toTray) {
        if (minimizeRequested) minimizeRequested(toTray);
        else showMinimized();
    };
    connect(minimize_, &QToolButton::clicked, this, [minimize] { minimize(false); });
    minimize_->installEventFilter(new RightClickFilter(minimize_, [minimize] { minimize(true); }));
    v->addWidget(minimize_, 0, Qt::AlignRight);
    timers_ = button("", side, 120);
    timers_->setCheckable(true);
    connect(timers_, &QPushButton::toggled, this, [this](bool on) { setTimers(on); });
    timers_->installEventFilter(new RightClickFilter(timers_, [this] { app::openTimerWindow(app_); }));
    groupsToggle_ = button(q(app_.tr("&Groups")), side, 120);
    groupsToggle_->setCheckable(true);
    connect(groupsToggle_, &QPushButton::toggled, this, [this](bool on) {
        if (on != app_.groups->shown()) app_.groups->setShown(on);
    });
    groupsToggle_->installEventFilter(new RightClickFilter(groupsToggle_, [this] { showMacroSetup(app_, 1); }));
    macros_ = button(q(app_.tr("&Macros")), side);
    connect(macros_, &QPushButton::clicked, this, [this] { app_.windows().showRunMacro(); });
    macros_->installEventFilter(new RightClickFilter(macros_, [this] { showMacroSetup(app_, 0); }));
    setup_ = button(q(app_.tr("&Setup")), side);
    connect(setup_, &QPushButton::clicked, this, [this] { windows::runMenuEntry(app_, windows::MenuId::SetupPreferences); });
    favorites_ = button(q(app_.tr("Favorites")), side);
    connect(favorites_, &QPushButton::clicked, this, [this] { windows::runMenuEntry(app_, windows::MenuId::ViewFavorites); });
    menu_ = button(q(app_.tr("Menu")), side);
    connect(menu_, &QPushButton::clicked, this, [this] { showMenu(); });
    help_ = button(q(app_.tr("&Help")), side);
    connect(help_, &QPushButton::clicked, this, [this] { windows::runMenuEntry(app_, windows::MenuId::Help); });
    panic_ = button("", side);
    panic_->setMinimumHeight(46);
    connect(panic_, &QPushButton::clicked, this, [this] { app_.groups->panic().run(); });
    panic_->installEventFilter(new RightClickFilter(panic_, [this] { app_.groups->panic().setup(); }));
    exit_ = button(q(app_.tr("E&xit")), side);
    connect(exit_, &QPushButton::clicked, this, [this] { app_.startup->exitProgram(); });
    for (QWidget* w : {static_cast<QWidget*>(timers_), static_cast<QWidget*>(groupsToggle_),
                       static_cast<QWidget*>(macros_), static_cast<QWidget*>(setup_), static_cast<QWidget*>(favorites_),
                       static_cast<QWidget*>(menu_), static_cast<QWidget*>(help_)})
        v->addWidget(w);
    v->addStretch(1);
    v->addWidget(panic_);
    v->addSpacing(6);
    v->addWidget(exit_);
    return side;
}

QGroupBox* MainWindow::buildGroupsPanel() {
    groupsPanel_ = new QGroupBox(q(app_.tr("Groups")), this);
    auto* grid = new QGridLayout(groupsPanel_);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(4);
    closeGroups_ = new ClickLabel("<-", groupsPanel_);
    closeGroups_->setCursor(Qt::PointingHandCursor);
    closeGroups_->setStyleSheet("font-weight:600; color:#1565c0;");
    closeGroups_->clicked = [this] { app_.groups->setShown(false); };
    grid->addWidget(closeGroups_, 0, 0);
    for (int i = 0; i < macros::kGroupCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        // A long label is cut off to the panel, whole in the tool tip; an
        // unlabelled group's label is greyed but still opens the group editor.
        groupLabels_[k] = new ElidingLabel(120, 170, groupsPanel_);
        groupLabels_[k]->setStyleSheet(
            "QLabel { background:#ffffff; border:1px solid #b9bec6; border-radius:3px; padding:2px 4px; }"
            " QLabel[unlabelled=\"true\"] { color:#9a9a9a; background:#f5f5f5; }");
        groupLabels_[k]->doubleClicked = [this, i] { showMacroSetup(app_, 1, i); };
        groupOn_[k] = button(q(app_.tr("ON")), groupsPanel_);
        groupOff_[k] = button(q(app_.tr("OFF")), groupsPanel_);
        groupAuto_[k] = button(q(app_.tr("Auto-Off")), groupsPanel_);
        groupOn_[k]->setFixedWidth(52);
        groupOff_[k]->setFixedWidth(52);
        groupAuto_[k]->setFixedWidth(74);
        connect(groupOn_[k], &QPushButton::clicked, this, [this, i] { app_.groups->runner().runGroup(i, true); });
        connect(groupOff_[k], &QPushButton::clicked, this, [this, i] { app_.groups->runner().runGroup(i, false); });
        connect(groupAuto_[k], &QPushButton::clicked, this, [this, i] { app_.groups->runner().autoOff(i); });
        for (const bool on : {true, false}) {
            QPushButton* b = on ? groupOn_[k] : groupOff_[k];
            b->installEventFilter(new RightClickFilter(
                b, [this, i, on] { app_.groups->rightClick(i, on, app_.mainWindow->appendTimerCommand); }));
        }
        grid->addWidget(groupLabels_[k], i + 1, 0);
        grid->addWidget(groupOn_[k], i + 1, 1);
        grid->addWidget(groupOff_[k], i + 1, 2);
        grid->addWidget(groupAuto_[k], i + 1, 3);
    }
    setupGroups_ = button(q(app_.tr("Setup Groups")), groupsPanel_);
    connect(setupGroups_, &QPushButton::clicked, this, [this] { showMacroSetup(app_, 1); });
    grid->addWidget(setupGroups_, macros::kGroupCount + 1, 0, 1, 4);
    grid->setRowStretch(macros::kGroupCount + 2, 1);
    grid->setColumnStretch(0, 1);
    return groupsPanel_;
}

void MainWindow::buildStatusBar() {
    indicator_ = new QLabel(this);
    indicator_->setStyleSheet("color:#c62828; font-weight:600;");
    recording_ = new QLabel(q(app_.tr("Recording")), this);
    recording_->setStyleSheet("color:white; background:#c62828; font-weight:700; padding:0 6px; border-radius:3px;");
    recording_->hide();
    recordBlink_ = new QTimer(this);
    recordBlink_->setInterval(500);
    connect(recordBlink_, &QTimer::timeout, this, [this] { recording_->setVisible(!recording_->isVisible()); });
    // On the right, so its blinking never moves the status text.
    statusBar()->addPermanentWidget(recording_);
    simLine_ = new StatusLabel(this);
    simLine_->setContentsMargins(8, 0, 0, 0);
    statusBar()->addWidget(indicator_);
    statusBar()->addWidget(simLine_, 1);
    statusBar()->setSizeGripEnabled(false);
}

void MainWindow::refresh() {
    auto& logic = *app_.mainWindow;
    if (logic.recording() != recordBlink_->isActive()) {
        recording_->setVisible(logic.recording());
        if (logic.recording()) recordBlink_->start();
        else recordBlink_->stop();
    }
    if (house_->currentIndex() != logic.house()) house_->setCurrentIndex(logic.house());
    page_->setText(q(app_.tr(logic.highPage() ? "Units 9-16" : "Units 1-8")));
    for (int i = 0; i < windows::MainWindowForm::Units; ++i) {
        const auto k = static_cast<std::size_t>(i);
        numbers_[k]->setText(QString::number(logic.unitNumber(i)));
        if (!descriptions_[k]->editing()) descriptions_[k]->setText(q(logic.description(i)));
    }
    refreshGroups();
    refreshClock();
    applyTips();
}

void MainWindow::refreshGroups() {
    const auto& groups = *app_.groups;
    showGroupsPanel(groups.shown());
    if (groupsToggle_->isChecked() != groups.shown()) groupsToggle_->setChecked(groups.shown());
    for (int i = 0; i < macros::kGroupCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const std::string& label = groups.label(i);
        ElidingLabel* shown = groupLabels_[k];
        shown->setFullText(label.empty() ? q(app_.tr("Group") + " " + std::to_string(i + 1)) : q(label));
        if (shown->property("unlabelled").toBool() != label.empty()) {
            shown->setProperty("unlabelled", label.empty());
            shown->style()->unpolish(shown);
            shown->style()->polish(shown);
        }
        groupAuto_[k]->setVisible(groups.autoOffButtons());
    }
    const auto& panic = groups.panic();
    panic_->setText(q(app_.tr(panic.buttonCaption())));
    panic_->setVisible(panic.settings.shown);
    panic_->setStyleSheet(QString("QPushButton { background:%1; color:white; font-weight:700; border-radius:4px; "
                                  "padding:6px; } QPushButton:pressed { background:#333; }")
                              .arg(colourCss(groups.panicRgb())));
}

void MainWindow::showGroupsPanel(bool shown) {
    if (groupsPanel_->isHidden() != shown) return;
    if (shown) widthWithoutGroups_ = isVisible() ? width() : 0;
    groupsPanel_->setVisible(shown);
    if (shown || !isVisible()) return; // not shown yet, the window takes its size from the layout
    // The panel made the window wider; without it the window is as wide as before.
    QTimer::singleShot(0, this, [this] {
        if (!groupsPanel_->isHidden()) return;
        centralWidget()->layout()->activate();
        layout()->invalidate();
        layout()->activate();
        const int before = widthWithoutGroups_ > 0 ? widthWithoutGroups_ : sizeHint().width();
        resize(std::max(before, minimumSizeHint().width()), height());
    });
}

void MainWindow::refreshClock() {
    const auto& clock = *app_.mainClock;
    clock_->setText(q(clock.clockText()));
    // The clock ticks twice a second: only what changed is restyled and repainted.
    if (lampShown_ != static_cast<int>(clock.lampLit())) {
        lampShown_ = clock.lampLit();
        lamp_->setStyleSheet(lampStyle(clock.lampLit()));
    }
    indicator_->setText(q(clock.indicatorText()));
    indicator_->setVisible(!clock.indicatorText().empty());
    QString line = q(clock.updateStatus());
    if (app_.simulatorInUse()) {
        QStringList recent;
        for (const auto& c : app_.simulatorCommands()) recent << q(c);
        line = simulatorWord_ + ": " + (recent.isEmpty() ? waitingWord_ : recent.join("  \u00b7  "));
    }
    if (!app_.portProblem.empty()) line = q(app_.portProblem);
    // A macro started while another one plays waits for it, and says so.
    const std::string turns = app_.macroTurns.statusText([this](const std::string& t) { return app_.tr(t); });
    if (!turns.empty()) line = q(turns) + (line.isEmpty() ? QString() : "  \u00b7  " + line);
    simLine_->setText(line);
}

void MainWindow::applyTips() {
    auto tip = [this](QWidget* w, const std::string& text) { w->setToolTip(app_.showToolTips ? q(text) : QString()); };
    auto& logic = *app_.mainWindow;
    tip(house_, app_.tip("Click on or type letter to select House Code"));
    tip(page_, logic.pageTip());
    for (int i = 0; i < windows::MainWindowForm::Units; ++i) {
        const auto k = static_cast<std::size_t>(i);
        tip(on_[k], logic.unitTip(i, true));
        tip(off_[k], logic.unitTip(i, false));
        descriptions_[k]->setTips(app_.showToolTips ? q(app_.tip("Double Click to Type, Press Enter to Save")) : "",
                                  app_.showToolTips ? q(app_.tip("Press ENTER to save")) : "");
    }
    tip(bright_, app_.tip("Brighten last selected light"));
    tip(dim_, app_.tip("Dim last selected light"));
    tip(allOn_, app_.tip("All Lights On"));
    tip(allOff_, app_.tip("All Lights Off"));
    tip(allUnitsOff_, app_.tip("All Units Off"));
    tip(timers_,
        app_.tip(timersOn_ ? "Timers are ON (right click for setup)" : "Timers are OFF (right click for setup)"));
    tip(groupsToggle_, app_.tip("Show Groups (right click for setup)"));
    tip(macros_, app_.tip("Run a Macro (right click for setup)"));
    tip(setup_, app_.tip("Program Setup and Preferences"));
    tip(help_, app_.tip("Click for Help"));
    tip(exit_, app_.tip("Close Program"));
    tip(panic_, app_.tip("Run 'Panic' Routine (right click for setup)"));
    tip(minimize_, app_.tip("Minimize (Right click sends to tray)"));
    tip(closeGroups_, app_.tip("Hide Groups"));
    for (int i = 0; i < macros::kGroupCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        tip(groupOn_[k], app_.groups->runner().onTip(i));
        tip(groupOff_[k], app_.groups->runner().offTip(i));
        tip(groupAuto_[k], app_.groups->runner().autoOffTip(i));
        groupLabels_[k]->setHint(app_.showToolTips ? q(app_.tip("Double Click to change or update")) : QString());
    }
}

void MainWindow::setTimers(bool on) {
    app::switchTimers(app_, on);
    refreshTimers();
}

void MainWindow::refreshTimers() {
    timersOn_ = app::timersOn(app_);
    QString caption = q(app_.tr(timersOn_ ? "Timers ON" : "Timers OFF"));
    if (!caption.contains('&')) caption.prepend('&');
    timers_->setText(caption);
    const QSignalBlocker quiet(timers_);
    timers_->setChecked(timersOn_);
    applyTips();
    if (timersChanged) timersChanged(timersOn_);
}

QMenu* MainWindow::buildMenu() {
    auto* menu = new QMenu(this);
    fillMenu(menu);
    return menu;
}

void MainWindow::fillMenu(QMenu* menu) {
    std::function<void(QMenu*, const std::vector<windows::MenuEntry>&)> fill = [&](QMenu* m, const auto& entries) {
        for (const auto& e : entries) {
            if (!e.visible) continue;
            if (e.id == windows::MenuId::Separator) {
                m->addSeparator();
            } else if (e.id == windows::MenuId::Submenu) {
                fill(m->addMenu(q(app_.tr(e.caption))), e.children);
            } else {
                // A language is named by its file ("R&D.lan"): shown as it stands.
                QAction* a =
                    m->addAction(e.id == windows::MenuId::LanguageEntry ? literalText(e.caption) : q(app_.tr(e.caption)));
                a->setCheckable(e.checkable);
                a->setChecked(e.checked);
                a->setEnabled(e.enabled);
                const auto id = e.id;
                const int language = e.languageIndex;
                connect(a, &QAction::triggered, this, [this, id, language] {
                    windows::runMenuEntry(app_, id, language);
                    refresh();
                });
            }
        }
    };
    fill(menu, windows::buildMainMenu(app_));
}

void MainWindow::showMenu() {
    QMenu* menu = buildMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(menu_->mapToGlobal(QPoint(0, menu_->height())));
}

void MainWindow::placeFromSettings() {
    if (const auto position = storedWindowPosition(app_.settings, app::MainWindowPositionKeys))
        placeAtTwips(*this, position->first, position->second);
}

std::pair<int, int> MainWindow::positionTwips() const { return windowTwips(*this); }

void MainWindow::closeEvent(QCloseEvent* e) {
    // The window's close button is Exit: a Cancel over unsaved work keeps it open.
    if (app_.startup->exitProgram()) e->accept();
    else e->ignore();
}

void MainWindow::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    // The window manager's minimise goes to the tray too while that is chosen.
    if (e->type() == QEvent::WindowStateChange && isMinimized() && app_.minimizeToTray && minimizeRequested)
        QTimer::singleShot(0, this, [this] {
            // Only while it still is: a window coming back passes through minimised.
            if (isMinimized()) minimizeRequested(true);
        });
}

void MainWindow::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* e) {
    app_.startup->dropFiles(droppedFiles(*e));
    e->acceptProposedAction();
}

} // namespace zul::ui
