#include <gtest/gtest.h>

#include <zlib.h>

#include <QBuffer>
#include <tuple>

#include "render_test_support.h"
#include "swf/format/bitmap.h"
#include "swf/render/gradient_brush.h"
#include "swf/render/shape_painter.h"

namespace velmora::swf {
namespace {

using test::colorDistance;
using test::pixel;
using test::rectangleRecords;

// A 256 x 16 pixel strip (5120 x 320 twips) drawn at one twip per 1/20 pixel.
const Rect kStrip{0, 5120, 0, 320};
const QTransform kTwipsToPixels = QTransform::fromScale(1.0 / 20, 1.0 / 20);

FillStyle gradientAcrossStrip(FillStyle::Type type, std::vector<GradientStop> stops) {
    FillStyle f;
    f.type = type;
    f.gradient.stops = std::move(stops);
    // The 32768-twip gradient square squeezed onto the strip's 5120 twips, centred on it.
    const double scale = 5120.0 / 32768.0;
    f.matrix = Matrix{scale, 0, 0, scale, 2560, 160};
    return f;
}

QImage paintStrip(const FillStyle& fill, RenderResources& resources, const ColorTransform& cx = {}) {
    const ShapeGeometry geometry = buildShapeGeometry(rectangleRecords(kStrip), {fill}, {}, false);
    return test::paintGeometry(geometry, QSize(256, 16), kTwipsToPixels, resources, cx);
}

const Rgba kBlack{0, 0, 0, 255};
const Rgba kWhite{255, 255, 255, 255};

TEST(FillPainting, SolidFillCoversExactlyTheRectangle) {
    RenderResources resources;
    const auto geometry = buildShapeGeometry(rectangleRecords({200, 600, 200, 600}), {test::solidFill({255, 0, 0, 255})},
                                             {}, false);
    const QImage image = test::paintGeometry(geometry, QSize(40, 40), kTwipsToPixels, resources);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool inside = x >= 10 && x < 30 && y >= 10 && y < 30;
            EXPECT_EQ(pixel(image, x, y), inside ? qRgb(255, 0, 0) : qRgb(255, 255, 255)) << x << "," << y;
        }
}

TEST(FillPainting, ColourTransformMultipliesThenAddsAndClamps) {
    RenderResources resources;
    ColorTransform cx;
    cx.rMult = 0.5;
    cx.gAdd = 300;  // clamps to 255
    cx.bAdd = -40;
    const auto geometry = buildShapeGeometry(rectangleRecords({0, 400, 0, 400}), {test::solidFill({200, 10, 100, 255})},
                                             {}, false);
    const QImage image = test::paintGeometry(geometry, QSize(20, 20), kTwipsToPixels, resources, cx);
    EXPECT_LE(colorDistance(pixel(image, 10, 10), qRgb(100, 255, 60)), 1);
}

TEST(FillPainting, LinearGradientMidpointAndPaddedEnds) {
    RenderResources resources;
    const QImage image =
        paintStrip(gradientAcrossStrip(FillStyle::Type::LinearGradient, {{0, kBlack}, {255, kWhite}}), resources);
    EXPECT_LE(colorDistance(pixel(image, 0, 8), qRgb(0, 0, 0)), 2);
    EXPECT_LE(colorDistance(pixel(image, 255, 8), qRgb(255, 255, 255)), 2);
    // Half way along, the sRGB mean of black and white.
    EXPECT_LE(colorDistance(pixel(image, 128, 8), qRgb(128, 128, 128)), 3);
    EXPECT_EQ(test::compareWithExpected(image, "linear_gradient"), "");
}

TEST(FillPainting, LinearRgbInterpolationIsBrighterHalfWay) {
    RenderResources resources;
    FillStyle fill = gradientAcrossStrip(FillStyle::Type::LinearGradient, {{0, kBlack}, {255, kWhite}});
    fill.gradient.interpolation = Gradient::Interpolation::LinearRgb;
    const QImage image = paintStrip(fill, resources);
    // Half the light of white is sRGB 188, not 128.
    EXPECT_LE(colorDistance(pixel(image, 128, 8), qRgb(188, 188, 188)), 4);
    EXPECT_LE(colorDistance(pixel(image, 0, 8), qRgb(0, 0, 0)), 2);
    EXPECT_LE(colorDistance(pixel(image, 255, 8), qRgb(255, 255, 255)), 2);
}

TEST(FillPainting, SpreadModesBeyondTheGradientSquare) {
    RenderResources resources;
    // A gradient square half the strip's width, centred: the strip's outer quarters lie outside.
    auto halfSquare = [](Gradient::Spread spread) {
        FillStyle f = gradientAcrossStrip(FillStyle::Type::LinearGradient, {{0, kBlack}, {255, kWhite}});
        f.matrix.a /= 2;
        f.matrix.d /= 2;
        f.gradient.spread = spread;
        return f;
    };
    const QImage pad = paintStrip(halfSquare(Gradient::Spread::Pad), resources);
    const QImage reflect = paintStrip(halfSquare(Gradient::Spread::Reflect), resources);
    const QImage repeat = paintStrip(halfSquare(Gradient::Spread::Repeat), resources);
    // Just past the right end of the square (x = 192): pad stays white, reflect turns back
    // from white, repeat starts again from black.
    EXPECT_LE(colorDistance(pixel(pad, 200, 8), qRgb(255, 255, 255)), 2);
    EXPECT_GT(qRed(pixel(reflect, 200, 8)), 200);
    EXPECT_LT(qRed(pixel(reflect, 200, 8)), 250);
    EXPECT_LT(qRed(pixel(repeat, 200, 8)), 50);
}

TEST(FillPainting, RadialGradientCentreAndRim) {
    RenderResources resources;
    FillStyle f;
    f.type = FillStyle::Type::RadialGradient;
    f.gradient.stops = {{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 255}}};
    const double scale = 800.0 / 32768.0;  // radius 400 twips = 20 px
    f.matrix = Matrix{scale, 0, 0, scale, 400, 400};
    const auto geometry = buildShapeGeometry(rectangleRecords({0, 800, 0, 800}), {f}, {}, false);
    const QImage image = test::paintGeometry(geometry, QSize(40, 40), kTwipsToPixels, resources);
    EXPECT_LE(colorDistance(pixel(image, 20, 20), qRgb(255, 0, 0)), 20);
    EXPECT_LE(colorDistance(pixel(image, 0, 0), qRgb(0, 0, 255)), 2);
    EXPECT_EQ(test::compareWithExpected(image, "radial_gradient"), "");
}

