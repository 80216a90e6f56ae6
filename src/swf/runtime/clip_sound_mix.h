#pragma once

#include "swf/sound/channel_transform.h"

namespace velmora::swf {

class Clip;

// How loud a clip's sounds are, as a script's Sound object on the clip sets it: a volume and a
// two-by-two mix of the sides (in percent, as scripts give them). Every sound that belongs to
// the clip (its stream, the event sounds of its frames and buttons, the sounds its Sound objects
// start) and to the clips inside it is heard through the mixes of the whole path down to it.
struct ClipSoundMix {
    double volume = 100;  // 0 .. 1000
    double pan = 0;       // -100 (left only) .. 100 (right only), as last set
    // Where each side goes, in percent: ll is left into left, lr left into right, and so on.
    double ll = 100;
    double lr = 0;
    double rl = 0;
    double rr = 100;

    bool neutral() const { return volume == 100 && ll == 100 && lr == 0 && rl == 0 && rr == 100; }
    // This clip's own share, without its parents'.
    ChannelTransform own() const;
};

// The product of the mixes from the root down to clip: what a sound of clip goes through.
ChannelTransform heardTransform(const Clip& clip);

// a applied after b: a sound through b, then through a.
ChannelTransform compose(const ChannelTransform& a, const ChannelTransform& b);

}  // namespace velmora::swf
