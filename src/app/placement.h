#pragma once
// Window positions in twips, as the settings keep them: 1440 per inch, so 15
// per pixel at 96 dots per inch.
namespace zul::app {

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

} // namespace zul::app
