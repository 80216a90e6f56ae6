#include "platform/qt/scroll_bar_picture_style.h"

#include <QApplication>
#include <QPointer>
#include <QPainter>
#include <QPaintDevice>
#include <QStyleFactory>
#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

QStyle* copyOfApplicationStyle() {
    // The proxy owns its base; a style Qt cannot make by name leaves QProxyStyle to pick its own.
    QStyle* application = QApplication::style();
    return application ? QStyleFactory::create(application->name()) : nullptr;
}

// Whether the painter puts a picture's pixels on whole device pixels unchanged.
bool copiesPixelForPixel(const QPainter& painter) {
    const QTransform& t = painter.deviceTransform();
    if (t.type() > QTransform::TxTranslate) return false;
    return t.dx() == std::floor(t.dx()) && t.dy() == std::floor(t.dy());
}

}  // namespace

ScrollBarPictureStyle& ScrollBarPictureStyle::shared() {
    static QPointer<ScrollBarPictureStyle> style;
    if (!style) {
        style = new ScrollBarPictureStyle();
        style->setParent(qApp);
    }
    return *style;
}

ScrollBarPictureStyle::ScrollBarPictureStyle() : QProxyStyle(copyOfApplicationStyle()) {}

bool ScrollBarPictureStyle::Picture::sameKey(const Picture& o) const {
    return size == o.size && density == o.density && part == o.part && state == o.state &&
           activeSubControls == o.activeSubControls && subControls == o.subControls && orientation == o.orientation &&
           direction == o.direction && atMinimum == o.atMinimum && atMaximum == o.atMaximum && palette == o.palette;
}

void ScrollBarPictureStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                               QPainter* painter, const QWidget* widget) const {
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (control != CC_ScrollBar || !bar || !painter || !painter->device() || bar->rect.isEmpty() ||
        !copiesPixelForPixel(*painter)) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    Picture key;
    key.density = painter->device()->devicePixelRatioF();
    key.state = static_cast<int>(bar->state);
    key.activeSubControls = static_cast<int>(bar->activeSubControls);
    key.orientation = static_cast<int>(bar->orientation);
    key.direction = static_cast<int>(bar->direction);
    // Styles may grey out the arrow that can go no further.
    key.atMinimum = bar->sliderValue <= bar->minimum;
    key.atMaximum = bar->sliderValue >= bar->maximum;
    key.palette = bar->palette.cacheKey();

    // The parts are placed against a bar at the origin, as the style's pictures are drawn.
    QStyleOptionSlider atOrigin = *bar;
    atOrigin.rect = QRect(QPoint(0, 0), bar->rect.size());
    // Styles draw the thumb's outline a pixel or so outside its rectangle: the picture takes a
    // margin, within the bar.
    constexpr int kThumbMargin = 2;
    const QRect thumb = (bar->subControls & SC_ScrollBarSlider)
                            ? proxy()
                                  ->subControlRect(CC_ScrollBar, &atOrigin, SC_ScrollBarSlider, widget)
                                  .adjusted(-kThumbMargin, -kThumbMargin, kThumbMargin, kThumbMargin)
                                  .intersected(atOrigin.rect)
                            : QRect();

    painter->save();
    // A copy at a whole pixel needs no smoothing, and with it Qt would take its general image path.
    painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    // In the order the style draws them: the groove, the thumb, the arrow buttons over its ends.
    const SubControls buttons = bar->subControls & (SC_ScrollBarAddLine | SC_ScrollBarSubLine);
    Picture groove = key;
    groove.part = 0;
    groove.size = atOrigin.rect.size();
    groove.subControls = static_cast<int>(bar->subControls & ~(SC_ScrollBarSlider | buttons));
    painter->drawImage(bar->rect.topLeft(), picture(groove, atOrigin, QPoint(0, 0), widget));
    if (!thumb.isEmpty()) {
        Picture handle = key;
        handle.part = 1;
        handle.size = thumb.size();
        handle.subControls = SC_ScrollBarSlider;
        // The thumb's own look does not depend on the ends of the range, only the arrows' may.
        handle.atMinimum = handle.atMaximum = false;
        painter->drawImage(bar->rect.topLeft() + thumb.topLeft(), picture(handle, atOrigin, thumb.topLeft(), widget));
    }
    if (buttons) {
        Picture arrows = groove;
        arrows.part = 2;
        arrows.subControls = static_cast<int>(buttons);
        painter->drawImage(bar->rect.topLeft(), picture(arrows, atOrigin, QPoint(0, 0), widget));
    }
    painter->restore();
}

const QImage& ScrollBarPictureStyle::picture(Picture key, const QStyleOptionSlider& bar, QPoint origin,
                                             const QWidget* widget) const {
    for (size_t i = 0; i < pictures_.size(); ++i) {
        if (pictures_[i].sameKey(key)) {
            // Most recently used last, so that the oldest goes first.
            if (i + 1 != pictures_.size()) std::rotate(pictures_.begin() + i, pictures_.begin() + i + 1, pictures_.end());
            return pictures_.back().image;
        }
    }
    const QSize pixels(static_cast<int>(std::ceil(key.size.width() * key.density)),
                       static_cast<int>(std::ceil(key.size.height() * key.density)));
    key.image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    key.image.setDevicePixelRatio(key.density);
    key.image.fill(Qt::transparent);
    {
        QPainter painter(&key.image);
        painter.translate(-origin);
        QStyleOptionSlider part = bar;
        part.subControls = static_cast<SubControls>(key.subControls);
        QProxyStyle::drawComplexControl(CC_ScrollBar, &part, &painter, widget);
    }
    ++picturesMade_;
    if (pictures_.size() >= kMaxPictures) pictures_.erase(pictures_.begin());
    pictures_.push_back(std::move(key));
    return pictures_.back().image;
}

}  // namespace velmora
