#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "swf/format/body_decompression.h"
#include "swf/format/movie.h"
#include "swf/format/movie_loader.h"

namespace velmora::swf {

// The tag records of a movie, decompressed. For an uncompressed movie `records` points into the
// file's own bytes (which must then outlive it) and `storage` is empty; otherwise it points into
// `storage`. Moving a MovieBody keeps `records` valid.
struct MovieBody {
    BodyBytes storage;
    std::span<const uint8_t> records;
};

// Reads the file header into movie (signature, version, declared length, stage, rate, declared
// frame count) and returns the tag records that follow it, decompressed.
//
// Raises ParseError when the bytes are not an SWF movie (unknown signature, shorter than a
// header), when the compressed body is corrupt or breaks limits.maxUncompressedBytes, or when the
// header itself is cut off. A body that stops early is returned as far as it goes, with a warning
// in movie.warnings.
MovieBody readMovieHeader(std::span<const uint8_t> file, const ParseLimits& limits, Movie& movie);

}  // namespace velmora::swf
