#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "swf/sound/audio_decoder.h"
#include "swf/sound/stream_track.h"
#include "swf/sound/voice.h"

namespace velmora::swf {

// A timeline's stream sound playing from one frame on: decodes the track's blocks from just
// before that frame (so an MP3 decoder has its bit reservoir) and skips to the frame's first
// sample. Knows which output sample it will render next, which the channel turns into the
// timeline frame being heard.
class StreamSound final : public Voice {
public:
    // Starts at the beginning of `frame`'s sound. Decodes nothing until the audio side asks.
    StreamSound(std::shared_ptr<const StreamTrack> track, size_t frame);

    bool mixInto(int32_t* mix, size_t frames) override;
    void decodeAhead(size_t frames) override;

    // Either thread: the track position (output frames) at which the voice started, and that of
    // the next sample to be rendered.
    double startPosition() const { return start_; }
    double renderPosition() const { return published_.load(std::memory_order_acquire); }
    const StreamTrack& track() const { return *track_; }
    // Either thread: true once the track's sound is used up (or its format cannot be decoded).
    bool finished() const { return finishedFlag_.load(std::memory_order_acquire); }

private:
    void open();
    // Decodes and drops the samples before the first one heard. False when the sound ends first.
    bool skipLeadIn();
    void finish();

    const std::shared_ptr<const StreamTrack> track_;
    const double start_;
    // Audio side.
    std::unique_ptr<AudioDecoder> decoder_;
    double position_ = 0;
    int64_t skip_ = 0;  // output frames to decode and drop before the first one heard
    bool opened_ = false;
    bool finished_ = false;
    std::string problem_;
    std::vector<int16_t> scratch_;
    // What the control side reads.
    std::atomic<double> published_{0};
    std::atomic<bool> finishedFlag_{false};
};

}  // namespace velmora::swf
