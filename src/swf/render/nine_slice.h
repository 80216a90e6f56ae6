#pragma once

#include <QPainterPath>
#include <QRectF>
#include <QTransform>
#include <optional>

#include "swf/format/geometry.h"
#include "swf/render/shape_path_builder.h"

namespace velmora::swf {

// How a sprite or button with a scaling grid keeps its frame when scaled: the grid's two vertical
// and two horizontal lines cut the content's box into nine parts; the four corners keep their
// size, the edges between them stretch along the edge only, and the centre takes up the rest.
// Scaled below the size of its corners, the corners shrink together and the centre vanishes.
//
// The slice is a map of the content's own coordinates (twips), to be drawn through the object's
// usual transform: the content's box maps onto itself, so that the object still fills the box it
// would fill unsliced, while each part is squeezed or stretched so that the object's scale brings
// it back to the size it should show at.
class NineSlice {
public:
    // The slice for content whose box is bounds, cut by grid (both in the content's coordinates),
    // drawn at scaleX and scaleY against the stage (the sign is ignored: a mirrored object keeps
    // its corners too). nullopt when there is nothing to slice: a grid that does not lie within
    // the box with some width and height to its centre, a box with no area, or a scale of zero or
    // not finite. Content is then drawn scaled as a whole.
    static std::optional<NineSlice> make(const Rect& grid, const QRectF& bounds, double scaleX, double scaleY);

    // The scale of a transform from content to device against the stage's own (device pixels per
    // twip of the stage), or nullopt when the transform rotates or skews: the grid then does not
    // apply and the content scales as a whole.
    static std::optional<QPointF> scaleAgainstStage(const QTransform& world, double stagePixelsPerTwip);

    QPointF map(QPointF p) const { return {x_.map(p.x()), y_.map(p.y())}; }
    QPainterPath map(const QPainterPath& path) const;

    // A shape placed in the sliced content with matrix: its paths carried into the content's
    // coordinates and sliced there. Gradient and bitmap fills follow the matrix and are not
    // sliced: they scale with the object as a whole.
    ShapeGeometry map(const ShapeGeometry& geometry, const QTransform& matrix) const;

private:
    // One axis: the box's two edges and the grid's two lines, and where each lands.
    struct Axis {
        double from[4];
        double to[4];
        double map(double v) const;
    };
    static std::optional<Axis> makeAxis(double boxMin, double boxMax, double gridMin, double gridMax, double scale);

    Axis x_;
    Axis y_;
};

}  // namespace velmora::swf
