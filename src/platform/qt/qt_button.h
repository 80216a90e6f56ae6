#pragma once

#include <QObject>
#include <functional>

#include "platform/core/controls.h"

class QPushButton;
class QWidget;

namespace velmora {

// ButtonControl on a QPushButton.
//
// A button in graphical style paints its face in BackColor (0x00BBGGRR), with a caption in black
// or white, whichever reads better on that face. A button in standard style keeps the desktop's
// own face; its BackColor is remembered but not shown.
class QtButton : public QObject, public ButtonControl {
    Q_OBJECT
public:
    enum class Style { Standard, Graphical };

    // Creates the button as a child of `parent`, which owns it.
    QtButton(QWidget* parent, Style style);

    // `handler` runs on every click, by mouse or keyboard.
    void onClick(std::function<void()> handler) { onClick_ = std::move(handler); }

    QPushButton& widget() { return *button_; }
    int32_t backColor() const { return backColor_; }

    void putCaption(const std::string& caption) override;
    // Raises a Failure for a value with bits above the 24 colour bits (not a colour).
    void putBackColor(int32_t bgr) override;
    void putLeft(float twips) override;
    void putTop(float twips) override;

private:
    QPushButton* button_;
    const Style style_;
    int32_t backColor_;
    std::function<void()> onClick_;
};

}  // namespace velmora
