#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "swf/format/character.h"

namespace velmora::swf {

enum class SoundFormat : uint8_t {
    PcmNativeEndian = 0,  // read as little-endian, as every encoder writes it
    Adpcm = 1,
    Mp3 = 2,
    PcmLittleEndian = 3,
    Nellymoser16k = 4,
    Nellymoser8k = 5,
    Nellymoser = 6,
    Speex = 11,
};

// The common description of a sound's samples.
struct SoundFormatInfo {
    SoundFormat format = SoundFormat::Mp3;
    uint32_t sampleRate = 44100;  // 5512, 11025, 22050 or 44100 (Nellymoser and Speex: their own)
    bool is16Bit = true;
    bool stereo = false;
};

// DefineSound: an event sound.
struct SoundCharacter : Character {
    explicit SoundCharacter(uint16_t id) : Character(CharacterKind::Sound, id) {}

    SoundFormatInfo info;
    uint32_t sampleCount = 0;  // per channel
    // MP3 only: the samples to skip at the start (the file's SeekSamples); data follows it.
    int16_t mp3SeekSamples = 0;
    std::vector<uint8_t> data;  // the encoded samples (for MP3: the frames, seek field removed)
};

struct SoundEnvelopePoint {
    uint32_t position44 = 0;  // in samples at 44 kHz
    uint16_t leftLevel = 0;   // 0..32768
    uint16_t rightLevel = 0;
};

// How StartSound, StartSound2 and button sounds play an event sound.
struct SoundInfo {
    bool syncStop = false;
    bool syncNoMultiple = false;
    std::optional<uint32_t> inPoint;   // samples at 44 kHz
    std::optional<uint32_t> outPoint;
    uint16_t loops = 1;
    std::vector<SoundEnvelopePoint> envelope;
};

// SoundStreamHead and SoundStreamHead2: the stream sound of one timeline.
struct SoundStreamHead {
    SoundFormatInfo playback;  // what the player is asked to play at
    SoundFormatInfo stream;    // what the blocks carry
    uint16_t samplesPerBlock = 0;  // average samples a frame
    int16_t latencySeek = 0;       // MP3 only
};

}  // namespace velmora::swf
