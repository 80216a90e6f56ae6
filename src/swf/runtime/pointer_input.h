#pragma once

#include <cstdint>

#include "swf/runtime/clip.h"

namespace velmora::swf {

class MovieInstance;

// The mouse on the stage: which button the pointer is over, the button states the renderer draws
// (up, over, down), the button actions and sounds of each transition, and the clips' mouse
// handlers. A button is hit where one of its hit-test records' boxes lies under the pointer; the
// topmost visible button wins.
//
// A movie clip acts as a button when it has press, release or roll handlers (on (release) placed
// with it, or an onRelease function a script gave it): it is hit anywhere within the box of its
// content, takes the pointer from whatever lies inside it, runs those handlers instead of button
// actions, and shows its frames labelled "_up", "_over" and "_down" if it has them.
//
// The transitions and the actions they run:
//   pointer comes over a button   IdleToOverUp        state over
//   pointer leaves it             OverUpToIdle        state up
//   press on it                   OverUpToOverDown    state down
//   release on it                 OverDownToOverUp    state over  (a click: most buttons act here)
//   release elsewhere             OverDownToIdle      state up
// Button actions run with the clip holding the button as their target.
class PointerInput {
public:
    // movie must outlive this object.
    explicit PointerInput(MovieInstance& movie) : movie_(movie) {}

    // The pointer is at (x, y) twips on the stage.
    void move(double xTwips, double yTwips);
    void press();
    void release();
    // The pointer left the movie's area.
    void leave();
    // Whether the pointer is over a button (a view shows a pointing hand then).
    bool overButton() const;

private:
    struct Hit {
        ClipHandle owner;
        DisplayObject* object = nullptr;
    };
    Hit findButton(double xTwips, double yTwips) const;
    DisplayObject* liveObject(const Hit& hit) const;
    void transition(const Hit& hit, uint16_t conditionBit, int soundIndex, ButtonState state);
    void clipTransition(Clip& clip, uint16_t conditionBit, ButtonState state);

    MovieInstance& movie_;
    Hit over_;
    bool pressed_ = false;
    double x_ = 0;
    double y_ = 0;
};

}  // namespace velmora::swf
