#include <gtest/gtest.h>

#include "render_test_support.h"
#include "support/swf_writer.h"
#include "swf/format/button.h"
#include "swf/format/movie_loader.h"
#include "swf/format/sprite.h"
#include "swf/render/stage_renderer.h"
#include "swf/runtime/clip.h"
#include "swf/runtime/movie_instance.h"

namespace velmora::swf {
namespace {

using test::colorDistance;
using test::pixel;

const QColor kYellow(255, 255, 192);
const Rect kStage{0, 2000, 0, 1000};  // 100 x 50 px

std::unique_ptr<DisplayObject> place(std::shared_ptr<const Character> c, uint16_t depth, Matrix m = {},
                                     ColorTransform cx = {}) {
    auto o = std::make_unique<DisplayObject>();
    o->depth = depth;
    o->character = std::move(c);
    o->matrix = m;
    o->colorTransform = cx;
    return o;
}

struct Scene {
    std::shared_ptr<Movie> movie = std::make_shared<Movie>();
    RenderResources resources;
    DisplayList list;

    Scene() { movie->stage = kStage; }
    template <class T>
    std::shared_ptr<T> add(std::shared_ptr<T> c) {
        movie->dictionary[c->id] = c;
        return c;
    }
    void put(std::unique_ptr<DisplayObject> o) { list[o->depth] = std::move(o); }
    QImage render(QSize size = {100, 50}, QColor background = kYellow) {
        resources.setMovie(movie);
        StageRenderer renderer(resources);
        return renderer.renderImage(list, kStage, size, background);
    }
};

TEST(StageRenderer, ShowAllScalesByOneFactorCentredWithBackgroundMargins) {
    Scene scene;
    auto red = scene.add(test::rectangleShape(1, {0, 2000, 0, 1000}, test::solidFill({255, 0, 0, 255})));
    scene.put(place(red, 1));
    // 200 x 200: the 2:1 stage is scaled by 2 into 200 x 100, with 50-pixel margins above and below.
    const QImage image = scene.render({200, 200});
    EXPECT_EQ(pixel(image, 100, 100), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(image, 0, 50), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(image, 199, 149), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(image, 100, 49), kYellow.rgb());
    EXPECT_EQ(pixel(image, 100, 150), kYellow.rgb());
    // Tall and narrow: margins left and right instead.
    const QImage narrow = scene.render({50, 100});
    EXPECT_EQ(pixel(narrow, 25, 50), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(narrow, 25, 30), kYellow.rgb());
}

TEST(StageRenderer, ContentOutsideTheStageDoesNotSpillIntoTheMargins) {
    Scene scene;
    auto big = scene.add(test::rectangleShape(1, {-2000, 4000, -2000, 3000}, test::solidFill({0, 0, 255, 255})));
    scene.put(place(big, 1));
    const QImage image = scene.render({100, 100});
    EXPECT_EQ(pixel(image, 50, 50), qRgb(0, 0, 255));
    EXPECT_EQ(pixel(image, 50, 10), kYellow.rgb());
}

TEST(StageRenderer, DegenerateStageOrViewportShowsOnlyTheBackground) {
    Scene scene;
    scene.movie->stage = {};
    auto red = scene.add(test::rectangleShape(1, {0, 2000, 0, 1000}, test::solidFill({255, 0, 0, 255})));
    scene.put(place(red, 1));
    scene.resources.setMovie(scene.movie);
    StageRenderer renderer(scene.resources);
    const QImage image = renderer.renderImage(scene.list, Rect{}, {10, 10}, Qt::black);
    EXPECT_EQ(pixel(image, 5, 5), qRgb(0, 0, 0));
    EXPECT_TRUE(renderer.renderImage(scene.list, kStage, {0, 0}, Qt::black).isNull());
}

TEST(StageRenderer, DepthOrderVisibilityAndAlpha) {
    Scene scene;
    auto red = scene.add(test::rectangleShape(1, {0, 1000, 0, 1000}, test::solidFill({255, 0, 0, 255})));
    auto blue = scene.add(test::rectangleShape(2, {500, 1500, 0, 1000}, test::solidFill({0, 0, 255, 255})));
    auto green = scene.add(test::rectangleShape(3, {0, 2000, 0, 200}, test::solidFill({0, 255, 0, 255})));
    scene.put(place(blue, 5));
    scene.put(place(red, 2));
    ColorTransform half;
    half.aMult = 0.5;
    scene.put(place(green, 9, {}, half));
    auto hidden = place(test::rectangleShape(4, {0, 2000, 0, 1000}, test::solidFill({0, 0, 0, 255})), 20);
    hidden->visible = false;
    scene.put(std::move(hidden));
    const QImage image = scene.render();
    EXPECT_EQ(pixel(image, 10, 30), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(image, 30, 30), qRgb(0, 0, 255));  // blue above red
    EXPECT_EQ(pixel(image, 85, 30), kYellow.rgb());
    EXPECT_LE(colorDistance(pixel(image, 90, 5), qRgb(128, 255, 96)), 2);  // half green over yellow
}

TEST(StageRenderer, ClipLayerMasksTheDepthsItCoversOnly) {
    Scene scene;
    auto mask = scene.add(test::rectangleShape(1, {0, 1000, 0, 1000}, test::solidFill({0, 0, 0, 255})));
    auto red = scene.add(test::rectangleShape(2, {0, 2000, 0, 500}, test::solidFill({255, 0, 0, 255})));
    auto blue = scene.add(test::rectangleShape(3, {0, 2000, 500, 1000}, test::solidFill({0, 0, 255, 255})));
    auto masker = place(mask, 1);
    masker->clipDepth = 2;
    scene.put(std::move(masker));
    scene.put(place(red, 2));   // masked: shows on the left half only
    scene.put(place(blue, 3));  // above the mask's reach: shows whole
    const QImage image = scene.render();
    EXPECT_EQ(pixel(image, 49, 10), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(image, 50, 10), kYellow.rgb());  // the mask cuts at x = 50 exactly
    EXPECT_EQ(pixel(image, 80, 40), qRgb(0, 0, 255));
    EXPECT_EQ(pixel(image, 10, 40), qRgb(0, 0, 255));  // the mask itself is not drawn
}

TEST(StageRenderer, MorphShapeAtItsRatio) {
    Scene scene;
    auto morph = std::make_shared<MorphShapeCharacter>(1);
    MorphShapeCharacter::MorphFill fill{test::solidFill({255, 0, 0, 255}), test::solidFill({0, 0, 255, 255})};
    morph->fillStyles = {fill};
    morph->startRecords = test::rectangleRecords({0, 400, 0, 400});
    // The end: the same square moved 1000 twips right; its records carry only the move.
    auto end = test::rectangleRecords({1000, 1400, 0, 400});
    std::get<StyleChangeRecord>(end[0]).fillStyle1.reset();
    morph->endRecords = end;
    scene.add(morph);
    auto half = place(morph, 1);
    half->ratio = 32768;
    scene.put(std::move(half));
    const QImage image = scene.render();
    // Half way: x 500..900 twips = 25..45 px, purple.
    EXPECT_LE(colorDistance(pixel(image, 35, 10), qRgb(128, 0, 127)), 2);
    EXPECT_EQ(pixel(image, 10, 10), kYellow.rgb());
    EXPECT_EQ(pixel(image, 60, 10), kYellow.rgb());
}

TEST(StageRenderer, ButtonShowsTheRecordsOfItsState) {
    Scene scene;
    auto up = scene.add(test::rectangleShape(1, {0, 400, 0, 400}, test::solidFill({0, 255, 0, 255})));
    auto over = scene.add(test::rectangleShape(2, {0, 400, 0, 400}, test::solidFill({255, 0, 0, 255})));
    auto button = std::make_shared<ButtonCharacter>(3);
    ButtonRecord upRecord;
    upRecord.up = true;
    upRecord.characterId = 1;
    upRecord.matrix.tx = 200;
    ButtonRecord overRecord;
    overRecord.over = true;
    overRecord.characterId = 2;
    ButtonRecord missing;
    missing.up = true;
    missing.characterId = 77;
    button->records = {upRecord, overRecord, missing};
    scene.add(button);
    scene.put(place(button, 1));
    const QImage image = scene.render();
    EXPECT_EQ(pixel(image, 15, 10), qRgb(0, 255, 0));
    EXPECT_EQ(pixel(image, 5, 10), kYellow.rgb());
    EXPECT_FALSE(scene.resources.warnings.empty());
}

TEST(StageRenderer, ButtonShowsTheFirstFrameOfItsSprites) {
    Scene scene;
    scene.add(test::rectangleShape(1, {0, 400, 0, 400}, test::solidFill({0, 0, 255, 255})));
    scene.add(test::rectangleShape(2, {0, 400, 0, 400}, test::solidFill({255, 0, 0, 255})));
    auto frameOf = [](uint16_t characterId, double tx) {
        PlaceObject p;
        p.depth = 1;
        p.characterId = characterId;
        p.matrix = Matrix{1, 0, 0, 1, tx, 0};
        Frame frame;
        frame.tags.push_back(p);
        return frame;
    };
    // Sprite 4 shows the blue square at x 400 twips, then the red one on its second frame;
    // sprite 5 holds sprite 4 moved a further 400 twips.
    auto inner = scene.add(std::make_shared<SpriteCharacter>(4));
    inner->timeline.frames = {frameOf(1, 400), frameOf(2, 0)};
    auto outer = scene.add(std::make_shared<SpriteCharacter>(5));
    outer->timeline.frames = {frameOf(4, 400)};
    auto button = std::make_shared<ButtonCharacter>(3);
    ButtonRecord record;
    record.up = true;
    record.characterId = 5;
    button->records = {record};
    scene.add(button);
    scene.put(place(button, 1));
    const QImage image = scene.render();
    EXPECT_EQ(pixel(image, 50, 10), qRgb(0, 0, 255));
    EXPECT_EQ(pixel(image, 35, 10), kYellow.rgb());
    EXPECT_EQ(pixel(image, 65, 10), kYellow.rgb());

    // A sprite placing itself twice over would double at every level: drawing stops, with a warning.
    auto selfish = scene.add(std::make_shared<SpriteCharacter>(6));
    selfish->timeline.frames = {frameOf(6, 0)};
    PlaceObject again = std::get<PlaceObject>(selfish->timeline.frames[0].tags[0]);
    again.depth = 2;
    selfish->timeline.frames[0].tags.push_back(again);
    button->records[0].characterId = 6;
    scene.render();
    EXPECT_FALSE(scene.resources.warnings.empty());
}

TEST(StageRenderer, SpriteMaskInsideAButtonMasksWithItsFirstFrame) {
    Scene scene;
    scene.add(test::rectangleShape(1, {0, 400, 0, 400}, test::solidFill({0, 0, 0, 255})));
    scene.add(test::rectangleShape(2, {0, 2000, 0, 1000}, test::solidFill({255, 0, 0, 255})));
    auto placeTag = [](uint16_t depth, uint16_t characterId, std::optional<uint16_t> clipDepth = {}) {
        PlaceObject p;
        p.depth = depth;
        p.characterId = characterId;
        p.clipDepth = clipDepth;
        return p;
    };
    // Sprite 4 holds the 20-pixel square; sprite 5 masks the red stage-wide rectangle with it.
    auto mask = scene.add(std::make_shared<SpriteCharacter>(4));
    mask->timeline.frames.resize(1);
    mask->timeline.frames[0].tags.push_back(placeTag(1, 1));
    auto masked = scene.add(std::make_shared<SpriteCharacter>(5));
    masked->timeline.frames.resize(1);
    masked->timeline.frames[0].tags = {placeTag(1, 4, 3), placeTag(2, 2)};
    auto button = std::make_shared<ButtonCharacter>(3);
    ButtonRecord record;
    record.up = true;
    record.characterId = 5;
    button->records = {record};
    scene.add(button);
    scene.put(place(button, 1));
    const QImage image = scene.render();
    EXPECT_EQ(pixel(image, 10, 10), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(image, 30, 10), kYellow.rgb());
    EXPECT_EQ(pixel(image, 10, 30), kYellow.rgb());
}

TEST(StageRenderer, AButtonAsAMaskShowsWhatItsUpStateCovers) {
    Scene scene;
    scene.add(test::rectangleShape(1, {0, 400, 0, 400}, test::solidFill({0, 0, 0, 255})));
    auto red = scene.add(test::rectangleShape(2, {0, 2000, 0, 1000}, test::solidFill({255, 0, 0, 255})));
    auto button = std::make_shared<ButtonCharacter>(3);
    ButtonRecord record;
    record.up = true;
    record.characterId = 1;
    button->records = {record};
    scene.add(button);
    auto mask = place(button, 1);
    mask->clipDepth = 2;
    scene.put(std::move(mask));
    scene.put(place(red, 2));
    const QImage image = scene.render();
    EXPECT_EQ(pixel(image, 10, 10), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(image, 30, 10), kYellow.rgb());
}

TEST(StageRenderer, BlendModesOnLayers) {
    Scene scene;
    auto grey = scene.add(test::rectangleShape(1, {0, 2000, 0, 1000}, test::solidFill({200, 200, 200, 255})));
    auto top = scene.add(test::rectangleShape(2, {0, 2000, 0, 1000}, test::solidFill({100, 50, 255, 255})));
    scene.put(place(grey, 1));
    auto blended = place(top, 2);
    auto colourAt = [&](BlendMode mode) {
        scene.list[2]->blendMode = mode;
        return pixel(scene.render(), 50, 25);
    };
    scene.put(std::move(blended));
    EXPECT_LE(colorDistance(colourAt(BlendMode::Multiply), qRgb(78, 39, 200)), 2);
    EXPECT_LE(colorDistance(colourAt(BlendMode::Screen), qRgb(222, 211, 255)), 2);
    EXPECT_LE(colorDistance(colourAt(BlendMode::Darken), qRgb(100, 50, 200)), 1);
    EXPECT_LE(colorDistance(colourAt(BlendMode::Lighten), qRgb(200, 200, 255)), 1);
    EXPECT_LE(colorDistance(colourAt(BlendMode::Difference), qRgb(100, 150, 55)), 1);
    EXPECT_LE(colorDistance(colourAt(BlendMode::Add), qRgb(255, 250, 255)), 1);
    EXPECT_LE(colorDistance(colourAt(BlendMode::Subtract), qRgb(100, 150, 0)), 1);
    EXPECT_LE(colorDistance(colourAt(BlendMode::Invert), qRgb(55, 55, 55)), 1);
    EXPECT_EQ(colourAt(BlendMode::Layer), qRgb(100, 50, 255));
    // Alpha and erase with no layer below them leave the stage alone.
    EXPECT_EQ(colourAt(BlendMode::Erase), qRgb(200, 200, 200));
    EXPECT_EQ(colourAt(BlendMode::Alpha), qRgb(200, 200, 200));
}

TEST(StageRenderer, BlurAndDropShadowSpreadBeyondTheShape) {
    Scene scene;
    auto square = scene.add(test::rectangleShape(1, {600, 1400, 200, 800}, test::solidFill({0, 0, 0, 255})));
    auto object = place(square, 1);
    Filter shadow;
    shadow.type = Filter::Type::DropShadow;
    shadow.color = {255, 0, 0, 255};
    shadow.blurX = shadow.blurY = 2;
    shadow.distance = 8;
    shadow.angle = 0;  // to the right
    object->filters = {shadow};
    scene.put(std::move(object));
    QImage image = scene.render();
    EXPECT_EQ(pixel(image, 50, 25), qRgb(0, 0, 0));
    EXPECT_GT(qRed(pixel(image, 74, 25)), 200);  // the shadow, 8 px to the right of the square
    EXPECT_LT(qBlue(pixel(image, 74, 25)), 100);
    EXPECT_EQ(pixel(image, 25, 25), kYellow.rgb());  // nothing to the left

    Filter blur;
    blur.type = Filter::Type::Blur;
    blur.blurX = blur.blurY = 10000;  // held to a bounded radius
    scene.list[1]->filters = {blur};
    image = scene.render();
    const QRgb centre = pixel(image, 50, 25);
    EXPECT_GT(qRed(centre), 0);  // spread out: lighter than black, darker than the background
    EXPECT_LT(qRed(centre), 255);
}

// A real movie through the runtime: a sprite inside a sprite, each placed with a matrix and a
// colour transform that compose on the way down.
TEST(StageRenderer, SpritesComposeMatricesAndColourTransforms) {
    velmora::test::SwfTagList inner;
    inner.placeObject2({.depth = 1, .characterId = 1, .matrix = velmora::test::WriterMatrix{.translateX = 200}});
    inner.showFrame();
    velmora::test::SwfTagList outer;
    outer.placeObject2({.depth = 1,
                        .characterId = 2,
                        .matrix = velmora::test::WriterMatrix{.scaleX = 2.0, .scaleY = 2.0},
                        .colorTransform = velmora::test::WriterColorTransform{.gMult = 0, .bMult = 0}});
    outer.showFrame();
    velmora::test::SwfWriter swf;
    swf.stageSizePixels(100, 50);
    swf.defineRectangle(1, 0, 0, 200, 200, {255, 255, 255});
    swf.defineSprite(2, inner);
    swf.defineSprite(3, outer);
    swf.placeObject2({.depth = 1,
                      .characterId = 3,
                      .matrix = velmora::test::WriterMatrix{.translateX = 400, .translateY = 200},
                      .colorTransform = velmora::test::WriterColorTransform{.aMult = 128}});
    swf.showFrame();
    const auto bytes = swf.bytes();
    auto movie = parseMovie(bytes);
    MovieInstance instance(movie);
    RenderResources resources;
    resources.setMovie(movie);
    StageRenderer renderer(resources);
    const QImage image = renderer.renderImage(instance.root().displayList(), movie->stage, {100, 50}, Qt::white);
    // The 200-twip white square: inner offset 200, all doubled by the outer sprite, plus 400 on
    // stage: x from 800 to 1200 twips (40..60 px), y from 200 to 600 (10..30 px); red only, half
    // alpha.
    EXPECT_LE(colorDistance(pixel(image, 50, 20), qRgb(255, 127, 127)), 2);
    EXPECT_LE(colorDistance(pixel(image, 40, 10), qRgb(255, 127, 127)), 2);
    EXPECT_EQ(pixel(image, 39, 20), qRgb(255, 255, 255));
    EXPECT_EQ(pixel(image, 60, 20), qRgb(255, 255, 255));
    EXPECT_EQ(pixel(image, 50, 30), qRgb(255, 255, 255));
    EXPECT_EQ(test::compareWithExpected(image, "nested_sprites"), "");
}

}  // namespace
}  // namespace velmora::swf
