#pragma once

#include <map>
#include <utility>

#include "swf/format/shape.h"
#include "swf/render/shape_path_builder.h"

namespace velmora::swf {

// Shape paths by character: a shape is turned into paths the first time it is drawn and reused on
// every later frame. Morph shapes are kept per ratio, since a tween shows each ratio again on
// every loop; their entries are bounded and dropped together when the bound is reached.
// Characters are held by pointer: they must outlive the cache or the cache must be cleared first.
class ShapeCache {
public:
    const ShapeGeometry& geometry(const ShapeCharacter& shape);
    const ShapeGeometry& geometry(const MorphShapeCharacter& morph, uint16_t ratio);
    void clear();

    static constexpr size_t kMaxMorphEntries = 1024;

private:
    std::map<const ShapeCharacter*, ShapeGeometry> shapes_;
    std::map<std::pair<const MorphShapeCharacter*, uint16_t>, ShapeGeometry> morphs_;
};

}  // namespace velmora::swf
