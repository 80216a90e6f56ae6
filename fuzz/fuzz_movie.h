#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "swf/format/movie_loader.h"

namespace velmora::fuzz {

// Loads a fuzzer's input as a movie, or returns nullptr when the loader refuses it (refusing a
// file is a correct answer). The limits are tighter than the defaults, so that one input cannot
// spend the fuzzer's memory limit legitimately; the defaults themselves are exercised by the tests.
inline std::shared_ptr<const swf::Movie> loadMovie(const uint8_t* data, size_t size) {
    swf::ParseLimits limits;
    limits.maxUncompressedBytes = 16u << 20;
    limits.maxModelBytes = 128u << 20;
    try {
        return swf::parseMovie({data, size}, limits);
    } catch (const swf::ParseError&) {
        return nullptr;
    }
}

}  // namespace velmora::fuzz
