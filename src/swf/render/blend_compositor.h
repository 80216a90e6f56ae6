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

// Whether the blend mode works on the pixels below the layer itself (subtract, invert), which
// only a painter on a QImage can read.
bool readsPixelsBelow(BlendMode mode);

// Draws layer (premultiplied ARGB32, the size of the painter's device, device coordinates) onto
// the painter's device with the blend mode, within the painter's clip. Returns false when the
// mode reads the pixels below and the painter's device is not a QImage (a widget, a pixmap): the
// layer is then drawn as normal, and the caller may draw the whole picture again onto an image.
bool compositeLayer(QPainter& painter, const QImage& layer, BlendMode mode);

// One pixel of subtract and invert on premultiplied colours: below is the destination, above the
// layer. Exposed for testing.
QRgb subtractPixel(QRgb below, QRgb above);
QRgb invertPixel(QRgb below, QRgb above);

}  // namespace velmora::swf
