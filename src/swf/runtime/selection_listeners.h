#pragma once

#include "swf/runtime/script/value.h"

namespace velmora::swf {

class MovieInstance;

// What holds the keyboard focus as scripts see it: the focused text field's object, else the
// focused clip's, else the focused button's, else null (also for a movie that runs no scripts).
script::Value focusedObject(MovieInstance& movie);

// Tells the listeners of the Selection object (Selection.addListener) that the focus moved:
// onSetFocus(before, now), now being what focusedObject answers after the move. Nothing is said
// when the focus stayed where it was, or when a script replaced Selection or its broadcaster.
// before must be kept reachable by the caller while this runs the listeners.
void tellSelectionListeners(MovieInstance& movie, const script::Value& before);

}  // namespace velmora::swf
