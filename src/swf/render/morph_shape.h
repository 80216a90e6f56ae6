#pragma once

#include "swf/format/shape.h"
#include "swf/render/shape_path_builder.h"

namespace velmora::swf {

// A morph shape at a point of its tween: t 0 is the start shape, 1 the end shape (the instance's
// ratio divided by 65535). Edges pair up record for record; where one side has a straight edge
// and the other a curve, the straight edge is taken as a curve with its control point half way.
// When the end records run out before the start records, the remaining edges stay as they start.
ShapeGeometry buildMorphGeometry(const MorphShapeCharacter& morph, double t);

// The interpolated style of one fill, colours, matrices and gradient stops alike.
FillStyle interpolateFill(const MorphShapeCharacter::MorphFill& fill, double t);

}  // namespace velmora::swf
