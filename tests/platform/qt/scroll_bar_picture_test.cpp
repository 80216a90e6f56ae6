#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QStyleFactory>
#include <QStyleOptionSlider>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "platform/qt/qt_scroll_bar.h"
#include "platform/qt/scroll_bar_picture_style.h"
#include "qt_test_environment.h"

namespace velmora {
namespace {

// The largest difference of any channel of any pixel.
int largestDifference(const QImage& a, const QImage& b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    }
    return largest;
}

QImage drawn(const QStyle& style, const QStyleOptionSlider& option, QImage::Format format, QPoint at) {
    QImage image(option.rect.size() + QSize(2 * at.x(), 2 * at.y()), format);
    image.fill(QApplication::palette().color(QPalette::Window));
    QPainter painter(&image);
    painter.translate(at);
    // As a widget's painter is: the style draws a little outside the bar.
    painter.setClipRect(option.rect);
    style.drawComplexControl(QStyle::CC_ScrollBar, &option, &painter);
    return image;
}

// Context switches of Qt's pooled threads so far: they run only when the raster engine hands
// them a share of a large fill.
long pooledThreadSwitches() {
    long sum = 0;
    for (const QString& task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(QStringLiteral("/proc/self/task/%1/comm").arg(task));
        if (!comm.open(QIODevice::ReadOnly) || !comm.readAll().startsWith("Thread (pooled)")) continue;
        QFile status(QStringLiteral("/proc/self/task/%1/status").arg(task));
        if (!status.open(QIODevice::ReadOnly)) continue;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.contains("ctxt_switches:")) sum += line.split(':').last().trimmed().toLong();
        }
    }
    return sum;
}

TEST(ScrollBarPictureStyle, DrawsWhatTheApplicationStyleDraws) {
    const std::unique_ptr<QStyle> plain(QStyleFactory::create(QApplication::style()->name()));
    ASSERT_TRUE(plain);
    ScrollBarPictureStyle pictures;

    QStyleOptionSlider base;
    base.rect = QRect(0, 0, 420, 17);
    base.orientation = Qt::Horizontal;
    base.state = QStyle::State_Enabled | QStyle::State_Horizontal | QStyle::State_Active;
    base.subControls = QStyle::SC_All;
    base.minimum = 0;
    base.maximum = 167;
    base.singleStep = base.pageStep = 1;
    base.palette = QApplication::palette();

    struct Case {
        const char* what;
        int value;
        QStyle::State extraState;
        QStyle::SubControls active;
    };
    const Case cases[] = {
        {"at the start", 0, {}, QStyle::SC_None},
        {"in the middle", 80, {}, QStyle::SC_None},
        {"one short of the end", 166, {}, QStyle::SC_None},
        {"at the end", 167, {}, QStyle::SC_None},
        {"hovered thumb", 40, QStyle::State_MouseOver, QStyle::SC_ScrollBarSlider},
        {"pressed right arrow", 40, QStyle::State_Sunken, QStyle::SC_ScrollBarAddLine},
        {"focused", 40, QStyle::State_HasFocus, QStyle::SC_None},
    };
    for (const Case& c : cases) {
        QStyleOptionSlider option = base;
        option.sliderValue = option.sliderPosition = c.value;
        option.state |= c.extraState;
        option.activeSubControls = c.active;
        for (QImage::Format format : {QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB32}) {
            // The bar's own place, and one off the origin as a widget inside another draws.
            for (QPoint at : {QPoint(0, 0), QPoint(3, 5)}) {
                EXPECT_LE(largestDifference(drawn(*plain, option, format, at), drawn(pictures, option, format, at)), 1)
                    << c.what << " in format " << format << " at " << at.x() << "," << at.y();
            }
        }
        QStyleOptionSlider disabled = option;
        disabled.state &= ~QStyle::State_Enabled;
        EXPECT_LE(largestDifference(drawn(*plain, disabled, QImage::Format_RGB32, {}),
                                    drawn(pictures, disabled, QImage::Format_RGB32, {})),
                  1)
            << c.what << ", disabled";
    }
}

TEST(ScrollBarPictureStyle, BarFollowingAMovieKeepsToItsPicturesAndWakesNoPooledThread) {
    QWidget window;
    window.resize(500, 40);
    QtScrollBar bar(&window);
    bar.widget().setGeometry(0, 0, 480, 17);
    bar.putMax(167);
    bar.putValue(80);
    window.show();
    QImage image(bar.widget().size(), QImage::Format_RGB32);
    bar.widget().render(&image);  // the pictures for this state are made here
    testing::processEventsFor(100);  // pooled threads that helped make them go back to sleep

    const int made = ScrollBarPictureStyle::shared().picturesMade();
    const long before = pooledThreadSwitches();
    for (int16_t frame = 1; frame < 167; ++frame) {
        bar.putValue(frame);
        bar.widget().render(&image);
    }
    EXPECT_EQ(ScrollBarPictureStyle::shared().picturesMade(), made);
    EXPECT_EQ(pooledThreadSwitches(), before);
}


// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

TEST(SteadyScrollBar, RedrawsOnAValueChangeOnlyWhenItsThumbMovesOrAnEndIsReached) {
    QWidget window;
    window.resize(400, 40);
    QtScrollBar bar(&window);  // 0..32767: a pixel of the track is about a hundred values
    bar.widget().setGeometry(0, 0, 300, 17);
    window.show();
    PaintCounter counter;
    bar.widget().installEventFilter(&counter);
    const auto paintsAfter = [&](int16_t value) {
        const int before = counter.paints;
        bar.putValue(value);
        testing::processEventsFor(SteadyScrollBar::kLatestRedrawMs + 100);
        return counter.paints - before;
    };
    testing::processEventsFor(30);
    EXPECT_GT(paintsAfter(10000), 0);
    EXPECT_EQ(paintsAfter(10001), 0) << "the thumb stayed on the same pixels";
    EXPECT_GT(paintsAfter(20000), 0);
    EXPECT_GT(paintsAfter(32767), 0);
    EXPECT_GT(paintsAfter(32766), 0) << "leaving the end may light its arrow again";
}

TEST(SteadyScrollBar, AProgramWriteIsDrawnWithTheWindowsNextRedraw) {
    QWidget window;
    window.resize(400, 80);
    QtScrollBar bar(&window);
    bar.widget().setGeometry(0, 0, 300, 17);
    bar.putMax(100);  // a step moves the thumb by pixels
    QWidget movie(&window);  // stands for the player, which redraws on every frame
    movie.setGeometry(0, 20, 300, 50);
    window.show();
    testing::processEventsFor(30);
    PaintCounter counter;
    bar.widget().installEventFilter(&counter);

    bar.putValue(50);
    testing::processEventsFor(30);
    EXPECT_EQ(counter.paints, 0) << "no redraw of its own straight away";
    movie.update();
    testing::processEventsFor(30);
    EXPECT_EQ(counter.paints, 1) << "drawn with the window's redraw";

    // With nothing else to draw, it is drawn a moment later all the same.
    bar.putValue(90);
    ASSERT_TRUE(testing::processEventsUntil([&] { return counter.paints == 2; }, 2000));
    // What the user does is drawn at once.
    testing::keyClick(bar.widget(), Qt::Key_Left);
    ASSERT_TRUE(testing::processEventsUntil([&] { return counter.paints == 3; }, SteadyScrollBar::kLatestRedrawMs - 50));
}

}  // namespace
}  // namespace velmora
