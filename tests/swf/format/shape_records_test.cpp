// Shape records are read through an unchecked fast reader while they lie well inside the data and
// through the checked reader near its end: every kind and width of record must come back as
// written on both sides of that line, and data cut short must still be refused.

#include <gtest/gtest.h>

#include <random>

#include "support/swf_writer.h"
#include "swf/format/parse_context.h"
#include "swf/format/shape_record_parser.h"

namespace velmora::swf {
namespace {

using test::BitWriter;

// Random records of every kind, written as the format stores them, with what they must read as.
struct WrittenShape {
    std::vector<uint8_t> bytes;
    std::vector<ShapeRecord> records;
    std::vector<uint8_t> newFillCounts;  // of each style change with new arrays
};

int32_t randomSigned(std::mt19937& rng, unsigned bits) {
    if (bits == 0) return 0;
    const int64_t low = -(int64_t{1} << (bits - 1)), high = (int64_t{1} << (bits - 1)) - 1;
    return static_cast<int32_t>(std::uniform_int_distribution<int64_t>(low, high)(rng));
}

WrittenShape writeShape(std::mt19937& rng, size_t count, uint8_t marker) {
    WrittenShape shape;
    BitWriter w;
    uint32_t fillBits = 15, lineBits = 15;
    w.ub(fillBits, 4), w.ub(lineBits, 4);
    for (size_t i = 0; i < count; ++i) {
        const unsigned kind = rng() % 8;
        if (kind < 5) {  // edges, most of a shape
            const unsigned bits = 2 + rng() % 16;
            w.ub(1, 1), w.ub(kind < 4, 1), w.ub(bits - 2, 4);
            if (kind == 4) {
                CurvedEdgeRecord c{randomSigned(rng, bits), randomSigned(rng, bits), randomSigned(rng, bits),
                                   randomSigned(rng, bits)};
                w.sb(c.controlDx, bits), w.sb(c.controlDy, bits), w.sb(c.anchorDx, bits), w.sb(c.anchorDy, bits);
                shape.records.emplace_back(c);
            } else {
                StraightEdgeRecord e;
                if (kind < 2) {
                    e = {randomSigned(rng, bits), randomSigned(rng, bits)};
                    w.ub(1, 1), w.sb(e.dx, bits), w.sb(e.dy, bits);
                } else if (kind == 2) {
                    e.dy = randomSigned(rng, bits);
                    w.ub(0, 1), w.ub(1, 1), w.sb(e.dy, bits);
                } else {
                    e.dx = randomSigned(rng, bits);
                    w.ub(0, 1), w.ub(0, 1), w.sb(e.dx, bits);
                }
                shape.records.emplace_back(e);
            }
            continue;
        }
        // A style change with any of its fields, moves up to 31 bits wide and indexes of the widths
        // in force, now and then bringing new arrays and new widths.
        StyleChangeRecord change;
        const bool newStyles = rng() % 4 == 0, line = rng() % 2, fill1 = rng() % 2, fill0 = rng() % 2;
        const bool move = (!newStyles && !line && !fill1 && !fill0) || rng() % 2;
        w.ub(0, 1), w.ub(newStyles, 1), w.ub(line, 1), w.ub(fill1, 1), w.ub(fill0, 1), w.ub(move, 1);
        if (move) {
            const unsigned bits = rng() % 32;
            change.moveTo = std::make_pair(randomSigned(rng, bits), randomSigned(rng, bits));
            w.ub(bits, 5), w.sb(change.moveTo->first, bits), w.sb(change.moveTo->second, bits);
        }
        const auto index = [&](uint32_t bits) { return bits == 0 ? 0u : uint32_t(rng()) & ((1u << bits) - 1); };
        if (fill0) change.fillStyle0 = index(fillBits), w.ub(*change.fillStyle0, fillBits);
        if (fill1) change.fillStyle1 = index(fillBits), w.ub(*change.fillStyle1, fillBits);
        if (line) change.lineStyle = index(lineBits), w.ub(*change.lineStyle, lineBits);
        change.hasNewStyles = newStyles;
        if (newStyles) {
            const auto fills = static_cast<uint8_t>(rng() % 3);
            w.u8(fills);
            for (uint8_t f = 0; f < fills; ++f) w.u8(0x00), w.rgba({f, 2, 3, 4});
            w.u8(0);  // no lines
            fillBits = rng() % 16, lineBits = rng() % 16;
            w.ub(fillBits, 4), w.ub(lineBits, 4);
            shape.newFillCounts.push_back(fills);
        }
        shape.records.emplace_back(change);
    }
    w.ub(0, 6);       // end
    w.u8(marker);     // what follows the shape in the data
    shape.bytes = w.take();
    return shape;
}

void expectSame(const ShapeRecord& read, const ShapeRecord& written, size_t i) {
    ASSERT_EQ(read.index(), written.index()) << "record " << i;
    if (const auto* c = std::get_if<CurvedEdgeRecord>(&written)) {
        const auto& r = std::get<CurvedEdgeRecord>(read);
        EXPECT_EQ(std::tie(r.controlDx, r.controlDy, r.anchorDx, r.anchorDy),
                  std::tie(c->controlDx, c->controlDy, c->anchorDx, c->anchorDy))
            << "record " << i;
    } else if (const auto* e = std::get_if<StraightEdgeRecord>(&written)) {
        const auto& r = std::get<StraightEdgeRecord>(read);
        EXPECT_EQ(std::tie(r.dx, r.dy), std::tie(e->dx, e->dy)) << "record " << i;
    } else {
        const auto& s = std::get<StyleChangeRecord>(written);
        const auto& r = std::get<StyleChangeRecord>(read);
        EXPECT_EQ(r.moveTo, s.moveTo) << "record " << i;
        EXPECT_EQ(r.fillStyle0, s.fillStyle0) << "record " << i;
        EXPECT_EQ(r.fillStyle1, s.fillStyle1) << "record " << i;
        EXPECT_EQ(r.lineStyle, s.lineStyle) << "record " << i;
        EXPECT_EQ(r.hasNewStyles, s.hasNewStyles) << "record " << i;
    }
}

TEST(ShapeRecords, EveryKindAndWidthReadsBackOnBothSidesOfTheFastReadersEnd) {
    std::mt19937 rng(20261207);
    Movie movie;
    ParseLimits limits;
    ParseContext ctx(movie, limits);
    // Short shapes lie wholly in the last bytes the checked reader takes; long ones cross over.
    for (size_t count : {0, 1, 2, 3, 5, 8, 13, 21, 40, 100, 2000}) {
        for (int run = 0; run < 20; ++run) {
            SCOPED_TRACE("a shape of " + std::to_string(count) + " records, run " + std::to_string(run));
            const WrittenShape shape = writeShape(rng, count, 0xA5);
            BitReader in(shape.bytes);
            const uint32_t fillBits = in.ub(4), lineBits = in.ub(4);
            std::vector<ShapeRecord> records;
            std::vector<ShapeStyleArrays> newStyles;
            parseShapeRecords(in, 3, fillBits, lineBits, ctx, records, &newStyles);
            ASSERT_EQ(records.size(), shape.records.size());
            for (size_t i = 0; i < records.size(); ++i) expectSame(records[i], shape.records[i], i);
            ASSERT_EQ(newStyles.size(), shape.newFillCounts.size());
            for (size_t i = 0; i < newStyles.size(); ++i) EXPECT_EQ(newStyles[i].fills.size(), shape.newFillCounts[i]);
            // The reader stands just past the end record.
            EXPECT_EQ(in.u8(), 0xA5);
            EXPECT_TRUE(in.atEnd());
        }
    }
}

TEST(ShapeRecords, DataCutShortAnywhereIsRefused) {
    std::mt19937 rng(7);
    Movie movie;
    ParseLimits limits;
    ParseContext ctx(movie, limits);
    WrittenShape shape = writeShape(rng, 60, 0);
    shape.bytes.pop_back();  // no marker: the end record is the last thing in the data
    for (size_t length = 1; length < shape.bytes.size(); ++length) {
        // A copy of exactly this length, so that the address checker sees any read past it.
        const std::vector<uint8_t> cut(shape.bytes.begin(), shape.bytes.begin() + static_cast<ptrdiff_t>(length));
        BitReader in(cut);
        const uint32_t fillBits = in.ub(4), lineBits = in.ub(4);
        std::vector<ShapeRecord> records;
        EXPECT_THROW(parseShapeRecords(in, 3, fillBits, lineBits, ctx, records, nullptr), MalformedData)
            << "cut to " << length << " bytes";
    }
}

}  // namespace
}  // namespace velmora::swf