TEST(FillPainting, FocalGradientMovesTheBrightSpot) {
    RenderResources resources;
    FillStyle f;
    f.type = FillStyle::Type::FocalGradient;
    f.gradient.stops = {{0, kWhite}, {255, kBlack}};
    f.gradient.focalPoint = 0.75;
    const double scale = 800.0 / 32768.0;
    f.matrix = Matrix{scale, 0, 0, scale, 400, 400};
    const auto geometry = buildShapeGeometry(rectangleRecords({0, 800, 0, 800}), {f}, {}, false);
    const QImage image = test::paintGeometry(geometry, QSize(40, 40), kTwipsToPixels, resources);
    // The focal point lies at 0.75 of the radius to the right: brighter there than at the left.
    EXPECT_GT(qRed(pixel(image, 34, 20)), qRed(pixel(image, 6, 20)) + 100);
}

TEST(FillPainting, HostileGradientsStayBounded) {
    RenderResources resources;
    // No stops, stops out of order, 300 stops, a matrix squeezed to nothing: each draws something
    // sensible or nothing, and never fails.
    FillStyle none = gradientAcrossStrip(FillStyle::Type::LinearGradient, {});
    EXPECT_EQ(pixel(paintStrip(none, resources), 128, 8), qRgb(255, 255, 255));

    FillStyle backwards = gradientAcrossStrip(FillStyle::Type::LinearGradient, {{200, kWhite}, {100, kBlack}});
    const QImage b = paintStrip(backwards, resources);
    EXPECT_LE(colorDistance(pixel(b, 250, 8), qRgb(0, 0, 0)), 2);

    std::vector<GradientStop> many;
    for (int i = 0; i < 300; ++i) many.push_back({uint8_t(i * 255 / 299), {uint8_t(i % 256), 0, 0, 255}});
    paintStrip(gradientAcrossStrip(FillStyle::Type::RadialGradient, many), resources);

    FillStyle flat = gradientAcrossStrip(FillStyle::Type::LinearGradient, {{0, kBlack}, {255, {0, 255, 0, 255}}});
    flat.matrix = Matrix{0, 0, 0, 0, 0, 0};
    EXPECT_EQ(pixel(paintStrip(flat, resources), 128, 8), qRgb(0, 255, 0));
}

