#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "swf/format/character.h"
#include "swf/format/control_tags.h"
#include "swf/format/filter.h"
#include "swf/format/geometry.h"

namespace velmora::swf {

class Clip;
class ButtonParts;

enum class ButtonState : uint8_t { Up, Over, Down };

// One object on a display list: a character placed at a depth with its placement state.
// Owned by its display list; the renderer reads it, the timeline writes it.
struct DisplayObject {
    uint16_t depth = 0;
    std::shared_ptr<const Character> character;
    Matrix matrix;
    ColorTransform colorTransform;
    uint16_t ratio = 0;        // morph shapes: 0 start .. 65535 end
    std::string name;          // instance name, may be empty
    uint16_t clipDepth = 0;    // non-zero: a mask over the depths above this one up to clipDepth
    BlendMode blendMode = BlendMode::Normal;
    std::vector<Filter> filters;
    bool visible = true;
    bool cacheAsBitmap = false;
    // Given by scripts: a colour (0xRRGGBB) filling the object's box behind it, and a scaling grid
    // (the object's own twips) used instead of the one its character may have.
    std::optional<uint32_t> opaqueBackground;
    std::optional<Rect> scale9Grid;

    std::unique_ptr<Clip> clip;              // sprites: the instance's own timeline
    std::vector<ClipAction> clipActions;     // sprites: event handlers given where it was placed
    ButtonState buttonState = ButtonState::Up;  // buttons
    std::unique_ptr<ButtonParts> buttonParts;   // buttons placed by a clip: what their state shows
    std::string text;                        // edit texts: current content, UTF-8 (HTML if the field is)
};

// Objects by depth, drawn from the lowest depth up.
using DisplayList = std::map<uint16_t, std::unique_ptr<DisplayObject>>;

}  // namespace velmora::swf

// Destroying a display object destroys its clip and a button's parts, so whoever holds a
// DisplayList needs both whole.
#include "swf/runtime/button_parts.h"
#include "swf/runtime/clip.h"
