// Buttons under the pointer and clip event handlers.
#include <gtest/gtest.h>

#include "runtime_fixtures.h"
#include "swf/runtime/key_input.h"
#include "swf/runtime/pointer_input.h"

namespace velmora::test {
namespace {

// DefineButton2 id 20: one record (all states and the hit area) showing rectangle 1, and an
// action on release that traces "clicked".
void defineButton(SwfTagList& swf) {
    const Asm action = Asm().pushString("clicked").trace().end();
    std::vector<uint8_t> body{20, 0, 0, 10, 0};
    body.insert(body.end(), {0x0F, 1, 0, 1, 0, 0x00, 0x00, 0x00});  // record, then the end of records
    body.insert(body.end(), {0, 0, 0x08, 0x00});                    // last action: OverDownToOverUp
    body.insert(body.end(), action.bytes().begin(), action.bytes().end());
    swf.rawTag(34, body);
}

SwfWriter buttonStage() {
    SwfWriter swf;
    swf.defineRectangle(1, 0, 0, 400, 400, {255, 0, 0});
    defineButton(swf);
    swf.placeObject2({.depth = 1, .characterId = 20, .matrix = WriterMatrix{.translateX = 1000, .translateY = 1000}});
    swf.showFrame();
    return swf;
}

TEST(PointerInput, AClickOnAButtonRunsItsReleaseAction) {
    auto movie = play(buttonStage());
    swf::PointerInput pointer(*movie);
    const swf::DisplayObject& button = *movie->root().displayList().at(1);

    pointer.move(100, 100);
    EXPECT_FALSE(pointer.overButton());
    pointer.move(1200, 1200);
    EXPECT_TRUE(pointer.overButton());
    EXPECT_EQ(button.buttonState, swf::ButtonState::Over);
    pointer.press();
    EXPECT_EQ(button.buttonState, swf::ButtonState::Down);
    EXPECT_TRUE(traces(*movie).empty());
    pointer.release();
    EXPECT_EQ(button.buttonState, swf::ButtonState::Over);
    EXPECT_EQ(traces(*movie), std::vector<std::string>{"clicked"});
    pointer.leave();
    EXPECT_EQ(button.buttonState, swf::ButtonState::Up);
}

TEST(PointerInput, ReleasingAwayFromTheButtonIsNoClick) {
    auto movie = play(buttonStage());
    swf::PointerInput pointer(*movie);
    pointer.move(1200, 1200);
    pointer.press();
    pointer.move(5000, 5000);
    pointer.release();
    EXPECT_TRUE(traces(*movie).empty());
    EXPECT_EQ(movie->root().displayList().at(1)->buttonState, swf::ButtonState::Up);
    EXPECT_FALSE(pointer.overButton());
}

TEST(PointerInput, AButtonRemovedUnderThePointerIsForgotten) {
    SwfWriter swf = buttonStage();
    swf.removeObject2(1).showFrame();
    auto movie = play(swf);
    swf::PointerInput pointer(*movie);
    pointer.move(1200, 1200);
    movie->tick();
    EXPECT_FALSE(pointer.overButton());
    pointer.press();
    pointer.release();
    EXPECT_TRUE(traces(*movie).empty());
}

TEST(ClipEvents, LoadOnceEnterFrameEveryTickMouseOnDemand) {
    SwfWriter swf;
    swf.defineSprite(10, framesOnly(2));
    swf.placeObject2({.depth = 1,
                      .characterId = 10,
                      .clipActions = {{.events = swf::kClipEventLoad, .actions = Asm().pushString("load").trace().end().bytes()},
                                      {.events = swf::kClipEventEnterFrame, .actions = Asm().pushString("enter").trace().end().bytes()},
                                      {.events = swf::kClipEventMouseDown, .actions = Asm().pushString("down").trace().end().bytes()}}});
    swf.showFrame();
    auto movie = play(swf);
    EXPECT_EQ(traces(*movie), std::vector<std::string>{"load"});
    movie->tick();
    movie->tick();
    swf::PointerInput pointer(*movie);
    pointer.press();
    EXPECT_EQ(traces(*movie), (std::vector<std::string>{"load", "enter", "enter", "down"}));
}

TEST(PointerInput, AClipWithReleaseHandlersActsAsAButton) {
    SwfWriter swf;
    swf.defineRectangle(1, 0, 0, 400, 400, {255, 0, 0});
    SwfTagList face;
    face.placeObject2({.depth = 1, .characterId = 1});
    face.frameLabel("_up").showFrame();
    face.frameLabel("_over").showFrame();
    face.frameLabel("_down").showFrame();
    swf.defineSprite(10, face);
    swf.placeObject2({.depth = 1,
                      .characterId = 10,
                      .matrix = WriterMatrix{.translateX = 1000, .translateY = 1000},
                      .name = "next",
                      .clipActions = {{.events = swf::kClipEventRelease,
                                       .actions = Asm().pushString("released").trace().end().bytes()}}});
    swf.showFrame();
    auto movie = play(swf);
    swf::Clip& next = *movie->root().childAt(1);
    swf::PointerInput pointer(*movie);
    pointer.move(1100, 1100);
    EXPECT_TRUE(pointer.overButton());
    EXPECT_EQ(next.currentFrame(), 1u);  // "_over"
    pointer.press();
    EXPECT_EQ(next.currentFrame(), 2u);  // "_down"
    pointer.release();
    EXPECT_EQ(traces(*movie), std::vector<std::string>{"released"});
    pointer.move(3000, 3000);
    EXPECT_EQ(next.currentFrame(), 0u);  // "_up"
    EXPECT_FALSE(next.isPlaying());
}

TEST(PointerInput, AnOnReleaseFunctionMakesAClipClickable) {
    SwfWriter swf;
    swf.defineRectangle(1, 0, 0, 400, 400, {255, 0, 0});
    SwfTagList face;
    face.placeObject2({.depth = 1, .characterId = 1}).showFrame();
    swf.defineSprite(10, face);
    swf.placeObject2({.depth = 1, .characterId = 10, .name = "next"});
    // next.onRelease = function () { trace(this._name); }
    Asm body;
    body.pushString("this").getVariable().pushString("_name").op(0x4E).trace();
    Asm code;
    code.pushString("next").getVariable().pushString("onRelease");
    code.record(0x9B, {0, 0, 0, uint8_t(body.bytes().size()), 0});
    for (uint8_t b : body.bytes()) code.op(b);
    code.op(0x4F);
    swf.doAction(code).showFrame();
    auto movie = play(swf);
    swf::PointerInput pointer(*movie);
    pointer.move(100, 100);
    pointer.press();
    pointer.release();
    EXPECT_EQ(traces(*movie), std::vector<std::string>{"next"});
}

TEST(KeyInput, AButtonWaitingForAKeyRunsItsActionAndClipsHearEveryKey) {
    SwfWriter swf;
    swf.defineRectangle(1, 0, 0, 400, 400, {255, 0, 0});
    // DefineButton2 id 21 whose one action waits for the right arrow key (code 2, bits 9..15).
    const Asm action = Asm().pushString("right").trace().end();
    std::vector<uint8_t> body{21, 0, 0, 10, 0, 0x0F, 1, 0, 1, 0, 0x00, 0x00, 0x00, 0, 0, 0x00, uint8_t(2 << 1)};
    body.insert(body.end(), action.bytes().begin(), action.bytes().end());
    swf.rawTag(34, body);
    swf.defineSprite(10, framesOnly(1));
    swf.placeObject2({.depth = 1, .characterId = 21});
    swf.placeObject2({.depth = 2,
                      .characterId = 10,
                      .clipActions = {{.events = swf::kClipEventKeyDown, .actions = Asm().pushString("down").trace().end().bytes()},
                                      {.events = swf::kClipEventKeyUp, .actions = Asm().pushString("up").trace().end().bytes()}}});
    swf.showFrame();
    auto movie = play(swf);
    EXPECT_TRUE(swf::pressKey(*movie, swf::kSwfKeyRight));
    swf::releaseKey(*movie);
    EXPECT_FALSE(swf::pressKey(*movie, swf::kSwfKeyEnter));
    EXPECT_EQ(traces(*movie), (std::vector<std::string>{"right", "down", "up", "down"}));
}

}  // namespace
}  // namespace velmora::test
