// The player redraws only what a frame changed on screen.
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <gtest/gtest.h>

#include "platform/player/frame_picture.h"
#include "platform/player/swf_player_widget.h"
#include "player_test_support.h"
#include "support/qt_application.h"

namespace velmora::test {
namespace {

QImage filled(QSize size, QRgb colour) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

TEST(FramePicture, TheChangedRegionHoldsTheChangedPixelsInAFewBands) {
    const QImage before = filled({100, 80}, qRgb(255, 255, 255));
    EXPECT_TRUE(changedRegion(before, before.copy()).isEmpty());

    QImage after = before.copy();
    after.setPixel(0, 0, qRgb(0, 0, 0));  // the first and the last pixel of the picture
    after.setPixel(99, 79, qRgb(0, 0, 0));
    EXPECT_EQ(changedRegion(before, after), QRegion(QRect(0, 0, 1, 1)) + QRect(99, 79, 1, 1));

    after = before.copy();
    after.setPixel(10, 20, qRgb(0, 0, 0));  // a few rows apart: one band as wide as both
    after.setPixel(30, 25, qRgb(0, 0, 0));
    EXPECT_EQ(changedRegion(before, after), QRegion(QRect(10, 20, 21, 6)));

    // Many small changes far apart: their bounding box rather than a region of many parts.
    after = before.copy();
    for (int y = 0; y < 80; y += 4) after.setPixel(50, y, qRgb(0, 0, 0));
    for (int y = 0; y < 80; y += 20) after.setPixel(5 + y, y, qRgb(1, 0, 0));
    EXPECT_EQ(changedRegion(before, after).rectCount(), 1);

    // Nothing to compare with: all of it.
    EXPECT_EQ(changedRegion(QImage(), after), QRegion(after.rect()));
    EXPECT_EQ(changedRegion(filled({100, 81}, qRgb(255, 255, 255)), after), QRegion(after.rect()));
    EXPECT_EQ(changedRegion(before.convertToFormat(QImage::Format_RGB888), after), QRegion(after.rect()));
}

TEST(FramePicture, ARedrawComparesWithThePictureShownBefore) {
    FramePicture picture;
    const auto fill = [](QRgb colour) { return [colour](QPainter& p) { p.fillRect(0, 0, 40, 30, colour); }; };
    EXPECT_EQ(picture.redraw({40, 30}, 1.0, fill(qRgb(9, 9, 9))), QRegion(0, 0, 40, 30));
    EXPECT_TRUE(picture.redraw({40, 30}, 1.0, fill(qRgb(9, 9, 9))).isEmpty());
    EXPECT_EQ(picture.redraw({40, 30}, 1.0,
                             [](QPainter& p) {
                                 p.fillRect(0, 0, 40, 30, qRgb(9, 9, 9));
                                 p.fillRect(5, 6, 2, 3, qRgb(200, 0, 0));
                             }),
              QRegion(5, 6, 2, 3));
    EXPECT_EQ(picture.shown().pixel(6, 7), qRgb(200, 0, 0));
    // Another density is another picture altogether.
    EXPECT_EQ(picture.redraw({80, 60}, 2.0, fill(qRgb(9, 9, 9))), QRegion(0, 0, 80, 60));
    EXPECT_EQ(picture.shown().devicePixelRatio(), 2.0);
    EXPECT_TRUE(picture.redraw({0, 0}, 1.0, fill(qRgb(9, 9, 9))).isEmpty());
    EXPECT_TRUE(picture.shown().isNull());
}

// Records the regions of the paint events a widget gets.
class PaintLog : public QObject {
public:
    explicit PaintLog(QWidget& widget) { widget.installEventFilter(this); }
    std::vector<QRegion> regions;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) regions.push_back(static_cast<QPaintEvent*>(event)->region());
        return false;
    }
};

TEST(SwfPlayerWidget, AFrameRedrawsOnlyWhatItChangedOnScreen) {
    SwfWriter movie;
    movie.stageSizePixels(100, 50).frameRate(10);
    movie.defineRectangle(1, 0, 0, 200, 200, {255, 0, 0});  // 10 x 10 px
    movie.placeObject2({.depth = 1, .characterId = 1});
    movie.showFrame();
    // Changes that do not show: a second square placed beyond the stage.
    movie.placeObject2({.depth = 2, .characterId = 1, .matrix = WriterMatrix{.translateX = 5000}});
    movie.showFrame();
    movie.placeObject2({.depth = 1, .move = true, .matrix = WriterMatrix{.translateX = 1000}});  // 50 px on
    movie.showFrame();
    MovieFolder folder;
    SwfPlayerWidget player;
    player.resize(100, 50);
    player.putMovie(folder.write("move.swf", movie));
    player.StopPlay();  // stepped by hand below
    player.show();
    PaintLog log(player);
    processEventsUntil([&] { return !log.regions.empty(); }, 2000);
    ASSERT_FALSE(log.regions.empty());
    EXPECT_EQ(log.regions.back(), QRegion(player.rect()));  // a new movie is drawn whole

    log.regions.clear();
    player.Forward();
    processEventsFor(50);
    EXPECT_EQ(player.FrameNum(), 1);
    EXPECT_TRUE(log.regions.empty());

    player.Forward();
    processEventsUntil([&] { return !log.regions.empty(); }, 2000);
    ASSERT_EQ(log.regions.size(), 1u);
    EXPECT_EQ(log.regions[0], QRegion(0, 0, 10, 10) + QRect(50, 0, 10, 10));  // where the square was and is
    const QImage shown = player.grab().toImage();
    EXPECT_EQ(shown.pixel(55, 5), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(5, 5), qRgb(255, 255, 255));

    // The view's own changes show the whole frame again.
    log.regions.clear();
    player.putBackgroundColor(0x000000);
    processEventsUntil([&] { return !log.regions.empty(); }, 2000);
    ASSERT_FALSE(log.regions.empty());
    EXPECT_EQ(log.regions.back(), QRegion(player.rect()));
    EXPECT_EQ(player.grab().toImage().pixel(5, 5), qRgb(0, 0, 0));
}

}  // namespace
}  // namespace velmora::test
