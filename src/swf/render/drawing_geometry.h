#pragma once

#include "swf/render/shape_path_builder.h"
#include "swf/runtime/clip_drawing.h"

namespace velmora::swf {

// The paths of a clip's drawing, as a shape's geometry: one style group per part of the drawing,
// its fill (subpaths closed, even-odd) painted before its strokes. Built on first use and kept in
// the drawing's cache slot until the drawing changes. Bitmap fills carry their picture, taken
// afresh on every call so that changes to the pixels show; the pixels must not change or go while
// the geometry is painted.
const ShapeGeometry& drawingGeometry(const ClipDrawing& drawing);

// The same geometry built without the cache.
ShapeGeometry buildDrawingGeometry(const ClipDrawing& drawing);

}  // namespace velmora::swf
