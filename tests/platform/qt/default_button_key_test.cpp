#include "platform/qt/default_button_key.h"

#include <QPushButton>
#include <QScrollBar>
#include <QWidget>
#include <gtest/gtest.h>

#include "qt_test_environment.h"

namespace velmora {
namespace {

TEST(DefaultButtonKey, EnterPlaysFromAnyControlButAFocusedButtonTakesItItself) {
    QWidget window;
    auto* play = new QPushButton("play", &window);
    auto* open = new QPushButton("open", &window);
    auto* bar = new QScrollBar(Qt::Horizontal, &window);
    open->setAutoDefault(true);
    DefaultButtonKey key(window, *play);
    window.show();
    int plays = 0;
    int opens = 0;
    QObject::connect(play, &QPushButton::clicked, [&] { ++plays; });
    QObject::connect(open, &QPushButton::clicked, [&] { ++opens; });

    // A key the scroll bar does not use travels up to the window.
    testing::keyClick(*bar, Qt::Key_Return);
    ASSERT_TRUE(testing::processEventsUntil([&] { return plays == 1; }, 2000));
    testing::keyClick(*bar, Qt::Key_Enter);
    ASSERT_TRUE(testing::processEventsUntil([&] { return plays == 2; }, 2000));

    testing::keyClick(*open, Qt::Key_Return);
    testing::processEventsFor(300);
    EXPECT_EQ(opens, 1);
    EXPECT_EQ(plays, 2);
}

}  // namespace
}  // namespace velmora
