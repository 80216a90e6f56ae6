#pragma once

#include <QPainter>

#include "swf/format/geometry.h"
#include "swf/render/render_resources.h"
#include "swf/render/shape_path_builder.h"

namespace velmora::swf {

// Paints a shape's paths with its fills and strokes. The painter's transform maps the shape's
// twips to device pixels; stageScale is the device pixels per movie pixel of the stage alone, which
// strokes that do not scale with their object keep. Hairlines and strokes thinner than one device
// pixel are drawn one pixel wide so that they never vanish. Repeating bitmap fills tile; clipped
// ones show the picture once and its edge pixels beyond it, in fills and strokes alike. Fills
// naming a missing or undecodable bitmap are skipped with a warning.
void paintShape(QPainter& painter, const ShapeGeometry& geometry, const ColorTransform& colorTransform,
                double stageScale, RenderResources& resources);

// The brush of one fill style through a colour transform; for bitmap fills, opacity receives the
// factor the painter must apply (bitmaps are faded by opacity rather than rewritten). Returns a
// NoBrush brush when the fill cannot be drawn.
QBrush makeFillBrush(const FillStyle& fill, const ColorTransform& colorTransform, RenderResources& resources,
                     double& opacity);

}  // namespace velmora::swf
