#pragma once

#include "swf/format/character.h"
#include "swf/format/timeline.h"

namespace velmora::swf {

// DefineSprite: a movie clip with a timeline of its own.
struct SpriteCharacter : Character {
    explicit SpriteCharacter(uint16_t id) : Character(CharacterKind::Sprite, id) {}

    Timeline timeline;
};

}  // namespace velmora::swf
