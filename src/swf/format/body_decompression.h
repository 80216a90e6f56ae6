#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <span>
#include <string>
#include <vector>

namespace velmora::swf {

// Gives elements that a resize adds no value: a decompressor writes every byte it hands on, so
// clearing megabytes first only to overwrite them would be waste.
template <class T>
struct UninitialisedAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = UninitialisedAllocator<U>;
    };
    UninitialisedAllocator() = default;
    template <class U>
    UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
    template <class U>
    void construct(U* at) noexcept(std::is_nothrow_default_constructible_v<U>) {
        ::new (static_cast<void*>(at)) U;
    }
    template <class U, class... Args>
    void construct(U* at, Args&&... args) {
        std::construct_at(at, std::forward<Args>(args)...);
    }
};

// A decompressed body. Only the bytes a decompressor wrote are ever in it: a resize that adds
// room is followed by writing that room or by a resize back down.
using BodyBytes = std::vector<uint8_t, UninitialisedAllocator<uint8_t>>;

// The result of decompressing a movie's body. A stream that simply stops (a file cut short) is not
// an error: what was decoded is kept and `truncated` says so, because a cut-off movie still plays
// as far as it goes.
struct DecompressedBody {
    BodyBytes bytes;
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
