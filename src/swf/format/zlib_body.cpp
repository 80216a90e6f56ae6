#include <zlib.h>

#include <algorithm>
#include <climits>

#include "swf/format/body_decompression.h"
#include "swf/format/movie_loader.h"
#include "swf/format/whole_buffer_inflate.h"

namespace velmora::swf {

namespace {

constexpr size_t kChunk = 64 * 1024;
// Never trust a header's claimed size for more than this up front; growth past it is paid for by
// real data.
constexpr uint64_t kMaxUpfrontReserve = 16ull << 20;
// A body whose header claims up to this much is inflated in one call into a buffer of the claimed
// size; a false claim costs at most this much memory for a moment before zlib takes over.
constexpr uint64_t kMaxWholeBuffer = 128ull << 20;

std::string tooLarge(uint64_t maxBytes) {
    return "the movie decompresses to more than " + std::to_string(maxBytes >> 20) + " MiB";
}

}  // namespace

DecompressedBody inflateZlibBody(std::span<const uint8_t> stream, uint64_t sizeHint, uint64_t maxBytes) {
    DecompressedBody out;
    // The header says how large the body is: nearly always true, and then one call inflates it.
    // Anything else (a longer, cut-short or corrupt stream) is left to zlib below, which keeps
    // what a cut-short stream holds and says why it stops.
    if (sizeHint > 0 && sizeHint <= std::min({maxBytes, kMaxWholeBuffer, maxInflatedSize(stream.size())})) {
        out.bytes.resize(static_cast<size_t>(sizeHint));
        if (auto produced = inflateWholeBuffer(stream, out.bytes)) {
            out.bytes.resize(*produced);
            return out;
        }
        out.bytes = {};
    }
    out.bytes.reserve(static_cast<size_t>(std::min({sizeHint, maxBytes, kMaxUpfrontReserve})));

    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw ParseError("zlib could not be started");
    struct Closer {
        z_stream* z;
        ~Closer() { inflateEnd(z); }
    } closer{&z};

    const uint8_t* next = stream.data();
    size_t left = stream.size();
    for (;;) {
        // zlib counts in uInt: feed huge inputs in slices.
        if (z.avail_in == 0 && left > 0) {
            size_t slice = std::min<size_t>(left, UINT_MAX);
            z.next_in = const_cast<Bytef*>(next);
            z.avail_in = static_cast<uInt>(slice);
            next += slice;
            left -= slice;
        }
        size_t produced = out.bytes.size();
        if (produced >= maxBytes) {
            // One more byte would break the limit: only a finished stream is acceptable here.
            uint8_t probe;
            z.next_out = &probe;
            z.avail_out = 1;
            int rc = inflate(&z, Z_NO_FLUSH);
            if (rc == Z_STREAM_END && z.avail_out == 1) return out;
            if (z.avail_out == 0) throw ParseError(tooLarge(maxBytes));
            if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT || rc == Z_MEM_ERROR) throw ParseError("zlib data is corrupt");
            out.truncated = true;
            return out;
        }
        size_t room = static_cast<size_t>(std::min<uint64_t>(kChunk, maxBytes - produced));
        out.bytes.resize(produced + room);
        z.next_out = out.bytes.data() + produced;
        z.avail_out = static_cast<uInt>(room);
        int rc = inflate(&z, Z_NO_FLUSH);
        out.bytes.resize(produced + room - z.avail_out);
        if (rc == Z_STREAM_END) return out;
        if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT || rc == Z_MEM_ERROR) {
            throw ParseError("zlib data is corrupt");
        }
        bool madeProgress = z.avail_out != room;
        if (!madeProgress && z.avail_in == 0 && left == 0) {
            out.truncated = true;  // the stream stops before its end
            return out;
        }
    }
}

}  // namespace velmora::swf
