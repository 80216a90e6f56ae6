#include <cmath>

#include "platform/core/failure.h"
#include "window/form1.h"

namespace velmora {

namespace {

constexpr int kMinimised = 1;
// Below this outer size some placements would turn negative.
constexpr float kMinWidth = 1500.0f;
constexpr float kMinHeight = 1800.0f;

// A placement computed in single precision; a non-finite one is a failing step rather than a
// value handed to the toolkit.
float twips(float value) {
    if (!std::isfinite(value)) throw Failure("the window size gives no usable control placement");
    return value;
}

}  // namespace

void Form1::Form_Resize() {
    if (c_.form.WindowState() == kMinimised) return;
    const float w = c_.form.Width();
    const float h = c_.form.Height();
    if (!(w >= kMinWidth && h >= kMinHeight)) return;

    c_.swf1Area.putWidth(twips(w - 350.0f));
    c_.swf1Area.putHeight(twips(h - 1800.0f));
    c_.Com1.putTop(twips(h - 1500.0f));
    c_.Com2.putTop(twips(h - 1200.0f));
    c_.ComP.putTop(twips(h - 850.0f));
    c_.ComP.putLeft(twips(w / 2.0f - 600.0f));
    c_.ComColor.putLeft(twips(w - 1000.0f));
    c_.ComColor.putTop(twips(h - 800.0f));
    c_.HSc1.putTop(twips(h - 1500.0f));
    c_.HSc2.putTop(twips(h - 1200.0f));
    c_.HSc1.putWidth(twips(w - 1050.0f));
    c_.HSc2.putWidth(twips(w - 1050.0f));
    c_.Slider1.putTop(twips(h - 800.0f));
}

}  // namespace velmora
