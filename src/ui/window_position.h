#pragma once
// Windows that keep their place: the left and top edges in twips under two
// keys of the settings, read when a window opens and written when it closes
// (not while it is minimised).
#include "settings/settings_store.h"

class QWidget;

namespace zul::ui {

// Moves the window to the stored place, kept on the screen; without a stored
// place the window stays where it is.
void restorePosition(QWidget& window, const SettingsBackend& settings, WindowPositionKeys keys);
void storePosition(const QWidget& window, SettingsBackend& settings, WindowPositionKeys keys);

} // namespace zul::ui
