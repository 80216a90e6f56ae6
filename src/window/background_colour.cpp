#include "platform/core/checked_int.h"
#include "window/form1.h"

namespace velmora {

namespace {
// The colour dialog opens fully expanded, with its custom-colour section shown.
constexpr int32_t kColorDialogFullOpen = 2;
}  // namespace

int32_t Form1::GetRed(int32_t value) { return value & 255; }
int32_t Form1::GetGreen(int32_t value) { return (value / 256) & 255; }
int32_t Form1::GetBlue(int32_t value) { return (value / 65536) & 255; }

void Form1::ComColor_Click() {
    c_.dlg.putFlags(kColorDialogFullOpen);
    // A cancel leaves the button and the movie as they were, even before any colour was chosen.
    if (!c_.dlg.ShowColor()) return;

    const int32_t chosen = c_.dlg.Color();
    c_.ComColor.putBackColor(chosen);

    // The button takes 0x00BBGGRR, the movie 0x00RRGGBB: red and blue change places.
    const int16_t red = narrow16(GetRed(c_.dlg.Color()));
    const int16_t green = narrow16(GetGreen(c_.dlg.Color()));
    const int16_t blue = narrow16(GetBlue(c_.dlg.Color()));
    const int32_t movieColour = add32(add32(blue, mul32(256, green)), mul32(65536, red));
    c_.swf1.putBackgroundColor(movieColour);
}

}  // namespace velmora
