#pragma once

#include <cstddef>
#include <vector>

#include "swf/runtime/display_object.h"

namespace velmora::swf {

class MovieInstance;

// What a placed button shows: the records of its current state as display objects, in ascending
// record depth (records of equal depth in file order), keyed 0, 1, 2, ... in that order. Sprites
// among them have clips of their own, which the clock steps like any other clip, so that they
// animate. Each part counts against the movie's display-object limit while it lives.
class ButtonParts {
public:
    explicit ButtonParts(MovieInstance& movie) : movie_(movie) {}
    ~ButtonParts();
    ButtonParts(const ButtonParts&) = delete;
    ButtonParts& operator=(const ButtonParts&) = delete;

    const DisplayList& list() const { return list_; }

private:
    friend void showButtonState(Clip& owner, DisplayObject& button, ButtonState state);

    MovieInstance& movie_;
    DisplayList list_;
    std::vector<size_t> records_;  // for each key of list_, the index of its record in the button
};

// Sets the button placed as `button` on owner's display list to `state` and builds what that
// state shows. A record shown in the old state and the new keeps its part (a sprite goes on where
// it was); the others are made anew, sprites at their first frame with their scripts queued on
// the movie. Buttons among the parts get no parts of their own (the renderer draws them still).
// Records naming a missing character, or past the object limit, are left out, and sprites past
// the nesting limit stand empty, each noted in the movie's diagnostics; a button showing itself is left out. Sets only buttonState on
// objects that are not buttons.
void showButtonState(Clip& owner, DisplayObject& button, ButtonState state);

}  // namespace velmora::swf
