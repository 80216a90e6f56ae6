// What the player shows: the stage background and the movie's frame, placed as the movie's
// scale mode asks ("ShowAll" unless its scripts change it) with the view's zoom.
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "platform/player/player_state.h"
#include "swf/render/stage_viewport.h"
#include "swf/runtime/key_input.h"
#include "swf/runtime/keyboard_focus.h"
#include "swf/runtime/script/stage_host.h"

namespace velmora {

namespace {

// The renderer reaches into sprites through the runtime's clips.
const swf::DisplayList* childList(const swf::DisplayObject& object) {
    return object.clip ? &object.clip->displayList() : nullptr;
}

// The stage in device pixels and the transform from movie twips, placed as the movie's scale
// mode and alignment ask, with the view's zoom about the centre of the area.
swf::StageViewport zoomedViewport(const swf::MovieInstance& movie, QSize area, double zoom) {
    const swf::StageSettings& settings = movie.stageSettings();
    swf::StageViewport vp = swf::StageViewport::place(movie.movie().stage, area, settings.scaleMode, settings.align);
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

// Where the frame's stage lands in an area of the given size (twips to the area's pixels): the
// transform drawFrame draws through.
QTransform stageToArea(const swf::MovieInstance& movie, QSize widget, double zoom, QSize area) {
    const swf::StageSettings& settings = movie.stageSettings();
    const bool showAll = settings.scaleMode == swf::StageSettings::ScaleMode::ShowAll && settings.align == 0;
    if (zoom == 1.0 && showAll) return swf::StageViewport::showAll(movie.movie().stage, area).toDevice;
    const swf::StageViewport vp = zoomedViewport(movie, widget, zoom);
    const double k = widget.width() > 0 ? double(area.width()) / widget.width() : 1.0;
    return vp.toDevice * QTransform::fromScale(k, k);
}

// The device pixels of a picture (of `pixels`, at `density` a pixel of the area) that the boxes
// of a changed area cover, with two pixels more on every side for the soft edges of shapes and
// lines drawn on their boxes' borders.
QRegion changedPixels(const swf::ChangedArea& changed, const QTransform& toArea, double density, QSize pixels) {
    QRegion region;
    const QRect picture(QPoint(0, 0), pixels);
    const QTransform toPixels = toArea * QTransform::fromScale(density, density);
    for (const swf::Rect& box : changed.boxes()) {
        const QRectF twips(QPointF(box.xMin, box.yMin), QPointF(box.xMax, box.yMax));
        region += toPixels.mapRect(twips).toAlignedRect().adjusted(-2, -2, 2, 2) & picture;
    }
    return region;
}

}  // namespace

void SwfPlayerWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    swf::MovieInstance* movie = state_->instance.get();
    if (!movie) {
        state_->picture.clear();
        painter.fillRect(rect(), backgroundColour());
        return;
    }
    if (pictureOutdated()) {
        // Drawn here when the widget was hidden or covered as the movie moved on, or asked to draw
        // afresh: what changed beyond the parts being redrawn follows in a redraw of its own.
        const QRegion changed = drawPicture();
        const QRegion beyond = changed - event->region();
        if (!beyond.isEmpty()) update(beyond);
    }
    const QImage& picture = state_->picture.shown();
    if (picture.isNull()) {
        painter.fillRect(rect(), backgroundColour());
        return;
    }
    // Every pixel of the picture is opaque: a plain copy.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const qreal density = picture.devicePixelRatio();
    if (picture.size() == size() * density) {
        for (const QRect& part : event->region()) {
            const QRectF source(part.x() * density, part.y() * density, part.width() * density,
                                part.height() * density);
            painter.drawImage(QPointF(part.topLeft()), picture, source);
        }
        return;
    }
    // Low quality, as the format's players offer it for slow machines: the frame drawn at half
    // the resolution and enlarged without smoothing.
    painter.setClipRegion(event->region());
    painter.drawImage(QRectF(rect()), picture, QRectF(picture.rect()));
}

QColor SwfPlayerWidget::backgroundColour() const {
    if (state_->backgroundSet) {
        const int32_t c = state_->background;
        return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
    }
    if (const swf::MovieInstance* movie = state_->instance.get()) {
        const swf::Rgba c = movie->movie().backgroundColor;
        return QColor(c.r, c.g, c.b);
    }
    return QColor(0xFF, 0xFF, 0xFF);
}

bool SwfPlayerWidget::pictureOutdated() const {
    if (state_->pictureStale || state_->picture.shown().isNull()) return true;
    if (state_->instance && state_->instance->changeCount() != state_->paintedChange) return true;
    // A resize, the quality changed, or the window moved to a screen of another density.
    const QImage& picture = state_->picture.shown();
    const bool high = !state_->instance || state_->instance->highQuality();
    return picture.size() != (high ? size() * devicePixelRatioF() : halfSize()) ||
           picture.devicePixelRatio() != (high ? devicePixelRatioF() : 1.0);
}

QSize SwfPlayerWidget::halfSize() const { return QSize((width() + 1) / 2, (height() + 1) / 2); }

QRegion SwfPlayerWidget::drawPicture() {
    swf::MovieInstance& movie = *state_->instance;
    state_->paintedChange = movie.changeCount();
    // Only where the movie says it changed is drawn again, unless something besides the movie
    // changed how the frame looks.
    const swf::ChangedArea changedArea = movie.takeChangedArea();
    const bool drawsChangesOnly = !state_->pictureStale && !changedArea.whole();
    state_->pictureStale = false;
    // A frame's script may have hidden or shown the pointer (Mouse.hide).
    updateCursor();

    state_->renderResources.setMovie(movie.sharedMovie());
    if (!state_->renderer) state_->renderer = std::make_unique<swf::StageRenderer>(state_->renderResources, childList);
    state_->renderer->setFocusedText(movie.focusedText(), focusedInputField() ? state_->preedit : std::u16string(),
                                     state_->preeditCursor);
    state_->renderer->setCaretHidden(state_->caretHidden);
    state_->renderer->setFocusRectangle(swf::focusRectangle(movie));
    const QColor background = backgroundColour();
    const qreal density = devicePixelRatioF();
    // The picture's area (widget pixels, or half of them in low quality) and its density.
    const QSize area = movie.highQuality() ? size() : halfSize();
    const qreal pictureDensity = movie.highQuality() ? density : 1.0;
    const QSize pixels = movie.highQuality() ? size() * density : area;
    const auto draw = [&](QPainter& painter) { drawFrame(painter, area, background); };
    std::optional<QRegion> drawnPart;
    if (drawsChangesOnly) {
        const QTransform toArea = stageToArea(movie, size(), state_->zoom, area);
        drawnPart = state_->picture.redrawPart(pixels, pictureDensity,
                                               changedPixels(changedArea, toArea, pictureDensity, pixels), draw);
    }
    if (movie.highQuality()) {
        // Drawn onto an image, subtract and invert blend with the pixels below them as they should.
        QRegion changed = drawnPart ? *drawnPart : state_->picture.redraw(pixels, density, draw);
        if (density == 1.0) return changed;
        QRegion widgetPixels;
        for (const QRect& part : changed) {
            widgetPixels += QRectF(part.x() / density, part.y() / density, part.width() / density,
                                   part.height() / density).toAlignedRect();
        }
        return widgetPixels;
    }
    const QSize half = area;
    QRegion changed = drawnPart ? *drawnPart : state_->picture.redraw(half, 1.0, draw);
    if (changed.isEmpty() || half.isEmpty()) return changed;
    // Each pixel of the picture covers about two of the widget; a pixel more on every side covers
    // the rounding of the enlargement.
    const double kx = double(width()) / half.width();
    const double ky = double(height()) / half.height();
    QRegion widgetPixels;
    for (const QRect& part : changed) {
        widgetPixels += QRectF(part.x() * kx, part.y() * ky, part.width() * kx, part.height() * ky)
                            .toAlignedRect()
                            .adjusted(-1, -1, 1, 1) &
                        rect();
    }
    return widgetPixels;
}

void SwfPlayerWidget::showChanges() {
    if (!state_->instance || state_->pictureStale) {
        update();
        return;
    }
    if (state_->instance->changeCount() == state_->paintedChange) return;
    // A widget nobody sees (hidden, minimised, covered) is drawn when it shows again.
    if (visibleRegion().isEmpty()) {
        update();
        return;
    }
    const QRegion changed = drawPicture();
    if (!changed.isEmpty()) update(changed);
}

void SwfPlayerWidget::redrawAll() {
    state_->pictureStale = true;
    update();
}

void SwfPlayerWidget::drawFrame(QPainter& painter, QSize area, const QColor& background) {
    swf::MovieInstance& movie = *state_->instance;
    const swf::Rect& stage = movie.movie().stage;
    const swf::StageSettings& settings = movie.stageSettings();
    const bool showAll = settings.scaleMode == swf::StageSettings::ScaleMode::ShowAll && settings.align == 0;
    if (state_->zoom == 1.0 && showAll) {
        state_->renderer->render(painter, movie.root(), stage, area, background);
        return;
    }
    painter.fillRect(QRect(QPoint(0, 0), area), background);
    // Placed against the widget (an unscaled stage keeps its size in widget pixels), then brought
    // to the area drawn into, which the low quality makes smaller.
    swf::StageViewport vp = zoomedViewport(movie, size(), state_->zoom);
    if (vp.scale <= 0.0 || width() <= 0) return;
    const double k = double(area.width()) / width();
    if (k != 1.0) {
        vp.toDevice = vp.toDevice * QTransform::fromScale(k, k);
        vp.stageRect = QTransform::fromScale(k, k).mapRect(vp.stageRect);
        vp.scale *= k;
    }
    painter.save();
    // Unscaled, the movie lays itself out for the whole area: what lies beyond its stage shows.
    if (settings.scaleMode != swf::StageSettings::ScaleMode::NoScale) painter.setClipRect(vp.stageRect, Qt::IntersectClip);
    state_->renderer->drawStage(painter, movie.root(), vp.toDevice, vp.scale);
    painter.restore();
}

QTransform SwfPlayerWidget::viewTransform() const {
    if (!state_->instance) return {};
    return zoomedViewport(*state_->instance, size(), state_->zoom).toDevice;
}

void SwfPlayerWidget::resizeEvent(QResizeEvent* event) {
    if (swf::MovieInstance* movie = state_->instance.get()) {
        swf::script::resizeStage(*movie, width(), height());
        afterPointer();
    }
    QWidget::resizeEvent(event);
}

void SwfPlayerWidget::mouseMoveEvent(QMouseEvent* event) {
    if (state_->instance) {
        bool invertible = false;
        const QPointF twips = viewTransform().inverted(&invertible).map(event->position());
        if (invertible) {
            state_->pointer->move(twips.x(), twips.y());
            if (state_->selecting.get() && (event->buttons() & Qt::LeftButton)) dragSelect(event->position());
            state_->overTextField = textFieldUnder(event->position());
            afterPointer();
        }
    }
    QWidget::mouseMoveEvent(event);
}

void SwfPlayerWidget::mousePressEvent(QMouseEvent* event) {
    if (state_->pointer && event->button() == Qt::LeftButton) {
        mouseMoveEvent(event);  // the press may come without a move first (a touch, a test)
        pressOnTextField(event->position(), event->modifiers() & Qt::ShiftModifier);
        state_->pointer->press();
        afterPointer();
    }
    QWidget::mousePressEvent(event);
}

void SwfPlayerWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (state_->pointer && event->button() == Qt::LeftButton) {
        state_->selecting = {};
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

namespace {

// The format's key code for a key, or 0 for keys it has none for.
uint8_t swfKeyOf(const QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Left: return swf::kSwfKeyLeft;
    case Qt::Key_Right: return swf::kSwfKeyRight;
    case Qt::Key_Home: return swf::kSwfKeyHome;
    case Qt::Key_End: return swf::kSwfKeyEnd;
    case Qt::Key_Insert: return swf::kSwfKeyInsert;
    case Qt::Key_Delete: return swf::kSwfKeyDelete;
    case Qt::Key_Backspace: return swf::kSwfKeyBackspace;
    case Qt::Key_Return:
    case Qt::Key_Enter: return swf::kSwfKeyEnter;
    case Qt::Key_Up: return swf::kSwfKeyUp;
    case Qt::Key_Down: return swf::kSwfKeyDown;
    case Qt::Key_PageUp: return swf::kSwfKeyPageUp;
    case Qt::Key_PageDown: return swf::kSwfKeyPageDown;
    case Qt::Key_Tab: return swf::kSwfKeyTab;
    case Qt::Key_Escape: return swf::kSwfKeyEscape;
    default: break;
    }
    const QString text = event.text();
    if (text.size() == 1 && text[0].unicode() >= 32 && text[0].unicode() < 127) return static_cast<uint8_t>(text[0].unicode());
    return 0;
}

// What the movie's Key object reports for a key: the keys the format has no code for (Shift,
// Control, Caps Lock, the function keys) by their key codes, the others as their format code.
swf::KeyStroke strokeOf(const QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Shift: return {16, 0};
    case Qt::Key_Control: return {17, 0};
    case Qt::Key_Alt: return {18, 0};
    case Qt::Key_CapsLock: return {20, 0};
    case Qt::Key_NumLock: return {144, 0};
    default: break;
    }
    const int key = event.key();
    if (key >= Qt::Key_F1 && key <= Qt::Key_F15) return {static_cast<uint16_t>(112 + key - Qt::Key_F1), 0};
    const swf::KeyStroke typed = swf::strokeOf(swfKeyOf(event));
    // The numeric keypad has codes of its own, apart from the digits and signs it types.
    if (event.modifiers() & Qt::KeypadModifier) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9) return {static_cast<uint16_t>(96 + key - Qt::Key_0), typed.ascii};
        switch (key) {
        case Qt::Key_Asterisk: return {106, typed.ascii};
        case Qt::Key_Plus: return {107, typed.ascii};
        case Qt::Key_Minus: return {109, typed.ascii};
        case Qt::Key_Period:
        case Qt::Key_Comma: return {110, typed.ascii};
        case Qt::Key_Slash: return {111, typed.ascii};
        default: break;
        }
    }
    // With Control held a letter or digit types no character, yet it is the same key: scripts
    // that look for Control+S still see the S.
    if (typed.code == 0) {
        const bool shifted = event.modifiers() & Qt::ShiftModifier;
        if (key >= Qt::Key_A && key <= Qt::Key_Z) {
            const int i = key - Qt::Key_A;
            return {static_cast<uint16_t>('A' + i), static_cast<uint16_t>((shifted ? 'A' : 'a') + i)};
        }
        if (key >= Qt::Key_0 && key <= Qt::Key_9) return {static_cast<uint16_t>(key), static_cast<uint16_t>(key)};
    }
    return typed;
}

}  // namespace

