#include "ui/macro_setup_window.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QShortcut>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/app.h"
#include "macros/macro_list.h"
#include "platform/qt/text_printer.h"
#include "windows/timer_window.h"
#include "ui/group_setup_tab.h"
#include "ui/macro_editor_tab.h"
#include "ui/macro_manager_tab.h"
#include "ui/pause_dialog.h"
#include "ui/print_preview.h"
#include "ui/progress_window.h"
#include "ui/tool_tip_gate.h"
#include "ui/widgets.h"
#include "ui/window_position.h"

namespace zul::ui {

namespace {

constexpr WindowPositionKeys kPositionKeys{Setting::MacroSetupLeft, Setting::MacroSetupTop};

// The macro list: macro files dropped on it are copied into the program folder.
class DropList : public QListWidget {
public:
    using QListWidget::QListWidget;
    std::function<void(const std::vector<std::filesystem::path>&)> dropped;

protected:
    void dragEnterEvent(QDragEnterEvent* e) override {
        if (e->mimeData()->hasUrls()) e->acceptProposedAction();
    }
    void dragMoveEvent(QDragMoveEvent* e) override {
        if (e->mimeData()->hasUrls()) e->acceptProposedAction();
    }
    void dropEvent(QDropEvent* e) override {
        std::vector<std::filesystem::path> files;
        for (const QUrl& url : e->mimeData()->urls())
            if (url.isLocalFile()) files.emplace_back(url.toLocalFile().toStdString());
        if (dropped) dropped(files);
        e->acceptProposedAction();
    }
};

QPushButton* pushButton(const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setAutoDefault(false);
    return b;
}

} // namespace

MacroSetupWindow::MacroSetupWindow(app::App& app, QWidget* parent)
    : QWidget(parent, Qt::Window), app_(app), setup_(app) {
    setWindowTitle(q(app.tr("Setup Macros & Groups")));
    new ToolTipGate(this, [&app] { return app.showToolTips; });
    pause_ = std::make_unique<PauseDialog>(app, setup_.calculator, this);
    progress_ = std::make_unique<ProgressWindow>(app, this);
    preview_ = std::make_unique<PrintPreview>(app, this);
    preview_->print = [this](const QString& text) { printText(text); };
    setup_.showPauseCalculator = [this] { return pause_->ask(); };
    choosePrinter = qt::defaultPrinterChoice(this);

    tabs_ = new QTabWidget(this);
    editorTab_ = new MacroEditorTab(app, setup_, tabs_);
    groupTab_ = new GroupSetupTab(app, setup_, tabs_);
    managerTab_ = new MacroManagerTab(app, setup_, *progress_, tabs_);
    tabs_->addTab(editorTab_, q(app.tr("Setup Macros")));
    tabs_->addTab(groupTab_, q(app.tr("Setup Groups")));
    tabs_->addTab(managerTab_, q(app.tr("Manage Macros")));
    auto* v = new QVBoxLayout(this);
    auto* h = new QHBoxLayout;
    h->addWidget(tabs_, 1);
    h->addWidget(buildMacroPanel());
    v->addLayout(h, 1);
    v->addWidget(buildBottom());

    auto changed = [this] { refresh(); };
    editorTab_->changed = changed;
    groupTab_->changed = changed;
    managerTab_->changed = changed;
    editorTab_->hint = [this](const QString& text) { status_->setText(text); };
    setup_.changed = changed;
    connect(tabs_, &QTabWidget::currentChanged, this,
            [this](int tab) { macroPanel_->setVisible(tab != windows::MacroSetupWindowForm::GroupsTab); });
    // The Delete key in the macro list or the backup list asks as "Delete Macro" does.
    for (QWidget* list : {static_cast<QWidget*>(macros_), static_cast<QWidget*>(managerTab_->backupList())}) {
        auto* del = new QShortcut(QKeySequence::Delete, list, nullptr, nullptr, Qt::WidgetShortcut);
        connect(del, &QShortcut::activated, this, [this] { deleteSelected(); });
    }
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] { close(); });
    onHelpKey(*this, [this] { setup_.openHelp(windows::MacroSetupWindowForm::Tab(tabs_->currentIndex())); });
    resize(1040, 680);
    refresh();
}

MacroSetupWindow::~MacroSetupWindow() { setup_.changed = nullptr; }

