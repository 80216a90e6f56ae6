#include "video_fixtures.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "support/swf_writer.h"
#include "swf/format/movie_loader.h"
#include "swf/format/tag_code.h"

namespace velmora::test {

namespace {

bool run(const std::string& command) {
    const int rc = std::system((command + " >/dev/null 2>&1").c_str());
    EXPECT_EQ(rc, 0) << command;
    return rc == 0;
}

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t be(const std::vector<uint8_t>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v = v << 8 | b[at + size_t(i)];
    return v;
}

// The video packets of an FLV file without their one-byte frame type and codec header, and
// whether that header marks each a keyframe.
void readFlvVideo(const std::vector<uint8_t>& flv, EncodedVideo& video) {
    if (flv.size() < 13) return;
    size_t at = be(flv, 5, 4) + 4;
    while (at + 11 <= flv.size()) {
        const uint8_t type = flv[at];
        const size_t size = be(flv, at + 1, 3);
        const size_t body = at + 11;
        if (body + size > flv.size()) break;
        if (type == 9 && size > 1) {
            video.packets.emplace_back(flv.begin() + long(body + 1), flv.begin() + long(body + size));
            video.keyframes.push_back(flv[body] >> 4 == 1);
        }
        at = body + size + 4;
    }
}

}  // namespace

bool haveVideoEncoders() {
    static const bool have =
        std::system("ffmpeg -hide_banner -encoders 2>/dev/null | grep -q ' flashsv2 ' && "
                    "ffmpeg -hide_banner -encoders 2>/dev/null | grep -q ' flashsv ' && "
                    "ffmpeg -hide_banner -encoders 2>/dev/null | grep -q ' flv '") == 0;
    return have;
}

bool fixturesRequired() {
    const char* v = std::getenv("VELMORA_REQUIRE_FIXTURES");
    return v && std::string(v) == "1";
}

EncodedVideo encodeTestVideo(const std::string& encoder, int width, int height, int frames, int gop) {
    EncodedVideo video;
    video.width = width;
    video.height = height;
    video.codec = encoder == "flv" ? 2 : encoder == "flashsv" ? 3 : 6;
    // Parameterised tests have slashes in their names: the files are numbered instead.
    static int made = 0;
    const std::string stem = ::testing::TempDir() + "velmora-video-" + std::to_string(getpid()) + "-" +
                             std::to_string(++made) + "-" + encoder;
    const std::string flv = stem + ".flv";
    const std::string raw = stem + ".rgb";
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    if (!run("ffmpeg -y -hide_banner -f lavfi -i testsrc2=size=" + size + ":rate=25 -frames:v " +
             std::to_string(frames) + " -c:v " + encoder + " -g " + std::to_string(gop) + " \"" + flv + "\""))
        return video;
    // ffmpeg's own conversion to RGB, with the flags the player converts with.
    if (!run("ffmpeg -y -hide_banner -i \"" + flv + "\" -sws_flags bicubic -f rawvideo -pix_fmt rgb24 \"" + raw + "\""))
        return video;
    readFlvVideo(readFile(flv), video);
    const std::vector<uint8_t> rgb = readFile(raw);
    const size_t frameBytes = size_t(width) * size_t(height) * 3;
    for (size_t at = 0; at + frameBytes <= rgb.size(); at += frameBytes) {
        QImage image(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint8_t* p = &rgb[at + (size_t(y) * size_t(width) + size_t(x)) * 3];
                image.setPixel(x, y, qRgb(p[0], p[1], p[2]));
            }
        video.reference.push_back(image);
    }
    std::remove(flv.c_str());
    std::remove(raw.c_str());
    return video;
}

std::vector<uint8_t> defineVideoStreamBody(uint16_t id, uint16_t frames, uint16_t width, uint16_t height,
                                           uint8_t codec, bool smoothing, uint8_t deblocking) {
    BitWriter w;
    w.u16(id);
    w.u16(frames);
    w.u16(width);
    w.u16(height);
    w.ub(0, 4);
    w.ub(deblocking, 3);
    w.ub(smoothing ? 1 : 0, 1);
    w.u8(codec);
    return w.take();
}

std::vector<uint8_t> videoFrameBody(uint16_t streamId, uint16_t frameNum, const std::vector<uint8_t>& data) {
    BitWriter w;
    w.u16(streamId);
    w.u16(frameNum);
    w.bytes(data);
    return w.take();
}

std::shared_ptr<const swf::Movie> videoMovie(const EncodedVideo& video, bool inSprite) {
    const auto frames = uint16_t(video.packets.size());
    SwfTagList content;
    for (uint16_t i = 0; i < frames; ++i) {
        content.rawTag(swf::kTagVideoFrame, videoFrameBody(1, i, video.packets[i]));
        if (i == 0)
            content.placeObject2({.depth = 1, .characterId = 1, .ratio = 0});
        else
            content.placeObject2({.depth = 1, .move = true, .ratio = i});
        content.showFrame();
    }
    SwfWriter movie;
    movie.stageSizePixels(video.width, video.height).frameRate(25).declaredFrameCount(frames);
    movie.rawTag(swf::kTagDefineVideoStream,
                 defineVideoStreamBody(1, frames, uint16_t(video.width), uint16_t(video.height), video.codec));
    if (inSprite) {
        movie.defineSprite(2, content);
        movie.placeObject2({.depth = 1, .characterId = 2});
        for (uint16_t i = 0; i < frames; ++i) movie.showFrame();
    } else {
        movie.rawBytes(content.tagBytes());
    }
    return swf::parseMovie(movie.bytes());
}

double psnr(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull()) return 0;
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            for (int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)}) sum += double(d) * d;
        }
    const double mse = sum / (3.0 * a.width() * a.height());
    return mse == 0 ? 100.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace velmora::test
