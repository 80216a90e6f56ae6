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

    uint8_t u8() {
        align();
        need(1, "a byte");
        return bytes_[pos_++];
    }
    uint16_t u16() {
        align();
        need(2, "a 16-bit number");
        const auto v = static_cast<uint16_t>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    uint32_t u32() {
        align();
        need(4, "a 32-bit number");
        const uint32_t v = static_cast<uint32_t>(bytes_[pos_]) | (static_cast<uint32_t>(bytes_[pos_ + 1]) << 8) |
                           (static_cast<uint32_t>(bytes_[pos_ + 2]) << 16) |
                           (static_cast<uint32_t>(bytes_[pos_ + 3]) << 24);
        pos_ += 4;
        return v;
    }
    int16_t s16() { return static_cast<int16_t>(u16()); }
    int32_t s32() { return static_cast<int32_t>(u32()); }
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
    std::span<const uint8_t> take(size_t n) {
        align();
        need(n, "a block of bytes");
        auto view = bytes_.subspan(pos_, n);
        pos_ += n;
        return view;
    }
    std::span<const uint8_t> rest() { return take(remaining()); }
    void skip(size_t n) { take(n); }

    // Packed bit fields, most significant bit first. n may be 0 (returns 0) up to 32.
    // Shapes are thousands of these, so they are read whole bytes at a time, here in the header
    // where the compiler can fold them into the parsers.
    uint32_t ub(unsigned n) {
        if (n <= bitCount_) {
            bitCount_ -= n;
            return (bitBuffer_ >> bitCount_) & ((1u << n) - 1);  // n is at most 8 here
        }
        if (n > 32) tooWide();
        // The unread bits of the current byte, then as many whole bytes as the rest needs.
        const unsigned rest = n - bitCount_;
        const size_t count = (rest + 7) / 8;
        need(count, "a bit field");
        uint64_t value = bitBuffer_ & ((1u << bitCount_) - 1);
        for (size_t i = 0; i < count; ++i) value = (value << 8) | bytes_[pos_ + i];
        pos_ += count;
        bitBuffer_ = bytes_[pos_ - 1];
        bitCount_ = static_cast<unsigned>(count * 8 - rest);
        return static_cast<uint32_t>(value >> bitCount_);
    }
    int32_t sb(unsigned n) {
        if (n == 0) return 0;
        uint32_t raw = ub(n);
        if (n < 32 && (raw & (1u << (n - 1)))) raw |= ~((1u << n) - 1);  // sign-extend
        return static_cast<int32_t>(raw);
    }
    double fb(unsigned n);  // signed 16.16 fixed point in n bits
    bool flag() { return ub(1) != 0; }
    // Drops the rest of a partly read byte.
    void align() { bitCount_ = 0; }

    // The read position in bits from the start, and a jump to one (at most the end): for a parser
    // that reads a run of bit fields through a faster reader of its own (BitCursor) and hands the
    // position back.
    uint64_t bitPosition() const { return uint64_t{pos_} * 8 - bitCount_; }
    void seekBits(uint64_t bit) {
        if (bit > uint64_t{bytes_.size()} * 8) endsEarly("a bit field");
        pos_ = static_cast<size_t>((bit + 7) / 8);
        bitCount_ = static_cast<unsigned>(uint64_t{pos_} * 8 - bit);
        bitBuffer_ = bitCount_ != 0 ? bytes_[pos_ - 1] : 0;
    }

    // The composite fields shared by many tags.
    Rect rect();
    Matrix matrix();
    ColorTransform colorTransform(bool withAlpha);
    Rgba rgb();
    Rgba rgba();
    Rgba argb();

private:
    void need(size_t n, const char* what) const {
        if (n > bytes_.size() - pos_) [[unlikely]]
            endsEarly(what);
    }
    [[noreturn]] static void endsEarly(const char* what);
    [[noreturn]] static void tooWide();

    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
    uint8_t bitBuffer_ = 0;
    unsigned bitCount_ = 0;  // unread bits left in bitBuffer_
};

}  // namespace velmora::swf
