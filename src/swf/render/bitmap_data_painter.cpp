#include "swf/render/bitmap_data_painter.h"

#include <QPainter>
#include <cstring>

#include "swf/render/bitmap_decoder.h"
#include "swf/render/color_transform_apply.h"
#include "swf/runtime/clip.h"

namespace velmora::swf {

namespace {

QTransform toQt(const Matrix& m) { return QTransform(m.a, m.b, m.c, m.d, m.tx, m.ty); }

// Paints onto target's pixels with draw, inside clipRect when there is one.
template <typename Draw>
void paintOnto(BitmapPixels& target, const std::optional<PixelRect>& clipRect, bool smoothing, Draw&& draw) {
    if (target.empty()) return;
    QImage image = toImage(target);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, smoothing);
        if (clipRect) painter.setClipRect(QRectF(clipRect->x, clipRect->y, clipRect->width, clipRect->height));
        draw(painter);
    }
    fromImage(image, target);
}

}  // namespace

QImage toImage(const BitmapPixels& pixels) {
    if (pixels.empty()) return {};
    QImage image(reinterpret_cast<const uchar*>(pixels.argb.data()), pixels.width, pixels.height, pixels.width * 4,
                 QImage::Format_ARGB32);
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void fromImage(const QImage& image, BitmapPixels& pixels) {
    const QImage plain = image.convertToFormat(QImage::Format_ARGB32);
    if (plain.width() != pixels.width || plain.height() != pixels.height) return;
    for (int y = 0; y < pixels.height; ++y) {
        uint32_t* row = pixels.argb.data() + size_t(y) * size_t(pixels.width);
        std::memcpy(row, plain.constScanLine(y), size_t(pixels.width) * 4);
        if (!pixels.transparent)
            for (int x = 0; x < pixels.width; ++x) row[x] |= 0xFF000000u;
    }
}

BitmapDataPainter::BitmapDataPainter(std::shared_ptr<const Movie> movie) : renderer_(resources_) {
    resources_.setMovie(std::move(movie));
}

bool BitmapDataPainter::decodeBitmap(const BitmapCharacter& bitmap, BitmapPixels& out) {
    const QImage image = resources_.bitmaps.image(bitmap, resources_.warnings);
    if (image.isNull()) return false;
    using Encoding = BitmapCharacter::Encoding;
    const bool alpha = bitmap.encoding == Encoding::Lossless2 || bitmap.encoding == Encoding::Jpeg3 ||
                       bitmap.encoding == Encoding::Jpeg4 || image.hasAlphaChannel();
    BitmapPixels pixels;
    pixels.width = image.width();
    pixels.height = image.height();
    pixels.transparent = alpha;
    pixels.argb.resize(size_t(pixels.width) * size_t(pixels.height));
    fromImage(image, pixels);
    out = std::move(pixels);
    return true;
}

void BitmapDataPainter::drawClip(const Clip& clip, const Matrix& matrix, const ColorTransform& colorTransform,
                                 const std::optional<PixelRect>& clipRect, bool smoothing, BitmapPixels& target) {
    paintOnto(target, clipRect, smoothing, [&](QPainter& painter) {
        // The clip's twips to its pixels, then the script's matrix.
        const QTransform world = QTransform::fromScale(1 / kTwipsPerPixel, 1 / kTwipsPerPixel) * toQt(matrix);
        renderer_.drawClip(painter, clip, world, colorTransform, 1.0);
    });
}

void BitmapDataPainter::drawPicture(const BitmapPixels& source, const Matrix& matrix,
                                    const ColorTransform& colorTransform, const std::optional<PixelRect>& clipRect,
                                    bool smoothing, BitmapPixels& target) {
    // A copy first: the source may be the target itself.
    QImage picture = toImage(source);
    if (picture.isNull()) return;
    paintOnto(target, clipRect, smoothing, [&](QPainter& painter) {
        painter.setTransform(toQt(matrix));
        if (isAlphaFactorOnly(colorTransform)) {
            painter.setOpacity(std::clamp(colorTransform.aMult, 0.0, 1.0));
            painter.drawImage(QPointF(0, 0), picture);
        } else {
            painter.drawImage(QPointF(0, 0), transformImage(picture, colorTransform));
        }
    });
}

}  // namespace velmora::swf
