// Clip event handlers set by scripts, unload handlers, and the order of events and frame scripts.
#include <gtest/gtest.h>

#include "runtime_fixtures.h"
#include "support/avm1_assembler.h"
#include "swf/runtime/key_input.h"
#include "swf/runtime/pointer_input.h"

namespace velmora::test {
namespace {

using A = Avm1Assembler;

A say(const std::string& text) { return std::move(A().push({text}).trace()); }

// trace(text + this._name)
A sayWithName(const std::string& text) {
    A a;
    a.push({text, "this"}).op(Action::GetVariable).push({"_name"}).op(Action::GetMember).op(Action::Add2).trace();
    return a;
}

// target.name = function () { body }
A setHandler(const std::string& target, const std::string& name, const A& body) {
    A a;
    a.push({target}).op(Action::GetVariable).push({name}).defineFunction("", {}, body).op(Action::SetMember);
    return a;
}

WriterClipAction onClipEvent(uint32_t events, const std::string& text) { return {.events = events, .actions = say(text).doActionBody()}; }

TEST(ClipEventOrder, LoadAndEnterFrameHandlersFollowTheFrameScripts) {
    SwfWriter swf;
    SwfTagList inner;
    inner.doAction(say("mc frame 1").doActionBody()).showFrame();
    inner.doAction(say("mc frame 2").doActionBody()).showFrame();
    swf.defineSprite(10, inner);
    swf.placeObject2({.depth = 1,
                      .characterId = 10,
                      .name = "mc",
                      .clipActions = {onClipEvent(swf::kClipEventLoad, "load event"),
                                      onClipEvent(swf::kClipEventEnterFrame, "enterFrame event")}});
    A root = say("root frame 1");
    root.raw(setHandler("mc", "onLoad", say("onLoad")).bytes());
    root.raw(setHandler("mc", "onEnterFrame", say("onEnterFrame")).bytes());
    swf.doAction(root.doActionBody()).showFrame();
    swf.doAction(A().op(Action::Stop).doActionBody()).showFrame();
    auto movie = play(swf);
    EXPECT_EQ(traces(*movie), (std::vector<std::string>{"root frame 1", "mc frame 1", "load event", "onLoad"}));
    movie->tick();
    EXPECT_EQ(traces(*movie), (std::vector<std::string>{"root frame 1", "mc frame 1", "load event", "onLoad",
                                                        "enterFrame event", "onEnterFrame", "mc frame 2"}));
}

// A component's parameters come in its construct or initialize event: they are set before any
// frame script, the placing timeline's included, can read them.
TEST(ClipEventOrder, ConstructAndInitializeEventsRunBeforeTheFrameScripts) {
    SwfWriter swf(8);
    SwfTagList inner;
    inner.doAction(say("mc frame 1").doActionBody()).showFrame();
    swf.defineSprite(10, inner);
    swf.placeObject2({.depth = 1,
                      .characterId = 10,
                      .name = "mc",
                      .clipActions = {onClipEvent(swf::kClipEventLoad, "load event"),
                                      onClipEvent(swf::kClipEventInitialize, "initialize event"),
                                      onClipEvent(swf::kClipEventConstruct, "construct event")}});
    swf.doAction(say("root frame 1").doActionBody()).showFrame();
    auto movie = play(swf);
    EXPECT_EQ(traces(*movie), (std::vector<std::string>{"construct event", "initialize event", "root frame 1",
                                                        "mc frame 1", "load event"}));
}

// mc (with a child clip "kid") leaves on frame 2; its handlers run before frame 2's script and can
// still read the clip, its variables and its parent.
TEST(ClipEventOrder, UnloadHandlersRunWhileTheClipCanStillBeAddressed) {
    SwfWriter swf;
    SwfTagList kidFrames;
    kidFrames.showFrame();
    swf.defineSprite(11, kidFrames);
    SwfTagList mcFrames;
    mcFrames.placeObject2({.depth = 1, .characterId = 11, .name = "kid",
                           .clipActions = {{.events = swf::kClipEventUnload, .actions = sayWithName("kid unload ").doActionBody()}}});
    mcFrames.showFrame();
    swf.defineSprite(10, mcFrames);
    swf.placeObject2({.depth = 1, .characterId = 10, .name = "mc",
                      .clipActions = {{.events = swf::kClipEventUnload, .actions = sayWithName("unload ").doActionBody()}}});
    // mc.onUnload = function () { trace(this.note + " " + this._parent.tag); }
    A body;
    body.push({"this"}).op(Action::GetVariable).push({"note"}).op(Action::GetMember).push({" "}).op(Action::Add2);
    body.push({"this"}).op(Action::GetVariable).push({"_parent"}).op(Action::GetMember).push({"tag"}).op(Action::GetMember);
    body.op(Action::Add2).trace();
    A first;
    first.push({"tag", "root"}).op(Action::SetVariable);
    first.push({"mc"}).op(Action::GetVariable).push({"note", "kept"}).op(Action::SetMember);
    first.raw(setHandler("mc", "onUnload", body).bytes());
    swf.doAction(first.doActionBody()).showFrame();
    swf.removeObject2(1).doAction(A().push({"frame 2"}).trace().op(Action::Stop).doActionBody()).showFrame();
    auto movie = play(swf);
    movie->tick();
    EXPECT_EQ(traces(*movie), (std::vector<std::string>{"unload mc", "kept root", "kid unload kid", "frame 2"}));
    EXPECT_EQ(movie->root().childAt(1), nullptr);
}

TEST(ClipEventOrder, GotosAndScriptsThatRemoveClipsRunTheirUnloadHandlers) {
    SwfWriter swf;
    swf.defineSprite(10, framesOnly(1));
    // Frame 1 has mc; frame 2 removes it; going back to frame 1 makes a new one.
    swf.placeObject2({.depth = 1, .characterId = 10, .name = "mc",
                      .clipActions = {{.events = swf::kClipEventUnload, .actions = sayWithName("unload ").doActionBody()}}});
    swf.doAction(A().op(Action::Stop).doActionBody()).showFrame();
    swf.removeObject2(1).showFrame();
    auto movie = play(swf);
    movie->root().gotoFrame(1);
    movie->runPendingActions();
    EXPECT_EQ(traces(*movie), std::vector<std::string>{"unload mc"});

    // A copy made and removed by a script: its handler runs once the script has finished.
    movie->root().gotoFrame(0);
    A script;
    script.push({"mc", "copy", PushInt{16384}}).op(Action::CloneSprite);
    script.push({"copy"}).op(Action::RemoveSprite);
    script.push({"removed"}).trace();
    movie->queueScript(movie->root(), std::make_shared<const std::vector<uint8_t>>(script.bytes()));
    movie->runPendingActions();
    EXPECT_EQ(traces(*movie), (std::vector<std::string>{"unload mc", "removed", "unload copy"}));
}

TEST(ClipEventOrder, AnUnloadHandlerMayMoveTheTimelineThatRemovedItsClip) {
    SwfWriter swf;
    swf.defineSprite(10, framesOnly(1));
    // on unload: _root.gotoAndStop(1), which places a new mc while the old one says goodbye.
    A unload;
    unload.push({"_root"}).op(Action::GetVariable).push({"going"}).op(Action::Trace);
    unload.push({PushInt{1}, PushInt{1}, "_root"}).op(Action::GetVariable).push({"gotoAndStop"}).op(Action::CallMethod).op(Action::Pop);
    swf.placeObject2({.depth = 1, .characterId = 10, .name = "mc",
                      .clipActions = {{.events = swf::kClipEventUnload, .actions = unload.doActionBody()}}});
    swf.showFrame();
    swf.removeObject2(1).showFrame();
    auto movie = play(swf);
    movie->tick();
    movie->tick();
    ASSERT_NE(movie->root().childAt(1), nullptr);
    EXPECT_EQ(movie->root().currentFrame(), 0u);
    EXPECT_EQ(traces(*movie), std::vector<std::string>{"going"});
}

// A handler name answered by a getter that throws: looking for the handler (the clock asks on
// every tick, input on every event) finds none, and the movie plays on.
TEST(ClipEventOrder, AHandlerGetterThatThrowsIsNoHandler) {
    SwfWriter swf;
    SwfTagList inner;
    inner.showFrame();
    swf.defineSprite(10, inner);
    swf.placeObject2({.depth = 1, .characterId = 10, .name = "mc"});
    A root;
    // mc.addProperty("onEnterFrame", function () { throw "boom"; }, null)
    root.push({PushNull{}}).defineFunction("", {}, A().push({"boom"}).op(Action::Throw));
    root.push({"onEnterFrame", 3.0, "mc"}).op(Action::GetVariable).push({"addProperty"}).op(Action::CallMethod).op(Action::Pop);
    root.raw(say("set").bytes());
    swf.doAction(root.doActionBody()).showFrame();
    swf.doAction(say("frame 2").doActionBody()).showFrame();
    auto movie = play(swf);
    EXPECT_TRUE(movie->needsTicks());  // the root still plays
    movie->tick();
    movie->tick();
    EXPECT_EQ(traces(*movie), (std::vector<std::string>{"set", "frame 2", "set"}));
}

TEST(ClipEventOrder, MouseFunctionsReachEveryClipAndKeysOnlyTheFocusedOne) {
    SwfWriter swf;
    swf.defineSprite(10, framesOnly(1));
    swf.placeObject2({.depth = 1, .characterId = 10, .name = "a",
                      .clipActions = {onClipEvent(swf::kClipEventMouseDown, "a down event")}});
    swf.placeObject2({.depth = 2, .characterId = 10, .name = "b"});
    A root;
    for (const char* clip : {"a", "b"}) {
        root.raw(setHandler(clip, "onMouseDown", sayWithName("down ")).bytes());
        root.raw(setHandler(clip, "onMouseUp", sayWithName("up ")).bytes());
        root.raw(setHandler(clip, "onKeyDown", sayWithName("key ")).bytes());
        root.raw(setHandler(clip, "onSetFocus", sayWithName("focus ")).bytes());
        root.raw(setHandler(clip, "onKillFocus", sayWithName("blur ")).bytes());
    }
    swf.doAction(root.doActionBody()).showFrame();
    auto movie = play(swf);
    swf::PointerInput pointer(*movie);
    pointer.press();
    pointer.release();
    EXPECT_EQ(traces(*movie), (std::vector<std::string>{"a down event", "down a", "down b", "up a", "up b"}));

    const size_t before = traces(*movie).size();
    swf::pressKey(*movie, 'x');  // nobody has the focus: no one hears it
    movie->setFocus(movie->root().childAt(1));
    // Selection.setFocus("b"); trace(Selection.getFocus());
    A focus;
    focus.push({"b", PushInt{1}, "Selection"}).op(Action::GetVariable).push({"setFocus"}).op(Action::CallMethod).op(Action::Pop);
    focus.push({PushInt{0}, "Selection"}).op(Action::GetVariable).push({"getFocus"}).op(Action::CallMethod).trace();
    movie->queueScript(movie->root(), std::make_shared<const std::vector<uint8_t>>(focus.bytes()));
    movie->runPendingActions();
    swf::pressKey(*movie, 'x');
    const auto all = traces(*movie);
    EXPECT_EQ(std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(before), all.end()),
              (std::vector<std::string>{"focus a", "blur a", "focus b", "_level0.b", "key b"}));
}

}  // namespace
}  // namespace velmora::test
