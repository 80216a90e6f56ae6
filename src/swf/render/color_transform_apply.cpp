#include "swf/render/color_transform_apply.h"

#include <algorithm>
#include <cmath>

namespace velmora::swf {
namespace {

int channel(int value, double mult, int32_t add) {
    const double v = std::floor(value * mult) + add;
    return static_cast<int>(std::clamp(v, 0.0, 255.0));
}

}  // namespace

QColor transformColor(const Rgba& color, const ColorTransform& t) {
    return QColor(channel(color.r, t.rMult, t.rAdd), channel(color.g, t.gMult, t.gAdd),
                  channel(color.b, t.bMult, t.bAdd), channel(color.a, t.aMult, t.aAdd));
}

bool isAlphaFactorOnly(const ColorTransform& t) {
    return t.rMult == 1.0 && t.gMult == 1.0 && t.bMult == 1.0 && t.rAdd == 0 && t.gAdd == 0 && t.bAdd == 0 &&
           t.aAdd == 0 && t.aMult >= 0.0;
}

QImage transformImage(const QImage& image, const ColorTransform& t) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    // A lookup table per channel: 256 entries each is cheaper than arithmetic per pixel.
    uint8_t lut[4][256];
    for (int v = 0; v < 256; ++v) {
        lut[0][v] = uint8_t(channel(v, t.rMult, t.rAdd));
        lut[1][v] = uint8_t(channel(v, t.gMult, t.gAdd));
        lut[2][v] = uint8_t(channel(v, t.bMult, t.bAdd));
        lut[3][v] = uint8_t(channel(v, t.aMult, t.aAdd));
    }
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QRgb p = row[x];
            row[x] = qRgba(lut[0][qRed(p)], lut[1][qGreen(p)], lut[2][qBlue(p)], lut[3][qAlpha(p)]);
        }
    }
    return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace velmora::swf
