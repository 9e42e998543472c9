#include "ui/timer_log_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QVBoxLayout>
#include <filesystem>

#include "app/app.h"
#include "app/help.h"
#include "app/placement.h"
#include "settings/settings_store.h"
#include "timers/timer_file.h"
#include "timers/timer_log.h"
#include "timers/timer_service.h"
#include "ui/widgets.h"
#include "ui/window_position.h"

namespace zul::ui {

namespace {

constexpr WindowPositionKeys kPositionKeys{Setting::TimerLogLeft, Setting::TimerLogTop};
QString lines(const std::string& text) { return q(text).replace("\r\n", "\n"); }

constexpr const char* kActionStyle =
    "QPushButton { color:#ff0000; border:none; padding:3px 7px; font-weight:600; }"
    " QPushButton:hover, QPushButton:focus { color:#0000c0; text-decoration:underline; }"
    " QPushButton:disabled { color:#b4b4b4; }";
} // namespace

// --- the status model --------------------------------------------------------

void TimerStatusModel::setLog(const TimerLog* log) {
    beginResetModel();
    log_ = log;
    endResetModel();
}

void TimerStatusModel::lineChanged(int timer) {
    if (timer < 0 || timer >= rowCount()) return;
    const QModelIndex at = index(timer);
    emit dataChanged(at, at);
}

void TimerStatusModel::countChanged() {
    beginResetModel();
    endResetModel();
}

int TimerStatusModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !log_ ? 0 : static_cast<int>(log_->statusLines().size());
}

QVariant TimerStatusModel::data(const QModelIndex& index, int role) const {
    if (!log_ || !index.isValid() || index.row() >= rowCount()) return {};
    const TimerStatusLine& line = log_->statusLines()[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole: return lines(line.text);
    case Qt::BackgroundRole: return colourFromBgr(line.colour);
    case Qt::ForegroundRole: return QColor(Qt::black);
    case Qt::SizeHintRole: return QSize(200, rowHeight_);
    default: return {};
    }
}

// --- the window --------------------------------------------------------------

TimerLogWindow::TimerLogWindow(app::App& app, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint), app_(app),
      optionsListener_(app.optionsChanged, [this] { applyTips(); }) {
    choosePrinter = qt::defaultPrinterChoice(this);
    setWindowTitle(q(app.tr("Timer Event Session Log")));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(8, 8, 8, 8);
    v->addWidget(buildActions());

    model_ = new TimerStatusModel(this);
    statusView_ = new QListView(this);
    statusView_->setModel(model_);
    statusView_->setUniformItemSizes(true);
    statusView_->setSpacing(1);
    statusView_->setSelectionMode(QAbstractItemView::NoSelection);
    statusView_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    model_->setRowHeight(statusView_->fontMetrics().lineSpacing() * 2 + 10);
    loopLine_ = new QLabel(this);
    loopLine_->setAutoFillBackground(true);
    loopLine_->setMargin(5);
    loopLine_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    logBox_ = new QPlainTextEdit(this);
    logBox_->setReadOnly(true);
    logBox_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    logBox_->setFont(QFont("DejaVu Sans Mono", 9));
    v->addWidget(statusView_, 1);
    v->addWidget(loopLine_);
    v->addWidget(logBox_, 1);

    auto* bottom = new QHBoxLayout;
    autoSave_ = new QCheckBox(q(app.tr("Auto Save Log")), this);
    connect(autoSave_, &QCheckBox::toggled, this, [this](bool on) {
        if (log_) log_->setAutoSave(on);
        applyTips();
    });
    minimize_ = action("Minimize", [this] { showMinimized(); });
    close_ = action("Close", [this] { closeWindow(); });
    bottom->addWidget(autoSave_);
    bottom->addStretch(1);
    bottom->addWidget(minimize_);
    bottom->addWidget(close_);
    v->addLayout(bottom);
    for (QPushButton* b : {minimize_, close_}) b->setStyleSheet(kActionStyle);
    resize(560, 460);
    onHelpKey(*this, [this] { app::showHelp(app_, app::help::TimerLog); });
    showView();
    applyTips();
}

TimerLogWindow::~TimerLogWindow() { bindLog(nullptr); }

