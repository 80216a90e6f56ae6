#include "platform/qt/twips.h"

#include <QWidget>
#include <cmath>
#include <string>

#include "platform/core/failure.h"

namespace velmora {

namespace {
// Widget coordinates beyond this make Qt's own arithmetic overflow; no window gets near it.
constexpr double kLargestCoordinate = 1 << 24;
}  // namespace

int twipsToPixels(double twips, double dpi, const char* what) {
    const double pixels = std::round(twips * dpi / kTwipsPerInch);
    if (!std::isfinite(pixels) || std::fabs(pixels) > kLargestCoordinate) {
        throw Failure(std::string(what) + " of " + std::to_string(twips) + " twips is out of range");
    }
    return static_cast<int>(pixels);
}

double pixelsToTwips(int pixels, double dpi) { return pixels * kTwipsPerInch / dpi; }

double horizontalDpi(const QWidget& widget) { return widget.logicalDpiX(); }
double verticalDpi(const QWidget& widget) { return widget.logicalDpiY(); }

void placeInTwips(QWidget& widget, int left, int top, int width, int height) {
    const double dx = horizontalDpi(widget);
    const double dy = verticalDpi(widget);
    widget.setGeometry(twipsToPixels(left, dx, "left"), twipsToPixels(top, dy, "top"),
                       twipsToPixels(width, dx, "width"), twipsToPixels(height, dy, "height"));
}

}  // namespace velmora
