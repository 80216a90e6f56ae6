#include <gtest/gtest.h>

#include "render_test_support.h"
#include "support/swf_writer.h"
#include "swf/format/button.h"
#include "swf/format/movie_loader.h"
#include "swf/format/tag_code.h"
#include "swf/render/stage_renderer.h"
#include "swf/runtime/movie_instance.h"

namespace velmora::swf {
namespace {

using test::pixel;
using velmora::test::WriterMatrix;

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);

// A 40-pixel red square with a blue square inset 10 pixels on each side, and a scaling grid on
// the blue square's edges: the red frame is the corners and edges, the blue the centre.
std::vector<uint8_t> gridBody(uint16_t id) {
    velmora::test::BitWriter body;
    body.u16(id);
    body.rect(200, 600, 200, 600);
    return body.take();
}

// The framed square as sprite 3 on a 200 x 100 pixel stage, placed with matrix.
std::shared_ptr<const Movie> framedSquareMovie(const WriterMatrix& matrix) {
    velmora::test::SwfTagList content;
    content.placeObject2({.depth = 1, .characterId = 1});
    content.placeObject2({.depth = 2, .characterId = 2});
    content.showFrame();
    velmora::test::SwfWriter swf;
    swf.stageSizePixels(200, 100);
    swf.defineRectangle(1, 0, 0, 800, 800, {255, 0, 0});
    swf.defineRectangle(2, 200, 200, 400, 400, {0, 0, 255});
    swf.defineSprite(3, content);
    swf.rawTag(kTagDefineScalingGrid, gridBody(3));
    swf.rawTag(kTagDefineScalingGrid, gridBody(1));  // a shape has no grid: ignored
    swf.placeObject2({.depth = 1, .characterId = 3, .matrix = matrix});
    swf.showFrame();
    return parseMovie(swf.bytes());
}

QImage renderMovie(const std::shared_ptr<const Movie>& movie, QSize viewport = {200, 100}) {
    MovieInstance instance(movie);
    RenderResources resources;
    resources.setMovie(movie);
    StageRenderer renderer(resources);
    return renderer.renderImage(instance.root().displayList(), movie->stage, viewport, Qt::white);
}

void expectColours(const QImage& image, std::initializer_list<std::tuple<int, int, QRgb>> points,
                   const std::string& what) {
    for (auto [x, y, colour] : points) EXPECT_EQ(pixel(image, x, y), colour) << what << " at " << x << "," << y;
}

TEST(NineSlice, CornersKeepTheirSizeEdgesStretchOneWayTheCentreBoth) {
    // Twice as wide, half as tall again, at (20, 10): the box spans x 20..100 and y 10..70. The
    // frame stays 10 pixels on every side, where plain scaling would make it 20 and 15.
    const auto movie = framedSquareMovie({.scaleX = 2.0, .scaleY = 1.5, .translateX = 400, .translateY = 200});
    EXPECT_EQ(movie->scalingGrids.size(), 1u);
    EXPECT_EQ(movie->scalingGrids.count(3), 1u);
    EXPECT_FALSE(movie->warnings.empty());  // the grid naming a shape
    const QImage wide = renderMovie(movie);
    expectColours(wide,
                  {{25, 40, kRed}, {35, 40, kBlue}, {85, 40, kBlue}, {95, 40, kRed}, {60, 15, kRed}, {60, 22, kBlue},
                   {60, 58, kBlue}, {60, 65, kRed}, {25, 15, kRed}, {95, 65, kRed}, {101, 40, qRgb(255, 255, 255)}},
                  "2 x 1.5");

    // The stage drawn twice as large scales the corners with it: they keep their size in movie
    // pixels, not in device pixels.
    const QImage zoomed = renderMovie(movie, {400, 200});
    expectColours(zoomed, {{55, 80, kRed}, {65, 80, kBlue}, {185, 80, kRed}}, "on a stage twice as large");

    // Half the size: the box is exactly its two corners wide, and the centre vanishes; a quarter:
    // the corners shrink together.
    expectColours(renderMovie(framedSquareMovie({.scaleX = 0.5, .scaleY = 0.5, .translateX = 400, .translateY = 200})),
                  {{25, 15, kRed}, {30, 20, kRed}, {39, 29, kRed}, {41, 31, qRgb(255, 255, 255)}}, "0.5");
    expectColours(renderMovie(framedSquareMovie({.scaleX = 0.25, .scaleY = 0.25, .translateX = 400, .translateY = 200})),
                  {{22, 12, kRed}, {24, 14, kRed}, {26, 16, kRed}}, "0.25");

    // Rotated, the grid does not apply: a quarter turn at twice the size keeps a 20-pixel frame.
    const QImage turned = renderMovie(
        framedSquareMovie({.scaleX = 0, .scaleY = 0, .rotateSkew0 = 2, .rotateSkew1 = -2, .translateX = 3000, .translateY = 200}));
    expectColours(turned, {{85, 50, kRed}, {95, 50, kBlue}}, "rotated");
}

TEST(NineSlice, ButtonsSliceTheRecordsOfTheirState) {
    auto movie = std::make_shared<Movie>();
    movie->stage = {0, 4000, 0, 2000};
    movie->dictionary[1] = test::rectangleShape(1, {0, 800, 0, 800}, test::solidFill({255, 0, 0, 255}));
    movie->dictionary[2] = test::rectangleShape(2, {200, 600, 200, 600}, test::solidFill({0, 0, 255, 255}));
    auto button = std::make_shared<ButtonCharacter>(3);
    ButtonRecord frame;
    frame.up = true;
    frame.characterId = 1;
    ButtonRecord centre = frame;
    centre.characterId = 2;
    centre.depth = 2;
    button->records = {frame, centre};
    movie->dictionary[3] = button;
    movie->scalingGrids[3] = Rect{200, 600, 200, 600};
    DisplayList list;
    auto placed = std::make_unique<DisplayObject>();
    placed->depth = 1;
    placed->character = button;
    placed->matrix = Matrix{3, 0, 0, 2, 400, 200};  // x 20..140, y 10..90
    list[1] = std::move(placed);
    RenderResources resources;
    resources.setMovie(movie);
    StageRenderer renderer(resources);
    const QImage image = renderer.renderImage(list, movie->stage, {200, 100}, Qt::white);
    expectColours(image, {{25, 50, kRed}, {32, 50, kBlue}, {128, 50, kBlue}, {135, 50, kRed}, {80, 15, kRed}, {80, 22, kBlue}},
                  "button");
}

}  // namespace
}  // namespace velmora::swf
