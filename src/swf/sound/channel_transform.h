#pragma once

#include <algorithm>
#include <cmath>

namespace velmora::swf {

// How a voice's two sides reach the output's two sides: each output side is a weighted sum of
// the voice's left and right. Identity by default. Volume and pan are special cases of it, which
// is how a movie's scripts speak of them.
struct ChannelTransform {
    float leftToLeft = 1.0f;
    float rightToLeft = 0.0f;
    float leftToRight = 0.0f;
    float rightToRight = 1.0f;

    bool identity() const { return leftToLeft == 1.0f && rightToLeft == 0.0f && leftToRight == 0.0f && rightToRight == 1.0f; }

    // Volume in percent (100 is as recorded), pan from -100 (left only) to 100 (right only): the
    // side panned away from is lowered, the other kept. Values outside the ranges are clamped;
    // values that are not numbers count as the default.
    static ChannelTransform volumeAndPan(double volumePercent, double panPercent) {
        const double volume = std::isfinite(volumePercent) ? std::clamp(volumePercent, 0.0, 1000.0) / 100.0 : 1.0;
        const double pan = std::isfinite(panPercent) ? std::clamp(panPercent, -100.0, 100.0) / 100.0 : 0.0;
        ChannelTransform t;
        t.leftToLeft = float(volume * (pan > 0 ? 1.0 - pan : 1.0));
        t.rightToRight = float(volume * (pan < 0 ? 1.0 + pan : 1.0));
        return t;
    }
};

}  // namespace velmora::swf
