// Whole movies heard through the runtime: MP3 narration on the main timeline, in a clip named
// "mp3_mc" that is paused, sought and resumed, in a file muxed by ffmpeg itself, and ten minutes
// of it on a virtual clock. The reference is always ffmpeg's decode of the same MP3 data.
#include <gtest/gtest.h>

#include <cmath>

#include "adpcm_encoder.h"
#include "audio_fixtures.h"
#include "support/swf_writer.h"
#include "swf/format/movie_loader.h"
#include "swf/runtime/clip.h"
#include "swf/sound/mp3_frame_header.h"
#include "swf/sound/virtual_playback.h"

namespace velmora::test {
namespace {

using swf::Clip;
using swf::MovieInstance;
using swf::VirtualPlayback;

// Packs MP3 frames into a timeline's stream as the authoring tools do: frame f's block holds the
// MP3 frames that begin before the end of frame f's time, and its seek samples say how far into
// the block frame f's time begins. Returns the number of frames written.
size_t packMp3Stream(SwfTagList& tags, const std::vector<std::vector<uint8_t>>& mp3, double fps) {
    const auto header = swf::parseMp3FrameHeader(mp3.front());
    const int rate = header->sampleRate;
    const int perMp3 = header->samplesPerFrame;
    const uint8_t rateCode = rate >= 44100 ? 3 : rate >= 22050 ? 2 : rate >= 11025 ? 1 : 0;
    tags.soundStreamHead2({2, rateCode, true, header->channels == 2}, uint16_t(rate / fps));
    size_t next = 0;
    size_t frames = 0;
    for (; next < mp3.size(); ++frames) {
        const double frameStart = double(frames) * rate / fps;
        const double frameEnd = double(frames + 1) * rate / fps;
        const int64_t blockStart = int64_t(next) * perMp3;
        std::vector<uint8_t> block(4);
        uint16_t count = 0;
        while (next < mp3.size() && double(int64_t(next) * perMp3) < frameEnd) {
            block.insert(block.end(), mp3[next].begin(), mp3[next].end());
            count = uint16_t(count + perMp3);
            ++next;
        }
        const int16_t seek = int16_t(std::llround(frameStart - double(blockStart)));
        block[0] = uint8_t(count & 0xff), block[1] = uint8_t(count >> 8);
        block[2] = uint8_t(uint16_t(seek) & 0xff), block[3] = uint8_t(uint16_t(seek) >> 8);
        if (count > 0) tags.soundStreamBlock(block);
        tags.showFrame();
    }
    return frames;
}

std::shared_ptr<const swf::Movie> parse(const SwfWriter& writer) {
    const auto bytes = writer.bytes();
    return swf::parseMovie(bytes);
}

Clip* childNamed(Clip& parent, const std::string& name) {
    for (auto& [depth, object] : parent.displayList()) {
        if (object->name == name && object->clip) return object->clip.get();
    }
    return nullptr;
}

std::vector<int16_t> slice(const std::vector<int16_t>& s, double fromSeconds, double seconds) {
    const size_t from = std::min(s.size(), size_t(fromSeconds * 44100) * 2);
    const size_t to = std::min(s.size(), from + size_t(seconds * 44100) * 2);
    return std::vector<int16_t>(s.begin() + long(from), s.begin() + long(to));
}

// Our sound matches the reference: correlated, aligned within one frame's time, without gaps.
void expectHeard(const std::vector<int16_t>& ours, const std::vector<int16_t>& reference, double fps) {
    const long oneFrame = long(44100 / fps);
    const Alignment a = align(ours, reference, oneFrame);
    EXPECT_GE(a.correlation, 0.99);
    EXPECT_LE(std::abs(a.lag), oneFrame);
    EXPECT_EQ(longestGap(ours, reference, a.lag), 0);
}

TEST(MovieSound, MainTimelineNarrationPlaysThroughLikeFfmpegsDecode) {
    VELMORA_REQUIRE_FFMPEG();
    const auto wav = makeChirpWav("root.wav", 44100, 2, 3.0);
    const auto mp3 = encode(wav, "root.mp3", "-c:a libmp3lame -b:a 96k -write_xing 0 -id3v2_version 0");
    SwfWriter writer;
    writer.frameRate(12);
    const size_t frames = packMp3Stream(writer, mp3Frames(readBytes(mp3)), 12);
    MovieInstance::Options options;
    options.loop = false;
    VirtualPlayback playback(parse(writer), options);
    std::vector<int16_t> ours;
    while (!playback.soundEnded() && playback.elapsed() < 6 * 44100) playback.run(441, &ours);
    const auto reference = ffmpegDecode(mp3, false);
    expectHeard(ours, reference, 12);
    // The picture kept pace: the last frame was reached with the last of the sound.
    EXPECT_EQ(playback.instance().root().currentFrame(), frames - 1);
    EXPECT_NEAR(double(playback.elapsed()), double(reference.size() / 2), 44100 / 12.0 + 441);
}

TEST(MovieSound, PcmAndAdpcmStreamsFollowTheirWav) {
    VELMORA_REQUIRE_FFMPEG();
    constexpr double fps = 12;
    const auto wav = makeChirpWav("stream.wav", 22050, 1, 2.0);
    const auto samples = readWavSamples(wav);
    const auto reference = ffmpegDecode(wav, true);
    const size_t perFrame = size_t(22050 / fps);
    for (const uint8_t format : {uint8_t(3), uint8_t(1)}) {
        SCOPED_TRACE(format == 3 ? "PCM" : "ADPCM");
        SwfWriter writer;
        writer.frameRate(fps);
        writer.soundStreamHead2({format, 2, true, false}, uint16_t(perFrame));
        for (size_t at = 0; at < samples.size(); at += perFrame) {
            const std::vector<int16_t> part(samples.begin() + long(at),
                                            samples.begin() + long(std::min(samples.size(), at + perFrame)));
            std::vector<uint8_t> block;
            if (format == 1) {
                block = encodeSwfAdpcm(part, 1, 4);  // each block starts its own ADPCM packet
            } else {
                for (int16_t v : part) block.push_back(uint8_t(v & 0xff)), block.push_back(uint8_t(uint16_t(v) >> 8));
            }
            writer.soundStreamBlock(block);
            writer.showFrame();
        }
        MovieInstance::Options options;
        options.loop = false;
        VirtualPlayback playback(parse(writer), options);
        std::vector<int16_t> ours;
        while (!playback.soundEnded() && playback.elapsed() < 4 * 44100) playback.run(441, &ours);
        expectHeard(ours, reference, fps);
    }
}

TEST(MovieSound, Mp3McClipPlaysPausesSeeksAndResumesOnTheRightSamples) {
    VELMORA_REQUIRE_FFMPEG();
    constexpr double fps = 12;
    const auto wav = makeChirpWav("clip.wav", 22050, 1, 5.0);
    const auto mp3 = encode(wav, "clip.mp3", "-c:a libmp3lame -b:a 48k -write_xing 0 -id3v2_version 0");
    SwfTagList clip;
    const size_t frames = packMp3Stream(clip, mp3Frames(readBytes(mp3)), fps);
    SwfWriter writer;
    writer.frameRate(fps);
    writer.defineSprite(1, clip);
    WriterPlacement place;
    place.depth = 1;
    place.characterId = 1;
    place.name = "mp3_mc";
    writer.placeObject2(place);
    writer.doAction({0x07, 0x00});  // stop: the root has one frame and waits
    writer.showFrame();
    const auto reference = ffmpegDecode(mp3, true);

    VirtualPlayback playback(parse(writer));
    Clip* mc = childNamed(playback.instance().root(), "mp3_mc");
    ASSERT_NE(mc, nullptr);
    ASSERT_EQ(mc->frameCount(), frames);

    // Play one second from the start.
    std::vector<int16_t> first;
    playback.run(44100, &first);
    expectHeard(first, slice(reference, 0, 1.0), fps);
    EXPECT_NEAR(double(mc->currentFrame()), fps, 1.0);

    // Pause: silence, and the clip holds its frame.
    mc->stop();
    const size_t held = mc->currentFrame();
    std::vector<int16_t> paused;
    playback.run(22050, &paused);
    EXPECT_EQ(rms(paused, swf::Mixer::kFadeOutFrames, paused.size() / 2), 0.0);
    EXPECT_EQ(mc->currentFrame(), held);

    // Seek to frame 30 while paused (TGotoFrame), then play (TPlay): frame 30's sound, 2.5 s in.
    mc->gotoFrame(30);
    mc->play();
    std::vector<int16_t> resumed;
    playback.run(44100, &resumed);
    expectHeard(resumed, slice(reference, 30 / fps, 1.0), fps);
    EXPECT_NEAR(double(mc->currentFrame()), 30 + fps, 1.0);

    // Seek while playing: straight on from frame 10's sound.
    mc->gotoFrame(10);
    std::vector<int16_t> jumped;
    playback.run(44100, &jumped);
    expectHeard(jumped, slice(reference, 10 / fps, 1.0), fps);
}

TEST(MovieSound, EventSoundLoopsFromItsStartSoundUntilStopSounds) {
    VELMORA_REQUIRE_FFMPEG();
    const auto wav = makeChirpWav("event.wav", 22050, 1, 1.5);
    const auto samples = readWavSamples(wav);
    std::vector<uint8_t> pcm;
    for (int16_t v : samples) pcm.push_back(uint8_t(v & 0xff)), pcm.push_back(uint8_t(uint16_t(v) >> 8));
    SwfWriter writer;
    writer.frameRate(12);
    writer.defineSound(1, {3, 2, true, false}, uint32_t(samples.size()), pcm);
    WriterSoundInfo info;
    info.loops = 3;
    writer.startSound(1, info);
    for (int f = 0; f < 36; ++f) writer.showFrame();
    writer.doAction({0x09, 0x00});  // StopSounds at frame 36: 3 s in, half-way through the second loop
    for (int f = 36; f < 60; ++f) writer.showFrame();
    MovieInstance::Options options;
    options.loop = false;
    VirtualPlayback playback(parse(writer), options);
    std::vector<int16_t> ours;
    playback.run(44100 * 4, &ours);
    const auto reference = ffmpegDecode(wav, true);
    expectHeard(slice(ours, 0, 1.5), reference, 12);
    expectHeard(slice(ours, 1.5, 1.4), slice(reference, 0, 1.4), 12);
    EXPECT_EQ(rms(ours, size_t(3.1 * 44100), size_t(4 * 44100)), 0.0);
}

TEST(MovieSound, FfmpegsOwnSwfMuxPlaysWithoutGaps) {
    VELMORA_REQUIRE_FFMPEG();
    const auto wav = makeChirpWav("muxed.wav", 22050, 1, 3.0);
    const auto swfPath = encode(wav, "muxed.swf", "-c:a libmp3lame -b:a 64k -f swf");
    const auto movie = swf::loadMovieFile(swfPath);
    ASSERT_TRUE(movie->root.streamHead);
    MovieInstance::Options options;
    options.loop = false;
    VirtualPlayback playback(movie, options);
    std::vector<int16_t> ours;
    while (!playback.soundEnded() && playback.elapsed() < 8 * 44100) playback.run(441, &ours);
    const double fps = movie->frameRate > 0 ? movie->frameRate : 12;
    expectHeard(ours, ffmpegDecode(swfPath, true), fps);
}

TEST(MovieSound, TenMinuteNarrationEndsItsTimelineWithItsSound) {
    VELMORA_REQUIRE_FFMPEG();
    constexpr double fps = 12;
    const std::string wav = scratchDir() + "/long.wav";
    runTool("ffmpeg -y -hide_banner -f lavfi -i \"sine=frequency=330:sample_rate=22050:duration=600\" \"" + wav + "\"");
    const auto mp3 = encode(wav, "long.mp3", "-c:a libmp3lame -b:a 24k -write_xing 0 -id3v2_version 0");
    const auto frames = mp3Frames(readBytes(mp3));
    const double audioSeconds = double(frames.size()) * 576 / 22050;
    ASSERT_GT(audioSeconds, 599.0);
    SwfWriter writer;
    writer.frameRate(fps);
    const size_t count = packMp3Stream(writer, frames, fps);
    MovieInstance::Options options;
    options.loop = false;
    // 40 ms steps: still finer than a frame, and the test stays a matter of seconds.
    VirtualPlayback playback(parse(writer), options, 1764);
    const Clip& root = playback.instance().root();
    double lastFrameAt = -1;
    while (playback.elapsed() < 620 * 44100 && lastFrameAt < 0) {
        playback.run(1764, nullptr);
        if (root.currentFrame() + 1 == count) lastFrameAt = double(playback.elapsed()) / 44100;
    }
    ASSERT_GT(lastFrameAt, 0);
    // The last frame is shown for the sound's last frame time: it ends within a frame of the sound.
    EXPECT_NEAR(lastFrameAt + 1 / fps, audioSeconds, 1 / fps + 0.04);
}

}  // namespace
}  // namespace velmora::test
