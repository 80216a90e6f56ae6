#include <gtest/gtest.h>

#include "render_test_support.h"
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
    change.newFillStyles = {solidFill({0, 255, 0, 255})};
    change.moveTo = std::make_pair(100, 100);
    change.fillStyle1 = 1;
    records.push_back(change);
    for (const auto& r : rectangleRecords({100, 300, 100, 300})) {
        if (!std::holds_alternative<StyleChangeRecord>(r)) records.push_back(r);
    }
    const auto geometry = buildShapeGeometry(records, {solidFill({255, 0, 0, 255})}, {}, false);
    ASSERT_EQ(geometry.groups.size(), 2u);
    EXPECT_EQ(geometry.groups[0].fills[0].style.color, (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(geometry.groups[1].fills[0].style.color, (Rgba{0, 255, 0, 255}));
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
