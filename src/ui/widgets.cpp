#include "ui/widgets.h"

#include <QApplication>
#include <QDateTime>
#include <QStyle>
#include <QWindow>
#include <QDropEvent>
#include <QMimeData>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <algorithm>

#include "app/placement.h"
#include "ui/screen_keeper.h"
#include "settings/paths.h"

namespace zul::ui {

namespace {
const QScreen* screenOf(const QWidget& w) { return w.screen() ? w.screen() : QApplication::primaryScreen(); }
double dpiOf(const QWidget& w) { return screenOf(w) ? screenOf(w)->logicalDotsPerInch() : 96.0; }
QRect workArea(const QWidget& w) { return screenOf(w) ? screenOf(w)->availableGeometry() : QRect(0, 0, 1024, 768); }

QIcon drawnIcon() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0x2b, 0x52, 0x82));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(2, 2, 60, 60, 12, 12);
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setPixelSize(40);
    f.setBold(true);
    p.setFont(f);
    p.drawText(pixmap.rect(), Qt::AlignCenter, "Z");
    return QIcon(pixmap);
}
} // namespace

SettingsFoot addSettingsFoot(QBoxLayout* column, QWidget* page) {
    SettingsFoot foot{new QLabel(page), new QLabel(page)};
    foot.problems->setWordWrap(true);
    foot.problems->setStyleSheet("color:#b00020;");
    foot.problems->hide();
    foot.status->setWordWrap(true);
    column->addWidget(foot.problems);
    column->addWidget(foot.status);
    column->addStretch(1);
    return foot;
}

void showProblems(QLabel* line, const QStringList& problems) {
    line->setText(problems.join('\n'));
    line->setVisible(!problems.isEmpty());
}

QIcon programIcon() {
    const QString file = QString::fromStdString(shippedFile("zulmarin.svg").string());
    if (QFileInfo::exists(file)) {
        const QIcon icon(file);
        if (!icon.pixmap(32, 32).isNull()) return icon;
    }
    return drawnIcon();
}

std::vector<std::string> droppedFiles(const QDropEvent& e) {
    std::vector<std::string> files;
    for (const QUrl& url : e.mimeData()->urls())
        if (url.isLocalFile()) files.push_back(url.toLocalFile().toStdString());
    return files;
}

int twipsToPixelsFor(const QWidget& w, int twips) { return app::twipsToPixels(twips, dpiOf(w)); }
int pixelsToTwipsFor(const QWidget& w, int pixels) { return app::pixelsToTwips(pixels, dpiOf(w)); }

std::pair<int, int> windowTwips(const QWidget& w) {
    const QPoint origin = workArea(w).topLeft();
    return {pixelsToTwipsFor(w, w.x() - origin.x()), pixelsToTwipsFor(w, w.y() - origin.y())};
}

void placeWindowTwips(QWidget& w, std::optional<std::pair<int, int>> twips) {
    if (!twips) return;
    const QRect area = workArea(w);
    const QSize size = w.frameGeometry().size().expandedTo(w.sizeHint());
    const int x = area.left() + twipsToPixelsFor(w, twips->first);
    const int y = area.top() + twipsToPixelsFor(w, twips->second);
    const QPoint place(std::clamp(x, area.left(), std::max(area.left(), area.right() + 1 - size.width())),
                       std::clamp(y, area.top(), std::max(area.top(), area.bottom() + 1 - size.height())));
    w.move(place);
    ScreenKeeper::intendPlace(w, place);
}

StatusLabel::StatusLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QSize StatusLabel::sizeHint() const { return {0, QLabel::sizeHint().height()}; }

QSize StatusLabel::minimumSizeHint() const { return {0, QLabel::minimumSizeHint().height()}; }

void StatusLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    drawFrame(&p);
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
    const QString tip = shown == text() ? QString() : text();
    if (toolTip() != tip) setToolTip(tip);
    style()->drawItemText(&p, area, QStyle::visualAlignment(layoutDirection(), alignment()) | Qt::TextSingleLine,
                          palette(), isEnabled(), shown, foregroundRole());
}

ResizeSound::ResizeSound(QWidget* window, std::function<void()> play) : QObject(window), play_(std::move(play)) {
    window->installEventFilter(this);
}

bool ResizeSound::eventFilter(QObject* watched, QEvent* event) {
    const auto* w = static_cast<QWidget*>(watched);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    // Being shown, a window is sized and framed by the window manager: not the user's doing.
    if (event->type() == QEvent::Show) shownMs_ = now;
    if (now - shownMs_ < 1000) return QObject::eventFilter(watched, event);
    bool byUser = event->spontaneous() && event->type() == QEvent::Resize && w->isVisible() && !w->isMinimized();
    if (event->type() == QEvent::WindowStateChange && event->spontaneous()) {
        const auto old = static_cast<QWindowStateChangeEvent*>(event)->oldState();
        byUser = bool(old & Qt::WindowMinimized) != w->isMinimized();
    }
    if (byUser) {
        if (lastMs_ < 0 || now - lastMs_ > 500) play_();
        lastMs_ = now;
    }
    return QObject::eventFilter(watched, event);
}

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

