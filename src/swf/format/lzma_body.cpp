#include <lzma.h>

#include <algorithm>

#include "swf/format/body_decompression.h"
#include "swf/format/movie_loader.h"

namespace velmora::swf {

namespace {

constexpr size_t kChunk = 64 * 1024;
constexpr uint64_t kMaxUpfrontReserve = 16ull << 20;
// Enough for any dictionary an authoring tool writes; a file asking for more is refused rather
// than allowed to make us allocate it.
constexpr uint64_t kDecoderMemoryLimit = 512ull << 20;

}  // namespace

DecompressedBody decodeLzmaBody(std::span<const uint8_t> properties, std::span<const uint8_t> stream,
                                uint64_t sizeHint, uint64_t maxBytes) {
    if (properties.size() != 5) throw ParseError("the LZMA header is cut short");

    DecompressedBody out;
    out.bytes.reserve(static_cast<size_t>(std::min({sizeHint, maxBytes, kMaxUpfrontReserve})));

    // The movie stores the 5 property bytes of the classic .lzma header but not its 8-byte size.
    // We give the decoder that header with the size "unknown": it then accepts data with or
    // without an end marker, and a stream that simply runs out is a cut-off file.
    uint8_t header[13];
    std::copy(properties.begin(), properties.end(), header);
    std::fill(header + 5, header + 13, 0xFF);

    lzma_stream z = LZMA_STREAM_INIT;
    if (lzma_alone_decoder(&z, kDecoderMemoryLimit) != LZMA_OK) throw ParseError("LZMA could not be started");
    struct Closer {
        lzma_stream* z;
        ~Closer() { lzma_end(z); }
    } closer{&z};

    auto fail = [](lzma_ret rc) -> DecompressedBody {
        if (rc == LZMA_MEMLIMIT_ERROR || rc == LZMA_MEM_ERROR) throw ParseError("LZMA data needs too much memory");
        throw ParseError("LZMA data is corrupt");
    };

    z.next_in = header;
    z.avail_in = sizeof header;
    bool headerFed = false;
    for (;;) {
        if (z.avail_in == 0 && !headerFed) {
            headerFed = true;
            z.next_in = stream.data();
            z.avail_in = stream.size();
        }
        size_t produced = out.bytes.size();
        if (produced >= maxBytes) {
            uint8_t probe;
            z.next_out = &probe;
            z.avail_out = 1;
            lzma_ret rc = lzma_code(&z, headerFed ? LZMA_FINISH : LZMA_RUN);
            if (z.avail_out == 0) {
                throw ParseError("the movie decompresses to more than " + std::to_string(maxBytes >> 20) + " MiB");
            }
            if (rc == LZMA_STREAM_END) return out;
            if (rc == LZMA_OK && !headerFed) continue;
            if (rc == LZMA_BUF_ERROR || rc == LZMA_OK) {
                out.truncated = true;
                return out;
            }
            return fail(rc);
        }
        size_t room = static_cast<size_t>(std::min<uint64_t>(kChunk, maxBytes - produced));
        out.bytes.resize(produced + room);
        z.next_out = out.bytes.data() + produced;
        z.avail_out = room;
        lzma_ret rc = lzma_code(&z, headerFed ? LZMA_FINISH : LZMA_RUN);
        out.bytes.resize(produced + room - z.avail_out);
        if (rc == LZMA_STREAM_END) return out;
        if (rc == LZMA_BUF_ERROR) {
            out.truncated = true;  // input ran out before the stream's end
            return out;
        }
        if (rc != LZMA_OK) return fail(rc);
    }
}

}  // namespace velmora::swf
