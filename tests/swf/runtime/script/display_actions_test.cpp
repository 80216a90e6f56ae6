// The display-list actions of the language: CloneSprite and RemoveSprite (duplicateMovieClip and
// removeMovieClip as the compiler emits them), StartDrag and EndDrag.
#include <gtest/gtest.h>

#include "../runtime_fixtures.h"
#include "support/avm1_assembler.h"

namespace velmora::test {
namespace {

using A = Avm1Assembler;

// A SWF 6 movie with clip "a" (a one-frame sprite) at depth 1, placed 20 px right, 10 px down.
SwfWriter movieWithClip() {
    SwfWriter swf(6);  // undefined prints as "" before SWF 7
    swf.defineRectangle(1, 0, 0, 10, 10, {255, 0, 0});
    SwfTagList inner;
    inner.placeObject2({.depth = 1, .characterId = 1}).showFrame();
    swf.defineSprite(2, inner);
    swf.placeObject2({.depth = 1, .characterId = 2, .matrix = WriterMatrix{.translateX = 400, .translateY = 200}, .name = "a"});
    return swf;
}

// trace(typeof name + " " + name._x)
A& traceClip(A& code, const std::string& name) {
    return code.get(name).op(Action::TypeOf).push({" "}).op(Action::Add2).get(name).push({"_x"})
        .op(Action::GetMember).op(Action::Add2).trace();
}

TEST(ScriptDisplayActions, CloneSpriteCopiesAClipAndRemoveSpriteTakesOnlyScriptMadeOnes) {
    A code;
    code.push({"a", "b", PushInt{16384}}).op(Action::CloneSprite);
    traceClip(code, "b");
    // A clone onto a taken depth replaces what was there; one onto its source's own depth is refused.
    code.push({"a", "c", PushInt{16384}}).op(Action::CloneSprite);
    traceClip(code, "b");
    traceClip(code, "c");
    code.push({"c", "d", PushInt{16384}}).op(Action::CloneSprite);
    traceClip(code, "d");
    // Depths outside the display list's range, and the root, are no source or target at all.
    code.push({"a", "e", PushInt{-5}}).op(Action::CloneSprite);
    code.push({"a", "f", PushInt{2000000}}).op(Action::CloneSprite);
    code.push({"_root", "g", PushInt{16385}}).op(Action::CloneSprite);
    traceClip(code, "e");
    traceClip(code, "f");
    traceClip(code, "g");
    // RemoveSprite takes clips made by scripts, never those the timeline placed.
    code.push({"c"}).op(Action::RemoveSprite);
    code.push({"a"}).op(Action::RemoveSprite);
    code.push({"nothing"}).op(Action::RemoveSprite);
    traceClip(code, "c");
    traceClip(code, "a");
    SwfWriter swf = movieWithClip();
    swf.doAction(code.doActionBody()).showFrame();
    EXPECT_EQ(traces(*play(swf)), (std::vector<std::string>{"movieclip 20", "undefined ", "movieclip 20", "undefined ",
                                                              "undefined ", "undefined ", "undefined ", "undefined ",
                                                              "movieclip 20"}));
}

TEST(ScriptDisplayActions, ADraggedClipFollowsThePointerInsideItsBoxUntilEndDrag) {
    // Frame 1: startDrag("a", true, 0, 0, 100, 50). Frame 2: trace, stopDrag. Frame 3: trace, stop.
    A start;
    start.push({PushInt{0}, PushInt{0}, PushInt{100}, PushInt{50}, true, true, "a"}).op(Action::StartDrag);
    A report;
    report.get("a").push({"_x"}).op(Action::GetMember).push({","}).op(Action::Add2).get("a").push({"_y"})
        .op(Action::GetMember).op(Action::Add2).trace();
    A end = report;
    end.op(Action::EndDrag);
    A last = report;
    last.op(Action::Stop);
    // Dragging the root is ignored.
    start.push({false, false, "_root"}).op(Action::StartDrag);
    SwfWriter swf = movieWithClip();
    swf.doAction(start.doActionBody()).showFrame();
    swf.doAction(end.doActionBody()).showFrame();
    swf.doAction(last.doActionBody()).showFrame();

    auto movie = play(swf);
    movie->setMousePosition(60 * 20, 200 * 20);  // below the box: held at its bottom edge
    movie->tick();
    movie->setMousePosition(5 * 20, 5 * 20);  // dropped: the clip stays where it was
    movie->tick();
    EXPECT_EQ(traces(*movie), (std::vector<std::string>{"60,50", "60,50"}));
}

}  // namespace
}  // namespace velmora::test
