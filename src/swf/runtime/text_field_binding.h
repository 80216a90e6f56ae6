#pragma once

namespace velmora::swf {

class Clip;

// Dynamic text fields bound to a variable (DefineEditText's variable name) show the variable's
// value. A field whose variable is still undefined when it is first seen gives the variable its
// initial text, as authors expect of an input or counter field. Variable names may carry a path:
// "score", "/:score", "_root.score", "panel/score:value". Walks clip and everything inside it.
void syncBoundTextFields(Clip& clip);

struct DisplayObject;

// The other way: a field on holder's display list whose text a script or the user changed gives
// its bound variable that text (its HTML for HTML fields). Nothing for unbound fields.
void writeBoundVariable(Clip& holder, DisplayObject& field);
// A script has just bound field (on holder's display list) to its variable: a variable that is
// set gives the field its text; one that is not takes the field's.
void bindField(Clip& holder, DisplayObject& field);

}  // namespace velmora::swf
