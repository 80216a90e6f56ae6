#pragma once

#include "swf/format/shape.h"

namespace velmora::swf {

class ClipDrawing;

// Whether a point lies on what a shape or a drawing paints, for the shape-exact hit tests of
// scripts (hitTest with its shape flag) and of the pointer over clips that act as buttons.
// Coordinates are twips in the shape's or drawing's own space.
//
// A point is inside a fill when the fill's edges wind around it by the shape's rule (even-odd,
// or non-zero for shapes that ask for it; drawings fill even-odd), and on a stroke when it lies
// within half the line's width of a stroked edge (a hairline counts as one pixel wide). Curves are
// followed through a few straight pieces: close enough for a pointer, which is a pixel wide.

bool shapeCovers(const ShapeCharacter& shape, double x, double y);
bool drawingCovers(const ClipDrawing& drawing, double x, double y);

}  // namespace velmora::swf
