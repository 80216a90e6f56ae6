#include "swf/sound/speex_frames.h"

namespace velmora::swf {

namespace {

// Bits of a narrow-band frame by mode, its 5 header bits included (modes 0 to 8; the rest are
// signalling or invalid).
constexpr int kNarrowBits[9] = {5, 43, 119, 160, 220, 300, 364, 492, 79};
// Bits of a wide-band layer by mode, its 4 header bits included (modes 0 to 4).
constexpr int kWideBits[5] = {4, 36, 112, 192, 352};
// Bits an in-band signal carries, by its 4-bit code.
constexpr int kInbandBits[16] = {1, 1, 4, 4, 4, 4, 4, 4, 8, 8, 16, 16, 32, 32, 64, 64};

class Bits {
public:
    explicit Bits(std::span<const uint8_t> data) : data_(data) {}
    size_t size() const { return data_.size() * 8; }
    uint32_t peek(size_t at, int count) const {
        uint32_t v = 0;
        for (int i = 0; i < count; ++i, ++at) v = v << 1 | (at < size() ? (data_[at >> 3] >> (7 - (at & 7))) & 1 : 0);
        return v;
    }

private:
    std::span<const uint8_t> data_;
};

// Where the frame starting at `at` ends, or 0 when no frame starts there.
size_t frameEnd(const Bits& bits, size_t at) {
    for (;;) {
        if (at + 5 > bits.size() || bits.peek(at, 1) != 0) return 0;
        const uint32_t mode = bits.peek(at + 1, 4);
        if (mode == 14) {  // in-band signal, then the frame proper
            at += 5 + 4 + size_t(kInbandBits[bits.peek(at + 5, 4)]);
            continue;
        }
        if (mode == 13) {  // user in-band data: a 4-bit length in bytes, then 5 + 8 bits a byte
            at += 5 + 4 + 5 + 8 * size_t(bits.peek(at + 5, 4));
            continue;
        }
        if (mode > 8) return 0;  // terminator (15) or invalid
        at += size_t(kNarrowBits[mode]);
        // Wide-band layers follow, each flagged by a 1 bit; 16 kHz Speex has one.
        for (int layer = 0; layer < 2 && at + 4 <= bits.size() && bits.peek(at, 1) == 1; ++layer) {
            const uint32_t wide = bits.peek(at + 1, 3);
            if (wide > 4) return 0;
            at += size_t(kWideBits[wide]);
        }
        return at <= bits.size() ? at : 0;
    }
}

// Whether the bits from `at` to the next byte boundary are an encoder's padding: a 0, then 1s.
bool isPadding(const Bits& bits, size_t at) {
    const size_t end = (at + 7) / 8 * 8;
    if (end == at || end > bits.size() || bits.peek(at, 1) != 0) return false;
    for (size_t i = at + 1; i < end; ++i) {
        if (bits.peek(i, 1) != 1) return false;
    }
    return true;
}

std::vector<uint8_t> copyBits(const Bits& bits, size_t from, size_t to) {
    std::vector<uint8_t> out((to - from + 7) / 8, 0);
    for (size_t i = from; i < to; ++i) {
        if (bits.peek(i, 1)) out[(i - from) >> 3] |= uint8_t(0x80 >> ((i - from) & 7));
    }
    // Pad as the encoder does, so the decoder sees the end of the packet.
    const size_t used = to - from;
    for (size_t i = used + 1; i < out.size() * 8; ++i) out[i >> 3] |= uint8_t(0x80 >> (i & 7));
    return out;
}

}  // namespace

std::vector<std::vector<uint8_t>> splitSpeexFrames(std::span<const uint8_t> data) {
    std::vector<std::vector<uint8_t>> frames;
    const Bits bits(data);
    bool padded = false;  // the data has shown itself to be byte-padded packets
    size_t at = 0;
    while (at + 5 <= bits.size()) {
        const size_t end = frameEnd(bits, at);
        if (end == 0) {
            // A terminator (padded to its byte) or padding, and perhaps more packets after it;
            // otherwise the end of the data.
            const bool terminator = bits.peek(at, 5) == 0x0f;
            if (!terminator && !isPadding(bits, at)) break;
            const size_t next = ((terminator ? at + 5 : at) + 7) / 8 * 8;
            if (next == at || frameEnd(bits, next) == 0) break;
            at = next;
            continue;
        }
        frames.push_back(copyBits(bits, at, end));
        at = end;
        const size_t boundary = (end + 7) / 8 * 8;
        if (!isPadding(bits, end) || frameEnd(bits, boundary) == 0) continue;
        // Padding, or the start of a frame packed straight after? A packed frame starting "01",
        // "011" or "0111" would be a rare or signalling mode, so two padding bits or more mean
        // padded packets; a single 0 bit is settled by which reading finds a frame, and by what
        // this data has shown so far.
        if (boundary - end >= 2 || padded || frameEnd(bits, end) == 0) {
            padded = true;
            at = boundary;
        }
    }
    return frames;
}

}  // namespace velmora::swf
