#include "swf/runtime/clip_sound_mix.h"

#include <algorithm>

#include "swf/runtime/clip.h"

namespace velmora::swf {

namespace {
constexpr float kMaxGain = 10.0f;
}

ChannelTransform ClipSoundMix::own() const {
    const double v = volume / 100.0;
    ChannelTransform t;
    t.leftToLeft = float(v * ll / 100.0);
    t.leftToRight = float(v * lr / 100.0);
    t.rightToLeft = float(v * rl / 100.0);
    t.rightToRight = float(v * rr / 100.0);
    return t;
}

ChannelTransform compose(const ChannelTransform& a, const ChannelTransform& b) {
    // Each output side of a is a weighted sum of its inputs, which are b's outputs.
    ChannelTransform t;
    t.leftToLeft = a.leftToLeft * b.leftToLeft + a.rightToLeft * b.leftToRight;
    t.rightToLeft = a.leftToLeft * b.rightToLeft + a.rightToLeft * b.rightToRight;
    t.leftToRight = a.leftToRight * b.leftToLeft + a.rightToRight * b.leftToRight;
    t.rightToRight = a.leftToRight * b.rightToLeft + a.rightToRight * b.rightToRight;
    return t;
}

ChannelTransform heardTransform(const Clip& clip) {
    // Each clip may raise its sounds tenfold; nested deep, the product would overflow the mix.
    // Ten times is as loud as any one clip may make a sound, and the mixer clips what is louder.
    const auto bound = [](float v) { return std::clamp(v, -kMaxGain, kMaxGain); };
    ChannelTransform t;
    for (const Clip* c = &clip; c != nullptr; c = c->parent()) {
        if (c->soundMix().neutral()) continue;
        t = compose(c->soundMix().own(), t);
        t = {bound(t.leftToLeft), bound(t.rightToLeft), bound(t.leftToRight), bound(t.rightToRight)};
    }
    return t;
}

}  // namespace velmora::swf
