#include "swf/render/nine_slice.h"

#include <algorithm>
#include <cmath>

namespace velmora::swf {
namespace {

Matrix toMatrix(const QTransform& t) { return {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()}; }

}  // namespace

std::optional<NineSlice::Axis> NineSlice::makeAxis(double boxMin, double boxMax, double gridMin, double gridMax,
                                                   double scale) {
    scale = std::abs(scale);
    if (!(scale > 0.0) || !std::isfinite(scale) || !(boxMax > boxMin)) return std::nullopt;
    if (!(gridMin > boxMin) || !(gridMax < boxMax) || !(gridMax > gridMin)) return std::nullopt;
    const double before = gridMin - boxMin;
    const double after = boxMax - gridMax;
    const double shown = (boxMax - boxMin) * scale;  // the box's size as drawn
    // The corners at their own size when they fit, else shrunk together to fill what is shown.
    const double corner = std::min(1.0, shown / (before + after));
    Axis axis{{boxMin, gridMin, gridMax, boxMax}, {boxMin, boxMin + before * corner / scale, boxMax - after * corner / scale, boxMax}};
    return axis;
}

double NineSlice::Axis::map(double v) const {
    // Piece by piece; beyond the box the corner's own rate goes on.
    int piece = v < from[1] ? 0 : v < from[2] ? 1 : 2;
    const double span = from[piece + 1] - from[piece];
    const double rate = span > 0.0 ? (to[piece + 1] - to[piece]) / span : 0.0;
    return to[piece] + (v - from[piece]) * rate;
}

std::optional<NineSlice> NineSlice::make(const Rect& grid, const QRectF& bounds, double scaleX, double scaleY) {
    const auto x = makeAxis(bounds.left(), bounds.right(), grid.xMin, grid.xMax, scaleX);
    const auto y = makeAxis(bounds.top(), bounds.bottom(), grid.yMin, grid.yMax, scaleY);
    if (!x || !y) return std::nullopt;
    NineSlice slice;
    slice.x_ = *x;
    slice.y_ = *y;
    return slice;
}

std::optional<QPointF> NineSlice::scaleAgainstStage(const QTransform& world, double stagePixelsPerTwip) {
    if (!(stagePixelsPerTwip > 0.0)) return std::nullopt;
    const double sx = world.m11();
    const double sy = world.m22();
    // Rotated or skewed content has no axis for its grid.
    const double tolerance = 1e-6 * (std::abs(sx) + std::abs(sy));
    if (std::abs(world.m12()) > tolerance || std::abs(world.m21()) > tolerance) return std::nullopt;
    return QPointF(sx / stagePixelsPerTwip, sy / stagePixelsPerTwip);
}

QPainterPath NineSlice::map(const QPainterPath& path) const {
    QPainterPath out = path;
    for (int i = 0; i < out.elementCount(); ++i) {
        const QPointF p = map(QPointF(out.elementAt(i)));
        out.setElementPositionAt(i, p.x(), p.y());
    }
    return out;
}

ShapeGeometry NineSlice::map(const ShapeGeometry& geometry, const QTransform& matrix) const {
    const Matrix carried = toMatrix(matrix);
    ShapeGeometry out = geometry;
    out.bounds = QRectF();
    for (ShapeStyleGroup& group : out.groups) {
        for (ShapeStyleGroup::Fill& fill : group.fills) {
            fill.path = map(matrix.map(fill.path));
            fill.style.matrix = carried * fill.style.matrix;
            out.bounds |= fill.path.boundingRect();
        }
        for (ShapeStyleGroup::Line& line : group.lines) {
            line.path = map(matrix.map(line.path));
            if (line.style.fill) line.style.fill->matrix = carried * line.style.fill->matrix;
            out.bounds |= line.path.boundingRect();
        }
    }
    return out;
}

}  // namespace velmora::swf
