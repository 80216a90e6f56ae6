#pragma once

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <unordered_map>

#include "swf/format/font.h"
#include "swf/format/text.h"
#include "swf/render/render_resources.h"
#include "swf/render/text_layout.h"

namespace velmora::swf {

// The fonts of one text field: a run whose face is the field's own embedded font, or another font
// of the movie embedded under that name, is drawn with the embedded glyphs when the field uses
// outlines; everything else, and any character an embedded font lacks, with the installed family
// that stands in for the face (see device_fonts.h).
class FieldGlyphSource : public GlyphSource {
public:
    FieldGlyphSource(const EditTextCharacter& field, RenderResources& resources);

    Metrics metrics(const TextFormat& format) override;
    double advance(char32_t c, const TextFormat& format) override;
    // An embedded font's pair from its kerning table; an installed font's as Qt kerns it. A pair
    // of one embedded and one installed glyph is not kerned.
    double kerning(char32_t left, char32_t right, const TextFormat& format) override;
    QPainterPath outline(char32_t c, const TextFormat& format) override;
    GlyphOutline glyph(char32_t c, const TextFormat& format) override;

    // The name of the field's own font (UTF-8), empty when it has none.
    const std::string& fieldFontName() const { return fieldFontName_; }

private:
    const FontCharacter* embeddedFor(const TextFormat& format);
    std::optional<size_t> embeddedGlyph(const FontCharacter* font, char32_t c);
    QFont deviceFontFor(const TextFormat& format);

    const EditTextCharacter& field_;
    RenderResources& resources_;
    const FontCharacter* fieldFont_ = nullptr;
    std::string fieldFontName_;
    std::map<std::string, const FontCharacter*> byName_;
    // Embedded fonts' kerning tables by the pair of glyph codes (left << 16 | right), made when
    // first asked; installed fonts' pairs as measured, by face, style and characters.
    std::map<const FontCharacter*, std::unordered_map<uint32_t, int16_t>> kerningTables_;
    std::map<std::tuple<std::string, bool, bool, char32_t, char32_t>, double> devicePairs_;
};

}  // namespace velmora::swf
