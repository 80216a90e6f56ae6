// The movie's buttons on the real widget: Tab reaches them, Enter and Space press them.
#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "platform/player/swf_player_widget.h"
#include "player_test_support.h"
#include "support/avm1_assembler.h"
#include "support/qt_application.h"
#include "swf/runtime/movie_instance.h"

namespace velmora::test {
namespace {

TEST(ButtonFocusInPlayer, TabReachesTheMoviesButtonAndEnterPressesIt) {
    SwfWriter swf;
    swf.defineRectangle(1, 0, 0, 400, 400, {255, 0, 0});
    // DefineButton2 20: the square in every state, tracing "clicked" on release.
    const Avm1Assembler action = Avm1Assembler().push({"clicked"}).trace();
    const std::vector<uint8_t> bytes = action.bytes();
    std::vector<uint8_t> body{20, 0, 0, 10, 0, 0x0F, 1, 0, 1, 0, 0x00, 0x00, 0x00, 0, 0, 0x08, 0x00};
    body.insert(body.end(), bytes.begin(), bytes.end());
    body.push_back(0);
    swf.rawTag(34, body);
    swf.placeObject2({.depth = 1, .characterId = 20, .matrix = WriterMatrix{.translateX = 1000, .translateY = 1000}, .name = "ok"});
    swf.showFrame();
    MovieFolder folder;
    SwfPlayerWidget player;
    player.resize(550, 400);
    player.putMovie(folder.write("button.swf", swf));
    std::vector<std::string> traces;
    player.setTraceSink([&](const std::string& text) { traces.push_back(text); });
    swf::MovieInstance& movie = *player.movieInstance();

    // Before the movie has a focused button, Enter is the window's.
    QKeyEvent ask(QEvent::ShortcutOverride, Qt::Key_Return, Qt::NoModifier, "\r");
    ask.ignore();
    QApplication::sendEvent(&player, &ask);
    EXPECT_FALSE(ask.isAccepted());

    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, "\t");
    QApplication::sendEvent(&player, &tab);
    ASSERT_NE(movie.focusedButton(), nullptr);
    EXPECT_TRUE(movie.focusFromKeyboard());
    ask.ignore();
    QApplication::sendEvent(&player, &ask);
    EXPECT_TRUE(ask.isAccepted());  // kept from the window's default button
    QTest::keyClick(&player, Qt::Key_Return);
    EXPECT_EQ(traces, std::vector<std::string>{"clicked"});

    // Held down, the key repeats: the button is clicked once, when it comes up.
    auto send = [&](QEvent::Type type, bool repeat) {
        QKeyEvent event(type, Qt::Key_Space, Qt::NoModifier, " ", repeat);
        QApplication::sendEvent(&player, &event);
    };
    send(QEvent::KeyPress, false);
    send(QEvent::KeyRelease, true);
    send(QEvent::KeyPress, true);
    EXPECT_EQ(traces.size(), 1u);
    send(QEvent::KeyRelease, false);
    EXPECT_EQ(traces, (std::vector<std::string>{"clicked", "clicked"}));
}

TEST(ButtonFocusInPlayer, ControlTabLeavesAMovieThatKeepsTabToItself) {
    SwfWriter swf;
    swf.defineRectangle(1, 0, 0, 400, 400, {255, 0, 0});
    std::vector<uint8_t> body{20, 0, 0, 0, 0, 0x0F, 1, 0, 1, 0, 0x00, 0x00, 0x00, 0, 0, 0x08, 0x00};
    swf.rawTag(34, body);
    swf.placeObject2({.depth = 1, .characterId = 20, .name = "ok"});
    swf.showFrame();
    MovieFolder folder;
    QWidget window;
    auto* player = new SwfPlayerWidget(&window);
    auto* next = new QPushButton("next", &window);
    next->move(0, 420);
    player->resize(550, 400);
    player->putMovie(folder.write("button.swf", swf));
    window.show();
    QApplication::setActiveWindow(&window);
    player->setFocus();
    ASSERT_TRUE(player->hasFocus());

    QTest::keyClick(player, Qt::Key_Tab);
    EXPECT_TRUE(player->hasFocus());  // the movie's button took it
    EXPECT_NE(player->movieInstance()->focusedButton(), nullptr);
    QTest::keyClick(player, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_TRUE(next->hasFocus());
}

}  // namespace
}  // namespace velmora::test
