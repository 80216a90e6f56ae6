#include <gtest/gtest.h>

#include <limits>
#include <tuple>

#include "support/fake_window.h"

namespace velmora {
namespace {

using testing::LoadedWindow;

struct Resize : ::testing::Test {
    LoadedWindow w;
    void resizeTo(float width, float height, int state = 0) {
        w.form.width = width;
        w.form.height = height;
        w.form.windowState = state;
        w.log.clear();
        w.form1.Form_Resize();
    }
};

TEST_F(Resize, WorkedExamplePlacesEveryControlInOrder) {
    resizeTo(9000, 8000);
    EXPECT_EQ(w.log.calls(),
              (std::vector<std::string>{"Form1.WindowState", "Form1.Width", "Form1.Height", "swf1.Width=8650",
                                        "swf1.Height=6200", "Com1.Top=6500", "Com2.Top=6800", "ComP.Top=7150",
                                        "ComP.Left=3900", "ComColor.Left=8000", "ComColor.Top=7200",
                                        "HSc1.Top=6500", "HSc2.Top=6800", "HSc1.Width=7950", "HSc2.Width=7950",
                                        "Slider1.Top=7200"}));
    // Nothing else moves: no left of a bar or of the first column, no size of a button.
    EXPECT_FALSE(w.Com1.left.has_value());
    EXPECT_FALSE(w.swf2.width.has_value());
}

TEST_F(Resize, HalfTwipsArePassedOnUnrounded) {
    resizeTo(9001, 8000);
    EXPECT_FLOAT_EQ(*w.ComP.left, 3900.5f);
}

TEST_F(Resize, TheMinimumSizeIsStillLaidOut) {
    resizeTo(1500, 1800);
    EXPECT_EQ(*w.swf1.width, 1150);
    EXPECT_EQ(*w.swf1.height, 0);
    EXPECT_EQ(*w.HSc1.width, 450);
    EXPECT_EQ(*w.Slider1.top, 1000);
}

TEST_F(Resize, BelowTheMinimumOrMinimisedNothingMoves) {
    resizeTo(9000, 8000);
    for (auto [width, height, state] : {std::tuple{1499.9f, 8000.0f, 0}, {9000.0f, 1799.0f, 0}, {200.0f, 200.0f, 0},
                                        {9000.0f, 8000.0f, 1}, {12000.0f, 9000.0f, 1}}) {
        resizeTo(width, height, state);
        EXPECT_TRUE(w.log.callsStartingWith("swf1").empty()) << width << 'x' << height << " state " << state;
        EXPECT_EQ(*w.swf1.width, 8650);
        EXPECT_EQ(*w.Slider1.top, 7200);
    }
    // A minimised window does not even read its size.
    EXPECT_EQ(w.log.calls(), std::vector<std::string>{"Form1.WindowState"});
}

TEST_F(Resize, RestoringAndMaximisingLayOutAgain) {
    resizeTo(9000, 8000, 1);
    resizeTo(9000, 8000, 0);
    EXPECT_EQ(*w.swf1.width, 8650);
    resizeTo(20000, 15000, 2);
    EXPECT_EQ(*w.swf1.width, 19650);
    EXPECT_EQ(*w.ComColor.top, 14200);
}

TEST_F(Resize, TheBottomBandStaysInsideTheClientAreaAtEverySize) {
    // The form reports its outer size as the client area plus a frame of 120 x 405 twips.
    for (float clientHeight : {1395.0f, 2000.0f, 7110.0f, 15000.0f}) {
        resizeTo(7365, clientHeight + 405);
        EXPECT_LE(*w.ComP.top + 375, clientHeight);
        EXPECT_LE(*w.ComColor.top + 255, clientHeight);
        EXPECT_LE(*w.Slider1.top + 255, clientHeight);
        EXPECT_LE(120 + *w.swf1.height, *w.HSc1.top);
        EXPECT_LE(840 + *w.HSc1.width, 7245);
    }
}

TEST_F(Resize, AFailingPlacementEndsTheLayoutThere) {
    w.log.failOn("ComP.Left=");
    w.form.width = 9000;
    w.form.height = 8000;
    EXPECT_THROW(w.form1.Form_Resize(), Failure);
    EXPECT_EQ(*w.ComP.top, 7150);
    EXPECT_FALSE(w.ComColor.left.has_value());
    EXPECT_FALSE(w.Slider1.top.has_value());
}

TEST_F(Resize, AnInfiniteSizeIsAFailureNotAPlacement) {
    w.form.width = std::numeric_limits<float>::infinity();
    w.form.height = 8000;
    EXPECT_THROW(w.form1.Form_Resize(), Failure);
    EXPECT_FALSE(w.swf1.width.has_value());
}

}  // namespace
}  // namespace velmora
