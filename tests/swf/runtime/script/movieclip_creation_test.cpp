// Clips made by scripts: attachMovie, createEmptyMovieClip, duplicateMovieClip, removeMovieClip,
// swapDepths and the depth queries, seen through trace output and the display list; classes
// registered for library symbols.
#include <gtest/gtest.h>

#include "../runtime_fixtures.h"
#include "support/avm1_assembler.h"
#include "swf/runtime/clip.h"

namespace velmora::test {
namespace {

using A = Avm1Assembler;
using Lines = std::vector<std::string>;

constexpr uint16_t kBox = 2;  // a sprite holding a 40 x 20 pixel rectangle, exported as "box"

// The library every movie here shares, with the symbol exported on the first frame.
SwfWriter withLibrary() {
    SwfWriter swf;
    swf.defineRectangle(1, 0, 0, 800, 400, Color{255, 0, 0});
    SwfTagList box;
    box.placeObject2({.depth = 1, .characterId = 1}).showFrame();
    swf.defineSprite(kBox, box);
    swf.exportAssets({{kBox, "box"}});
    return swf;
}

// target.method(args...) with an object built by `pushObject` as the last argument; leaves the
// result.
A& callWithObject(A& a, const std::string& target, const std::string& method, std::vector<PushItem> args,
                  const std::vector<PushItem>& objectFields) {
    std::vector<PushItem> fields = objectFields;
    fields.emplace_back(PushInt{static_cast<int32_t>(objectFields.size() / 2)});
    a.push(fields).op(Action::InitObject);
    std::vector<PushItem> items(args.rbegin(), args.rend());
    items.emplace_back(PushInt{static_cast<int32_t>(args.size() + 1)});
    items.emplace_back(target);
    a.push(items).op(Action::GetVariable).push({method}).op(Action::CallMethod);
    return a;
}

// name = target.method(args...)
A& assign(A& a, const std::string& name, const std::string& target, const std::string& method,
          const std::vector<PushItem>& args) {
    a.push({name});
    a.callMethod(target, method, args);
    return a.op(Action::SetVariable);
}

A& traceMember(A& a, const std::string& variable, const std::string& member) {
    return a.get(variable).push({member}).op(Action::GetMember).trace();
}

std::vector<int32_t> depths(const swf::Clip& clip) {
    std::vector<int32_t> out;
    for (const auto& [depth, object] : clip.displayList()) out.push_back(depth);
    return out;
}

TEST(MovieClipCreation, MethodsReturnTheClipTheyMadeAtTheScriptsDepths) {
    A a;
    a.push({"a"});
    callWithObject(a, "_root", "attachMovie", {"box", "a", PushInt{5}}, {"_x", PushInt{30}, "tag", "t"});
    a.op(Action::SetVariable);
    a.get("a").trace();
    traceMember(a, "a", "_x");
    traceMember(a, "a", "tag");
    traceMember(a, "a", "_width");
    a.callMethod("a", "getDepth", {}).trace();
    assign(a, "e", "_root", "createEmptyMovieClip", {"e", PushInt{0}});
    a.get("e").trace();
    traceMember(a, "e", "_totalframes");
    a.push({"d"});
    callWithObject(a, "a", "duplicateMovieClip", {"d", PushInt{7}}, {"tag", "u"});
    a.op(Action::SetVariable);
    traceMember(a, "d", "tag");
    traceMember(a, "d", "_x");  // the copy stands where its source stands
    a.callMethod("_root", "getNextHighestDepth", {}).trace();
    a.callMethod("_root", "getInstanceAtDepth", {PushInt{5}}).get("a").op(Action::StrictEquals).trace();
    a.callMethod("_root", "getInstanceAtDepth", {PushInt{6}}).op(Action::TypeOf).trace();
    a.callMethod("_root", "attachMovie", {"nothing", "n", PushInt{9}}).op(Action::TypeOf).trace();
    a.callMethod("_root", "createEmptyMovieClip", {"far", PushInt{2000000}}).op(Action::TypeOf).trace();
    a.callMethod("_root", "getDepth", {}).trace();

    SwfWriter swf = withLibrary();
    swf.doAction(a.doActionBody()).showFrame();
    auto movie = play(swf);
    EXPECT_EQ(traces(*movie), (Lines{"_level0.a", "30", "t", "40", "5", "_level0.e", "1", "u", "30", "8", "true",
                                     "undefined", "undefined", "undefined", "-16384"}));
    EXPECT_EQ(depths(movie->root()), (std::vector<int32_t>{16384, 16389, 16391}));
    EXPECT_EQ(movie->root().childAt(16389)->characterId(), kBox);
}

TEST(MovieClipCreation, SwapDepthsAndRemoveKeepTheTimelinesOwnClipsInPlace) {
    A a;
    assign(a, "a", "_root", "attachMovie", {"box", "a", PushInt{1}});
    assign(a, "b", "_root", "attachMovie", {"box", "b", PushInt{2}});
    a.callMethod("a", "swapDepths", {"b"});  // a string, not a clip: a depth of 0... see below
    a.op(Action::Pop);
    a.get("b").push({PushInt{1}, "a"}).op(Action::GetVariable).push({"swapDepths"})
        .op(Action::CallMethod).op(Action::Pop);
    a.callMethod("a", "getDepth", {}).trace();
    a.callMethod("b", "getDepth", {}).trace();
    a.callMethod("b", "swapDepths", {PushInt{40}}).op(Action::Pop);
    a.callMethod("b", "getDepth", {}).trace();
    a.callMethod("b", "removeMovieClip", {}).op(Action::Pop);
    // A reference to a removed clip is still a clip reference (a path with nothing at its end).
    a.get("b").op(Action::TypeOf).trace();
    a.callMethod("t", "removeMovieClip", {}).op(Action::Pop);
    a.get("t").trace();
    a.callMethod("t", "getDepth", {}).trace();

    SwfWriter swf = withLibrary();
    swf.placeObject2({.depth = 1, .characterId = kBox, .name = std::string("t")});
    swf.doAction(a.doActionBody()).showFrame();
    auto movie = play(swf);
    // "b" as a depth is NaN: refused, nothing moves.
    EXPECT_EQ(traces(*movie), (Lines{"2", "1", "40", "movieclip", "_level0.t", "-16383"}));
    EXPECT_EQ(depths(movie->root()), (std::vector<int32_t>{1, 16386}));
}

TEST(MovieClipCreation, ScriptClipsOutliveTheTimelinesGotosAndTheObjectLimit) {
    A first;  // on frame 1, once: attach "a"; then count what stands
    auto done = first.label();
    first.get("made").branchIf(done);
    first.set("made", true);
    assign(first, "a", "_root", "attachMovie", {"box", "a", PushInt{3}});
    // Past the display-object limit a clip is not made and nothing is returned.
    assign(first, "x", "_root", "attachMovie", {"box", "x", PushInt{4}});
    first.get("x").op(Action::TypeOf).trace();
    first.bind(done);
    first.push({"_root.a"}).op(Action::GetVariable).trace();

    SwfWriter swf = withLibrary();
    swf.placeObject2({.depth = 1, .characterId = kBox, .name = std::string("t")});
    swf.doAction(first.doActionBody()).showFrame();
    swf.removeObject2(1).showFrame();
    swf::MovieInstance::Options options;
    options.limits.maxDisplayObjects = 4;  // t and its rectangle, a and its rectangle
    auto movie = play(swf, options);
    movie->tick();  // frame 2: the timeline removes t
    EXPECT_EQ(depths(movie->root()), (std::vector<int32_t>{16387}));
    movie->tick();  // back to frame 1: the list is rebuilt from the start, a stays
    EXPECT_EQ(depths(movie->root()), (std::vector<int32_t>{1, 16387}));
    EXPECT_EQ(traces(*movie), (Lines{"undefined", "_level0.a", "_level0.a"}));
    EXPECT_TRUE(hasMessageContaining(*movie, "too many objects on stage"));
}

// A class in a package, as the compiler emits `class lesson.Box extends Base`:
// _global.lesson.Box = function () { super(); trace("Box " + this.tag + " " + this._name); }
// Box extends Base (whose constructor traces "Base"), which extends MovieClip; Box.prototype.hello returns "hi " + _name;
// Object.registerClass("box", Box). As the authoring tool writes it, in the symbol's #initclip.
A boxClass() {
    A base;
    base.trace("Base");
    A ctor;
    ctor.push({PushInt{0}, "super"}).op(Action::GetVariable).push({PushUndefined{}}).op(Action::CallMethod)
        .op(Action::Pop);
    ctor.push({"Box "}).push({"this"}).op(Action::GetVariable).push({"tag"}).op(Action::GetMember).op(Action::Add2)
        .push({" "}).op(Action::Add2).push({"this"}).op(Action::GetVariable).push({"_name"}).op(Action::GetMember)
        .op(Action::Add2).trace();
    A hello;
    hello.push({"hi "}).push({"this"}).op(Action::GetVariable).push({"_name"}).op(Action::GetMember)
        .op(Action::Add2).op(Action::Return);
    A a;
    a.push({"_global"}).op(Action::GetVariable).push({"Base"}).defineFunction("", {}, base).op(Action::SetMember);
    a.push({"_global"}).op(Action::GetVariable).push({"lesson", PushInt{0}, "Object"}).op(Action::NewObject)
        .op(Action::SetMember);
    a.get("_global.lesson").push({"Box"}).defineFunction("", {}, ctor).op(Action::SetMember);
    a.get("Base").get("MovieClip").op(Action::Extends);
    a.get("lesson.Box").get("Base").op(Action::Extends);
    a.get("lesson.Box").push({"prototype"}).op(Action::GetMember).push({"hello"}).defineFunction("", {}, hello)
        .op(Action::SetMember);
    a.get("lesson.Box").push({"box", PushInt{2}, "Object"}).op(Action::GetVariable).push({"registerClass"})
        .op(Action::CallMethod).op(Action::Pop);
    a.trace("initclip");
    return a;
}

TEST(MovieClipClasses, RegisteredClassesBuildAttachedDuplicatedAndPlacedClips) {
    A frame1;
    frame1.trace("frame 1");
    frame1.push({"a"});
    callWithObject(frame1, "_root", "attachMovie", {"box", "a", PushInt{1}}, {"tag", "x"});
    frame1.op(Action::SetVariable);
    frame1.callMethod("a", "hello", {}).trace();
    frame1.get("a").get("lesson.Box").op(Action::InstanceOf).trace();
    frame1.callMethod("a", "duplicateMovieClip", {"d", PushInt{2}}).op(Action::Pop);
    A frame2;
    frame2.callMethod("t", "hello", {}).trace();

    SwfWriter swf = withLibrary();
    swf.doInitAction(kBox, boxClass().doActionBody());
    swf.doAction(frame1.doActionBody()).showFrame();
    swf.placeObject2({.depth = 1, .characterId = kBox, .name = std::string("t")});
    swf.doAction(frame2.doActionBody()).showFrame();
    auto movie = play(swf);
    movie->tick();
    // The class exists before the first frame's script; init properties are set before the
    // constructor runs; a clip the timeline places is built before the frame's script reaches it.
    EXPECT_EQ(traces(*movie), (Lines{"initclip", "frame 1", "Base", "Box x a", "hi a", "true", "Base",
                                     "Box undefined d", "Base", "Box undefined t", "hi t"}));
}

TEST(MovieClipClasses, AttachingASymbolRunsItsInitClipFirstWhereverItStands) {
    // The symbol's export and #initclip come on frame 2, after the script that attaches it: the
    // class code runs inside attachMovie, once, and the instance is of the class it registers.
    A frame1;
    frame1.push({"a"});
    callWithObject(frame1, "_root", "attachMovie", {"box", "a", PushInt{1}}, {"tag", "x"});
    frame1.op(Action::SetVariable);
    frame1.get("a").get("lesson.Box").op(Action::InstanceOf).trace();
    frame1.callMethod("a", "hello", {}).trace();
    frame1.callMethod("_root", "attachMovie", {"box", "b", PushInt{2}}).op(Action::Pop);

    SwfWriter swf;
    swf.defineRectangle(1, 0, 0, 800, 400, Color{255, 0, 0});
    SwfTagList box;
    box.placeObject2({.depth = 1, .characterId = 1}).showFrame();
    swf.defineSprite(kBox, box);
    swf.doAction(frame1.doActionBody()).showFrame();
    swf.exportAssets({{kBox, "box"}});
    swf.doInitAction(kBox, boxClass().doActionBody()).showFrame();
    auto movie = play(swf);
    movie->tick();
    EXPECT_EQ(traces(*movie), (Lines{"initclip", "Base", "Box x a", "true", "hi a", "Base", "Box undefined b"}));
}

}  // namespace
}  // namespace velmora::test
