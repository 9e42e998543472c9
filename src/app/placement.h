#pragma once
// Window positions in twips, as the settings keep them: 1440 per inch, so 15
// per pixel at 96 dots per inch; and keeping windows on the screens.
#include <cstddef>
#include <vector>

#include "settings/settings_store.h"

namespace zul::app {

inline constexpr WindowPositionKeys MainWindowPositionKeys{Setting::MainLeft, Setting::MainTop};

struct TwipPoint {
    int left = 0;
    int top = 0;
};

int twipsToPixels(int twips, double logicalDpi);
int pixelsToTwips(int pixels, double logicalDpi);

// Where the main window opens for the stored "MainLeft"/"MainTop" on a
// screen of the given size (all in twips): never off the left edge and never
// so far right or down that it cannot be reached.
TwipPoint mainWindowOpening(int storedLeft, int storedTop, int screenWidth, int screenHeight);

// A rectangle in pixels of the desktop (a window with its frame, or the work
// area of a screen).
struct ScreenRect {
    int left = 0, top = 0, width = 0, height = 0;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool operator==(const ScreenRect&) const = default;
};

// The screen that holds the largest part of a window; when none holds any of
// it (a monitor unplugged), the nearest one. screens must not be empty.
std::size_t screenHolding(const ScreenRect& window, const std::vector<ScreenRect>& screens);
// The window moved, and made no larger than the screen, so that all of it
// lies on the screen: the title bar first, then the left edge.
ScreenRect keptOnScreen(const ScreenRect& window, const ScreenRect& screen);
// A window of the given size beside its owner, its top level with the
// owner's: right of it, else left of it, else where it fits best; always on
// the screen.
ScreenRect besideOwner(const ScreenRect& owner, int width, int height, const ScreenRect& screen, int gap);

} // namespace zul::app
