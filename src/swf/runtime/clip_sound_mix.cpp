#include "swf/runtime/clip_sound_mix.h"

#include "swf/runtime/clip.h"

namespace velmora::swf {

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
    ChannelTransform t;
    for (const Clip* c = &clip; c != nullptr; c = c->parent()) {
        if (!c->soundMix().neutral()) t = compose(c->soundMix().own(), t);
    }
    return t;
}

}  // namespace velmora::swf
