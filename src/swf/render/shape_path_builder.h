#pragma once

#include <QImage>
#include <QPainterPath>
#include <span>
#include <vector>

#include "swf/format/shape.h"

namespace velmora::swf {

// One run of styles of a shape: the styles that a new-styles record (or the shape's start) put in
// force, with the closed outlines of each fill style and the strokes of each line style drawn
// while they were. Fills of a group are painted before its lines; groups are painted in order.
struct ShapeStyleGroup {
    struct Fill {
        FillStyle style;
        QPainterPath path;  // closed contours in twips, with the shape's fill rule set
        // A bitmap fill's own picture (a script's drawing fills with pictures it made), used
        // instead of the bitmap the style names when set.
        QImage picture;
    };
    struct Line {
        LineStyle style;
        QPainterPath path;  // open or closed polylines/curves in twips, never filled
    };
    std::vector<Fill> fills;
    std::vector<Line> lines;
};

// A shape turned into paths once, to be painted any number of times at any transform.
struct ShapeGeometry {
    std::vector<ShapeStyleGroup> groups;
    int skippedStyleIndexes = 0;  // records that named a style past the end of its array
    // What painting can touch, in twips: fills, and strokes at their scaled width. Strokes drawn
    // at a device width (hairlines, non-scaling strokes) reach past it by up to half of
    // deviceStrokeWidth (twips of the stage, before the stage's zoom) plus a pixel.
    QRectF bounds;
    double deviceStrokeWidth = 0.0;

    bool empty() const { return groups.empty(); }
};

// Builds the paths of a shape from its edge records. Every edge belongs to up to two fill styles
// (fill0 on its left side walking forward, fill1 on its right); the edges of each fill style are
// collected, fill0 edges reversed so that every fill's edges run the same way round, and linked
// end to start into closed contours. Unlinked leftovers are closed on themselves rather than
// dropped, so a damaged shape still shows. nonZero selects the non-zero winding rule, even-odd
// otherwise. Style indexes past the end of their array are ignored and counted. newStyles are the
// arrays of the records with hasNewStyles, in order; such a record with none left brings empty
// arrays.
ShapeGeometry buildShapeGeometry(std::span<const ShapeRecord> records, const std::vector<FillStyle>& fillStyles,
                                 const std::vector<LineStyle>& lineStyles, bool nonZero,
                                 std::span<const ShapeStyleArrays> newStyles = {});

ShapeGeometry buildShapeGeometry(const ShapeCharacter& shape);

// The outline of a glyph: its records filled with the font's one implied fill style, as a single
// path in em-square units. Glyphs use the even-odd rule like shapes before DefineShape4.
QPainterPath buildGlyphPath(std::span<const ShapeRecord> records, std::span<const ShapeStyleArrays> newStyles = {});

}  // namespace velmora::swf
