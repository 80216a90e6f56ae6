// Character tags built by hand for what the corpus does not cover: extended line styles, new
// style arrays, text fields, buttons with their sounds and colour transforms, bitmap framing.

#include <gtest/gtest.h>

#include "support/swf_writer.h"
#include "swf/format/bitmap.h"
#include "swf/format/button.h"
#include "swf/format/font.h"
#include "swf/format/movie_loader.h"
#include "swf/format/shape.h"
#include "swf/format/tag_code.h"
#include "swf/format/text.h"

namespace velmora::swf {
namespace {

using test::BitWriter;
using test::SwfWriter;

std::shared_ptr<const Movie> movieWith(uint16_t code, const std::vector<uint8_t>& body) {
    SwfWriter swf;
    swf.rawTag(code, body).showFrame();
    return parseMovie(swf.bytes());
}

TEST(CharacterTags, Shape4LineStylesAndNewStyleArrays) {
    BitWriter w;
    w.u16(1);
    w.rect(0, 200, 0, 200);
    w.rect(10, 190, 10, 190);
    w.u8(0b00000101);  // winding rule, scaling strokes
    w.u8(1);           // fills: a linear gradient
    w.u8(0x10);
    w.matrix({});
    w.ub(1, 2), w.ub(1, 2), w.ub(2, 4);  // reflect, linear RGB, 2 stops
    w.u8(0), w.rgba({255, 0, 0, 255}), w.u8(255), w.rgba({0, 0, 255, 128});
    w.u8(1);  // lines: one LINESTYLE2, miter join, square caps, solid fill
    w.u16(40);
    w.ub(2, 2), w.ub(2, 2), w.ub(1, 1), w.ub(1, 1), w.ub(0, 1), w.ub(0, 1), w.ub(0, 5), w.ub(1, 1), w.ub(2, 2);
    w.u16(0x0280);  // miter limit 2.5
    w.u8(0x00), w.rgba({1, 2, 3, 4});
    w.ub(1, 4), w.ub(1, 4);
    // A style change that brings a new array of one solid fill and no lines, then an edge using it.
    w.ub(0, 1), w.ub(1, 1), w.ub(0, 1), w.ub(0, 1), w.ub(1, 1), w.ub(0, 1);
    w.ub(1, 1);  // fill0 = 1
    w.u8(1), w.u8(0x00), w.rgba({9, 9, 9, 9}), w.u8(0);
    w.ub(1, 4), w.ub(0, 4);
    w.ub(1, 1), w.ub(1, 1), w.ub(0, 4), w.ub(0, 1), w.ub(1, 1), w.sb(-1, 2);  // vertical edge, dy -1
    w.ub(0, 6);
    auto movie = movieWith(kTagDefineShape4, w.take());
    ASSERT_TRUE(movie->warnings.empty()) << movie->warnings.front();
    const auto& shape = dynamic_cast<const ShapeCharacter&>(*movie->character(1));
    EXPECT_EQ(shape.version, 4);
    EXPECT_EQ(shape.edgeBounds.xMin, 10);
    EXPECT_TRUE(shape.usesFillWindingRule);
    EXPECT_TRUE(shape.usesScalingStrokes);
    EXPECT_FALSE(shape.usesNonScalingStrokes);
    ASSERT_EQ(shape.fillStyles.size(), 1u);
    const auto& gradient = shape.fillStyles[0].gradient;
    EXPECT_EQ(gradient.spread, Gradient::Spread::Reflect);
    EXPECT_EQ(gradient.interpolation, Gradient::Interpolation::LinearRgb);
    ASSERT_EQ(gradient.stops.size(), 2u);
    EXPECT_EQ(gradient.stops[1].color, (Rgba{0, 0, 255, 128}));
    ASSERT_EQ(shape.lineStyles.size(), 1u);
    const auto& line = shape.lineStyles[0];
    EXPECT_EQ(line.width, 40);
    EXPECT_EQ(line.startCap, LineStyle::Cap::Square);
    EXPECT_EQ(line.endCap, LineStyle::Cap::Square);
    EXPECT_EQ(line.join, LineStyle::Join::Miter);
    EXPECT_DOUBLE_EQ(line.miterLimit, 2.5);
    EXPECT_TRUE(line.noHScale);
    EXPECT_TRUE(line.noClose);
    EXPECT_EQ(line.color, (Rgba{1, 2, 3, 4}));
    ASSERT_EQ(shape.records.size(), 2u);
    const auto& change = std::get<StyleChangeRecord>(shape.records[0]);
    EXPECT_TRUE(change.hasNewStyles);
    ASSERT_EQ(shape.newStyles.size(), 1u);
    ASSERT_EQ(shape.newStyles[0].fills.size(), 1u);
    EXPECT_EQ(shape.newStyles[0].fills[0].color, (Rgba{9, 9, 9, 9}));
    EXPECT_EQ(change.fillStyle0, 1u);
    const auto& edge = std::get<StraightEdgeRecord>(shape.records[1]);
    EXPECT_EQ(edge.dx, 0);
    EXPECT_EQ(edge.dy, -1);
}

TEST(CharacterTags, ShapeWithoutEndRecordOrWithUnknownFillIsSkipped) {
    BitWriter noEnd;
    noEnd.u16(1);
    noEnd.rect(0, 10, 0, 10);
    noEnd.u8(0), noEnd.u8(0), noEnd.ub(0, 4), noEnd.ub(0, 4);
    noEnd.ub(1, 1), noEnd.ub(1, 1), noEnd.ub(0, 4), noEnd.ub(1, 1);  // an edge cut short
    BitWriter badFill;
    badFill.u16(2);
    badFill.rect(0, 10, 0, 10);
    badFill.u8(1), badFill.u8(0x33);
    for (auto* body : {&noEnd, &badFill}) {
        auto movie = movieWith(kTagDefineShape, body->take());
        EXPECT_TRUE(movie->dictionary.empty());
        ASSERT_EQ(movie->warnings.size(), 1u);
        EXPECT_NE(movie->warnings[0].find("DefineShape"), std::string::npos);
        EXPECT_EQ(movie->root.frames.size(), 1u);
    }
}

TEST(CharacterTags, UnknownGradientSpreadDrawsAsPad) {
    BitWriter w;
    w.u16(1);
    w.rect(0, 10, 0, 10);
    w.u8(1), w.u8(0x10), w.matrix({});
    w.ub(3, 2), w.ub(0, 2), w.ub(1, 4);  // spread code 3, which the format does not define
    w.u8(0), w.rgb({1, 2, 3});
    w.u8(0);
    w.ub(0, 4), w.ub(0, 4), w.ub(0, 6);
    w.flush();
    auto movie = movieWith(kTagDefineShape, w.take());
    ASSERT_TRUE(movie->warnings.empty()) << movie->warnings.front();
    const auto& shape = dynamic_cast<const ShapeCharacter&>(*movie->character(1));
    ASSERT_EQ(shape.fillStyles.size(), 1u);
    EXPECT_EQ(shape.fillStyles[0].gradient.spread, Gradient::Spread::Pad);
    EXPECT_EQ(shape.fillStyles[0].gradient.stops.size(), 1u);
}

TEST(CharacterTags, EditTextWithEveryOptionalField) {
    BitWriter w;
    w.u16(4);
    w.rect(0, 2000, 0, 400);
    w.u8(0b11111111);  // text, wrap, multiline, password, read-only, colour, max length, font
    w.u8(0b11111111);  // font class, auto size, layout, no select, border, was static, html, outlines
    w.u16(2);
    w.cString("MyFont");
    w.u16(360);
    w.rgba({10, 20, 30, 40});
    w.u16(99);
    w.u8(3), w.u16(1), w.u16(2), w.u16(3), w.u16(static_cast<uint16_t>(-4));
    w.cString("_root.caption");
    w.cString("<p>hello</p>");
    auto movie = movieWith(kTagDefineEditText, w.take());
    ASSERT_TRUE(movie->warnings.empty()) << movie->warnings.front();
    const auto& edit = dynamic_cast<const EditTextCharacter&>(*movie->character(4));
    EXPECT_TRUE(edit.wordWrap && edit.multiline && edit.password && edit.readOnly);
    EXPECT_TRUE(edit.autoSize && edit.noSelect && edit.border && edit.wasStatic && edit.html && edit.useOutlines);
    EXPECT_EQ(edit.fontId, 2);
    EXPECT_EQ(edit.fontClass, "MyFont");
    EXPECT_EQ(edit.fontHeight, 360);
    EXPECT_EQ(edit.textColor, (Rgba{10, 20, 30, 40}));
    EXPECT_EQ(edit.maxLength, 99);
    EXPECT_EQ(edit.align, EditTextCharacter::Align::Justify);
    EXPECT_EQ(edit.indent, 3);
    EXPECT_EQ(edit.leading, -4);
    EXPECT_EQ(edit.variableName, "_root.caption");
    EXPECT_EQ(edit.initialText, "<p>hello</p>");
}

TEST(CharacterTags, Button2WithConditionActionsSoundsAndColourTransform) {
    BitWriter b;
    b.u16(6);
    b.u8(1);    // track as menu
    b.u16(0);   // action offset: patched below
    b.u8(0x0F);  // every state
    b.u16(1), b.u16(1);
    b.matrix({});
    b.colorTransform({}, true);
    b.u8(0);  // end of records
    std::vector<uint8_t> body = b.take();
    uint16_t offset = static_cast<uint16_t>(body.size() - 3);
    body[3] = static_cast<uint8_t>(offset);
    body[4] = static_cast<uint8_t>(offset >> 8);
    // Two condition actions: release (size 8 = 4 + 4 bytes of actions), then key press 13.
    for (uint8_t v : {8, 0, 0x08, 0x00, 0x07, 0x00, 0x06, 0x00, 0, 0, 0x00, 13 << 1, 0x06, 0x00}) body.push_back(v);

    BitWriter sound;
    sound.u16(6);
    sound.u16(0);       // no sound for OverUpToIdle
    sound.u16(12);      // IdleToOverUp
    sound.u8(0x04);     // loops follow
    sound.u16(2);
    BitWriter cx;
    cx.u16(6);
    cx.colorTransform({.rMult = 128, .bAdd = 40}, false);

    SwfWriter swf;
    swf.rawTag(kTagDefineButton2, body).rawTag(kTagDefineButtonSound, sound.take());
    swf.rawTag(kTagDefineButtonCxform, cx.take()).showFrame();
    auto movie = parseMovie(swf.bytes());
    ASSERT_TRUE(movie->warnings.empty()) << movie->warnings.front();
    const auto& button = dynamic_cast<const ButtonCharacter&>(*movie->character(6));
    EXPECT_EQ(button.version, 2);
    EXPECT_TRUE(button.trackAsMenu);
    ASSERT_EQ(button.records.size(), 1u);
    EXPECT_TRUE(button.records[0].up && button.records[0].over && button.records[0].down && button.records[0].hitTest);
    EXPECT_DOUBLE_EQ(button.records[0].colorTransform.rMult, 0.5);
    EXPECT_EQ(button.records[0].colorTransform.bAdd, 40);
    ASSERT_EQ(button.actions.size(), 2u);
    EXPECT_EQ(button.actions[0].conditions, 1u << 3);
    EXPECT_EQ(*button.actions[0].actions, (std::vector<uint8_t>{0x07, 0x00, 0x06, 0x00}));
    EXPECT_EQ(button.actions[1].conditions >> 9, 13u);
    EXPECT_EQ(*button.actions[1].actions, (std::vector<uint8_t>{0x06, 0x00}));
    EXPECT_FALSE(button.sounds[0]);
    ASSERT_TRUE(button.sounds[1]);
    EXPECT_EQ(button.sounds[1]->soundId, 12);
    EXPECT_EQ(button.sounds[1]->info.loops, 2);
    EXPECT_FALSE(button.sounds[2]);
}

TEST(CharacterTags, BitmapFraming) {
    const std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10};
    BitWriter jpeg3;
    jpeg3.u16(1);
    jpeg3.u32(static_cast<uint32_t>(jpeg.size()));
    jpeg3.bytes(jpeg);
    jpeg3.bytes(std::vector<uint8_t>{0x78, 0x9C, 0x01});
    BitWriter lossless;
    lossless.u16(2);
    lossless.u8(3), lossless.u16(5), lossless.u16(6), lossless.u8(15);
    lossless.bytes(std::vector<uint8_t>{0x78, 0x9C});
    BitWriter png;
    png.u16(3);
    png.bytes(std::vector<uint8_t>{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A});
    png.bytes(std::vector<uint8_t>(25, 0));

