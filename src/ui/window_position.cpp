#include "ui/window_position.h"

#include <QWidget>

#include "ui/widgets.h"

namespace zul::ui {

void restorePosition(QWidget& window, const SettingsBackend& settings, WindowPositionKeys keys) {
    if (const auto position = storedWindowPosition(settings, keys))
        placeAtTwips(window, position->first, position->second);
}

void storePosition(const QWidget& window, SettingsBackend& settings, WindowPositionKeys keys) {
    if (window.isMinimized()) return;
    storeWindowPosition(settings, keys, windowTwips(window));
}

} // namespace zul::ui
