#pragma once

#include <QImage>
#include <vector>

#include "swf/format/filter.h"
#include "swf/render/render_warnings.h"

namespace velmora::swf {

// Blur radii beyond this many movie pixels are held to it, as the format's own players do; a
// file asking for a blur of 10000 pixels gets a blur of 255.
constexpr double kMaxBlurPixels = 255.0;

// Applies filters in order to a layer holding one object drawn alone (premultiplied ARGB32).
// scale is the device pixels per movie pixel, by which blur radii and distances grow. Every filter
// type of the format is drawn; a filter beyond the limits kept here (a convolution matrix too large)
// is left out with a warning, the object shown as if unfiltered by it.
void applyFilters(QImage& layer, const std::vector<Filter>& filters, double scale, RenderWarnings& warnings);

// A box blur of the given radii (device pixels), repeated passes times (1..3 passes approach a
// Gaussian). Transparent pixels lie beyond the edges.
void boxBlur(QImage& image, double radiusX, double radiusY, int passes);

}  // namespace velmora::swf
