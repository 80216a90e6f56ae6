#include "swf/sound/stream_track.h"

#include <algorithm>
#include <cmath>
#include <variant>

#include "swf/sound/codec_stage.h"
#include "swf/sound/mp3_frame_header.h"
#include "swf/sound/output_format.h"
#include "swf/sound/speex_frames.h"

namespace velmora::swf {

namespace {

// Samples (per channel) that one block decodes to, at the sound's own rate.
int64_t blockSamples(const SoundFormatInfo& format, std::span<const uint8_t> bytes, size_t& mp3Carry,
                     int& mp3Rate, uint16_t samplesPerBlock) {
    const int channels = format.stereo ? 2 : 1;
    switch (format.format) {
        case SoundFormat::PcmNativeEndian:
        case SoundFormat::PcmLittleEndian:
            return int64_t(bytes.size() / size_t((format.is16Bit ? 2 : 1) * channels));
        case SoundFormat::Adpcm: {
            if (bytes.empty()) return 0;
            const int64_t codeBits = (bytes[0] >> 6) + 2;
            const int64_t bits = int64_t(bytes.size()) * 8 - 2;
            const int64_t header = 22 * channels;
            const int64_t packet = header + codeBits * channels * 4095;
            int64_t samples = bits / packet * 4096;
            const int64_t rest = bits % packet;
            if (rest >= header) samples += 1 + (rest - header) / (codeBits * channels);
            return samples;
        }
        case SoundFormat::Mp3:
            return countMp3Samples(bytes, mp3Carry, mp3Rate);
        case SoundFormat::Nellymoser16k:
        case SoundFormat::Nellymoser8k:
        case SoundFormat::Nellymoser:
            return int64_t(bytes.size() / 64 * 256);
        case SoundFormat::Speex:
            // 20 ms frames of 16 kHz wide-band Speex.
            return int64_t(splitSpeexFrames(bytes).size() * 320);
        default:
            return samplesPerBlock;
    }
}

}  // namespace

StreamTrack::StreamTrack(const Timeline& timeline, double frameRate) {
    if (!(frameRate > 0 && std::isfinite(frameRate))) frameRate = 12;
    frameRate = std::clamp(frameRate, 0.01, 1000.0);
    framePeriod_ = kOutputRate / frameRate;
    frameStarts_.assign(timeline.frames.size(), 0);
    if (!timeline.streamHead) return;
    format_ = timeline.streamHead->stream;
    const bool mp3 = format_.format == SoundFormat::Mp3;

    // Pass 1: the blocks and their lengths at the sound's own rate.
    std::vector<int64_t> sourceStarts;
    std::vector<int64_t> sourceLengths;
    std::vector<int> seeks;
    size_t carry = 0;
    int mp3Rate = 0;
    int64_t total = 0;
    for (size_t f = 0; f < timeline.frames.size(); ++f) {
        for (const ControlTag& tag : timeline.frames[f].tags) {
            const auto* block = std::get_if<SoundStreamBlock>(&tag);
            if (block == nullptr || !block->data) continue;
            Block b;
            b.data = block->data;
            b.frame = f;
            int seek = 0;
            if (mp3) {
                // SampleCount (uint16) and SeekSamples (int16) precede the MP3 frames.
                b.skip = 4;
                if (b.data->size() >= 4) seek = int16_t(uint16_t((*b.data)[2] | (*b.data)[3] << 8));
            }
            const int64_t samples =
                blockSamples(format_, b.payload(), carry, mp3Rate, timeline.streamHead->samplesPerBlock);
            sourceStarts.push_back(total);
            sourceLengths.push_back(samples);
            seeks.push_back(seek);
            total += samples;
            blocks_.push_back(std::move(b));
            break;  // one block a frame; a second one in the same frame is not part of the stream
        }
    }
    if (blocks_.empty()) return;

    // Pass 2: onto the output clock. MP3 runs at the rate its frame headers say.
    const int rate = mp3 && mp3Rate > 0 ? mp3Rate : effectiveSampleRate(format_);
    if (mp3 && mp3Rate > 0) format_.sampleRate = uint32_t(mp3Rate);
    const double ratio = double(kOutputRate) / rate;
    for (size_t i = 0; i < blocks_.size(); ++i) {
        blocks_[i].start = double(sourceStarts[i]) * ratio;
        blocks_[i].length = double(sourceLengths[i]) * ratio;
    }
    end_ = double(total) * ratio;

    // Frames with a block start where their block does, plus the seek samples; frames between
    // blocks share the time between them; frames before the first block and after the last one
    // last a nominal frame each.
    std::vector<bool> known(frameStarts_.size(), false);
    for (size_t i = 0; i < blocks_.size(); ++i) {
        const size_t f = blocks_[i].frame;
        frameStarts_[f] = std::max(0.0, blocks_[i].start + seeks[i] * ratio);
        known[f] = true;
    }
    const size_t first = blocks_.front().frame;
    const size_t last = blocks_.back().frame;
    for (size_t f = 0; f < first; ++f) frameStarts_[f] = frameStarts_[first] - double(first - f) * framePeriod_;
    for (size_t f = last + 1; f < frameStarts_.size(); ++f)
        frameStarts_[f] = frameStarts_[last] + double(f - last) * framePeriod_;
    for (size_t f = first; f < last;) {
        size_t next = f + 1;
        while (!known[next]) ++next;
        for (size_t g = f + 1; g < next; ++g)
            frameStarts_[g] = frameStarts_[f] + (frameStarts_[next] - frameStarts_[f]) * double(g - f) / double(next - f);
        f = next;
    }
    // Seek samples of a hostile file could run backwards; positions must not.
    for (size_t f = 1; f < frameStarts_.size(); ++f) frameStarts_[f] = std::max(frameStarts_[f], frameStarts_[f - 1]);
}

double StreamTrack::frameStart(size_t frame) const {
    if (frameStarts_.empty()) return double(frame) * framePeriod_;
    if (frame < frameStarts_.size()) return frameStarts_[frame];
    return frameStarts_.back() + double(frame - frameStarts_.size() + 1) * framePeriod_;
}

double StreamTrack::frameAt(double position) const {
    if (frameStarts_.empty()) return 0;
    auto after = std::upper_bound(frameStarts_.begin(), frameStarts_.end(), position);
    if (after == frameStarts_.begin()) return 0;
    const size_t f = size_t(after - frameStarts_.begin()) - 1;
    const double span = after != frameStarts_.end() ? *after - frameStarts_[f] : framePeriod_;
    const double fraction = span > 0 ? std::min((position - frameStarts_[f]) / span, 0.999) : 0.0;
    return double(f) + fraction;
}

size_t StreamTrack::decodeStartBlock(double position) const {
    if (blocks_.empty() || position >= end_) return blocks_.size();
    auto after = std::upper_bound(blocks_.begin(), blocks_.end(), position,
                                  [](double p, const Block& b) { return p < b.start; });
    size_t index = after == blocks_.begin() ? 0 : size_t(after - blocks_.begin()) - 1;
    if (format_.format == SoundFormat::Mp3) {
        const double preroll = 2 * 1152.0 * kOutputRate / std::max<uint32_t>(format_.sampleRate, 8000);
        while (index > 0 && position - blocks_[index].start < preroll) --index;
    }
    return index;
}

}  // namespace velmora::swf