QPushButton* TimerLogWindow::action(const char* caption, const std::function<void()>& run) {
    auto* b = new QPushButton(q(app_.tr(caption)), this);
    b->setCursor(Qt::PointingHandCursor);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, run] {
        clickSound();
        run();
    });
    return b;
}

QWidget* TimerLogWindow::buildActions() {
    auto* bar = new QWidget(this);
    auto* h = new QHBoxLayout(bar);
    h->setContentsMargins(0, 0, 0, 0);
    title_ = new QLabel(bar);
    title_->setStyleSheet("font-weight:700; font-size:14px;");
    view_ = action("Show Status", [this] { switchView(); });
    selectAll_ = action("Select All", [this] { selectAll(); });
    clear_ = action("Clear", [this] { clearLog(); });
    print_ = action("Print", [this] { printLog(); });
    saveAs_ = action("Save As", [this] { saveLogAs(); });
    openFile_ = action("Ope&n", [this] { openLogFile(); });
    h->addWidget(title_);
    h->addStretch(1);
    for (QPushButton* b : {view_, selectAll_, clear_, print_, saveAs_, openFile_}) h->addWidget(b);
    bar->setStyleSheet(kActionStyle);
    return bar;
}

void TimerLogWindow::attach(bool loaded) {
    bindLog(loaded && app_.timers ? &app_.timers->log() : nullptr);
    if (!log_ && isVisible()) {
        storePlacement();
        hide();
    }
}

void TimerLogWindow::bindLog(TimerLog* log) {
    if (log == log_) return;
    if (log_) {
        log_->onTextChanged = nullptr;
        log_->onStatusChanged = nullptr;
        log_->onStatusResized = nullptr;
        log_->onAutosaveBusy = nullptr;
    }
    log_ = log;
    model_->setLog(log);
    shown_.clear();
    logBox_->clear();
    if (log_) {
        log_->onTextChanged = [this] { followLog(); };
        log_->onStatusChanged = [this](int timer) {
            if (timer == TimerLog::kLoopStatus) showLoopLine();
            else model_->lineChanged(timer);
        };
        log_->onStatusResized = [this] { model_->countChanged(); };
        log_->onAutosaveBusy = [this](bool busy) {
            autoSave_->setStyleSheet(busy ? "QCheckBox { background:#ffff00; }" : "");
        };
        const QSignalBlocker quiet(autoSave_);
        autoSave_->setChecked(log_->autoSave());
    }
    showView();
    showLoopLine();
    followLog();
    applyTips();
}

void TimerLogWindow::showView() {
    const bool status = !log_ || log_->statusView();
    setTextIfChanged(view_, q(app_.tr(status ? "Show Log" : "Show Status")));
    title_->setText(q(app_.tr(status ? "Timer Status" : "Timer Log")));
    logBox_->setVisible(!status);
    statusView_->setVisible(status);
    loopLine_->setVisible(status);
    for (QPushButton* b : {selectAll_, clear_, print_, saveAs_}) b->setEnabled(!status && log_);
    view_->setEnabled(log_ != nullptr);
    if (!status) followLog();
}

void TimerLogWindow::switchView() {
    if (!log_) return;
    log_->setStatusView(!log_->statusView());
    showView();
}

// The box takes what was appended since it last looked; anything else
// (a cut by the autosave, a clear) shows the whole log again.
void TimerLogWindow::followLog() {
    if (!log_ || !isVisible()) return;
    const std::string& text = log_->text();
    if (!shown_.empty() && text.size() >= shown_.size() && text.compare(0, shown_.size(), shown_) == 0) {
        QTextCursor end(logBox_->document());
        end.movePosition(QTextCursor::End);
        end.insertText(lines(text.substr(shown_.size())));
    } else {
        logBox_->setPlainText(lines(text));
    }
    shown_ = text;
    if (!logBox_->isVisible()) return;
    logBox_->setFocus();
    logBox_->moveCursor(QTextCursor::End);
    logBox_->ensureCursorVisible();
}

