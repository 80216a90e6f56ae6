#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace velmora::swf {

// Reads the format's packed bit fields (most significant bit first) with one 8-byte load a field
// and no bounds checks: the reader for long runs of small fields such as a shape's edges, where
// BitReader's byte-at-a-time checked reads are most of the cost.
//
// Unchecked by design. The caller proves room before every read: a field of n bits starting at
// bit p loads the 8 bytes from byte p / 8 on, so those bytes must lie inside the buffer. Field
// widths are at most 32. The bytes must outlive the cursor.
class BitCursor {
public:
    BitCursor(const uint8_t* bytes, uint64_t bitPosition) : bytes_(bytes), bit_(bitPosition) {}

    // Bits from the start of the bytes.
    uint64_t position() const { return bit_; }

    uint32_t ub(unsigned n) {
        const uint64_t window = next(n);
        // Shifted in two steps so that a width of 0 gives 0 instead of a shift by 64.
        return static_cast<uint32_t>((window >> 1) >> (63 - n));
    }
    int32_t sb(unsigned n) {
        const uint64_t window = next(n);
        if (n == 0) return 0;
        return static_cast<int32_t>(static_cast<int64_t>(window) >> (64 - n));  // sign-extends
    }
    bool flag() { return ub(1) != 0; }

private:
    // The 64 bits from the current position on, first bit at the top; advances by n.
    uint64_t next(unsigned n) {
        uint64_t word;
        std::memcpy(&word, bytes_ + (bit_ >> 3), sizeof word);
        if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
        word <<= (bit_ & 7);
        bit_ += n;
        return word;
    }

    const uint8_t* bytes_;
    uint64_t bit_;
};

}  // namespace velmora::swf
