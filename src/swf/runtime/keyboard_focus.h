#pragma once

#include <optional>

#include "swf/format/geometry.h"

namespace velmora::swf {

class Clip;
class MovieInstance;
struct DisplayObject;

// Whether object, on holder's display list, shows on stage: it and every clip holding it visible.
bool shownOnStage(const Clip& holder, const DisplayObject& object);

// The box object, on holder's display list, covers on the stage (twips); nullopt for an object
// that shows nothing.
std::optional<Rect> stageBox(const Clip& holder, const DisplayObject& object);

// The box, in stage twips, of the focus rectangle the stage shows around the focused button or
// clip: only while the keyboard moved the focus there, the object shows, and neither its own
// _focusrect nor the global one is false. nullopt otherwise (text fields show their caret
// instead). Runs no script.
std::optional<Rect> focusRectangle(MovieInstance& movie);

// Whether Enter and Space would press what has the focus now: a button, or a clip in the role of
// one, that shows (see pressKey). A view keeps those keys from the window's own uses then.
bool focusTakesPress(MovieInstance& movie);

}  // namespace velmora::swf
