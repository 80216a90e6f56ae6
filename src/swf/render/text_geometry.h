#pragma once

#include <QPainterPath>
#include <QRectF>
#include <vector>

#include "swf/format/geometry.h"

namespace velmora::swf {

// A rectangle of the file as Qt's: sizes taken in floating point, since a hostile file's
// extremes differ by more than an int holds.
inline QRectF toQRectF(const Rect& r) {
    return QRectF(QPointF(r.xMin, r.yMin), QPointF(r.xMax, r.yMax)).normalized();
}

// Text made into outlines, ready to paint: one path per run of one colour, in twips of the text's
// own space. Building it costs far more than painting it, so it is built once and cached.
struct TextGeometry {
    struct Piece {
        QPainterPath path;
        Rgba color;
    };
    std::vector<Piece> pieces;
    QRectF bounds;  // of every piece, twips

    // Adds path in color, joining it to the last piece when the colour and the fill rule are the
    // same (embedded glyphs fill even-odd, installed fonts' glyphs by winding; mixing them in one
    // path would open holes in one kind or fill them in the other).
    void add(const QPainterPath& path, const Rgba& color) {
        if (pieces.empty() || !(pieces.back().color == color) || pieces.back().path.fillRule() != path.fillRule()) {
            pieces.push_back({QPainterPath(), color});
            pieces.back().path.setFillRule(path.fillRule());
        }
        pieces.back().path.addPath(path);
        bounds |= path.boundingRect();
    }
};

}  // namespace velmora::swf
