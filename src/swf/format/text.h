#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "swf/format/character.h"
#include "swf/format/geometry.h"

namespace velmora::swf {

struct TextGlyphEntry {
    uint32_t glyphIndex = 0;  // into the font's glyphs
    int32_t advance = 0;      // twips
};

// A text record changes only what it names; the rest carries over from the record before
// (the x position continues after the previous record's last advance).
struct TextRecord {
    std::optional<uint16_t> fontId;
    std::optional<Rgba> color;
    std::optional<int16_t> xOffset;  // twips, absolute within the text
    std::optional<int16_t> yOffset;  // twips, the baseline
    std::optional<uint16_t> height;  // twips, the em height; given together with fontId
    std::vector<TextGlyphEntry> glyphs;
};

// DefineText and DefineText2 (the latter with alpha in its colours).
struct TextCharacter : Character {
    explicit TextCharacter(uint16_t id) : Character(CharacterKind::Text, id) {}

    int version = 1;
    Rect bounds;
    Matrix matrix;
    std::vector<TextRecord> records;
};

// DefineEditText: a text field, static or dynamic.
struct EditTextCharacter : Character {
    explicit EditTextCharacter(uint16_t id) : Character(CharacterKind::EditText, id) {}

    enum class Align : uint8_t { Left = 0, Right = 1, Center = 2, Justify = 3 };

    Rect bounds;
    bool wordWrap = false;
    bool multiline = false;
    bool password = false;
    bool readOnly = false;
    bool autoSize = false;
    bool noSelect = false;
    bool border = false;
    // Scripts may give a background without a border, and colours to both; as the file places
    // a field, its border comes with a white background and a black frame.
    bool background = false;
    Rgba backgroundColor{255, 255, 255, 255};
    Rgba borderColor{0, 0, 0, 255};
    bool wasStatic = false;
    bool html = false;
    bool useOutlines = false;  // draw with the embedded glyphs of fontId
    std::optional<uint16_t> fontId;
    std::string fontClass;
    uint16_t fontHeight = 240;  // twips
    std::optional<Rgba> textColor;
    std::optional<uint16_t> maxLength;
    // Layout, present or defaulted.
    Align align = Align::Left;
    uint16_t leftMargin = 0;
    uint16_t rightMargin = 0;
    uint16_t indent = 0;
    int16_t leading = 0;
    // Given by scripts (TextField, TextFormat): how autoSize anchors the box as the text grows,
    // the characters typing may enter (empty: any), and the whole field's face (UTF-8; empty: the
    // field's font) and style.
    Align autoSizeAnchor = Align::Left;
    std::string restrictTo;
    std::string face;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    // Raw bytes as stored (see text_encoding.h): the bound variable and the initial text, which
    // is HTML when `html` is set.
    std::string variableName;
    std::string initialText;
};

}  // namespace velmora::swf
