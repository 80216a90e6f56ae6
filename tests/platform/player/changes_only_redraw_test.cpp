// Drawing only what a frame changed shows the same pixels as drawing the whole frame.
#include <QImage>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "platform/player/swf_player_widget.h"
#include "player_test_support.h"
#include "support/qt_application.h"
#include "support/required_fixtures.h"
#include "swf/runtime/movie_instance.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// DefineEditText: an input field of width x height px at the device font, with a border.
std::vector<uint8_t> inputFieldTag(uint16_t id, int widthPx, int heightPx) {
    BitWriter bits;
    bits.rect(0, widthPx * 20, 0, heightPx * 20);
    std::vector<uint8_t> out{uint8_t(id), uint8_t(id >> 8)};
    const std::vector<uint8_t> rect = bits.take();
    out.insert(out.end(), rect.begin(), rect.end());
    out.push_back(0x80);  // has text
    out.push_back(0x08);  // border
    out.push_back(0);     // no variable
    out.push_back(0);     // no text
    return out;
}

// GetProperty/SetProperty on the clip running the actions: _x += 7.
std::vector<uint8_t> stepRight() {
    BitWriter a;
    const auto pushStringAndIndex = [&](uint8_t index) {
        // Push "" (type 0) and the property's index as a float (type 1).
        a.u8(0x96);
        a.u16(1 + 1 + 1 + 4);
        a.u8(0);
        a.u8(0);
        a.u8(1);
        const float f = index;
        uint32_t raw;
        std::memcpy(&raw, &f, 4);
        a.u32(raw);
    };
    pushStringAndIndex(0);
    pushStringAndIndex(0);
    a.u8(0x22);  // GetProperty
    a.u8(0x96);
    a.u16(5);
    a.u8(1);
    const float seven = 7;
    uint32_t raw;
    std::memcpy(&raw, &seven, 4);
    a.u32(raw);
    a.u8(0x47);  // Add2
    a.u8(0x23);  // SetProperty
    a.u8(0);
    return a.take();
}

// Steps the player's movie as its clock does and after each step compares the picture it drew
// of the changes alone with the picture of the whole frame drawn afresh. type, when set, is
// typed into the field under it one character a step.
void expectSamePictures(SwfPlayerWidget& player, int steps, int stepMs, QPoint typeAt = {}) {
    player.putBackgroundColor(0xFFFFFF);  // the movie's own: drawn again whole below
    processEventsFor(100);
    if (!typeAt.isNull()) QTest::mouseClick(&player, Qt::LeftButton, Qt::NoModifier, typeAt);
    for (int step = 0; step < steps; ++step) {
        processEventsFor(stepMs);
        if (!typeAt.isNull()) QTest::keyClicks(&player, QString(QChar('a' + step % 26)));
        const QImage changesOnly = player.grab().toImage();
        player.putBackgroundColor(0xFFFFFF);
        const QImage whole = player.grab().toImage();
        ASSERT_EQ(changesOnly.size(), whole.size());
        int differing = 0;
        QPoint first;
        for (int y = 0; y < whole.height(); ++y) {
            for (int x = 0; x < whole.width(); ++x) {
                // Kept pictures may be reused within 1/64 px of where they are due, which can move
                // an edge pixel by a level or two; a missed box shows as far more than that.
                const QRgb a = changesOnly.pixel(x, y), b = whole.pixel(x, y);
                const int diff = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                           std::abs(qBlue(a) - qBlue(b))});
                if (diff <= 2) continue;
                if (differing++ == 0) first = QPoint(x, y);
            }
        }
        ASSERT_EQ(differing, 0) << "step " << step << ", first at " << first.x() << "," << first.y() << ": "
                                << std::hex << changesOnly.pixel(first) << " against " << whole.pixel(first);
    }
}

