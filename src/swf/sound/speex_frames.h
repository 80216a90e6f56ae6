#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace velmora::swf {

// Cuts Speex data into single frames, each copied out to start on a byte of its own. An SWF
// chunk (a DefineSound, or a stream block of a frame's time) holds several 20 ms Speex frames
// one after another, but libavcodec's Speex decoder decodes only the first frame of a packet,
// so each frame must go to it as a packet of its own.
//
// The frame lengths follow from the mode numbers at the start of each layer (narrow-band mode,
// then the wide-band layer's mode). Frames may be packed bit to bit or each padded to a byte
// (a 0 and then 1 bits, the encoder's padding); both are followed. The data ends at a
// terminator, at an invalid mode, or where fewer bits remain than a frame needs.
std::vector<std::vector<uint8_t>> splitSpeexFrames(std::span<const uint8_t> data);

}  // namespace velmora::swf
