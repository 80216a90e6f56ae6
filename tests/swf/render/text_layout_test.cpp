#include <gtest/gtest.h>

#include "swf/render/text_layout.h"

namespace velmora::swf {
namespace {

// Every character a 100-twip square box on the baseline with an advance of 100; ascent 80,
// descent 20 at any size.
class BoxGlyphs : public GlyphSource {
public:
    Metrics metrics(const TextFormat&) override { return {80, 20}; }
    double advance(char32_t, const TextFormat&) override { return 100; }
    QPainterPath outline(char32_t, const TextFormat&) override {
        QPainterPath p;
        p.addRect(0, -80, 100, 100);
        return p;
    }
};

std::vector<TextParagraph> paragraph(const std::u32string& text, EditTextCharacter::Align align = {}) {
    return {TextParagraph{align, {TextRun{text, TextFormat{}}}}};
}

// The left edges of the boxes drawn, line by line (keyed by baseline).
std::map<double, std::vector<double>> boxes(const TextGeometry& g) {
    std::map<double, std::vector<double>> lines;
    for (const auto& piece : g.pieces)
        for (const QPolygonF& poly : piece.path.toSubpathPolygons()) {
            const QRectF r = poly.boundingRect();
            if (r.height() > 50) lines[r.top() + 80].push_back(r.left());
        }
    for (auto& [y, xs] : lines) std::sort(xs.begin(), xs.end());
    return lines;
}

TEST(TextLayout, WordWrapBreaksAtSpacesAndStacksLines) {
    BoxGlyphs glyphs;
    TextLayoutOptions options;
    options.width = 550;
    options.wordWrap = true;
    options.leading = 10;
    const auto lines = boxes(layoutText(paragraph(U"ab cd efgh"), options, glyphs));
    ASSERT_EQ(lines.size(), 2u);
    auto it = lines.begin();
    EXPECT_EQ(it->first, 80);  // first baseline: the ascent below the top
    EXPECT_EQ(it->second, (std::vector<double>{0, 100, 300, 400}));  // "ab cd": the space fits
    ++it;
    EXPECT_EQ(it->first, 80 + 20 + 10 + 80);  // descent, leading, ascent
    EXPECT_EQ(it->second, (std::vector<double>{0, 100, 200, 300}));  // "efgh"
    // Narrower, "cd" no longer fits beside "ab" and goes down a line of its own.
    options.width = 450;
    EXPECT_EQ(boxes(layoutText(paragraph(U"ab cd efgh"), options, glyphs)).size(), 3u);
}

TEST(TextLayout, ChineseBreaksBetweenAnyTwoCharactersAndLongWordsAreCut) {
    BoxGlyphs glyphs;
    TextLayoutOptions options;
    options.width = 300;
    options.wordWrap = true;
    const auto chinese = boxes(layoutText(paragraph(U"一二三四五"), options, glyphs));
    ASSERT_EQ(chinese.size(), 2u);
    EXPECT_EQ(chinese.begin()->second.size(), 3u);
    const auto word = boxes(layoutText(paragraph(U"abcdefg"), options, glyphs));
    ASSERT_EQ(word.size(), 3u);
    // Too narrow for even one character: one a line, never an endless loop.
    options.width = 10;
    EXPECT_EQ(boxes(layoutText(paragraph(U"abc"), options, glyphs)).size(), 3u);
}

TEST(TextLayout, AlignmentMarginsAndIndent) {
    BoxGlyphs glyphs;
    TextLayoutOptions options;
    options.width = 1000;
    options.leftMargin = 100;
    options.rightMargin = 100;
    auto firstX = [&](EditTextCharacter::Align align, double indent = 0) {
        options.indent = indent;
        return boxes(layoutText(paragraph(U"ab  ", align), options, glyphs)).begin()->second.front();
    };
    EXPECT_EQ(firstX(EditTextCharacter::Align::Left), 100);
    EXPECT_EQ(firstX(EditTextCharacter::Align::Left, 50), 150);
    // Right and centre ignore the trailing spaces: box 800 wide, text 200.
    EXPECT_EQ(firstX(EditTextCharacter::Align::Right), 700);
    EXPECT_EQ(firstX(EditTextCharacter::Align::Center), 400);
}

TEST(TextLayout, ParagraphsSetApartTakeTheirOwnMarginsIndentLeadingAndSpacing) {
    BoxGlyphs glyphs;
    TextLayoutOptions options;
    options.width = 1000;
    options.leftMargin = 100;
    options.leading = 40;
    std::vector<TextParagraph> ps = paragraph(U"a");
    TextParagraph own{EditTextCharacter::Align::Left, {TextRun{U"bc", TextFormat{}}}};
    own.leftMargin = 300;
    own.indent = 20;
    own.leading = 0;
    own.runs[0].format.letterSpacing = 50;
    ps.push_back(own);
    ps.push_back(paragraph(U"d").front());
    const auto lines = boxes(layoutText(ps, options, glyphs));
    ASSERT_EQ(lines.size(), 3u);
    auto line = lines.begin();
    EXPECT_EQ(line->second, (std::vector<double>{100}));
    const double first = line->first;
    ++line;
    EXPECT_EQ(line->second, (std::vector<double>{320, 470}));  // each box 150 on: 100 and the spacing
    EXPECT_EQ(line->first - first, 100);  // its own leading of none
    const double second = line->first;
    ++line;
    EXPECT_EQ(line->second, (std::vector<double>{100}));  // the field's settings again
    EXPECT_EQ(line->first - second, 140);
}

TEST(TextLayout, JustifiedLinesFillTheBoxButTheLastOfTheParagraph) {
    BoxGlyphs glyphs;
    TextLayoutOptions options;
    options.width = 750;
    options.wordWrap = true;
    const auto text = paragraph(U"a b cd ef gh", EditTextCharacter::Align::Justify);
    const auto lines = boxes(layoutText(text, options, glyphs));
    ASSERT_EQ(lines.size(), 2u);
    // "a b cd" is 600 wide: its two spaces share the 150 left over, so "cd" ends at the edge.
    EXPECT_EQ(lines.begin()->second, (std::vector<double>{0, 275, 550, 650}));
    EXPECT_EQ(std::next(lines.begin())->second, (std::vector<double>{0, 100, 300, 400}));
}

TEST(TextLayout, WithoutWrapEachParagraphIsOneLine) {
    BoxGlyphs glyphs;
    TextLayoutOptions options;
    options.width = 150;
    auto ps = paragraph(U"abcdef");
    ps.push_back(TextParagraph{});  // an empty line still takes its height
    ps.push_back(paragraph(U"x")[0]);
    const auto lines = boxes(layoutText(ps, options, glyphs));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines.begin()->second.size(), 6u);
    EXPECT_EQ(std::next(lines.begin())->first, 80 + 2 * (20 + 80));
}

TEST(TextLayout, UnderlineRunsUnderTheText) {
    BoxGlyphs glyphs;
    TextFormat underlined;
    underlined.underline = true;
    const TextGeometry g = layoutText({TextParagraph{{}, {TextRun{U"ab", underlined}}}}, {.width = 1000}, glyphs);
    bool found = false;
    for (const auto& piece : g.pieces)
        for (const QPolygonF& poly : piece.path.toSubpathPolygons()) {
            const QRectF r = poly.boundingRect();
            if (r.height() < 50 && r.top() > 80) found = true;
        }
    EXPECT_TRUE(found);
}

}  // namespace
}  // namespace velmora::swf
