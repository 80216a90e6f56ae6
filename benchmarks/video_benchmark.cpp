// What showing embedded video costs: a 640x480 stream at 25 frames a second, encoded at start-up
// by the ffmpeg command-line tool, played frame after frame through the runtime and drawn at its
// own size (decoding, conversion to RGB and drawing), and seeks to random frames. One core; the
// figures are per frame, with the share of one core that 25 frames a second take.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <unistd.h>

#include "support/swf_writer.h"
#include "swf/format/movie_loader.h"
#include "swf/format/tag_code.h"
#include "swf/render/stage_renderer.h"
#include "swf/runtime/movie_instance.h"

namespace {

using namespace velmora::swf;
using velmora::test::BitWriter;
using velmora::test::SwfTagList;
using velmora::test::SwfWriter;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kFrames = 250;  // ten seconds

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The video packets of an FLV file, without their one-byte header.
std::vector<std::vector<uint8_t>> flvVideoPackets(const std::vector<uint8_t>& flv) {
    auto be = [&](size_t at, int n) {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i) v = v << 8 | flv[at + size_t(i)];
        return v;
    };
    std::vector<std::vector<uint8_t>> packets;
    if (flv.size() < 13) return packets;
    size_t at = be(5, 4) + 4;
    while (at + 11 <= flv.size()) {
        const size_t size = be(at + 1, 3);
        if (at + 11 + size > flv.size()) break;
        if (flv[at] == 9 && size > 1) packets.emplace_back(flv.begin() + long(at + 12), flv.begin() + long(at + 11 + size));
        at += 11 + size + 4;
    }
    return packets;
}

// A movie of the encoded stream, one video frame per movie frame; null when ffmpeg is missing.
std::shared_ptr<const Movie> encodedMovie(const std::string& encoder, uint8_t codec, const std::string& args) {
    const std::string flv = "/tmp/velmora-video-bench-" + std::to_string(getpid()) + "-" + encoder + ".flv";
    const std::string command = "ffmpeg -y -hide_banner -loglevel error -f lavfi -i testsrc2=size=" +
                                std::to_string(kWidth) + "x" + std::to_string(kHeight) + ":rate=25 -frames:v " +
                                std::to_string(kFrames) + " -c:v " + encoder + " " + args + " " + flv;
    if (std::system(command.c_str()) != 0) return nullptr;
    const auto packets = flvVideoPackets(readFile(flv));
    std::remove(flv.c_str());
    if (packets.empty()) return nullptr;
    SwfWriter swf;
    swf.stageSizePixels(kWidth, kHeight).frameRate(25);
    BitWriter define;
    define.u16(1), define.u16(uint16_t(packets.size())), define.u16(kWidth), define.u16(kHeight);
    define.u8(0x01), define.u8(codec);  // smoothing on
    swf.rawTag(kTagDefineVideoStream, define.take());
    for (size_t i = 0; i < packets.size(); ++i) {
        BitWriter frame;
        frame.u16(1), frame.u16(uint16_t(i)), frame.bytes(packets[i]);
        swf.rawTag(kTagVideoFrame, frame.take());
        if (i == 0)
            swf.placeObject2({.depth = 1, .characterId = 1, .ratio = 0});
        else
            swf.placeObject2({.depth = 1, .move = true, .ratio = uint16_t(i)});
        swf.showFrame();
    }
    return parseMovie(swf.bytes());
}

void playFrames(benchmark::State& state, const std::shared_ptr<const Movie>& movie, bool seeks) {
    if (!movie) {
        state.SkipWithError("the ffmpeg command-line tool with this encoder is not installed");
        return;
    }
    MovieInstance instance(movie);
    RenderResources resources;
    resources.setMovie(movie);
    StageRenderer renderer(resources);
    QImage target(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    std::mt19937 random(7);
    const size_t frames = instance.root().frameCount();
    size_t frame = 0;
    for (auto _ : state) {
        frame = seeks ? random() % frames : (frame + 1) % frames;
        instance.root().gotoFrame(frame);
        QPainter painter(&target);
        renderer.render(painter, instance.root().displayList(), movie->stage, target.size(), Qt::black);
        benchmark::DoNotOptimize(target.constBits());
    }
    state.counters["ms_per_frame"] =
        benchmark::Counter(double(state.iterations()) / 1000.0, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    // At 25 frames a second a frame has 40 ms: the share of one core is its cost over that.
    state.counters["core_share_at_25fps_%"] = benchmark::Counter(
        double(state.iterations()) / 2500.0, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    if (!resources.warnings.empty()) state.SkipWithError(resources.warnings.messages().front().c_str());
}

void BM_PlayH263(benchmark::State& state) {
    static const auto movie = encodedMovie("flv", 2, "-q:v 4 -g 50");
    playFrames(state, movie, false);
}
void BM_PlayScreenVideo(benchmark::State& state) {
    static const auto movie = encodedMovie("flashsv", 3, "-g 50");
    playFrames(state, movie, false);
}
void BM_PlayScreenVideo2(benchmark::State& state) {
    static const auto movie = encodedMovie("flashsv2", 6, "-g 50");
    playFrames(state, movie, false);
}
void BM_SeekH263(benchmark::State& state) {
    static const auto movie = encodedMovie("flv", 2, "-q:v 4 -g 50");
    playFrames(state, movie, true);
}

BENCHMARK(BM_PlayH263)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_PlayScreenVideo)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_PlayScreenVideo2)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_SeekH263)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
