#include "ui/favourites_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include "app/app.h"
#include "app/help.h"
#include "app/startup.h"
#include "ui/widgets.h"

namespace zul::ui {

FavouritesWindow::FavouritesWindow(app::App& app) : QWidget(nullptr, Qt::Window), app_(app) {
    setWindowTitle(q("ZUL " + app.tr("Favorites")));
    setAcceptDrops(true);
    rowHeight_ = fontMetrics().height() + 12;
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(6, 4, 6, 0);
    v->setSpacing(4);
    auto* bar = new QMenuBar(this);
    options_ = bar->addAction(q(app.tr("&Options")));
    options_->setCheckable(true);
    connect(options_, &QAction::toggled, this, [this](bool on) {
        optionsPanel_->setVisible(on);
        fitHeight();
    });
    QAction* menu = bar->addAction(q(app.tr("&Menu")));
    connect(menu, &QAction::triggered, this, [this] {
        if (!mainMenu) return;
        QMenu* m = mainMenu();
        m->setAttribute(Qt::WA_DeleteOnClose);
        m->popup(QCursor::pos());
    });
    QAction* help = bar->addAction(q(app.tr("&Help")));
    connect(help, &QAction::triggered, this, [this] { app::showHelp(app_, app::help::Favourites); });
    onHelpKey(*this, [this] { app::showHelp(app_, app::help::Favourites); });
    v->setMenuBar(bar);
    v->addWidget(buildOptions());
    v->addWidget(buildList());
    v->addWidget(buildCommands());
    status_ = new StatusLabel(this);
    status_->setStyleSheet("QLabel { border-top:1px solid #c8ccd2; padding:3px 2px; color:#333; }");
    v->addWidget(status_);
}

FavouritesWindow::~FavouritesWindow() = default;

QWidget* FavouritesWindow::buildOptions() {
    optionsPanel_ = new QFrame(this);
    optionsPanel_->setFrameShape(QFrame::StyledPanel);
    auto* v = new QVBoxLayout(optionsPanel_);
    onTop_ = new QCheckBox(q(app_.tr("Always on top")), optionsPanel_);
    sort_ = new QCheckBox(q(app_.tr("Sort by name")), optionsPanel_);
    maxVisible_ = new QLineEdit(optionsPanel_);
    maxVisible_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,3}"), maxVisible_));
    maxVisible_->setFixedWidth(44);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(q(app_.tr("Max Favorites Visible")), optionsPanel_));
    row->addWidget(maxVisible_);
    row->addStretch(1);
    v->addWidget(onTop_);
    v->addWidget(sort_);
    v->addLayout(row);
    connect(onTop_, &QCheckBox::clicked, this, [this](bool on) {
        logic_->setOnTop(on);
        putOnTop(on);
    });
    connect(sort_, &QCheckBox::clicked, this, [this](bool on) {
        logic_->setSortByName(on);
        rebuild();
    });
    connect(maxVisible_, &QLineEdit::textEdited, this,
            [this](const QString& t) { logic_->setMaxVisible(t.toStdString()); });
    connect(maxVisible_, &QLineEdit::editingFinished, this, [this] {
        logic_->setFavs();
        rebuild();
    });
    optionsPanel_->hide();
    return optionsPanel_;
}

QWidget* FavouritesWindow::buildList() {
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::StyledPanel);
    auto* h = new QHBoxLayout(frame);
    h->setContentsMargins(1, 1, 1, 1);
    h->setSpacing(4);
    list_ = new QListWidget(frame);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setUniformItemSizes(true);
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setFocusPolicy(Qt::NoFocus);
    connect(list_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int row) {
        if (open_) logic_->scrollTo(row);
    });
    // Each pair of buttons is exactly one list row high, both stacks from the top.
    pairsColumn_ = new QVBoxLayout;
    pairsColumn_->setSpacing(0);
    pairsColumn_->setContentsMargins(0, 0, 0, 0);
    pairsColumn_->addStretch(1);
    h->addWidget(list_, 1, Qt::AlignTop);
    h->addLayout(pairsColumn_);
    return frame;
}

QWidget* FavouritesWindow::buildCommands() {
    auto* row = new QWidget(this);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    bright_ = new QPushButton(q(app_.tr("BRI")), row);
    dim_ = new QPushButton(q(app_.tr("DIM")), row);
    bright_->setFixedWidth(52);
    dim_->setFixedWidth(52);
    bindHold(bright_, true);
    bindHold(dim_, false);
    mainLink_ = new QLabel(q("<a href=\"main\">" + app_.tr("Main Window") + "</a>"), row);
    mainLink_->setToolTip(q(app_.tip("Switch to normal view")));
    connect(mainLink_, &QLabel::linkActivated, this, [this] { close(); });
    h->addWidget(bright_);
    h->addWidget(dim_);
    h->addStretch(1);
    h->addWidget(mainLink_);
    return row;
}

void FavouritesWindow::bindHold(QPushButton* b, bool bright) {
    connect(b, &QPushButton::pressed, this, [this, bright] { logic_->holdDown(bright); });
    connect(b, &QPushButton::released, this, [this] { logic_->holdUp(); });
    connect(b, &QPushButton::clicked, this, [this] {
        logic_->holdClick();
        setFocus();
    });
    b->installEventFilter(this);
}

