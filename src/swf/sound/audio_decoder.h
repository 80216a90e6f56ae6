#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "swf/format/sound.h"
#include "swf/sound/resampler.h"

namespace velmora::swf {

class CodecStage;

// Decodes one continuous sound of any SWF sound format into the output format (44100 Hz
// interleaved 16-bit stereo), on demand: it decodes only as far as read() asks, a bounded piece
// at a time, so a sound of any length, or one whose data is damaged, costs a small, fixed amount
// of memory. Damaged data decodes to what can be saved (MP3: silence in place of a broken frame);
// it never throws.
class AudioDecoder {
public:
    // A decoder for format, or nullptr with the reason in whyNot when the format is unknown or
    // libavcodec lacks its decoder.
    static std::unique_ptr<AudioDecoder> create(const SoundFormatInfo& format, std::string& whyNot);
    // An AAC decoder (a format SWF sounds do not use; FLV files do) set up by the stream's
    // AudioSpecificConfig; each chunk pushed is one raw AAC frame.
    static std::unique_ptr<AudioDecoder> createAac(std::span<const uint8_t> config, std::string& whyNot);
    ~AudioDecoder();
    AudioDecoder(const AudioDecoder&) = delete;
    AudioDecoder& operator=(const AudioDecoder&) = delete;

    // Queues the next chunk: one stream block (its MP3 header fields already removed) or a
    // DefineSound's data. The bytes must outlive the decoder.
    void push(std::span<const uint8_t> chunk);
    // No more chunks will come: once the queue is decoded, the samples the codec and resampler
    // hold back are given up too.
    void close();

    // Writes up to `frames` output frames (2 samples each) to out, or throws them away when out
    // is null. Returns the frames given: fewer than asked only when everything queued has been
    // decoded (and, after close(), drained).
    size_t read(int16_t* out, size_t frames);
    // Decodes until `frames` output frames are ready to read, or everything queued is decoded, so
    // that the reads that follow cost no decoding.
    void prefetch(size_t frames) { fill(frames); }
    // True when read() has nothing more to give and nothing more can come.
    bool exhausted();

private:
    explicit AudioDecoder(std::unique_ptr<CodecStage> stage);
    // Decodes until at least `frames` frames are ready or the input is used up.
    void fill(size_t frames);

    std::unique_ptr<CodecStage> stage_;
    Resampler resampler_;
    std::deque<std::span<const uint8_t>> chunks_;
    bool inChunk_ = false;
    bool closed_ = false;
    bool drained_ = false;
    std::vector<int16_t> ready_;  // decoded output not yet read
    size_t readAt_ = 0;           // samples of ready_ already read
};

}  // namespace velmora::swf
