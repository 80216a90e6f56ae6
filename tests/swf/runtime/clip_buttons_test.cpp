// Clips in the role of buttons (script handlers, enabled, hitArea, useHandCursor, drags) and the
// Mouse object.
#include <gtest/gtest.h>

#include "runtime_fixtures.h"
#include "support/avm1_assembler.h"
#include "swf/runtime/pointer_input.h"

namespace velmora::test {
namespace {

using A = Avm1Assembler;

// target.name = function () { trace(text); }
A setHandler(const std::string& target, const std::string& name, const std::string& text) {
    A a;
    a.push({target}).op(Action::GetVariable).push({name}).defineFunction("", {}, A().push({text}).trace());
    a.op(Action::SetMember);
    return a;
}

A setValue(const std::string& target, const std::string& name, const PushItem& value) {
    A a;
    a.push({target}).op(Action::GetVariable).push({name, value}).op(Action::SetMember);
    return a;
}

std::vector<std::string> since(const swf::MovieInstance& movie, size_t from) {
    const auto all = traces(movie);
    return {all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())), all.end()};
}

// Clip "btn" (sprite 10: a 20-pixel square at its origin) at (50, 50) pixels, clip "area" (the
// same square) at (200, 200), and the root script given.
SwfWriter clipButtonStage(const A& script) {
    SwfWriter swf;
    swf.defineRectangle(1, 0, 0, 400, 400, {255, 0, 0});
    SwfTagList face;
    face.placeObject2({.depth = 1, .characterId = 1}).showFrame();
    swf.defineSprite(10, face);
    swf.placeObject2({.depth = 1, .characterId = 10, .matrix = WriterMatrix{.translateX = 1000, .translateY = 1000}, .name = "btn"});
    swf.placeObject2({.depth = 2, .characterId = 10, .matrix = WriterMatrix{.translateX = 4000, .translateY = 4000}, .name = "area"});
    swf.doAction(script.doActionBody()).showFrame();
    return swf;
}

TEST(ClipButtons, DragsOutAndOverAndReleaseOutsideReachTheScriptHandlers) {
    A script;
    for (const char* name : {"onPress", "onRelease", "onReleaseOutside", "onRollOver", "onRollOut", "onDragOut", "onDragOver"}) {
        script.raw(setHandler("btn", name, name).bytes());
    }
    auto movie = play(clipButtonStage(script));
    swf::PointerInput pointer(*movie);
    pointer.move(1100, 1100);
    EXPECT_TRUE(pointer.showsHand());
    pointer.press();
    pointer.move(3000, 3000);
    EXPECT_FALSE(pointer.showsHand());
    pointer.move(1100, 1100);
    pointer.release();
    pointer.press();
    pointer.move(4100, 4100);  // over "area", which is no button: the pressed one keeps the pointer
    pointer.release();
    EXPECT_EQ(traces(*movie), (std::vector<std::string>{"onRollOver", "onPress", "onDragOut", "onDragOver", "onRelease",
                                                        "onPress", "onDragOut", "onReleaseOutside"}));
}

TEST(ClipButtons, EnabledHitAreaAndHandCursorAreTheScriptsToSet) {
    A script = setHandler("btn", "onRelease", "click");
    auto movie = play(clipButtonStage(script));
    swf::PointerInput pointer(*movie);
    auto click = [&](double x, double y) {
        pointer.move(x, y);
        pointer.press();
        pointer.release();
    };
    auto run = [&](const A& code) {
        movie->queueScript(movie->root(), std::make_shared<const std::vector<uint8_t>>(code.bytes()));
        movie->runPendingActions();
    };
    click(1100, 1100);
    click(1500, 1500);  // beside the square, within no shape
    EXPECT_EQ(traces(*movie), std::vector<std::string>{"click"});

    run(setValue("btn", "enabled", false));
    click(1100, 1100);
    EXPECT_FALSE(pointer.overButton());
    run(setValue("btn", "enabled", true));

    // btn.hitArea = area: the square at (200, 200) takes the clicks, btn's own no longer.
    A hitArea;
    hitArea.push({"btn"}).op(Action::GetVariable).push({"hitArea", "area"}).op(Action::GetVariable).op(Action::SetMember);
    run(hitArea);
    click(1100, 1100);
    click(4100, 4100);
    EXPECT_EQ(traces(*movie), (std::vector<std::string>{"click", "click"}));

    EXPECT_TRUE(pointer.showsHand());
    run(setValue("btn", "useHandCursor", false));
    EXPECT_TRUE(pointer.overButton());
    EXPECT_FALSE(pointer.showsHand());
}

