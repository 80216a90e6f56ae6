// Buttons played by the runtime: the sprites their states show run on the movie's clock.
#include <gtest/gtest.h>

#include "render_test_support.h"
#include "support/swf_writer.h"
#include "swf/format/movie_loader.h"
#include "swf/render/stage_renderer.h"
#include "swf/runtime/keyboard_focus.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/pointer_input.h"

namespace velmora::swf {
namespace {

using test::pixel;
using velmora::test::SwfTagList;
using velmora::test::SwfWriter;
using velmora::test::WriterMatrix;

constexpr uint8_t kUp = 0x01, kOver = 0x02, kHit = 0x08;

struct Record {
    uint8_t states;
    uint16_t characterId;
    uint16_t depth;
};

// DefineButton2 without actions; records with no matrix and no colour transform.
void defineButton(SwfTagList& swf, uint16_t id, std::initializer_list<Record> records) {
    std::vector<uint8_t> body{uint8_t(id), uint8_t(id >> 8), 0, 0, 0};
    for (const Record& r : records) {
        body.insert(body.end(), {r.states, uint8_t(r.characterId), uint8_t(r.characterId >> 8), uint8_t(r.depth),
                                 uint8_t(r.depth >> 8), 0x00, 0x00});
    }
    body.push_back(0);
    swf.rawTag(34, body);
}

// The stage is 100 x 50 pixels. Button 20 (top half) shows sprite 2, red then blue in the top-left
// 20-pixel square, in its up and over states, a green square at x 30..50 only when the pointer is
// over it. Button 21 (bottom half) shows sprite 6: a stage-wide grey band masked by sprite 5, whose
// square stands at x 0..20 on its first frame and x 20..40 on its second.
struct ButtonMovie {
    std::shared_ptr<const Movie> movie;
    std::unique_ptr<MovieInstance> instance;
    RenderResources resources;

    ButtonMovie() {
        SwfWriter swf;
        swf.stageSizePixels(100, 50);
        swf.defineRectangle(1, 0, 0, 400, 400, {255, 0, 0});
        swf.defineRectangle(3, 0, 0, 400, 400, {0, 0, 255});
        swf.defineRectangle(4, 600, 0, 400, 400, {0, 255, 0});
        swf.defineRectangle(7, 0, 0, 2000, 400, {128, 128, 128});
        SwfTagList colours;
        colours.placeObject2({.depth = 1, .characterId = 1});
        colours.showFrame();
        colours.removeObject2(1);
        colours.placeObject2({.depth = 1, .characterId = 3});
        colours.showFrame();
        swf.defineSprite(2, colours);
        SwfTagList mask;
        mask.placeObject2({.depth = 1, .characterId = 1});
        mask.showFrame();
        mask.placeObject2({.depth = 1, .move = true, .matrix = WriterMatrix{.translateX = 400}});
        mask.showFrame();
        swf.defineSprite(5, mask);
        SwfTagList masked;
        masked.placeObject2({.depth = 1, .characterId = 5, .clipDepth = 2});
        masked.placeObject2({.depth = 2, .characterId = 7});
        masked.showFrame();
        swf.defineSprite(6, masked);
        defineButton(swf, 20, {{kUp | kOver, 2, 1}, {kOver, 4, 2}, {kHit, 7, 1}});
        defineButton(swf, 21, {{kUp, 6, 1}});
        swf.placeObject2({.depth = 1, .characterId = 20});
        swf.placeObject2({.depth = 2, .characterId = 21, .matrix = WriterMatrix{.translateY = 600}});
        swf.showFrame();
        const auto bytes = swf.bytes();
        movie = parseMovie(bytes);
        instance = std::make_unique<MovieInstance>(movie);
        resources.setMovie(movie);
    }
    QImage render() {
        StageRenderer renderer(resources);
        return renderer.renderImage(instance->root().displayList(), movie->stage, {100, 50}, Qt::white);
    }
};

TEST(ButtonAnimation, SpritesInAButtonStepWithTheClock) {
    ButtonMovie m;
    EXPECT_EQ(pixel(m.render(), 10, 10), qRgb(255, 0, 0));
    m.instance->tick();
    EXPECT_EQ(pixel(m.render(), 10, 10), qRgb(0, 0, 255));
    m.instance->tick();
    EXPECT_EQ(pixel(m.render(), 10, 10), qRgb(255, 0, 0));
}

TEST(ButtonAnimation, ASpriteShownInBothStatesGoesOnAcrossAStateChange) {
    ButtonMovie m;
    PointerInput pointer(*m.instance);
    m.instance->tick();
    pointer.move(200, 200);
    QImage image = m.render();
    EXPECT_EQ(pixel(image, 10, 10), qRgb(0, 0, 255));  // not restarted at red
    EXPECT_EQ(pixel(image, 40, 10), qRgb(0, 255, 0));
    m.instance->tick();
    EXPECT_EQ(pixel(m.render(), 10, 10), qRgb(255, 0, 0));
    pointer.leave();
    image = m.render();
    EXPECT_EQ(pixel(image, 40, 10), qRgb(255, 255, 255));
    EXPECT_EQ(pixel(image, 10, 10), qRgb(255, 0, 0));
}

TEST(ButtonAnimation, AnAnimatedMaskInsideAButtonMovesWhatItShows) {
    ButtonMovie m;
    QImage image = m.render();
    EXPECT_EQ(pixel(image, 10, 40), qRgb(128, 128, 128));
    EXPECT_EQ(pixel(image, 30, 40), qRgb(255, 255, 255));
    m.instance->tick();
    image = m.render();
    EXPECT_EQ(pixel(image, 10, 40), qRgb(255, 255, 255));
    EXPECT_EQ(pixel(image, 30, 40), qRgb(128, 128, 128));
}

// Tab brings the yellow rectangle round the focused button, drawn over the stage; the movie's
// _focusrect set false leaves it out.
TEST(ButtonAnimation, TheButtonTabReachesShowsAFocusRectangle) {
    ButtonMovie m;
    m.instance->moveTabFocus(false);  // button 20, the top one
    const auto box = focusRectangle(*m.instance);
    ASSERT_TRUE(box);
    StageRenderer renderer(m.resources);
    auto yellowOnBottomEdge = [&] {
        renderer.setFocusRectangle(focusRectangle(*m.instance));
        const QImage image = renderer.renderImage(m.instance->root(), m.movie->stage, {100, 50}, Qt::white);
        const int x = (box->xMin + box->xMax) / 40;
        const int y = std::min(box->yMax / 20, 49);
        for (int dy = -1; dy <= 1; ++dy) {
            if (y + dy >= 0 && y + dy < 50 && pixel(image, x, y + dy) == qRgb(255, 255, 0)) return true;
        }
        return false;
    };
    EXPECT_TRUE(yellowOnBottomEdge());
    m.instance->setFocusRectangles(false);
    EXPECT_FALSE(yellowOnBottomEdge());
}

}  // namespace
}  // namespace velmora::swf
