#include "window/form1.h"

namespace velmora {

namespace {
constexpr int32_t kPositionTimerInterval = 300;
constexpr int16_t kProgressSmallChange = 50;
constexpr int32_t kSliderSmallChange = 1;
constexpr int32_t kSliderMin = -80;
constexpr int32_t kSliderMax = 100;
}  // namespace

void Form1::Form_Load() {
    state_.isPlaying = 0;
    c_.Timer1.putInterval(kPositionTimerInterval);
    c_.Timer1.putEnabled(true);
    c_.HSc1.putSmallChange(kProgressSmallChange);
    c_.HSc2.putSmallChange(kProgressSmallChange);
    c_.Slider1.putSmallChange(kSliderSmallChange);
    // The value goes in before the range: 0 lies inside -80..100, so the slider stays at 0.
    c_.Slider1.putValue(0);
    c_.Slider1.putMax(kSliderMax);
    c_.Slider1.putMin(kSliderMin);
    state_.subtitleFiles = Playlist{""};
    state_.soundFiles = Playlist{""};
}

}  // namespace velmora
