#include "swf/format/bit_reader.h"

#include <bit>
#include <cstring>

namespace velmora::swf {

void BitReader::endsEarly(const char* what) { throw MalformedData(std::string("data ends in the middle of ") + what); }

void BitReader::tooWide() { throw MalformedData("a bit field wider than 32 bits"); }

double BitReader::fixed8() { return s16() / 256.0; }
double BitReader::fixed16() { return s32() / 65536.0; }
float BitReader::f32() { return std::bit_cast<float>(u32()); }

double BitReader::f64() {
    uint64_t lo = u32();
    uint64_t hi = u32();
    return std::bit_cast<double>(lo | (hi << 32));
}

uint32_t BitReader::encodedU32() {
    uint32_t value = 0;
    for (unsigned i = 0; i < 5; ++i) {
        uint8_t b = u8();
        value |= static_cast<uint32_t>(b & 0x7F) << (7 * i);
        if ((b & 0x80) == 0) break;
    }
    return value;
}

std::string BitReader::cString() {
    align();
    const uint8_t* start = bytes_.data() + pos_;
    const void* zero = std::memchr(start, 0, bytes_.size() - pos_);
    if (zero == nullptr) throw MalformedData("a text has no terminating zero");
    size_t length = static_cast<const uint8_t*>(zero) - start;
    std::string s(reinterpret_cast<const char*>(start), length);
    pos_ += length + 1;
    return s;
}

double BitReader::fb(unsigned n) { return sb(n) / 65536.0; }

Rect BitReader::rect() {
    align();
    unsigned bits = ub(5);
    Rect r;
    r.xMin = sb(bits);
    r.xMax = sb(bits);
    r.yMin = sb(bits);
    r.yMax = sb(bits);
    align();
    return r;
}

Matrix BitReader::matrix() {
    align();
    Matrix m;
    if (flag()) {
        unsigned bits = ub(5);
        m.a = fb(bits);
        m.d = fb(bits);
    }
    if (flag()) {
        unsigned bits = ub(5);
        m.b = fb(bits);  // RotateSkew0
        m.c = fb(bits);  // RotateSkew1
    }
    unsigned bits = ub(5);
    m.tx = sb(bits);
    m.ty = sb(bits);
    align();
    return m;
}

ColorTransform BitReader::colorTransform(bool withAlpha) {
    align();
    bool hasAdd = flag();
    bool hasMult = flag();
    unsigned bits = ub(4);
    ColorTransform cx;
    if (hasMult) {
        cx.rMult = sb(bits) / 256.0;
        cx.gMult = sb(bits) / 256.0;
        cx.bMult = sb(bits) / 256.0;
        if (withAlpha) cx.aMult = sb(bits) / 256.0;
    }
    if (hasAdd) {
        cx.rAdd = sb(bits);
        cx.gAdd = sb(bits);
        cx.bAdd = sb(bits);
        if (withAlpha) cx.aAdd = sb(bits);
    }
    align();
    return cx;
}

Rgba BitReader::rgb() {
    auto b = take(3);
    return {b[0], b[1], b[2], 255};
}

Rgba BitReader::rgba() {
    auto b = take(4);
    return {b[0], b[1], b[2], b[3]};
}

Rgba BitReader::argb() {
    auto b = take(4);
    return {b[1], b[2], b[3], b[0]};
}

}  // namespace velmora::swf
