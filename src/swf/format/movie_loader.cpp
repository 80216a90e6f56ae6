#include "swf/format/movie_loader.h"

#include <vector>

#include "swf/format/movie_header.h"
#include "swf/format/parse_context.h"
#include "swf/format/timeline_parser.h"

namespace velmora::swf {

std::shared_ptr<const Movie> parseMovie(std::span<const uint8_t> bytes, const ParseLimits& limits) {
    auto movie = std::make_shared<Movie>();
    MovieBody body = readMovieHeader(bytes, limits, *movie);
    ParseContext ctx(*movie, limits);
    parseTimeline(body.records, ctx, movie->root);
    ctx.finish();
    return movie;
}

std::shared_ptr<const Movie> loadMovieFile(const std::string& path, const ParseLimits& limits) {
    std::vector<uint8_t> bytes = readMovieFile(path, limits);
    try {
        return parseMovie(bytes, limits);
    } catch (const ParseError& e) {
        throw ParseError(path + ": " + e.what());
    }
}

}  // namespace velmora::swf
