#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "swf/format/action_bytes.h"
#include "swf/format/character.h"
#include "swf/format/filter.h"
#include "swf/format/geometry.h"
#include "swf/format/sound.h"

namespace velmora::swf {

struct ButtonRecord {
    bool up = false;
    bool over = false;
    bool down = false;
    bool hitTest = false;
    uint16_t characterId = 0;
    uint16_t depth = 0;
    Matrix matrix;
    ColorTransform colorTransform;  // DefineButton2; identity otherwise (or from DefineButtonCxform)
    std::vector<Filter> filters;
    BlendMode blendMode = BlendMode::Normal;
};

// A button action and the transitions that trigger it.
struct ButtonCondAction {
    // The file's condition flags: bit 0 IdleToOverUp, 1 OverUpToIdle, 2 OverUpToOverDown,
    // 3 OverDownToOverUp, 4 OverDownToOutDown, 5 OutDownToOverDown, 6 OutDownToIdle,
    // 7 IdleToOverDown, 8 OverDownToIdle; keyCode in bits 9..15.
    uint16_t conditions = 0;
    ActionBytes actions;
};

// DefineButton and DefineButton2, with DefineButtonSound and DefineButtonCxform folded in.
struct ButtonCharacter : Character {
    explicit ButtonCharacter(uint16_t id) : Character(CharacterKind::Button, id) {}

    int version = 1;
    bool trackAsMenu = false;
    std::vector<ButtonRecord> records;
    std::vector<ButtonCondAction> actions;  // DefineButton: one, on OverDownToOverUp (release)

    // DefineButtonSound: sounds for OverUpToIdle, IdleToOverUp, OverUpToOverDown, OverDownToOverUp.
    struct Sound {
        uint16_t soundId = 0;
        SoundInfo info;
    };
    std::array<std::optional<Sound>, 4> sounds;
};

}  // namespace velmora::swf
