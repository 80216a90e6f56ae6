#pragma once

#include <optional>

#include "swf/format/geometry.h"

namespace velmora::swf {

class Clip;

// Where clips stand on the stage, for the script methods that ask (getBounds, localToGlobal,
// hitTest, _droptarget). Built on the boxes of clip_bounds; a "shape" test follows the outlines of
// shapes and drawings (outline_hit.h) and the boxes of texts, buttons and morph shapes.
// Coordinates are twips.

// The matrix from clip's own coordinates to the stage's.
Matrix stageMatrix(const Clip& clip);
// The inverse of m applied to (x, y); false, leaving them alone, for a matrix that squashes
// everything to a line.
bool applyInverse(const Matrix& m, double& x, double& y);

// Whether (x, y), in clip's own coordinates, lies on what the clip shows: its drawing, and the
// visible shapes (by outline), texts, buttons (by box) it and its sprites show, where the masks
// over them let the point through. Masks draw nothing and are left out. asMask: the clip serves as
// a mask; all its shapes count, hidden or not, and masks inside it are not asked.
bool shapeHit(const Clip& clip, double x, double y, bool asMask = false);
// The box of clip's content in space's coordinates (the box around the content's box carried
// there); nullopt for a clip with nothing to show.
std::optional<Rect> boundsIn(const Clip& clip, const Clip& space);

// Whether the stage point lies within clip's box (shape: within the box of one of the visible
// things it shows).
bool hitsPoint(const Clip& clip, double stageX, double stageY, bool shape);

// The topmost visible clip with something shown under the stage point, the deepest one inside
// it; clips inside `except` (and except itself) are looked through. nullptr over nothing but the
// root.
const Clip* topmostClipAt(const Clip& root, double stageX, double stageY, const Clip* except);

}  // namespace velmora::swf
