#include <algorithm>
#include <cmath>

#include "swf/format/character_parsers.h"
#include "swf/format/shape_record_parser.h"

namespace velmora::swf {

namespace {

// Glyph outlines are SHAPEs: index widths, then records, with one implied fill and no lines.
void readGlyph(std::span<const uint8_t> bytes, Glyph& glyph, ParseContext& ctx) {
    if (bytes.empty()) return;  // a space: no outline at all
    BitReader in(bytes);
    uint32_t fillBits = in.ub(4);
    uint32_t lineBits = in.ub(4);
    parseShapeRecords(in, 1, fillBits, lineBits, ctx, glyph.records, &glyph.newStyles);
}

// Reads the glyph offset table at the reader's position and the outlines it points to. Offsets
// count from the table's start; each glyph runs to the next one's offset, the last to `end`
// (relative to the table too): the code table's offset for DefineFont2/3, the end of the tag for
// DefineFont. Leaves the reader at that end and codeTableOffset set to it.
void readGlyphTable(BitReader& in, size_t glyphCount, bool wideOffsets, bool withCodeTableOffset,
                    std::vector<Glyph>& glyphs, uint32_t& codeTableOffset, ParseContext& ctx) {
    size_t tableStart = in.position();
    std::span<const uint8_t> table = in.bytes().subspan(tableStart);
    size_t entry = wideOffsets ? 4 : 2;
    if ((glyphCount + (withCodeTableOffset ? 1 : 0)) * entry > table.size()) {
        throw MalformedData("a font's offset table is cut short");
    }
    std::vector<uint32_t> offsets(glyphCount);
    for (auto& o : offsets) o = wideOffsets ? in.u32() : in.u16();
    codeTableOffset = static_cast<uint32_t>(table.size());
    if (withCodeTableOffset) codeTableOffset = wideOffsets ? in.u32() : in.u16();
    size_t tableEnd = (glyphCount + (withCodeTableOffset ? 1 : 0)) * entry;
    if (codeTableOffset < tableEnd || codeTableOffset > table.size()) {
        throw MalformedData("a font's code table offset points outside the tag");
    }
    ctx.charge(glyphCount * sizeof(Glyph));
    glyphs.resize(glyphCount);
    for (size_t i = 0; i < glyphCount; ++i) {
        size_t from = offsets[i];
        size_t to = i + 1 < glyphCount ? offsets[i + 1] : codeTableOffset;
        if (from < tableEnd || from > to || to > codeTableOffset) {
            throw MalformedData("a font's glyph offsets point outside its glyph table");
        }
        readGlyph(table.subspan(from, to - from), glyphs[i], ctx);
    }
    // Leave the reader at the code table.
    in.skip(codeTableOffset - (in.position() - tableStart));
}

float half(uint16_t h) {
    int exponent = (h >> 10) & 0x1F;
    int mantissa = h & 0x3FF;
    float value;
    if (exponent == 0) value = std::ldexp(static_cast<float>(mantissa), -24);
    else if (exponent == 31) value = mantissa ? NAN : INFINITY;
    else value = std::ldexp(static_cast<float>(mantissa | 0x400), exponent - 25);
    return (h & 0x8000) ? -value : value;
}

}  // namespace

std::shared_ptr<FontCharacter> parseDefineFont(BitReader& in, int version, ParseContext& ctx) {
    auto font = std::make_shared<FontCharacter>(in.u16());
    font->version = version;
    if (version == 1) {
        if (in.atEnd()) return font;  // a device font reference with no outlines
        // The first offset also says how long the table is: it points just past it.
        if (in.remaining() < 2) throw MalformedData("a font's offset table is cut short");
        size_t first = in.bytes()[in.position()] | (in.bytes()[in.position() + 1] << 8);
        if (first % 2 != 0 || first == 0) throw MalformedData("a font's offset table has an odd length");
        uint32_t unused;
        readGlyphTable(in, first / 2, false, false, font->glyphs, unused, ctx);
        return font;
    }

    bool hasLayout = in.flag();
    font->shiftJis = in.flag();
    font->smallText = in.flag();
    font->ansi = in.flag();
    bool wideOffsets = in.flag();
    font->wideCodes = in.flag();
    font->italic = in.flag();
    font->bold = in.flag();
    font->languageCode = in.u8();
    auto name = in.take(in.u8());
    font->name.assign(name.begin(), name.end());
    // Names are stored with their terminating zero counted in the length.
    while (!font->name.empty() && font->name.back() == '\0') font->name.pop_back();
    if (version == 3) font->emSquare = 20480.0;

    uint16_t glyphCount = in.u16();
    // A device font with no glyphs may end here or carry a code table offset; with nothing to
    // point at, authoring tools write any value there (0 is common), so it is not checked.
    uint32_t codeTableOffset = 0;
    if (glyphCount == 0) {
        in.skip(std::min<size_t>(in.remaining(), wideOffsets ? 4 : 2));
    } else {
        readGlyphTable(in, glyphCount, wideOffsets, true, font->glyphs, codeTableOffset, ctx);
    }
    for (auto& glyph : font->glyphs) glyph.code = font->wideCodes ? in.u16() : in.u8();
    if (!hasLayout) return font;
    font->hasLayout = true;
    font->ascent = in.s16();
    font->descent = in.s16();
    font->leading = in.s16();
    for (auto& glyph : font->glyphs) glyph.advance = in.s16();
    for (auto& glyph : font->glyphs) glyph.bounds = in.rect();
    uint16_t kerningCount = in.u16();
    if (kerningCount * (font->wideCodes ? 6u : 4u) > in.remaining()) {
        throw MalformedData("a font's kerning table is cut short");
    }
    ctx.charge(kerningCount * sizeof(KerningPair));
    font->kerning.resize(kerningCount);
    for (auto& pair : font->kerning) {
        pair.left = font->wideCodes ? in.u16() : in.u8();
        pair.right = font->wideCodes ? in.u16() : in.u8();
        pair.adjustment = in.s16();
    }
    return font;
}

void parseDefineFontInfo(BitReader& in, int version, ParseContext& ctx) {
    uint16_t fontId = in.u16();
    FontCharacter* font = ctx.font(fontId);
    if (font == nullptr) {
        ctx.warn("DefineFontInfo names font " + std::to_string(fontId) + ", which is not defined");
        return;
    }
    auto name = in.take(in.u8());
    std::string fontName(name.begin(), name.end());
    while (!fontName.empty() && fontName.back() == '\0') fontName.pop_back();
    in.ub(2);
    bool smallText = in.flag();
    bool shiftJis = in.flag();
    bool ansi = in.flag();
    bool italic = in.flag();
    bool bold = in.flag();
    bool wideCodes = in.flag();
    uint8_t language = version == 2 ? in.u8() : 0;
    if (version == 2) wideCodes = true;  // always 16-bit codes
    size_t needed = font->glyphs.size() * (wideCodes ? 2 : 1);
    if (needed > in.remaining()) throw MalformedData("a font info's code table is shorter than the font");
    // Read everything before touching the font, so a damaged tag leaves it as it was.
    std::vector<uint16_t> codes(font->glyphs.size());
    for (auto& code : codes) code = wideCodes ? in.u16() : in.u8();
    font->name = std::move(fontName);
    font->smallText = smallText;
    font->shiftJis = shiftJis;
    font->ansi = ansi;
    font->italic = italic;
    font->bold = bold;
    font->wideCodes = wideCodes;
    font->languageCode = language;
    for (size_t i = 0; i < codes.size(); ++i) font->glyphs[i].code = codes[i];
}

void parseDefineFontAlignZones(BitReader& in, ParseContext& ctx) {
    uint16_t fontId = in.u16();
    FontCharacter* font = ctx.font(fontId);
    if (font == nullptr) {
        ctx.warn("DefineFontAlignZones names font " + std::to_string(fontId) + ", which is not defined");
        return;
    }
    uint8_t hint = static_cast<uint8_t>(in.ub(2));
    in.align();
    std::vector<AlignZone> zones;
    while (!in.atEnd() && zones.size() < font->glyphs.size()) {
        AlignZone zone;
        uint8_t count = in.u8();
        for (uint8_t i = 0; i < count; ++i) {
            float position = half(in.u16());
            float range = half(in.u16());
            if (i < 2) {
                zone.leftOrBottom[i] = position;
                zone.widthOrHeight[i] = range;
            }
        }
        in.u8();  // which of the two axes the zone masks
        zones.push_back(zone);
    }
    font->csmTableHint = hint;
    font->alignZones = std::move(zones);
}

void parseDefineFontName(BitReader& in, ParseContext& ctx) {
    uint16_t fontId = in.u16();
    FontCharacter* font = ctx.font(fontId);
    if (font == nullptr) {
        ctx.warn("DefineFontName names font " + std::to_string(fontId) + ", which is not defined");
        return;
    }
    std::string name = in.cString();
    std::string copyright = in.cString();
    if (font->name.empty()) font->name = std::move(name);
    font->copyright = std::move(copyright);
}

}  // namespace velmora::swf
