#include "platform/qt/qt_scroll_bar.h"

#include <QScrollBar>
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
using testing::scrollBarPart;
using testing::wheel;

// A shown bar whose Scroll notifications record the Value the handler reads.
class ScrollBarTest : public ::testing::Test {
protected:
    ScrollBarTest() : bar(&window) {
        window.resize(400, 60);
        bar.widget().setGeometry(10, 10, 300, 18);
        bar.onScroll([this] { scrolledTo.push_back(bar.Value()); });
        window.show();
    }

    QScrollBar& widget() { return bar.widget(); }

    QWidget window;
    QtScrollBar bar;
    std::vector<int> scrolledTo;
};

TEST_F(ScrollBarTest, StartsAtZeroOfAFullSixteenBitRange) {
    EXPECT_EQ(bar.Max(), 32767);
    EXPECT_EQ(bar.Value(), 0);
    EXPECT_EQ(widget().minimum(), 0);
    EXPECT_EQ(widget().singleStep(), 1);
    EXPECT_EQ(widget().pageStep(), 1);
}

TEST_F(ScrollBarTest, ProgramWritesRaiseNoScrollEvenWhileTheUserHoldsTheThumb) {
    bar.putMax(250);
    bar.putValue(100);
    bar.putSmallChange(50);
    EXPECT_EQ(bar.Value(), 100);

    // The position timer writes the bar while the user may be holding its thumb.
    widget().setSliderDown(true);
    bar.putValue(120);
    bar.putMax(200);
    widget().setSliderDown(false);
    EXPECT_TRUE(scrolledTo.empty());
    EXPECT_EQ(bar.Value(), 120);
}

TEST_F(ScrollBarTest, ArrowTrackKeyAndWheelMovesRaiseNoScroll) {
    bar.putMax(1000);
    bar.putValue(500);
    bar.putSmallChange(50);

    const QPoint arrow = scrollBarPart(widget(), QStyle::SC_ScrollBarAddLine);
    mousePress(widget(), arrow);
    mouseRelease(widget(), arrow);
    EXPECT_EQ(bar.Value(), 550);

    const QPoint track = scrollBarPart(widget(), QStyle::SC_ScrollBarAddPage);
    mousePress(widget(), track);
    mouseRelease(widget(), track);
    EXPECT_EQ(bar.Value(), 551);

    keyClick(widget(), Qt::Key_Left);
    EXPECT_EQ(bar.Value(), 501);
    keyClick(widget(), Qt::Key_Right);
    keyClick(widget(), Qt::Key_Right);
    EXPECT_EQ(bar.Value(), 601);

    wheel(widget(), -120);
    EXPECT_GT(bar.Value(), 601);

    EXPECT_TRUE(scrolledTo.empty());
}

TEST_F(ScrollBarTest, ThumbDragRaisesScrollWithTheNewValueAlreadyInPlace) {
    bar.putMax(1000);
    const QPoint thumb = scrollBarPart(widget(), QStyle::SC_ScrollBarSlider);
    mousePress(widget(), thumb);
    mouseDrag(widget(), thumb + QPoint(60, 0));
    mouseDrag(widget(), thumb + QPoint(120, 0));
    mouseRelease(widget(), thumb + QPoint(120, 0));

    ASSERT_EQ(scrolledTo.size(), 2u);
    EXPECT_GT(scrolledTo[0], 0);
    EXPECT_GT(scrolledTo[1], scrolledTo[0]);
    EXPECT_EQ(scrolledTo[1], bar.Value());
}

TEST_F(ScrollBarTest, ValueOutsideTheRangeIsRefusedAndKept) {
    bar.putMax(250);
    bar.putValue(7);
    EXPECT_THROW(bar.putValue(-1), Failure);
    EXPECT_THROW(bar.putValue(251), Failure);
    EXPECT_EQ(bar.Value(), 7);
    bar.putValue(250);  // the maximum itself is inside
    EXPECT_EQ(bar.Value(), 250);

    EXPECT_THROW(bar.putMax(-5), Failure);
    EXPECT_EQ(bar.Max(), 250);
    EXPECT_THROW(bar.putSmallChange(0), Failure);
}

TEST_F(ScrollBarTest, MaxBelowTheValueMovesTheValueDownWithoutFailure) {
    bar.putValue(300);
    EXPECT_NO_THROW(bar.putMax(120));
    EXPECT_EQ(bar.Max(), 120);
    EXPECT_EQ(bar.Value(), 120);
    EXPECT_NO_THROW(bar.putMax(0));
    EXPECT_EQ(bar.Value(), 0);
    EXPECT_TRUE(scrolledTo.empty());
}

TEST_F(ScrollBarTest, MovesAndWidensInTwips) {
    const double dpiX = widget().logicalDpiX();
    const double dpiY = widget().logicalDpiY();
    bar.putTop(6500);
    bar.putWidth(7950);
    EXPECT_EQ(widget().y(), qRound(6500 * dpiY / 1440));
    EXPECT_EQ(widget().width(), qRound(7950 * dpiX / 1440));
    EXPECT_EQ(widget().x(), 10);  // left is never moved by these
}

}  // namespace
}  // namespace velmora
