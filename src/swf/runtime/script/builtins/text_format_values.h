#pragma once

#include "swf/runtime/script/native.h"

namespace velmora::swf {
struct DisplayObject;
struct EditTextCharacter;
class MovieInstance;
struct Movie;
}

namespace velmora::swf::script {

class TextFieldObject;

// TextFormat: the look of a field's text, as TextField's format methods give and take it.

// The face a field draws with when no script named one: its font's name in the dictionary of the
// movie that defines the field (a loaded movie has its own), else the player's default.
std::string fieldFaceName(const Movie& definitions, const EditTextCharacter& settings);
// A new TextFormat holding the field's settings (sizes in pixels, colour as 0xRRGGBB); the field
// is defined by `definitions`.
Value textFormatOfField(CallContext& cx, const DisplayObject& field, const Movie& definitions);
// Gives the field the format's settings that are set (null and undefined ones leave the field's
// as they are). Settings the renderer cannot show (bullets, tab stops, links) are reported as
// unsupported by name.
// With paragraphOnly, only the settings that belong to whole paragraphs (align, margins,
// indent, leading) are given; the look of characters is left to the field's runs.
void applyTextFormat(CallContext& cx, TextFieldObject& field, const Value& format, bool paragraphOnly = false);
// TextField.prototype's setTextFormat([begin, [end,]] format), getTextFormat([begin, [end]]),
// setNewTextFormat(format) and getNewTextFormat().
Value fieldSetTextFormat(CallContext& cx, const Value& self, std::span<const Value> args);
Value fieldGetTextFormat(CallContext& cx, const Value& self, std::span<const Value> args);
Value fieldSetNewTextFormat(CallContext& cx, const Value& self, std::span<const Value> args);
Value fieldGetNewTextFormat(CallContext& cx, const Value& self, std::span<const Value> args);
// Installs TextFormat on _global; called by installTextField.
void installTextFormat(Vm& vm);

}  // namespace velmora::swf::script
