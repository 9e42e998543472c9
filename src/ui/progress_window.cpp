#include "ui/progress_window.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "app/app.h"
#include "ui/widgets.h"

namespace zul::ui {

namespace {
// The messages break their lines with CR LF; a label wants LF.
QString shown(const std::string& message) { return q(message).replace("\r\n", "\n"); }
} // namespace

ProgressWindow::ProgressWindow(app::App& app, QWidget* parent) : QDialog(parent), app_(app) {
    setWindowTitle("Zulmarin");
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setModal(false);
    auto* v = new QVBoxLayout(this);
    message_ = new QLabel(this);
    message_->setWordWrap(true);
    message_->setMinimumHeight(56);
    message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    file_ = new QLabel(this);
    file_->setStyleSheet("color:#1565c0;");
    bar_ = new QProgressBar(this);
    bar_->setTextVisible(true);
    ok_ = new QPushButton(q(app.tr("OK")), this);
    ok_->setEnabled(false);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok_);
    v->addWidget(message_);
    v->addWidget(file_);
    v->addWidget(bar_);
    v->addLayout(row);
    setFixedWidth(340);
    closer_ = new QTimer(this);
    closer_->setSingleShot(true);
    connect(closer_, &QTimer::timeout, this, [this] { close(); });
    connect(ok_, &QPushButton::clicked, this, [this] {
        closer_->stop();
        close();
    });
}

void ProgressWindow::placeLowerRight() {
    const QScreen* screen = QApplication::primaryScreen();
    if (!screen) return;
    adjustSize();
    const QRect area = screen->availableGeometry();
    move(area.right() - width() - 24, area.bottom() - height() - 48);
}

void ProgressWindow::closeAfter(int ms) { closer_->start(ms); }

void ProgressWindow::iProgBar(int maximum, int minimum, const std::string& message) {
    closer_->stop();
    bar_->setRange(minimum, maximum);
    bar_->setValue(minimum);
    message_->setText(shown(message));
    file_->clear();
    ok_->setEnabled(false);
    placeLowerRight();
    show();
    raise();
    if (maximum == 0 && minimum == 0) closeAfter(EmptyCloseMs);
}

void ProgressWindow::incProgBar(int value, const std::string& fileName, bool showOk, int closeDelayMs) {
    file_->setText(q(fileName));
    bar_->setValue(std::min(value, bar_->maximum()));
    if (value < bar_->maximum()) return;
    file_->clear();
    if (showOk) ok_->setEnabled(true);
    closeAfter(closeDelayMs < 1 ? DefaultCloseMs : closeDelayMs);
}

void ProgressWindow::setMessage(const std::string& message) { message_->setText(shown(message)); }

macros::BackupProgress ProgressWindow::progress() {
    macros::BackupProgress p;
    p.open = [this](int maximum, const std::string& message) { iProgBar(maximum, 0, message); };
    p.advance = [this](int value, const std::string& name, int delayMs) { incProgBar(value, name, true, delayMs); };
    p.finish = [this](const std::string& message) {
        setMessage(message);
        incProgBar(bar_->maximum(), "", true, DefaultCloseMs);
    };
    return p;
}

} // namespace zul::ui
