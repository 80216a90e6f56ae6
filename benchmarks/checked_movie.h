#pragma once

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "swf/format/movie.h"

namespace velmora::bench {

// The movie a benchmark built, or the end of the program: a benchmark of a movie the engine
// warns about (a damaged tag, a record it skipped) measures the wrong thing, so it stops with the
// warnings instead of printing figures.
inline std::shared_ptr<const swf::Movie> checkedMovie(std::shared_ptr<const swf::Movie> movie, const char* what) {
    if (!movie->warnings.empty()) {
        std::fprintf(stderr, "%s: the benchmark's movie loads with warnings:\n", what);
        for (const std::string& warning : movie->warnings) std::fprintf(stderr, "  %s\n", warning.c_str());
        std::exit(1);
    }
    return movie;
}

}  // namespace velmora::bench
