#pragma once

#include <QColor>
#include <QImage>

#include "swf/format/geometry.h"

namespace velmora::swf {

// A colour through a colour transform: each channel multiplied, then added to, then clamped to
// 0..255, alpha included.
QColor transformColor(const Rgba& color, const ColorTransform& transform);

// True when a transform changes only alpha by a factor (a fade), which painting can apply as an
// opacity instead of rewriting pixels.
bool isAlphaFactorOnly(const ColorTransform& transform);

// A copy of image with every pixel through transform; the result is premultiplied ARGB32. Pixels
// are taken unpremultiplied, transformed and premultiplied again, as a colour transform acts on
// the colours a viewer sees.
QImage transformImage(const QImage& image, const ColorTransform& transform);

}  // namespace velmora::swf