TEST(FillPainting, BitmapFillRepeatsAndFollowsItsMatrix) {
    // A 2x2 checker of red and blue, each bitmap pixel 5 screen pixels wide.
    auto movie = std::make_shared<Movie>();
    auto bitmap = std::make_shared<BitmapCharacter>(7);
    QImage checker(2, 2, QImage::Format_ARGB32);
    checker.setPixel(0, 0, qRgb(255, 0, 0));
    checker.setPixel(1, 1, qRgb(255, 0, 0));
    checker.setPixel(1, 0, qRgb(0, 0, 255));
    checker.setPixel(0, 1, qRgb(0, 0, 255));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    checker.save(&buffer, "PNG");
    bitmap->encoding = BitmapCharacter::Encoding::Jpeg2;
    bitmap->data.assign(png.begin(), png.end());
    movie->dictionary[7] = bitmap;
    RenderResources resources;
    resources.setMovie(movie);

    FillStyle fill;
    fill.type = FillStyle::Type::NonSmoothedRepeatingBitmap;
    fill.bitmapId = 7;
    fill.matrix = Matrix{100, 0, 0, 100, 0, 0};  // one bitmap pixel -> 100 twips = 5 px
    const auto geometry = buildShapeGeometry(rectangleRecords({0, 600, 0, 400}), {fill}, {}, false);
    const QImage image = test::paintGeometry(geometry, QSize(40, 20), kTwipsToPixels, resources);
    EXPECT_EQ(pixel(image, 2, 2), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(image, 7, 2), qRgb(0, 0, 255));
    EXPECT_EQ(pixel(image, 12, 2), qRgb(255, 0, 0));  // repeated
    EXPECT_EQ(pixel(image, 7, 7), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(image, 35, 10), qRgb(255, 255, 255));  // outside the shape
    EXPECT_TRUE(resources.warnings.empty());

    // A fade draws the same bitmap half transparent over white.
    ColorTransform fade;
    fade.aMult = 0.5;
    const QImage faded = test::paintGeometry(geometry, QSize(40, 20), kTwipsToPixels, resources, fade);
    EXPECT_LE(colorDistance(pixel(faded, 2, 2), qRgb(255, 127, 127)), 2);
}

// A movie whose character 7 is a 1x2 lossless bitmap, red above blue.
std::shared_ptr<Movie> redOverBlueMovie() {
    auto movie = std::make_shared<Movie>();
    auto bitmap = std::make_shared<BitmapCharacter>(7);
    bitmap->encoding = BitmapCharacter::Encoding::Lossless;
    bitmap->losslessFormat = 5;
    bitmap->width = 1;
    bitmap->height = 2;
    const std::vector<uint8_t> raw = {0, 255, 0, 0, 0, 0, 0, 255};
    uLongf size = compressBound(uLong(raw.size()));
    bitmap->data.resize(size);
    compress(bitmap->data.data(), &size, raw.data(), uLong(raw.size()));
    bitmap->data.resize(size);
    movie->dictionary[7] = bitmap;
    return movie;
}

TEST(FillPainting, SmoothedClippedBitmapDoesNotBleedFromTheOppositeEdge) {
    // Each bitmap pixel drawn 20 pixels tall and smoothed: the bottom edge stays blue (a tiled
    // texture would blend in the red of the top row there).
    RenderResources resources;
    resources.setMovie(redOverBlueMovie());
    FillStyle fill;
    fill.type = FillStyle::Type::ClippedBitmap;
    fill.bitmapId = 7;
    fill.matrix = Matrix{400, 0, 0, 400, 0, 0};  // one bitmap pixel -> 400 twips = 20 px
    const auto geometry = buildShapeGeometry(rectangleRecords({0, 400, 0, 800}), {fill}, {}, false);
    const QImage image = test::paintGeometry(geometry, QSize(20, 40), kTwipsToPixels, resources);
    EXPECT_LE(colorDistance(pixel(image, 10, 39), qRgb(0, 0, 255)), 2);
    EXPECT_LE(colorDistance(pixel(image, 10, 0), qRgb(255, 0, 0)), 2);
    EXPECT_LE(colorDistance(pixel(image, 10, 20), qRgb(128, 0, 127)), 8);  // smoothed in between
}

