// Fonts built by hand: the layout tables (which the corpus does not carry), wide offsets and codes,
// and the tags that complete a font later.

#include <gtest/gtest.h>

#include "support/swf_writer.h"
#include "swf/format/font.h"
#include "swf/format/movie_loader.h"
#include "swf/format/tag_code.h"

namespace velmora::swf {
namespace {

using test::BitWriter;
using test::SwfWriter;

// A DefineFont2/3 body with two glyphs: an empty one (a space) and a one-edge outline.
std::vector<uint8_t> font2(uint16_t id, bool wideOffsets, bool wideCodes, bool layout) {
    BitWriter glyph;
    glyph.ub(1, 4), glyph.ub(0, 4);
    glyph.ub(1, 1), glyph.ub(1, 1), glyph.ub(0, 4), glyph.ub(0, 1), glyph.ub(0, 1), glyph.sb(1, 2);  // dx 1
    glyph.ub(0, 6);
    std::vector<uint8_t> outline = glyph.take();

    BitWriter w;
    w.u16(id);
    w.u8(static_cast<uint8_t>((layout ? 0x80 : 0) | (wideOffsets ? 0x08 : 0) | (wideCodes ? 0x04 : 0) | 0x01));  // bold
    w.u8(1);  // language
    w.u8(5);
    w.bytes(std::vector<uint8_t>{'A', 'r', 'i', 'a', 0});
    w.u16(2);
    size_t entry = wideOffsets ? 4 : 2;
    uint32_t tableSize = static_cast<uint32_t>(3 * entry);
    auto offset = [&](uint32_t v) { wideOffsets ? w.u32(v) : w.u16(static_cast<uint16_t>(v)); };
    offset(tableSize);                                            // glyph 0: empty
    offset(tableSize);                                            // glyph 1
    offset(tableSize + static_cast<uint32_t>(outline.size()));  // code table
    w.bytes(outline);
    for (uint16_t code : {0x20, 0x4E2D}) wideCodes ? w.u16(code) : w.u8(static_cast<uint8_t>(code));
    if (layout) {
        w.u16(900), w.u16(200), w.u16(static_cast<uint16_t>(-10));
        w.u16(250), w.u16(1000);
        w.rect(0, 0, 0, 0), w.rect(0, 900, -800, 0);
        w.u16(1);
        wideCodes ? (w.u16(0x20), w.u16(0x4E2D)) : (w.u8(0x20), w.u8(0x2D));
        w.u16(static_cast<uint16_t>(-30));
    }
    return w.take();
}

TEST(FontTags, Font2And3WithLayoutKerningAndWideTables) {
    SwfWriter swf;
    swf.rawTag(kTagDefineFont2, font2(1, false, false, true));
    swf.rawTag(kTagDefineFont3, font2(2, true, true, true));
    swf.rawTag(kTagDefineFont2, font2(3, false, true, false));
    swf.showFrame();
    auto movie = parseMovie(swf.bytes());
    ASSERT_TRUE(movie->warnings.empty()) << movie->warnings.front();

    const auto& narrow = dynamic_cast<const FontCharacter&>(*movie->character(1));
    EXPECT_EQ(narrow.name, "Aria");
    EXPECT_TRUE(narrow.bold);
    EXPECT_FALSE(narrow.italic);
    EXPECT_EQ(narrow.languageCode, 1);
    EXPECT_DOUBLE_EQ(narrow.emSquare, 1024.0);
    ASSERT_EQ(narrow.glyphs.size(), 2u);
    EXPECT_TRUE(narrow.glyphs[0].records.empty());
    ASSERT_EQ(narrow.glyphs[1].records.size(), 1u);
    EXPECT_EQ(std::get<StraightEdgeRecord>(narrow.glyphs[1].records[0]).dx, 1);
    EXPECT_EQ(narrow.glyphs[1].code, 0x2D);
    ASSERT_TRUE(narrow.hasLayout);
    EXPECT_EQ(narrow.ascent, 900);
    EXPECT_EQ(narrow.descent, 200);
    EXPECT_EQ(narrow.leading, -10);
    EXPECT_EQ(narrow.glyphs[0].advance, 250);
    EXPECT_EQ(narrow.glyphs[1].advance, 1000);
    ASSERT_TRUE(narrow.glyphs[1].bounds);
    EXPECT_EQ(narrow.glyphs[1].bounds->yMin, -800);
    ASSERT_EQ(narrow.kerning.size(), 1u);
    EXPECT_EQ(narrow.kerning[0].right, 0x2D);
    EXPECT_EQ(narrow.kerning[0].adjustment, -30);

    const auto& wide = dynamic_cast<const FontCharacter&>(*movie->character(2));
    EXPECT_EQ(wide.version, 3);
    EXPECT_DOUBLE_EQ(wide.emSquare, 20480.0);
    EXPECT_EQ(wide.glyphs[1].code, 0x4E2D);
    EXPECT_EQ(wide.kerning.at(0).right, 0x4E2D);

    const auto& noLayout = dynamic_cast<const FontCharacter&>(*movie->character(3));
    EXPECT_FALSE(noLayout.hasLayout);
    EXPECT_EQ(noLayout.glyphs[1].code, 0x4E2D);
    EXPECT_EQ(noLayout.glyphs[1].advance, 0);
}

TEST(FontTags, FontInfo2ReplacesNameFlagsAndCodesOnlyWhenWhole) {
    BitWriter info;
    info.u16(1);
    info.u8(4);
    info.bytes(std::vector<uint8_t>{'S', 'i', 'm', 'H'});
    info.u8(0b00000110);  // italic, bold
    info.u8(2);           // language
    info.u16(0x3000), info.u16(0x4E00);
    BitWriter shortInfo;  // one code for a two-glyph font: damaged, the font stays as it was
    shortInfo.u16(3);
    shortInfo.u8(0);
    shortInfo.u8(0);
    shortInfo.u8(0);
    shortInfo.u16(0x41);
    BitWriter orphan;     // a font that does not exist
    orphan.u16(99);
    orphan.u8(0), orphan.u8(0), orphan.u8(0);

    SwfWriter swf;
    swf.rawTag(kTagDefineFont2, font2(1, false, false, false));
    swf.rawTag(kTagDefineFont2, font2(3, false, false, false));
    swf.rawTag(kTagDefineFontInfo2, info.take());
    swf.rawTag(kTagDefineFontInfo2, shortInfo.take());
    swf.rawTag(kTagDefineFontInfo2, orphan.take());
    swf.showFrame();
    auto movie = parseMovie(swf.bytes());
    const auto& font = dynamic_cast<const FontCharacter&>(*movie->character(1));
    EXPECT_EQ(font.name, "SimH");
    EXPECT_TRUE(font.italic);
    EXPECT_TRUE(font.bold);
    EXPECT_TRUE(font.wideCodes);
    EXPECT_EQ(font.languageCode, 2);
    EXPECT_EQ(font.glyphs[0].code, 0x3000);
    EXPECT_EQ(font.glyphs[1].code, 0x4E00);
    const auto& untouched = dynamic_cast<const FontCharacter&>(*movie->character(3));
    EXPECT_EQ(untouched.name, "Aria");
    EXPECT_EQ(untouched.glyphs[1].code, 0x2D);
    ASSERT_EQ(movie->warnings.size(), 2u);
    EXPECT_NE(movie->warnings[0].find("DefineFontInfo2"), std::string::npos);
    EXPECT_NE(movie->warnings[1].find("font 99"), std::string::npos);
}

TEST(FontTags, GlyphOffsetsOutsideTheTagAreRefused) {
    auto body = font2(1, false, false, false);
    body[13] = 0xFF;  // the high byte of the first glyph's offset: far past the tag
    SwfWriter swf;
    swf.rawTag(kTagDefineFont2, body).showFrame();
    auto movie = parseMovie(swf.bytes());
    EXPECT_EQ(movie->character(1), nullptr);
    ASSERT_EQ(movie->warnings.size(), 1u);
    EXPECT_NE(movie->warnings[0].find("DefineFont2 (character 1)"), std::string::npos);
}

}  // namespace
}  // namespace velmora::swf
