#pragma once
// Small widgets the windows share: a description that turns into an edit box
// on double click, and a filter that reports right-button presses.
#include <QBoxLayout>
#include <QCheckBox>
#include <QColor>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QStackedWidget>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zul::ui {

inline QString q(const std::string& s) { return QString::fromStdString(s); }
// A text for a menu entry or a button that shows it as it stands: there a
// single "&" would mark the next letter as the keyboard shortcut ("Fri & Sat").
inline QString literalText(const std::string& s) { return q(s).replace('&', QStringLiteral("&&")); }

// The program's icon: the shipped picture, or a drawn one when it is missing.
QIcon programIcon();

// The local files of a drop, in order.
std::vector<std::string> droppedFiles(const class QDropEvent& e);

// Window places in twips (15 per pixel at 96 dots per inch), measured from the
// top-left corner of the work area of the window's screen.
int twipsToPixelsFor(const QWidget& w, int twips);
int pixelsToTwipsFor(const QWidget& w, int pixels);
std::pair<int, int> windowTwips(const QWidget& w);
// Moves a window to a stored place, pulled back onto the screen when it lies
// off it; with nothing stored the window stays where it is.
void placeWindowTwips(QWidget& w, std::optional<std::pair<int, int>> twips);

// Reports right-button presses and releases on the widgets it watches.
class RightClickFilter : public QObject {
public:
    RightClickFilter(QObject* parent, std::function<void()> pressed, std::function<void()> released = {})
        : QObject(parent), pressed_(std::move(pressed)), released_(std::move(released)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> pressed_, released_;
};

// A status line: as wide as its place, never wider; a text that does not fit
// ends in "..." and shows whole in the tool tip.
class StatusLabel : public QLabel {
public:
    explicit StatusLabel(QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;
};

// Plays a window's resize sound when the user resizes, minimises or restores
// it: once for each resize (a drag makes many resize events; half a second
// without one ends it).
class ResizeSound : public QObject {
public:
    ResizeSound(QWidget* window, std::function<void()> play);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> play_;
    qint64 lastMs_ = -1;
    qint64 shownMs_ = 0; // when the window was last shown
};

// A label that reports double clicks.
class ClickLabel : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> clicked;
    std::function<void()> doubleClicked;

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
};

// A click label that shows as much of its text as its width takes, cut off
// with "...", and then the whole text in its tool tip (above the hint given).
// It asks for no more width than maxWidth, so a long text never widens its window.
class ElidingLabel : public ClickLabel {
public:
    ElidingLabel(int minWidth, int maxWidth, QWidget* parent = nullptr);
    void setFullText(const QString& text);
    const QString& fullText() const { return full_; }
    bool cutOff() const { return text() != full_; }
    // The tool tip when the text is whole ("" for none).
    void setHint(const QString& hint);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void elide();
    QString full_, hint_;
    int minWidth_, maxWidth_;
};

// A label on a background colour (&HBBGGRR, as the logic gives colours) that
// works as a button: a click, Space or Enter report clicked. Tab reaches it.
class ColourLabel : public ClickLabel {
public:
    explicit ColourLabel(QWidget* parent = nullptr);
    // Repaints only when the colour changes.
    void setColour(unsigned bgr);
    unsigned colour() const { return colour_; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    unsigned colour_ = 0xFFFFFFFFu;
};

QColor colourFromBgr(unsigned bgr);
// A clock label's font, set directly: a style sheet would be worked through
// again on every repaint, and the clock repaints every second.
void setClockFont(QWidget* w, int pixelSize, int weight);
// Sets a widget's text only when it differs, so an unchanged text costs no repaint.
template <class W>
void setTextIfChanged(W* w, const QString& text) {
    if (w->text() != text) w->setText(text);
}

// Shows a window in front of the others, restored and active, whatever state
// it was in: minimised, hidden (in the tray), or both.
void bringUp(QWidget& w);

// The foot of a settings page, added to its column with the stretch below:
// what is wrong (red, hidden while nothing is), then how things stand.
struct SettingsFoot {
    QLabel* problems;
    QLabel* status;
};
SettingsFoot addSettingsFoot(QBoxLayout* column, QWidget* page);
// Shows the problems, one a line, or hides the line when there are none.
void showProblems(QLabel* line, const QStringList& problems);

// F1 in a window runs open (the help page of what the window shows).
void onHelpKey(QWidget& window, std::function<void()> open);

// Moves a window to a stored place by the main window's opening rule (too far
// left, right or down is pulled back by a fixed margin).
void placeAtTwips(QWidget& w, int left, int top);

// A unit description: a label; a double click opens an edit box over it,
// Enter offers the text for saving, Esc gives up.
class DescriptionField : public QStackedWidget {
public:
    explicit DescriptionField(QWidget* parent = nullptr);
    void setText(const QString& text);
    QString text() const { return label_->text(); }
    void startEditing();
    bool editing() const { return currentIndex() == 1; }
    void setTips(const QString& labelTip, const QString& editTip);
    QLineEdit* editor() { return edit_; }
    ClickLabel* label() { return label_; }
    // Returns true when the text was saved (the box closes), false to keep it open.
    std::function<bool(const QString&)> save;
    // A check box beside the edit box ("Appliance"): shown with its caption,
    // set from isChecked when editing starts, handed to saveChoice after a save.
    void offerChoice(const QString& caption, const QString& tip);
    QCheckBox* choice() { return choice_; }
    std::function<bool()> isChecked;
    std::function<void(bool)> saveChoice;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void finish();
    ClickLabel* label_;
    QLineEdit* edit_;
    QCheckBox* choice_;
};

} // namespace zul::ui
