// Stream sound on the output clock: which frame's sound is heard when, through play, stop, seek
// and the end of the sound. Built from PCM blocks whose samples name their frame, so every
// sample can be traced to the frame it came from.
#include <gtest/gtest.h>

#include <cmath>

#include "swf/format/timeline.h"
#include "swf/sound/mixer.h"
#include "swf/sound/sound_channel.h"
#include "swf/sound/stream_track.h"

namespace velmora::swf {
namespace {

constexpr double kFps = 10;               // 4410 output frames a timeline frame
constexpr size_t kPerFrame = 4410;

// A timeline of `frames` frames; frame f (from firstSounding on) carries a 44.1 kHz mono PCM
// block of `perBlock` samples, each of value 100 * (f + 1).
Timeline pcmTimeline(size_t frames, size_t firstSounding = 0, size_t perBlock = kPerFrame) {
    Timeline t;
    t.streamHead = SoundStreamHead{};
    t.streamHead->stream = {SoundFormat::PcmLittleEndian, 44100, true, false};
    t.streamHead->playback = t.streamHead->stream;
    t.streamHead->samplesPerBlock = uint16_t(perBlock);
    t.frames.resize(frames);
    for (size_t f = firstSounding; f < frames; ++f) {
        auto data = std::make_shared<std::vector<uint8_t>>();
        const int16_t v = int16_t(100 * (f + 1));
        for (size_t i = 0; i < perBlock; ++i) data->push_back(uint8_t(v & 0xff)), data->push_back(uint8_t(v >> 8));
        t.frames[f].tags.push_back(SoundStreamBlock{data});
    }
    return t;
}

// The frame a rendered sample came from (-1 for silence).
int frameOf(int16_t sample) { return sample == 0 ? -1 : sample / 100 - 1; }

std::vector<int16_t> render(Mixer& mixer, size_t frames) {
    std::vector<int16_t> out(frames * 2);
    mixer.render(out.data(), frames);
    return out;
}

struct StreamFixture : testing::Test {
    Mixer mixer;
    SoundChannel channel{mixer};
    int key = 0;  // stands for a clip
};

TEST_F(StreamFixture, PlaysFromTheRequestedFrameAndReportsTheFrameBeingHeard) {
    const Timeline t = pcmTimeline(20);
    channel.playStream(&key, t, kFps, 5);
    ASSERT_TRUE(channel.streamPositionOf(&key));
    EXPECT_DOUBLE_EQ(*channel.streamPositionOf(&key), 5.0);
    auto out = render(mixer, kPerFrame * 2 + kPerFrame / 2);
    EXPECT_EQ(frameOf(out[0]), 5);
    EXPECT_EQ(frameOf(out[1]), 5);  // mono is heard on both sides
    EXPECT_EQ(frameOf(out[2 * kPerFrame]), 6);
    EXPECT_EQ(frameOf(out.back()), 7);
    EXPECT_NEAR(*channel.streamPositionOf(&key), 7.5, 1e-9);

    // What the device still holds unheard is not yet heard: the picture waits for it.
    mixer.setUnheardFrames(kPerFrame);
    EXPECT_NEAR(*channel.streamPositionOf(&key), 6.5, 1e-9);
    mixer.setUnheardFrames(0);
}

TEST_F(StreamFixture, StopSilencesAndAGotoResumesAtThatFramesFirstSample) {
    const Timeline t = pcmTimeline(20);
    channel.playStream(&key, t, kFps, 0);
    render(mixer, 1000);
    channel.stopStream(&key);
    EXPECT_FALSE(channel.streamPositionOf(&key));
    // A 5 ms fade rather than a click, then silence.
    auto quiet = render(mixer, 1000);
    EXPECT_GT(quiet[0], 90);
    for (size_t i = 1; i < Mixer::kFadeOutFrames; ++i) EXPECT_LE(quiet[2 * i], quiet[2 * i - 2]);
    EXPECT_TRUE(std::all_of(quiet.begin() + 2 * Mixer::kFadeOutFrames, quiet.end(), [](int16_t s) { return s == 0; }));

    channel.playStream(&key, t, kFps, 12);
    auto out = render(mixer, 10);
    EXPECT_EQ(frameOf(out[0]), 12);
    EXPECT_EQ(mixer.voiceCount(), 1u);
}

TEST_F(StreamFixture, PlayingAgainWithinTheFrameBeingHeardDoesNotRestart) {
    const Timeline t = pcmTimeline(20);
    channel.playStream(&key, t, kFps, 3);
    render(mixer, kPerFrame / 2);
    channel.playStream(&key, t, kFps, 3);  // a second play press: no stutter
    EXPECT_NEAR(*channel.streamPositionOf(&key), 3.5, 1e-9);
    channel.playStream(&key, t, kFps, 4);  // a real move
    EXPECT_DOUBLE_EQ(*channel.streamPositionOf(&key), 4.0);
}

TEST_F(StreamFixture, RunsOutAtTheEndOfTheLastBlockAndLoopsWhenAskedAgain) {
    const Timeline t = pcmTimeline(4);
    channel.playStream(&key, t, kFps, 2);
    render(mixer, kPerFrame * 2 - 1);
    ASSERT_TRUE(channel.streamPositionOf(&key));
    EXPECT_GT(*channel.streamPositionOf(&key), 3.99);
    EXPECT_LT(*channel.streamPositionOf(&key), 4.0);
    render(mixer, 2);
    EXPECT_FALSE(channel.streamPositionOf(&key));  // the timeline runs on its own clock now
    EXPECT_EQ(mixer.voiceCount(), 0u);
    channel.playStream(&key, t, kFps, 0);  // the timeline looped
    EXPECT_EQ(frameOf(render(mixer, 1)[0]), 0);
}

TEST_F(StreamFixture, FramesBeforeTheFirstBlockPassInSilenceAtTheFrameRate) {
    const Timeline t = pcmTimeline(10, 3);
    channel.playStream(&key, t, kFps, 0);
    auto out = render(mixer, kPerFrame * 3 + 10);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[2 * (kPerFrame * 3 - 1)], 0);
    EXPECT_EQ(frameOf(out[2 * kPerFrame * 3]), 3);
    EXPECT_NEAR(*channel.streamPositionOf(&key), 3.0 + 10.0 / kPerFrame, 1e-9);
}

TEST_F(StreamFixture, BlocksShorterThanTheirFramesPlayWithoutGapsAndDriveTheFramesFaster) {
    // A muxer that puts half a frame's sound in each block: the sound is continuous, and the
    // timeline, following it, shows two frames in one frame's time.
    const Timeline t = pcmTimeline(20, 0, kPerFrame / 2);
    channel.playStream(&key, t, kFps, 0);
    auto out = render(mixer, kPerFrame);
    for (size_t i = 0; i < kPerFrame; ++i) ASSERT_NE(out[2 * i], 0) << i;
    EXPECT_EQ(frameOf(out[2 * (kPerFrame / 2)]), 1);
    EXPECT_NEAR(*channel.streamPositionOf(&key), 2.0, 1e-9);
}

TEST_F(StreamFixture, EachClipHasItsOwnStreamAndStopAllSilencesThemAll) {
    const Timeline a = pcmTimeline(10);
    const Timeline b = pcmTimeline(10);
    int other = 0;
    channel.playStream(&key, a, kFps, 1);
    channel.playStream(&other, b, kFps, 2);
    auto out = render(mixer, 1);
    EXPECT_EQ(out[0], 200 + 300);  // both heard, summed
    channel.stopAllSounds();
    EXPECT_FALSE(channel.streamPositionOf(&other));
    render(mixer, Mixer::kFadeOutFrames);
    EXPECT_EQ(mixer.voiceCount(), 0u);
}

TEST_F(StreamFixture, TimelinesWithoutSoundOrWithoutHeadAreIgnored) {
    Timeline none = pcmTimeline(5);
    none.streamHead.reset();
    channel.playStream(&key, none, kFps, 0);
    EXPECT_EQ(mixer.voiceCount(), 0u);
    Timeline empty = pcmTimeline(5, 5);
    channel.playStream(&key, empty, kFps, 0);
    EXPECT_FALSE(channel.streamPositionOf(&key));
}

TEST(SoundChannelLifetime, DestroyingTheChannelSilencesItsSounds) {
    Mixer mixer;
    const Timeline t = pcmTimeline(5);
    int key = 0;
    {
        SoundChannel channel(mixer);
        channel.playStream(&key, t, kFps, 0);
        EXPECT_EQ(mixer.voiceCount(), 1u);
    }
    // The stream fades out on its own blocks, after its movie is gone.
    render(mixer, Mixer::kFadeOutFrames);
    EXPECT_EQ(mixer.voiceCount(), 0u);
}

// An MP3 frame of `samples` (1152: MPEG-1 44.1 kHz, 576: MPEG-2 22.05 kHz) at 64 kbit/s: a valid
// header and zeros, enough for the table, which only reads headers.
std::vector<uint8_t> fakeMp3Frame(bool mpeg1) {
    // 0xFFFB: MPEG-1 layer III; 0xFFF3: MPEG-2. Bit-rate index 5 (64 / 40 kbit/s), 44.1 / 22.05 kHz.
    std::vector<uint8_t> f = {0xff, uint8_t(mpeg1 ? 0xfb : 0xf3), 0x50, 0xc4};
    const int bytes = mpeg1 ? 144 * 64000 / 44100 : 72 * 40000 / 22050;
    f.resize(size_t(bytes), 0);
    return f;
}

Timeline mp3Timeline(const std::vector<std::pair<int, int16_t>>& framesAndSeeks, bool mpeg1 = true) {
    Timeline t;
    t.streamHead = SoundStreamHead{};
    t.streamHead->stream = {SoundFormat::Mp3, 44100, true, false};
    for (auto [count, seek] : framesAndSeeks) {
        Frame frame;
        if (count >= 0) {
            auto data = std::make_shared<std::vector<uint8_t>>();
            const uint16_t samples = uint16_t(count * (mpeg1 ? 1152 : 576));
            *data = {uint8_t(samples & 0xff), uint8_t(samples >> 8), uint8_t(uint16_t(seek) & 0xff), uint8_t(uint16_t(seek) >> 8)};
            for (int i = 0; i < count; ++i) {
                auto f = fakeMp3Frame(mpeg1);
                data->insert(data->end(), f.begin(), f.end());
            }
            frame.tags.push_back(SoundStreamBlock{data});
        }
        t.frames.push_back(std::move(frame));
    }
    return t;
}

TEST(StreamTrackLayout, Mp3FramesStartAtTheirBlockPlusSeekSamples) {
    // Frames of 4410 samples at 10 fps; MP3 frames of 1152 samples. Blocks hold 4, 4, 3, 4 frames.
    const Timeline t = mp3Timeline({{4, 0}, {4, 198}, {3, 396}, {4, 0}});
    const StreamTrack track(t, kFps);
    ASSERT_EQ(track.blocks().size(), 4u);
    EXPECT_DOUBLE_EQ(track.frameStart(0), 0);
    EXPECT_DOUBLE_EQ(track.frameStart(1), 4 * 1152 + 198);
    EXPECT_DOUBLE_EQ(track.frameStart(2), 8 * 1152 + 396);
    EXPECT_DOUBLE_EQ(track.frameStart(3), 11 * 1152);
    EXPECT_DOUBLE_EQ(track.end(), 15 * 1152);
    EXPECT_DOUBLE_EQ(track.frameAt(4 * 1152 + 198), 1.0);
    EXPECT_NEAR(track.frameAt(11 * 1152 + 576), 3.0 + 576.0 / 4410, 1e-9);
    // An MP3 decoder needs about two frames before the one heard for its bit reservoir.
    EXPECT_EQ(track.decodeStartBlock(track.frameStart(2)), 1u);
    EXPECT_EQ(track.decodeStartBlock(track.frameStart(1)), 0u);
    EXPECT_EQ(track.decodeStartBlock(track.end()), 4u);
}

TEST(StreamTrackLayout, LowRateMp3IsCountedAtItsOwnRateWhateverTheHeadClaims) {
    // The head says 44.1 kHz; the frames are MPEG-2 at 22.05 kHz: 576 samples, 1152 output frames.
    const Timeline t = mp3Timeline({{2, 0}, {2, 0}}, false);
    const StreamTrack track(t, kFps);
    EXPECT_DOUBLE_EQ(track.frameStart(1), 2 * 1152);
    EXPECT_EQ(track.format().sampleRate, 22050u);
}

TEST(StreamTrackLayout, HostileCountsAndSeeksCannotBreakTheTable) {
    // SampleCount fields lie (they are ignored); a seek runs backwards; a frame has no block.
    Timeline t = mp3Timeline({{2, 0}, {-1, 0}, {2, -30000}, {2, 32767}});
    (*std::const_pointer_cast<std::vector<uint8_t>>(
        std::get<SoundStreamBlock>(t.frames[0].tags[0]).data))[0] = 0xff;
    const StreamTrack track(t, kFps);
    for (size_t f = 1; f < 4; ++f) EXPECT_GE(track.frameStart(f), track.frameStart(f - 1));
    EXPECT_DOUBLE_EQ(track.end(), 6 * 1152);
    // A frame rate of zero or NaN does not divide by zero.
    EXPECT_GT(StreamTrack(t, 0).framePeriod(), 0);
    EXPECT_GT(StreamTrack(t, std::nan("")).framePeriod(), 0);
}

}  // namespace
}  // namespace velmora::swf
