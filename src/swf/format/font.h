#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "swf/format/character.h"
#include "swf/format/shape.h"

namespace velmora::swf {

// One glyph outline: a shape with a single implied fill style (index 1) and no line styles.
// Coordinates are in the font's em square units (see FontCharacter::emSquare).
struct Glyph {
    std::vector<ShapeRecord> records;
    std::vector<ShapeStyleArrays> newStyles;  // a glyph has none, but a damaged one may bring some
    uint16_t code = 0;      // character code from the font's code table (DefineFont2/3, FontInfo)
    int16_t advance = 0;    // from the layout table, in em units; 0 without layout
    std::optional<Rect> bounds;
};

struct KerningPair {
    uint16_t left = 0;
    uint16_t right = 0;
    int16_t adjustment = 0;
};

struct AlignZone {
    float leftOrBottom[2] = {0, 0};
    float widthOrHeight[2] = {0, 0};
};

// DefineFont, DefineFont2, DefineFont3, completed by DefineFontInfo/DefineFontInfo2,
// DefineFontAlignZones and DefineFontName as the parser meets them.
struct FontCharacter : Character {
    explicit FontCharacter(uint16_t id) : Character(CharacterKind::Font, id) {}

    int version = 1;  // 1, 2 or 3
    // Raw bytes of the font's name as stored: UTF-8 from SWF 6 on, the authoring system's code
    // page before (see swf/format/text_encoding.h).
    std::string name;
    bool bold = false;
    bool italic = false;
    bool smallText = false;
    bool shiftJis = false;
    bool ansi = false;
    bool wideCodes = false;
    uint8_t languageCode = 0;
    // Glyph coordinates are in units of this em square: 1024 for DefineFont and DefineFont2,
    // 20480 for DefineFont3 (its glyphs are stored at 20 times the resolution).
    double emSquare = 1024.0;
    std::vector<Glyph> glyphs;
    bool hasLayout = false;
    int16_t ascent = 0;
    int16_t descent = 0;
    int16_t leading = 0;
    std::vector<KerningPair> kerning;
    uint8_t csmTableHint = 0;
    std::vector<AlignZone> alignZones;
    std::string copyright;  // DefineFontName
};

}  // namespace velmora::swf
