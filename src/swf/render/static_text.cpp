#include "swf/render/static_text.h"

#include "swf/format/font.h"

namespace velmora::swf {

TextGeometry buildStaticText(const TextCharacter& text, RenderResources& resources) {
    TextGeometry geometry;
    const FontCharacter* font = nullptr;
    bool fontNamed = false;
    Rgba color;
    double x = 0.0;
    double y = 0.0;
    double height = 0.0;
    const std::string where = "text " + std::to_string(text.id) + ": ";
    for (const TextRecord& record : text.records) {
        if (record.fontId) {
            fontNamed = true;
            const Character* c = resources.character(*record.fontId);
            font = c && c->kind == CharacterKind::Font ? static_cast<const FontCharacter*>(c) : nullptr;
            if (!font)
                resources.warnings.add(where + "font " + std::to_string(*record.fontId) +
                                       " is missing: its glyphs are not drawn");
        }
        if (record.color) color = *record.color;
        if (record.xOffset) x = *record.xOffset;
        if (record.yOffset) y = *record.yOffset;
        if (record.height) height = *record.height;
        for (const TextGlyphEntry& entry : record.glyphs) {
            const QPainterPath* path = font ? resources.glyphs.glyph(*font, entry.glyphIndex) : nullptr;
            if (font && !path)
                resources.warnings.add(where + "glyph " + std::to_string(entry.glyphIndex) + " is past the end of font " +
                                       std::to_string(font->id));
            else if (!fontNamed)
                resources.warnings.add(where + "glyphs come before any font: not drawn");
            if (path && font->emSquare > 0) {
                geometry.addGlyph(GlyphId{font, entry.glyphIndex}, *path, height / font->emSquare, QPointF(x, y),
                                  color);
            }
            x += entry.advance;
        }
    }
    return geometry;
}

}  // namespace velmora::swf
