#pragma once

#include <cstdint>
#include <vector>

namespace velmora::test {

// A small SWF ADPCM encoder, for fixtures: the format's code sizes 2 to 5, mono or stereo
// (interleaved input). Written from the format's description, apart from the decoder under test;
// it shares only the step tables, which the comparison with libavcodec checks on their own.
std::vector<uint8_t> encodeSwfAdpcm(const std::vector<int16_t>& samples, int channels, int codeBits);

}  // namespace velmora::test
