#include <gtest/gtest.h>

#include <QPainter>

#include "render_test_support.h"
#include "swf/render/filters.h"

namespace velmora::swf {
namespace {

using test::colorDistance;
using test::pixel;

const QRgb kGrey = qRgb(128, 128, 128);
constexpr double kRightDown = 0.7853981633974483;  // 45 degrees: light from the top left

// An 80 x 80 layer holding a grey square over pixels 20..59 on both axes.
QImage squareLayer(QRgb colour = kGrey) {
    QImage layer(80, 80, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    QPainter(&layer).fillRect(QRect(20, 20, 40, 40), QColor::fromRgba(colour));
    return layer;
}

QImage filtered(QImage layer, const Filter& f, RenderWarnings* warnings = nullptr) {
    RenderWarnings ignored;
    applyFilters(layer, {f}, 1.0, warnings ? *warnings : ignored);
    return layer;
}

// A sharp bevel (no blur) two pixels deep on each axis.
Filter sharpBevel(Filter::Type type) {
    Filter f;
    f.type = type;
    f.highlightColor = {255, 0, 0, 255};
    f.color = {0, 0, 255, 255};  // the shadow
    f.angle = kRightDown;
    f.distance = 3;  // 2 px along each axis
    f.inner = true;
    f.gradient = {{0, {255, 255, 255, 255}}, {128, {0, 0, 0, 0}}, {255, {0, 0, 0, 255}}};
    return f;
}

TEST(FilterEffects, BevelLightsTheEdgesFacingTheLightAndShadesTheOthers) {
    Filter f = sharpBevel(Filter::Type::Bevel);
    QImage inner = filtered(squareLayer(), f);
    EXPECT_EQ(pixel(inner, 21, 40), qRgb(255, 0, 0));  // left edge, inside: lit
    EXPECT_EQ(pixel(inner, 40, 21), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(inner, 58, 40), qRgb(0, 0, 255));  // right edge, inside: shaded
    EXPECT_EQ(pixel(inner, 40, 40), kGrey);             // the middle keeps the object
    EXPECT_EQ(qAlpha(pixel(inner, 18, 40)), 0);         // an inner bevel stays inside

    f.inner = false;  // outer: around the object, which stays whole
    QImage outer = filtered(squareLayer(), f);
    EXPECT_EQ(pixel(outer, 18, 40), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(outer, 61, 40), qRgb(0, 0, 255));
    EXPECT_EQ(pixel(outer, 21, 40), kGrey);

    f.onTop = true;  // both sides of the edge
    QImage both = filtered(squareLayer(), f);
    EXPECT_EQ(pixel(both, 18, 40), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(both, 21, 40), qRgb(255, 0, 0));

    f.onTop = false;
    f.inner = true;
    f.knockout = true;  // the bevel alone
    QImage knocked = filtered(squareLayer(), f);
    EXPECT_EQ(pixel(knocked, 21, 40), qRgb(255, 0, 0));
    EXPECT_EQ(qAlpha(pixel(knocked, 40, 40)), 0);

    // Half the strength, half the colour over the object.
    f.knockout = false;
    f.strength = 0.5;
    EXPECT_LE(colorDistance(pixel(filtered(squareLayer(), f), 21, 40), qRgb(191, 64, 64)), 2);
}

TEST(FilterEffects, GradientBevelTakesItsLightFromTheLowEndAndItsShadowFromTheHighEnd) {
    const QImage image = filtered(squareLayer(), sharpBevel(Filter::Type::GradientBevel));
    EXPECT_EQ(pixel(image, 21, 40), qRgb(255, 255, 255));
    EXPECT_EQ(pixel(image, 58, 40), qRgb(0, 0, 0));
    EXPECT_EQ(pixel(image, 40, 40), kGrey);  // flat: the transparent middle of the gradient
    EXPECT_EQ(qAlpha(pixel(image, 10, 10)), 0);
}

TEST(FilterEffects, GradientGlowColoursByDistanceFromTheEdge) {
    Filter f;
    f.type = Filter::Type::GradientGlow;
    f.gradient = {{0, {0, 255, 0, 0}}, {255, {0, 255, 0, 255}}};
    f.blurX = f.blurY = 8;  // a box of 9 pixels
    // Two pixels left of the square, three of the nine columns reach it: a third of the way up
    // the gradient.
    QImage outer = filtered(squareLayer(), f);
    EXPECT_NEAR(qAlpha(pixel(outer, 18, 40)), 85, 3);
    EXPECT_EQ(qGreen(pixel(outer, 18, 40)), 255);
    EXPECT_EQ(qAlpha(pixel(outer, 10, 40)), 0);
    EXPECT_EQ(pixel(outer, 21, 40), kGrey);  // the object over its outer glow

    // Inner: one pixel inside, three of the nine columns lie outside.
    f.inner = true;
    QImage inner = filtered(squareLayer(), f);
    EXPECT_LE(colorDistance(pixel(inner, 21, 40), qRgb(85, 170, 85)), 3);
    EXPECT_EQ(pixel(inner, 40, 40), kGrey);
    EXPECT_EQ(qAlpha(pixel(inner, 18, 40)), 0);

    // Moved along its angle: the glow leaves the left side for the right.
    f.inner = false;
    f.distance = 4;
    f.angle = 0;
    QImage moved = filtered(squareLayer(), f);
    EXPECT_EQ(qAlpha(pixel(moved, 18, 40)), 0);
    EXPECT_GT(qAlpha(pixel(moved, 63, 40)), 100);
}

TEST(FilterEffects, ConvolutionWeighsNeighboursWithinTheObjectsPicture) {
    // The left half red, the right half blue.
    QImage layer = squareLayer(qRgb(0, 0, 255));
    QPainter(&layer).fillRect(QRect(20, 20, 20, 40), Qt::red);
    Filter f;
    f.type = Filter::Type::Convolution;
    f.matrixX = 3;
    f.matrixY = 1;
    f.convolution = {1, 0, 0};  // each pixel takes its left neighbour's colour: a shift right
    f.defaultColor = {0, 255, 0, 255};
    QImage shifted = filtered(layer, f);
    EXPECT_EQ(pixel(shifted, 40, 40), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(shifted, 41, 40), qRgb(0, 0, 255));
    EXPECT_EQ(pixel(shifted, 20, 40), qRgb(0, 255, 0));  // beyond the picture: the default colour
    f.clamp = true;
    EXPECT_EQ(pixel(filtered(layer, f), 20, 40), qRgb(255, 0, 0));  // or its edge pixel

    // Divisor and bias: 128 * 2 / 4 + 10 on every channel, alpha included unless preserved.
    f.matrixX = 1;
    f.convolution = {2};
    f.divisor = 4;
    f.bias = 10;
    EXPECT_LE(colorDistance(pixel(filtered(squareLayer(), f), 40, 40), qRgba(74, 74, 74, 138)), 1);
    f.preserveAlpha = true;
    EXPECT_EQ(pixel(filtered(squareLayer(), f), 40, 40), qRgb(74, 74, 74));
    f.divisor = 0;  // taken as 1
    EXPECT_EQ(pixel(filtered(squareLayer(), f), 40, 40), qRgb(255, 255, 255));

    // A matrix beyond the limit is not run (it would cost its area on every pixel).
    f.matrixX = f.matrixY = 200;
    f.convolution.assign(200 * 200, 1.0f);
    RenderWarnings warnings;
    EXPECT_EQ(pixel(filtered(squareLayer(), f, &warnings), 40, 40), kGrey);
    EXPECT_FALSE(warnings.empty());
}

}  // namespace
}  // namespace velmora::swf
