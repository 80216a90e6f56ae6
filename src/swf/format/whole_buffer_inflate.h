#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace velmora::swf {

// Inflates a whole zlib stream in one call into out, whose size is the most the stream may
// produce, with a decoder several times faster than zlib's. Returns the bytes produced when the
// stream is complete and fits (bytes after its end are ignored); nullopt when it is longer than
// out, stops early or is corrupt, and then out's contents are undefined. Callers that must tell
// those cases apart, or keep what a cut-short stream holds, decode again with zlib: the fast path
// is for the whole, honest stream that nearly every movie and bitmap holds.
std::optional<size_t> inflateWholeBuffer(std::span<const uint8_t> stream, std::span<uint8_t> out);

// The most a deflate stream of n bytes can produce: each of its bits codes at most about 129
// bytes, so a claimed size beyond this is a lie and not worth allocating for.
constexpr uint64_t maxInflatedSize(uint64_t n) { return n * 1032 + 1024; }

}  // namespace velmora::swf
