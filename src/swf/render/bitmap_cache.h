#pragma once

#include <QImage>
#include <map>
#include <memory>

#include "swf/format/bitmap.h"
#include "swf/format/geometry.h"
#include "swf/render/render_warnings.h"

namespace velmora::swf {

// Decoded bitmaps by character, decoded on first use and kept for the life of the cache. A bitmap
// that cannot be decoded is remembered as a null image so it is reported and tried only once.
// Characters are held by pointer: they must outlive the cache or the cache must be cleared first.
class BitmapCache {
public:
    // The decoded image (premultiplied ARGB32), or a null image; failures are reported once.
    const QImage& image(const BitmapCharacter& bitmap, RenderWarnings& warnings);

    // The image through a colour transform. The last few transformed copies are kept, since a fade
    // asks for a new one every frame but a still picture asks for the same one again.
    QImage transformed(const BitmapCharacter& bitmap, const ColorTransform& transform, RenderWarnings& warnings);

    // The image with a one-pixel frame repeating its edge pixels, for clipped bitmap fills: a
    // smoothed fill samples half a pixel beyond the edges, and Qt's texture brush would take
    // those samples from the opposite edge. Draw it offset by (-1, -1).
    static QImage withEdgeFrame(const QImage& image);
    const QImage& framedImage(const BitmapCharacter& bitmap, RenderWarnings& warnings);

    void clear();

private:
    struct Transformed {
        const BitmapCharacter* bitmap;
        ColorTransform transform;
        QImage image;
    };
    static constexpr size_t kTransformedKept = 8;

    std::map<const BitmapCharacter*, QImage> images_;
    std::map<const BitmapCharacter*, QImage> framed_;
    std::vector<Transformed> transformed_;  // most recent last
};

}  // namespace velmora::swf
