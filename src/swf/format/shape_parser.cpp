#include "swf/format/character_parsers.h"
#include "swf/format/shape_record_parser.h"
#include "swf/format/shape_style_parser.h"

namespace velmora::swf {

std::shared_ptr<ShapeCharacter> parseDefineShape(BitReader& in, int version, ParseContext& ctx) {
    auto shape = std::make_shared<ShapeCharacter>(in.u16());
    shape->version = version;
    shape->bounds = in.rect();
    shape->edgeBounds = shape->bounds;
    if (version >= 4) {
        shape->edgeBounds = in.rect();
        in.ub(5);
        shape->usesFillWindingRule = in.flag();
        shape->usesNonScalingStrokes = in.flag();
        shape->usesScalingStrokes = in.flag();
    }
    shape->fillStyles = parseFillStyles(in, version);
    shape->lineStyles = parseLineStyles(in, version);
    uint32_t fillBits = in.ub(4);
    uint32_t lineBits = in.ub(4);
    parseShapeRecords(in, version, fillBits, lineBits, ctx, shape->records, &shape->newStyles);
    return shape;
}

}  // namespace velmora::swf
