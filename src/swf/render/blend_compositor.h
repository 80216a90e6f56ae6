#pragma once

#include <QImage>
#include <QPainter>
#include <optional>

#include "swf/format/filter.h"

namespace velmora::swf {

// The QPainter composition mode that draws a blend mode, or nullopt for the modes Qt has no
// mode for (subtract, invert), which compositeLayer draws itself. Normal and layer are source-over;
// alpha and erase act on the layer below (destination-in, destination-out).
std::optional<QPainter::CompositionMode> qtCompositionMode(BlendMode mode);

// Draws layer (premultiplied ARGB32, the size of the painter's device, device coordinates) onto
// the painter's device with the blend mode, within the painter's clip. The painter's device must
// be a QImage for subtract and invert; on other devices they fall back to normal.
void compositeLayer(QPainter& painter, const QImage& layer, BlendMode mode);

// One pixel of subtract and invert on premultiplied colours: below is the destination, above the
// layer. Exposed for testing.
QRgb subtractPixel(QRgb below, QRgb above);
QRgb invertPixel(QRgb below, QRgb above);

}  // namespace velmora::swf
