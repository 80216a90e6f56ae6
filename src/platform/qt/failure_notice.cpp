#include "platform/qt/failure_notice.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

namespace velmora {

namespace {
constexpr int kMargin = 8;
constexpr int kPadding = 6;
constexpr int kMaxLines = 3;
}  // namespace

FailureNotice::FailureNotice(QWidget& anchor) : QWidget(anchor.parentWidget()), anchor_(&anchor) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
    hold_.setSingleShot(true);
    connect(&hold_, &QTimer::timeout, this, &FailureNotice::startFade);
    fade_.setStartValue(1.0);
    fade_.setEndValue(0.0);
    fade_.setDuration(kFadeMilliseconds);
    connect(&fade_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        opacity_ = value.toDouble();
        update();
    });
    connect(&fade_, &QVariantAnimation::finished, this, &QWidget::hide);
    anchor.installEventFilter(this);
}

void FailureNotice::showText(const QString& text, int repeats) {
    shown_ = repeats > 1 ? QStringLiteral("%1 (×%2)").arg(text).arg(repeats) : text;
    setToolTip(text);
    fade_.stop();
    opacity_ = 1.0;
    fitToAnchor();
    if (!isVisible()) show();
    raise();
    update();
    hold_.start(kHoldMilliseconds);
}

void FailureNotice::startFade() { fade_.start(); }

bool FailureNotice::eventFilter(QObject* watched, QEvent* event) {
    if (watched == anchor_ && (event->type() == QEvent::Resize || event->type() == QEvent::Move)) {
        fitToAnchor();
    }
    return QWidget::eventFilter(watched, event);
}

void FailureNotice::fitToAnchor() {
    if (!anchor_) return;
    const QRect area = anchor_->geometry();
    const int width = std::max(area.width() - 2 * kMargin, 40);
    const QFontMetrics metrics(font());
    const QRect textBox = metrics.boundingRect(QRect(0, 0, width - 2 * kPadding, metrics.height() * kMaxLines),
                                               Qt::TextWordWrap | Qt::AlignCenter, shown_);
    const int height = std::min(textBox.height(), metrics.height() * kMaxLines) + 2 * kPadding;
    // Over the bottom of the area; never above the client area when the area is very low.
    const int top = std::max(area.bottom() + 1 - kMargin - height, 0);
    setGeometry(area.left() + kMargin, top, width, height);
}

void FailureNotice::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(opacity_);
    QPainterPath box;
    box.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    painter.fillPath(box, QColor(40, 40, 40, 220));
    painter.setPen(Qt::white);
    painter.drawText(rect().adjusted(kPadding, kPadding, -kPadding, -kPadding),
                     Qt::TextWordWrap | Qt::AlignCenter, shown_);
}

}  // namespace velmora
