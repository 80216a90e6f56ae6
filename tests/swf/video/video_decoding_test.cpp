// The codec facts the player relies on without an encoder at hand: keyframes, VP6's packet
// framing, the alpha plane's compositing, hostile data, streams that show nothing.

#include <gtest/gtest.h>

#include <random>

#include "support/swf_writer.h"
#include "swf/format/movie_loader.h"
#include "swf/format/tag_code.h"
#include "swf/render/stage_renderer.h"
#include "swf/runtime/movie_instance.h"
#include "swf/video/alpha_plane.h"
#include "swf/video/video_decoder.h"
#include "swf/video/video_packet.h"
#include "video_fixtures.h"

namespace velmora::swf {
namespace {

using Codec = VideoStreamCharacter::Codec;

TEST(VideoPackets, KeyframesOfEncodedStreams) {
    VELMORA_REQUIRE_VIDEO_ENCODERS();
    for (const char* encoder : {"flv", "flashsv", "flashsv2"}) {
        const auto video = test::encodeTestVideo(encoder, 64, 48, 12, 5);
        ASSERT_EQ(video.packets.size(), 12u) << encoder;
        const auto codec = static_cast<Codec>(video.codec);
        for (size_t i = 0; i < video.packets.size(); ++i) {
            const bool key = isVideoKeyframe(codec, video.packets[i]);
            // Sorenson's frame type is in its picture header; screen video has none, and a frame
            // that happens to bring every block whole stands alone even when not marked so.
            if (codec == Codec::H263) {
                EXPECT_EQ(key, video.keyframes[i]) << encoder << " frame " << i;
            } else if (video.keyframes[i]) {
                EXPECT_TRUE(key) << encoder << " frame " << i;
            }
        }
    }
}

TEST(VideoPackets, ScreenVideoFrameWithAnUnchangedBlockIsNotKey) {
    // 32x16 pixels in two 16x16 blocks: the second block empty ("as before").
    const std::vector<uint8_t> partial = {0x00, 0x20, 0x00, 0x10, 0x00, 0x02, 0xAB, 0xCD, 0x00, 0x00};
    EXPECT_FALSE(isVideoKeyframe(Codec::ScreenVideo, partial));
    std::vector<uint8_t> whole = partial;
    whole[8] = 0x00, whole[9] = 0x01, whole.push_back(0xEF);
    EXPECT_TRUE(isVideoKeyframe(Codec::ScreenVideo, whole));
    whole.pop_back();  // the last block cut short
    EXPECT_FALSE(isVideoKeyframe(Codec::ScreenVideo, whole));
}

TEST(VideoPackets, Vp6FramingAndKeyframes) {
    const std::vector<uint8_t> alpha = {0x00, 0x00, 0x02, 0x00, 0x11, 0x80};
    auto split = splitVp6AlphaPacket(alpha);
    ASSERT_TRUE(split);
    EXPECT_EQ(std::vector<uint8_t>(split->colour.begin(), split->colour.end()), (std::vector<uint8_t>{0x00, 0x11}));
    EXPECT_EQ(std::vector<uint8_t>(split->alpha.begin(), split->alpha.end()), (std::vector<uint8_t>{0x80}));
    EXPECT_TRUE(isVideoKeyframe(Codec::Vp6Alpha, alpha));  // the colour picture's first byte decides
    EXPECT_FALSE(isVideoKeyframe(Codec::Vp6Alpha, std::vector<uint8_t>{0x00, 0x00, 0x01, 0x80, 0x00}));
    EXPECT_FALSE(splitVp6AlphaPacket(std::vector<uint8_t>{0x00, 0x00, 0x04, 0x00, 0x00, 0x00}));  // offset past end
    EXPECT_FALSE(splitVp6AlphaPacket(std::vector<uint8_t>{0xFF, 0xFF}));
    EXPECT_TRUE(isVideoKeyframe(Codec::Vp6, std::vector<uint8_t>{0x00, 0x46}));
    EXPECT_FALSE(isVideoKeyframe(Codec::Vp6, std::vector<uint8_t>{0x80, 0x46}));
    EXPECT_FALSE(isVideoKeyframe(Codec::Vp6, {}));
}

TEST(AlphaPlane, OpacityComesFromThePlaneAndIsPremultiplied) {
    QImage colour(3, 2, QImage::Format_RGB32);
    colour.fill(qRgb(200, 100, 40));
    // Rows four bytes apart, wider than the picture, as decoders pad them.
    const uint8_t plane[] = {0, 128, 255, 9, 255, 0, 64, 9};
    const QImage result = withAlphaPlane(colour, plane, 4);
    ASSERT_EQ(result.format(), QImage::Format_ARGB32_Premultiplied);
    auto premultiplied = [&](int x, int y) { return reinterpret_cast<const QRgb*>(result.constScanLine(y))[x]; };
    EXPECT_EQ(premultiplied(0, 0), 0u);
    EXPECT_EQ(qAlpha(premultiplied(1, 0)), 128);
    EXPECT_NEAR(qRed(premultiplied(1, 0)), 100, 1);
    EXPECT_NEAR(qBlue(premultiplied(1, 0)), 20, 1);
    EXPECT_EQ(premultiplied(2, 0), qRgba(200, 100, 40, 255));
    EXPECT_EQ(premultiplied(0, 1), qRgba(200, 100, 40, 255));
    EXPECT_EQ(premultiplied(1, 1), 0u);
    EXPECT_EQ(qAlpha(premultiplied(2, 1)), 64);

    // Composited over a stage: clear pixels show the stage, opaque ones the video.
    QImage stage(3, 2, QImage::Format_ARGB32_Premultiplied);
    stage.fill(qRgb(0, 0, 255));
    QPainter(&stage).drawImage(0, 0, result);
    EXPECT_EQ(stage.pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(stage.pixel(2, 0), qRgb(200, 100, 40));
    EXPECT_NEAR(qRed(stage.pixel(1, 0)), 100, 2);
    EXPECT_NEAR(qBlue(stage.pixel(1, 0)), 147, 2);
}

// Whatever bytes a hostile file puts in its frames, every decoder answers with a picture or an
// error, and stays usable for the frames after.
TEST(VideoDecoder, HostileDataNeverBreaksADecoder) {
    std::mt19937 random(12);
    for (Codec codec : {Codec::H263, Codec::ScreenVideo, Codec::ScreenVideo2, Codec::Vp6, Codec::Vp6Alpha}) {
        VideoStreamCharacter stream(1);
        stream.codec = codec;
        stream.width = 64;
        stream.height = 48;
        std::string error;
        auto decoder = VideoDecoder::open(stream, error);
        ASSERT_NE(decoder, nullptr) << error;
        EXPECT_FALSE(decoder->decode({}, true).ok());
        for (size_t size : {1, 2, 3, 5, 17, 64, 600, 5000}) {
            std::vector<uint8_t> data(size);
            for (auto& b : data) b = uint8_t(random());
            if (size > 3) data[0] = 0, data[1] = 0;  // more likely to pass the first checks
            for (bool key : {true, false}) {
                const auto result = decoder->decode(data, key);
                if (result.ok()) {
                    EXPECT_FALSE(result.image.isNull());
                }
            }
        }
        decoder->reset();
    }
    VideoStreamCharacter alpha(1);
    alpha.codec = Codec::Vp6Alpha;
    alpha.width = alpha.height = 16;
    std::string error;
    auto decoder = VideoDecoder::open(alpha, error);
    ASSERT_NE(decoder, nullptr);
    const auto result = decoder->decode(std::vector<uint8_t>{0x00, 0x10, 0x00, 0x00, 0x00}, true);
    EXPECT_NE(result.error.find("alpha plane"), std::string::npos) << result.error;
}

std::shared_ptr<const Movie> placedStream(uint8_t codec, uint16_t width, uint16_t height) {
    test::SwfWriter swf;
    swf.stageSizePixels(40, 30);
    swf.rawTag(kTagDefineVideoStream, test::defineVideoStreamBody(1, 1, width, height, codec));
    swf.rawTag(kTagVideoFrame, test::videoFrameBody(1, 0, {0x00, 0x00, 0x84, 0x00}));
    swf.placeObject2({.depth = 1, .characterId = 1, .ratio = 0});
    swf.showFrame();
    return parseMovie(swf.bytes());
}

QImage drawFirstFrame(const std::shared_ptr<const Movie>& movie, RenderResources& resources) {
    MovieInstance instance(movie);
    resources.setMovie(movie);
    StageRenderer renderer(resources);
    return renderer.renderImage(instance.root().displayList(), movie->stage, {40, 30}, Qt::white);
}

// A video object for an external stream (codec 0) is valid and draws nothing; one larger than
// the limits is refused once, by name, before any decoder allocates for it.
TEST(VideoStreams, ExternalStreamDrawsNothingQuietlyOversizedOneIsRefused) {
    auto external = placedStream(0, 40, 30);
    EXPECT_TRUE(external->warnings.empty()) << external->warnings.front();
    RenderResources resources;
    QImage image = drawFirstFrame(external, resources);
    EXPECT_EQ(image.pixel(20, 15), qRgb(255, 255, 255));
    EXPECT_TRUE(resources.warnings.empty()) << resources.warnings.messages().front();

    auto huge = placedStream(2, 60000, 60000);
    EXPECT_TRUE(huge->warnings.empty());
    RenderResources hugeResources;
    image = drawFirstFrame(huge, hugeResources);
    EXPECT_EQ(image.pixel(20, 15), qRgb(255, 255, 255));
    ASSERT_EQ(hugeResources.warnings.messages().size(), 1u);
    EXPECT_NE(hugeResources.warnings.messages()[0].find("video 1 is not shown"), std::string::npos);
}

}  // namespace
}  // namespace velmora::swf
