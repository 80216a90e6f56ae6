#include "swf/render/blend_compositor.h"

#include <algorithm>

namespace velmora::swf {

std::optional<QPainter::CompositionMode> qtCompositionMode(BlendMode mode) {
    switch (mode) {
        case BlendMode::Multiply: return QPainter::CompositionMode_Multiply;
        case BlendMode::Screen: return QPainter::CompositionMode_Screen;
        case BlendMode::Lighten: return QPainter::CompositionMode_Lighten;
        case BlendMode::Darken: return QPainter::CompositionMode_Darken;
        case BlendMode::Difference: return QPainter::CompositionMode_Difference;
        case BlendMode::Add: return QPainter::CompositionMode_Plus;
        case BlendMode::Overlay: return QPainter::CompositionMode_Overlay;
        case BlendMode::HardLight: return QPainter::CompositionMode_HardLight;
        case BlendMode::Alpha: return QPainter::CompositionMode_DestinationIn;
        case BlendMode::Erase: return QPainter::CompositionMode_DestinationOut;
        case BlendMode::Subtract:
        case BlendMode::Invert: return std::nullopt;
        default: return QPainter::CompositionMode_SourceOver;
    }
}

QRgb subtractPixel(QRgb below, QRgb above) {
    // The layer's colour is taken away from what lies below, where the layer covers it; the
    // alpha below is kept.
    const int a = qAlpha(above);
    auto channel = [a](int d, int s) {
        const int subtracted = std::max(0, d - s);
        return (subtracted * a + d * (255 - a)) / 255;
    };
    return qRgba(channel(qRed(below), qRed(above)), channel(qGreen(below), qGreen(above)),
                 channel(qBlue(below), qBlue(above)), qAlpha(below));
}

QRgb invertPixel(QRgb below, QRgb above) {
    // What lies below is inverted where the layer covers it; the layer's colour does not matter.
    const int a = qAlpha(above);
    const int da = qAlpha(below);
    auto channel = [a, da](int d) { return ((da - d) * a + d * (255 - a)) / 255; };
    return qRgba(channel(qRed(below)), channel(qGreen(below)), channel(qBlue(below)), da);
}

bool readsPixelsBelow(BlendMode mode) { return mode == BlendMode::Subtract || mode == BlendMode::Invert; }

bool compositeLayer(QPainter& painter, const QImage& layer, BlendMode mode) {
    painter.save();
    painter.resetTransform();
    painter.setOpacity(1.0);
    const std::optional<QPainter::CompositionMode> qtMode = qtCompositionMode(mode);
    auto* target = dynamic_cast<QImage*>(painter.device());
    if (qtMode || !target) {
        painter.setCompositionMode(qtMode.value_or(QPainter::CompositionMode_SourceOver));
        painter.drawImage(0, 0, layer);
        painter.restore();
        return qtMode.has_value();
    }
    // Qt has no mode for these: compute the blended picture from what is below, then put it in
    // place through the painter so that its clip still holds.
    QImage below = target->convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int width = std::min(below.width(), layer.width());
    const int height = std::min(below.height(), layer.height());
    for (int y = 0; y < height; ++y) {
        auto* d = reinterpret_cast<QRgb*>(below.scanLine(y));
        const auto* s = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
        for (int x = 0; x < width; ++x)
            d[x] = mode == BlendMode::Subtract ? subtractPixel(d[x], s[x]) : invertPixel(d[x], s[x]);
    }
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, below);
    painter.restore();
    return true;
}

}  // namespace velmora::swf