TEST(ClipButtons, AButtonInsideAClipButtonTakesThePointerFirst) {
    SwfWriter swf;
    swf.defineRectangle(1, 0, 0, 400, 400, {255, 0, 0});
    // DefineButton2 id 20 over rectangle 1, tracing "inner" on release.
    const A action = std::move(A().push({"inner"}).trace());
    std::vector<uint8_t> body{20, 0, 0, 10, 0, 0x0F, 1, 0, 1, 0, 0x00, 0x00, 0x00, 0, 0, 0x08, 0x00};
    const auto code = action.doActionBody();
    body.insert(body.end(), code.begin(), code.end());
    swf.rawTag(34, body);
    SwfTagList face;
    face.placeObject2({.depth = 1, .characterId = 1, .matrix = WriterMatrix{.translateX = 2000}});
    face.placeObject2({.depth = 2, .characterId = 20});
    face.showFrame();
    swf.defineSprite(10, face);
    swf.placeObject2({.depth = 1, .characterId = 10, .name = "outer"});
    swf.doAction(setHandler("outer", "onRelease", "outer").doActionBody()).showFrame();
    auto movie = play(swf);
    swf::PointerInput pointer(*movie);
    for (double x : {100.0, 2100.0}) {
        pointer.move(x, 100);
        pointer.press();
        pointer.release();
    }
    EXPECT_EQ(traces(*movie), (std::vector<std::string>{"inner", "outer"}));
}

TEST(ButtonObjects, NamedButtonsTakeHandlersSettingsAndPosition) {
    SwfWriter swf;
    swf.defineRectangle(1, 0, 0, 400, 400, {255, 0, 0});
    // DefineButton2 id 20 over rectangle 1, with no actions of its own.
    swf.rawTag(34, {20, 0, 0, 0, 0, 0x0F, 1, 0, 1, 0, 0x00, 0x00, 0x00});
    swf.placeObject2({.depth = 1, .characterId = 20, .matrix = WriterMatrix{.translateX = 1000, .translateY = 1000}, .name = "b"});
    // b.onRelease = function () { trace(this._name + " " + this._x + " " + (this instanceof Button)); }
    A body;
    body.push({"this"}).op(Action::GetVariable).push({"_name"}).op(Action::GetMember).push({" "}).op(Action::Add2);
    body.push({"this"}).op(Action::GetVariable).push({"_x"}).op(Action::GetMember).op(Action::Add2);
    body.push({" "}).op(Action::Add2);
    body.push({"this"}).op(Action::GetVariable).push({"Button"}).op(Action::GetVariable).op(Action::InstanceOf);
    body.op(Action::Add2).trace();
    A script;
    script.push({"b"}).op(Action::GetVariable).push({"onRelease"}).defineFunction("", {}, body).op(Action::SetMember);
    swf.doAction(script.doActionBody()).showFrame();
    auto movie = play(swf);
    swf::PointerInput pointer(*movie);
    auto click = [&](double x, double y) {
        pointer.move(x, y);
        pointer.press();
        pointer.release();
    };
    auto run = [&](const A& code) {
        movie->queueScript(movie->root(), std::make_shared<const std::vector<uint8_t>>(code.bytes()));
        movie->runPendingActions();
    };
    click(1100, 1100);
    EXPECT_TRUE(pointer.showsHand());
    run(setValue("b", "useHandCursor", false));
    EXPECT_FALSE(pointer.showsHand());
    run(setValue("b", "_x", 100.0));
    EXPECT_EQ(movie->root().displayList().at(1)->matrix.tx, 2000);
    click(2100, 1100);
    run(setValue("b", "enabled", false));
    click(2100, 1100);
    EXPECT_EQ(traces(*movie), (std::vector<std::string>{"b 50 true", "b 100 true"}));
}

