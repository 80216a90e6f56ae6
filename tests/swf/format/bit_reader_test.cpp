// The reader every parser trusts: bit fields across byte boundaries, signs, fixed point, and
// refusal at the end of the data.

#include <gtest/gtest.h>

#include <vector>

#include "swf/format/bit_reader.h"

namespace velmora::swf {
namespace {

TEST(BitReader, BitFieldsCrossBytesAndSignExtend) {
    const uint8_t bytes[] = {0b10110011, 0b11110000, 0xFF, 0xFF, 0xFF, 0xFF, 0x80};
    BitReader in(bytes);
    EXPECT_EQ(in.ub(3), 0b101u);
    EXPECT_EQ(in.sb(7), -49);  // 1001111 sign-extended
    EXPECT_EQ(in.ub(0), 0u);
    EXPECT_EQ(in.sb(0), 0);
    EXPECT_EQ(in.ub(6), 0b110000u);
    EXPECT_EQ(in.ub(32), 0xFFFFFFFFu);
    EXPECT_EQ(in.sb(1), -1);  // a one-bit signed field is 0 or -1
    EXPECT_THROW(in.ub(8), MalformedData);
    BitReader wide(bytes);
    EXPECT_THROW(wide.ub(33), MalformedData);
}

// Fields of every width from every bit position, checked bit by bit against the bytes, with
// byte fields between them dropping what is left of a byte.
TEST(BitReader, EveryWidthFromEveryBitPosition) {
    std::vector<uint8_t> bytes(4096);
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, seed >> 16; };
    for (uint8_t& b : bytes) b = uint8_t(next());
    BitReader in(bytes);
    size_t bit = 0;  // where a plain bit-by-bit reader stands
    while (bit + 40 < bytes.size() * 8) {
        if (next() % 16 == 0) {
            bit = (bit + 7) / 8 * 8;
            ASSERT_EQ(in.u8(), bytes[bit / 8]);
            bit += 8;
            continue;
        }
        const unsigned n = next() % 33;
        uint32_t expected = 0;
        for (unsigned i = 0; i < n; ++i, ++bit) expected = (expected << 1) | ((bytes[bit / 8] >> (7 - bit % 8)) & 1);
        ASSERT_EQ(in.ub(n), expected) << "width " << n << " ending at bit " << bit;
    }
    // Asking past the end refuses, wherever in a byte the reader stands.
    BitReader tail(std::span<const uint8_t>(bytes.data(), 3));
    tail.ub(5);
    EXPECT_THROW(tail.ub(20), MalformedData);
}

TEST(BitReader, ByteFieldsAlignAndAreLittleEndian) {
    const uint8_t bytes[] = {0xFF, 0x34, 0x12, 0x00, 0x80, 0x01, 0x00, 0xFE, 0xFF, 0xFF, 0xFF};
    BitReader in(bytes);
    in.ub(3);
    EXPECT_EQ(in.u16(), 0x1234);  // the rest of the first byte is dropped
    EXPECT_DOUBLE_EQ(in.fixed8(), -128.0);
    EXPECT_DOUBLE_EQ(in.fixed16(), -131071.0 / 65536.0);  // 0xFFFE0001
    EXPECT_EQ(in.s16(), -1);
    EXPECT_TRUE(in.atEnd());
}

TEST(BitReader, EncodedU32AndStrings) {
    const uint8_t bytes[] = {0xE5, 0x8E, 0x26, 'h', 'i', 0, 'x', 'y'};
    BitReader in(bytes);
    EXPECT_EQ(in.encodedU32(), 624485u);
    EXPECT_EQ(in.cString(), "hi");
    EXPECT_THROW(in.cString(), MalformedData);  // no terminator before the end
    EXPECT_EQ(in.remaining(), 2u);              // and nothing consumed by the failure
    EXPECT_THROW(in.take(3), MalformedData);
    EXPECT_EQ(in.take(2).size(), 2u);
    EXPECT_THROW(in.u8(), MalformedData);
}

TEST(BitReader, MatrixAndColorTransform) {
    // Scale (2, 0.5), rotate-skew (0, 1), translate (-20, 40).
    // HasScale 1, NScaleBits 19: 2.0 = 0x20000, 0.5 = 0x8000.
    // Built with the same packing the writer uses.
    std::vector<uint8_t> bytes;
    uint64_t acc = 0;
    int bits = 0;
    auto put = [&](int64_t value, int n) {
        for (int i = n - 1; i >= 0; --i) {
            acc = (acc << 1) | ((value >> i) & 1);
            if (++bits == 8) {
                bytes.push_back(static_cast<uint8_t>(acc));
                acc = 0;
                bits = 0;
            }
        }
    };
    put(1, 1), put(19, 5), put(0x20000, 19), put(0x8000, 19);
    put(1, 1), put(18, 5), put(0, 18), put(0x10000, 18);
    put(8, 5), put(-20, 8), put(40, 8);
    while (bits != 0) put(0, 1);
    // Colour transform with alpha: add and mult, 11 bits.
    put(1, 1), put(1, 1), put(11, 4);
    for (int v : {128, 256, 512, 256}) put(v, 11);
    for (int v : {-255, 0, 255, 10}) put(v, 11);
    while (bits != 0) put(0, 1);

    BitReader in(bytes);
    Matrix m = in.matrix();
    EXPECT_DOUBLE_EQ(m.a, 2.0);
    EXPECT_DOUBLE_EQ(m.d, 0.5);
    EXPECT_DOUBLE_EQ(m.b, 0.0);
    EXPECT_DOUBLE_EQ(m.c, 1.0);
    EXPECT_DOUBLE_EQ(m.tx, -20);
    EXPECT_DOUBLE_EQ(m.ty, 40);
    ColorTransform cx = in.colorTransform(true);
    EXPECT_DOUBLE_EQ(cx.rMult, 0.5);
    EXPECT_DOUBLE_EQ(cx.bMult, 2.0);
    EXPECT_EQ(cx.rAdd, -255);
    EXPECT_EQ(cx.bAdd, 255);
    EXPECT_EQ(cx.aAdd, 10);
    EXPECT_TRUE(in.atEnd());
}

}  // namespace
}  // namespace velmora::swf
