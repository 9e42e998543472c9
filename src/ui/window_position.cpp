#include "ui/window_position.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>
#include <optional>

#include "app/placement.h"
#include "settings/settings_store.h"

namespace zul::ui {

namespace {
const QScreen* screenOf(const QWidget& w) { return w.screen() ? w.screen() : QApplication::primaryScreen(); }
double dpiOf(const QScreen* s) { return s ? s->logicalDotsPerInch() : 96.0; }
QRect areaOf(const QScreen* s) { return s ? s->availableGeometry() : QRect(0, 0, 1024, 768); }

std::optional<int> storedTwips(const SettingsBackend& settings, const char* key) {
    try {
        const std::string text = ReadSetting(settings, "Settings", key, "");
        if (text.empty()) return std::nullopt;
        return std::stoi(text);
    } catch (...) {
        return std::nullopt;
    }
}
} // namespace

void restorePosition(QWidget& window, const SettingsBackend& settings, PositionKeys keys) {
    const auto left = storedTwips(settings, keys.left), top = storedTwips(settings, keys.top);
    if (!left || !top) return;
    const QScreen* screen = screenOf(window);
    const double dpi = dpiOf(screen);
    const QRect area = areaOf(screen);
    const auto p = app::mainWindowOpening(*left, *top, app::pixelsToTwips(area.width(), dpi),
                                          app::pixelsToTwips(area.height(), dpi));
    window.move(area.left() + app::twipsToPixels(p.left, dpi), area.top() + app::twipsToPixels(p.top, dpi));
}

void storePosition(const QWidget& window, SettingsBackend& settings, PositionKeys keys) {
    if (window.isMinimized()) return;
    const QScreen* screen = screenOf(window);
    const double dpi = dpiOf(screen);
    const QPoint origin = areaOf(screen).topLeft();
    WriteSetting(settings, "Settings", keys.left, std::to_string(app::pixelsToTwips(window.x() - origin.x(), dpi)));
    WriteSetting(settings, "Settings", keys.top, std::to_string(app::pixelsToTwips(window.y() - origin.y(), dpi)));
}

} // namespace zul::ui
