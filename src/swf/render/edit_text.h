#pragma once

#include <QPainter>
#include <string>

#include "swf/format/text.h"
#include "swf/render/render_resources.h"
#include "swf/render/text_geometry.h"

namespace velmora::swf {

// Space between a text field's edge and its text, twips: fields keep two pixels clear on every
// side.
constexpr double kFieldGutter = 40.0;

// The outlines of a text field showing content (UTF-8; HTML when the field is an HTML field), in
// the field's twips, laid out in its bounds with its margins, indent, leading, alignment and
// wrapping.
TextGeometry buildFieldText(const EditTextCharacter& field, const std::string& content, RenderResources& resources);

// Paints a text field: its border and background when it has them, then its text (cached per
// content), clipped to the field's bounds. The painter's transform maps the field's twips to
// device pixels.
void paintEditText(QPainter& painter, const EditTextCharacter& field, const std::string& content,
                   const ColorTransform& colorTransform, RenderResources& resources);

}  // namespace velmora::swf
