#pragma once

#include <cstdint>

namespace velmora::swf {

// How the movie wants its stage shown, as its scripts set it through Stage, and the size of the
// area the view gives it. The view reads these on every paint; the movie starts as the component
// was created: "showAll", centred, with the full right-button menu.
struct StageSettings {
    enum class ScaleMode : uint8_t { ShowAll, NoScale, ExactFit, NoBorder };
    // Which edges the stage keeps to when it does not fill the area; neither of a pair: centred.
    enum AlignFlags : uint8_t { AlignTop = 1, AlignBottom = 2, AlignLeft = 4, AlignRight = 8 };

    ScaleMode scaleMode = ScaleMode::ShowAll;
    uint8_t align = 0;
    bool showMenu = true;
    // The view's area in pixels; 0 until a view has told (the stage's own size is used then).
    int viewWidth = 0;
    int viewHeight = 0;
};

}  // namespace velmora::swf
