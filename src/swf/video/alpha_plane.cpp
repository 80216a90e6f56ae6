#include "swf/video/alpha_plane.h"

namespace velmora::swf {

QImage withAlphaPlane(const QImage& colour, const uint8_t* alpha, int stride) {
    QImage result = colour.convertToFormat(QImage::Format_ARGB32);
    if (result.isNull()) return result;
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        const uint8_t* a = alpha + ptrdiff_t(y) * stride;
        for (int x = 0; x < result.width(); ++x) line[x] = (line[x] & 0x00FFFFFFu) | (QRgb(a[x]) << 24);
    }
    return result.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace velmora::swf
