// Buttons under the pointer and clip event handlers.
#include <gtest/gtest.h>

#include "runtime_fixtures.h"
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

}  // namespace
}  // namespace velmora::test
