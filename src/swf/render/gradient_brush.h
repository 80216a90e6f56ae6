#pragma once

#include <QBrush>

#include "swf/format/geometry.h"
#include "swf/format/shape.h"

namespace velmora::swf {

// Half the side of the square in which every gradient is defined, in twips: the gradient runs
// from -16384 to 16384 and the fill matrix maps that square onto the shape.
constexpr double kGradientHalfSquare = 16384.0;

// A brush painting a linear, radial or focal gradient fill in shape coordinates (twips), its
// stops through the colour transform. Linear-RGB gradients are approximated with extra stops
// computed in linear light, since Qt interpolates in sRGB only. A gradient without stops gives a
// transparent brush; one stop gives a solid brush. Stops out of order are kept in file order,
// nudged apart so that the later one wins from its position on.
QBrush makeGradientBrush(const FillStyle& fill, const ColorTransform& transform);

}  // namespace velmora::swf
