#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>
#include <cmath>
#include <limits>

#include "platform/core/failure.h"
#include "platform/qt/qt_button.h"
#include "platform/qt/qt_form.h"
#include "platform/qt/twips.h"
#include "qt_test_environment.h"

namespace velmora {
namespace {

TEST(Twips, ConvertAtTheLogicalDpi) {
    // 15 twips to the pixel at 96 DPI, 12 at 120, 10 at 144.
    EXPECT_EQ(twipsToPixels(7245, 96, "width"), 483);
    EXPECT_EQ(twipsToPixels(7110, 96, "height"), 474);
    EXPECT_EQ(twipsToPixels(7245, 120, "width"), 604);  // 603.75 rounds up
    EXPECT_EQ(twipsToPixels(7245, 144, "width"), 725);  // 724.5 rounds away from zero
    EXPECT_EQ(twipsToPixels(3900.5, 96, "left"), 260);
    EXPECT_DOUBLE_EQ(pixelsToTwips(483, 96), 7245);
    EXPECT_DOUBLE_EQ(pixelsToTwips(604, 120), 7248);
}

TEST(Twips, RunawayValuesAreFailuresNotUndefinedConversions) {
    EXPECT_THROW(twipsToPixels(std::numeric_limits<double>::quiet_NaN(), 96, "width"), Failure);
    EXPECT_THROW(twipsToPixels(std::numeric_limits<double>::infinity(), 96, "width"), Failure);
    EXPECT_THROW(twipsToPixels(1e30, 96, "width"), Failure);
    EXPECT_EQ(twipsToPixels(-150, 96, "left"), -10);
}

TEST(Twips, ControlsArePlacedAtTheScreensLogicalDpi) {
    QWidget window;
    QtButton button(&window, QtButton::Style::Standard);
    placeInTwips(button.widget(), 3000, 6720, 1095, 375);
    const double dx = window.logicalDpiX() / 1440.0;
    const double dy = window.logicalDpiY() / 1440.0;
    EXPECT_EQ(button.widget().geometry(),
              QRect(std::lround(3000 * dx), std::lround(6720 * dy), std::lround(1095 * dx), std::lround(375 * dy)));

    button.putLeft(3900.5f);
    button.putTop(7150);
    EXPECT_EQ(button.widget().pos(), QPoint(std::lround(3900.5 * dx), std::lround(7150 * dy)));
    EXPECT_EQ(button.widget().size(), QSize(std::lround(1095 * dx), std::lround(375 * dy)));
}

TEST(QtForm, OuterSizeIsTheClientAreaPlusTheFixedFrame) {
    QWidget window;
    QtForm form(window);
    window.resize(twipsToPixels(7245, window.logicalDpiX(), "w"), twipsToPixels(7110, window.logicalDpiY(), "h"));
    const float clientWidth = static_cast<float>(pixelsToTwips(window.width(), window.logicalDpiX()));
    const float clientHeight = static_cast<float>(pixelsToTwips(window.height(), window.logicalDpiY()));
    EXPECT_FLOAT_EQ(form.Width(), clientWidth + 120);
    EXPECT_FLOAT_EQ(form.Height(), clientHeight + 405);

    form.putCaption("/lessons/swf/第一课.swf");
    EXPECT_EQ(window.windowTitle(), QStringLiteral("/lessons/swf/第一课.swf"));
}

TEST(QtForm, ResizeIsNotifiedOnFirstShowEverySizeAndEveryStateChange) {
    QWidget window;
    QtForm form(window);
    std::vector<int> states;
    form.onResize([&] { states.push_back(form.WindowState()); });
    window.resize(300, 200);
    EXPECT_TRUE(states.empty());  // nothing before the window is shown

    window.show();
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.back(), 0);

    states.clear();
    window.resize(350, 250);
    EXPECT_FALSE(states.empty());

    states.clear();
    window.setWindowState(Qt::WindowMinimized);
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.back(), 1);

    states.clear();
    window.setWindowState(Qt::WindowMaximized);
    testing::processEventsFor(50);
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.back(), 2);

    states.clear();
    window.setWindowState(Qt::WindowNoState);
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(form.WindowState(), 0);
}

TEST(QtButton, GraphicalFacePaintsTheBackColorInToolkitByteOrder) {
    QWidget window;
    window.resize(200, 100);
    QtButton graphical(&window, QtButton::Style::Graphical);
    QtButton standard(&window, QtButton::Style::Standard);
    graphical.widget().setGeometry(0, 0, 60, 30);
    window.show();

    graphical.putBackColor(0x00C0FFFF);  // red 255, green 255, blue 192: light yellow
    standard.putBackColor(0x000000FF);
    EXPECT_EQ(graphical.backColor(), 0x00C0FFFF);
    EXPECT_TRUE(standard.widget().styleSheet().isEmpty());

    const QImage face = graphical.widget().grab().toImage();
    EXPECT_EQ(face.pixelColor(30, 15), QColor(255, 255, 192));

    graphical.putBackColor(0x00FF0000);  // blue
    EXPECT_EQ(graphical.widget().grab().toImage().pixelColor(30, 15), QColor(0, 0, 255));

    EXPECT_THROW(graphical.putBackColor(0x01000000), Failure);
    EXPECT_THROW(graphical.putBackColor(-1), Failure);
    EXPECT_EQ(graphical.backColor(), 0x00FF0000);
}

}  // namespace
}  // namespace velmora
