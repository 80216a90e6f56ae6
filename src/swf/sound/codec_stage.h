#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "swf/format/sound.h"
#include "swf/sound/resampler.h"

namespace velmora::swf {

// One codec's half of an AudioDecoder: turns encoded chunks into samples at the sound's own rate
// and passes them through the resampler. Works a bounded piece at a time, so that no chunk, however
// large or however much it claims, makes more than a few hundred kilobytes of samples at once.
class CodecStage {
public:
    virtual ~CodecStage() = default;

    // Starts on the next chunk: one stream block, or a DefineSound's whole data. The bytes must
    // stay alive until step() has returned false for them.
    virtual void begin(std::span<const uint8_t> chunk) = 0;
    // Decodes the next piece of the current chunk and appends its output to out. Returns false,
    // having appended nothing, when the chunk is used up. Corrupt data is skipped, never thrown.
    virtual bool step(Resampler& resampler, std::vector<int16_t>& out) = 0;
    // No chunk follows: hands over whatever the codec still holds back.
    virtual void finish(Resampler& resampler, std::vector<int16_t>& out) { (void)resampler, (void)out; }
};

// Uncompressed PCM, 8-bit unsigned or 16-bit little-endian, mono or stereo.
std::unique_ptr<CodecStage> makePcmStage(const SoundFormatInfo& format);
// SWF ADPCM, 2 to 5 bits a sample, mono or stereo.
std::unique_ptr<CodecStage> makeAdpcmStage(const SoundFormatInfo& format);
// MP3, Nellymoser and Speex through libavcodec; nullptr with the reason when libavcodec lacks the
// decoder.
std::unique_ptr<CodecStage> makeLibavStage(const SoundFormatInfo& format, std::string& whyNot);
// AAC, one raw frame a chunk, set up by its AudioSpecificConfig; nullptr with the reason when the
// setup is missing or damaged or libavcodec lacks the decoder.
std::unique_ptr<CodecStage> makeAacStage(std::span<const uint8_t> config, std::string& whyNot);

// The rate a format really runs at: the Nellymoser variants and Speex fix their own.
int effectiveSampleRate(const SoundFormatInfo& format);

}  // namespace velmora::swf
