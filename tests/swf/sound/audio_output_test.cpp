// The silent clock keeps real time; the WAV writer writes what sox and ffmpeg read.
#include <gtest/gtest.h>

#include <filesystem>

#include "audio_fixtures.h"
#include "swf/format/control_tags.h"
#include "swf/sound/mixer.h"
#include "swf/sound/silent_clock.h"
#include "swf/sound/wav_writer.h"

namespace velmora::swf {
namespace {

TEST(SilentClock, RendersExactlyTheElapsedTimeAndResumesAfterAStall) {
    Mixer mixer;
    double now = 100.0;
    SilentClock clock(mixer, [&] { return now; });
    EXPECT_FALSE(clock.audible());
    clock.service();
    EXPECT_EQ(mixer.renderedFrames(), 0);
    now += 0.1;
    clock.service();
    EXPECT_EQ(mixer.renderedFrames(), 4410);
    for (int i = 0; i < 1000; ++i) {  // ten seconds in 10 ms steps: no drift
        now += 0.01;
        clock.service();
    }
    EXPECT_NEAR(double(mixer.renderedFrames()), 4410 + 441000, 1);
    const int64_t before = mixer.renderedFrames();
    now += 30;  // the machine slept
    clock.service();
    EXPECT_EQ(mixer.renderedFrames() - before, int64_t(SilentClock::kMaxCatchUpSeconds * 44100));
    now += 0.01;
    clock.service();
    EXPECT_NEAR(double(mixer.renderedFrames() - before), SilentClock::kMaxCatchUpSeconds * 44100 + 441, 1);
    now -= 5;  // a clock going backwards renders nothing rather than a negative amount
    clock.service();
    EXPECT_NEAR(double(mixer.renderedFrames() - before), SilentClock::kMaxCatchUpSeconds * 44100 + 441, 1);
}

TEST(WavWriter, WritesAFileThatFfmpegReadsBackSampleForSample) {
    const std::string path = test::scratchDir() + "/writer.wav";
    std::vector<int16_t> samples;
    for (int i = 0; i < 44100; ++i) {
        samples.push_back(int16_t(i * 3));
        samples.push_back(int16_t(-i));
    }
    {
        WavWriter writer(path);
        EXPECT_TRUE(writer.write(samples.data(), 1000));
        EXPECT_TRUE(writer.write(samples.data() + 2000, 44100 - 1000));
        writer.close();
        EXPECT_EQ(writer.framesWritten(), 44100u);
    }
    EXPECT_EQ(std::filesystem::file_size(path), 44u + 44100 * 4);
    EXPECT_EQ(test::readWavSamples(path), samples);
    if (test::haveFfmpeg()) {
        EXPECT_EQ(test::ffmpegDecode(path, false), samples);
    } else if (test::fixturesRequired()) {
        ADD_FAILURE() << "the ffmpeg command-line tool is not installed, so the WAV file is not checked";
    }
    EXPECT_THROW(WavWriter("/nonexistent-dir/x.wav"), std::runtime_error);
}

}  // namespace
}  // namespace velmora::swf
