#include "swf/render/text_painter.h"

#include <QPaintEngine>
#include <algorithm>
#include <cmath>

#include "swf/render/color_transform_apply.h"
#include "swf/render/coverage_rasteriser.h"

namespace velmora::swf {
namespace {

void fillOutlines(QPainter& painter, const std::vector<TextGeometry::Piece>& pieces, const ColorTransform& cx) {
    for (const TextGeometry::Piece& piece : pieces) painter.fillPath(piece.path, transformColor(piece.color, cx));
}

// The device pixels anything drawn can reach: the clip's bounds, or the device's. The painter's
// transform must be to device pixels.
QRect drawableArea(const QPainter& painter, double dpr) {
    const QPaintDevice* device = painter.device();
    QRect area(0, 0, int(std::ceil(device->width() * dpr)), int(std::ceil(device->height() * dpr)));
    if (painter.hasClipping()) area &= painter.clipBoundingRect().toAlignedRect();
    return area;
}

// Fills one glyph's outline where it stands (toPixels maps the text's space to device pixels, and
// the painter's transform must be to device pixels): its coverage computed from its edges and
// copied as glyph pictures are, so that a glyph filled here and one copied from a picture differ
// only by the picture's sub-pixel phase. Returns false, drawing nothing, when the outline is too
// intricate for the rasteriser.
bool fillGlyph(QPainter& painter, const TextGeometry::Glyph& glyph, const QTransform& toPixels, const QColor& color,
               double opacity, const QRect& drawable) {
    CoverageRasteriser rasteriser;
    rasteriser.reset(glyph.outline.fillRule());
    rasteriser.addPath(glyph.outline,
                       QTransform(glyph.scale, 0, 0, glyph.scale, glyph.origin.x(), glyph.origin.y()) * toPixels);
    const QRect area = rasteriser.bounds() & drawable;
    if (area.isEmpty()) return true;
    const QImage image = rasteriser.picture(area, color.rgb());
    if (image.isNull()) return false;
    painter.setOpacity(opacity * color.alphaF());
    painter.drawImage(area.topLeft(), image);
    return true;
}

}  // namespace

void paintText(QPainter& painter, const TextGeometry& geometry, const ColorTransform& cx, RenderResources& resources) {
    const double dpr = std::max(1.0, painter.device()->devicePixelRatioF());
    const QTransform world = painter.transform();
    const QTransform toPixels = world * QTransform::fromScale(dpr, dpr);
    const QTransform pixelsToWorld = QTransform::fromScale(1.0 / dpr, 1.0 / dpr);
    // Glyphs are drawn as pictures of their coverage on raster devices; perspective, which text
    // never has in a movie, and other devices are left to Qt's fill.
    const bool raster = painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster;
    if (!raster || toPixels.type() == QTransform::TxProject || !toPixels.isInvertible() || geometry.glyphs.empty()) {
        fillOutlines(painter, geometry.pieces, cx);
        return;
    }
    // Upright text is copied from glyph pictures made once; rotated, skewed and mirrored text, and
    // glyphs the pictures do not keep, are filled where they stand.
    const bool upright = toPixels.type() <= QTransform::TxScale && toPixels.m11() > 0.0 && toPixels.m22() > 0.0;
    painter.save();
    painter.setTransform(pixelsToWorld);
    const QRect drawable = drawableArea(painter, dpr);
    const double opacity = painter.opacity();
    double lastOpacity = opacity;
    Rgba lastColor{0, 0, 0, 0};
    QColor color = transformColor(lastColor, cx);
    for (const TextGeometry::Glyph& glyph : geometry.glyphs) {
        if (!(glyph.color == lastColor)) {
            lastColor = glyph.color;
            color = transformColor(glyph.color, cx);
        }
        if (color.alpha() == 0) continue;
        if (upright) {
            QPoint at;
            if (const GlyphMaskCache::Mask* mask =
                    resources.glyphMasks.mask(glyph.id, glyph.outline, glyph.outlineBounds, glyph.scale,
                                              toPixels.m11(), toPixels.m22(), toPixels.map(glyph.origin), color.rgb(), at)) {
                // The picture is opaque where the glyph is: the colour's alpha is an opacity.
                const double glyphOpacity = opacity * color.alphaF();
                if (glyphOpacity != lastOpacity) painter.setOpacity(lastOpacity = glyphOpacity);
                painter.drawImage(at + mask->offset, mask->image);
                continue;
            }
        }
        if (fillGlyph(painter, glyph, toPixels, color, opacity, drawable)) {
            lastOpacity = painter.opacity();
            continue;
        }
        painter.setOpacity(lastOpacity = opacity);
        painter.setTransform(world);
        painter.fillPath(QTransform(glyph.scale, 0, 0, glyph.scale, glyph.origin.x(), glyph.origin.y()).map(glyph.outline),
                         color);
        painter.setTransform(pixelsToWorld);
    }
    painter.setOpacity(opacity);
    painter.setTransform(world);
    fillOutlines(painter, geometry.decorations, cx);
    painter.restore();
}

}  // namespace velmora::swf
