#pragma once

#include <QPainter>

#include "swf/format/geometry.h"
#include "swf/render/render_resources.h"
#include "swf/render/text_geometry.h"

namespace velmora::swf {

// Paints text through the painter's current transform, its colours through cx. Where that
// transform only scales (without mirroring) and moves, each glyph is copied from
// resources.glyphMasks, made once per size and sub-pixel position; rotated, skewed or mirrored
// text and glyphs too large to keep are filled where they stand, each glyph's coverage computed
// from its outline's edges as the pictures' is; underlines are filled by the painter. A copy is
// within 4 levels of 255 of filling its glyph where it stands.
void paintText(QPainter& painter, const TextGeometry& geometry, const ColorTransform& cx, RenderResources& resources);

}  // namespace velmora::swf
