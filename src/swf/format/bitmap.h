#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "swf/format/character.h"

namespace velmora::swf {

// A bitmap as the file carries it. Decoding is left to the renderer, which does it lazily and
// caches the result; the parser only checks the framing.
struct BitmapCharacter : Character {
    explicit BitmapCharacter(uint16_t id) : Character(CharacterKind::Bitmap, id) {}

    enum class Encoding : uint8_t {
        Jpeg,        // DefineBits: JPEG data whose tables live in the movie's JPEGTables
        Jpeg2,       // DefineBitsJPEG2: JPEG, PNG or GIF data, complete
        Jpeg3,       // DefineBitsJPEG3: as Jpeg2, plus a zlib-compressed alpha plane
        Jpeg4,       // DefineBitsJPEG4: as Jpeg3, plus a deblocking strength
        Lossless,    // DefineBitsLossless: zlib data, no alpha
        Lossless2,   // DefineBitsLossless2: zlib data, premultiplied alpha
    };

    Encoding encoding = Encoding::Jpeg2;
    std::vector<uint8_t> data;       // the image bytes (JPEG/PNG/GIF) or the zlib stream
    std::vector<uint8_t> alphaData;  // Jpeg3/Jpeg4: zlib-compressed 8-bit alpha, one byte a pixel
    // Jpeg only: the JPEGTables payload of the movie (may be empty or absent).
    std::shared_ptr<const std::vector<uint8_t>> jpegTables;
    double deblocking = 0.0;  // Jpeg4: 8.8 fixed point already divided out

    // Lossless and Lossless2.
    uint8_t losslessFormat = 0;   // 3: colour-mapped 8-bit, 4: 15-bit RGB, 5: 24/32-bit
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t colorTableSize = 0;  // entries - 1 as stored, format 3 only
};

}  // namespace velmora::swf
