#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora::swf {

// One sound the mixer is playing: a timeline's stream or an event sound.
class Voice {
public:
    virtual ~Voice() = default;

    // Adds the voice's next `frames` output frames (interleaved stereo) onto mix. Returns false
    // once the voice has nothing more to play; the mixer then lets it go. A voice that runs out
    // part-way adds what it has; the rest of its share is silence.
    virtual bool mixInto(int32_t* mix, size_t frames) = 0;
};

}  // namespace velmora::swf
