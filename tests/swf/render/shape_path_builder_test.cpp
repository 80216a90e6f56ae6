#include <gtest/gtest.h>

#include "render_test_support.h"
#include "support/swf_writer.h"
#include "swf/format/movie_loader.h"
#include "swf/format/tag_code.h"
#include "swf/render/shape_path_builder.h"

namespace velmora::swf {
namespace {

using test::rectangleRecords;
using test::solidFill;

const Rect kSquare{0, 200, 0, 200};

TEST(ShapePathBuilder, RectangleWithFillOnTheRightFillsItsInside) {
    const auto geometry = buildShapeGeometry(rectangleRecords(kSquare), {solidFill({255, 0, 0, 255})}, {}, false);
    ASSERT_EQ(geometry.groups.size(), 1u);
    ASSERT_EQ(geometry.groups[0].fills.size(), 1u);
    const QPainterPath& path = geometry.groups[0].fills[0].path;
    EXPECT_TRUE(path.contains(QPointF(100, 100)));
    EXPECT_FALSE(path.contains(QPointF(250, 100)));
    EXPECT_EQ(path.boundingRect(), QRectF(0, 0, 200, 200));
}

TEST(ShapePathBuilder, EdgesWithTheFillOnTheirLeftAreReversedIntoTheSameContour) {
    // Counter-clockwise on screen with the fill as fill0: the same square.
    StyleChangeRecord start;
    start.moveTo = std::make_pair(0, 0);
    start.fillStyle0 = 1;
    const std::vector<ShapeRecord> records = {start, StraightEdgeRecord{0, 200}, StraightEdgeRecord{200, 0},
                                              StraightEdgeRecord{0, -200}, StraightEdgeRecord{-200, 0}};
    const auto geometry = buildShapeGeometry(records, {solidFill({0, 0, 255, 255})}, {}, false);
    ASSERT_EQ(geometry.groups.at(0).fills.size(), 1u);
    const QPainterPath& path = geometry.groups[0].fills[0].path;
    EXPECT_TRUE(path.contains(QPointF(100, 100)));
    EXPECT_EQ(path.elementCount(), 5);  // one closed contour: move and four lines
}

TEST(ShapePathBuilder, SharedEdgeBetweenTwoFillsBelongsToBoth) {
    // Two squares side by side, red (style 1) west and green (style 2) east, drawn as authoring
    // tools do: the edge between them once, walked downwards with red on its right (fill1) and
    // green on its left (fill0).
    StyleChangeRecord redTop;
    redTop.moveTo = std::make_pair(0, 0);
    redTop.fillStyle1 = 1;
    StyleChangeRecord shared;
    shared.fillStyle0 = 2;
    shared.fillStyle1 = 1;
    StyleChangeRecord green;
    green.moveTo = std::make_pair(200, 0);
    green.fillStyle0 = 0;
    green.fillStyle1 = 2;
    StyleChangeRecord redRest;
    redRest.moveTo = std::make_pair(200, 200);
    redRest.fillStyle0 = 0;
    redRest.fillStyle1 = 1;
    const std::vector<ShapeRecord> records = {
        redTop,  StraightEdgeRecord{200, 0},                                                   // red top
        shared,  StraightEdgeRecord{0, 200},                                                   // shared
        green,   StraightEdgeRecord{200, 0}, StraightEdgeRecord{0, 200}, StraightEdgeRecord{-200, 0},
        redRest, StraightEdgeRecord{-200, 0}, StraightEdgeRecord{0, -200},
    };
    const auto geometry =
        buildShapeGeometry(records, {solidFill({255, 0, 0, 255}), solidFill({0, 255, 0, 255})}, {}, false);
    ASSERT_EQ(geometry.groups.at(0).fills.size(), 2u);
    const QPainterPath& redPath = geometry.groups[0].fills[0].path;
    const QPainterPath& greenPath = geometry.groups[0].fills[1].path;
    EXPECT_TRUE(redPath.contains(QPointF(100, 100)));
    EXPECT_FALSE(redPath.contains(QPointF(300, 100)));
    EXPECT_TRUE(greenPath.contains(QPointF(300, 100)));
    EXPECT_FALSE(greenPath.contains(QPointF(100, 100)));
    EXPECT_EQ(redPath.elementCount(), 5);
    EXPECT_EQ(greenPath.elementCount(), 5);
}

TEST(ShapePathBuilder, EdgesOutOfOrderStillLinkIntoClosedContours) {
    // The square's edges in two broken pieces with a jump between them.
    StyleChangeRecord a;
    a.moveTo = std::make_pair(200, 200);
    a.fillStyle1 = 1;
    StyleChangeRecord b;
    b.moveTo = std::make_pair(0, 0);
    const std::vector<ShapeRecord> records = {a, StraightEdgeRecord{-200, 0}, StraightEdgeRecord{0, -200},
                                              b, StraightEdgeRecord{200, 0},  StraightEdgeRecord{0, 200}};
    const auto geometry = buildShapeGeometry(records, {solidFill({0, 0, 0, 255})}, {}, false);
    const QPainterPath& path = geometry.groups.at(0).fills.at(0).path;
    EXPECT_EQ(path.elementCount(), 5);
    EXPECT_TRUE(path.contains(QPointF(100, 100)));
}

TEST(ShapePathBuilder, FillRuleFollowsTheShapeFlag) {
    // An outer and an inner square walked the same way round: a hole under even-odd only.
    std::vector<ShapeRecord> records = rectangleRecords({0, 300, 0, 300});
    const auto inner = rectangleRecords({100, 200, 100, 200});
    records.insert(records.end(), inner.begin(), inner.end());
    const auto evenOdd = buildShapeGeometry(records, {solidFill({0, 0, 0, 255})}, {}, false);
    const auto nonZero = buildShapeGeometry(records, {solidFill({0, 0, 0, 255})}, {}, true);
    EXPECT_FALSE(evenOdd.groups[0].fills[0].path.contains(QPointF(150, 150)));
    EXPECT_TRUE(nonZero.groups[0].fills[0].path.contains(QPointF(150, 150)));
}

TEST(ShapePathBuilder, StyleIndexesPastTheEndAreIgnoredAndCounted) {
    auto records = rectangleRecords(kSquare, /*fill1=*/7, /*line=*/3);
    const auto geometry = buildShapeGeometry(records, {solidFill({0, 0, 0, 255})}, {}, false);
    EXPECT_TRUE(geometry.empty());
    EXPECT_EQ(geometry.skippedStyleIndexes, 2);
}

TEST(ShapePathBuilder, NewStylesStartAGroupPaintedAfterTheFirst) {
    auto records = rectangleRecords(kSquare);
    StyleChangeRecord change;
    change.hasNewStyles = true;
    ShapeStyleArrays green;
    green.fills = {solidFill({0, 255, 0, 255})};
    const std::vector<ShapeStyleArrays> newStyles{green};
    change.moveTo = std::make_pair(100, 100);
    change.fillStyle1 = 1;
    records.push_back(change);
    for (const auto& r : rectangleRecords({100, 300, 100, 300})) {
        if (!std::holds_alternative<StyleChangeRecord>(r)) records.push_back(r);
    }
    const auto geometry = buildShapeGeometry(records, {solidFill({255, 0, 0, 255})}, {}, false, newStyles);
    ASSERT_EQ(geometry.groups.size(), 2u);
    EXPECT_EQ(geometry.groups[0].fills[0].style.color, (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(geometry.groups[1].fills[0].style.color, (Rgba{0, 255, 0, 255}));
}

// The style arrays are kept beside the records: each record that brings new ones must get its own,
// in order, and the widest index the file can write must survive the record's small form.
TEST(ShapePathBuilder, ParsedNewStyleArraysGoToTheirOwnRecords) {
    velmora::test::BitWriter w;
    w.u16(1);
    w.rect(0, 1000, 0, 200);
    w.u8(1), w.u8(0x00), w.rgb({255, 0, 0});  // one solid red fill
    w.u8(0);                                  // no lines
    w.ub(1, 4), w.ub(0, 4);
    auto square = [&w](int32_t x, uint32_t fillBits, uint32_t fill1, std::optional<velmora::test::Color> newFill) {
        w.ub(0, 1), w.ub(newFill ? 1 : 0, 1), w.ub(0, 1), w.ub(1, 1), w.ub(0, 1), w.ub(1, 1);
        w.ub(12, 5), w.sb(x, 12), w.sb(0, 12);
        w.ub(fill1, fillBits);
        if (newFill) {
            w.u8(1), w.u8(0x00), w.rgb(*newFill);
            w.u8(0);
            w.ub(15, 4), w.ub(0, 4);  // the widest indexes from here on
        }
        for (auto [dx, dy] : {std::pair{100, 0}, std::pair{0, 100}, std::pair{-100, 0}, std::pair{0, -100}}) {
            w.ub(1, 1), w.ub(1, 1), w.ub(8, 4), w.ub(1, 1), w.sb(dx, 10), w.sb(dy, 10);
        }
    };
    square(0, 1, 1, std::nullopt);
    square(200, 1, 1, velmora::test::Color{0, 255, 0});
    square(400, 15, 1, velmora::test::Color{0, 0, 255});
    square(600, 15, 0x7FFF, std::nullopt);  // past the blue array: skipped
    w.ub(0, 6);
    velmora::test::SwfWriter swf;
    swf.rawTag(kTagDefineShape2, w.take()).showFrame();
    const auto movie = parseMovie(swf.bytes());
    ASSERT_TRUE(movie->warnings.empty()) << movie->warnings.front();
    const auto& shape = dynamic_cast<const ShapeCharacter&>(*movie->character(1));
    ASSERT_EQ(shape.newStyles.size(), 2u);
    ASSERT_EQ(shape.records.size(), 20u);
    EXPECT_EQ(*std::get<StyleChangeRecord>(shape.records[15]).fillStyle1, 0x7FFFu);

    const ShapeGeometry geometry = buildShapeGeometry(shape);
    EXPECT_EQ(geometry.skippedStyleIndexes, 1);
    ASSERT_EQ(geometry.groups.size(), 3u);
    EXPECT_EQ(geometry.groups[0].fills.at(0).style.color, (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(geometry.groups[1].fills.at(0).style.color, (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(geometry.groups[2].fills.at(0).style.color, (Rgba{0, 0, 255, 255}));
    EXPECT_TRUE(geometry.groups[2].fills[0].path.contains(QPointF(450, 50)));
    EXPECT_FALSE(geometry.groups[2].fills[0].path.contains(QPointF(650, 50)));
}

TEST(ShapePathBuilder, LinesFollowThePenAndBreakWhereItJumps) {
    LineStyle line;
    line.width = 40;
    StyleChangeRecord a;
    a.moveTo = std::make_pair(0, 0);
    a.lineStyle = 1;
    StyleChangeRecord b;
    b.moveTo = std::make_pair(0, 400);
    const std::vector<ShapeRecord> records = {a, StraightEdgeRecord{200, 0}, StraightEdgeRecord{0, 200},
                                              b, StraightEdgeRecord{200, 0}};
    const auto geometry = buildShapeGeometry(records, {}, {line}, false);
    ASSERT_EQ(geometry.groups.at(0).lines.size(), 1u);
    const QPainterPath& path = geometry.groups[0].lines[0].path;
    ASSERT_EQ(path.elementCount(), 5);
    EXPECT_TRUE(path.elementAt(0).isMoveTo());
    EXPECT_TRUE(path.elementAt(2).isLineTo());
    EXPECT_TRUE(path.elementAt(3).isMoveTo());
    EXPECT_EQ(QPointF(path.elementAt(4)), QPointF(200, 400));
}

TEST(ShapePathBuilder, CurvesKeepTheirControlPoints) {
    StyleChangeRecord start;
    start.moveTo = std::make_pair(0, 0);
    start.fillStyle1 = 1;
    // A half-disc-like shape: a curve bulging up from (0,0) to (200,0), closed by a straight edge.
    const std::vector<ShapeRecord> records = {start, CurvedEdgeRecord{100, -200, 100, 200},
                                              StraightEdgeRecord{-200, 0}};
    const auto geometry = buildShapeGeometry(records, {solidFill({0, 0, 0, 255})}, {}, false);
    const QPainterPath& path = geometry.groups.at(0).fills.at(0).path;
    EXPECT_TRUE(path.contains(QPointF(100, -50)));   // under the curve's peak at y = -100
    EXPECT_FALSE(path.contains(QPointF(100, -150)));  // above it
}

TEST(ShapePathBuilder, GlyphPathFillsEvenOddSoCountersStayOpen) {
    std::vector<ShapeRecord> records = rectangleRecords({0, 1024, -1024, 0});
    const auto counter = rectangleRecords({256, 768, -768, -256});
    records.insert(records.end(), counter.begin(), counter.end());
    const QPainterPath glyph = buildGlyphPath(records);
    EXPECT_TRUE(glyph.contains(QPointF(100, -100)));
    EXPECT_FALSE(glyph.contains(QPointF(512, -512)));
}

}  // namespace
}  // namespace velmora::swf
