#include "lesson_picture.h"

#include <QBuffer>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "outline_records.h"

namespace velmora::lessons {

using test::BitWriter;
using test::Color;

namespace {

Color rgb(unsigned c) {
    return {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c), 255};
}

QColor qcolor(unsigned c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

void appendBytes(BitWriter& w, const QByteArray& bytes) {
    w.bytes({reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size())});
}

}  // namespace

std::vector<uint8_t> gradientPanel(uint16_t id, int32_t x, int32_t y, int32_t width, int32_t height, unsigned top,
                                   unsigned bottom) {
    BitWriter w;
    w.u16(id);
    w.rect(x, x + width, y, y + height);
    w.u8(1);     // one fill style
    w.u8(0x10);  // linear gradient
    // The gradient square spans -16384..16384; turned a quarter so that it runs top to bottom.
    const double s = height / 32768.0;
    w.matrix({.scaleX = 0, .scaleY = 0, .rotateSkew0 = s, .rotateSkew1 = -s, .translateX = x + width / 2,
              .translateY = y + height / 2});
    w.u8(2);  // pad, RGB interpolation, two stops
    w.u8(0);
    w.rgba(rgb(top));
    w.u8(255);
    w.rgba(rgb(bottom));
    w.u8(0);  // no line styles
    QPainterPath path;
    path.addRoundedRect(x, y, width, height, 400, 400);
    writeOutline(w, path);
    return w.take();
}

std::vector<uint8_t> landscapePhoto(uint16_t id, int width, int height, unsigned top, unsigned bottom) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, QColor(90, 160, 230));
    sky.setColorAt(1, qcolor(top).lighter(130));
    p.fillRect(image.rect(), sky);
    p.setBrush(QColor(255, 230, 120));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(width * 0.75, height * 0.3), height * 0.12, height * 0.12);
    QPainterPath hills;
    hills.moveTo(0, height * 0.7);
    hills.cubicTo(width * 0.3, height * 0.45, width * 0.5, height * 0.85, width, height * 0.55);
    hills.lineTo(width, height);
    hills.lineTo(0, height);
    p.setBrush(qcolor(bottom).darker(150));
    p.drawPath(hills);
    p.setBrush(QColor(60, 120, 60));
    for (int i = 0; i < 7; ++i) {
        const double tx = width * (0.08 + i * 0.13), ty = height * (0.8 + (i % 2) * 0.06);
        p.drawEllipse(QPointF(tx, ty), height * 0.05, height * 0.09);
    }
    p.end();

    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 85);

    BitWriter w;
    w.u16(id);
    static const uint8_t kEmptyImage[] = {0xFF, 0xD8, 0xFF, 0xD9};
    w.bytes(kEmptyImage);
    appendBytes(w, jpeg);
    return w.take();
}

std::vector<uint8_t> bitmapFrame(uint16_t id, uint16_t bitmapId, int32_t x, int32_t y, int width, int height) {
    const int32_t w20 = width * 20, h20 = height * 20;
    BitWriter w;
    w.u16(id);
    w.rect(x, x + w20, y, y + h20);
    w.u8(1);
    w.u8(0x41);  // clipped, smoothed bitmap
    w.u16(bitmapId);
    w.matrix({.scaleX = 20, .scaleY = 20, .translateX = x, .translateY = y});
    w.u8(0);
    QPainterPath path;
    path.addRect(x, y, w20, h20);
    writeOutline(w, path);
    return w.take();
}

}  // namespace velmora::lessons
