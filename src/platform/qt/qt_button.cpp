#include "platform/qt/qt_button.h"

#include <QColor>
#include <QPushButton>
#include <string>

#include "platform/core/failure.h"
#include "platform/qt/twips.h"

namespace velmora {

namespace {

// The face of a graphical button: the colour fills it whatever the desktop's style, which a
// palette change alone does not achieve on every style.
QString graphicalFaceStyleSheet(const QColor& face) {
    // Perceived brightness decides the caption's colour, so the caption stays readable on black.
    const bool dark = face.red() * 299 + face.green() * 587 + face.blue() * 114 < 128000;
    const QString text = dark ? QStringLiteral("#ffffff") : QStringLiteral("#000000");
    return QStringLiteral(
               "QPushButton { background-color: %1; color: %2; border: 1px solid %3;"
               " border-radius: 2px; padding: 0px 2px; }"
               "QPushButton:pressed { background-color: %4; }"
               "QPushButton:focus { border: 1px solid palette(highlight); }")
        .arg(face.name(), text, face.darker(160).name(), face.darker(120).name());
}

}  // namespace

QtButton::QtButton(QWidget* parent, Style style)
    : button_(new QPushButton(parent)), style_(style), backColor_(0x00F0F0F0) {
    button_->setFocusPolicy(Qt::StrongFocus);
    // Enter belongs to the window's default button (DefaultButtonKey); Space presses this one.
    button_->setAutoDefault(false);
    connect(button_, &QPushButton::clicked, this, [this] {
        if (onClick_) onClick_();
    });
}

void QtButton::putCaption(const std::string& caption) {
    button_->setText(QString::fromStdString(caption));
}

void QtButton::putBackColor(int32_t bgr) {
    if (bgr < 0 || bgr > 0x00FFFFFF) {
        throw Failure("button colour " + std::to_string(bgr) + " is not a colour value");
    }
    backColor_ = bgr;
    if (style_ == Style::Graphical) {
        button_->setStyleSheet(graphicalFaceStyleSheet(QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF)));
    }
}

void QtButton::putLeft(float twips) {
    button_->move(twipsToPixels(twips, horizontalDpi(*button_), "button left"), button_->y());
}

void QtButton::putTop(float twips) {
    button_->move(button_->x(), twipsToPixels(twips, verticalDpi(*button_), "button top"));
}

}  // namespace velmora
