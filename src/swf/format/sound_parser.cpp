#include "swf/format/sound_parser.h"

namespace velmora::swf {

namespace {

constexpr uint32_t kRates[4] = {5512, 11025, 22050, 44100};

SoundFormatInfo formatBits(BitReader& in, bool withFormat) {
    SoundFormatInfo info;
    if (withFormat) {
        uint32_t code = in.ub(4);
        // Without a known codec the samples cannot even be framed: the sound is dropped and the
        // rest of the movie plays.
        if (code > 6 && code != 11) throw MalformedData("unknown sound format " + std::to_string(code));
        info.format = static_cast<SoundFormat>(code);
    }
    info.sampleRate = kRates[in.ub(2)];
    info.is16Bit = in.flag();
    info.stereo = in.flag();
    // Nellymoser's fixed-rate variants say their rate in the format code, not the rate bits.
    if (info.format == SoundFormat::Nellymoser8k) info.sampleRate = 8000;
    if (info.format == SoundFormat::Nellymoser16k) info.sampleRate = 16000;
    if (info.format == SoundFormat::Speex) info.sampleRate = 16000;
    return info;
}

}  // namespace

std::shared_ptr<SoundCharacter> parseDefineSound(BitReader& in) {
    auto sound = std::make_shared<SoundCharacter>(in.u16());
    sound->info = formatBits(in, true);
    sound->sampleCount = in.u32();
    if (sound->info.format == SoundFormat::Mp3 && in.remaining() >= 2) sound->mp3SeekSamples = in.s16();
    auto data = in.rest();
    sound->data.assign(data.begin(), data.end());
    return sound;
}

SoundInfo parseSoundInfo(BitReader& in) {
    SoundInfo info;
    in.ub(2);
    info.syncStop = in.flag();
    info.syncNoMultiple = in.flag();
    bool hasEnvelope = in.flag();
    bool hasLoops = in.flag();
    bool hasOutPoint = in.flag();
    bool hasInPoint = in.flag();
    if (hasInPoint) info.inPoint = in.u32();
    if (hasOutPoint) info.outPoint = in.u32();
    if (hasLoops) info.loops = in.u16();
    if (hasEnvelope) {
        uint8_t count = in.u8();
        info.envelope.reserve(count);
        for (uint8_t i = 0; i < count; ++i) {
            SoundEnvelopePoint point;
            point.position44 = in.u32();
            point.leftLevel = in.u16();
            point.rightLevel = in.u16();
            info.envelope.push_back(point);
        }
    }
    return info;
}

SoundStreamHead parseSoundStreamHead(BitReader& in) {
    SoundStreamHead head;
    in.ub(4);
    head.playback = formatBits(in, false);
    head.stream = formatBits(in, true);
    head.playback.format = head.stream.format;
    head.samplesPerBlock = in.u16();
    if (head.stream.format == SoundFormat::Mp3 && in.remaining() >= 2) head.latencySeek = in.s16();
    return head;
}

}  // namespace velmora::swf
