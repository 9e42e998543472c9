#include "app/placement.h"

#include <cmath>

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

} // namespace zul::app
