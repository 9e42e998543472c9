#include "ui/widgets.h"

#include <QKeyEvent>
#include <QMouseEvent>

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
