// FLV files with H.264 pictures and AAC, ADPCM, Nellymoser and Speex sound, made here by
// libavcodec's encoders: the pictures in the order they are shown, each sound mixed at its level
// and in time with the pictures, what cannot be played reported, and damaged files survived.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "flv_encoder.h"
#include "swf/sound/mixer.h"
#include "swf/video/flv_file.h"
#include "swf/video/flv_media.h"
#include "video_fixtures.h"

namespace velmora::test {
namespace {

constexpr double kMinPsnr = 35.0;
constexpr int kRate = 44100;

#define REQUIRE_ENCODERS(...)                                                                      \
    do {                                                                                           \
        for (const char* name : {__VA_ARGS__}) {                                                   \
            if (haveEncoder(name)) continue;                                                       \
            if (fixturesRequired()) FAIL() << "libavcodec's " << name << " encoder is required";   \
            GTEST_SKIP() << "this libavcodec has no " << name << " encoder";                       \
        }                                                                                          \
    } while (0)

std::unique_ptr<swf::StreamMedia> open(swf::FlvMediaOpener& opener, const EncodedFlv& flv) {
    std::string error;
    auto media = opener.openFlv(flv.bytes, error);
    EXPECT_TRUE(media) << error;
    return media;
}

QImage shown(const swf::StreamMedia& media) {
    const QImage* p = swf::flvPicture(media);
    return p ? *p : QImage();
}

// The left channel of `seconds` of the mix.
std::vector<int16_t> mixLeft(swf::Mixer& mixer, double seconds) {
    const size_t frames = size_t(seconds * kRate);
    std::vector<int16_t> pcm(frames * 2);
    for (size_t at = 0; at < frames; at += 1024) mixer.render(pcm.data() + at * 2, std::min<size_t>(1024, frames - at));
    std::vector<int16_t> left(frames);
    for (size_t i = 0; i < frames; ++i) left[i] = pcm[i * 2];
    return left;
}

// Where the tone is heard: from its first loud sample to its last, in seconds.
struct Heard {
    double from = -1;
    double to = -1;
};
Heard heard(const std::vector<int16_t>& left) {
    Heard h;
    for (size_t i = 0; i < left.size(); ++i) {
        if (std::abs(left[i]) < 6000) continue;
        if (h.from < 0) h.from = double(i) / kRate;
        h.to = double(i) / kRate;
    }
    return h;
}

double rms(const std::vector<int16_t>& left, double from, double to) {
    double energy = 0;
    const size_t a = size_t(from * kRate);
    const size_t b = size_t(to * kRate);
    for (size_t i = a; i < b; ++i) energy += double(left[i]) * left[i];
    return std::sqrt(energy / double(b - a));
}

int crossings(const std::vector<int16_t>& left, double from, double to) {
    int n = 0;
    for (size_t i = size_t(from * kRate) + 1; i < size_t(to * kRate); ++i) n += (left[i] < 0) != (left[i - 1] < 0);
    return n;
}

TEST(FlvCodecs, H264PicturesComeInTheirTurnThroughBFramesAndSeeks) {
    REQUIRE_ENCODERS("libx264");
    const EncodedFlv flv = encodeFlv({.sound = ""});
    swf::FlvMediaOpener opener(nullptr);
    auto media = open(opener, flv);
    ASSERT_TRUE(media);
    EXPECT_EQ(media->info().problem, "");
    EXPECT_EQ(media->pictureWidth(), 160);
    EXPECT_NEAR(media->info().duration, 2.0, 0.05);
    // Every picture in turn, then jumps back and forth across keyframes (at 0 s and 1 s).
    std::vector<int> order;
    for (int i = 0; i < 50; ++i) order.push_back(i);
    for (int i : {33, 7, 49, 24, 25, 26, 12, 40}) order.push_back(i);
    for (int i : order) {
        media->showAt(flv.shift + i / 25.0);
        EXPECT_GE(psnr(shown(*media), flv.pictures[size_t(i)]), kMinPsnr) << "picture " << i;
    }
}

// A file that sends its configuration anew halfway, at another size: both halves show, in turn
// and after seeks across the change.
TEST(FlvCodecs, H264FilesThatChangeTheirConfigurationShowBothHalves) {
    REQUIRE_ENCODERS("libx264");
    const EncodedFlv flv = encodeFlv({.sound = "", .frames = 40, .gop = 10, .bFrames = 0, .resizeAt = 20});
    ASSERT_EQ(flv.pictures[25].width(), 320);
    swf::FlvMediaOpener opener(nullptr);
    auto media = open(opener, flv);
    ASSERT_TRUE(media);
    for (int i : {0, 5, 19, 20, 21, 30, 39, 8, 35, 12, 22}) {
        media->showAt(flv.shift + i / 25.0);
        EXPECT_GE(psnr(shown(*media), flv.pictures[size_t(i)]), kMinPsnr) << "picture " << i;
    }
}

TEST(FlvCodecs, EachSoundIsMixedAtItsLevelInTimeWithThePictures) {
    struct Case {
        const char* encoder;
        int rate;
        int channels;
    };
    for (const Case& c : {Case{"aac", 44100, 2}, Case{"adpcm_swf", 22050, 1}, Case{"nellymoser", 22050, 1},
                          Case{"libspeex", 16000, 1}}) {
        SCOPED_TRACE(c.encoder);
        REQUIRE_ENCODERS("libx264", c.encoder);
        const EncodedFlv flv = encodeFlv({.sound = c.encoder, .sampleRate = c.rate, .channels = c.channels});
        swf::Mixer mixer;
        swf::FlvMediaOpener opener(&mixer);
        auto media = open(opener, flv);
        ASSERT_TRUE(media);
        EXPECT_EQ(media->info().problem, "");
        EXPECT_TRUE(media->info().hasAudio);

        // Silence, then the tone from half a second to two seconds in (the codecs' own delays,
        // AAC's priming the largest, are a few tens of milliseconds). The stream's clock follows
        // what was heard, and the tone is heard when the clock says its time has come.
        media->playSound(0);
        std::vector<int16_t> left = mixLeft(mixer, 1.0);
        ASSERT_TRUE(media->soundTime());
        const double clockAtStart = *media->soundTime() - 1.0;
        EXPECT_NEAR(clockAtStart, 0, 0.1);
        const std::vector<int16_t> rest = mixLeft(mixer, 1.5);
        left.insert(left.end(), rest.begin(), rest.end());
        const Heard h = heard(left);
        EXPECT_NEAR(clockAtStart + h.from, flv.shift + 0.5, 0.04);
        EXPECT_NEAR(clockAtStart + h.to, flv.shift + 2.0, 0.06);
        EXPECT_NEAR(crossings(left, 1.0, 1.5), 1000, 12) << "a 1 kHz tone";
        EXPECT_NEAR(rms(left, 1.0, 1.5), 0.5 * 32767 / std::sqrt(2.0), 2500);
        EXPECT_FALSE(media->soundTime()) << "the sound has played out";

        // From a point inside the sound: heard at once, and for what is left of it.
        media->playSound(flv.shift + 1.25);
        const Heard later = heard(mixLeft(mixer, 1.0));
        EXPECT_NEAR(later.from, 0.0, 0.03);
        EXPECT_NEAR(later.to, 0.75, 0.08);
        media->stopSound();
    }
}

TEST(FlvCodecs, AnUnplayableSoundIsNamedOnceAndThePicturesStillPlay) {
    REQUIRE_ENCODERS("libx264", "pcm_mulaw");
    const EncodedFlv flv = encodeFlv({.sound = "pcm_mulaw", .sampleRate = 8000});
    swf::Mixer mixer;
    swf::FlvMediaOpener opener(&mixer);
    auto media = open(opener, flv);
    ASSERT_TRUE(media);
    EXPECT_EQ(media->info().problem, "its pcm_mulaw sound is not played");
    EXPECT_FALSE(media->info().hasAudio);
    media->playSound(0);
    EXPECT_EQ(mixer.voiceCount(), 0u);
    media->showAt(flv.shift + 0.4);
    EXPECT_GE(psnr(shown(*media), flv.pictures[10]), kMinPsnr);
}

// Runs of bytes overwritten across the file, and every H.264 packet's first unit said to run
// past its packet: each file is refused or plays what it can, under the sanitizers.
TEST(FlvCodecs, DamagedFilesOfTheNewCodecsNeverCrashOrHang) {
    REQUIRE_ENCODERS("libx264", "aac", "adpcm_swf", "libspeex");
    swf::Mixer mixer;
    swf::FlvMediaOpener opener(&mixer);
    std::vector<int16_t> pcm(8192 * 2);
    auto exercise = [&](const std::vector<uint8_t>& bytes, const std::string& what) {
        std::string error;
        auto media = opener.openFlv(bytes, error);
        if (!media) {
            EXPECT_FALSE(error.empty()) << what;
            return;
        }
        EXPECT_LE(media->info().duration, swf::FlvLimits::kMaxDuration) << what;
        for (double t : {0.0, 0.7, 1.3, 0.2, 2.0}) media->showAt(t);
        EXPECT_LE(media->pictureWidth(), 4096) << what;
        for (double t : {0.0, 1.5}) {
            media->playSound(t);
            for (int i = 0; i < 4; ++i) mixer.render(pcm.data(), 8192);
        }
        media->stopSound();
    };
    for (const char* sound : {"aac", "adpcm_swf", "libspeex"}) {
        const bool speex = std::string(sound) == "libspeex";
        const EncodedFlv flv = encodeFlv({.sound = sound, .frames = 25, .sampleRate = speex ? 16000 : 22050, .soundSeconds = 1.0});
        const std::vector<uint8_t>& whole = flv.bytes;
        ASSERT_FALSE(whole.empty());
        for (size_t at = 9; at < whole.size(); at += whole.size() / 19 + 1) {
            for (uint8_t fill : {uint8_t(0x00), uint8_t(0xFF)}) {
                std::vector<uint8_t> bytes = whole;
                for (size_t i = at; i < std::min(bytes.size(), at + 16); ++i) bytes[i] = fill;
                exercise(bytes, std::string(sound) + " overwritten at " + std::to_string(at));
            }
        }
    }
    // The H.264 packets' first unit lengths (after the tag header, the codec byte, the packet
    // type and the composition offset) made to claim more than the packet holds.
    const EncodedFlv flv = encodeFlv({.sound = "", .frames = 25, .soundSeconds = 0});
    std::vector<uint8_t> bytes = flv.bytes;
    size_t at = 13;
    while (at + 11 <= bytes.size()) {
        const size_t size = size_t(bytes[at + 1]) << 16 | size_t(bytes[at + 2]) << 8 | bytes[at + 3];
        if (bytes[at] == 9 && size > 9 && bytes[at + 12] == 1) {
            bytes[at + 16] = 0x00;
            bytes[at + 17] = 0x10;
        }
        at += 11 + size + 4;
    }
    exercise(bytes, "units past their packets");
}

}  // namespace
}  // namespace velmora::test
