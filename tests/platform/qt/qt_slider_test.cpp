#include "platform/qt/qt_slider.h"

#include <QSlider>
#include <QWidget>
#include <gtest/gtest.h>
#include <vector>

#include "platform/core/failure.h"
#include "qt_test_environment.h"

namespace velmora {
namespace {

using testing::keyClick;
using testing::mouseDrag;
using testing::mousePress;
using testing::mouseRelease;
using testing::sliderHandle;

// The speed slider as start-up leaves it: -80..100 at 0, step 1.
class SliderTest : public ::testing::Test {
protected:
    SliderTest() : slider(&window) {
        window.resize(400, 60);
        slider.widget().setGeometry(10, 10, 185, 17);
        slider.onScroll([this] { scrolledTo.push_back(slider.Value()); });
        slider.putSmallChange(1);
        slider.putValue(0);
        slider.putMax(100);
        slider.putMin(-80);
        window.show();
    }

    QWidget window;
    QtSlider slider;
    std::vector<int> scrolledTo;
};

TEST_F(SliderTest, ProgramWritesRaiseNoScroll) {
    slider.putValue(40);
    slider.putValue(-30);
    EXPECT_EQ(slider.Value(), -30);
    EXPECT_TRUE(scrolledTo.empty());
}

TEST_F(SliderTest, EveryUserMoveRaisesScrollWithTheNewValue) {
    keyClick(slider.widget(), Qt::Key_Right);
    keyClick(slider.widget(), Qt::Key_Right);
    keyClick(slider.widget(), Qt::Key_Left);
    EXPECT_EQ(scrolledTo, (std::vector<int>{1, 2, 1}));

    // Dragging the handle to the right end.
    scrolledTo.clear();
    QSlider& w = slider.widget();
    const QPoint handle = sliderHandle(w);
    mousePress(w, handle);
    mouseDrag(w, QPoint(w.width() + 50, handle.y()));
    mouseRelease(w, QPoint(w.width() + 50, handle.y()));
    ASSERT_FALSE(scrolledTo.empty());
    EXPECT_EQ(scrolledTo.back(), 100);
    EXPECT_EQ(slider.Value(), 100);
}

TEST_F(SliderTest, ValueOutsideTheRangeIsRefusedAndKept) {
    slider.putValue(10);
    EXPECT_THROW(slider.putValue(101), Failure);
    EXPECT_THROW(slider.putValue(-81), Failure);
    EXPECT_EQ(slider.Value(), 10);
    EXPECT_THROW(slider.putSmallChange(-1), Failure);
}

}  // namespace
}  // namespace velmora
