#pragma once

#include <QImage>

#include "swf/format/filter.h"
#include "swf/render/render_warnings.h"

namespace velmora::swf {

// The filters built from the object's edges and a colour ramp, and the convolution, each applied
// to a layer holding one object drawn alone (premultiplied ARGB32, density 1). scale is the
// device pixels per movie pixel. applyFilters calls these; they are declared apart so that each
// kind of filter keeps a file of its own.

// Bevel and gradient bevel: light falls along the filter's angle, so edges facing it take the
// highlight (the highlight colour, or the gradient's low end) and edges turned away the shadow
// (the shadow colour, or the gradient's high end). Inner bevels lie inside the object, outer ones
// around it, and "on top" ones on both sides of its edge.
void applyBevel(QImage& layer, const Filter& filter, double scale);

// Gradient glow: the object's blurred (and offset) alpha picks a colour from the gradient, 0 far
// from the object and 255 at its edge. Inner glows lie inside the object, outer ones around it.
void applyGradientGlow(QImage& layer, const Filter& filter, double scale);

// Convolution: every pixel becomes the weighted sum of its neighbours under the matrix, divided by
// the divisor, plus the bias. Beyond the layer's edges lie its edge pixels (clamp) or the default
// colour. Matrices wider or taller than kMaxConvolutionSide are not applied, with a warning.
constexpr int kMaxConvolutionSide = 15;
void applyConvolution(QImage& layer, const Filter& filter, RenderWarnings& warnings);

// The smallest rectangle holding every pixel of the image that is not fully transparent; empty
// when there is none.
QRect opaqueBounds(const QImage& image);

}  // namespace velmora::swf
