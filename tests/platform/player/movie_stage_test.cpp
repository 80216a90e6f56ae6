// What a movie's Stage and ContextMenu change in the player: where the stage lands, what the
// movie hears of the player's size, and its own entries in the right-button menu.
#include <QMenu>
#include <QImage>
#include <gtest/gtest.h>

#include "platform/player/swf_player_widget.h"
#include "player_test_support.h"
#include "support/avm1_assembler.h"
#include "support/qt_application.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/vm.h"

namespace velmora::test {
namespace {

// A 100 x 100 pixel stage, white, with a red 40-pixel square in its top left corner.
SwfWriter squareMovie(const Avm1Assembler& script = Avm1Assembler()) {
    SwfWriter swf(10);
    swf.stageSizePixels(100, 100);
    swf.setBackgroundColor({255, 255, 255});
    swf.defineRectangle(1, 0, 0, 800, 800, {255, 0, 0});
    swf.placeObject2({.depth = 1, .characterId = 1});
    swf.doAction(script.doActionBody());
    swf.showFrame();
    return swf;
}

void run(SwfPlayerWidget& player, const Avm1Assembler& script) {
    player.movieInstance()->vm().runBlock(std::make_shared<const std::vector<uint8_t>>(script.doActionBody()),
                                          player.movieInstance()->root());
}

Avm1Assembler setStage(const std::string& name, const std::string& value) {
    Avm1Assembler a;
    a.get("Stage").push({name, value}).op(Action::SetMember);
    return a;
}

QRgb at(SwfPlayerWidget& player, int x, int y) { return player.grab().toImage().pixel(x, y); }

TEST(MovieStage, TheScaleModeAndAlignmentPlaceTheStageInTheArea) {
    MovieFolder folder;
    SwfPlayerWidget player;
    player.resize(400, 200);
    player.putMovie(folder.write("square.swf", squareMovie()));
    const QRgb red = qRgb(255, 0, 0), white = qRgb(255, 255, 255);
    // Shown whole: twice its size, centred; the square spans 100..180 across.
    EXPECT_EQ(at(player, 170, 70), red);
    EXPECT_EQ(at(player, 90, 10), white);
    run(player, setStage("scaleMode", "exactFit"));  // stretched to the area: 0..160 by 0..80
    EXPECT_EQ(at(player, 90, 10), red);
    EXPECT_EQ(at(player, 150, 70), red);
    EXPECT_EQ(at(player, 170, 70), white);
    run(player, setStage("scaleMode", "noScale"));  // its own size, centred: 150..190 by 50..90
    EXPECT_EQ(at(player, 160, 60), red);
    EXPECT_EQ(at(player, 90, 10), white);
    run(player, setStage("align", "TL"));
    EXPECT_EQ(at(player, 20, 20), red);
    EXPECT_EQ(at(player, 160, 60), white);
    run(player, setStage("scaleMode", "noBorder"));  // filling the width: 4 times, top-left: 0..160
    EXPECT_EQ(at(player, 150, 150), red);
    EXPECT_EQ(at(player, 170, 150), white);
    player.movieInstance()->setHighQuality(false);  // half resolution draws the same place
    EXPECT_EQ(at(player, 150, 150), red);
    EXPECT_EQ(at(player, 170, 150), white);
}

TEST(MovieStage, AnUnscaledMovieHearsThePlayerResize) {
    Avm1Assembler onResize;  // trace(Stage.width + "x" + Stage.height)
    onResize.get("Stage").push({"width"}).op(Action::GetMember).push({"x"}).op(Action::Add2).get("Stage")
        .push({"height"}).op(Action::GetMember).op(Action::Add2).trace();
    Avm1Assembler script;
    script.push({"l"}).push({PushInt{0}}).op(Action::InitObject).op(Action::SetVariable);
    script.get("l").push({"onResize"}).defineFunction("", {}, onResize).op(Action::SetMember);
    script.get("l").push({PushInt{1}}).get("Stage").push({"addListener"}).op(Action::CallMethod).op(Action::Pop);
    script.get("Stage").push({"scaleMode", "noScale"}).op(Action::SetMember);
    MovieFolder folder;
    SwfPlayerWidget player;
    std::vector<std::string> lines;
    player.setTraceSink([&](const std::string& text) { lines.push_back(text); });
    player.resize(300, 200);
    player.putMovie(folder.write("listener.swf", squareMovie(script)));
    player.show();
    player.resize(320, 240);
    QCoreApplication::processEvents();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "320x240");
}

TEST(MovieStage, TheMoviesMenuEntriesComeFirstAndRunTheirHandlers) {
    Avm1Assembler chosen;
    chosen.trace(std::string("chosen"));
    Avm1Assembler script;  // m = new ContextMenu(); m.builtInItems.zoom = false; m.customItems = [item]; menu = m
    script.push({"m", PushInt{0}, "ContextMenu"}).op(Action::NewObject).op(Action::SetVariable);
    script.get("m").push({"builtInItems"}).op(Action::GetMember).push({"zoom", false}).op(Action::SetMember);
    script.push({"item"}).defineFunction("", {}, chosen).push({"About this lesson", PushInt{2}, "ContextMenuItem"})
        .op(Action::NewObject).op(Action::SetVariable);
    script.get("m").push({"customItems"}).get("item").push({PushInt{1}}).op(Action::InitArray).op(Action::SetMember);
    script.push({"menu"}).get("m").op(Action::SetVariable);
    MovieFolder folder;
    SwfPlayerWidget player;
    std::vector<std::string> lines;
    player.setTraceSink([&](const std::string& text) { lines.push_back(text); });
    player.putMovie(folder.write("menu.swf", squareMovie(script)));
    auto menu = player.makeContextMenu(QPointF(10, 10));
    QStringList titles;
    for (QAction* a : menu->actions())
        if (!a->isSeparator()) titles << a->text();
    EXPECT_EQ(titles, (QStringList{"About this lesson", "Quality", "Play", "Loop", "Rewind", "Forward", "Back"}));
    menu->actions().front()->trigger();
    EXPECT_EQ(lines, (std::vector<std::string>{"chosen"}));
    run(player, setStage("showMenu", ""));  // false: the player's entries go too
    titles.clear();
    menu = player.makeContextMenu(QPointF(10, 10));
    for (QAction* a : menu->actions())
        if (!a->isSeparator()) titles << a->text();
    EXPECT_EQ(titles, (QStringList{"About this lesson"}));
}

}  // namespace
}  // namespace velmora::test
