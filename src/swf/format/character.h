#pragma once

#include <cstdint>

#include "swf/format/geometry.h"

namespace velmora::swf {

enum class CharacterKind : uint8_t {
    Shape,
    MorphShape,
    Font,
    Text,
    EditText,
    Bitmap,
    Button,
    Sound,
    Sprite,
    VideoStream,
    BinaryData,
};

// Something the dictionary holds under an id, defined once by a definition tag and placed on
// timelines any number of times. Characters are immutable once the movie is parsed and are
// shared by every player and every thread that plays the movie.
struct Character {
    explicit Character(CharacterKind kind, uint16_t id) : kind(kind), id(id) {}
    virtual ~Character() = default;

    const CharacterKind kind;
    const uint16_t id;
};

}  // namespace velmora::swf
