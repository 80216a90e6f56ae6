#include "swf/render/shape_cache.h"

#include "swf/render/morph_shape.h"

namespace velmora::swf {

const ShapeGeometry& ShapeCache::geometry(const ShapeCharacter& shape) {
    auto it = shapes_.find(&shape);
    if (it == shapes_.end()) it = shapes_.emplace(&shape, buildShapeGeometry(shape)).first;
    return it->second;
}

const ShapeGeometry& ShapeCache::geometry(const MorphShapeCharacter& morph, uint16_t ratio) {
    const auto key = std::make_pair(&morph, ratio);
    auto it = morphs_.find(key);
    if (it != morphs_.end()) return it->second;
    if (morphs_.size() >= kMaxMorphEntries) morphs_.clear();
    return morphs_.emplace(key, buildMorphGeometry(morph, ratio / 65535.0)).first->second;
}

void ShapeCache::clear() {
    shapes_.clear();
    morphs_.clear();
}

}  // namespace velmora::swf
