#pragma once

#include <QPainterPath>
#include <vector>

#include "swf/render/html_text.h"
#include "swf/render/text_geometry.h"

namespace velmora::swf {

// What text layout needs from fonts: metrics and outlines of single characters in a format, in
// twips. Implementations resolve the format's face to an embedded or an installed font.
class GlyphSource {
public:
    virtual ~GlyphSource() = default;
    struct Metrics {
        double ascent = 0.0;
        double descent = 0.0;
    };
    virtual Metrics metrics(const TextFormat& format) = 0;
    virtual double advance(char32_t c, const TextFormat& format) = 0;
    // What the font's kerning adds to left's advance when right follows it in this format, twips
    // (negative draws them closer). Layout asks only where the format has kerning on.
    virtual double kerning(char32_t /*left*/, char32_t /*right*/, const TextFormat& /*format*/) { return 0.0; }
    // The outline with its origin on the baseline at the character's start.
    virtual QPainterPath outline(char32_t c, const TextFormat& format) = 0;

    // The same outline as a glyph that can be drawn from a picture made once: in the font's own
    // units, with the twips per unit at this format's size and the glyph's name. Sources that
    // cannot name their glyphs give the outline with a null id.
    struct GlyphOutline {
        QPainterPath path;
        double scale = 1.0;
        GlyphId id;
    };
    virtual GlyphOutline glyph(char32_t c, const TextFormat& format) { return {outline(c, format), 1.0, {}}; }
};

// The field's paragraph settings; a paragraph's own (TextParagraph) stand in for them.
struct TextLayoutOptions {
    double width = 0.0;  // of the text box inside the field's gutter, twips
    bool wordWrap = false;
    double leftMargin = 0.0;
    double rightMargin = 0.0;
    double indent = 0.0;   // first line of each paragraph
    double leading = 0.0;  // extra space between lines, may be negative
    double top = 0.0;      // y of the top of the first line
};

// Lays paragraphs out into lines and makes them into outlines. Lines break at spaces, and
// between CJK characters, which need no spaces; a word longer than a line is broken where it
// overflows. Without wordWrap each paragraph is one line, cut off by the field. Spaces at the end
// of a line do not count for its alignment; justified lines widen the spaces between their words
// to fill the line, except the last line of a paragraph, which is set flush left. Underlines are drawn as part of the outline in the run's colour.
// Where kerning is on, a pair of characters in the same font moves by the font's adjustment, for
// breaking, measuring and drawing alike.
TextGeometry layoutText(const std::vector<TextParagraph>& paragraphs, const TextLayoutOptions& options,
                        GlyphSource& glyphs);

// True for characters between which a line may break without a space: CJK ideographs, kana,
// hangul and full-width forms.
bool breaksAnywhere(char32_t c);

}  // namespace velmora::swf
