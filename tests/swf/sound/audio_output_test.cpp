// The silent clock keeps real time; the WAV writer writes what sox and ffmpeg read.
#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>

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

TEST(SilentClock, RendersItsLeadAheadAndShowsADeviceRunningDryWhenServicedLate) {
    Mixer mixer;
    double now = 10.0;
    std::vector<size_t> calls;  // frames of each tap call
    const auto tapped = [&] { return std::accumulate(calls.begin(), calls.end(), size_t(0)); };
    SilentClock clock(mixer, [&] { return now; }, "test", 0.1);
    clock.setTap([&](const int16_t*, size_t frames) { calls.push_back(frames); });
    clock.service();
    EXPECT_EQ(mixer.renderedFrames(), 4410);  // the lead, at once
    EXPECT_EQ(mixer.heardFrames(), 0);
    now += 0.05;  // within the lead: nothing ran dry
    clock.service();
    EXPECT_EQ(mixer.renderedFrames(), 4410 + 2205);
    EXPECT_EQ(tapped(), size_t(4410 + 2205));
    now += 0.3;  // 0.2 s past what was rendered: a device would have played silence meanwhile
    calls.clear();
    clock.service();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), size_t(8820));
    EXPECT_EQ(tapped(), size_t(8820 + 13230));
    // Asleep while nothing plays, then resumed: the time asleep is not owed, nothing runs dry.
    const int64_t before = mixer.renderedFrames();
    now += 60;
    clock.resume();
    calls.clear();
    clock.service();
    EXPECT_EQ(mixer.renderedFrames() - before, 4410);
    EXPECT_EQ(tapped(), size_t(4410));
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
