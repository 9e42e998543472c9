#include "app/placement.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zul::app {

namespace {
constexpr double TwipsPerInch = 1440.0;
double safeDpi(double dpi) { return dpi > 1.0 ? dpi : 96.0; }
} // namespace

int twipsToPixels(int twips, double logicalDpi) {
    return static_cast<int>(std::lround(twips * safeDpi(logicalDpi) / TwipsPerInch));
}

int pixelsToTwips(int pixels, double logicalDpi) {
    return static_cast<int>(std::lround(pixels * TwipsPerInch / safeDpi(logicalDpi)));
}

TwipPoint mainWindowOpening(int storedLeft, int storedTop, int screenWidth, int screenHeight) {
    TwipPoint p{storedLeft, storedTop};
    if (p.left < 50) p.left = 85;
    if (p.left > screenWidth - 1000) p.left = screenWidth - 2500;
    if (p.top > screenHeight - 1500) p.top = screenHeight - 2000;
    if (p.top < 0) p.top = 0;
    return p;
}

namespace {
long long overlap(const ScreenRect& a, const ScreenRect& b) {
    const long long w = std::min(a.right(), b.right()) - std::max(a.left, b.left);
    const long long h = std::min(a.bottom(), b.bottom()) - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

long long distance(const ScreenRect& a, const ScreenRect& b) {
    const long long dx = (a.left + a.right()) / 2 - (b.left + b.right()) / 2;
    const long long dy = (a.top + a.bottom()) / 2 - (b.top + b.bottom()) / 2;
    return dx * dx + dy * dy;
}

// The start of a span of the given length kept within [low, low + room).
int within(int start, int length, int low, int room) {
    return std::clamp(start, low, low + std::max(0, room - length));
}
} // namespace

std::size_t screenHolding(const ScreenRect& window, const std::vector<ScreenRect>& screens) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < screens.size(); ++i) {
        const long long a = overlap(window, screens[i]), b = overlap(window, screens[best]);
        if (a > b || (a == b && a == 0 && distance(window, screens[i]) < distance(window, screens[best]))) best = i;
    }
    return best;
}

ScreenRect keptOnScreen(const ScreenRect& window, const ScreenRect& screen) {
    ScreenRect r = window;
    r.width = std::min(r.width, screen.width);
    r.height = std::min(r.height, screen.height);
    r.left = within(r.left, r.width, screen.left, screen.width);
    r.top = within(r.top, r.height, screen.top, screen.height);
    return r;
}

ScreenRect besideOwner(const ScreenRect& owner, int width, int height, const ScreenRect& screen, int gap) {
    ScreenRect r{owner.right() + gap, owner.top, width, height};
    if (r.right() > screen.right()) {
        const int leftSide = owner.left - gap - width;
        // Left of the owner when it fits there; else as far right as the screen allows.
        r.left = leftSide >= screen.left ? leftSide : screen.right() - width;
    }
    return keptOnScreen(r, screen);
}

} // namespace zul::app
