#pragma once

#include <QRect>

class QWidget;

namespace velmora {

// Positions and sizes are twips: 1440 to the inch, at the screen's logical DPI, so that a layout
// keeps its proportions to the text on any screen (at 96 DPI one pixel is 15 twips).
inline constexpr double kTwipsPerInch = 1440.0;

// Twips to whole pixels at `dpi`, rounded to the nearest pixel. Raises a Failure naming `what`
// when twips is not a finite number or the result does not fit a widget coordinate, so that a
// runaway value from a formula is a failing step rather than undefined behaviour.
int twipsToPixels(double twips, double dpi, const char* what);

// Pixels to twips at `dpi`.
double pixelsToTwips(int pixels, double dpi);

// The logical DPI a widget's positions are measured at, horizontally and vertically.
double horizontalDpi(const QWidget& widget);
double verticalDpi(const QWidget& widget);

// Places `widget` at a rectangle given in twips within its parent.
void placeInTwips(QWidget& widget, int left, int top, int width, int height);

}  // namespace velmora
