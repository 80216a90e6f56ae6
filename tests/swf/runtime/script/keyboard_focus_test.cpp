// Buttons and clips holding the keyboard focus: Selection and the handlers that hear each move,
// the tab order, Enter and Space pressing, the focus rectangle's box, and focused objects that
// leave the stage or hide.
#include <gtest/gtest.h>

#include "host_script.h"
#include "support/swf_writer.h"
#include "swf/format/movie_loader.h"
#include "swf/runtime/key_input.h"
#include "swf/runtime/keyboard_focus.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/pointer_input.h"
#include "swf/runtime/script/vm.h"

namespace velmora::test {
namespace {

using A = Avm1Assembler;
using Lines = std::vector<std::string>;

// DefineButton2 id 20: a 20-pixel square (rectangle 1) in every state and as its hit area, with
// actions tracing "press action" on press and "release action" on release.
void defineButton(SwfTagList& swf) {
    const A press = A().push({"press action"}).trace();
    const A release = A().push({"release action"}).trace();
    const std::vector<uint8_t> pressBytes = press.bytes(), releaseBytes = release.bytes();
    std::vector<uint8_t> body{20, 0, 0, 10, 0, 0x0F, 1, 0, 1, 0, 0x00, 0x00, 0x00};
    const auto first = static_cast<uint16_t>(4 + pressBytes.size() + 1);
    body.insert(body.end(), {uint8_t(first), uint8_t(first >> 8), 0x04, 0x00});
    body.insert(body.end(), pressBytes.begin(), pressBytes.end());
    body.push_back(0);
    body.insert(body.end(), {0, 0, 0x08, 0x00});
    body.insert(body.end(), releaseBytes.begin(), releaseBytes.end());
    body.push_back(0);
    swf.rawTag(34, body);
}

// An input field, 100 x 20 pixels, as character 30.
void defineInputField(SwfTagList& swf) {
    BitWriter w;
    w.u16(30);
    w.rect(0, 2000, 0, 400);
    w.flush();
    w.u8(0x00);
    w.u8(0x00);
    w.cString("");
    const std::vector<uint8_t> body = w.take();
    swf.rawTag(37, body);
}

WriterMatrix at(int x, int y) { return WriterMatrix{.translateX = x * 20, .translateY = y * 20}; }

// Buttons b1 at (100, 10) and b2 at (10, 10); clip c (a square) at (10, 50) and clip plain at
// (50, 50); input field f at (10, 90); clip group at (10, 130) holding button inner; button
// hidden at (10, 170), not visible. Then the script; a second frame removes b1.
std::unique_ptr<swf::MovieInstance> playStage(const A& script) {
    SwfWriter swf(8);
    swf.defineRectangle(1, 0, 0, 400, 400, {255, 0, 0});
    defineButton(swf);
    defineInputField(swf);
    SwfTagList square;
    square.placeObject2({.depth = 1, .characterId = 1}).showFrame();
    swf.defineSprite(10, square);
    SwfTagList group;
    group.placeObject2({.depth = 1, .characterId = 20, .name = "inner"}).showFrame();
    swf.defineSprite(11, group);
    swf.placeObject2({.depth = 1, .characterId = 20, .matrix = at(100, 10), .name = "b1"});
    swf.placeObject2({.depth = 2, .characterId = 20, .matrix = at(10, 10), .name = "b2"});
    swf.placeObject2({.depth = 3, .characterId = 10, .matrix = at(10, 50), .name = "c"});
    swf.placeObject2({.depth = 4, .characterId = 10, .matrix = at(50, 50), .name = "plain"});
    swf.placeObject2({.depth = 5, .characterId = 30, .matrix = at(10, 90), .name = "f"});
    swf.placeObject2({.depth = 6, .characterId = 11, .matrix = at(10, 130), .name = "group"});
    swf.placeObject2({.depth = 7, .characterId = 20, .matrix = at(10, 170), .name = "hidden"});
    A setup;
    setPath(setup, "hidden._visible", false);
    swf.doAction(setup.doActionBody());
    swf.doAction(script.doActionBody()).showFrame();
    swf.removeObject2(1).showFrame();
    const auto bytes = swf.bytes();
    return std::make_unique<swf::MovieInstance>(swf::parseMovie(bytes), swf::MovieInstance::Options{.loop = false, .startPlaying = false});
}

// target[name] = function (p) { trace(prefix + p._name); }
A& setTracer(A& a, const std::string& target, const std::string& name, const std::string& prefix) {
    A body;
    body.push({prefix}).get("p").push({"_name"}).op(Action::GetMember).op(Action::Add2).trace();
    pushPath(a, target).push({name});
    return a.defineFunction("", {"p"}, body).op(Action::SetMember);
}

void run(swf::MovieInstance& movie, const A& code) {
    movie.vm().runBlock(std::make_shared<const std::vector<uint8_t>>(code.doActionBody()), movie.root());
}

std::string focusName(swf::MovieInstance& movie) {
    if (swf::DisplayObject* b = movie.focusedButton()) return b->name;
    if (swf::Clip* c = movie.focus()) return c->name();
    if (swf::DisplayObject* f = movie.focusedText()) return f->name;
    return "nothing";
}

Lines tabs(swf::MovieInstance& movie, int count, bool backward = false) {
    Lines names;
    for (int i = 0; i < count; ++i) {
        movie.moveTabFocus(backward);
        names.push_back(focusName(movie));
    }
    return names;
}

TEST(ButtonFocus, SelectionGivesButtonsTheFocusAndEachSideHearsTheMove) {
    A a;
    for (const char* who : {"b1", "c"}) {
        setTracer(a, who, "onSetFocus", std::string(who) + " from ");
        setTracer(a, who, "onKillFocus", std::string(who) + " to ");
    }
    setNew(a, "l", "Object", {});
    A onSet;  // trace("moved " + o._name + " -> " + n._name)
    onSet.push({"moved "}).get("o").push({"_name"}).op(Action::GetMember).op(Action::Add2).push({" -> "})
        .op(Action::Add2).get("n").push({"_name"}).op(Action::GetMember).op(Action::Add2).trace();
    a.get("l").push({"onSetFocus"}).defineFunction("", {"o", "n"}, onSet).op(Action::SetMember);
    callWithVars(a, "Selection.addListener", {"l"}).op(Action::Pop);
    callWithVars(a, "Selection.setFocus", {"b1"}).trace();
    traceCall(a, "Selection.getFocus", {});
    callWithVars(a, "Selection.setFocus", {"c"}).op(Action::Pop);
    callPath(a, "Selection.setFocus", {std::string("b1")}).trace();  // by path
    traceCall(a, "Selection.getFocus", {});
    auto movie = playStage(a);
    EXPECT_EQ(traceLines(*movie),
              (Lines{"b1 from undefined", "moved undefined -> b1", "true", "_level0.b1", "b1 to c", "c from b1",
                     "moved b1 -> c", "c to b1", "b1 from c", "moved c -> b1", "true", "_level0.b1"}));
    EXPECT_FALSE(movie->focusFromKeyboard());  // a script's move shows no rectangle
    EXPECT_FALSE(swf::focusRectangle(*movie));
}

TEST(ButtonFocus, TabVisitsButtonsClipsAndFieldsByPositionThenByTabIndex) {
    A a;
    // A clip with a release handler acts as a button.
    a.get("c").push({"onRelease"}).defineFunction("", {}, A()).op(Action::SetMember);
    auto movie = playStage(a);
    // Top to bottom, along a row left to right; plain and hidden are no stops; around again.
    EXPECT_EQ(tabs(*movie, 6), (Lines{"b2", "b1", "c", "f", "inner", "b2"}));
    EXPECT_EQ(tabs(*movie, 2, true), (Lines{"inner", "f"}));
    EXPECT_TRUE(movie->focusFromKeyboard());

    A less;
    setPath(less, "group.tabChildren", false);
    setPath(less, "b1.tabEnabled", false);
    setPath(less, "plain.tabEnabled", true);
    run(*movie, less);
    EXPECT_EQ(tabs(*movie, 4), (Lines{"b2", "c", "plain", "f"}));

    // With a tabIndex anywhere, only what has one takes part, in its order (on from f, focused now).
    A indexed;
    setPath(indexed, "f.tabIndex", PushInt{1});
    setPath(indexed, "b2.tabIndex", PushInt{3});
    setPath(indexed, "c.tabIndex", PushInt{2});
    run(*movie, indexed);
    EXPECT_EQ(tabs(*movie, 4), (Lines{"c", "b2", "f", "c"}));
}

TEST(ButtonFocus, EnterAndSpacePressTheFocusedButtonOrClip) {
    A a;
    a.get("b2").push({"onPress"}).defineFunction("", {}, A().push({"b2 onPress"}).trace()).op(Action::SetMember);
    a.get("b2").push({"onRelease"}).defineFunction("", {}, A().push({"b2 onRelease"}).trace()).op(Action::SetMember);
    a.get("c").push({"onPress"}).defineFunction("", {}, A().push({"c onPress"}).trace()).op(Action::SetMember);
    a.get("c").push({"onRelease"}).defineFunction("", {}, A().push({"c onRelease"}).trace()).op(Action::SetMember);
    auto movie = playStage(a);
    const size_t before = traceLines(*movie).size();
    EXPECT_FALSE(swf::focusTakesPress(*movie));
    movie->moveTabFocus(false);  // b2
    ASSERT_TRUE(swf::focusTakesPress(*movie));
    const swf::DisplayObject& b2 = *movie->root().displayList().at(2);
    EXPECT_TRUE(swf::pressKey(*movie, swf::kSwfKeyEnter));
    EXPECT_EQ(b2.buttonState, swf::ButtonState::Down);
    EXPECT_TRUE(swf::pressKey(*movie, swf::kSwfKeyEnter));  // the key repeating presses it once
    swf::releaseKey(*movie, swf::strokeOf(swf::kSwfKeyEnter));
    EXPECT_EQ(b2.buttonState, swf::ButtonState::Up);

    movie->moveTabFocus(false);  // b1, which has only its own actions
    movie->moveTabFocus(false);  // c
    EXPECT_TRUE(swf::pressKey(*movie, ' '));
    swf::releaseKey(*movie, swf::strokeOf('x'));  // another key coming up is no release
    swf::releaseKey(*movie, swf::strokeOf(' '));
    // Keys other than Enter and Space stay the window's.
    EXPECT_FALSE(swf::pressKey(*movie, 'x'));
    const Lines all = traceLines(*movie);
    EXPECT_EQ(Lines(all.begin() + static_cast<std::ptrdiff_t>(before), all.end()),
              (Lines{"press action", "b2 onPress", "release action", "b2 onRelease", "c onPress", "c onRelease"}));
}

TEST(ButtonFocus, TheRectangleFollowsTheKeyboardAndFocusrect) {
    A a;
    tracePath(a, "_root._focusrect");
    tracePath(a, "b2._focusrect");
    auto movie = playStage(a);
    EXPECT_EQ(traceLines(*movie), (Lines{"1", "null"}));
    movie->moveTabFocus(false);  // b2: a 20-pixel square at (10, 10)
    const auto box = swf::focusRectangle(*movie);
    ASSERT_TRUE(box);
    EXPECT_EQ((std::vector<int32_t>{box->xMin, box->xMax, box->yMin, box->yMax}), (std::vector<int32_t>{200, 600, 200, 600}));
    swf::PointerInput pointer(*movie);
    pointer.press();  // the mouse hides it; the focus stays
    pointer.release();
    EXPECT_FALSE(swf::focusRectangle(*movie));
    EXPECT_EQ(focusName(*movie), "b2");
    movie->moveTabFocus(true);
    movie->moveTabFocus(false);
    ASSERT_TRUE(swf::focusRectangle(*movie));

    A off;
    off.set("_focusrect", false);  // the movie's own setting
    run(*movie, off);
    EXPECT_FALSE(swf::focusRectangle(*movie));
    A own;
    setPath(own, "b2._focusrect", true);  // the button's own comes first
    tracePath(own, "b2._focusrect");
    run(*movie, own);
    EXPECT_TRUE(swf::focusRectangle(*movie));
    EXPECT_EQ(traceLines(*movie).back(), "true");
}

TEST(ButtonFocus, AFocusedButtonThatLeavesOrHidesGivesTheFocusUp) {
    A a;
    setTracer(a, "b2", "onKillFocus", "b2 to ");
    auto movie = playStage(a);
    movie->moveTabFocus(false);
    movie->moveTabFocus(false);
    ASSERT_EQ(focusName(*movie), "b1");
    movie->root().play();
    movie->tick();  // the second frame removes b1
    EXPECT_EQ(movie->focusedButton(), nullptr);
    EXPECT_FALSE(swf::focusRectangle(*movie));
    EXPECT_FALSE(swf::pressKey(*movie, swf::kSwfKeyEnter));
    A get;
    traceCall(get, "Selection.getFocus", {});
    run(*movie, get);
    EXPECT_EQ(traceLines(*movie).back(), "null");
    EXPECT_EQ(tabs(*movie, 1), Lines{"b2"});  // Tab starts again at the first stop

    A hide;
    setPath(hide, "b2._visible", false);
    run(*movie, hide);
    EXPECT_FALSE(swf::focusRectangle(*movie));
    EXPECT_FALSE(swf::pressKey(*movie, swf::kSwfKeyEnter));  // hidden: not pressed, and it lets go
    EXPECT_EQ(focusName(*movie), "nothing");
    EXPECT_EQ(traceLines(*movie).back(), "b2 to undefined");
}

}  // namespace
}  // namespace velmora::test
