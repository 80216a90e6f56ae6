#include "swf/render/field_text_measure.h"

#include <algorithm>

#include "swf/render/edit_text.h"

namespace velmora::swf {

FieldTextMeasure::FieldTextMeasure(std::shared_ptr<const Movie> movie) { resources_.setMovie(std::move(movie)); }

TextFieldLayout FieldTextMeasure::measure(const EditTextCharacter& field, const std::string& content) {
    const TextGeometry geometry = buildFieldText(field, content, resources_);
    TextFieldLayout layout;
    // Lines are laid out from the top of the field's text box; scripts count from there.
    const double top = field.bounds.yMin + kFieldGutter;
    for (const TextGeometry::Line& line : geometry.lines) {
        layout.lines.push_back({line.top - top, line.bottom - top, line.width});
        layout.textWidth = std::max(layout.textWidth, line.width);
    }
    if (layout.lines.empty()) layout.lines.push_back({});
    layout.textHeight = layout.lines.back().bottom - layout.lines.front().top;
    return layout;
}

}  // namespace velmora::swf
