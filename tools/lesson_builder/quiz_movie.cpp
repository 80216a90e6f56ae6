#include <cmath>

#include "lesson_movies.h"
#include "lesson_picture.h"
#include "quiz_script.h"

namespace velmora::lessons {

using test::BitWriter;
using test::Color;
using test::SwfTagList;
using test::SwfWriter;

namespace {

enum : uint16_t {
    kPanelId = 1,
    kFontId,
    kClassSymbolId,
    kRightSoundId,
    kButtonFaceId,
    kCheckFaceId,
    kInputBackId,
    kFirstFieldId = 20,  // the text fields, in the order of kFields
    kFirstButtonId = 40,  // three choices, check, next
};

enum : uint16_t { kPanelDepth = 1, kInputBackDepth = 2, kFirstFieldDepth = 10, kFirstButtonDepth = 30 };

// A text field as DefineEditText describes it, in twips.
struct Field {
    const char* variable;
    const char* instance;  // "" for none
    int32_t x, y, width, height;
    uint16_t size;   // font height, twips
    uint8_t align;   // 0 left, 1 right, 2 centre
    Color color;
    bool input;
    const char* text;
};

constexpr Color kInk{0x22, 0x33, 0x55, 255};
const Field kFields[] = {
    {"heading", "", 400, 300, kStageWidth - 800, 700, 520, 2, {0x6B, 0x2A, 0x00, 255}, false, "第四课　小测验 Quiz"},
    {"clock", "clock_txt", kStageWidth - 2600, 300, 2200, 500, 320, 1, {0x55, 0x55, 0x55, 255}, false, ""},
    {"question", "question_txt", 600, 1300, kStageWidth - 1200, 900, 520, 2, kInk, false, ""},
    {"choice0", "", 800, 2750, 3000, 700, 440, 2, kInk, false, ""},
    {"choice1", "", 4500, 2750, 3000, 700, 440, 2, kInk, false, ""},
    {"choice2", "", 8200, 2750, 3000, 700, 440, 2, kInk, false, ""},
    {"answer", "answer_txt", 2600, 4300, 4400, 650, 400, 0, {0, 0, 0, 255}, true, ""},
    {"checkLabel", "", 7300, 4330, 2000, 600, 360, 2, kInk, false, "检查 Check"},
    {"feedback", "feedback_txt", 600, 5400, kStageWidth - 1200, 800, 560, 2, {0x1B, 0x7A, 0x2E, 255}, false, ""},
    {"nextLabel", "", 4900, 6550, 2200, 600, 360, 2, kInk, false, "下一题 Next"},
};

// DefineFont2 with no glyphs: a device font known by name only.
std::vector<uint8_t> deviceFont(uint16_t id, const std::string& name) {
    BitWriter w;
    w.u16(id);
    w.u8(0);
    w.u8(0);
    w.u8(static_cast<uint8_t>(name.size()));
    w.bytes({reinterpret_cast<const uint8_t*>(name.data()), name.size()});
    w.u16(0);
    w.u16(0);
    return w.take();
}

std::vector<uint8_t> editText(uint16_t id, uint16_t fontId, const Field& f) {
    const std::string text = f.text;
    BitWriter w;
    w.u16(id);
    w.rect(f.x, f.x + f.width, f.y, f.y + f.height);
    // has text, read only (not for the input), has colour, has font; layout, no select, border.
    w.u8(uint8_t((text.empty() ? 0 : 0x80) | (f.input ? 0 : 0x08) | 0x04 | 0x01));
    w.u8(uint8_t(0x20 | (f.input ? 0x08 : 0x10)));
    w.u16(fontId);
    w.u16(f.size);
    w.rgba(f.color);
    w.u8(f.align);
    w.u16(40);
    w.u16(40);
    w.u16(0);
    w.u16(0);
    w.cString(f.variable);
    if (!text.empty()) w.cString(text);
    return w.take();
}

// DefineButton2: `face` in every state and as the hit area, lighter under the pointer; the
// release runs `code`.
std::vector<uint8_t> button(uint16_t id, uint16_t face, int32_t x, int32_t y, const std::vector<uint8_t>& code) {
    BitWriter r;
    const auto record = [&](uint8_t states, int16_t alphaAdd) {
        r.u8(states);
        r.u16(face);
        r.u16(1);
        r.matrix({.translateX = x, .translateY = y});
        // CXFORMWITHALPHA: additions only.
        r.ub(1, 1);
        r.ub(0, 1);
        r.ub(9, 4);
        r.sb(alphaAdd, 9);
        r.sb(alphaAdd, 9);
        r.sb(alphaAdd, 9);
        r.sb(0, 9);
        r.flush();
    };
    record(0x01 | 0x08, 0);  // up, and the hit area
    record(0x02, 40);        // over: lighter
    record(0x04, -40);       // down: darker
    r.u8(0);
    const auto records = r.take();
    BitWriter out;
    out.u16(id);
    out.u8(0);
    out.u16(uint16_t(2 + records.size()));
    out.bytes(records);
    out.u16(0);      // the last (and only) action
    out.u8(0x08);    // OverDownToOverUp: the release
    out.u8(0x00);
    out.bytes(code);
    return out.take();
}

// A rounded-looking face: DefineShape3 rectangle of one colour, at the origin.
std::vector<uint8_t> face(uint16_t id, int32_t width, int32_t height, Color color) {
    SwfTagList tags;
    tags.defineRectangle(id, 0, 0, width, height, color);
    // The writer's tag: strip its header to get the body.
    const auto& bytes = tags.tagBytes();
    const uint16_t header = uint16_t(bytes[0] | (bytes[1] << 8));
    const size_t skip = (header & 0x3F) == 0x3F ? 6 : 2;
    return std::vector<uint8_t>(bytes.begin() + long(skip), bytes.end());
}

// A short rising chime: two notes with a soft decay, 22 kHz mono 16-bit PCM.
std::vector<uint8_t> chime(uint32_t& samples) {
    constexpr int kRate = 22050;
    samples = uint32_t(kRate * 0.45);
    std::vector<uint8_t> out;
    for (uint32_t i = 0; i < samples; ++i) {
        const double t = double(i) / kRate;
        const double note = t < 0.15 ? 784.0 : 1046.5;
        const double since = t < 0.15 ? t : t - 0.15;
        const double level = 0.45 * std::exp(-since * 9.0) * std::min(1.0, since * 400.0);
        const auto v = int16_t(std::lround(32767 * level * std::sin(2 * M_PI * note * t)));
        out.push_back(uint8_t(v & 0xff));
        out.push_back(uint8_t(uint16_t(v) >> 8));
    }
    return out;
}

}  // namespace

std::vector<uint8_t> buildQuizMovie(const LessonScript& script, const std::string& xmlName) {
    SwfWriter swf(8);
    swf.compression(SwfWriter::Compression::Zlib).stageSizePixels(600, 400).frameRate(kLessonFrameRate);
    swf.setBackgroundColor({255, 255, 255});
    swf.rawTag(32, gradientPanel(kPanelId, 200, 200, kStageWidth - 400, kStageHeight - 400, script.topColor,
                                 script.bottomColor));
    swf.rawTag(48, deviceFont(kFontId, "宋体"));

    // The class symbol: an empty clip exported under the compiler's package name, whose init
    // code defines the Quiz class before the first frame's script runs.
    SwfTagList empty;
    empty.showFrame();
    swf.defineSprite(kClassSymbolId, empty);
    uint32_t chimeSamples = 0;
    const auto chimeData = chime(chimeSamples);
    swf.defineSound(kRightSoundId, {.format = 3, .rateCode = 2, .is16Bit = true, .stereo = false}, chimeSamples, chimeData);
    swf.exportAssets({{kClassSymbolId, "__Packages.Quiz"}, {kRightSoundId, "right"}});
    swf.doInitAction(kClassSymbolId, quizClassCode());

    swf.rawTag(32, face(kButtonFaceId, 3200, 900, {0xFF, 0xFF, 0xFF, 90}));
    swf.rawTag(32, face(kCheckFaceId, 2200, 720, {0xFF, 0xE0, 0x80, 120}));
    swf.rawTag(32, face(kInputBackId, 4400, 650, {255, 255, 255, 255}));
    swf.placeObject2({.depth = kPanelDepth, .characterId = kPanelId});
    swf.placeObject2({.depth = kInputBackDepth,
                      .characterId = kInputBackId,
                      .matrix = test::WriterMatrix{.translateX = 2600, .translateY = 4300}});

    uint16_t id = kFirstFieldId;
    uint16_t depth = kFirstFieldDepth;
    for (const Field& f : kFields) {
        swf.rawTag(37, editText(id, kFontId, f));
        test::WriterPlacement p{.depth = depth, .characterId = id};
        if (*f.instance) p.name = f.instance;
        swf.placeObject2(p);
        ++id;
        ++depth;
    }
    // The buttons lie over their labels with see-through faces, so that a click anywhere on a
    // label presses its button.
    for (int i = 0; i < 3; ++i) {
        const auto bid = uint16_t(kFirstButtonId + i);
        swf.rawTag(34, button(bid, kButtonFaceId, 700 + i * 3700, 2650, chooseCode(i)));
        swf.placeObject2({.depth = uint16_t(kFirstButtonDepth + i), .characterId = bid});
    }
    swf.rawTag(34, button(kFirstButtonId + 3, kCheckFaceId, 7200, 4260, checkCode()));
    swf.rawTag(34, button(kFirstButtonId + 4, kCheckFaceId, 4900, 6480, nextCode()));
    swf.placeObject2({.depth = kFirstButtonDepth + 3, .characterId = uint16_t(kFirstButtonId + 3)});
    swf.placeObject2({.depth = kFirstButtonDepth + 4, .characterId = uint16_t(kFirstButtonId + 4)});

    swf.doAction(quizFrameCode(xmlName.c_str()));
    // The quiz runs as long as the narration; the last frame stops.
    const auto frames = std::max<uint16_t>(1, uint16_t(std::lround(script.end * kLessonFrameRate)));
    for (uint16_t frame = 0; frame < frames; ++frame) {
        if (frame + 1 == frames) swf.doAction({0x07, 0x00});
        swf.showFrame();
    }
    return swf.bytes();
}

}  // namespace velmora::lessons
