#include "swf/format/shape_record_parser.h"

#include "swf/format/shape_style_parser.h"

namespace velmora::swf {

void parseShapeRecords(BitReader& in, int shapeVersion, uint32_t fillBits, uint32_t lineBits, ParseContext& ctx,
                       std::vector<ShapeRecord>& out, std::vector<ShapeStyleArrays>* newStyles) {
    const uint32_t maxRecords = ctx.limits.maxShapeRecords;
    for (uint32_t count = 0;; ++count) {
        if (count >= maxRecords) [[unlikely]]
            throw ParseError("a shape has more than " + std::to_string(maxRecords) + " records");
        ctx.charge(sizeof(ShapeRecord));
        if (in.flag()) {
            bool straight = in.flag();
            unsigned bits = in.ub(4) + 2;
            if (straight) {
                StraightEdgeRecord edge;
                if (in.flag()) {  // general line
                    edge.dx = in.sb(bits);
                    edge.dy = in.sb(bits);
                } else if (in.flag()) {  // vertical
                    edge.dy = in.sb(bits);
                } else {
                    edge.dx = in.sb(bits);
                }
                out.emplace_back(edge);
            } else {
                CurvedEdgeRecord curve;
                curve.controlDx = in.sb(bits);
                curve.controlDy = in.sb(bits);
                curve.anchorDx = in.sb(bits);
                curve.anchorDy = in.sb(bits);
                out.emplace_back(curve);
            }
            continue;
        }
        bool newStylesFlag = in.flag();
        bool hasLine = in.flag();
        bool hasFill1 = in.flag();
        bool hasFill0 = in.flag();
        bool hasMove = in.flag();
        if (!newStylesFlag && !hasLine && !hasFill1 && !hasFill0 && !hasMove) return;  // end of shape
        StyleChangeRecord change;
        if (hasMove) {
            unsigned bits = in.ub(5);
            int32_t x = in.sb(bits);
            int32_t y = in.sb(bits);
            change.moveTo = std::make_pair(x, y);
        }
        if (hasFill0) change.fillStyle0 = in.ub(fillBits);
        if (hasFill1) change.fillStyle1 = in.ub(fillBits);
        if (hasLine) change.lineStyle = in.ub(lineBits);
        if (newStylesFlag) {
            change.hasNewStyles = true;
            ShapeStyleArrays arrays;
            arrays.fills = parseFillStyles(in, shapeVersion);
            arrays.lines = parseLineStyles(in, shapeVersion);
            ctx.charge(sizeof(ShapeStyleArrays) + arrays.fills.size() * sizeof(FillStyle) +
                       arrays.lines.size() * sizeof(LineStyle));
            if (newStyles) newStyles->push_back(std::move(arrays));
            fillBits = in.ub(4);
            lineBits = in.ub(4);
        }
        out.emplace_back(change);
    }
}

}  // namespace velmora::swf
