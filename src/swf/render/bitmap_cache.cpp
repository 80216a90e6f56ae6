#include "swf/render/bitmap_cache.h"

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

void BitmapCache::clear() {
    images_.clear();
    transformed_.clear();
}

}  // namespace velmora::swf
