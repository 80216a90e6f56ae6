// What the player shows: the stage background and the movie's frame, "ShowAll" with zoom.
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include "platform/player/player_state.h"
#include "swf/render/stage_viewport.h"

namespace velmora {

namespace {

// The renderer reaches into sprites through the runtime's clips.
const swf::DisplayList* childList(const swf::DisplayObject& object) {
    return object.clip ? &object.clip->displayList() : nullptr;
}

// The stage in device pixels and the transform from movie twips, with the view's zoom about the
// centre of the area.
swf::StageViewport zoomedViewport(const swf::Rect& stage, QSize area, double zoom) {
    swf::StageViewport vp = swf::StageViewport::showAll(stage, area);
    if (zoom == 1.0) return vp;
    const QPointF centre(area.width() / 2.0, area.height() / 2.0);
    QTransform z;
    z.translate(centre.x(), centre.y());
    z.scale(zoom, zoom);
    z.translate(-centre.x(), -centre.y());
    vp.toDevice = vp.toDevice * z;
    vp.stageRect = z.mapRect(vp.stageRect);
    vp.scale *= zoom;
    return vp;
}

}  // namespace

void SwfPlayerWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    swf::MovieInstance* movie = state_->instance.get();
    QColor background(0xFF, 0xFF, 0xFF);
    if (state_->backgroundSet) {
        const int32_t c = state_->background;
        background = QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
    } else if (movie) {
        const swf::Rgba c = movie->movie().backgroundColor;
        background = QColor(c.r, c.g, c.b);
    }
    if (!movie) {
        painter.fillRect(rect(), background);
        return;
    }
    state_->paintedChange = movie->changeCount();

    // The frame itself comes from the renderer.
    state_->renderResources.setMovie(movie->sharedMovie());
    if (!state_->renderer) state_->renderer = std::make_unique<swf::StageRenderer>(state_->renderResources, childList);
    if (movie->highQuality()) {
        drawFrame(painter, size(), background);
        return;
    }
    // Low quality, as the format's players offer it for slow machines: the frame drawn at half
    // the resolution and enlarged without smoothing.
    const QSize half((width() + 1) / 2, (height() + 1) / 2);
    if (half.isEmpty()) return;
    QImage frame(half, QImage::Format_RGB32);
    {
        QPainter low(&frame);
        drawFrame(low, half, background);
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(rect(), frame);
}

void SwfPlayerWidget::drawFrame(QPainter& painter, QSize area, const QColor& background) {
    swf::MovieInstance& movie = *state_->instance;
    const swf::DisplayList& list = movie.root().displayList();
    const swf::Rect& stage = movie.movie().stage;
    if (state_->zoom == 1.0) {
        state_->renderer->render(painter, list, stage, area, background);
        return;
    }
    painter.fillRect(QRect(QPoint(0, 0), area), background);
    const swf::StageViewport vp = zoomedViewport(stage, area, state_->zoom);
    if (vp.scale <= 0.0) return;
    painter.save();
    painter.setClipRect(vp.stageRect);
    state_->renderer->drawList(painter, list, vp.toDevice, swf::ColorTransform{}, vp.scale);
    painter.restore();
}

void SwfPlayerWidget::mouseMoveEvent(QMouseEvent* event) {
    if (swf::MovieInstance* movie = state_->instance.get()) {
        const swf::StageViewport vp = zoomedViewport(movie->movie().stage, size(), state_->zoom);
        bool invertible = false;
        const QPointF twips = vp.toDevice.inverted(&invertible).map(event->position());
        if (invertible) {
            state_->pointer->move(twips.x(), twips.y());
            afterPointer();
        }
    }
    QWidget::mouseMoveEvent(event);
}

void SwfPlayerWidget::mousePressEvent(QMouseEvent* event) {
    if (state_->pointer && event->button() == Qt::LeftButton) {
        mouseMoveEvent(event);  // the press may come without a move first (a touch, a test)
        state_->pointer->press();
        afterPointer();
    }
    QWidget::mousePressEvent(event);
}

void SwfPlayerWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (state_->pointer && event->button() == Qt::LeftButton) {
        state_->pointer->release();
        afterPointer();
    }
    QWidget::mouseReleaseEvent(event);
}

void SwfPlayerWidget::leaveEvent(QEvent* event) {
    if (state_->pointer) {
        state_->pointer->leave();
        afterPointer();
    }
    QWidget::leaveEvent(event);
}

void SwfPlayerWidget::afterPointer() {
    // Only the movie's own buttons show the pointing hand.
    setCursor(state_->pointer && state_->pointer->overButton() ? Qt::PointingHandCursor : Qt::ArrowCursor);
    if (state_->instance && state_->instance->changeCount() != state_->paintedChange) update();
}

}  // namespace velmora
