#pragma once

#include <cstdint>
#include <span>

#include "swf/runtime/clip.h"
#include "swf/runtime/script/value.h"

namespace velmora::swf {

class MovieInstance;

// The mouse on the stage: which button the pointer is over, the button states the renderer draws
// (up, over, down), the button actions and sounds of each transition, and the clips' mouse
// handlers. A button is hit where one of its hit-test records' boxes lies under the pointer; the
// topmost visible button wins.
//
// A movie clip acts as a button when it has press, release, roll or drag handlers (on (release)
// placed with it, or an onRelease function a script gave it) and a script has not set its
// `enabled` to false: it is hit where one of its shapes lies (or those of the clip its `hitArea`
// names), runs those handlers instead of button actions, and shows its frames labelled "_up",
// "_over" and "_down" if it has them. A button inside it takes the pointer first.
//
// The transitions and the actions they run:
//   pointer comes over a button   IdleToOverUp        state over
//   pointer leaves it             OverUpToIdle        state up
//   press on it                   OverUpToOverDown    state down
//   release on it                 OverDownToOverUp    state over  (a click: most buttons act here)
//   pointer leaves it, held       OverDownToOutDown   state up    (drag out)
//   pointer comes back, held      OutDownToOverDown   state down  (drag over)
//   release elsewhere             OutDownToIdle and OverDownToIdle, state up (release outside)
// While held, the pressed button keeps the pointer: no other button rolls over.
// Button actions run with the clip holding the button as their target. After the clips' own
// handlers of each event, the Mouse object's listeners hear of it.
class PointerInput {
public:
    // movie must outlive this object.
    explicit PointerInput(MovieInstance& movie) : movie_(movie) {}

    // The pointer is at (x, y) twips on the stage.
    void move(double xTwips, double yTwips);
    void press();
    void release();
    // The wheel turned by delta lines (positive: away from the user) with the pointer where it
    // is: the Mouse object's listeners hear onMouseWheel(delta, the clip under the pointer).
    void wheel(int delta);
    // The pointer left the movie's area.
    void leave();
    // Whether the pointer is over a button.
    bool overButton() const;
    // Whether a view shows the pointing hand: over a button, unless it is a clip whose
    // useHandCursor a script set to false.
    bool showsHand() const;

private:
    struct Hit {
        ClipHandle owner;
        DisplayObject* object = nullptr;
    };
    Hit findButton(double xTwips, double yTwips) const;
    DisplayObject* liveObject(const Hit& hit) const;
    void transition(const Hit& hit, uint16_t conditionBit, int soundIndex, ButtonState state);
    void notifyListeners(const char* event, std::span<const script::Value> args = {});

    MovieInstance& movie_;
    Hit over_;
    bool pressed_ = false;
    bool outside_ = false;  // pressed, and the pointer has left the pressed button
    double x_ = 0;
    double y_ = 0;
};

// Whether a button, or a clip in the role of one, would answer the pointer now: a button whose
// `enabled` a script has not set false, or a clip that acts as a button (see above).
bool answersLikeAButton(Clip& holder, DisplayObject& object);

// The keyboard pressing a button, or a clip in the role of one, on holder's display list (Enter
// or Space on the focused one): down runs what a press of the mouse on it runs and shows it
// pressed; up runs what a release on it runs (the click) and shows it up again.
void pressByKey(MovieInstance& movie, Clip& holder, DisplayObject& object, bool down);

}  // namespace velmora::swf
