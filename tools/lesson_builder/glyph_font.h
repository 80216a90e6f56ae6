#pragma once

#include <QRawFont>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "support/swf_writer.h"

namespace velmora::lessons {

// An embedded font as an authoring tool writes one: the outlines of exactly the characters a
// movie uses, taken from an installed font, stored as DefineFont3 (glyphs at 20 times the
// resolution of the classic 1024-unit em square) with a layout table.
class GlyphFont {
public:
    // Loads the installed family (for Chinese text: one with CJK glyphs). Throws
    // std::runtime_error when no such font is installed.
    explicit GlyphFont(const std::string& family);

    // Adds the characters of a UTF-8 text to the font.
    void addText(const std::string& utf8);

    // The DefineFont3 tag body for character id `fontId`.
    std::vector<uint8_t> defineFont3(uint16_t fontId, const std::string& name) const;

    // A DefineText2 body that draws `utf8` in this font at `heightTwips`, its baseline's left end
    // at (x, y) twips within the text, in `color`. Every character must have been added.
    std::vector<uint8_t> defineText2(uint16_t textId, uint16_t fontId, const std::string& utf8, int32_t x,
                                     int32_t y, uint16_t heightTwips, test::Color color) const;

    // The advance of `utf8` at heightTwips, in twips: for centring a line.
    int32_t textWidth(const std::string& utf8, uint16_t heightTwips) const;

private:
    static constexpr double kEmSquare = 20480.0;

    QRawFont font_;
    std::map<char32_t, size_t> indexOf_;  // code point -> glyph index in the embedded font
    std::vector<char32_t> codes_;          // in glyph index order
};

}  // namespace velmora::lessons
