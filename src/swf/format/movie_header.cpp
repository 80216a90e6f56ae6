#include "swf/format/movie_header.h"

#include <algorithm>

#include "swf/format/bit_reader.h"
#include "swf/format/body_decompression.h"

namespace velmora::swf {

namespace {

constexpr size_t kSignatureAndLength = 8;

uint32_t readU32(std::span<const uint8_t> b, size_t at) {
    return static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) |
           (static_cast<uint32_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

}  // namespace

MovieBody readMovieHeader(std::span<const uint8_t> file, const ParseLimits& limits, Movie& movie) {
    if (file.size() < 3) throw ParseError("not an SWF file (too short)");
    char kind = static_cast<char>(file[0]);
    if ((kind != 'F' && kind != 'C' && kind != 'Z') || file[1] != 'W' || file[2] != 'S') {
        throw ParseError("not an SWF file");
    }
    if (file.size() < kSignatureAndLength) throw ParseError("the SWF header is cut short");
    movie.signature[0] = kind;
    movie.signature[1] = 'W';
    movie.signature[2] = 'S';
    movie.version = file[3];
    movie.declaredFileLength = readU32(file, 4);
    // What the body should hold if the declared length is honest; only a hint.
    uint64_t expected = movie.declaredFileLength > kSignatureAndLength ? movie.declaredFileLength - kSignatureAndLength : 0;
    uint64_t cap = limits.maxUncompressedBytes;

    DecompressedBody body;
    std::span<const uint8_t> plain;
    if (kind == 'F') {
        // Read in place: copying megabytes only to read them once would be waste.
        plain = file.subspan(kSignatureAndLength);
        if (plain.size() > cap) {
            throw ParseError("the movie is larger than " + std::to_string(cap >> 20) + " MiB");
        }
    } else if (kind == 'C') {
        body = inflateZlibBody(file.subspan(kSignatureAndLength), expected, cap);
    } else {
        // ZWS: a 4-byte compressed length (not needed: the data runs to the end of the file), then
        // the 5 LZMA property bytes and the data.
        if (file.size() < kSignatureAndLength + 4 + 5) throw ParseError("the LZMA header is cut short");
        body = decodeLzmaBody(file.subspan(kSignatureAndLength + 4, 5), file.subspan(kSignatureAndLength + 9), expected, cap);
    }
    if (kind != 'F') {
        if (body.truncated && body.bytes.size() < expected) {
            movie.warnings.add("the compressed data stops early; the movie is played as far as it goes");
        }
        plain = body.bytes;
    }

    BitReader reader(plain);
    try {
        movie.stage = reader.rect();
        movie.frameRate = reader.u16() / 256.0;
        movie.declaredFrameCount = reader.u16();
    } catch (const MalformedData&) {
        throw ParseError("the SWF header is cut short");
    }
    MovieBody result;
    result.storage = std::move(body.bytes);  // a vector's move keeps its buffer, so `plain` stays valid
    result.records = plain.subspan(reader.position());
    return result;
}

}  // namespace velmora::swf
