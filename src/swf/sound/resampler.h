#pragma once

#include <cstdint>
#include <vector>

struct SwrContext;

namespace velmora::swf {

// Converts decoded samples of any rate, channel count and libav sample format into the output
// format (44100 Hz interleaved 16-bit stereo). Keeps its filter state between calls, so one
// Resampler carries one continuous sound: a new sound, or a jump inside one, takes a new one.
class Resampler {
public:
    Resampler();
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    // Converts `frames` frames held in `planes` (one plane when interleaved) with the given rate,
    // channel count and sample format (an AVSampleFormat value) and appends the result to out.
    // Input whose rate or layout differs from the previous call starts a new filter. Rates
    // outside 1 Hz..384 kHz and channel counts outside 1..8 are dropped.
    void convert(const uint8_t* const* planes, int frames, int rate, int channels, int format,
                 std::vector<int16_t>& out);
    // Appends the few samples the filter still holds back; the next convert starts afresh.
    void flush(std::vector<int16_t>& out);

private:
    void reset();

    SwrContext* swr_ = nullptr;
    int rate_ = 0;
    int channels_ = 0;
    int format_ = -1;
};

}  // namespace velmora::swf