QWidget* MacroSetupWindow::buildMacroPanel() {
    macroPanel_ = new QGroupBox(q(app_.tr("Macros")), this);
    macroPanel_->setFixedWidth(250);
    auto* v = new QVBoxLayout(macroPanel_);
    folder_ = new ClickLabel(macroPanel_);
    folder_->setWordWrap(true);
    folder_->setTextFormat(Qt::PlainText);
    folder_->doubleClicked = [this] {
        setup_.editor.resetActiveFolder();
        refresh();
    };
    auto* list = new DropList(macroPanel_);
    list->setAcceptDrops(true);
    list->setDropIndicatorShown(true);
    list->setToolTip(q(app_.tip("Double click the macro name to send it to the editor")));
    list->dropped = [this](const std::vector<std::filesystem::path>& files) {
        if (macros::importMacroFiles(files, app_.folder) > 0 && app_.timerWindow) app_.timerWindow->refreshMacroList();
        refresh();
    };
    macros_ = list;
    connect(macros_, &QListWidget::currentTextChanged, this, [this](const QString& name) { listChosen(name); });
    connect(macros_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        if (setup_.editor.openFromList(item->text().toStdString())) tabs_->setCurrentIndex(windows::MacroSetupWindowForm::MacrosTab);
        refresh();
    });
    v->addWidget(folder_);
    v->addWidget(macros_, 1);
    addPlayButtons(v);
    return macroPanel_;
}

void MacroSetupWindow::addPlayButtons(QVBoxLayout* v) {
    test_ = pushButton(q(app_.tr("&Test Macro")), macroPanel_);
    run_ = pushButton(q(app_.tr("R&un Macro")), macroPanel_);
    stop_ = pushButton(q(app_.tr("Sto&p")), macroPanel_);
    delete_ = pushButton(q(app_.tr("Delete Macro")), macroPanel_);
    refresh_ = pushButton(q(app_.tr("Refresh List")), macroPanel_);
    refresh_->setShortcut(QKeySequence(Qt::Key_F5));
    connect(test_, &QPushButton::clicked, this, [this] { play(true); });
    connect(run_, &QPushButton::clicked, this, [this] { play(false); });
    connect(stop_, &QPushButton::clicked, this, [this] { setup_.stop(); });
    connect(delete_, &QPushButton::clicked, this, [this] { deleteSelected(); });
    connect(refresh_, &QPushButton::clicked, this, [this] { refresh(); });
    auto* speedRow = new QHBoxLayout;
    speed_ = new QSlider(Qt::Horizontal, macroPanel_);
    speed_->setRange(0, windows::MacroSetupWindowForm::MaxTestSeconds);
    speed_->setToolTip(q(app_.tip("Test speed: the pause between commands of Test Macro")));
    speedText_ = new QLabel(macroPanel_);
    speedText_->setMinimumWidth(56);
    connect(speed_, &QSlider::valueChanged, this, [this](int seconds) {
        setup_.testSpeedSeconds = seconds;
        speedText_->setText("  " + QString::number(seconds) + " " + q(app_.tr("sec.")));
    });
    speedRow->addWidget(new QLabel(q(app_.tr("Test speed")), macroPanel_));
    speedRow->addWidget(speed_, 1);
    speedRow->addWidget(speedText_);
    auto* playRow = new QHBoxLayout;
    playRow->addWidget(test_);
    playRow->addWidget(run_);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(stop_);
    fileRow->addWidget(delete_);
    v->addLayout(playRow);
    v->addLayout(speedRow);
    v->addLayout(fileRow);
    v->addWidget(refresh_);
}