    SwfWriter swf;
    swf.rawTag(kTagDefineBitsJpeg3, jpeg3.take()).rawTag(kTagDefineBitsLossless2, lossless.take());
    swf.rawTag(kTagDefineBitsJpeg2, png.take());
    swf.rawTag(kTagDefineBitsJpeg2, {4, 0, 'B', 'M', 0, 0});  // a BMP: not an image the format carries
    swf.showFrame();
    auto movie = parseMovie(swf.bytes());
    const auto& withAlpha = dynamic_cast<const BitmapCharacter&>(*movie->character(1));
    EXPECT_EQ(withAlpha.encoding, BitmapCharacter::Encoding::Jpeg3);
    EXPECT_EQ(withAlpha.data, jpeg);
    EXPECT_EQ(withAlpha.alphaData, (std::vector<uint8_t>{0x78, 0x9C, 0x01}));
    const auto& mapped = dynamic_cast<const BitmapCharacter&>(*movie->character(2));
    EXPECT_EQ(mapped.encoding, BitmapCharacter::Encoding::Lossless2);
    EXPECT_EQ(mapped.losslessFormat, 3);
    EXPECT_EQ(mapped.width, 5);
    EXPECT_EQ(mapped.height, 6);
    EXPECT_EQ(mapped.colorTableSize, 15);
    EXPECT_EQ(mapped.data, (std::vector<uint8_t>{0x78, 0x9C}));
    EXPECT_NE(movie->character(3), nullptr);
    EXPECT_EQ(movie->character(4), nullptr);
    ASSERT_EQ(movie->warnings.size(), 1u);
    EXPECT_NE(movie->warnings[0].find("neither JPEG, PNG nor GIF"), std::string::npos);
}

}  // namespace
}  // namespace velmora::swf

namespace velmora::swf {
namespace {

// Text fields in device fonts name their font through a DefineFont2 without glyphs. Authoring
// tools end such a tag after the glyph count or write a code table offset of any value.
TEST(CharacterTags, DeviceFontWithoutGlyphs) {
    for (const std::vector<uint8_t>& tail : {std::vector<uint8_t>{}, std::vector<uint8_t>{0, 0},
                                             std::vector<uint8_t>{2, 0}}) {
        std::vector<uint8_t> body = {7, 0, 0x00, 0x00, 5, '_', 's', 'a', 'n', 's', 0, 0};
        body.insert(body.end(), tail.begin(), tail.end());
        auto movie = movieWith(48, body);
        auto* font = dynamic_cast<const FontCharacter*>(movie->character(7));
        ASSERT_NE(font, nullptr) << "tail of " << tail.size() << " bytes";
        EXPECT_EQ(font->name, "_sans");
        EXPECT_TRUE(font->glyphs.empty());
    }
}

}  // namespace
}  // namespace velmora::swf
