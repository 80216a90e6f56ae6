#pragma once

#include <string>
#include <vector>

#include "swf/format/text.h"

namespace velmora::swf {

// A text field's text as laid out for drawing, twips.
struct TextFieldLayout {
    struct Line {
        double top = 0.0;     // from the top of the text (the field's top edge plus its gutter)
        double bottom = 0.0;
        double width = 0.0;   // of what the line shows
    };
    std::vector<Line> lines;  // at least one: an empty field still has its first line
    double textWidth = 0.0;   // the widest line
    double textHeight = 0.0;  // from the first line's top to the last one's bottom
};

// What scripts' text fields need from the renderer, which the runtime cannot reach itself: the
// layout the field's text gets when it is drawn (fonts, wrapping, margins), so that textWidth,
// maxscroll and autoSize agree with what the user sees. The host that plays the movie gives one to
// its MovieInstance (see MovieInstance::Options::textMeasure); without one the runtime estimates
// from the font size.
class TextFieldMeasure {
public:
    virtual ~TextFieldMeasure() = default;
    // Lays out content (UTF-8; HTML when field.html) in field.
    virtual TextFieldLayout measure(const EditTextCharacter& field, const std::string& content) = 0;
};

}  // namespace velmora::swf
