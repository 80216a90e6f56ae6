// Effects a script gives a clip (Color, filters, scale9Grid), as drawn.
#include <gtest/gtest.h>

#include "render_test_support.h"
#include "support/avm1_assembler.h"
#include "support/swf_writer.h"
#include "swf/format/movie_loader.h"
#include "swf/render/stage_renderer.h"
#include "swf/runtime/movie_instance.h"

namespace velmora::swf {
namespace {

using test::pixel;
using velmora::test::Action;
using velmora::test::Avm1Assembler;
using velmora::test::PushInt;

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kWhite = qRgb(255, 255, 255);

// Sprite "box" on a 200 x 100 pixel stage: a red 40-pixel square with a blue one inset 10 pixels,
// placed at (20, 20) and scaled three times across; script runs on the root's first frame.
QImage render(const Avm1Assembler& script) {
    velmora::test::SwfTagList content;
    content.placeObject2({.depth = 1, .characterId = 1});
    content.placeObject2({.depth = 2, .characterId = 2});
    content.showFrame();
    velmora::test::SwfWriter swf;
    swf.stageSizePixels(200, 100);
    swf.defineRectangle(1, 0, 0, 800, 800, {255, 0, 0});
    swf.defineRectangle(2, 200, 200, 400, 400, {0, 0, 255});
    swf.defineSprite(3, content);
    swf.placeObject2({.depth = 1, .characterId = 3,
                      .matrix = velmora::test::WriterMatrix{.scaleX = 3.0, .translateX = 400, .translateY = 400},
                      .name = "box"});
    swf.doAction(script.doActionBody());
    swf.showFrame();
    const auto movie = parseMovie(swf.bytes());
    MovieInstance instance(movie);
    RenderResources resources;
    resources.setMovie(movie);
    StageRenderer renderer(resources);
    return renderer.renderImage(instance.root().displayList(), movie->stage, {200, 100}, Qt::white);
}

// box[property] = new <className>(args)
Avm1Assembler& assignNew(Avm1Assembler& a, const std::string& property, const std::string& package,
                         const std::string& className, const std::vector<velmora::test::PushItem>& args) {
    a.get("box").push({property});
    std::vector<velmora::test::PushItem> items(args.rbegin(), args.rend());
    items.emplace_back(PushInt{static_cast<int32_t>(args.size())});
    a.push(items).get("flash").push({package}).op(Action::GetMember).push({className}).op(Action::NewMethod);
    return a.op(Action::SetMember);
}

TEST(ScriptEffects, ColorTintsTheClip) {
    Avm1Assembler a;  // new Color(box).setRGB(0x00FF00)
    a.push({PushInt{0x00FF00}, PushInt{1}}).get("box").push({PushInt{1}, "Color"}).op(Action::NewObject)
        .push({"setRGB"}).op(Action::CallMethod).op(Action::Pop);
    const QImage image = render(a);
    EXPECT_EQ(pixel(image, 25, 25), qRgb(0, 255, 0));  // the frame
    EXPECT_EQ(pixel(image, 80, 40), qRgb(0, 255, 0));  // the centre: one colour throughout
    EXPECT_EQ(pixel(image, 150, 40), kWhite);
}

TEST(ScriptEffects, AScriptsScalingGridKeepsTheFrameWhereTheSpriteHasNone) {
    const QImage plain = render(Avm1Assembler());
    EXPECT_EQ(pixel(plain, 40, 40), kRed);  // scaled as a whole: the frame is 30 pixels across
    Avm1Assembler a;
    assignNew(a, "scale9Grid", "geom", "Rectangle", {10.0, 10.0, 20.0, 20.0});
    const QImage sliced = render(a);
    EXPECT_EQ(pixel(sliced, 25, 40), kRed);   // the corners keep their 10 pixels
    EXPECT_EQ(pixel(sliced, 40, 40), kBlue);  // and the centre takes the rest
    EXPECT_EQ(pixel(sliced, 135, 40), kRed);
    EXPECT_EQ(pixel(sliced, 145, 40), kWhite);
}

TEST(ScriptEffects, AScriptsFiltersAreDrawn) {
    Avm1Assembler a;  // box.filters = [new flash.filters.BlurFilter(16, 16, 1)]
    a.get("box").push({"filters", 1.0, 16.0, 16.0, PushInt{3}}).get("flash").push({"filters"})
        .op(Action::GetMember).push({"BlurFilter"}).op(Action::NewMethod).push({PushInt{1}})
        .op(Action::InitArray).op(Action::SetMember);
    const QImage blurred = render(a);
    EXPECT_NE(pixel(blurred, 18, 40), kWhite);  // soft beyond the left edge
    EXPECT_NE(pixel(blurred, 25, 40), kRed);
}

}  // namespace
}  // namespace velmora::swf
