#pragma once

#include <QPainter>

#include "swf/format/geometry.h"
#include "swf/render/render_resources.h"
#include "swf/render/text_geometry.h"

namespace velmora::swf {

// Paints text through the painter's current transform, its colours through cx. Where that
// transform only scales (without mirroring) and moves, each glyph is copied from
// resources.glyphMasks, made once per size and sub-pixel position; rotated, skewed or mirrored
// text, glyphs too large to keep and underlines are filled as outlines. Either way the pixels are
// those of filling each glyph's outline, to within a few levels.
void paintText(QPainter& painter, const TextGeometry& geometry, const ColorTransform& cx, RenderResources& resources);

}  // namespace velmora::swf
