// Loads arbitrary bytes as a movie and, when they load, plays the first frames: every crash,
// hang or runaway allocation in the parser or the runtime is a bug.

#include <cstddef>
#include <cstdint>

#include "fuzz_movie.h"
#include "swf/runtime/movie_instance.h"

namespace {

constexpr int kFramesToPlay = 12;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace velmora::swf;
    const std::shared_ptr<const Movie> movie = velmora::fuzz::loadMovie(data, size);
    if (!movie) return 0;
    MovieInstance instance(movie, velmora::fuzz::instanceOptions());
    for (int i = 0; i < kFramesToPlay; ++i) instance.tick();
    return 0;
}
