#include <cmath>

#include "glyph_font.h"
#include "lesson_movies.h"
#include "lesson_picture.h"

namespace velmora::lessons {

using test::BitWriter;
using test::Color;
using test::SwfWriter;

namespace {

constexpr uint16_t kLineHeight = 48 * 20;
constexpr uint16_t kGlossHeight = 20 * 20;

enum : uint16_t {
    kBackgroundId = 1,
    kPhotoBitmapId,
    kPhotoId,
    kTitleFontId,
    kTitleId,
    kGlyphFontId,
    kGlossFontId,
    kFirstLineId = 100,  // then two ids a line: the text and its gloss
};

enum : uint16_t { kBackgroundDepth = 1, kPhotoDepth = 2, kTitleDepth = 3, kLineDepth = 10, kGlossDepth = 11 };

// DefineFont2 with no glyphs: a device font known by name only.
std::vector<uint8_t> deviceFont(uint16_t id, const std::string& name) {
    BitWriter w;
    w.u16(id);
    w.u8(0);
    w.u8(0);
    w.u8(static_cast<uint8_t>(name.size()));
    w.bytes({reinterpret_cast<const uint8_t*>(name.data()), name.size()});
    w.u16(0);  // no glyphs
    w.u16(0);  // the code table's offset: empty
    return w.take();
}

// DefineEditText: a read-only HTML field drawn in the device font.
std::vector<uint8_t> titleField(uint16_t id, uint16_t fontId, const std::string& title) {
    const std::string html = "<p align=\"center\"><font face=\"宋体\" size=\"30\" color=\"#6B2A00\"><b>" + title +
                             "</b></font></p>";
    BitWriter w;
    w.u16(id);
    w.rect(4000, kStageWidth - 400, 500, 1500);
    w.u8(0x80 | 0x08 | 0x04 | 0x01);  // has text, read only, has colour, has font
    w.u8(0x20 | 0x10 | 0x02);          // layout, no select, HTML
    w.u16(fontId);
    w.u16(600);
    w.rgba({0x6B, 0x2A, 0x00, 255});
    w.u8(2);  // centred
    w.u16(0);
    w.u16(0);
    w.u16(0);
    w.u16(0);
    w.cString("");
    w.cString(html);
    return w.take();
}

uint16_t frameAt(double seconds) { return static_cast<uint16_t>(std::lround(seconds * kLessonFrameRate)); }

}  // namespace

std::vector<uint8_t> buildSubtitleMovie(const LessonScript& script) {
    // Chinese in a CJK face; pinyin, whose tone marks CJK faces often lack, in a Latin one.
    GlyphFont font("WenQuanYi Micro Hei");
    GlyphFont glossFont("DejaVu Sans");
    for (const auto& line : script.lines) {
        font.addText(line.text);
        glossFont.addText(line.gloss);
    }

    SwfWriter swf(8);
    swf.compression(SwfWriter::Compression::Zlib).stageSizePixels(600, 400).frameRate(kLessonFrameRate);
    swf.setBackgroundColor({255, 255, 255});
    swf.rawTag(32, gradientPanel(kBackgroundId, 200, 200, kStageWidth - 400, kStageHeight - 400, script.topColor,
                                 script.bottomColor));
    swf.rawTag(21, landscapePhoto(kPhotoBitmapId, 160, 110, script.topColor, script.bottomColor));
    swf.rawTag(32, bitmapFrame(kPhotoId, kPhotoBitmapId, 500, 400, 160, 110));
    swf.rawTag(48, deviceFont(kTitleFontId, "宋体"));
    swf.rawTag(37, titleField(kTitleId, kTitleFontId, script.title));
    swf.rawTag(75, font.defineFont3(kGlyphFontId, "WenQuanYi Micro Hei"));
    swf.rawTag(75, glossFont.defineFont3(kGlossFontId, "DejaVu Sans"));

    const Color ink{0x3A, 0x1F, 0x0A, 255};
    const Color glossInk{0x33, 0x33, 0x33, 255};
    for (size_t i = 0; i < script.lines.size(); ++i) {
        const auto& line = script.lines[i];
        const int32_t textX = (kStageWidth - font.textWidth(line.text, kLineHeight)) / 2;
        const int32_t glossX = (kStageWidth - glossFont.textWidth(line.gloss, kGlossHeight)) / 2;
        swf.rawTag(33, font.defineText2(static_cast<uint16_t>(kFirstLineId + 2 * i), kGlyphFontId, line.text, textX,
                                        5000, kLineHeight, ink));
        swf.rawTag(33, glossFont.defineText2(static_cast<uint16_t>(kFirstLineId + 2 * i + 1), kGlossFontId, line.gloss,
                                        glossX, 6100, kGlossHeight, glossInk));
    }

    swf.placeObject2({.depth = kBackgroundDepth, .characterId = kBackgroundId});
    swf.placeObject2({.depth = kPhotoDepth, .characterId = kPhotoId});
    swf.placeObject2({.depth = kTitleDepth, .characterId = kTitleId});

    const uint16_t frames = std::max<uint16_t>(1, frameAt(script.end));
    size_t next = 0;
    for (uint16_t frame = 0; frame < frames; ++frame) {
        while (next < script.lines.size() && frameAt(script.lines[next].start) <= frame) {
            const auto id = static_cast<uint16_t>(kFirstLineId + 2 * next);
            const bool replacing = next > 0;
            swf.placeObject2({.depth = kLineDepth, .move = replacing, .characterId = id});
            swf.placeObject2({.depth = kGlossDepth, .move = replacing, .characterId = static_cast<uint16_t>(id + 1)});
            ++next;
        }
        if (frame + 1 == frames) swf.doAction({0x07, 0x00});  // stop on the last frame
        swf.showFrame();
    }
    return swf.bytes();
}

}  // namespace velmora::lessons