bool SwfPlayerWidget::event(QEvent* event) {
    // Shortcuts are looked up before the key reaches the widget: the field's keys are kept from
    // them while it types.
    if (event->type() == QEvent::ShortcutOverride && fieldTakesKey(*static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    // The caret blinks only while the keys would reach it.
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        const bool handled = QWidget::event(event);
        restartCaretBlink();
        return handled;
    }
    return QWidget::event(event);
}

void SwfPlayerWidget::keyPressEvent(QKeyEvent* event) {
    // Tab stays inside a movie that has anything to tab to, so Control+Tab is the way out to the
    // window's own controls, as in text editors that take Tab.
    if ((event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) &&
        event->modifiers().testFlag(Qt::ControlModifier)) {
        QWidget::focusNextPrevChild(event->key() == Qt::Key_Tab && !event->modifiers().testFlag(Qt::ShiftModifier));
        event->accept();
        return;
    }
    if (editFocusedField(event)) {
        // The Key object still hears the key; buttons waiting for it do not, while the field types.
        swf::pressKey(*state_->instance, 0, strokeOf(*event));
        afterPointer();
        event->accept();
        return;
    }
    bool used = false;
    if (swf::MovieInstance* movie = state_->instance.get()) {
        used = swf::pressKey(*movie, swfKeyOf(*event), strokeOf(*event));
        afterPointer();
    }
    if (used) {
        event->accept();
    } else {
        QWidget::keyPressEvent(event);  // ignores it: the window takes it
    }
}

void SwfPlayerWidget::keyReleaseEvent(QKeyEvent* event) {
    // A held key repeats as presses; the one release is when it comes up.
    if (swf::MovieInstance* movie = state_->instance.get(); movie && !event->isAutoRepeat()) {
        swf::releaseKey(*movie, strokeOf(*event));
        afterPointer();
    }
    QWidget::keyReleaseEvent(event);
}

void SwfPlayerWidget::wheelEvent(QWheelEvent* event) {
    if (state_->pointer) {
        // 120 eighths of a degree a notch, which the movie hears as three lines.
        state_->wheelAngle += event->angleDelta().y();
        const int lines = state_->wheelAngle / 40;
        state_->wheelAngle -= lines * 40;
        if (lines != 0) {
            // A field with more lines than it shows scrolls under the wheel; the movie's
            // listeners hear the wheel either way.
            scrollFieldUnder(event->position(), lines);
            state_->pointer->wheel(lines);
            afterPointer();
        }
    }
    event->accept();
}

void SwfPlayerWidget::updateCursor() {
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (state_->instance && state_->instance->pointerHidden()) {
        shape = Qt::BlankCursor;
    } else if (state_->pointer && state_->pointer->showsHand()) {
        // Only the movie's own buttons show the pointing hand.
        shape = Qt::PointingHandCursor;
    } else if (state_->overTextField) {
        shape = Qt::IBeamCursor;
    }
    if (cursor().shape() != shape) setCursor(shape);
}

void SwfPlayerWidget::afterPointer() {
    updateCursor();
    updateInputMethod();
    showChanges();
    // A button's script may have started a timeline.
    if (state_->instance) wakeClock();
}

}  // namespace velmora
