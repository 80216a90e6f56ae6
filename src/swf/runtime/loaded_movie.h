#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "swf/format/movie.h"

namespace velmora::swf {

// A movie a script loaded into a clip or a level (loadMovie, loadMovieNum, MovieClipLoader), or
// a picture made into a one-frame movie. The clip holding it, and every clip placed inside it,
// names characters, exports and init actions from this movie's dictionary rather than the
// chosen movie's.
struct LoadedMovie {
    std::shared_ptr<const Movie> movie;
    // The name the script asked for, as _url gives it back.
    std::string url;
    // The file's size, for getBytesLoaded and getBytesTotal.
    uint64_t bytes = 0;
};

}  // namespace velmora::swf
