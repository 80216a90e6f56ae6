#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "swf/format/sound.h"
#include "swf/sound/audio_decoder.h"
#include "swf/sound/voice.h"

namespace velmora::swf {

// The sound of an FLV file whose packets each stand on their own and cannot simply be joined
// into one stream: AAC (raw frames set up by the file's AudioSpecificConfig), ADPCM (each packet
// starts its own code size) and Speex (each packet ends on a byte).
struct FlvSoundTrack {
    struct Packet {
        double time = 0;  // seconds from the file's start
        std::vector<uint8_t> data;
    };
    bool aac = false;
    SoundFormatInfo format;       // the rest: format, rate and layout as the file's tags say
    std::vector<uint8_t> config;  // AAC's AudioSpecificConfig
    std::vector<Packet> packets;  // in file order
};

// Plays a track from a point in it, decoding packet by packet on the audio side as EventSound
// does, so that a long track costs no more memory than a short one. Packets play one after
// another: the track is heard from the packet that covers the starting point on.
class FlvSound final : public Voice {
public:
    FlvSound(std::shared_ptr<const FlvSoundTrack> track, double fromSeconds);

    bool mixInto(int32_t* mix, size_t frames) override;
    void decodeAhead(size_t frames) override;

    // Either thread: true once the sound has played out (or cannot be decoded).
    bool finished() const { return finishedFlag_.load(std::memory_order_acquire); }
    // Either thread: output frames rendered since the starting point.
    int64_t renderPosition() const { return published_.load(std::memory_order_acquire); }

private:
    // Audio side: opens the decoder and queues the packets; false when it cannot be decoded.
    bool start();
    // Queues the next packets; false when every one is queued already.
    bool queueMore();
    void finish();

    const std::shared_ptr<const FlvSoundTrack> track_;
    const double from_;
    std::unique_ptr<AudioDecoder> decoder_;
    size_t next_ = 0;  // the first packet not yet queued
    bool started_ = false;
    bool finished_ = false;
    int64_t silence_ = 0;  // frames of silence before the first packet, when started before it
    int64_t position_ = 0;
    std::string problem_;
    std::vector<int16_t> scratch_;
    std::atomic<int64_t> published_{0};
    std::atomic<bool> finishedFlag_{false};
};

}  // namespace velmora::swf
