#include <gtest/gtest.h>

#include "support/fake_window.h"

namespace velmora {
namespace {

using testing::LoadedWindow;

TEST(ColourFunctions, SplitAToolkitColourIntoItsBytes) {
    EXPECT_EQ(Form1::GetRed(0x00C0FFFF), 0xFF);
    EXPECT_EQ(Form1::GetGreen(0x00C0FFFF), 0xFF);
    EXPECT_EQ(Form1::GetBlue(0x00C0FFFF), 0xC0);
    EXPECT_EQ(Form1::GetRed(0x00123456), 0x56);
    EXPECT_EQ(Form1::GetGreen(0x00123456), 0x34);
    EXPECT_EQ(Form1::GetBlue(0x00123456), 0x12);
    for (int32_t c = 0; c <= 0x00FFFFFF; c += 0x010307) {
        EXPECT_EQ(Form1::GetRed(c) + 256 * Form1::GetGreen(c) + 65536 * Form1::GetBlue(c), c);
    }
}

TEST(ColourFunctions, DivisionTruncatesTowardZero) {
    EXPECT_EQ(Form1::GetGreen(-1), 0);
    EXPECT_EQ(Form1::GetBlue(-1), 0);
    EXPECT_EQ(Form1::GetRed(-1), 255);
    EXPECT_EQ(Form1::GetGreen(-257), 255);  // -257 / 256 = -1
}

struct ColourDialog : ::testing::Test {
    LoadedWindow w;
    void choose(std::optional<int32_t> colour) {
        w.dlg.colorChoice = colour;
        w.log.clear();
        w.form1.ComColor_Click();
    }
};

TEST_F(ColourDialog, ConfirmedColourPaintsTheButtonAndTheMovieInTheirByteOrders) {
    struct Case {
        int32_t toolkit;
        int32_t movie;
    };
    for (const Case& c : {Case{0x000000FF, 0x00FF0000},  // red
                          Case{0x00C0FFFF, 0x00FFFFC0},  // the creation light yellow
                          Case{0x00FF0000, 0x000000FF},  // blue
                          Case{0x00808080, 0x00808080},  // grey passes unchanged
                          Case{0x00000000, 0x00000000},  // confirmed black is still black
                          Case{0x00FFFFFF, 0x00FFFFFF}}) {
        choose(c.toolkit);
        EXPECT_EQ(w.ComColor.backColor, c.toolkit);
        EXPECT_EQ(w.swf1.background, c.movie) << std::hex << c.toolkit;
    }
    EXPECT_EQ(w.log.calls(), (std::vector<std::string>{"dlg.Flags=2", "dlg.ShowColor()", "dlg.Color",
                                                       "ComColor.BackColor=16777215", "dlg.Color", "dlg.Color",
                                                       "dlg.Color", "swf1.BackgroundColor=16777215"}));
    EXPECT_FALSE(w.swf2.background.has_value());
}

TEST_F(ColourDialog, CancelLeavesButtonAndMovieAsTheyWere) {
    choose(std::nullopt);  // first use cancelled: no black
    EXPECT_EQ(w.ComColor.backColor, 0x00C0FFFF);
    EXPECT_EQ(w.swf1.background, 0x00FFFFC0);
    EXPECT_EQ(w.log.calls(), (std::vector<std::string>{"dlg.Flags=2", "dlg.ShowColor()"}));

    choose(0x000000FF);
    choose(std::nullopt);  // a later cancel does not apply the last colour again
    EXPECT_EQ(w.ComColor.backColor, 0x000000FF);
    EXPECT_EQ(w.swf1.background, 0x00FF0000);
    EXPECT_EQ(w.log.calls().size(), 2u);
}

TEST_F(ColourDialog, AFailingMovieColourLeavesTheButtonPainted) {
    w.log.failOn("swf1.BackgroundColor=");
    w.dlg.colorChoice = 0x000000FF;
    EXPECT_THROW(w.form1.ComColor_Click(), Failure);
    EXPECT_EQ(w.ComColor.backColor, 0x000000FF);
    EXPECT_EQ(w.swf1.background, 0x00FFFFC0);
}

TEST_F(ColourDialog, AFailingReadEndsTheHandler) {
    w.log.failOn("dlg.Color", 2);
    w.dlg.colorChoice = 0x000000FF;
    EXPECT_THROW(w.form1.ComColor_Click(), Failure);
    EXPECT_EQ(w.ComColor.backColor, 0x000000FF);
    EXPECT_EQ(w.swf1.background, 0x00FFFFC0);
}

}  // namespace
}  // namespace velmora