void FavouritesWindow::open() {
    if (!open_) {
        open_ = true;
        logic_ = std::make_unique<windows::FavouritesWindowForm>(
            windows::FavouritesServices{app_.records, app_.settings, app_.codes, app_.transmitter, app_.loop, app_.clock,
                               app_.sounds, app_.StopAll, [this](const std::string& t) { return app_.tr(t); }});
        logic_->changed = [this] { status_->setText(q(logic_->status())); };
        logic_->showMainWindow = [this] {
            if (showMainWindow) showMainWindow();
        };
        logic_->open();
        const QSignalBlocker a(onTop_), b(sort_);
        onTop_->setChecked(logic_->onTop());
        sort_->setChecked(logic_->sortByName());
        maxVisible_->setText(q(logic_->maxVisibleText()));
        putOnTop(logic_->onTop());
        rebuild();
        setMinimumWidth(twipsToPixelsFor(*this, windows::FavouritesWindowForm::MinWidthTwips));
        resize(twipsToPixelsFor(*this, logic_->storedWidth()), height());
        placeWindowTwips(*this, logic_->storedPosition());
    }
    bringUp(*this);
}

void FavouritesWindow::rebuild() {
    const auto& shown = logic_->shown();
    list_->clear();
    for (const auto& f : shown) {
        auto* item = new QListWidgetItem(q(f.description), list_);
        item->setSizeHint(QSize(0, rowHeight_));
        item->setToolTip(q(f.code));
    }
    setPairs(logic_->rows());
    list_->setFixedHeight(std::max(logic_->rows(), 1) * rowHeight_);
    list_->verticalScrollBar()->setValue(logic_->firstVisible());
    list_->setCurrentRow(-1);
    status_->setText(q(logic_->status()));
    fitHeight();
}

void FavouritesWindow::setPairs(int count) {
    while (static_cast<int>(pairs_.size()) > count) {
        delete pairs_.back().row;
        pairs_.pop_back();
    }
    while (static_cast<int>(pairs_.size()) < count) {
        const int i = static_cast<int>(pairs_.size());
        auto* row = new QWidget(this);
        row->setFixedHeight(rowHeight_);
        auto* h = new QHBoxLayout(row);
        h->setContentsMargins(0, 1, 1, 1);
        h->setSpacing(2);
        Pair p{row, new QPushButton(q(app_.tr("ON")), row), new QPushButton(q(app_.tr("OFF")), row)};
        for (const bool on : {true, false}) {
            QPushButton* b = on ? p.on : p.off;
            b->setFixedSize(46, rowHeight_ - 2);
            b->installEventFilter(this);
            h->addWidget(b);
            connect(b, &QPushButton::clicked, this, [this, i, on] {
                logic_->press(i, on);
                setFocus();
            });
        }
        pairsColumn_->insertWidget(pairsColumn_->count() - 1, row);
        pairs_.push_back(p);
    }
}

void FavouritesWindow::fitHeight() {
    // The window is as high as its rows; the layouts forget their old sizes
    // first, the list's frame and the options panel included (their sizes are
    // otherwise kept until their own layout requests come round, a step late).
    for (QLayout* l : {static_cast<QLayout*>(pairsColumn_), list_->parentWidget()->layout(), layout()}) l->invalidate();
    list_->parentWidget()->updateGeometry();
    optionsPanel_->updateGeometry();
    layout()->activate();
    setFixedHeight(layout()->totalSizeHint().height());
}

void FavouritesWindow::putOnTop(bool on) {
    if (on == bool(windowFlags() & Qt::WindowStaysOnTopHint)) return;
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (shown) show(); // changing the flag hides the window; it keeps its place and size
}

bool FavouritesWindow::eventFilter(QObject* watched, QEvent* event) {
    // Leaving a button keeps its hint; the clock comes back a few seconds later.
    if (open_ && event->type() == QEvent::Enter) {
        if (watched == bright_ || watched == dim_) logic_->hoverDimmer(watched == bright_);
        for (std::size_t i = 0; i < pairs_.size(); ++i)
            if (watched == pairs_[i].on || watched == pairs_[i].off)
                logic_->hoverUnit(static_cast<int>(i), watched == pairs_[i].on);
    }
    return QWidget::eventFilter(watched, event);
}

void FavouritesWindow::closeByProgram() {
    if (!open_) return;
    closingByProgram_ = true;
    close();
    closingByProgram_ = false;
}

void FavouritesWindow::closeEvent(QCloseEvent* e) {
    if (open_) {
        // Closed first, so that the main window coming back sees the favourites gone.
        open_ = false;
        logic_->holdUp();
        logic_->close(!closingByProgram_, isMinimized() ? std::nullopt : std::optional(windowTwips(*this)),
                      pixelsToTwipsFor(*this, width()));
    }
    e->accept();
}

void FavouritesWindow::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() != QEvent::WindowStateChange || !isMinimized() || !app_.minimizeToTray || !sendToTray) return;
    QTimer::singleShot(0, this, [this] {
        if (isMinimized()) sendToTray(this); // not when it was only passing through on its way back
    });
}

void FavouritesWindow::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void FavouritesWindow::dropEvent(QDropEvent* e) {
    app_.startup->dropFiles(droppedFiles(*e));
    e->acceptProposedAction();
}

} // namespace zul::ui
