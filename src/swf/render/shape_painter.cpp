#include "swf/render/shape_painter.h"

#include <QPainterPathStroker>
#include <QPen>
#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "swf/format/bitmap.h"
#include "swf/render/color_transform_apply.h"
#include "swf/render/gradient_brush.h"

namespace velmora::swf {
namespace {

double determinant(const Matrix& m) { return m.a * m.d - m.b * m.c; }

Qt::PenCapStyle toQt(LineStyle::Cap cap) {
    switch (cap) {
        case LineStyle::Cap::None: return Qt::FlatCap;
        case LineStyle::Cap::Square: return Qt::SquareCap;
        default: return Qt::RoundCap;
    }
}

Qt::PenJoinStyle toQt(LineStyle::Join join) {
    switch (join) {
        case LineStyle::Join::Bevel: return Qt::BevelJoin;
        case LineStyle::Join::Miter: return Qt::MiterJoin;
        default: return Qt::RoundJoin;
    }
}

QPen makePen(const LineStyle& line, const ColorTransform& colorTransform, const QTransform& world, double stageScale,
             RenderResources& resources, double& opacity) {
    QBrush brush = line.fill ? makeFillBrush(*line.fill, colorTransform, resources, opacity)
                             : QBrush(transformColor(line.color, colorTransform));
    QPen pen(brush, 0.0, Qt::SolidLine, toQt(line.startCap), toQt(line.join));
    if (line.join == LineStyle::Join::Miter && std::isfinite(line.miterLimit))
        pen.setMiterLimit(std::max(1.0, line.miterLimit));
    const double worldScale = std::sqrt(std::abs(world.determinant()));
    const double devicePixels = line.width * worldScale;
    if (line.noHScale || line.noVScale) {
        // Width in movie pixels, grown only by the stage's own zoom.
        pen.setCosmetic(true);
        pen.setWidthF(std::max(1.0, line.width / kTwipsPerPixel * stageScale));
    } else if (line.width == 0 || !(devicePixels >= 1.0)) {
        pen.setCosmetic(true);
        pen.setWidthF(1.0);
    } else {
        // Qt refuses widths from 32768 on; a line that wide covers any screen anyway.
        pen.setWidthF(std::min<double>(line.width, 32767.0));
    }
    return pen;
}

// The outline a cap adds beyond the end point p of a stroke leaving along the unit vector out.
void addCap(QPainterPath& caps, LineStyle::Cap cap, QPointF p, QPointF out, double half) {
    if (cap == LineStyle::Cap::Round) {
        caps.addEllipse(p, half, half);
    } else if (cap == LineStyle::Cap::Square) {
        const QPointF side(-out.y() * half, out.x() * half);
        caps.addPolygon(QPolygonF({p + side, p + side + out * half, p - side + out * half, p - side, p + side}));
    }
}

// The unit vector from b towards a, or nothing when they coincide.
std::optional<QPointF> direction(QPointF a, QPointF b) {
    const QPointF d = a - b;
    const double length = std::hypot(d.x(), d.y());
    if (!(length > 0.0)) return std::nullopt;
    return d / length;
}

// The area a stroke covers, as a path to fill: for strokes one QPen cannot draw, those whose
// lines start and end with different caps and those filled with a clipped bitmap. With different
// caps the stroke is outlined with flat ends and each open end gets its cap added; a subpath that
// returns to its start is closed with a join, unless the style asks for its ends to stay open.
// Cosmetic pens are measured in device pixels, so their outline is built on the device: the result
// is then in device coordinates and onDevice is set.
QPainterPath strokeOutline(const QPainterPath& path, const LineStyle& style, QPen pen, const QTransform& world,
                           bool& onDevice) {
    onDevice = pen.isCosmetic();
    const QPainterPath source = onDevice ? world.map(path) : path;
    pen.setCosmetic(false);
    if (style.startCap == style.endCap) return QPainterPathStroker(pen).createStroke(source);
    const double half = pen.widthF() / 2.0;
    QPainterPath body;
    QPainterPath caps;
    caps.setFillRule(Qt::WindingFill);
    int start = 0;
    const int count = source.elementCount();
    for (int i = 1; i <= count; ++i) {
        if (i < count && !source.elementAt(i).isMoveTo()) continue;
        // Elements [start, i) are one subpath.
        const QPointF first = source.elementAt(start);
        const QPointF last = source.elementAt(i - 1);
        body.moveTo(first);
        for (int e = start + 1; e < i; ++e) {
            const QPainterPath::Element el = source.elementAt(e);
            if (el.isLineTo()) {
                body.lineTo(el);
            } else if (el.isCurveTo() && e + 2 < i) {
                body.cubicTo(el, source.elementAt(e + 1), source.elementAt(e + 2));
                e += 2;
            }
        }
        if (first == last && i - start > 1 && !style.noClose) {
            body.closeSubpath();
        } else {
            std::optional<QPointF> out;
            for (int e = start + 1; e < i && !out; ++e) out = direction(first, source.elementAt(e));
            addCap(caps, style.startCap, first, out.value_or(QPointF(-1, 0)), half);
            out.reset();
            for (int e = i - 2; e >= start && !out; --e) out = direction(last, source.elementAt(e));
            addCap(caps, style.endCap, last, out.value_or(QPointF(1, 0)), half);
        }
        start = i;
    }
    pen.setCapStyle(Qt::FlatCap);
    QPainterPathStroker stroker(pen);
    // United rather than filled one over the other, so that a translucent stroke stays even.
    return stroker.createStroke(body).united(caps);
}

// Fills path with a clipped bitmap brush: the picture once, and beyond its edges its edge
// pixels drawn outwards, as a clipped fill shows them (a texture brush would tile). The area the
// path covers is cut into nine pieces around the picture: the picture, four edge rows or columns
// stretched, four corner pixels stretched.
void fillClamped(QPainter& painter, const QPainterPath& path, const QBrush& brush) {
    const QImage image = brush.textureImage();
    bool invertible = false;
    const QTransform toImage = brush.transform().inverted(&invertible);
    if (image.isNull() || !invertible) return;
    const QRectF reach = toImage.map(path).boundingRect();
    const double w = image.width();
    const double h = image.height();
    // Per axis: the stretch before the picture, the picture, the stretch after (target, source).
    using Span = std::array<double, 4>;  // target from, target to, source from, source length
    const std::array<Span, 3> xs{Span{reach.left(), 0, 0, 1}, Span{0, w, 0, w}, Span{w, reach.right(), w - 1, 1}};
    const std::array<Span, 3> ys{Span{reach.top(), 0, 0, 1}, Span{0, h, 0, h}, Span{h, reach.bottom(), h - 1, 1}};
    painter.save();
    painter.setClipPath(path, Qt::IntersectClip);
    // The clip gives the edge its antialiasing; pieces drawn aliased meet without seams.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setTransform(brush.transform() * painter.worldTransform());
    for (const Span& y : ys)
        for (const Span& x : xs)
            if (x[1] > x[0] && y[1] > y[0])
                painter.drawImage(QRectF(x[0], y[0], x[1] - x[0], y[1] - y[0]), image, QRectF(x[2], y[2], x[3], y[3]));
    painter.restore();
}

bool isClippedBitmap(FillStyle::Type type) {
    return type == FillStyle::Type::ClippedBitmap || type == FillStyle::Type::NonSmoothedClippedBitmap;
}

// Draws a stroke as the fill of its outline, with the pen's brush; a clipped bitmap shows its
// picture once and its edge pixels beyond it, as its fill would.
void strokeAsFill(QPainter& painter, const QPainterPath& path, const LineStyle& style, const QPen& pen) {
    const QTransform world = painter.worldTransform();
    bool onDevice = false;
    const QPainterPath outline = strokeOutline(path, style, pen, world, onDevice);
    QBrush brush = pen.brush();
    painter.save();
    if (onDevice) {
        brush.setTransform(brush.transform() * world);
        painter.resetTransform();
    }
    if (style.fill && isClippedBitmap(style.fill->type)) fillClamped(painter, outline, brush);
    else painter.fillPath(outline, brush);
    painter.restore();
}

// The brush of a bitmap fill showing image (already framed for a clipped fill).
QBrush imageBrush(const QImage& image, const FillStyle& fill, bool clipped) {
    if (image.isNull()) return QBrush(Qt::NoBrush);
    QBrush brush(image);
    const Matrix& m = fill.matrix;
    const QTransform matrix(m.a, m.b, m.c, m.d, m.tx, m.ty);
    brush.setTransform(clipped ? QTransform::fromTranslate(-1, -1) * matrix : matrix);
    return brush;
}

// The brush of a bitmap fill with a picture of its own.
QBrush pictureBrush(const QImage& picture, const FillStyle& fill, const ColorTransform& colorTransform,
                    double& opacity) {
    opacity = 1.0;
    if (std::abs(determinant(fill.matrix)) < 1e-12) return QBrush(Qt::NoBrush);
    const bool clipped = isClippedBitmap(fill.type);
    QImage image;
    if (isAlphaFactorOnly(colorTransform)) {
        image = picture;
        opacity = std::min(1.0, colorTransform.aMult);
    } else {
        image = transformImage(picture, colorTransform);
    }
    return imageBrush(clipped ? BitmapCache::withEdgeFrame(image) : image, fill, clipped);
}

}  // namespace

QBrush makeFillBrush(const FillStyle& fill, const ColorTransform& colorTransform, RenderResources& resources,
                     double& opacity) {
    opacity = 1.0;
    if (fill.isGradient()) {
        if (std::abs(determinant(fill.matrix)) < 1e-12) {
            // A gradient squeezed to nothing shows its last colour everywhere.
            if (fill.gradient.stops.empty()) return QBrush(Qt::NoBrush);
            return QBrush(transformColor(fill.gradient.stops.back().color, colorTransform));
        }
        return makeGradientBrush(fill, colorTransform);
    }
    if (fill.isBitmap()) {
        const Character* character = resources.character(fill.bitmapId);
        if (fill.bitmapId == 0xFFFF) return QBrush(Qt::NoBrush);
        if (!character || character->kind != CharacterKind::Bitmap) {
            resources.warnings.add("bitmap fill names character " + std::to_string(fill.bitmapId) +
                                   ", which is not a bitmap: not drawn");
            return QBrush(Qt::NoBrush);
        }
        if (std::abs(determinant(fill.matrix)) < 1e-12) return QBrush(Qt::NoBrush);
        const auto& bitmap = static_cast<const BitmapCharacter&>(*character);
        const bool clipped = isClippedBitmap(fill.type);
        QImage image;
        if (isAlphaFactorOnly(colorTransform)) {
            image = clipped ? resources.bitmaps.framedImage(bitmap, resources.warnings)
                            : resources.bitmaps.image(bitmap, resources.warnings);
            opacity = std::min(1.0, colorTransform.aMult);
        } else {
            image = resources.bitmaps.transformed(bitmap, colorTransform, resources.warnings);
            if (clipped) image = BitmapCache::withEdgeFrame(image);
        }
        return imageBrush(image, fill, clipped);
    }
    return QBrush(transformColor(fill.color, colorTransform));
}

void paintShape(QPainter& painter, const ShapeGeometry& geometry, const ColorTransform& colorTransform,
                double stageScale, RenderResources& resources) {
    const double baseOpacity = painter.opacity();
    const QTransform world = painter.worldTransform();
    for (const ShapeStyleGroup& group : geometry.groups) {
        for (const ShapeStyleGroup::Fill& fill : group.fills) {
            double opacity = 1.0;
            const QBrush brush = fill.picture.isNull()
                                     ? makeFillBrush(fill.style, colorTransform, resources, opacity)
                                     : pictureBrush(fill.picture, fill.style, colorTransform, opacity);
            if (brush.style() == Qt::NoBrush || opacity <= 0.0) continue;
            const bool smooth = fill.style.type == FillStyle::Type::RepeatingBitmap ||
                                fill.style.type == FillStyle::Type::ClippedBitmap;
            if (fill.style.isBitmap()) painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
            painter.setOpacity(baseOpacity * opacity);
            if (isClippedBitmap(fill.style.type)) fillClamped(painter, fill.path, brush);
            else painter.fillPath(fill.path, brush);
        }
        painter.setOpacity(baseOpacity);
        painter.setBrush(Qt::NoBrush);
        for (const ShapeStyleGroup::Line& line : group.lines) {
            double opacity = 1.0;
            const QPen pen = makePen(line.style, colorTransform, world, stageScale, resources, opacity);
            if (pen.brush().style() == Qt::NoBrush || opacity <= 0.0) continue;
            painter.setOpacity(baseOpacity * opacity);
            const bool clipped = line.style.fill && isClippedBitmap(line.style.fill->type);
            if (line.style.startCap == line.style.endCap && !clipped) painter.strokePath(line.path, pen);
            else strokeAsFill(painter, line.path, line.style, pen);
        }
        painter.setOpacity(baseOpacity);
    }
}

}  // namespace velmora::swf
