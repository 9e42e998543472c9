#include "ui/window_position.h"

#include <QWidget>
#include <optional>

#include "settings/settings_store.h"
#include "ui/widgets.h"

namespace zul::ui {

namespace {
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
    if (left && top) placeAtTwips(window, *left, *top);
}

void storePosition(const QWidget& window, SettingsBackend& settings, PositionKeys keys) {
    if (window.isMinimized()) return;
    const auto [left, top] = windowTwips(window);
    WriteSetting(settings, "Settings", keys.left, std::to_string(left));
    WriteSetting(settings, "Settings", keys.top, std::to_string(top));
}

} // namespace zul::ui
