#include "swf/sound/mp3_file.h"

#include "swf/format/id3_tags.h"
#include "swf/sound/mp3_frame_header.h"

namespace velmora::swf {

namespace {

// How far into the file the first frame may start: past this it is not an MP3 file.
constexpr size_t kMaxLeadingGarbage = 64 * 1024;

// The first place where two frames follow each other: one header alone may be chance.
std::optional<size_t> firstFrame(std::span<const uint8_t> audio) {
    const size_t limit = std::min(audio.size(), kMaxLeadingGarbage);
    for (size_t at = 0; at + 4 <= limit; ++at) {
        const auto header = parseMp3FrameHeader(audio.subspan(at));
        if (!header) continue;
        const size_t next = at + size_t(header->frameBytes);
        if (next == audio.size() || (next < audio.size() && parseMp3FrameHeader(audio.subspan(next)))) return at;
    }
    return std::nullopt;
}

}  // namespace

std::shared_ptr<SoundCharacter> soundFromMp3File(std::span<const uint8_t> file, std::string& whyNot) {
    std::span<const uint8_t> audio = file;
    if (const size_t tag = id3v2Length(audio); tag > 0) audio = audio.subspan(std::min(tag, audio.size()));
    if (hasId3v1(audio)) audio = audio.first(audio.size() - 128);
    const auto start = firstFrame(audio);
    if (!start) {
        whyNot = "it holds no MP3 audio";
        return nullptr;
    }
    audio = audio.subspan(*start);
    const auto header = parseMp3FrameHeader(audio);
    size_t carry = 0;
    int rate = 0;
    const int64_t samples = countMp3Samples(audio, carry, rate);
    if (samples <= 0 || samples > int64_t(UINT32_MAX)) {
        whyNot = "its MP3 frames cannot be counted";
        return nullptr;
    }
    auto sound = std::make_shared<SoundCharacter>(0);
    sound->info.format = SoundFormat::Mp3;
    sound->info.sampleRate = uint32_t(header->sampleRate);
    sound->info.stereo = header->channels == 2;
    sound->info.is16Bit = true;
    sound->sampleCount = uint32_t(samples);
    sound->data.assign(audio.begin(), audio.end());
    return sound;
}

}  // namespace velmora::swf
