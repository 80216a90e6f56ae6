#include "swf/render/text_painter.h"

#include <algorithm>

#include "swf/render/color_transform_apply.h"

namespace velmora::swf {
namespace {

void fillOutlines(QPainter& painter, const std::vector<TextGeometry::Piece>& pieces, const ColorTransform& cx) {
    for (const TextGeometry::Piece& piece : pieces) painter.fillPath(piece.path, transformColor(piece.color, cx));
}

}  // namespace

void paintText(QPainter& painter, const TextGeometry& geometry, const ColorTransform& cx, RenderResources& resources) {
    const double dpr = std::max(1.0, painter.device()->devicePixelRatioF());
    const QTransform world = painter.transform();
    const QTransform toPixels = world * QTransform::fromScale(dpr, dpr);
    const QTransform pixelsToWorld = QTransform::fromScale(1.0 / dpr, 1.0 / dpr);
    const bool upright = toPixels.type() <= QTransform::TxScale && toPixels.m11() > 0.0 && toPixels.m22() > 0.0;
    if (!upright || geometry.glyphs.empty()) {
        fillOutlines(painter, geometry.pieces, cx);
        return;
    }
    painter.save();
    // Glyph pictures are copied pixel for pixel onto the device.
    painter.setTransform(pixelsToWorld);
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
        QPoint at;
        const GlyphMaskCache::Mask* mask =
            resources.glyphMasks.mask(glyph.id, glyph.outline, glyph.outlineBounds, glyph.scale, toPixels.m11(),
                                      toPixels.m22(), toPixels.map(glyph.origin), color.rgb(), at);
        if (!mask) {
            painter.setOpacity(lastOpacity = opacity);
            painter.setTransform(world);
            painter.fillPath(QTransform(glyph.scale, 0, 0, glyph.scale, glyph.origin.x(), glyph.origin.y()).map(glyph.outline),
                             color);
            painter.setTransform(pixelsToWorld);
            continue;
        }
        // The picture is opaque where the glyph is: the colour's alpha is an opacity.
        const double glyphOpacity = opacity * color.alphaF();
        if (glyphOpacity != lastOpacity) painter.setOpacity(lastOpacity = glyphOpacity);
        painter.drawImage(at + mask->offset, mask->image);
    }
    painter.setOpacity(opacity);
    painter.setTransform(world);
    fillOutlines(painter, geometry.decorations, cx);
    painter.restore();
}

}  // namespace velmora::swf
