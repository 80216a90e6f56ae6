#include "swf/format/shape_record_parser.h"

#include "swf/format/bit_cursor.h"
#include "swf/format/shape_style_parser.h"

namespace velmora::swf {

namespace {

enum class RecordRead { Added, AddedWithNewStyles, End };

// Reads one record through `in` (the checked BitReader or, where room is proven, a BitCursor) and
// appends it to out. A style change that brings new style arrays is appended with hasNewStyles
// set; the arrays themselves follow in the data and are the caller's to read.
template <class Bits>
inline RecordRead readRecord(Bits& in, uint32_t fillBits, uint32_t lineBits, std::vector<ShapeRecord>& out) {
    if (in.flag()) {
        const bool straight = in.flag();
        const unsigned bits = in.ub(4) + 2;
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
        return RecordRead::Added;
    }
    const bool newStylesFlag = in.flag();
    const bool hasLine = in.flag();
    const bool hasFill1 = in.flag();
    const bool hasFill0 = in.flag();
    const bool hasMove = in.flag();
    if (!newStylesFlag && !hasLine && !hasFill1 && !hasFill0 && !hasMove) return RecordRead::End;
    StyleChangeRecord change;
    if (hasMove) {
        const unsigned bits = in.ub(5);
        const int32_t x = in.sb(bits);
        const int32_t y = in.sb(bits);
        change.moveTo = std::make_pair(x, y);
    }
    if (hasFill0) change.fillStyle0 = in.ub(fillBits);
    if (hasFill1) change.fillStyle1 = in.ub(fillBits);
    if (hasLine) change.lineStyle = in.ub(lineBits);
    change.hasNewStyles = newStylesFlag;
    out.emplace_back(change);
    return newStylesFlag ? RecordRead::AddedWithNewStyles : RecordRead::Added;
}

// The longest record readRecord reads is a style change with a 31-bit move and three 15-bit
// indexes: 118 bits, which with the 7 bits it may start into a byte and the 8-byte load of its
// last field stays within 24 bytes of the byte it starts in.
constexpr uint64_t kLongestRecordReach = 24;

}  // namespace

void parseShapeRecords(BitReader& in, int shapeVersion, uint32_t fillBits, uint32_t lineBits, ParseContext& ctx,
                       std::vector<ShapeRecord>& out, std::vector<ShapeStyleArrays>* newStyles) {
    const uint32_t maxRecords = ctx.limits.maxShapeRecords;
    // Records are gathered in a list kept between shapes and copied once into out, at their
    // number: growing out record by record would allocate and copy a dozen times for a shape of a
    // few hundred edges and leave up to half its room unused.
    std::vector<ShapeRecord>& records = ctx.shapeRecordScratch;
    records.clear();

    // Bits before fastEnd start records that lie wholly inside the data with room to spare, so
    // they are read unchecked; the last few records of the data go through the checked reader,
    // which refuses a record cut short.
    const std::span<const uint8_t> bytes = in.bytes();
    const uint64_t fastEnd = bytes.size() > kLongestRecordReach ? (bytes.size() - kLongestRecordReach) * 8 : 0;
    uint64_t bit = in.bitPosition();
    for (uint32_t count = 0;; ++count) {
        if (count >= maxRecords) [[unlikely]]
            throw ParseError("a shape has more than " + std::to_string(maxRecords) + " records");
        ctx.charge(sizeof(ShapeRecord));
        RecordRead read;
        if (bit < fastEnd) [[likely]] {
            BitCursor cursor(bytes.data(), bit);
            read = readRecord(cursor, fillBits, lineBits, records);
            bit = cursor.position();
        } else {
            in.seekBits(bit);
            read = readRecord(in, fillBits, lineBits, records);
            bit = in.bitPosition();
        }
        if (read == RecordRead::Added) continue;
        in.seekBits(bit);
        if (read == RecordRead::End) {
            out.insert(out.end(), records.begin(), records.end());
            return;
        }
        ShapeStyleArrays arrays;
        arrays.fills = parseFillStyles(in, shapeVersion);
        arrays.lines = parseLineStyles(in, shapeVersion);
        ctx.charge(sizeof(ShapeStyleArrays) + arrays.fills.size() * sizeof(FillStyle) +
                   arrays.lines.size() * sizeof(LineStyle));
        if (newStyles) newStyles->push_back(std::move(arrays));
        fillBits = in.ub(4);
        lineBits = in.ub(4);
        bit = in.bitPosition();
    }
}

}  // namespace velmora::swf
