#include <gtest/gtest.h>

#include <limits>

#include "render_test_support.h"
#include "swf/render/morph_shape.h"
#include "swf/render/stage_renderer.h"
#include "swf/runtime/clip.h"

namespace velmora::swf {
namespace {

// What a damaged or hostile movie can put in front of the renderer: each case draws something
// bounded or nothing, and never fails.

QImage renderOne(std::shared_ptr<const Character> c, Matrix m = {}, uint16_t ratio = 0) {
    auto movie = std::make_shared<Movie>();
    movie->stage = {0, 2000, 0, 2000};
    movie->dictionary[c->id] = c;
    DisplayList list;
    auto o = std::make_unique<DisplayObject>();
    o->depth = 1;
    o->character = std::move(c);
    o->matrix = m;
    o->ratio = ratio;
    list[1] = std::move(o);
    RenderResources resources;
    resources.setMovie(movie);
    StageRenderer renderer(resources);
    return renderer.renderImage(list, movie->stage, {100, 100}, Qt::white);
}

TEST(HostileInput, ShapesAtTheEdgesOfTheCoordinateRange) {
    // A rectangle near the largest the format can write, scaled up again by its matrix.
    auto huge = test::rectangleShape(1, {-(1 << 29), 1 << 29, -(1 << 29), 1 << 29}, test::solidFill({255, 0, 0, 255}));
    EXPECT_EQ(test::pixel(renderOne(huge, Matrix{32767, 0, 0, 32767, 0, 0}), 50, 50), qRgb(255, 0, 0));
    // Squeezed to nothing.
    EXPECT_EQ(test::pixel(renderOne(huge, Matrix{0, 0, 0, 0, 0, 0}), 50, 50), qRgb(255, 255, 255));
}

TEST(HostileInput, StageAndFieldsWiderThanAnIntHolds) {
    auto field = std::make_shared<EditTextCharacter>(1);
    field->bounds = {INT32_MIN / 2 - 5, INT32_MAX / 2 + 5, 0, 400};
    field->initialText = "x";
    auto movie = std::make_shared<Movie>();
    movie->stage = {INT32_MIN + 1, INT32_MAX, INT32_MIN + 1, INT32_MAX};
    movie->dictionary[1] = field;
    DisplayList list;
    auto o = std::make_unique<DisplayObject>();
    o->character = field;
    list[1] = std::move(o);
    RenderResources resources;
    resources.setMovie(movie);
    StageRenderer renderer(resources);
    const StageViewport view = StageViewport::showAll(movie->stage, {100, 100});
    EXPECT_GT(view.scale, 0.0);
    renderer.renderImage(list, movie->stage, {100, 100}, Qt::white);
}

TEST(HostileInput, ShapeOfManyEdgesAndDanglingEdges) {
    auto shape = std::make_shared<ShapeCharacter>(1);
    shape->fillStyles = {test::solidFill({0, 0, 0, 255})};
    LineStyle line;
    line.width = 65535;  // an enormous stroke
    shape->lineStyles = {line};
    StyleChangeRecord start;
    start.moveTo = std::make_pair(1000, 1000);
    start.fillStyle0 = 1;
    start.fillStyle1 = 1;  // both sides: cancels out
    start.lineStyle = 1;
    shape->records.push_back(start);
    for (int i = 0; i < 100000; ++i)
        shape->records.push_back(StraightEdgeRecord{(i % 2) ? 3 : -3, (i % 3) - 1});  // never closes
    renderOne(shape);
    SUCCEED();
}

TEST(HostileInput, MorphShapesWithMismatchedRecords) {
    auto morph = std::make_shared<MorphShapeCharacter>(1);
    morph->fillStyles = {{test::solidFill({255, 0, 0, 255}), test::solidFill({0, 0, 255, 255})}};
    morph->startRecords = test::rectangleRecords({0, 1000, 0, 1000});
    morph->endRecords = {StraightEdgeRecord{5, 5}};  // far fewer edges than the start
    for (uint16_t ratio : {uint16_t(0), uint16_t(40000), uint16_t(65535)}) renderOne(morph, {}, ratio);
    // The end shape's edges run out: the rest stay as they start. At the end the first corner has
    // moved along its one paired edge and the square has become a triangle over its lower left.
    const ShapeGeometry g = buildMorphGeometry(*morph, 1.0);
    ASSERT_FALSE(g.empty());
    EXPECT_TRUE(g.groups[0].fills[0].path.contains(QPointF(200, 700)));
    EXPECT_FALSE(g.groups[0].fills[0].path.contains(QPointF(700, 200)));
    // Gradients with different stop counts on each side.
    MorphShapeCharacter::MorphFill gradient;
    gradient.start.type = gradient.end.type = FillStyle::Type::LinearGradient;
    gradient.start.gradient.stops = {{0, {}}, {255, {}}};
    gradient.end.gradient.stops = {{0, {}}};
    EXPECT_EQ(interpolateFill(gradient, 0.5).gradient.stops.size(), 2u);
}

TEST(HostileInput, BlendModeAndFilterValuesOutOfRange) {
    auto shape = test::rectangleShape(1, {0, 1000, 0, 1000}, test::solidFill({0, 0, 0, 255}));
    auto movie = std::make_shared<Movie>();
    movie->stage = {0, 2000, 0, 2000};
    movie->dictionary[1] = shape;
    DisplayList list;
    auto o = std::make_unique<DisplayObject>();
    o->depth = 1;
    o->character = shape;
    o->blendMode = static_cast<BlendMode>(200);  // not a mode: drawn normally
    Filter wild;
    wild.type = Filter::Type::DropShadow;
    wild.blurX = std::numeric_limits<double>::infinity();
    wild.blurY = -1e300;
    wild.distance = std::numeric_limits<double>::quiet_NaN();
    wild.strength = 1e9;
    wild.passes = 1000;
    Filter bevel = wild;
    bevel.type = Filter::Type::GradientBevel;
    bevel.gradient = {{200, {0, 0, 0, 255}}, {10, {255, 255, 255, 255}}};  // ratios out of order
    Filter convolution;
    convolution.type = Filter::Type::Convolution;
    convolution.matrixX = convolution.matrixY = 255;  // too large to run: skipped with a warning
    convolution.convolution.assign(255 * 255, std::numeric_limits<float>::quiet_NaN());
    o->filters = {wild, bevel, convolution};
    list[1] = std::move(o);
    RenderResources resources;
    resources.setMovie(movie);
    StageRenderer renderer(resources);
    renderer.renderImage(list, movie->stage, {100, 100}, Qt::white);
    ASSERT_FALSE(resources.warnings.empty());
    EXPECT_NE(resources.warnings.messages()[0].find("filter"), std::string::npos);
}

}  // namespace
}  // namespace velmora::swf