TEST(ChangesOnlyRedraw, ShowsWhatAWholeRedrawShowsForMovingMaskedFilteredAndMorphingContent) {
    const fs::path morphTag =
        fs::path(VELMORA_CORPUS_DIR) / "swf-tags/define-morph-shape/ms1-morph-rotating-square/input.bytes";
    if (!fs::exists(morphTag)) {
        VELMORA_MISSING_FIXTURE("no corpus morph at " << morphTag);
    }
    const std::vector<uint8_t> blur = {1, 1, 0, 0, 3, 0, 0, 0, 3, 0, 1 << 3};
    SwfWriter swf;
    swf.stageSizePixels(200, 150).frameRate(25).setBackgroundColor({255, 255, 255});
    swf.rawBytes(readFile(morphTag));  // character 1: a square turning as it grows, about its centre
    swf.defineRectangle(2, 0, 0, 400, 400, {200, 30, 30});
    swf.definePolygon(3, {{0, 0}, {600, 100}, {300, 500}}, {30, 30, 200});
    // A sprite of a triangle walking across it, frame by frame, with a still square beside it.
    SwfTagList walker;
    walker.placeObject2({.depth = 1, .characterId = 2, .matrix = WriterMatrix{.scaleX = 0.5, .scaleY = 0.5}});
    for (int f = 0; f < 8; ++f) {
        walker.placeObject2({.depth = 2, .move = f > 0, .characterId = f == 0 ? std::optional<uint16_t>(3) : std::nullopt,
                             .matrix = WriterMatrix{.rotateSkew0 = 0.1 * f, .translateX = 90 * f, .translateY = 33 * f}});
        walker.showFrame();
    }
    swf.defineSprite(4, walker);
    swf.rawTag(37, inputFieldTag(5, 90, 24));
    swf.placeObject2({.depth = 1, .characterId = 4, .matrix = WriterMatrix{.scaleX = 1.3, .scaleY = 1.3, .translateX = 300, .translateY = 200}});
    swf.placeObject3({.depth = 2, .characterId = 2, .matrix = WriterMatrix{.translateX = 2400, .translateY = 300},
                      .rawFilterList = blur});
    // A mask over the walker's neighbour, moving down.
    swf.placeObject2({.depth = 3, .characterId = 2, .matrix = WriterMatrix{.translateX = 2000, .translateY = 1000}, .clipDepth = 4});
    swf.placeObject2({.depth = 4, .characterId = 3, .matrix = WriterMatrix{.translateX = 1900, .translateY = 1100}});
    swf.placeObject2({.depth = 5, .characterId = 1, .matrix = WriterMatrix{.scaleX = 0.4, .scaleY = 0.4, .translateX = 1000, .translateY = 2200}, .ratio = 0});
    // Moved by its own script every frame.
    swf.placeObject2({.depth = 6, .characterId = 4, .matrix = WriterMatrix{.translateY = 1800}, .name = "mover",
                      .clipActions = {WriterClipAction{.events = 0x0002, .actions = stepRight()}}});
    swf.placeObject2({.depth = 7, .characterId = 5, .matrix = WriterMatrix{.translateX = 200, .translateY = 2400}});
    swf.showFrame();
    for (int f = 1; f < 12; ++f) {
        swf.placeObject2({.depth = 3, .move = true, .matrix = WriterMatrix{.translateX = 2000, .translateY = 1000 + 40 * f}});
        if (f % 2 == 0) swf.placeObject2({.depth = 5, .move = true, .ratio = uint16_t(f * 5000)});
        if (f == 6) swf.removeObject2(2);
        swf.showFrame();
    }
    MovieFolder folder;
    SwfPlayerWidget player;
    player.resize(260, 170);  // the stage shown in part of it, the margins beside it
    player.putMovie(folder.write("changes.swf", swf));
    player.show();
    expectSamePictures(player, 24, 45, QPoint(30, 135));
}

TEST(ChangesOnlyRedraw, ShowsWhatAWholeRedrawShowsForTheSampleLessons) {
    for (const char* name : {"lesson1.swf", "lesson4.swf"}) {
        SCOPED_TRACE(name);
        SwfPlayerWidget player;
        player.resize(400, 300);
        player.putMovie(std::string(VELMORA_SOURCE_DIR) + "/samples/swf/" + name);
        player.show();
        expectSamePictures(player, 12, 90);
    }
}

}  // namespace
}  // namespace velmora::test
