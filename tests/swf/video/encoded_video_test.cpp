// Streams encoded by ffmpeg, played through the runtime and drawn by the renderer, compared with
// ffmpeg's own decode: in order, after seeks either way, on the main timeline and in a sprite.

#include <gtest/gtest.h>

#include "support/swf_writer.h"
#include "swf/format/movie_loader.h"
#include "swf/format/tag_code.h"
#include "swf/render/stage_renderer.h"
#include "swf/runtime/movie_instance.h"
#include "swf/video/video_limits.h"
#include "video_fixtures.h"

namespace velmora::swf {
namespace {

using test::EncodedVideo;
using test::psnr;

constexpr int kWidth = 96;
constexpr int kHeight = 64;
constexpr int kFrames = 30;
constexpr int kGop = 10;
constexpr double kMinPsnr = 35.0;

// Shows frames of a video movie: moves the timeline holding the video and draws the stage.
class VideoStage {
public:
    VideoStage(std::shared_ptr<const Movie> movie, bool inSprite, QSize size = {kWidth, kHeight})
        : movie_(movie), instance_(movie), renderer_(resources_), size_(size) {
        resources_.setMovie(movie);
        timeline_ = inSprite ? instance_.root().childAt(1) : &instance_.root();
    }
    bool ready() const { return timeline_ != nullptr; }
    QImage show(size_t frame) {
        timeline_->gotoFrame(frame);
        return renderer_.renderImage(instance_.root().displayList(), movie_->stage, size_, Qt::black);
    }
    RenderResources& resources() { return resources_; }

private:
    std::shared_ptr<const Movie> movie_;
    MovieInstance instance_;
    RenderResources resources_;
    StageRenderer renderer_;
    QSize size_;
    Clip* timeline_ = nullptr;
};

struct Case {
    const char* encoder;
    bool inSprite;
};
void PrintTo(const Case& c, std::ostream* out) { *out << c.encoder << (c.inSprite ? " in a sprite" : " on the root"); }

class EncodedVideoTest : public ::testing::TestWithParam<Case> {};

TEST_P(EncodedVideoTest, FramesMatchFfmpegInOrderAndAfterSeeks) {
    VELMORA_REQUIRE_VIDEO_ENCODERS();
    const Case c = GetParam();
    const EncodedVideo video = test::encodeTestVideo(c.encoder, kWidth, kHeight, kFrames, kGop);
    ASSERT_EQ(video.packets.size(), size_t(kFrames));
    ASSERT_EQ(video.reference.size(), size_t(kFrames));
    auto movie = test::videoMovie(video, c.inSprite);
    ASSERT_TRUE(movie->warnings.empty()) << movie->warnings.front();
    VideoStage stage(movie, c.inSprite);
    ASSERT_TRUE(stage.ready());

    for (int f = 0; f < kFrames; ++f) EXPECT_GE(psnr(stage.show(size_t(f)), video.reference[size_t(f)]), kMinPsnr) << f;
    // Forward past keyframes, back before them, single steps either way, the ends.
    for (int f : {27, 4, 15, 14, 16, 29, 0, 21, 9, 10}) {
        EXPECT_GE(psnr(stage.show(size_t(f)), video.reference[size_t(f)]), kMinPsnr) << "after a seek to " << f;
    }
    EXPECT_TRUE(stage.resources().warnings.empty()) << stage.resources().warnings.messages().front();
}

INSTANTIATE_TEST_SUITE_P(Codecs, EncodedVideoTest,
                         ::testing::Values(Case{"flv", false}, Case{"flv", true}, Case{"flashsv", false},
                                           Case{"flashsv", true}, Case{"flashsv2", false}, Case{"flashsv2", true}),
                         [](const auto& info) {
                             return std::string(info.param.encoder) + (info.param.inSprite ? "_InSprite" : "_OnRoot");
                         });

// Stepping back and forth over recent frames shows kept pictures; a jump decodes from the
// keyframe before it, not from the start.
TEST(EncodedVideo, RecentFramesAreKeptAndSeeksStartAtTheKeyframe) {
    VELMORA_REQUIRE_VIDEO_ENCODERS();
    const EncodedVideo video = test::encodeTestVideo("flv", kWidth, kHeight, kFrames, kGop);
    ASSERT_EQ(video.packets.size(), size_t(kFrames));
    VideoStage stage(test::videoMovie(video, false), false);
    for (size_t f = 0; f <= 15; ++f) stage.show(f);
    const VideoStreamPlayer* player = stage.resources().videos.player(1);
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->decodedFrames(), 16u);
    stage.show(14);
    stage.show(15);
    stage.show(12);
    EXPECT_EQ(player->decodedFrames(), 16u);
    stage.show(25);  // keyframe 20, then 21..25
    EXPECT_EQ(player->decodedFrames(), 22u);
    EXPECT_GE(psnr(stage.show(3), video.reference[3]), kMinPsnr);  // still among the kept pictures
    EXPECT_EQ(player->decodedFrames(), 22u);
}

// More streams on stage than decoders kept open: those closed start again from their keyframe
// and every stream still shows its own frame.
TEST(EncodedVideo, MoreStreamsThanOpenDecodersAllShowTheirFrames) {
    VELMORA_REQUIRE_VIDEO_ENCODERS();
    constexpr int kTile = 32;
    constexpr uint16_t kStreams = 6;
    const EncodedVideo video = test::encodeTestVideo("flv", kTile, kTile, 8, 4);
    ASSERT_EQ(video.packets.size(), 8u);
    test::SwfWriter swf;
    swf.stageSizePixels(kWidth, kHeight);
    for (uint16_t id = 1; id <= kStreams; ++id)
        swf.rawTag(kTagDefineVideoStream, test::defineVideoStreamBody(id, 8, kTile, kTile, video.codec));
    for (uint16_t f = 0; f < 8; ++f) {
        for (uint16_t id = 1; id <= kStreams; ++id) {
            swf.rawTag(kTagVideoFrame, test::videoFrameBody(id, f, video.packets[f]));
            const int32_t x = (id - 1) % 3 * kTile * 20, y = (id - 1) / 3 * kTile * 20;
            const test::WriterMatrix at{.translateX = x, .translateY = y};
            if (f == 0)
                swf.placeObject2({.depth = id, .characterId = id, .matrix = at, .ratio = 0});
            else
                swf.placeObject2({.depth = id, .move = true, .ratio = f});
        }
        swf.showFrame();
    }
    VideoStage stage(parseMovie(swf.bytes()), false);
    for (size_t f : {0, 1, 2, 3, 5, 7, 2}) {
        const QImage image = stage.show(f);
        for (int tile = 0; tile < kStreams; ++tile) {
            const QImage part =
                image.copy(tile % 3 * kTile, tile / 3 * kTile, kTile, kTile).convertToFormat(QImage::Format_RGB32);
            EXPECT_GE(psnr(part, video.reference[f]), kMinPsnr) << "stream " << tile + 1 << " frame " << f;
        }
    }
    EXPECT_TRUE(stage.resources().warnings.empty()) << stage.resources().warnings.messages().front();
}

// Pictures whose width is no multiple of the converters' vector size: every row and column
// arrives, and nothing of the padding shows.
TEST(EncodedVideo, OddSizedPicturesConvertWhole) {
    VELMORA_REQUIRE_VIDEO_ENCODERS();
    for (const char* encoder : {"flv", "flashsv"}) {
        const EncodedVideo video = test::encodeTestVideo(encoder, 38, 22, 3, 10);
        ASSERT_EQ(video.packets.size(), 3u) << encoder;
        VideoStage stage(test::videoMovie(video, false), false, {38, 22});
        for (size_t f = 0; f < 3; ++f) EXPECT_GE(psnr(stage.show(f), video.reference[f]), kMinPsnr) << encoder << f;
    }
}

// A stream whose only keyframe is its first: a seek near its end decodes a bounded number of
// frames per drawing and reaches its target over the drawings after, instead of stalling.
TEST(EncodedVideo, FarSeekCatchesUpOverSeveralDrawings) {
    VELMORA_REQUIRE_VIDEO_ENCODERS();
    constexpr int kLong = VideoLimits::kMaxDecodesPerDraw + 40;
    EncodedVideo video = test::encodeTestVideo("flv", 32, 32, kLong, 1000);
    ASSERT_EQ(video.packets.size(), size_t(kLong));
    VideoStage stage(test::videoMovie(video, false), false, {32, 32});
    stage.show(kLong - 1);
    const VideoStreamPlayer* player = stage.resources().videos.player(1);
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->decodedFrames(), uint64_t(VideoLimits::kMaxDecodesPerDraw));
    EXPECT_GE(psnr(stage.show(kLong - 1), video.reference[kLong - 1]), kMinPsnr);
    EXPECT_EQ(player->decodedFrames(), uint64_t(kLong));
}

// A damaged frame leaves the last good picture on screen and is reported once; the stream
// recovers at its next keyframe.
TEST(EncodedVideo, DamagedFrameShowsTheLastGoodOne) {
    VELMORA_REQUIRE_VIDEO_ENCODERS();
    EncodedVideo video = test::encodeTestVideo("flv", kWidth, kHeight, kFrames, kGop);
    ASSERT_EQ(video.packets.size(), size_t(kFrames));
    video.packets[13].assign(video.packets[13].size(), 0xA5);
    video.packets[17].resize(3);
    VideoStage stage(test::videoMovie(video, false), false);
    for (size_t f = 0; f <= 12; ++f) stage.show(f);
    EXPECT_GE(psnr(stage.show(13), video.reference[12]), kMinPsnr);
    for (size_t f = 14; f <= 19; ++f) stage.show(f);
    EXPECT_GE(psnr(stage.show(20), video.reference[20]), kMinPsnr);
    const auto& warnings = stage.resources().warnings.messages();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("frame 13 is damaged"), std::string::npos) << warnings[0];
}

}  // namespace
}  // namespace velmora::swf
