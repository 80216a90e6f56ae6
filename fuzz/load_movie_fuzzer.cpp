// Loads arbitrary bytes as a movie and, when they load, plays the first frames: every crash,
// hang or runaway allocation in the parser or the runtime is a bug.

#include <cstddef>
#include <cstdint>

#include "swf/format/movie_loader.h"
#include "swf/runtime/movie_instance.h"

namespace {

constexpr int kFramesToPlay = 12;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace velmora::swf;
    // Tighter than the defaults, so that a single input cannot spend the fuzzer's memory limit
    // legitimately; the defaults themselves are exercised by the tests.
    ParseLimits limits;
    limits.maxUncompressedBytes = 16u << 20;
    limits.maxModelBytes = 128u << 20;
    std::shared_ptr<const Movie> movie;
    try {
        movie = parseMovie({data, size}, limits);
    } catch (const ParseError&) {
        return 0;  // refusing a file is a correct answer
    }
    MovieInstance instance(movie);
    for (int i = 0; i < kFramesToPlay; ++i) instance.tick();
    return 0;
}