ElidingLabel::ElidingLabel(int minWidth, int maxWidth, QWidget* parent)
    : ClickLabel(parent), minWidth_(minWidth), maxWidth_(maxWidth) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void ElidingLabel::setFullText(const QString& text) {
    if (text == full_ && !text.isEmpty()) return;
    full_ = text;
    updateGeometry();
    elide();
}

void ElidingLabel::setHint(const QString& hint) {
    hint_ = hint;
    elide();
}

QSize ElidingLabel::sizeHint() const {
    const QMargins m = contentsMargins();
    const int width = fontMetrics().horizontalAdvance(full_) + m.left() + m.right() + 2 * margin() + 12;
    return {std::clamp(width, minWidth_, maxWidth_), ClickLabel::sizeHint().height()};
}

QSize ElidingLabel::minimumSizeHint() const { return {minWidth_, ClickLabel::minimumSizeHint().height()}; }

void ElidingLabel::resizeEvent(QResizeEvent* e) {
    ClickLabel::resizeEvent(e);
    elide();
}

void ElidingLabel::elide() {
    const int room = contentsRect().width() - 2 * margin() - 8; // the style's padding
    const QString shown = fontMetrics().elidedText(full_, Qt::ElideRight, std::max(room, 0));
    if (text() != shown) setText(shown);
    const QString tip = shown == full_ ? hint_ : hint_.isEmpty() ? full_ : full_ + "\n" + hint_;
    if (toolTip() != tip) setToolTip(tip);
}

void setClockFont(QWidget* w, int pixelSize, int weight) {
    QFont f = w->font();
    f.setPixelSize(pixelSize);
    f.setWeight(static_cast<QFont::Weight>(weight));
    w->setFont(f);
}

void bringUp(QWidget& w) {
    // A window manager may map a window that was minimised once, then hidden,
    // minimised again when it is shown. Shown as minimised, then restored, it
    // is mapped anew, which brings it back everywhere. (Shown for the first
    // time it has no such past.) It comes back where it was.
    if (!w.isVisible() && w.windowHandle()) {
        ScreenKeeper::intendPlace(w, w.pos());
        w.setWindowState(w.windowState() | Qt::WindowMinimized);
    }
    w.show();
    w.setWindowState(w.windowState() & ~Qt::WindowMinimized);
    w.raise();
    w.activateWindow();
}

void onHelpKey(QWidget& window, std::function<void()> open) {
    auto* key = new QShortcut(QKeySequence::HelpContents, &window);
    key->setContext(Qt::WindowShortcut);
    QObject::connect(key, &QShortcut::activated, &window, std::move(open));
}

void placeAtTwips(QWidget& w, int left, int top) {
    const QRect area = workArea(w);
    const auto p =
        app::mainWindowOpening(left, top, pixelsToTwipsFor(w, area.width()), pixelsToTwipsFor(w, area.height()));
    const QPoint place(area.left() + twipsToPixelsFor(w, p.left), area.top() + twipsToPixelsFor(w, p.top));
    w.move(place);
    ScreenKeeper::intendPlace(w, place);
}

DescriptionField::DescriptionField(QWidget* parent)
    : QStackedWidget(parent), label_(new ClickLabel(this)), edit_(new QLineEdit), choice_(new QCheckBox) {
    label_->setStyleSheet("QLabel { background:#ffffff; border:1px solid #b9bec6; border-radius:3px; }");
    label_->setMinimumWidth(200);
    label_->setTextFormat(Qt::PlainText);
    label_->setContentsMargins(4, 0, 4, 0);
    addWidget(label_);
    auto* editPage = new QWidget(this);
    auto* row = new QHBoxLayout(editPage);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(edit_, 1);
    row->addWidget(choice_);
    choice_->hide();
    addWidget(editPage);
    label_->doubleClicked = [this] { startEditing(); };
    QObject::connect(edit_, &QLineEdit::returnPressed, this, [this] { finish(); });
    edit_->installEventFilter(this);
    choice_->installEventFilter(this);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void DescriptionField::setText(const QString& text) { label_->setText(text); }

void DescriptionField::setTips(const QString& labelTip, const QString& editTip) {
    label_->setToolTip(labelTip);
    edit_->setToolTip(editTip);
}

void DescriptionField::offerChoice(const QString& caption, const QString& tip) {
    choice_->setText(caption);
    choice_->setToolTip(tip);
    choice_->show();
}

void DescriptionField::startEditing() {
    edit_->setText(label_->text());
    if (isChecked) choice_->setChecked(isChecked());
    setCurrentIndex(1);
    edit_->setFocus();
    edit_->selectAll();
}

bool DescriptionField::eventFilter(QObject* watched, QEvent* event) {
    if ((watched != edit_ && watched != choice_) || event->type() != QEvent::KeyPress)
        return QStackedWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Escape) {
        setCurrentIndex(0);
        return true;
    }
    if (watched == choice_ && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        finish();
        return true;
    }
    return QStackedWidget::eventFilter(watched, event);
}

void DescriptionField::finish() {
    if (save && !save(edit_->text())) return; // refused: the typed text stays in the box
    if (saveChoice && choice_->isVisible()) saveChoice(choice_->isChecked());
    label_->setText(edit_->text());
    setCurrentIndex(0);
}

} // namespace zul::ui
