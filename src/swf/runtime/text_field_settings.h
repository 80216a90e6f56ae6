#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "swf/format/text.h"
#include "swf/runtime/display_object.h"
#include "swf/runtime/text_field_measure.h"

namespace velmora::swf {

class MovieInstance;

// Text fields as scripts change them. A field's settings are its character's; a script that
// changes one gives the field a copy of the character with the change, so that the renderer,
// which reads characters, draws it as it is. Every function here takes an edit text on stage.

// The field's settings.
const EditTextCharacter& fieldSettings(const DisplayObject& field);
// Applies change to a copy of the field's settings and puts the copy in their place when it
// differs. Returns whether anything changed (the movie then repaints).
bool changeFieldSettings(MovieInstance& movie, DisplayObject& field,
                         const std::function<void(EditTextCharacter&)>& change);

// What the field shows: its content (UTF-8; HTML for HTML fields). A field nothing has given
// content yet shows its initial text; fieldContent gives that too.
std::string fieldContent(const MovieInstance& movie, const DisplayObject& field);
// The field's text without markup: HTML fields' tags dropped, entities decoded, paragraphs
// ended by "\r".
std::string fieldPlainText(const MovieInstance& movie, const DisplayObject& field);
// Gives a field just placed its initial text as its content (bound fields wait for their
// variable).
void seedFieldText(const MovieInstance& movie, DisplayObject& field);
// Gives the field content (HTML for HTML fields), then fits its box when it sizes itself.
void setFieldContent(MovieInstance& movie, DisplayObject& field, std::string content);

// The field's text laid out as the renderer lays it out (estimated when the movie has no
// renderer's measure).
TextFieldLayout measureField(MovieInstance& movie, const DisplayObject& field);
// The last line that may be first in view (scroll's upper bound), counted from 1.
int32_t maxScroll(const EditTextCharacter& settings, const TextFieldLayout& layout);
// The last line wholly in view while line `scroll` is the first.
int32_t bottomScroll(const EditTextCharacter& settings, const TextFieldLayout& layout, int32_t scroll);
// Pixels the text may scroll to the left (0 for wrapped text).
int32_t maxHScroll(const EditTextCharacter& settings, const TextFieldLayout& layout);
// A field that sizes itself (autoSize) takes its text's size, anchored as it asks; others are
// left alone.
void fitAutoSize(MovieInstance& movie, DisplayObject& field);

// The clip whose display list (at any depth below root) holds field, or nullptr.
Clip* clipHoldingField(Clip& root, const DisplayObject& field);

// HTML text of plain text: &, < and > escaped.
std::string escapeHtml(std::string_view text);
// Plain text of HTML: tags dropped, entities decoded, <br> and the end of each <p> as "\r".
std::string htmlToPlain(std::string_view html);
// UTF-16 units of UTF-8 text, as scripts count text.
int32_t utf16Length(std::string_view text);

}  // namespace velmora::swf
