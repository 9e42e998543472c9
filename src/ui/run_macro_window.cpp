#include "ui/run_macro_window.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "app/app.h"
#include "app/help.h"
#include "app/main_macro.h"
#include "macros/macro_list.h"
#include "ui/screen_keeper.h"
#include "ui/tool_tip_gate.h"
#include "ui/widgets.h"

namespace zul::ui {

RunMacroWindow::RunMacroWindow(app::App& app, QWidget* parent) : QWidget(parent, Qt::Tool), app_(app) {
    setWindowTitle(q(app.tr(" Run")));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(8, 8, 8, 8);
    auto* heading = new QLabel(q(app.tr("Double click a macro to run it")), this);
    heading->setStyleSheet("color:#555;");
    list_ = new QListWidget(this);
    list_->setToolTip(q(app.tip("Double Click macro to run, right click to close")));
    new ToolTipGate(this, [&app] { return app.showToolTips; });
    v->addWidget(heading);
    v->addWidget(list_, 1);
    connect(list_, &QListWidget::itemActivated, this, [this] { runSelected(); });
    list_->viewport()->installEventFilter(new RightClickFilter(list_, [this] { hide(); }));
    resize(280, 340);
}

void RunMacroWindow::refresh() {
    list_->clear();
    for (const auto& name : macros::macroFileNames(app_.folder)) list_->addItem(q(name));
    if (list_->count() > 0) list_->setCurrentRow(0);
}

void RunMacroWindow::open() {
    wasActive_ = false;
    refresh();
    if (QWidget* owner = parentWidget()) ScreenKeeper::placeBeside(*this, *owner);
    show();
    raise();
    activateWindow();
    list_->setFocus();
}

void RunMacroWindow::runSelected() {
    QListWidgetItem* item = list_->currentItem();
    if (!item) return;
    wasActive_ = false;
    hide();
    app::NowPlaying how;
    how.wait = RunWindowWait;
    how.window = Window;
    app::playMacroNow(app_, app_.folder / item->text().toStdString(), std::move(how));
}

void RunMacroWindow::changeEvent(QEvent* e) {
    if (e->type() == QEvent::ActivationChange) {
        if (isActiveWindow()) wasActive_ = true;
        else if (wasActive_ && isVisible()) hide();
    }
    QWidget::changeEvent(e);
}

// A tool window shares the main window's activation, and with it the main
// window's F1: this window's own help goes first.
bool RunMacroWindow::event(QEvent* e) {
    if (e->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent*>(e)->matches(QKeySequence::HelpContents)) {
        e->accept();
        return true;
    }
    return QWidget::event(e);
}

void RunMacroWindow::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    if (e->matches(QKeySequence::HelpContents)) {
        app::showHelp(app_, app::help::RunMacro);
        return;
    }
    QWidget::keyPressEvent(e);
}

} // namespace zul::ui
