#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "swf/format/action_bytes.h"
#include "swf/format/filter.h"
#include "swf/format/geometry.h"
#include "swf/format/sound.h"

namespace velmora::swf {

// One event handler of a placed sprite (PlaceObject2/3 clip actions).
struct ClipAction {
    uint32_t events = 0;  // the file's event flags, SWF 6+ layout (32 bits)
    uint8_t keyCode = 0;  // for the key press event
    ActionBytes actions;
};

// PlaceObject, PlaceObject2 and PlaceObject3 in one form. Fields that the tag does not carry are
// empty. version tells which tag it was.
struct PlaceObject {
    int version = 2;  // 1, 2 or 3
    uint16_t depth = 0;
    bool move = false;  // modifies the object already at depth
    std::optional<uint16_t> characterId;
    std::optional<Matrix> matrix;
    std::optional<ColorTransform> colorTransform;
    std::optional<uint16_t> ratio;
    std::optional<std::string> name;
    std::optional<uint16_t> clipDepth;
    std::optional<std::vector<Filter>> filters;
    std::optional<BlendMode> blendMode;
    std::optional<bool> cacheAsBitmap;
    std::optional<bool> visible;
    std::optional<Rgba> backgroundColor;
    std::optional<std::string> className;
    std::vector<ClipAction> clipActions;
};

// RemoveObject (with its character id) and RemoveObject2.
struct RemoveObject {
    uint16_t depth = 0;
    std::optional<uint16_t> characterId;
};

// DoAction: runs when its frame is entered.
struct DoAction {
    ActionBytes actions;
};

// StartSound and StartSound2.
struct StartSound {
    uint16_t soundId = 0;       // StartSound
    std::string className;      // StartSound2 (ActionScript 3 class); sound not resolved
    SoundInfo info;
};

// One frame's block of the timeline's stream sound.
struct SoundStreamBlock {
    std::shared_ptr<const std::vector<uint8_t>> data;
};

struct SetBackgroundColor {
    Rgba color;
};

struct VideoFrame {
    uint16_t streamId = 0;
    uint16_t frameNum = 0;
    std::shared_ptr<const std::vector<uint8_t>> data;
};

using ControlTag =
    std::variant<PlaceObject, RemoveObject, DoAction, StartSound, SoundStreamBlock, SetBackgroundColor, VideoFrame>;

}  // namespace velmora::swf

namespace velmora::swf {

// Bits of ClipAction::events. Up to SWF 5 files store only the low 16 bits.
enum ClipEvent : uint32_t {
    kClipEventLoad = 1u << 0,
    kClipEventEnterFrame = 1u << 1,
    kClipEventUnload = 1u << 2,
    kClipEventMouseMove = 1u << 3,
    kClipEventMouseDown = 1u << 4,
    kClipEventMouseUp = 1u << 5,
    kClipEventKeyDown = 1u << 6,
    kClipEventKeyUp = 1u << 7,
    kClipEventData = 1u << 8,
    kClipEventInitialize = 1u << 9,
    kClipEventPress = 1u << 10,
    kClipEventRelease = 1u << 11,
    kClipEventReleaseOutside = 1u << 12,
    kClipEventRollOver = 1u << 13,
    kClipEventRollOut = 1u << 14,
    kClipEventDragOver = 1u << 15,
    kClipEventDragOut = 1u << 16,
    kClipEventKeyPress = 1u << 17,
    kClipEventConstruct = 1u << 18,
};

}  // namespace velmora::swf
