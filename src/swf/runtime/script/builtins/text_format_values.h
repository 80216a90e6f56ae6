#pragma once

#include "swf/runtime/script/native.h"

namespace velmora::swf {
struct DisplayObject;
}

namespace velmora::swf::script {

class TextFieldObject;

// TextFormat: the look of a field's text, as TextField's format methods give and take it.

// A new TextFormat holding the field's settings (sizes in pixels, colour as 0xRRGGBB).
Value textFormatOfField(CallContext& cx, const DisplayObject& field);
// Gives the field the format's settings that are set (null and undefined ones leave the field's
// as they are). Settings the renderer cannot show (bullets, tab stops, links) are reported as
// unsupported by name.
void applyTextFormat(CallContext& cx, TextFieldObject& field, const Value& format);
// Installs TextFormat on _global; called by installTextField.
void installTextFormat(Vm& vm);

}  // namespace velmora::swf::script