void TimerLogWindow::showLoopLine() {
    if (!log_) {
        loopLine_->clear();
        return;
    }
    const TimerStatusLine& line = log_->loopStatus();
    setTextIfChanged(loopLine_, lines(line.text.empty() ? app_.tr("Loop Timer is Not Set!") : line.text));
    QPalette p = loopLine_->palette();
    p.setColor(QPalette::Window, colourFromBgr(line.text.empty() ? 0xE0E0E0 : line.colour));
    p.setColor(QPalette::WindowText, Qt::black);
    loopLine_->setPalette(p);
}

void TimerLogWindow::selectAll() {
    if (!log_ || log_->statusView()) return;
    logBox_->setFocus();
    logBox_->selectAll();
}

void TimerLogWindow::clearLog() {
    if (!log_) return;
    if (const std::error_code ec = log_->clear())
        app_.dialogs.message(app_.tr("The log could not be saved, so it was not cleared:") + "\n" +
                             log_->logFilePath().string() + "\n" + ec.message());
}

void TimerLogWindow::printLog() {
    if (!log_) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(q(app_.tr("Timer Log")));
    if (!choosePrinter || !choosePrinter(printer)) return;
    if (const auto failure = qt::printPlainText(printer, lines(log_->printText())))
        app_.dialogs.message(app_.tr("The log could not be printed.") + "\n" + app_.tr(failure->text) + "\n" +
                             app_.tr("The log is kept."));
}

void TimerLogWindow::saveLogAs() {
    if (log_ && log_->saveAs(app_.dialogs)) clickSound();
}

void TimerLogWindow::openLogFile() {
    if (!log_) return;
    const std::filesystem::path file = log_->logFilePath();
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        app_.dialogs.message(app_.tr("There is no auto saved log yet:") + "\n" + file.string());
        return;
    }
    // The answer may come later, when the window may be gone.
    app_.desktop.openFile(file.string(), [self = QPointer<TimerLogWindow>(this), file] {
        if (self)
            self->app_.dialogs.message(self->app_.tr("No program could open the auto saved log:") + "\n" +
                                       file.string());
    });
}

void TimerLogWindow::closeWindow() {
    storePlacement();
    hide();
    app::WindowHost& windows = app_.windows();
    if (windows.timerWindowShown()) windows.showTimerWindow();
    else if (windows.mainWindowVisible()) windows.bringToFront();
}

void TimerLogWindow::open() {
    if (!placed_) {
        const int dpi = logicalDpiX();
        const int w = settingAsInt(readSetting(app_.settings, Setting::TimerLogWidth), 0);
        const int h = settingAsInt(readSetting(app_.settings, Setting::TimerLogHeight), 0);
        if (w > 0 && h > 0) resize(app::twipsToPixels(w, dpi), app::twipsToPixels(h, dpi));
        restorePosition(*this, app_.settings, kPositionKeys);
        placed_ = true;
    }
    bringUp(*this);
}

void TimerLogWindow::storePlacement() {
    if (!isVisible() || isMinimized()) return;
    const int dpi = logicalDpiX();
    storePosition(*this, app_.settings, kPositionKeys);
    writeSetting(app_.settings, Setting::TimerLogWidth, std::to_string(app::pixelsToTwips(width(), dpi)));
    writeSetting(app_.settings, Setting::TimerLogHeight, std::to_string(app::pixelsToTwips(height(), dpi)));
}

void TimerLogWindow::applyTips() {
    auto tip = [this](QWidget* w, const std::string& text) { w->setToolTip(app_.showToolTips ? q(text) : QString()); };
    tip(clear_, app_.tip(autoSave_->isChecked() ? "Clear and Save log" : "Clear log"));
    tip(openFile_, app_.tip("Open Auto Saved log file in external program"));
}

void TimerLogWindow::clickSound() { app_.sounds.play(SoundEvent::Click); }

void TimerLogWindow::reject() { closeWindow(); }

void TimerLogWindow::closeEvent(QCloseEvent* e) {
    storePlacement();
    e->accept();
}

void TimerLogWindow::resizeEvent(QResizeEvent* e) {
    if (e->spontaneous() && isVisible()) app_.sounds.play(SoundEvent::Resize);
    QDialog::resizeEvent(e);
}

void TimerLogWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    applyTips();
    followLog();
}

} // namespace zul::ui
