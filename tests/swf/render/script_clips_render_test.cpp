// Clips a script attaches and masks, as the renderer draws them.
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
using velmora::test::Color;
using velmora::test::PushInt;
using velmora::test::SwfTagList;
using velmora::test::SwfWriter;

// Exports a sprite holding rectangle `shape` under `name`.
void exportSprite(SwfWriter& swf, uint16_t id, uint16_t shape, const std::string& name) {
    SwfTagList content;
    content.placeObject2({.depth = 1, .characterId = shape}).showFrame();
    swf.defineSprite(id, content);
    swf.exportAssets({{id, name}});
}

// name = _root.attachMovie(linkage, name, depth); name._x = x
void attach(Avm1Assembler& a, const std::string& linkage, const std::string& name, int depth, int x) {
    a.push({name, PushInt{depth}, name, linkage, PushInt{3}, "_root"}).op(Action::GetVariable)
        .push({"attachMovie"}).op(Action::CallMethod).op(Action::SetVariable);
    a.get(name).push({"_x", PushInt{x}}).op(Action::SetMember);
}

TEST(ScriptClipsRender, AttachedClipsShowAndAScriptMaskClipsAnother) {
    SwfWriter swf;
    swf.stageSizePixels(100, 50);
    swf.defineRectangle(1, 0, 0, 400, 400, Color{255, 0, 0});      // 20 px red square
    swf.defineRectangle(2, 0, 0, 400, 1000, Color{0, 0, 255});     // 20 x 50 px blue bar
    swf.defineRectangle(3, 0, 0, 2000, 1000, Color{128, 128, 128});  // the grey stage
    exportSprite(swf, 10, 1, "box");
    exportSprite(swf, 11, 2, "bar");
    exportSprite(swf, 12, 3, "band");
    Avm1Assembler a;
    attach(a, "box", "box", 1, 10);
    attach(a, "band", "band", 2, 0);
    attach(a, "bar", "bar", 3, 60);
    a.get("bar").push({PushInt{1}, "band"}).op(Action::GetVariable).push({"setMask"}).op(Action::CallMethod)
        .op(Action::Pop);
    swf.doAction(a.doActionBody()).showFrame();
    Avm1Assembler unmask;
    unmask.push({velmora::test::PushNull{}, PushInt{1}, "band"}).op(Action::GetVariable).push({"setMask"})
        .op(Action::CallMethod).op(Action::Pop).op(Action::Stop);
    swf.doAction(unmask.doActionBody()).showFrame();
    const auto bytes = swf.bytes();
    auto movie = parseMovie(bytes);
    MovieInstance instance(movie);
    RenderResources resources;
    resources.setMovie(movie);
    StageRenderer renderer(resources);
    QImage image = renderer.renderImage(instance.root().displayList(), movie->stage, {100, 50}, Qt::white);
    EXPECT_EQ(pixel(image, 20, 10), qRgb(255, 0, 0));      // the box, not covered: band is masked
    EXPECT_EQ(pixel(image, 70, 25), qRgb(128, 128, 128));  // band, within the bar's outline
    EXPECT_EQ(pixel(image, 90, 25), qRgb(255, 255, 255));  // band, outside it
    EXPECT_EQ(pixel(image, 50, 45), qRgb(255, 255, 255));

    // setMask(null) on frame 2: the band shows whole again, over the box; the bar as itself.
    instance.tick();
    image = renderer.renderImage(instance.root().displayList(), movie->stage, {100, 50}, Qt::white);
    EXPECT_EQ(pixel(image, 20, 10), qRgb(128, 128, 128));
    EXPECT_EQ(pixel(image, 70, 25), qRgb(0, 0, 255));
    EXPECT_EQ(pixel(image, 90, 25), qRgb(128, 128, 128));
}

}  // namespace
}  // namespace velmora::swf
