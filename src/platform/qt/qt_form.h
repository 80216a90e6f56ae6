#pragma once

#include <QObject>
#include <functional>
#include <string>

#include "platform/core/controls.h"

class QWidget;

namespace velmora {

// The main window as FormControl, over a top-level QWidget whose client area holds the controls.
//
// Width and Height report the client area plus a fixed frame of 120 by 405 twips, not the frame
// the window system draws: on X11 that frame is unknown until the window manager has placed the
// window (and zero without one), and it differs between desktops, while the layout's offsets were
// drawn for that one fixed frame.
class QtForm : public QObject, public FormControl {
    Q_OBJECT
public:
    static constexpr float kFrameWidthTwips = 120;
    static constexpr float kFrameHeightTwips = 405;

    // `window` must outlive this object.
    explicit QtForm(QWidget& window);

    // `handler` runs when the window is first shown and after every change of its size or of its
    // state (minimise, maximise and restore included).
    void onResize(std::function<void()> handler) { onResize_ = std::move(handler); }

    void putCaption(const std::string& caption) override;
    float Width() const override;
    float Height() const override;
    int WindowState() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    std::function<void()> onResize_;
};

}  // namespace velmora
