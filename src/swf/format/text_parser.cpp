#include "swf/format/character_parsers.h"

namespace velmora::swf {

std::shared_ptr<TextCharacter> parseDefineText(BitReader& in, int version, ParseContext& ctx) {
    auto text = std::make_shared<TextCharacter>(in.u16());
    text->version = version;
    text->bounds = in.rect();
    text->matrix = in.matrix();
    unsigned glyphBits = in.u8();
    unsigned advanceBits = in.u8();
    if (glyphBits > 32 || advanceBits > 32) throw MalformedData("a text's glyph or advance width is over 32 bits");
    for (;;) {
        uint8_t flags = in.u8();
        if (flags == 0) break;  // end of records
        if ((flags & 0x80) == 0) throw MalformedData("a text record has an unknown type");
        TextRecord record;
        bool hasFont = flags & 0x08;
        bool hasColor = flags & 0x04;
        bool hasY = flags & 0x02;
        bool hasX = flags & 0x01;
        if (hasFont) record.fontId = in.u16();
        if (hasColor) record.color = version >= 2 ? in.rgba() : in.rgb();
        if (hasX) record.xOffset = in.s16();
        if (hasY) record.yOffset = in.s16();
        if (hasFont) record.height = in.u16();
        uint8_t count = in.u8();
        // Glyph entries may be zero bits wide: a byte of file can stand for 255 of them.
        ctx.charge(sizeof(TextRecord) + count * sizeof(TextGlyphEntry));
        record.glyphs.resize(count);
        for (auto& glyph : record.glyphs) {
            glyph.glyphIndex = in.ub(glyphBits);
            glyph.advance = in.sb(advanceBits);
        }
        in.align();
        text->records.push_back(std::move(record));
    }
    return text;
}

std::shared_ptr<EditTextCharacter> parseDefineEditText(BitReader& in, ParseContext&) {
    auto edit = std::make_shared<EditTextCharacter>(in.u16());
    edit->bounds = in.rect();
    bool hasText = in.flag();
    edit->wordWrap = in.flag();
    edit->multiline = in.flag();
    edit->password = in.flag();
    edit->readOnly = in.flag();
    bool hasColor = in.flag();
    bool hasMaxLength = in.flag();
    bool hasFont = in.flag();
    bool hasFontClass = in.flag();
    edit->autoSize = in.flag();
    bool hasLayout = in.flag();
    edit->noSelect = in.flag();
    edit->border = in.flag();
    edit->background = edit->border;
    edit->wasStatic = in.flag();
    edit->html = in.flag();
    edit->useOutlines = in.flag();
    if (hasFont) edit->fontId = in.u16();
    if (hasFontClass) edit->fontClass = in.cString();
    if (hasFont || hasFontClass) edit->fontHeight = in.u16();
    if (hasColor) edit->textColor = in.rgba();
    if (hasMaxLength) edit->maxLength = in.u16();
    if (hasLayout) {
        uint8_t align = in.u8();
        if (align > 3) throw MalformedData("a text field has an unknown alignment");
        edit->align = static_cast<EditTextCharacter::Align>(align);
        edit->leftMargin = in.u16();
        edit->rightMargin = in.u16();
        edit->indent = in.u16();
        edit->leading = in.s16();
    }
    edit->variableName = in.cString();
    if (hasText) edit->initialText = in.cString();
    return edit;
}

}  // namespace velmora::swf
