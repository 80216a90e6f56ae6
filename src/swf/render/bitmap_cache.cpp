#include "swf/render/bitmap_cache.h"

#include <algorithm>

#include "swf/render/bitmap_decoder.h"
#include "swf/render/color_transform_apply.h"

namespace velmora::swf {
namespace {

bool sameTransform(const ColorTransform& a, const ColorTransform& b) {
    return a.rMult == b.rMult && a.gMult == b.gMult && a.bMult == b.bMult && a.aMult == b.aMult &&
           a.rAdd == b.rAdd && a.gAdd == b.gAdd && a.bAdd == b.bAdd && a.aAdd == b.aAdd;
}

}  // namespace

const QImage& BitmapCache::image(const BitmapCharacter& bitmap, RenderWarnings& warnings) {
    auto it = images_.find(&bitmap);
    if (it != images_.end()) return it->second;
    DecodedBitmap decoded = decodeBitmap(bitmap);
    if (!decoded.problem.empty())
        warnings.add("bitmap " + std::to_string(bitmap.id) + ": " + decoded.problem);
    return images_.emplace(&bitmap, std::move(decoded.image)).first->second;
}

QImage BitmapCache::transformed(const BitmapCharacter& bitmap, const ColorTransform& transform,
                                RenderWarnings& warnings) {
    const QImage& source = image(bitmap, warnings);
    if (source.isNull() || transform.isIdentity()) return source;
    for (auto it = transformed_.begin(); it != transformed_.end(); ++it) {
        if (it->bitmap == &bitmap && sameTransform(it->transform, transform)) {
            Transformed hit = *it;
            transformed_.erase(it);
            transformed_.push_back(hit);
            return hit.image;
        }
    }
    QImage result = transformImage(source, transform);
    if (transformed_.size() >= kTransformedKept) transformed_.erase(transformed_.begin());
    transformed_.push_back({&bitmap, transform, result});
    return result;
}

QImage BitmapCache::withEdgeFrame(const QImage& image) {
    if (image.isNull()) return image;
    const QImage source = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = source.width();
    const int h = source.height();
    QImage framed(w + 2, h + 2, QImage::Format_ARGB32_Premultiplied);
    if (framed.isNull()) return image;
    for (int y = 0; y < h + 2; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(source.constScanLine(std::clamp(y - 1, 0, h - 1)));
        auto* dst = reinterpret_cast<QRgb*>(framed.scanLine(y));
        dst[0] = src[0];
        std::copy(src, src + w, dst + 1);
        dst[w + 1] = src[w - 1];
    }
    return framed;
}

const QImage& BitmapCache::framedImage(const BitmapCharacter& bitmap, RenderWarnings& warnings) {
    auto it = framed_.find(&bitmap);
    if (it == framed_.end()) it = framed_.emplace(&bitmap, withEdgeFrame(image(bitmap, warnings))).first;
    return it->second;
}

void BitmapCache::clear() {
    images_.clear();
    framed_.clear();
    transformed_.clear();
}

}  // namespace velmora::swf
