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
#include "swf/runtime/clip_handle.h"
#include "swf/runtime/stream_media.h"
#include "swf/runtime/text_field_state.h"

namespace velmora::swf {

class Clip;
class ButtonParts;

enum class ButtonState : uint8_t { Up, Over, Down };

// One object on a display list: a character placed at a depth with its placement state.
// Owned by its display list; the renderer reads it, the timeline writes it.
struct DisplayObject {
    // The depth on the display list (see DisplayList).
    int32_t depth = 0;
    std::shared_ptr<const Character> character;
    Matrix matrix;
    ColorTransform colorTransform;
    uint16_t ratio = 0;        // morph shapes: 0 start .. 65535 end
    std::string name;          // instance name, may be empty
    // The file placed it without a name and the player named it "instanceN", as scripts expect
    // of every clip, button and field: frames that place it again without a name keep that one.
    bool autoNamed = false;
    uint16_t clipDepth = 0;    // non-zero: a mask over the depths above this one up to clipDepth
    BlendMode blendMode = BlendMode::Normal;
    std::vector<Filter> filters;
    bool visible = true;
    bool cacheAsBitmap = false;
    // Given by scripts: a colour (0xRRGGBB) filling the object's box behind it, and a scaling grid
    // (the object's own twips) used instead of the one its character may have.
    std::optional<uint32_t> opaqueBackground;
    std::optional<Rect> scale9Grid;
    // Made or taken over by a script (attachMovie, createEmptyMovieClip, duplicateMovieClip,
    // swapDepths): the timeline's frames and gotos leave it where it is.
    bool placedByScript = false;
    // A script set its position, scale, rotation or size: from then on the timeline's placements
    // of it (moves, a goto that keeps it) leave its matrix alone. Authors rely on this: a clip a
    // script has taken over stops following its tweens, while its colour and other fields do not.
    bool movedByScript = false;
    // setMask: the clip whose shapes clip this object's drawing (an empty handle for none); the
    // mask clip itself is then a mask only (maskOnly), not drawn.
    ClipHandle scriptMask;
    bool maskOnly = false;
    // Buttons and clips: a script's _focusrect for this object; unset, the movie's own decides.
    std::optional<bool> focusRect;

    std::unique_ptr<Clip> clip;              // sprites: the instance's own timeline
    std::vector<ClipAction> clipActions;     // sprites: event handlers given where it was placed
    ButtonState buttonState = ButtonState::Up;  // buttons
    std::unique_ptr<ButtonParts> buttonParts;   // buttons placed by a clip: what their state shows
    std::string text;                        // edit texts: current content, UTF-8 (HTML if the field is)
    std::unique_ptr<TextFieldState> textState;  // edit texts: caret, selection, scroll; made on first need
    std::shared_ptr<VideoDisplay> videoDisplay;  // video objects a script reached: what they show

    // Edit texts: the field's state, made when first asked for, and a handle to the field.
    TextFieldState& ensureTextState() {
        if (!textState) textState = std::make_unique<TextFieldState>();
        return *textState;
    }
    TextFieldHandle textHandle() { return TextFieldHandle(this, ensureTextState().life); }
};

// Objects by depth, drawn from the lowest depth up.
//
// Depths are wider than the file's 16 bits because scripts place clips far above the timeline:
// the timeline's depths are the file's (1..65535), and a script's depth d is kept as
// d + kScriptDepthOffset, so script depth 0 is 16384 here and the timeline's depth 1 is script
// depth -16383. Scripts may use -16384..kMaxScriptDepth.
using DisplayList = std::map<int32_t, std::unique_ptr<DisplayObject>>;
constexpr int32_t kScriptDepthOffset = 16384;
constexpr int32_t kMaxScriptDepth = 1'048'575;

}  // namespace velmora::swf

// Destroying a display object destroys its clip and a button's parts, so whoever holds a
// DisplayList needs both whole.
#include "swf/runtime/button_parts.h"
#include "swf/runtime/clip.h"
