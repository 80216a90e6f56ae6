#pragma once

#include <QPainter>
#include <string>

#include "swf/format/text.h"
#include "swf/render/render_resources.h"
#include "swf/render/text_geometry.h"
#include "swf/runtime/display_object.h"

namespace velmora::swf {

// Space between a text field's edge and its text, twips: fields keep two pixels clear on every
// side.
constexpr double kFieldGutter = 40.0;

// The outlines of a text field showing content (UTF-8; HTML when the field is an HTML field), in
// the field's twips, laid out in its bounds with its margins, indent, leading, alignment and
// wrapping.
TextGeometry buildFieldText(const EditTextCharacter& field, const std::string& content, RenderResources& resources);

// The laid-out text of a field showing content, from the cache (built on first need).
const TextGeometry& fieldGeometry(const EditTextCharacter& field, const std::string& content, RenderResources& resources);

// What a field on the stage shows: its own text once it has any (or is bound to a variable, or a
// user or script gave it text), its initial text before.
std::string shownFieldContent(const EditTextCharacter& field, const DisplayObject* object, uint8_t swfVersion);

// What the user sees of a field beside its text: how far it is scrolled and, while it has the
// focus, its selection and caret, and the text an input method is composing.
struct FieldView {
    const TextFieldState* state = nullptr;  // none: unscrolled, nothing selected
    bool focused = false;
    bool caret = false;  // draw the caret (a focused input field)
    bool caretHidden = false;  // the blinking caret is in its dark half
    // Composing text shown in the content at [preeditBegin, preeditEnd), underlined; the caret
    // then stands at preeditCaret instead of the state's.
    int32_t preeditBegin = 0;
    int32_t preeditEnd = 0;
    int32_t preeditCaret = 0;
};

// Paints a text field: its border and background when it has them, then its text (cached per
// content) scrolled as the view says, clipped to the field's bounds, with the view's selection
// and caret. The painter's transform maps the field's twips to device pixels.
void paintEditText(QPainter& painter, const EditTextCharacter& field, const std::string& content,
                   const ColorTransform& colorTransform, RenderResources& resources, const FieldView& view = {});

}  // namespace velmora::swf
