#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "swf/format/movie.h"

namespace velmora::swf {

// Raised for a file that is not an SWF movie or cannot be read safely. what() says why in plain
// words ("not an SWF file", "zlib data is corrupt", "more than 4096 levels of nesting", ...).
class ParseError : public std::runtime_error {
public:
    explicit ParseError(const std::string& what) : std::runtime_error(what) {}
};

// Bounds that keep a hostile file harmless. Exceeding one is a ParseError.
struct ParseLimits {
    uint64_t maxUncompressedBytes = 256ull << 20;
    uint32_t maxSpriteNesting = 64;
    uint32_t maxCharacters = 65536;
    uint32_t maxFramesPerTimeline = 1u << 20;
    uint32_t maxTagsPerFrame = 1u << 16;
    uint32_t maxShapeRecords = 1u << 22;
    // What the parsed model may occupy in memory, all told. Tags are tiny in the file and large in
    // memory (a 5-byte PlaceObject becomes a few hundred bytes), so without a total a file within
    // the other limits could still ask for many gigabytes.
    uint64_t maxModelBytes = 1ull << 30;
};

// Parses a whole SWF file held in memory. A file cut short or with placeholder counts is played as
// far as its tags go (warnings note the repair); a malformed character tag is skipped with a
// warning. Raises ParseError when the bytes are not an SWF movie at all, cannot be decompressed,
// or break a limit.
std::shared_ptr<const Movie> parseMovie(std::span<const uint8_t> bytes, const ParseLimits& limits = {});

// Reads the whole file at path into memory without parsing it: the one way the engine reads a
// movie from disk, for the player and for any later loading of a movie by path (movie_file.cpp).
//
// Only a regular file is read. Anything else is refused at once with a ParseError naming the file
// and what it is: a folder, a FIFO, a socket or a device (also behind a link named ".swf"), whose
// reading could wait for ever or never end. The file is opened without waiting for a writer and
// checked once open, so it cannot be swapped between the check and the read. A file larger than
// limits.maxUncompressedBytes allows is refused before its bytes are read. Also raises a
// ParseError naming the file when it is missing, unreadable or shrinks while being read.
std::vector<uint8_t> readMovieFile(const std::string& path, const ParseLimits& limits = {});

// Reads the file at path (UTF-8) with readMovieFile and parses it. Raises ParseError naming the
// file and the reason (missing, not a regular file, not an SWF file, corrupt).
std::shared_ptr<const Movie> loadMovieFile(const std::string& path, const ParseLimits& limits = {});

}  // namespace velmora::swf
