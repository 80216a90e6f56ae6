#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "swf/format/geometry.h"
#include "swf/format/malformed_data.h"

namespace velmora::swf {

// The one reader every parser goes through: little-endian integers, fixed-point numbers,
// zero-terminated strings and the format's packed bit fields, all bounds-checked.
//
// Reading past the end raises MalformedData naming what was being read, so a damaged tag never
// reads a byte that is not its own. Byte reads first drop any partly read byte (the format aligns
// every byte-sized field), so callers never align by hand.
//
// The reader does not own its bytes: they must outlive it.
class BitReader {
public:
    explicit BitReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    size_t position() const { return pos_; }
    size_t remaining() const { return bytes_.size() - pos_; }
    bool atEnd() const { return pos_ >= bytes_.size(); }
    std::span<const uint8_t> bytes() const { return bytes_; }

    uint8_t u8();
    uint16_t u16();
    uint32_t u32();
    int16_t s16();
    int32_t s32();
    // 8.8 and 16.16 fixed point, signed, as plain numbers.
    double fixed8();
    double fixed16();
    float f32();
    double f64();
    // A variable-length unsigned integer of up to 5 bytes, 7 bits each (EncodedU32).
    uint32_t encodedU32();

    // Bytes up to (not including) the next zero; the zero is consumed. A string with no
    // terminator before the end raises MalformedData.
    std::string cString();
    // The next n bytes, as a view into the reader's bytes.
    std::span<const uint8_t> take(size_t n);
    std::span<const uint8_t> rest() { return take(remaining()); }
    void skip(size_t n) { take(n); }

    // Packed bit fields, most significant bit first. n may be 0 (returns 0) up to 32.
    uint32_t ub(unsigned n);
    int32_t sb(unsigned n);
    double fb(unsigned n);  // signed 16.16 fixed point in n bits
    bool flag() { return ub(1) != 0; }
    // Drops the rest of a partly read byte.
    void align() { bitCount_ = 0; }

    // The composite fields shared by many tags.
    Rect rect();
    Matrix matrix();
    ColorTransform colorTransform(bool withAlpha);
    Rgba rgb();
    Rgba rgba();
    Rgba argb();

private:
    void need(size_t n, const char* what) const;

    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
    uint8_t bitBuffer_ = 0;
    unsigned bitCount_ = 0;  // unread bits left in bitBuffer_
};

}  // namespace velmora::swf
