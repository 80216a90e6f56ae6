#include "platform/core/checked_int.h"
#include "window/form1.h"

namespace velmora {

namespace {
// Frames from the bar's end at which stepping stops acting.
constexpr int16_t kStepMargin = 10;

// Whether the bar stands more than the margin short of its Max. Reads Value, then Max.
bool awayFromItsEnd(const ScrollBarControl& bar) {
    const int16_t value = bar.Value();
    const int16_t max = bar.Max();
    return value < sub16(max, kStepMargin);
}
}  // namespace

// The slider picks the stepping timer and its pace: right of 0 steps forward every
// (101 - v) * 50 ms (5000 ms at +1 down to 50 ms at +100), left of 0 steps back every
// (v + 91) * 50 ms (4500 ms at -1 down to 550 ms at -80). Both timers stop first, so the chosen
// one starts a full new interval. Stepping runs only while playing; play and pause switch it
// on and off from the slider's value.
void Form1::Slider1_Scroll() {
    const int32_t v = c_.Slider1.Value();
    c_.Timer2.putEnabled(false);
    c_.Timer3.putEnabled(false);
    if (v < 0) {
        c_.Timer3.putInterval(mul32(add32(v, 91), 50));
        if (state_.isPlaying == kPlaying) c_.Timer3.putEnabled(true);
    } else if (v > 0) {
        c_.Timer2.putInterval(mul32(sub32(101, v), 50));
        if (state_.isPlaying == kPlaying) c_.Timer2.putEnabled(true);
    }
}

// One frame forward, then play on, unless the subtitle bar is near its end.
void Form1::Timer2_Timer() {
    if (awayFromItsEnd(c_.HSc1)) {
        c_.swf1.Forward();
        c_.swf1.Play();
    }
}

// One frame back on the subtitle movie, then play on. The guard is the sound bar: backward
// stepping stops once the narration is near its end.
void Form1::Timer3_Timer() {
    if (awayFromItsEnd(c_.HSc2)) {
        c_.swf1.Back();
        c_.swf1.Play();
    }
}

}  // namespace velmora
