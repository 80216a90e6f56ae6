// MovieClip properties by name and by index, the geometry methods and gotos by scene, seen
// through trace output.
#include <gtest/gtest.h>

#include "../runtime_fixtures.h"
#include "support/avm1_assembler.h"

namespace velmora::test {
namespace {

using A = Avm1Assembler;
using Lines = std::vector<std::string>;

// Sprite 2: a 40 x 20 pixel rectangle, exported as "box". Sprite 4: two 10 x 10 squares with a
// 20 pixel gap between them.
SwfWriter withLibrary() {
    SwfWriter swf;
    swf.defineRectangle(1, 0, 0, 800, 400, Color{255, 0, 0});
    SwfTagList box;
    box.placeObject2({.depth = 1, .characterId = 1}).showFrame();
    swf.defineSprite(2, box);
    swf.defineRectangle(3, 0, 0, 200, 200, Color{0, 0, 255});
    SwfTagList pair;
    pair.placeObject2({.depth = 1, .characterId = 3});
    pair.placeObject2({.depth = 2, .characterId = 3, .matrix = WriterMatrix{.translateX = 600}}).showFrame();
    swf.defineSprite(4, pair);
    swf.exportAssets({{2, "box"}});
    return swf;
}

A& setMember(A& a, const std::string& variable, const std::string& member, const PushItem& value) {
    return a.get(variable).push({member, value}).op(Action::SetMember);
}

A& traceMember(A& a, const std::string& variable, const std::string& member) {
    return a.get(variable).push({member}).op(Action::GetMember).trace();
}

// trace(a.x + "," + a.y + ...) for the members named.
A& traceFields(A& a, const std::string& variable, const std::vector<std::string>& members) {
    for (size_t i = 0; i < members.size(); ++i) {
        a.get(variable).push({members[i]}).op(Action::GetMember);
        if (i > 0) a.op(Action::Add2);
        if (i + 1 < members.size()) a.push({","}).op(Action::Add2);
    }
    return a.trace();
}

std::vector<std::string> run(SwfWriter swf, const A& code) {
    swf.doAction(code.doActionBody()).showFrame();
    return traces(*play(swf));
}

TEST(MovieClipProperties, SizeScaleRotationAndMirrorHoldTogether) {
    A a;
    a.push({"b", PushInt{1}, "b", "box", PushInt{3}, "_root"}).op(Action::GetVariable).push({"attachMovie"})
        .op(Action::CallMethod).op(Action::SetVariable);
    setMember(a, "b", "_width", PushInt{80});
    traceFields(a, "b", {"_xscale", "_width"});
    setMember(a, "b", "_height", PushInt{10});
    traceFields(a, "b", {"_yscale", "_height"});
    setMember(a, "b", "_rotation", PushInt{90});
    traceFields(a, "b", {"_xscale", "_yscale", "_rotation", "_width"});  // turning keeps the scales
    setMember(a, "b", "_rotation", PushInt{270});
    traceMember(a, "b", "_rotation");
    setMember(a, "b", "_rotation", PushInt{0});
    setMember(a, "b", "_xscale", PushInt{-100});
    traceFields(a, "b", {"_xscale", "_rotation", "_width"});
    setMember(a, "b", "_xscale", PushInt{50});  // back from the mirror
    traceFields(a, "b", {"_xscale", "_width"});
    // By index: setProperty(b, _alpha, 30); getProperty(b, _alpha); getProperty(b, _name)
    a.push({"b", PushInt{6}, PushInt{30}}).op(Action::SetProperty);
    a.push({"b", PushInt{6}}).op(Action::GetProperty).trace();
    a.push({"b", PushInt{13}}).op(Action::GetProperty).trace();
    // An empty clip has no size to scale to.
    a.push({PushInt{2}, "e", PushInt{2}, "_root"}).op(Action::GetVariable).push({"createEmptyMovieClip"})
        .op(Action::CallMethod).op(Action::Pop);
    setMember(a, "e", "_width", PushInt{50});
    traceFields(a, "e", {"_width", "_xscale", "_currentframe", "_totalframes"});
    // Plain properties with the player's defaults, and an instance's own value.
    traceFields(a, "b", {"enabled", "useHandCursor", "_lockroot", "tabIndex", "hitArea", "_droptarget"});
    setMember(a, "b", "enabled", false);
    traceFields(a, "b", {"enabled"});
    traceFields(a, "e", {"enabled"});
    EXPECT_EQ(run(withLibrary(), a),
              (Lines{"200,80", "50,10", "200,50,90,10", "-90", "-100,0,40", "50,20", "30", "b", "0,100,1,1",
                     "true,true,false,undefined,undefined,", "false", "true"}));
}

TEST(MovieClipProperties, AValueWhoseValueOfRemovesTheClipSetsNothing) {
    A removeB;  // function () { b.removeMovieClip(); return 5; }
    removeB.push({PushInt{0}, "b"}).op(Action::GetVariable).push({"removeMovieClip"}).op(Action::CallMethod)
        .op(Action::Pop).push({PushInt{5}}).op(Action::Return);
    A attachB;
    attachB.push({"b", PushInt{1}, "b", "box", PushInt{3}, "_root"}).op(Action::GetVariable)
        .push({"attachMovie"}).op(Action::CallMethod).op(Action::SetVariable);
    A a;
    a.push({"o", "valueOf"}).defineFunction("", {}, removeB).push({PushInt{1}}).op(Action::InitObject)
        .op(Action::SetVariable);
    a.raw(attachB.bytes());
    a.get("b").push({"_x"}).get("o").op(Action::SetMember);  // b._x = o
    a.callMethod("_root", "getNextHighestDepth", {}).trace();
    a.raw(attachB.bytes());
    a.push({"b", PushInt{0}}).get("o").op(Action::SetProperty);  // setProperty(b, _x, o)
    a.callMethod("_root", "getNextHighestDepth", {}).trace();
    EXPECT_EQ(run(withLibrary(), a), (Lines{"0", "0"}));
}

TEST(MovieClipGeometry, BoundsPointsAndHitsFollowTheClipsOnStage) {
    A a;
    traceFields(a.push({"r", "_root"}).op(Action::GetVariable).push({PushInt{1}, "g"}).op(Action::GetVariable)
                    .push({"getBounds"}).op(Action::CallMethod).op(Action::SetVariable),
                "r", {"xMin", "xMax", "yMin", "yMax"});
    traceFields(a.push({"r", PushInt{0}, "g"}).op(Action::GetVariable).push({"getRect"}).op(Action::CallMethod)
                    .op(Action::SetVariable),
                "r", {"xMin", "xMax", "yMin", "yMax"});
    a.push({"p", "x", PushInt{10}, "y", PushInt{10}, PushInt{2}}).op(Action::InitObject).op(Action::SetVariable);
    a.get("p").push({PushInt{1}, "g"}).op(Action::GetVariable).push({"localToGlobal"}).op(Action::CallMethod)
        .op(Action::Pop);
    traceFields(a, "p", {"x", "y"});
    a.get("p").push({PushInt{1}, "g"}).op(Action::GetVariable).push({"globalToLocal"}).op(Action::CallMethod)
        .op(Action::Pop);
    traceFields(a, "p", {"x", "y"});
    // Stage points: inside g, beside it; the gap between pair's squares is in its box only.
    a.push({PushInt{60}, PushInt{150}, PushInt{2}, "g"}).op(Action::GetVariable).push({"hitTest"})
        .op(Action::CallMethod).trace();
    a.push({PushInt{60}, PushInt{99}, PushInt{2}, "g"}).op(Action::GetVariable).push({"hitTest"})
        .op(Action::CallMethod).trace();
    a.push({false, PushInt{55}, PushInt{170}, PushInt{3}, "pair"}).op(Action::GetVariable).push({"hitTest"})
        .op(Action::CallMethod).trace();
    a.push({true, PushInt{55}, PushInt{170}, PushInt{3}, "pair"}).op(Action::GetVariable).push({"hitTest"})
        .op(Action::CallMethod).trace();
    a.push({true, PushInt{55}, PushInt{155}, PushInt{3}, "pair"}).op(Action::GetVariable).push({"hitTest"})
        .op(Action::CallMethod).trace();
    // Clip against clip: g overlaps pair, not far.
    a.get("pair").push({PushInt{1}, "g"}).op(Action::GetVariable).push({"hitTest"}).op(Action::CallMethod).trace();
    a.get("far").push({PushInt{1}, "g"}).op(Action::GetVariable).push({"hitTest"}).op(Action::CallMethod).trace();
    a.push({PushInt{0}, "g"}).op(Action::GetVariable).push({"getSWFVersion"}).op(Action::CallMethod).trace();
    a.push({PushInt{0}, "g"}).op(Action::GetVariable).push({"attachAudio"}).op(Action::CallMethod).trace();

    SwfWriter swf = withLibrary();
    // g: the box at (100, 50) twice its size; pair at (150, 50), over it; far at (400, 400).
    swf.placeObject2({.depth = 1, .characterId = 2, .matrix = WriterMatrix{2, 2, 0, 0, 2000, 1000},
                      .name = std::string("g")});
    swf.placeObject2({.depth = 2, .characterId = 4, .matrix = WriterMatrix{.translateX = 3000, .translateY = 1000},
                      .name = std::string("pair")});
    swf.placeObject2({.depth = 3, .characterId = 2, .matrix = WriterMatrix{.translateX = 8000, .translateY = 8000},
                      .name = std::string("far")});
    swf.doAction(a.doActionBody()).showFrame();
    auto movie = play(swf);
    EXPECT_EQ(traces(*movie), (Lines{"100,180,50,90", "0,40,0,20", "120,70", "10,10", "true", "false", "true",
                                     "false", "true", "true", "false", "10", "undefined"}));
    EXPECT_FALSE(hasMessageContaining(*movie, "unsupported"));
}

TEST(MovieClipGeometry, ADraggedClipKnowsWhatLiesUnderThePointer) {
    A first;
    first.push({PushInt{0}, "d"}).op(Action::GetVariable).push({"startDrag"}).op(Action::CallMethod).op(Action::Pop);
    first.push({"d"}).op(Action::GetVariable).push({"_droptarget"}).op(Action::GetMember).trace();
    A second;
    second.push({"d"}).op(Action::GetVariable).push({"_droptarget"}).op(Action::GetMember).trace();
    second.op(Action::Stop);
    SwfWriter swf = withLibrary();
    swf.placeObject2({.depth = 1, .characterId = 2, .matrix = WriterMatrix{.translateX = 4000},
                      .name = std::string("under")});
    swf.placeObject2({.depth = 2, .characterId = 2, .name = std::string("d")});
    swf.doAction(first.doActionBody()).showFrame();
    swf.doAction(second.doActionBody()).showFrame();
    auto movie = play(swf);
    movie->setMousePosition(4100, 100);
    movie->tick();
    EXPECT_EQ(traces(*movie), (Lines{"", "/under"}));
}

TEST(MovieClipTimeline, GotosCountFramesFromOneByNumberLabelAndScene) {
    A a;
    a.push({PushInt{2}, PushInt{1}, "_root"}).op(Action::GetVariable).push({"gotoAndStop"}).op(Action::CallMethod)
        .op(Action::Pop);
    a.push({"_root"}).op(Action::GetVariable).push({"_currentframe"}).op(Action::GetMember).trace();
    a.push({"End", PushInt{1}, "_root"}).op(Action::GetVariable).push({"gotoAndStop"}).op(Action::CallMethod)
        .op(Action::Pop);
    a.push({"_root"}).op(Action::GetVariable).push({"_currentframe"}).op(Action::GetMember).trace();
    a.push({PushInt{1}, "Second", PushInt{2}, "_root"}).op(Action::GetVariable).push({"gotoAndStop"})
        .op(Action::CallMethod).op(Action::Pop);
    a.push({"_root"}).op(Action::GetVariable).push({"_currentframe"}).op(Action::GetMember).trace();
    a.push({PushInt{2}, "Nowhere", PushInt{2}, "_root"}).op(Action::GetVariable).push({"gotoAndStop"})
        .op(Action::CallMethod).op(Action::Pop);
    a.push({"_root"}).op(Action::GetVariable).push({"_currentframe"}).op(Action::GetMember).trace();

    SwfWriter swf;
    // Two scenes: "Scene 1" from frame 0, "Second" from frame 2.
    swf.rawTag(86, {2, 0, 'S', 'c', 'e', 'n', 'e', ' ', '1', 0, 2, 'S', 'e', 'c', 'o', 'n', 'd', 0, 0});
    swf.doAction(a.doActionBody()).showFrame();
    swf.showFrame();
    swf.showFrame();
    swf.frameLabel("end").showFrame();
    auto movie = play(swf);
    EXPECT_EQ(traces(*movie), (Lines{"2", "4", "3", "2"}));
}

}  // namespace
}  // namespace velmora::test
