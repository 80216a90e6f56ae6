#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "swf/format/sound.h"
#include "swf/format/timeline.h"

namespace velmora::swf {

// The stream sound of one timeline, laid out on the output clock without decoding anything: the
// timeline's SoundStreamBlocks in frame order, the output sample at which each block's sound
// begins, and the output sample at which each frame's sound begins. Positions are in output
// frames (44100 Hz) from the first block's first sample; frames before the first block have
// negative starts, one nominal frame time apart, so that a movie whose sound begins at frame 10
// is silent for ten frames' time rather than jumping ahead.
//
// Sample counts come from the blocks themselves (MP3 frame headers, PCM sizes, ADPCM bit counts,
// Nellymoser packets, Speex frames), never from the counts a file claims, so a block that lies
// about its length cannot make the table disagree with what the decoder hears. A StreamTrack
// shares the blocks' bytes with the movie and may outlive it.
class StreamTrack {
public:
    struct Block {
        std::shared_ptr<const std::vector<uint8_t>> data;
        size_t skip = 0;       // leading bytes that are not sound (MP3: SampleCount, SeekSamples)
        double start = 0;      // output frame of the block's first decoded sample
        double length = 0;     // output frames the block decodes to
        size_t frame = 0;      // the timeline frame the block belongs to

        std::span<const uint8_t> payload() const {
            return data && data->size() > skip ? std::span<const uint8_t>(*data).subspan(skip)
                                               : std::span<const uint8_t>();
        }
    };

    // Lays out timeline's stream sound. frameRate is the movie's (values that are not positive and
    // finite count as 12). A timeline without a stream head, or without blocks, gives an empty track.
    StreamTrack(const Timeline& timeline, double frameRate);

    const SoundFormatInfo& format() const { return format_; }
    bool empty() const { return blocks_.empty(); }
    const std::vector<Block>& blocks() const { return blocks_; }
    size_t frameCount() const { return frameStarts_.size(); }
    // Output frames one timeline frame lasts at the nominal frame rate.
    double framePeriod() const { return framePeriod_; }

    // The output frame at which `frame`'s sound begins (MP3 seek samples honoured). Frames past the
    // timeline's end continue one nominal period apart.
    double frameStart(size_t frame) const;
    // The timeline frame (with its fraction) heard at output position `position`: frame 0 before
    // the first start, at most just under the last frame's end.
    double frameAt(double position) const;
    // The output frame at which the last block's sound ends.
    double end() const { return end_; }

    // The block to start decoding at to hear `position`: the block holding it, moved back far
    // enough for an MP3 decoder to have filled its bit reservoir (about two MP3 frames) before it.
    // Returns blocks().size() when position lies past the end.
    size_t decodeStartBlock(double position) const;

private:
    SoundFormatInfo format_;
    std::vector<Block> blocks_;
    std::vector<double> frameStarts_;
    double framePeriod_ = 0;
    double end_ = 0;
};

}  // namespace velmora::swf
