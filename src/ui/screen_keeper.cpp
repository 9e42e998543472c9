#include "ui/screen_keeper.h"

#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <vector>

#include "app/placement.h"

namespace zul::ui {

namespace {
constexpr const char* ShownAt = "zulShownAt";
constexpr const char* Intended = "zulIntendedPlace";

app::ScreenRect rectOf(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

bool watched(const QWidget& w) {
    // Windows the window manager does not manage (the tray icon's, embedded
    // in the tray) are not the program's to place.
    if (!w.isWindow() || w.windowFlags().testFlag(Qt::BypassWindowManagerHint)) return false;
    const Qt::WindowType type = w.windowType();
    return type != Qt::Popup && type != Qt::ToolTip && type != Qt::SplashScreen && type != Qt::Desktop;
}

bool placing(const QWidget& w) {
    const QVariant at = w.property(ShownAt);
    return at.isValid() && QDateTime::currentMSecsSinceEpoch() - at.toLongLong() < ScreenKeeper::PlacingMs;
}
} // namespace

ScreenKeeper::ScreenKeeper() { qApp->installEventFilter(this); }

ScreenKeeper::~ScreenKeeper() = default;

void ScreenKeeper::intendPlace(QWidget& window, QPoint frameTopLeft) { window.setProperty(Intended, frameTopLeft); }

void ScreenKeeper::keep(QWidget& w) {
    if (!w.isVisible() || w.isMinimized() || w.isMaximized() || w.isFullScreen()) return;
    // Once the window manager has framed it, the frame goes where the window was placed.
    const QVariant intended = w.property(Intended);
    if (intended.isValid() && w.frameGeometry() != w.geometry()) {
        w.setProperty(Intended, QVariant());
        if (w.frameGeometry().topLeft() != intended.toPoint()) w.move(intended.toPoint());
    }
    std::vector<app::ScreenRect> screens;
    for (const QScreen* s : QGuiApplication::screens()) screens.push_back(rectOf(s->availableGeometry()));
    if (screens.empty()) return;
    const app::ScreenRect frame = rectOf(w.frameGeometry());
    const app::ScreenRect target = app::keptOnScreen(frame, screens[app::screenHolding(frame, screens)]);
    if (target == frame) return;
    if (target.width < frame.width || target.height < frame.height)
        w.resize(w.width() - (frame.width - target.width), w.height() - (frame.height - target.height));
    w.move(target.left, target.top);
}

void ScreenKeeper::placeBeside(QWidget& w, const QWidget& owner) {
    const QScreen* screen = owner.screen() ? owner.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    // Not shown yet, the window has no frame: it will have one like its owner's.
    const QSize frame = w.size() + (owner.frameGeometry().size() - owner.size());
    const QRect ownerFrame = owner.frameGeometry();
    const app::ScreenRect place =
        app::besideOwner(rectOf(ownerFrame), frame.width(), frame.height(), rectOf(screen->availableGeometry()), 8);
    w.move(place.left, place.top);
    intendPlace(w, {place.left, place.top});
}

bool ScreenKeeper::eventFilter(QObject* object, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::Show && type != QEvent::Move && type != QEvent::Resize) return false;
    auto* w = qobject_cast<QWidget*>(object);
    if (!w || !watched(*w)) return false;
    if (type == QEvent::Show) {
        w->setProperty(ShownAt, QDateTime::currentMSecsSinceEpoch());
        // The window manager frames the window a little later, telling the
        // window nothing when the inside stays where it was: look again then.
        for (const int ms : {150, 500}) QTimer::singleShot(ms, w, [w] { keep(*w); });
        // Once placed, the window is the user's to move.
        QTimer::singleShot(PlacingMs, w, [w] { w->setProperty(Intended, QVariant()); });
    } else if (!placing(*w)) {
        return false;
    }
    QTimer::singleShot(0, w, [w] { keep(*w); });
    return false;
}

} // namespace zul::ui
