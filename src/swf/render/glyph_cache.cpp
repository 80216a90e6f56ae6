#include "swf/render/glyph_cache.h"

#include <QFontMetricsF>

#include "swf/render/shape_path_builder.h"

namespace velmora::swf {

const QPainterPath* GlyphCache::glyph(const FontCharacter& font, size_t index) {
    if (index >= font.glyphs.size()) return nullptr;
    FontEntry& entry = fonts_[&font];
    if (entry.paths.size() != font.glyphs.size()) entry.paths.resize(font.glyphs.size());
    std::optional<QPainterPath>& path = entry.paths[index];
    if (!path) path = buildGlyphPath(font.glyphs[index].records, font.glyphs[index].newStyles);
    return &*path;
}

std::optional<size_t> GlyphCache::glyphForCode(const FontCharacter& font, char32_t code) {
    FontEntry& entry = fonts_[&font];
    if (!entry.codesBuilt) {
        // The first glyph of a code wins, as fonts with duplicate codes were drawn that way.
        for (size_t i = 0; i < font.glyphs.size(); ++i) entry.byCode.emplace(font.glyphs[i].code, i);
        entry.codesBuilt = true;
    }
    auto it = entry.byCode.find(code);
    if (it == entry.byCode.end()) return std::nullopt;
    return it->second;
}

const GlyphCache::DeviceGlyph& GlyphCache::deviceGlyph(const QFont& font, char32_t code) {
    const QString text = QString::fromUcs4(&code, 1);
    const QString key = font.key() + QChar(0) + text;
    auto it = device_.find(key);
    if (it != device_.end()) return it.value();
    if (size_t(device_.size()) >= kMaxDeviceGlyphs) device_.clear();
    DeviceGlyph glyph;
    glyph.path.addText(0, 0, font, text);
    // Installed fonts draw their strokes as contours that cross one another (most Chinese fonts
    // do), meant to be filled by winding; even-odd, the path's default, leaves holes where they
    // cross.
    glyph.path.setFillRule(Qt::WindingFill);
    glyph.advance = QFontMetricsF(font).horizontalAdvance(text);
    return device_.insert(key, glyph).value();
}

GlyphId GlyphCache::deviceGlyphId(const QFont& font, char32_t code) {
    const QString key = font.key();
    auto it = deviceFontNumbers_.find(key);
    if (it == deviceFontNumbers_.end()) it = deviceFontNumbers_.insert(key, uint32_t(deviceFontNumbers_.size()));
    return GlyphId{this, (uint64_t(it.value()) << 32) | code};
}

void GlyphCache::clear() {
    fonts_.clear();
    device_.clear();
}

}  // namespace velmora::swf
