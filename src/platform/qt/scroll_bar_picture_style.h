#pragma once

#include <QImage>
#include <QProxyStyle>
#include <QStyleOptionSlider>
#include <vector>

namespace velmora {

// The application's style with scroll bars drawn from pictures of their parts: the groove, the
// thumb and the arrow buttons, each drawn once by the style for a size, state and palette, then
// copied. A bar redrawn as it follows a playing movie costs three copies of a few rows each.
//
// Why: Qt's raster engine hands any fill of more than about a hundred spans to its thread pool and
// waits for it, and a scroll bar's groove is drawn as lines spanning its length; the position bars
// redrawn every few hundred milliseconds woke the pool a dozen times each. A copy of a picture
// takes one span a row, far under that.
//
// What is drawn stays what the base style draws (within rounding where parts blend over each
// other); anything but a scroll bar, and a scroll bar drawn through a painter that rotates or
// scales, goes to the base style untouched. Lives on the window thread.
class ScrollBarPictureStyle : public QProxyStyle {
    Q_OBJECT
public:
    // The style for the process's scroll bars, made on first use and owned by the application.
    static ScrollBarPictureStyle& shared();

    // Over a style of the application style's kind (QProxyStyle owns it).
    ScrollBarPictureStyle();

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;

    // Pictures made since the style was created, for tests and measurements.
    int picturesMade() const { return picturesMade_; }

private:
    struct Picture {
        // Everything the picture's pixels depend on besides the style itself.
        QSize size;
        qreal density = 1.0;
        int part = 0;  // 0: the groove; 1: the thumb; 2: the arrow buttons
        int state = 0;
        int activeSubControls = 0;
        int subControls = 0;
        int orientation = 0;
        int direction = 0;
        bool atMinimum = false;
        bool atMaximum = false;
        qint64 palette = 0;
        QImage image;

        bool sameKey(const Picture& other) const;
    };

    // The picture for `key`, made if needed by drawing `bar` with the key's parts, its point
    // `origin` at the picture's top left. Valid until the next call.
    const QImage& picture(Picture key, const QStyleOptionSlider& bar, QPoint origin, const QWidget* widget) const;

    // A few bars in a few states each: the oldest goes first past this.
    static constexpr size_t kMaxPictures = 16;
    mutable std::vector<Picture> pictures_;
    mutable int picturesMade_ = 0;
};

}  // namespace velmora
