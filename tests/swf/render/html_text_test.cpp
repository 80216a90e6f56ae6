#include <gtest/gtest.h>

#include "swf/render/html_text.h"

namespace velmora::swf {
namespace {

using Align = EditTextCharacter::Align;

std::u32string textOf(const TextParagraph& p) {
    std::u32string s;
    for (const auto& run : p.runs) s += run.text;
    return s;
}

TEST(HtmlText, ParagraphsAlignmentAndLineBreaks) {
    const auto ps = parseHtmlText("<p align=\"center\">一二</p><p>left<br>next</p>tail", {}, Align::Left);
    ASSERT_EQ(ps.size(), 4u);
    EXPECT_EQ(textOf(ps[0]), U"一二");
    EXPECT_EQ(ps[0].align, Align::Center);
    EXPECT_EQ(textOf(ps[1]), U"left");
    EXPECT_EQ(ps[1].align, Align::Left);
    EXPECT_EQ(textOf(ps[2]), U"next");
    EXPECT_EQ(textOf(ps[3]), U"tail");
}

TEST(HtmlText, TextFormatTagsSetTheirParagraphsAndTheLastEndLeavesNoLine) {
    const auto ps = parseHtmlText("<p>a</p><textformat leftmargin='10' indent=\"2\" leading='-1'><p>b<br>c</p>"
                                  "</textformat><p><font letterspacing='1.5'>d</font></p>",
                                  {}, Align::Left);
    ASSERT_EQ(ps.size(), 4u);
    EXPECT_FALSE(ps[0].leftMargin);
    for (size_t i : {1u, 2u}) {
        EXPECT_EQ(ps[i].leftMargin, 200.0) << i;
        EXPECT_EQ(ps[i].indent, 40.0) << i;
        EXPECT_EQ(ps[i].leading, -20.0) << i;
        EXPECT_FALSE(ps[i].rightMargin) << i;
    }
    EXPECT_EQ(textOf(ps[3]), U"d");
    EXPECT_FALSE(ps[3].leftMargin);
    EXPECT_EQ(ps[3].runs[0].format.letterSpacing, 30.0);
    // Text after the last </p> starts its own paragraph; an empty <p></p> still counts.
    EXPECT_EQ(parseHtmlText("<p>a</p>b", {}, Align::Left).size(), 2u);
    EXPECT_EQ(parseHtmlText("<p>a</p><p></p>", {}, Align::Left).size(), 2u);
    EXPECT_EQ(parseHtmlText("a<br>", {}, Align::Left).size(), 2u);
}

TEST(HtmlText, FontTagsNestAndCloseInOrder) {
    TextFormat base;
    base.size = 240;
    const auto ps = parseHtmlText(
        "a<font face='宋体' size='20' color='#FF0000'>b<b>c<i>d</i></b><u>e</u><a href=\"x.html\">f</a></font>g",
        base, Align::Left);
    ASSERT_EQ(ps.size(), 1u);
    const auto& runs = ps[0].runs;
    ASSERT_EQ(runs.size(), 7u);
    EXPECT_EQ(runs[0].format.face, "");
    EXPECT_EQ(runs[1].format.face, "宋体");
    EXPECT_EQ(runs[1].format.size, 400.0);
    EXPECT_EQ(runs[1].format.color, (Rgba{255, 0, 0, 255}));
    EXPECT_TRUE(runs[2].format.bold);
    EXPECT_FALSE(runs[2].format.italic);
    EXPECT_TRUE(runs[3].format.bold && runs[3].format.italic);
    EXPECT_TRUE(runs[4].format.underline);
    EXPECT_FALSE(runs[4].format.bold);
    EXPECT_EQ(runs[5].format.url, "x.html");
    EXPECT_EQ(runs[6].format.face, "");  // after </font>
    EXPECT_EQ(runs[6].format.size, 240.0);
}

TEST(HtmlText, RelativeSizesAndHostileValues) {
    TextFormat base;
    base.size = 240;  // 12 px
    auto sizeOf = [&](const std::string& html) { return parseHtmlText(html, base, Align::Left)[0].runs[0].format.size; };
    EXPECT_EQ(sizeOf("<font size=\"+4\">x</font>"), 320.0);
    EXPECT_EQ(sizeOf("<font size=\"-20\">x</font>"), 20.0);      // at least one pixel
    EXPECT_EQ(sizeOf("<font size=\"99999\">x</font>"), 20000.0);  // at most 1000 pixels
    EXPECT_EQ(sizeOf("<font size=\"huge\">x</font>"), 240.0);
    const auto bad = parseHtmlText("<font color=\"#12\">x</font>", base, Align::Left);
    EXPECT_EQ(bad[0].runs[0].format.color, base.color);
}

TEST(HtmlText, EntitiesUnknownTagsAndBrokenMarkup) {
    const auto ps = parseHtmlText("&lt;&amp;&#26159;&#x662F;&bogus;<span>x</span></b><textformat>y", {}, Align::Left);
    ASSERT_EQ(ps.size(), 1u);
    EXPECT_EQ(textOf(ps[0]), U"<&是是&bogus;xy");
    // A tag cut short ends the text; nothing is lost before it.
    const auto cut = parseHtmlText("ab<font size=", {}, Align::Left);
    EXPECT_EQ(textOf(cut[0]), U"ab");
    // A million open tags stay bounded.
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "<b>";
    deep += "z";
    EXPECT_EQ(textOf(parseHtmlText(deep, {}, Align::Left)[0]), U"z");
}

TEST(HtmlText, PlainTextSplitsOnEveryKindOfLineEnd) {
    const auto ps = splitPlainText("one\rtwo\r\nthree\nfour", {}, Align::Right);
    ASSERT_EQ(ps.size(), 4u);
    EXPECT_EQ(textOf(ps[1]), U"two");
    EXPECT_EQ(textOf(ps[3]), U"four");
    EXPECT_EQ(ps[2].align, Align::Right);
}

}  // namespace
}  // namespace velmora::swf