QWidget* MacroSetupWindow::buildBottom() {
    auto* bottom = new QWidget(this);
    auto* v = new QVBoxLayout(bottom);
    v->setContentsMargins(0, 0, 0, 0);
    status_ = new StatusLabel(bottom);
    status_->setFrameShape(QFrame::StyledPanel);
    status_->setMinimumHeight(24);
    auto* row = new QHBoxLayout;
    help_ = pushButton(q(app_.tr("&Help")), bottom);
    menu_ = pushButton(q(app_.tr("Menu")), bottom);
    ok_ = pushButton(q(app_.tr("&OK")), bottom);
    cancel_ = pushButton(q(app_.tr("&Cancel")), bottom);
    row->addWidget(help_);
    row->addWidget(menu_);
    row->addStretch(1);
    row->addWidget(ok_);
    row->addWidget(cancel_);
    v->addWidget(status_);
    v->addLayout(row);
    connect(help_, &QPushButton::clicked, this,
            [this] { setup_.openHelp(windows::MacroSetupWindowForm::Tab(tabs_->currentIndex())); });
    connect(menu_, &QPushButton::clicked, this, [this] {
        QMenu* menu = buildMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(menu_->mapToGlobal(QPoint(0, menu_->height())));
    });
    connect(ok_, &QPushButton::clicked, this, [this] { close(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { finishClosing(); });
    return bottom;
}

void MacroSetupWindow::open(windows::MacroSetupWindowForm::Tab tab, int group) {
    if (!isVisible()) {
        setup_.opened();
        restorePosition(*this, app_.settings, kPositionKeys);
    }
    tabs_->setCurrentIndex(tab);
    if (group >= 0) groupTab_->selectGroup(group);
    refresh();
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void MacroSetupWindow::refresh() {
    if (refreshing_) return;
    refreshing_ = true;
    editorTab_->refresh();
    groupTab_->refresh();
    managerTab_->refresh();
    refreshMacroPanel();
    status_->setText(q(setup_.editor.status()));
    refreshing_ = false;
}

void MacroSetupWindow::refreshMacroPanel() {
    auto& editor = setup_.editor;
    const bool home = editor.activeIsProgramFolder();
    folder_->setText(q(editor.activeFolder().string()));
    folder_->setStyleSheet(home ? "color:black;" : "color:#d00000; font-weight:600;");
    folder_->setToolTip(
        q(app_.tip(home ? "Active folder" : "Double click to set active folder back to program folder")));
    const QSignalBlocker block(macros_);
    macros_->clear();
    for (const auto& name : editor.macroNames()) macros_->addItem(q(name));
    if (editor.selectedMacro) {
        const auto found = macros_->findItems(q(*editor.selectedMacro), Qt::MatchExactly);
        if (found.isEmpty()) editor.selectedMacro.reset();
        else macros_->setCurrentItem(found.front());
    }
    const bool playing = setup_.playing();
    test_->setEnabled(!playing);
    run_->setEnabled(!playing);
    stop_->setEnabled(playing);
    speed_->setValue(setup_.testSpeedSeconds);
    speedText_->setText("  " + QString::number(setup_.testSpeedSeconds) + " " + q(app_.tr("sec.")));
}

void MacroSetupWindow::deleteSelected() {
    if (setup_.editor.deleteSelected() && app_.timerWindow) app_.timerWindow->refreshMacroList();
    refresh();
}

void MacroSetupWindow::listChosen(const QString& name) {
    setup_.editor.selectedMacro = name.isEmpty() ? std::nullopt : std::optional<std::string>(name.toStdString());
}

void MacroSetupWindow::play(bool test) { setup_.play(test); }

bool MacroSetupWindow::onManageTab() const { return tabs_->currentIndex() == windows::MacroSetupWindowForm::ManageTab; }

void MacroSetupWindow::print(windows::PrintUse use) {
    const macros::PrintStamp stamp{app_.clock.now(), qt::shortDateText, !app_.clock.uses24Hour()};
    const auto text = setup_.editor.printText(use, onManageTab(), stamp);
    refresh();
    if (!text) return;
    if (use == windows::PrintUse::Preview) preview_->showText(q(*text));
    else printText(q(*text));
}

void MacroSetupWindow::printMacro() { print(windows::PrintUse::Print); }
void MacroSetupWindow::previewMacro() { print(windows::PrintUse::Preview); }

void MacroSetupWindow::printText(const QString& text) {
    QPrinter printer(QPrinter::HighResolution);
    if (!choosePrinter || !choosePrinter(printer)) return;
    if (const auto failure = qt::printPlainText(printer, text))
        app_.dialogs.message(std::to_string(failure->number) + ": " + app_.tr(failure->text), "Error");
}

QMenu* MacroSetupWindow::buildMenu() {
    auto* menu = new QMenu(q(app_.tr("Macro-Menu")), this);
    auto add = [this, menu](const char* caption, std::function<void()> action) {
        QAction* a = menu->addAction(q(app_.tr(caption)));
        connect(a, &QAction::triggered, this, [this, action = std::move(action)] {
            action();
            refresh();
        });
        return a;
    };
    add("Open Macro", [this] { setup_.editor.open(); });
    add("Print the Loaded Macro", [this] { printMacro(); });
    add("Print Preview", [this] { previewMacro(); });
    QAction* sound = add("Sound", [this] { app_.sounds.enable(!app_.sounds.on()); });
    sound->setCheckable(true);
    sound->setChecked(app_.sounds.on());
    for (const bool open : {true, false}) {
        add(open ? "Open quick edit box" : "Close quick edit box", [this, open] {
            tabs_->setCurrentIndex(windows::MacroSetupWindowForm::MacrosTab);
            editorTab_->setQuickEditOpen(open);
        });
    }
    menu->addSeparator();
    add("Help", [this] { setup_.openHelp(windows::MacroSetupWindowForm::Tab(tabs_->currentIndex())); });
    add("Cancel", [] {});
    add("Exit", [this] { close(); });
    return menu;
}

void MacroSetupWindow::contextMenuEvent(QContextMenuEvent* e) {
    QMenu* menu = buildMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
}

void MacroSetupWindow::closeByProgram() {
    if (!isVisible()) return;
    setup_.groups.stopRecording();
    setup_.saveGroupDelay();
    finishClosing();
}

void MacroSetupWindow::finishClosing() {
    setup_.closed();
    storePosition(*this, app_.settings, kPositionKeys);
    hide();
}

void MacroSetupWindow::closeEvent(QCloseEvent* e) {
    if (!setup_.closeWithOk()) {
        e->ignore();
        return;
    }
    finishClosing();
    e->accept();
}

} // namespace zul::ui
