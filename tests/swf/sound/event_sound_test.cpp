// Event sounds as StartSound asks for them: start, stop, no-multiple, in and out points, loops,
// envelopes, StopSounds; and the mixer that sums them.
#include <gtest/gtest.h>

#include "swf/format/control_tags.h"
#include "swf/format/timeline.h"
#include "swf/sound/mixer.h"
#include "swf/sound/sound_channel.h"

namespace velmora::swf {
namespace {

// A 44.1 kHz mono 16-bit sound whose sample i has value f(i).
template <typename F>
SoundCharacter pcmSound(uint16_t id, size_t samples, F f) {
    SoundCharacter s(id);
    s.info = {SoundFormat::PcmLittleEndian, 44100, true, false};
    s.sampleCount = 4000000000u;  // claims are not believed
    for (size_t i = 0; i < samples; ++i) {
        const int16_t v = f(i);
        s.data.push_back(uint8_t(v & 0xff));
        s.data.push_back(uint8_t(uint16_t(v) >> 8));
    }
    return s;
}

StartSound start(uint16_t id, SoundInfo info = {}) {
    StartSound tag;
    tag.soundId = id;
    tag.info = std::move(info);
    return tag;
}

std::vector<int16_t> left(Mixer& mixer, size_t frames) {
    std::vector<int16_t> out(frames * 2);
    mixer.render(out.data(), frames);
    std::vector<int16_t> l(frames);
    for (size_t i = 0; i < frames; ++i) l[i] = out[2 * i];
    return l;
}

struct EventFixture : testing::Test {
    Mixer mixer;
    SoundChannel channel{mixer};
    SoundCharacter ramp = pcmSound(1, 1000, [](size_t i) { return int16_t(i + 1); });
    SoundCharacter level = pcmSound(2, 2000, [](size_t) { return int16_t(10000); });
};

TEST_F(EventFixture, PlaysOnceToItsEndThenFallsSilent) {
    channel.startSound(start(1), &ramp);
    auto out = left(mixer, 1200);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[999], 1000);
    EXPECT_EQ(out[1000], 0);
    EXPECT_EQ(channel.eventSoundCount(), 0u);
    // A sample count short of the data ends the sound there (the encoder's padding is not heard).
    ramp.sampleCount = 600;
    channel.startSound(start(1), &ramp);
    out = left(mixer, 700);
    EXPECT_EQ(out[599], 600);
    EXPECT_EQ(out[600], 0);
}

TEST_F(EventFixture, InAndOutPointsCutTheSoundAndLoopsRepeatTheCut) {
    SoundInfo info;
    info.inPoint = 100;
    info.outPoint = 300;
    info.loops = 3;
    channel.startSound(start(1, info), &ramp);
    auto out = left(mixer, 700);
    for (int loop = 0; loop < 3; ++loop) {
        EXPECT_EQ(out[size_t(loop) * 200], 101) << loop;
        EXPECT_EQ(out[size_t(loop) * 200 + 199], 300) << loop;
    }
    EXPECT_EQ(out[600], 0);
}

TEST_F(EventFixture, EnvelopeShapesEachSideBetweenItsPoints) {
    SoundInfo info;
    info.envelope = {{0, 0, 32768}, {1000, 32768, 0}};
    channel.startSound(start(2, info), &level);
    std::vector<int16_t> out(1500 * 2);
    mixer.render(out.data(), 1500);
    EXPECT_EQ(out[0], 0);                    // left starts silent
    EXPECT_EQ(out[1], 10000);                // right at full level
    EXPECT_NEAR(out[2 * 500], 5000, 10);     // half way: both at half
    EXPECT_NEAR(out[2 * 500 + 1], 5000, 10);
    EXPECT_EQ(out[2 * 1200], 10000);         // after the last point its levels hold
    EXPECT_EQ(out[2 * 1200 + 1], 0);
}

TEST_F(EventFixture, StopAndNoMultipleAffectOnlyThatSound) {
    SoundInfo noMultiple;
    noMultiple.syncNoMultiple = true;
    channel.startSound(start(1), &ramp);
    channel.startSound(start(1, noMultiple), &ramp);  // already playing: ignored
    channel.startSound(start(2), &level);
    EXPECT_EQ(channel.eventSoundCount(), 2u);
    channel.startSound(start(1), &ramp);  // without the flag: a second copy
    EXPECT_EQ(channel.eventSoundCount(), 3u);
    SoundInfo stop;
    stop.syncStop = true;
    channel.startSound(start(1, stop), &ramp);
    EXPECT_EQ(channel.eventSoundCount(), 1u);
    EXPECT_EQ(left(mixer, 1)[0], 10000);
    channel.stopAllSounds();
    EXPECT_EQ(left(mixer, 1)[0], 0);
    channel.startSound(start(7), nullptr);  // an id that names no sound
    EXPECT_EQ(mixer.voiceCount(), 0u);
}

TEST_F(EventFixture, HostileLoopsAndPointsStayBounded) {
    // 65535 loops of a sound whose in point lies past its end: nothing to play, finished at once.
    SoundInfo info;
    info.inPoint = 5000;
    info.loops = 65535;
    channel.startSound(start(1, info), &ramp);
    left(mixer, 100);
    EXPECT_EQ(mixer.voiceCount(), 0u);
    // An empty sound, and an out point before the in point.
    SoundCharacter empty(3);
    empty.info = ramp.info;
    channel.startSound(start(3), &empty);
    SoundInfo backwards;
    backwards.inPoint = 500;
    backwards.outPoint = 100;
    backwards.loops = 1000;
    channel.startSound(start(1, backwards), &ramp);
    left(mixer, 100);
    EXPECT_EQ(mixer.voiceCount(), 0u);
    // A movie that starts a sound every frame cannot pile up voices.
    for (int i = 0; i < 100; ++i) channel.startSound(start(2), &level);
    EXPECT_EQ(channel.eventSoundCount(), SoundChannel::kMaxEventSounds);
}

TEST_F(EventFixture, TheMixerClipsLoudSumsInsteadOfWrappingAround) {
    SoundCharacter loud = pcmSound(4, 100, [](size_t i) { return int16_t(i % 2 ? -30000 : 30000); });
    channel.startSound(start(4), &loud);
    channel.startSound(start(4), &loud);
    auto out = left(mixer, 2);
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(out[1], -32768);
    EXPECT_EQ(mixer.renderedFrames(), 2);
}

TEST(EventSoundMp3, SeekSamplesAreSkippedAtTheStart) {
    // An MP3 event sound with 1152 seek samples of a 1152-sample frame of silence: the sound
    // starts with the second frame. Checked by length: two frames of 22.05 kHz MPEG-2 (576
    // samples each, 1152 output frames each), seek 576 → 1152 output frames remain.
    SoundCharacter s(5);
    s.info = {SoundFormat::Mp3, 22050, true, false};
    s.mp3SeekSamples = 576;
    for (int i = 0; i < 2; ++i) {
        std::vector<uint8_t> f = {0xff, 0xf3, 0x50, 0xc4};
        f.resize(72 * 40000 / 22050, 0);
        s.data.insert(s.data.end(), f.begin(), f.end());
    }
    Mixer mixer;
    SoundChannel channel(mixer);
    channel.startSound(start(5), &s);
    size_t frames = 0;
    std::vector<int16_t> out(2 * 64);
    for (int i = 0; i < 100 && mixer.voiceCount() > 0; ++i, frames += 64) mixer.render(out.data(), 64);
    EXPECT_NEAR(double(frames), 1152.0, 64 + 64);
}

// What a script's Sound object does with an event sound: start at an offset with loops, change
// volume and pan, read the position back, stop, and hear of the end on its own thread.
TEST_F(EventFixture, ScriptedSoundsStartAtAnOffsetLoopAndTellTheirEnd) {
    std::vector<bool> endings;
    const uint64_t id = channel.playSound(&ramp, 500.0 / 44100, 2, {}, [&](bool ranOut) { endings.push_back(ranOut); });
    ASSERT_NE(id, 0u);
    auto out = left(mixer, 600);
    EXPECT_EQ(out[0], 501);  // 500 samples in
    EXPECT_EQ(out[499], 1000);
    EXPECT_EQ(out[500], 501);  // the second loop starts at the offset too
    ASSERT_TRUE(channel.soundPosition(id));
    EXPECT_NEAR(*channel.soundPosition(id), 600.0 / 44100, 1e-9);
    EXPECT_TRUE(endings.empty());  // told only on the control side, when collected
    left(mixer, 500);
    EXPECT_TRUE(endings.empty());
    mixer.collectEnded();
    EXPECT_EQ(endings, std::vector<bool>{true});
    EXPECT_FALSE(channel.soundPosition(id));

    // Volume and pan: half volume panned fully left leaves the right side silent.
    const uint64_t quiet = channel.playSound(&level, 0, 1, ChannelTransform::volumeAndPan(50, -100),
                                             [&](bool ranOut) { endings.push_back(ranOut); });
    std::vector<int16_t> both(20);
    mixer.render(both.data(), 10);
    EXPECT_EQ(both[0], 5000);
    EXPECT_EQ(both[1], 0);
    // The full 2x2 transform: the left side heard on the right.
    channel.setSoundTransform(quiet, {0.0f, 0.0f, 1.0f, 0.0f});
    mixer.render(both.data(), 10);
    EXPECT_EQ(both[0], 0);
    EXPECT_EQ(both[1], 10000);
    channel.stopSound(quiet);
    mixer.render(both.data(), 10);
    EXPECT_EQ(both[1], 0);
    mixer.collectEnded();
    EXPECT_EQ(endings, (std::vector<bool>{true, false}));  // stopped, not completed

    EXPECT_EQ(channel.playSound(nullptr, 0, 1), 0u);
}

TEST(MixerCommands, AControlSideThatOutrunsTheAudioSideNeverHangs) {
    // Nobody renders: the queue fills, the caller waits a moment once, then commands are dropped.
    Mixer mixer;
    SoundChannel channel(mixer);
    SoundCharacter s = pcmSound(1, 10, [](size_t) { return int16_t(1); });
    for (size_t i = 0; i < Mixer::kCommandCapacity * 2; ++i) channel.playSound(&s, 0, 1);
    EXPECT_GT(mixer.droppedCommands(), 0u);
    // A stream that could not be queued does not hold its timeline on its first frame.
    Timeline t;
    t.streamHead = SoundStreamHead{};
    t.streamHead->stream = {SoundFormat::PcmLittleEndian, 44100, true, false};
    t.frames.resize(3);
    for (auto& frame : t.frames) frame.tags.push_back(SoundStreamBlock{std::make_shared<std::vector<uint8_t>>(8820, 1)});
    int key = 0;
    channel.playStream(&key, t, 10, 0);
    EXPECT_FALSE(channel.streamPositionOf(&key));
    std::vector<int16_t> out(2 * 10);
    mixer.render(out.data(), 10);
    EXPECT_LE(out[0], int16_t(SoundChannel::kMaxEventSounds));
}

}  // namespace
}  // namespace velmora::swf
