#pragma once

#include <QPainterPath>

#include "support/swf_writer.h"

namespace velmora::lessons {

// Writes a filled outline as the SHAPE part of a shape or glyph: the fill and line bit counts
// (one fill style, no lines), one style change per contour with fill style 0 set on the first,
// the edges, and the end record. Coordinates are taken as twips (or em units for glyphs) and
// rounded so that the pen never drifts. Qt hands quadratic outlines over as cubic curves; a
// degree-raised quadratic gives its control point back exactly as (3 (c1 + c2) - p0 - p3) / 4,
// and a true cubic is approximated by the same rule.
void writeOutline(test::BitWriter& w, const QPainterPath& path);

}  // namespace velmora::lessons
