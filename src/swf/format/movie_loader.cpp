#include "swf/format/movie_loader.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
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

std::vector<uint8_t> readMovieFile(const std::string& path, const ParseLimits& limits) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) throw ParseError(path + ": is a folder, not a movie file");
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        int error = errno;
        throw ParseError(path + ": " + (error != 0 ? std::strerror(error) : "cannot be opened"));
    }
    file.seekg(0, std::ios::end);
    std::streamoff size = file.tellg();
    if (size < 0) throw ParseError(path + ": cannot be read");
    // Compression only ever makes a movie smaller, so a file larger than the cap on the unpacked
    // movie would break it anyway: refuse it before reading it into memory.
    if (static_cast<uint64_t>(size) > limits.maxUncompressedBytes + 8) {
        throw ParseError(path + ": the file is larger than " + std::to_string(limits.maxUncompressedBytes >> 20) + " MiB");
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    file.seekg(0);
    if (!file.read(reinterpret_cast<char*>(bytes.data()), size)) throw ParseError(path + ": cannot be read");
    return bytes;
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
