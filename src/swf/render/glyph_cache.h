#pragma once

#include <QFont>
#include <QHash>
#include <QPainterPath>
#include <map>
#include <optional>
#include <unordered_map>
#include <vector>

#include "swf/format/font.h"
#include "swf/render/glyph_mask_cache.h"

namespace velmora::swf {

// Glyph outlines, built once and reused: the embedded glyphs of a movie's fonts (in em-square
// units) and the glyphs of installed fonts that stand in for fonts a movie does not embed (at
// kDevicePixelSize). Fonts are held by pointer: they must outlive the cache or it must be cleared.
class GlyphCache {
public:
    // Device glyphs are taken at this pixel size and scaled; large enough that hinting and
    // rounding to whole pixels do not show at any size a lesson uses.
    static constexpr int kDevicePixelSize = 512;
    static constexpr size_t kMaxDeviceGlyphs = 20000;

    // The outline of glyph index of font, or nullptr when the font has no such glyph.
    const QPainterPath* glyph(const FontCharacter& font, size_t index);

    // The index of the glyph that the font's code table gives for code, or nullopt.
    std::optional<size_t> glyphForCode(const FontCharacter& font, char32_t code);

    struct DeviceGlyph {
        QPainterPath path;  // baseline origin, y down, at kDevicePixelSize
        double advance = 0.0;
    };
    // The outline and advance of one character in a font set to kDevicePixelSize, with the font's
    // fallbacks for characters it lacks.
    const DeviceGlyph& deviceGlyph(const QFont& font, char32_t code);
    // The name under which pictures of that glyph are kept (see glyph_mask_cache.h). Names stay
    // the same for the life of the cache, clear() included.
    GlyphId deviceGlyphId(const QFont& font, char32_t code);

    void clear();

private:
    struct FontEntry {
        std::vector<std::optional<QPainterPath>> paths;
        std::unordered_map<char32_t, size_t> byCode;
        bool codesBuilt = false;
    };
    std::map<const FontCharacter*, FontEntry> fonts_;
    QHash<QString, DeviceGlyph> device_;
    QHash<QString, uint32_t> deviceFontNumbers_;  // by QFont::key()
};

}  // namespace velmora::swf
