#include "swf/render/field_glyph_source.h"

#include <QFontMetricsF>
#include <QTransform>

#include "swf/format/text_encoding.h"
#include "swf/render/device_fonts.h"

namespace velmora::swf {
namespace {

// Font names are stored with a terminating NUL by some tools.
std::string cleanName(std::string name) {
    while (!name.empty() && name.back() == '\0') name.pop_back();
    return name;
}

}  // namespace

FieldGlyphSource::FieldGlyphSource(const EditTextCharacter& field, RenderResources& resources)
    : field_(field), resources_(resources) {
    if (field.fontId) {
        const Character* c = resources.character(*field.fontId);
        if (c && c->kind == CharacterKind::Font) {
            fieldFont_ = static_cast<const FontCharacter*>(c);
            fieldFontName_ = cleanName(toUtf8(fieldFont_->name, resources.swfVersion()));
        } else {
            resources.warnings.add("text field " + std::to_string(field.id) + ": font " +
                                   std::to_string(*field.fontId) + " is missing: an installed font is used");
        }
    }
    if (field.useOutlines && resources.movie()) {
        for (const auto& [id, character] : resources.movie()->dictionary) {
            if (character->kind != CharacterKind::Font) continue;
            const auto* font = static_cast<const FontCharacter*>(character.get());
            if (font->glyphs.empty()) continue;
            byName_.emplace(cleanName(toUtf8(font->name, resources.swfVersion())), font);
        }
    }
}

const FontCharacter* FieldGlyphSource::embeddedFor(const TextFormat& format) {
    if (!field_.useOutlines) return nullptr;
    if (format.face.empty() || format.face == fieldFontName_) {
        if (fieldFont_ && !fieldFont_->glyphs.empty()) return fieldFont_;
    }
    auto it = byName_.find(format.face.empty() ? fieldFontName_ : format.face);
    return it == byName_.end() ? nullptr : it->second;
}

std::optional<size_t> FieldGlyphSource::embeddedGlyph(const FontCharacter* font, char32_t c) {
    if (!font || font->emSquare <= 0) return std::nullopt;
    return resources_.glyphs.glyphForCode(*font, c);
}

QFont FieldGlyphSource::deviceFontFor(const TextFormat& format) {
    const std::string& face = format.face.empty() ? fieldFontName_ : format.face;
    const bool bold = format.bold || (fieldFont_ && fieldFont_->bold && format.face.empty());
    const bool italic = format.italic || (fieldFont_ && fieldFont_->italic && format.face.empty());
    return deviceFont(face.empty() ? "_sans" : face, GlyphCache::kDevicePixelSize, bold, italic);
}

GlyphSource::Metrics FieldGlyphSource::metrics(const TextFormat& format) {
    const FontCharacter* font = embeddedFor(format);
    if (font && font->hasLayout && font->emSquare > 0 && font->ascent + font->descent > 0) {
        const double scale = format.size / font->emSquare;
        return {font->ascent * scale, font->descent * scale};
    }
    const QFontMetricsF fm(deviceFontFor(format));
    const double scale = format.size / GlyphCache::kDevicePixelSize;
    return {fm.ascent() * scale, fm.descent() * scale};
}

double FieldGlyphSource::advance(char32_t c, const TextFormat& format) {
    const FontCharacter* font = embeddedFor(format);
    if (auto index = embeddedGlyph(font, c)) {
        const Glyph& glyph = font->glyphs[*index];
        const double scale = format.size / font->emSquare;
        if (font->hasLayout) return glyph.advance * scale;
        // Without a layout table the glyph's own width, and a little air, has to do.
        const QPainterPath* path = resources_.glyphs.glyph(*font, *index);
        return path ? (path->boundingRect().right() + font->emSquare / 16.0) * scale : 0.0;
    }
    const double scale = format.size / GlyphCache::kDevicePixelSize;
    return resources_.glyphs.deviceGlyph(deviceFontFor(format), c).advance * scale;
}

double FieldGlyphSource::kerning(char32_t left, char32_t right, const TextFormat& format) {
    const FontCharacter* font = embeddedFor(format);
    const auto l = embeddedGlyph(font, left);
    const auto r = embeddedGlyph(font, right);
    if (l || r) {
        if (!l || !r || !font->hasLayout || font->kerning.empty()) return 0.0;
        auto [table, made] = kerningTables_.try_emplace(font);
        if (made) {
            // The first entry for a pair counts, should a damaged table repeat it.
            for (const KerningPair& pair : font->kerning)
                table->second.try_emplace(uint32_t(pair.left) << 16 | pair.right, pair.adjustment);
        }
        const auto it = table->second.find(uint32_t(font->glyphs[*l].code) << 16 | font->glyphs[*r].code);
        return it == table->second.end() ? 0.0 : it->second * format.size / font->emSquare;
    }
    const bool bold = format.bold || (fieldFont_ && fieldFont_->bold && format.face.empty());
    const bool italic = format.italic || (fieldFont_ && fieldFont_->italic && format.face.empty());
    auto [pair, made] = devicePairs_.try_emplace({format.face, bold, italic, left, right}, 0.0);
    if (made) {
        // What Qt sets the two characters apart by together, beyond their own advances.
        const QFontMetricsF fm(deviceFontFor(format));
        const QString a = QString::fromUcs4(&left, 1);
        const QString b = QString::fromUcs4(&right, 1);
        pair->second = fm.horizontalAdvance(a + b) - fm.horizontalAdvance(a) - fm.horizontalAdvance(b);
    }
    return pair->second * format.size / GlyphCache::kDevicePixelSize;
}

QPainterPath FieldGlyphSource::outline(char32_t c, const TextFormat& format) {
    const GlyphOutline g = glyph(c, format);
    return QTransform::fromScale(g.scale, g.scale).map(g.path);
}

GlyphSource::GlyphOutline FieldGlyphSource::glyph(char32_t c, const TextFormat& format) {
    const FontCharacter* font = embeddedFor(format);
    if (auto index = embeddedGlyph(font, c)) {
        const QPainterPath* path = resources_.glyphs.glyph(*font, *index);
        if (!path) return {};
        return {*path, format.size / font->emSquare, GlyphId{font, *index}};
    }
    const QFont device = deviceFontFor(format);
    const GlyphCache::DeviceGlyph& glyph = resources_.glyphs.deviceGlyph(device, c);
    return {glyph.path, format.size / GlyphCache::kDevicePixelSize, resources_.glyphs.deviceGlyphId(device, c)};
}

}  // namespace velmora::swf