TEST(FillPainting, ClippedBitmapExtendsItsEdgePixelsBeyondThePicture) {
    RenderResources resources;
    resources.setMovie(redOverBlueMovie());
    for (FillStyle::Type type : {FillStyle::Type::ClippedBitmap, FillStyle::Type::NonSmoothedClippedBitmap}) {
        FillStyle fill;
        fill.type = type;
        fill.bitmapId = 7;
        fill.matrix = Matrix{400, 0, 0, 400, 400, 400};  // the picture covers pixels (20..40, 20..60)
        const auto geometry = buildShapeGeometry(rectangleRecords({0, 1600, 0, 1600}), {fill}, {}, false);
        const QImage image = test::paintGeometry(geometry, QSize(90, 90), kTwipsToPixels, resources);
        const QRgb red = qRgb(255, 0, 0);
        const QRgb blue = qRgb(0, 0, 255);
        // Left, right and above of the top row stay red; below the picture stays blue, where
        // tiling would start again with red.
        for (auto [x, y, expected] : {std::tuple{5, 25, red}, {70, 25, red}, {30, 5, red}, {5, 5, red},
                                      {30, 70, blue}, {70, 75, blue}, {5, 55, blue}, {30, 25, red}}) {
            EXPECT_LE(colorDistance(pixel(image, x, y), expected), 2) << x << "," << y;
        }
        EXPECT_EQ(pixel(image, 85, 85), qRgb(255, 255, 255));  // outside the shape
    }
}

TEST(FillPainting, StrokeWithAClippedBitmapExtendsItsEdgePixelsInsteadOfRepeating) {
    RenderResources resources;
    resources.setMovie(redOverBlueMovie());
    // A line 60 pixels wide across the image at y = 30; the picture covers y 10..50 (red above
    // blue), so above and below it the stroke shows its edge rows, where tiling would swap them.
    for (auto [start, end] : {std::pair{LineStyle::Cap::None, LineStyle::Cap::None},
                              std::pair{LineStyle::Cap::Round, LineStyle::Cap::Square}}) {
        FillStyle fill;
        fill.type = FillStyle::Type::NonSmoothedClippedBitmap;
        fill.bitmapId = 7;
        fill.matrix = Matrix{400, 0, 0, 400, 400, 200};
        LineStyle line;
        line.width = 1200;
        line.fill = fill;
        line.startCap = start;
        line.endCap = end;
        StyleChangeRecord move;
        move.moveTo = std::make_pair(0, 600);
        move.lineStyle = 1;
        const std::vector<ShapeRecord> records = {move, StraightEdgeRecord{1600, 0}};
        const QImage image = test::paintGeometry(buildShapeGeometry(records, {}, {line}, false), QSize(80, 70),
                                                 kTwipsToPixels, resources);
        const QRgb red = qRgb(255, 0, 0);
        const QRgb blue = qRgb(0, 0, 255);
        for (auto [x, y, expected] : {std::tuple{30, 5, red}, {30, 15, red}, {30, 45, blue}, {30, 55, blue},
                                      {5, 3, red}, {70, 57, blue}}) {
            EXPECT_LE(colorDistance(pixel(image, x, y), expected), 2) << x << "," << y;
        }
        EXPECT_EQ(pixel(image, 30, 65), qRgb(255, 255, 255));  // beyond the stroke
    }
}

