#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "swf/format/movie_loader.h"
#include "swf/runtime/movie_instance.h"

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

// How a fuzzer plays a movie that loaded: its scripts stopped within a fraction of a second and
// a few megabytes, so that a script looping for ever (a correct movie, as far as the loader knows)
// costs one short run instead of the movie's 15-second time-out and a heap hundreds of megabytes
// deep. The defaults are the tests' business.
inline swf::MovieInstance::Options instanceOptions() {
    swf::MovieInstance::Options options;
    options.virtualClock = true;
    options.limits.scriptTimeoutSeconds = 0.25;
    options.limits.maxActionSteps = 100'000;
    options.limits.maxScriptHeapBytes = size_t{64} << 20;
    options.limits.maxStringBytes = size_t{1} << 20;
    options.limits.maxArrayLength = size_t{1} << 16;
    options.limits.maxDisplayObjects = 5'000;
    options.limits.maxQueuedScripts = 1'000;
    options.limits.maxScriptsPerDrain = 5'000;
    return options;
}

}  // namespace velmora::fuzz
