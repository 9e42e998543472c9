#pragma once
// Keeps every window and dialog of the program on the screen that holds most
// of it, title bar included: when it is shown (also at a stored place that
// lies off every screen, a monitor unplugged) and while the window manager
// frames it right after. Later moves are the user's own.
#include <QObject>
#include <QPoint>

class QWidget;

namespace zul::ui {

class ScreenKeeper : public QObject {
public:
    // How long after showing a window its moves are still checked.
    static constexpr int PlacingMs = 1000;

    // Watches every window of the application while it exists.
    ScreenKeeper();
    ~ScreenKeeper() override;

    // Moves (and, when it is larger than the screen, shrinks) the window now.
    static void keep(QWidget& window);
    // The place, with the frame, a window was given before it was shown; once
    // the window manager has framed it, the frame goes there.
    static void intendPlace(QWidget& window, QPoint frameTopLeft);
    // Places a window beside its owner's right edge, else its left edge, on
    // the owner's screen.
    static void placeBeside(QWidget& window, const QWidget& owner);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace zul::ui