TEST(FillPainting, EachEndOfAnOpenLineTakesItsOwnCap) {
    RenderResources resources;
    // A 4-pixel line from x = 10 to 30 at y = 10, each cap 2 pixels deep past its end.
    auto paint = [&](LineStyle::Cap start, LineStyle::Cap end, uint8_t alpha = 255) {
        LineStyle line;
        line.width = 80;
        line.color = {0, 0, 0, alpha};
        line.startCap = start;
        line.endCap = end;
        StyleChangeRecord move;
        move.moveTo = std::make_pair(200, 200);
        move.lineStyle = 1;
        const std::vector<ShapeRecord> records = {move, StraightEdgeRecord{400, 0}};
        return test::paintGeometry(buildShapeGeometry(records, {}, {line}, false), QSize(40, 20), kTwipsToPixels,
                                   resources);
    };
    const QRgb white = qRgb(255, 255, 255);
    const QImage squareEnd = paint(LineStyle::Cap::None, LineStyle::Cap::Square);
    EXPECT_EQ(pixel(squareEnd, 9, 10), white);
    EXPECT_EQ(pixel(squareEnd, 31, 8), qRgb(0, 0, 0));
    EXPECT_EQ(pixel(squareEnd, 32, 10), white);
    const QImage squareStart = paint(LineStyle::Cap::Square, LineStyle::Cap::None);
    EXPECT_EQ(pixel(squareStart, 8, 8), qRgb(0, 0, 0));
    EXPECT_EQ(pixel(squareStart, 30, 10), white);
    const QImage roundEnd = paint(LineStyle::Cap::None, LineStyle::Cap::Round);
    EXPECT_LT(qRed(pixel(roundEnd, 31, 10)), 60);
    EXPECT_GT(qRed(pixel(roundEnd, 31, 8)), 100);  // the corner a square cap would fill
    // A translucent line is as light over its end cap as along its body.
    const QImage glass = paint(LineStyle::Cap::Square, LineStyle::Cap::Round, 128);
    EXPECT_LE(colorDistance(pixel(glass, 30, 10), pixel(glass, 20, 10)), 2);
    EXPECT_LE(colorDistance(pixel(glass, 9, 10), pixel(glass, 20, 10)), 2);
}

TEST(FillPainting, BitmapFillNamingNoBitmapIsSkippedWithAWarning) {
    RenderResources resources;
    resources.setMovie(std::make_shared<Movie>());
    FillStyle fill;
    fill.type = FillStyle::Type::ClippedBitmap;
    fill.bitmapId = 99;
    fill.matrix = Matrix{20, 0, 0, 20, 0, 0};
    const auto geometry = buildShapeGeometry(rectangleRecords({0, 400, 0, 400}), {fill}, {}, false);
    const QImage image = test::paintGeometry(geometry, QSize(20, 20), kTwipsToPixels, resources);
    EXPECT_EQ(pixel(image, 10, 10), qRgb(255, 255, 255));
    ASSERT_FALSE(resources.warnings.empty());
    EXPECT_NE(resources.warnings.messages()[0].find("99"), std::string::npos);
}

TEST(FillPainting, LinesKeepTheirWidthAndHairlinesStayVisible) {
    RenderResources resources;
    LineStyle thick;
    thick.width = 80;  // 4 px at this scale
    thick.color = {0, 0, 0, 255};
    thick.startCap = LineStyle::Cap::None;
    LineStyle hair;
    hair.width = 0;
    hair.color = {0, 0, 0, 255};
    StyleChangeRecord a;
    a.moveTo = std::make_pair(200, 200);
    a.lineStyle = 1;
    StyleChangeRecord b;
    b.moveTo = std::make_pair(200, 600);
    b.lineStyle = 2;
    const std::vector<ShapeRecord> records = {a, StraightEdgeRecord{400, 0}, b, StraightEdgeRecord{400, 0}};
    const auto geometry = buildShapeGeometry(records, {}, {thick, hair}, false);
    const QImage image = test::paintGeometry(geometry, QSize(40, 40), kTwipsToPixels, resources);
    // The thick line spans y 8..12, centred on y = 10.
    EXPECT_EQ(pixel(image, 20, 9), qRgb(0, 0, 0));
    EXPECT_EQ(pixel(image, 20, 11), qRgb(0, 0, 0));
    EXPECT_EQ(pixel(image, 20, 13), qRgb(255, 255, 255));
    EXPECT_EQ(pixel(image, 5, 10), qRgb(255, 255, 255));  // flat caps stop at the ends
    // The hairline at y = 30 covers at least one pixel row with real darkness.
    EXPECT_LT(std::min(qRed(pixel(image, 20, 29)), qRed(pixel(image, 20, 30))), 140);

    // Drawn a hundred times smaller, a 4-pixel line becomes thinner than a pixel: still one pixel.
    const QImage tiny = test::paintGeometry(geometry, QSize(40, 40), QTransform::fromScale(1.0 / 2000, 1.0 / 2000)
                                                                          .translate(20000, 20000),
                                            resources);
    int dark = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) dark += qRed(pixel(tiny, x, y)) < 200;
    EXPECT_GT(dark, 0);
}

}  // namespace
}  // namespace velmora::swf
