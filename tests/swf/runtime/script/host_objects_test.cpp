// Color, flash.geom, flash.filters and the clip's effect properties, Stage and ContextMenu: what
// scripts see, and what reaches the display object and the view.
#include <gtest/gtest.h>

#include "host_script.h"
#include "library_fixture.h"
#include "swf/runtime/script/stage_host.h"
#include "swf/runtime/script/vm.h"

namespace velmora::test {
namespace {

using Lines = std::vector<std::string>;

swf::DisplayObject& boxObject(swf::MovieInstance& movie) { return *movie.root().displayList().at(1); }

bool reported(const swf::MovieInstance& movie, const std::string& text) {
    for (const std::string& m : movie.messages())
        if (m.find(text) != std::string::npos) return true;
    return false;
}

TEST(GeometryTest, PointsAndRectanglesComputeAndPrintAsScriptsExpect) {
    Avm1Assembler a;
    setNew(a, "p", "flash.geom.Point", {3.0, 4.0});
    tracePath(a, "p.length");
    traceCall(a, "p.add", {});  // no point: NaN, not a crash
    setNew(a, "q", "flash.geom.Point", {1.0, PushInt{-1}});
    callWithVars(a, "p.add", {"q"}).trace();
    traceCall(a, "flash.geom.Point.distance", {});
    callWithVars(a, "flash.geom.Point.distance", {"p", "q"}).trace();
    callPath(a, "p.normalize", {10.0}).op(Action::Pop);
    tracePath(a, "p");
    setNew(a, "r", "flash.geom.Rectangle", {10.0, 20.0, 30.0, 40.0});
    tracePath(a, "r");
    tracePath(a, "r.bottomRight");
    setPath(a, "r.left", 0.0);  // keeps the right edge
    tracePath(a, "r");
    setNew(a, "s", "flash.geom.Rectangle", {20.0, 50.0, 100.0, 100.0});
    callWithVars(a, "r.intersection", {"s"}).trace();
    callWithVars(a, "r.union", {"s"}).trace();
    setNew(a, "e", "flash.geom.Rectangle", {});
    callWithVars(a, "r.union", {"e"}).trace();  // an empty one adds nothing
    traceCall(a, "r.contains", {39.0, 59.9});
    traceCall(a, "r.contains", {40.0, 30.0});  // the right edge is outside
    EXPECT_EQ(runScript(a), (Lines{"5", "(x=NaN, y=NaN)", "(x=4, y=3)", "NaN", "5.3851648071345", "(x=6, y=8)",
                                   "(x=10, y=20, w=30, h=40)", "(x=40, y=60)", "(x=0, y=20, w=40, h=40)",
                                   "(x=20, y=50, w=20, h=10)", "(x=0, y=20, w=120, h=130)",
                                   "(x=0, y=20, w=40, h=40)", "true", "false"}));
}

TEST(GeometryTest, MatricesAndColorTransformsCombineInTheirOrder) {
    Avm1Assembler a;
    setNew(a, "m", "flash.geom.Matrix", {});
    tracePath(a, "m");
    callPath(a, "m.scale", {2.0, 3.0}).op(Action::Pop);
    callPath(a, "m.translate", {10.0, 20.0}).op(Action::Pop);
    setNew(a, "pt", "flash.geom.Point", {1.0, 1.0});
    callWithVars(a, "m.transformPoint", {"pt"}).trace();
    callWithVars(a, "m.deltaTransformPoint", {"pt"}).trace();
    callPath(a, "m.invert", {}).op(Action::Pop);
    tracePath(a, "m");
    setNew(a, "z", "flash.geom.Matrix", {0.0, 0.0, 0.0, 0.0, 5.0, 5.0});
    callPath(a, "z.invert", {}).op(Action::Pop);  // singular: the identity
    tracePath(a, "z");
    // A 90-degree rotation after a translation turns the translation too.
    setNew(a, "t", "flash.geom.Matrix", {});
    callPath(a, "t.translate", {10.0, 0.0}).op(Action::Pop);
    callPath(a, "t.rotate", {1.5707963267948966}).op(Action::Pop);
    tracePath(a, "t.ty");
    setNew(a, "g", "flash.geom.Matrix", {});
    callPath(a, "g.createGradientBox", {1638.4, 819.2, 0.0, 100.0, 0.0}).op(Action::Pop);
    tracePath(a, "g");
    setNew(a, "c", "flash.geom.ColorTransform", {0.5, 1.0, 1.0, 1.0, 10.0, 0.0, 0.0, 0.0});
    setNew(a, "d", "flash.geom.ColorTransform", {1.0, 1.0, 1.0, 1.0, 100.0, 0.0, 0.0, 0.0});
    callPath(a, "c.concat", {}).op(Action::Pop);  // nothing to concat: unchanged
    callWithVars(a, "c.concat", {"d"}).op(Action::Pop);
    tracePath(a, "c");
    setPath(a, "c.rgb", PushInt{0x336699});
    tracePath(a, "c.rgb");
    tracePath(a, "c.redMultiplier");
    EXPECT_EQ(runScript(a),
              (Lines{"(a=1, b=0, c=0, d=1, tx=0, ty=0)", "(x=12, y=23)", "(x=2, y=3)",
                     "(a=0.5, b=0, c=0, d=0.333333333333333, tx=-5, ty=-6.66666666666667)",
                     "(a=1, b=0, c=0, d=1, tx=0, ty=0)", "10", "(a=1, b=0, c=0, d=0.5, tx=919.2, ty=409.6)",
                     "(redMultiplier=0.5, greenMultiplier=1, blueMultiplier=1, alphaMultiplier=1, redOffset=60, "
                     "greenOffset=0, blueOffset=0, alphaOffset=0)",
                     "3368601", "0"}));
}

TEST(ColorTest, TintsAndTransformsReachTheClipAndReadBack) {
    Avm1Assembler a;
    setNew(a, "c", "Color", {"box"});  // a path, found from the script's timeline
    callPath(a, "c.setRGB", {PushInt{0x0000FF}}).op(Action::Pop);
    traceCall(a, "c.getRGB", {});
    a.push({"ra", 50.0, "ab", PushInt{-20}, PushInt{2}}).op(Action::InitObject).push({PushInt{1}}).get("c")
        .push({"setTransform"}).op(Action::CallMethod).op(Action::Pop);
    a.push({"t"});
    callPath(a, "c.getTransform", {}).op(Action::SetVariable);
    tracePath(a, "t.ra");
    tracePath(a, "t.bb");  // left out of setTransform: kept
    tracePath(a, "t.ab");
    setNew(a, "gone", "Color", {"nothing"});
    traceCall(a, "gone.getRGB", {});  // no clip: undefined, nothing changes
    auto movie = playWithBox(a);
    EXPECT_EQ(traceLines(*movie), (Lines{"255", "50", "255", "-20", "undefined"}));
    const swf::ColorTransform& t = boxObject(*movie).colorTransform;
    EXPECT_DOUBLE_EQ(t.rMult, 0.5);
    EXPECT_EQ(t.bAdd, 255);
    EXPECT_EQ(t.aAdd, -20);
}

TEST(ClipEffectsTest, TransformGivesCopiesAndTakesAssignments) {
    Avm1Assembler a;
    a.push({"m"});
    pushPath(a, "box.transform.matrix").op(Action::SetVariable);
    tracePath(a, "m");
    setPath(a, "m.tx", 50.0);
    tracePath(a, "box._x");  // a copy: the clip stays
    a.push({"tr"});
    pushPath(a, "box.transform").op(Action::SetVariable);
    a.get("tr").push({"matrix"}).get("m").op(Action::SetMember);
    tracePath(a, "box._x");
    setNew(a, "ct", "flash.geom.ColorTransform", {1.0, 1.0, 1.0, 0.5});
    a.get("tr").push({"colorTransform"}).get("ct").op(Action::SetMember);
    tracePath(a, "box._alpha");
    tracePath(a, "box.transform.pixelBounds");
    tracePath(a, "box.transform.concatenatedColorTransform.alphaMultiplier");
    // A matrix with a part that is no number is refused whole.
    setPath(a, "m.a", "wide");
    a.get("tr").push({"matrix"}).get("m").op(Action::SetMember);
    tracePath(a, "box._x");
    auto movie = playWithBox(a);
    EXPECT_EQ(traceLines(*movie), (Lines{"(a=1, b=0, c=0, d=1, tx=10, ty=10)", "10", "50", "50",
                                         "(x=50, y=10, w=40, h=40)", "0.5", "50"}));
    EXPECT_DOUBLE_EQ(boxObject(*movie).matrix.tx, 1000.0);
}

TEST(ClipEffectsTest, FiltersAreCopiedEachWayAndOnlyDrawableOnesReachTheClip) {
    Avm1Assembler a;
    setNew(a, "blur", "flash.filters.BlurFilter", {8.0, 2.0, 3.0});
    setNew(a, "glow", "flash.filters.GlowFilter", {});
    setNew(a, "disp", "flash.filters.DisplacementMapFilter", {});
    a.push({"box"}).op(Action::GetVariable).push({"filters"}).get("disp").get("glow").get("blur")
        .push({PushInt{3}}).op(Action::InitArray).op(Action::SetMember);
    setPath(a, "blur.blurX", 100.0);  // the clip holds its own copy
    a.push({"f"});
    pushPath(a, "box.filters").op(Action::SetVariable);
    tracePath(a, "f.length");
    a.get("f").push({PushInt{0}}).op(Action::GetMember).push({"blurX"}).op(Action::GetMember).trace();
    a.get("f").push({PushInt{1}}).op(Action::GetMember).push({"color"}).op(Action::GetMember).trace();
    a.get("f").push({PushInt{1}}).op(Action::GetMember).get("flash").push({"filters"}).op(Action::GetMember)
        .push({"GlowFilter"}).op(Action::GetMember).op(Action::InstanceOf).trace();
    // clone copies arrays instead of sharing them.
    setNew(a, "gg", "flash.filters.GradientGlowFilter", {});
    a.push({"gc"});
    callPath(a, "gg.clone", {}).op(Action::SetVariable);
    callPath(a, "gg.colors.push", {PushInt{1}}).op(Action::Pop);
    tracePath(a, "gc.colors.length");
    auto movie = playWithBox(a);
    EXPECT_EQ(traceLines(*movie), (Lines{"2", "8", "16711680", "true", "0"}));
    const auto& filters = boxObject(*movie).filters;
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[0].type, swf::Filter::Type::Blur);
    EXPECT_EQ(filters[0].blurX, 8.0);
    EXPECT_EQ(filters[0].passes, 3);
    EXPECT_EQ(filters[1].type, swf::Filter::Type::Glow);
    EXPECT_EQ(filters[1].color, (swf::Rgba{255, 0, 0, 255}));
    EXPECT_TRUE(reported(*movie, "unsupported flash.filters.DisplacementMapFilter"));
}

TEST(ClipEffectsTest, BlendModesGridsAndBackgroundsReadBackAsSet) {
    Avm1Assembler a;
    tracePath(a, "box.blendMode");
    setPath(a, "box.blendMode", "multiply");
    tracePath(a, "box.blendMode");
    setPath(a, "box.blendMode", PushInt{14});
    tracePath(a, "box.blendMode");
    setPath(a, "box.blendMode", "bogus");  // ignored
    setPath(a, "box.blendMode", PushInt{15});
    tracePath(a, "box.blendMode");
    setNew(a, "g", "flash.geom.Rectangle", {10.0, 10.0, 20.0, 20.0});
    a.get("box").push({"scale9Grid"}).get("g").op(Action::SetMember);
    tracePath(a, "box.scale9Grid");
    setPath(a, "box.opaqueBackground", PushInt{0x00FF00});
    tracePath(a, "box.opaqueBackground");
    setPath(a, "box.cacheAsBitmap", true);
    tracePath(a, "box.cacheAsBitmap");
    tracePath(a, "_root.scale9Grid");  // the root takes none
    auto movie = playWithBox(a);
    EXPECT_EQ(traceLines(*movie), (Lines{"normal", "multiply", "hardlight", "hardlight", "(x=10, y=10, w=20, h=20)",
                                         "65280", "true", "undefined"}));
    const swf::DisplayObject& box = boxObject(*movie);
    EXPECT_EQ(box.blendMode, swf::BlendMode::HardLight);
    ASSERT_TRUE(box.scale9Grid);
    EXPECT_EQ(box.scale9Grid->xMin, 200);
    EXPECT_EQ(box.scale9Grid->xMax, 600);
    EXPECT_TRUE(box.cacheAsBitmap);
}

TEST(StageTest, ScaleModeAlignAndResizeListeners) {
    Avm1Assembler onResize;
    onResize.push({"Stage resized to "}).get("Stage").push({"width"}).op(Action::GetMember).op(Action::Add2).trace();
    Avm1Assembler a;
    a.push({"l"}).push({PushInt{0}}).op(Action::InitObject).op(Action::SetVariable);
    a.get("l").push({"onResize"}).defineFunction("", {}, onResize).op(Action::SetMember);
    a.get("l").push({PushInt{1}}).get("Stage").push({"addListener"}).op(Action::CallMethod).op(Action::Pop);
    tracePath(a, "Stage.scaleMode");
    tracePath(a, "Stage.width");
    setPath(a, "Stage.align", "rbt");  // top and bottom cancel
    tracePath(a, "Stage.align");
    setPath(a, "Stage.scaleMode", "bogus");
    tracePath(a, "Stage.scaleMode");
    auto movie = playWithBox(a);
    swf::script::resizeStage(*movie, 640, 480);  // scaled: no event
    Avm1Assembler unscaled;
    setPath(unscaled, "Stage.scaleMode", "NOSCALE");
    movie->vm().runBlock(std::make_shared<const std::vector<uint8_t>>(unscaled.doActionBody()), movie->root());
    swf::script::resizeStage(*movie, 300, 200);
    swf::script::resizeStage(*movie, 300, 200);  // no change: no event
    EXPECT_EQ(traceLines(*movie), (Lines{"showAll", "200", "R", "showAll", "Stage resized to 300"}));
    EXPECT_EQ(movie->stageSettings().scaleMode, swf::StageSettings::ScaleMode::NoScale);
    EXPECT_EQ(movie->stageSettings().align, swf::StageSettings::AlignRight);
}

TEST(ContextMenuTest, TheMovieMenuListsVisibleItemsAndRunsTheirHandlers) {
    Avm1Assembler picked;  // function (target, item) { trace(item.caption + " on " + target); }
    picked.get("item").push({"caption"}).op(Action::GetMember).push({" on "}).op(Action::Add2).get("target")
        .op(Action::Add2).trace();
    Avm1Assembler opened;  // function () { trace("opening"); }
    opened.trace(std::string("opening"));
    Avm1Assembler a;
    a.defineFunction("picked", {"target", "item"}, picked);
    a.defineFunction("opened", {}, opened);
    a.push({"m"}).get("opened").push({PushInt{1}, "ContextMenu"}).op(Action::NewObject).op(Action::SetVariable);
    callPath(a, "m.hideBuiltInItems", {}).op(Action::Pop);
    setNew(a, "i1", "ContextMenuItem", {"About", PushUndefined{}});
    a.push({"i1"}).op(Action::GetVariable).push({"onSelect"}).get("picked").op(Action::SetMember);
    setNew(a, "i2", "ContextMenuItem", {"Hidden", PushUndefined{}, false, true, false});
    setNew(a, "i3", "ContextMenuItem", {"Next", PushUndefined{}, true, false});
    a.push({"m"}).op(Action::GetVariable).push({"customItems"}).get("i3").get("i2").get("i1")
        .push({PushInt{3}}).op(Action::InitArray).op(Action::SetMember);
    a.get("box").push({"menu"}).get("m").op(Action::SetMember);
    auto movie = playWithBox(a);
    swf::Clip* box = boxObject(*movie).clip.get();
    EXPECT_FALSE(swf::script::openMovieMenu(*movie, nullptr));  // the root has no menu of its own
    EXPECT_EQ(swf::script::clipAt(*movie, 20 * 30, 20 * 30), box);
    EXPECT_EQ(swf::script::clipAt(*movie, 20 * 100, 20 * 30), nullptr);
    const auto menu = swf::script::openMovieMenu(*movie, box);
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->items.size(), 2u);
    EXPECT_EQ(menu->items[0].caption, "About");
    EXPECT_EQ(menu->items[1].caption, "Next");
    EXPECT_TRUE(menu->items[1].separatorBefore);
    EXPECT_FALSE(menu->items[1].enabled);
    EXPECT_FALSE(menu->zoom);
    EXPECT_FALSE(menu->play);
    swf::script::chooseMovieMenuItem(*movie, box, menu->items[0].index);
    swf::script::chooseMovieMenuItem(*movie, box, 99);  // gone meanwhile: nothing
    EXPECT_EQ(traceLines(*movie), (Lines{"opening", "About on _level0.box"}));
}

}  // namespace
}  // namespace velmora::test