TEST(ButtonObjects, ScriptsScaleTurnAndSizeButtonsAndTheTimelineLetsThemBe) {
    SwfWriter swf;
    swf.defineRectangle(1, 0, 0, 400, 200, {255, 0, 0});  // 20 x 10 pixels
    swf.rawTag(34, {20, 0, 0, 0, 0, 0x0F, 1, 0, 1, 0, 0x00, 0x00, 0x00});
    swf.placeObject2({.depth = 1, .characterId = 20, .matrix = WriterMatrix{.translateX = 1000, .translateY = 1000}, .name = "b"});
    A script;
    script.raw(setValue("b", "_xscale", 200.0).bytes());
    script.raw(setValue("b", "_height", 30.0).bytes());
    for (const char* p : {"_xscale", "_yscale", "_width", "_height"})
        script.push({"b"}).op(Action::GetVariable).push({p}).op(Action::GetMember).trace();
    script.raw(setValue("b", "_rotation", 90.0).bytes());
    for (const char* p : {"_rotation", "_width", "_height"})
        script.push({"b"}).op(Action::GetVariable).push({p}).op(Action::GetMember).trace();
    script.raw(setValue("b", "_xscale", "wide").bytes());  // NaN: nothing changes
    swf.doAction(script.doActionBody()).showFrame();
    // The timeline moves the button on; the script's transform stays.
    swf.placeObject2({.depth = 1, .move = true, .matrix = WriterMatrix{.translateX = 3000, .translateY = 3000}});
    swf.showFrame();
    auto movie = play(swf);
    movie->tick();
    EXPECT_EQ(traces(*movie), (std::vector<std::string>{"200", "300", "40", "30", "90", "30", "40"}));
    const swf::Matrix& m = movie->root().displayList().at(1)->matrix;
    EXPECT_NEAR(m.b, 2.0, 1e-9);
    EXPECT_NEAR(m.c, -3.0, 1e-9);
    EXPECT_EQ(m.tx, 1000);
}

TEST(MouseObject, ListenersHearThePointerAndTheWheelAndHideShowsTheCursorState) {
    // var l = {}; l.onMouseDown = ...; l.onMouseWheel = function (d, t) { trace(d + " " + t._name); }
    A script;
    script.push({"l", PushInt{0}}).op(Action::InitObject).op(Action::DefineLocal);
    for (const char* name : {"onMouseDown", "onMouseUp", "onMouseMove"}) script.raw(setHandler("l", name, name).bytes());
    A wheel;
    wheel.push({"d"}).op(Action::GetVariable).push({" "}).op(Action::Add2);
    wheel.push({"t"}).op(Action::GetVariable).push({"_name"}).op(Action::GetMember).op(Action::Add2).trace();
    script.push({"l"}).op(Action::GetVariable).push({"onMouseWheel"}).defineFunction("", {"d", "t"}, wheel).op(Action::SetMember);
    script.push({"l"}).op(Action::GetVariable).push({PushInt{1}, "Mouse"}).op(Action::GetVariable).push({"addListener"}).op(Action::CallMethod).op(Action::Pop);
    // trace(Mouse.hide()); trace(Mouse.hide());
    for (int i = 0; i < 2; ++i) {
        script.push({PushInt{0}, "Mouse"}).op(Action::GetVariable).push({"hide"}).op(Action::CallMethod).trace();
    }
    auto movie = play(clipButtonStage(script));
    EXPECT_TRUE(movie->pointerHidden());
    swf::PointerInput pointer(*movie);
    pointer.move(1100, 1100);
    pointer.press();
    pointer.release();
    pointer.wheel(-3);
    EXPECT_EQ(traces(*movie), (std::vector<std::string>{"1", "0", "onMouseMove", "onMouseDown", "onMouseUp", "-3 btn"}));

    A after;
    after.push({"l"}).op(Action::GetVariable).push({PushInt{1}, "Mouse"}).op(Action::GetVariable).push({"removeListener"}).op(Action::CallMethod).op(Action::Pop);
    after.push({PushInt{0}, "Mouse"}).op(Action::GetVariable).push({"show"}).op(Action::CallMethod).trace();
    movie->queueScript(movie->root(), std::make_shared<const std::vector<uint8_t>>(after.bytes()));
    movie->runPendingActions();
    pointer.press();
    EXPECT_FALSE(movie->pointerHidden());
    EXPECT_EQ(since(*movie, 6), std::vector<std::string>{"0"});
}

}  // namespace
}  // namespace velmora::test
