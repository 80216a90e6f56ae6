#pragma once

#include <QPainterPath>
#include <QRectF>
#include <QTransform>
#include <vector>

#include "swf/format/geometry.h"
#include "swf/render/glyph_mask_cache.h"

namespace velmora::swf {

// A rectangle of the file as Qt's: sizes taken in floating point, since a hostile file's
// extremes differ by more than an int holds.
inline QRectF toQRectF(const Rect& r) {
    return QRectF(QPointF(r.xMin, r.yMin), QPointF(r.xMax, r.yMax)).normalized();
}

// Text made into outlines, ready to paint, in twips of the text's own space. Building it costs
// far more than painting it, so it is built once and cached.
//
// Every outline is in pieces: one path per run of one colour, what filling the text as paths
// takes (rotated or skewed text, masks). Glyphs are also kept one by one, so that upright text
// can be copied glyph by glyph from pictures made once (see glyph_mask_cache.h); decorations such
// as underlines are then filled on their own.
struct TextGeometry {
    struct Piece {
        QPainterPath path;
        Rgba color;
    };
    struct Glyph {
        GlyphId id;
        QPainterPath outline;  // in the glyph's own units, origin on the baseline
        QRectF outlineBounds;  // of outline, in its units
        double scale = 1.0;    // twips per outline unit
        QPointF origin;        // twips
        Rgba color;
    };
    std::vector<Piece> pieces;
    std::vector<Glyph> glyphs;
    std::vector<Piece> decorations;
    QRectF bounds;  // of every piece, twips
    // Where each laid-out line's characters stand, for carets, selections, scrolling and measuring
    // fields. Positions count UTF-16 units of the text, one per line break between paragraphs.
    struct Line {
        double top = 0.0;  // twips
        double baseline = 0.0;
        double bottom = 0.0;
        double width = 0.0;  // of what the line shows, trailing spaces left out
        std::vector<int32_t> positions;  // at each character boundary, from the line's start to its end
        std::vector<double> x;           // the x of each of those boundaries
    };
    std::vector<Line> lines;

    // Adds a glyph: its outline (in units of scale twips, origin on the baseline) placed with its
    // origin at origin, in color. A glyph with a null id is added as a decoration.
    void addGlyph(const GlyphId& id, const QPainterPath& outline, double scale, QPointF origin, const Rgba& color) {
        const QPainterPath placed = QTransform(scale, 0, 0, scale, origin.x(), origin.y()).map(outline);
        if (!id) {
            add(placed, color);
            return;
        }
        addPiece(pieces, placed, color);
        glyphs.push_back({id, outline, outline.controlPointRect(), scale, origin, color});
        bounds |= placed.boundingRect();
    }

    // Adds a path that is not a glyph (an underline), in color.
    void add(const QPainterPath& path, const Rgba& color) {
        addPiece(pieces, path, color);
        addPiece(decorations, path, color);
        bounds |= path.boundingRect();
    }

    void translate(double dx, double dy) {
        for (Piece& piece : pieces) piece.path.translate(dx, dy);
        for (Piece& piece : decorations) piece.path.translate(dx, dy);
        for (Glyph& glyph : glyphs) glyph.origin += QPointF(dx, dy);
        for (Line& line : lines) {
            line.top += dy;
            line.baseline += dy;
            line.bottom += dy;
            for (double& x : line.x) x += dx;
        }
        bounds.translate(dx, dy);
    }

private:
    // Joins path to the last piece when the colour and the fill rule are the same (embedded
    // glyphs fill even-odd, installed fonts' glyphs by winding; mixing them in one path would open
    // holes in one kind or fill them in the other).
    static void addPiece(std::vector<Piece>& to, const QPainterPath& path, const Rgba& color) {
        if (to.empty() || !(to.back().color == color) || to.back().path.fillRule() != path.fillRule()) {
            to.push_back({QPainterPath(), color});
            to.back().path.setFillRule(path.fillRule());
        }
        to.back().path.addPath(path);
    }
};

}  // namespace velmora::swf
