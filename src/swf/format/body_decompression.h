#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace velmora::swf {

// The result of decompressing a movie's body. A stream that simply stops (a file cut short) is not
// an error: what was decoded is kept and `truncated` says so, because a cut-off movie still plays
// as far as it goes.
struct DecompressedBody {
    std::vector<uint8_t> bytes;
    bool truncated = false;
};

// Inflates the zlib stream of a CWS movie. At most maxBytes are produced: a stream that would
// produce more raises ParseError (a limit, so a small file cannot claim gigabytes). sizeHint, the
// header's claimed size, only pre-sizes the buffer and is clamped to maxBytes. Corrupt data (as
// opposed to data that stops) raises ParseError("zlib data is corrupt").
DecompressedBody inflateZlibBody(std::span<const uint8_t> stream, uint64_t sizeHint, uint64_t maxBytes);

// Decodes the LZMA data of a ZWS movie: `properties` are the 5 property bytes the movie stores
// before its data. Same contract as inflateZlibBody.
DecompressedBody decodeLzmaBody(std::span<const uint8_t> properties, std::span<const uint8_t> stream,
                                uint64_t sizeHint, uint64_t maxBytes);

}  // namespace velmora::swf
