#include "ui/widgets.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>

#include "app/placement.h"

namespace zul::ui {

bool RightClickFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            const bool press = event->type() == QEvent::MouseButtonPress;
            if (press && pressed_) pressed_();
            if (!press && released_) released_();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && clicked && rect().contains(e->position().toPoint())) clicked();
    QLabel::mouseReleaseEvent(e);
}

void ClickLabel::mouseDoubleClickEvent(QMouseEvent* e) {
    if (doubleClicked) doubleClicked();
    QLabel::mouseDoubleClickEvent(e);
}

ColourLabel::ColourLabel(QWidget* parent) : ClickLabel(parent) {
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setAlignment(Qt::AlignCenter);
    setCursor(Qt::PointingHandCursor);
}

QColor colourFromBgr(unsigned bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

void ColourLabel::setColour(unsigned bgr) {
    if (bgr == colour_) return;
    colour_ = bgr;
    QPalette p = palette();
    p.setColor(QPalette::Window, colourFromBgr(bgr));
    p.setColor(QPalette::WindowText, Qt::black);
    setPalette(p);
}

void ColourLabel::keyPressEvent(QKeyEvent* e) {
    const int key = e->key();
    if ((key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) && clicked) {
        clicked();
        return;
    }
    ClickLabel::keyPressEvent(e);
}

void ColourLabel::focusInEvent(QFocusEvent* e) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    ClickLabel::focusInEvent(e);
}

void ColourLabel::focusOutEvent(QFocusEvent* e) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    ClickLabel::focusOutEvent(e);
}

namespace {
struct ScreenFacts {
    double dpi = 96.0;
    QRect area{0, 0, 1024, 768};
};
ScreenFacts screenOf(const QWidget& w) {
    const QScreen* s = w.screen() ? w.screen() : QApplication::primaryScreen();
    return s ? ScreenFacts{s->logicalDotsPerInch(), s->availableGeometry()} : ScreenFacts{};
}
} // namespace

void setClockFont(QWidget* w, int pixelSize, int weight) {
    QFont f = w->font();
    f.setPixelSize(pixelSize);
    f.setWeight(static_cast<QFont::Weight>(weight));
    w->setFont(f);
}

void bringUp(QWidget& w) {
    if (w.isMinimized()) w.showNormal();
    w.show();
    w.raise();
    w.activateWindow();
}

void placeAtTwips(QWidget& w, int left, int top) {
    const ScreenFacts s = screenOf(w);
    const auto p = app::mainWindowOpening(left, top, app::pixelsToTwips(s.area.width(), s.dpi),
                                          app::pixelsToTwips(s.area.height(), s.dpi));
    w.move(s.area.left() + app::twipsToPixels(p.left, s.dpi), s.area.top() + app::twipsToPixels(p.top, s.dpi));
}

std::pair<int, int> twipsPosition(const QWidget& w) {
    const ScreenFacts s = screenOf(w);
    return {app::pixelsToTwips(w.x() - s.area.left(), s.dpi), app::pixelsToTwips(w.y() - s.area.top(), s.dpi)};
}

DescriptionField::DescriptionField(QWidget* parent)
    : QStackedWidget(parent), label_(new ClickLabel(this)), edit_(new QLineEdit(this)) {
    label_->setStyleSheet("QLabel { background:#ffffff; border:1px solid #b9bec6; border-radius:3px; }");
    label_->setMinimumWidth(200);
    label_->setTextFormat(Qt::PlainText);
    label_->setContentsMargins(4, 0, 4, 0);
    addWidget(label_);
    addWidget(edit_);
    label_->doubleClicked = [this] { startEditing(); };
    QObject::connect(edit_, &QLineEdit::returnPressed, this, [this] { finish(); });
    edit_->installEventFilter(this);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void DescriptionField::setText(const QString& text) { label_->setText(text); }

void DescriptionField::setTips(const QString& labelTip, const QString& editTip) {
    label_->setToolTip(labelTip);
    edit_->setToolTip(editTip);
}

void DescriptionField::startEditing() {
    edit_->setText(label_->text());
    setCurrentIndex(1);
    edit_->setFocus();
    edit_->selectAll();
}

bool DescriptionField::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        setCurrentIndex(0);
        return true;
    }
    return QStackedWidget::eventFilter(watched, event);
}

void DescriptionField::finish() {
    if (save && !save(edit_->text())) return;  // refused: the typed text stays in the box
    label_->setText(edit_->text());
    setCurrentIndex(0);
}

} // namespace zul::ui
