#pragma once
// Windows that keep their place: the left and top edges in twips under two
// keys of the settings section "Settings", read when a window opens and
// written when it closes (not while it is minimised).
#include <string>

class QWidget;

namespace zul {
class SettingsBackend;
}

namespace zul::ui {

struct PositionKeys {
    const char* left;
    const char* top;
};

// Moves the window to the stored place, kept on the screen; without a stored
// place the window stays where it is.
void restorePosition(QWidget& window, const SettingsBackend& settings, PositionKeys keys);
void storePosition(const QWidget& window, SettingsBackend& settings, PositionKeys keys);

} // namespace zul::ui
