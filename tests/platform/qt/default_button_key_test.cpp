#include "platform/qt/default_button_key.h"

#include <QPushButton>
#include <QScrollBar>
#include <QWidget>
#include <gtest/gtest.h>

#include "qt_test_environment.h"

namespace velmora {
namespace {

TEST(DefaultButtonKey, EnterPlaysWhereverTheFocusIsAndSpacePressesTheFocusedButton) {
    QWidget window;
    auto* play = new QPushButton("play", &window);
    auto* open = new QPushButton("open", &window);
    auto* bar = new QScrollBar(Qt::Horizontal, &window);
    DefaultButtonKey key(window, *play);
    window.show();
    int plays = 0;
    int opens = 0;
    QObject::connect(play, &QPushButton::clicked, [&] { ++plays; });
    QObject::connect(open, &QPushButton::clicked, [&] { ++opens; });

    testing::keyClick(*bar, Qt::Key_Return);
    ASSERT_TRUE(testing::processEventsUntil([&] { return plays == 1; }, 2000));
    testing::keyClick(*bar, Qt::Key_Enter);
    ASSERT_TRUE(testing::processEventsUntil([&] { return plays == 2; }, 2000));

    // A focused button does not take Enter: opening a dialog by accident would stop the lesson.
    testing::keyClick(*open, Qt::Key_Return);
    ASSERT_TRUE(testing::processEventsUntil([&] { return plays == 3; }, 2000));
    EXPECT_EQ(opens, 0);

    testing::keyClick(*open, Qt::Key_Space);
    ASSERT_TRUE(testing::processEventsUntil([&] { return opens == 1; }, 2000));
    EXPECT_EQ(plays, 3);

    // A widget typing text (the movie's input field) claims Enter the way Qt asks before
    // shortcuts, and keeps it.
    struct Typing : QWidget {
        using QWidget::QWidget;
        int enters = 0;
        bool event(QEvent* e) override {
            if (e->type() == QEvent::ShortcutOverride) {
                e->accept();
                return true;
            }
            if (e->type() == QEvent::KeyPress) {
                ++enters;
                e->accept();
                return true;
            }
            return QWidget::event(e);
        }
    };
    auto* typing = new Typing(&window);
    typing->setFocusPolicy(Qt::StrongFocus);
    typing->show();
    testing::keyClick(*typing, Qt::Key_Return);
    ASSERT_TRUE(testing::processEventsUntil([&] { return typing->enters == 1; }, 2000));
    EXPECT_EQ(plays, 3);

    // Keys of another window are not ours.
    QWidget other;
    auto* elsewhere = new QPushButton("elsewhere", &other);
    other.show();
    testing::keyClick(*elsewhere, Qt::Key_Return);
    testing::processEventsFor(300);
    EXPECT_EQ(plays, 3);
}

}  // namespace
}  // namespace velmora
