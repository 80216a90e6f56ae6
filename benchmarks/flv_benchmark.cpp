// What a NetStream's FLV costs: a 640x480 file at 25 frames a second, encoded at start-up by the
// ffmpeg command-line tool, stepped through frame after frame (decoding and conversion to RGB, as
// the Video object gets it) and sought to random times. One core; figures per frame.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <unistd.h>

#include "swf/sound/mixer.h"
#include "swf/video/flv_media.h"

namespace {

using namespace velmora::swf;

constexpr int kSeconds = 10;

// The file made by ffmpeg with these codec arguments; empty when ffmpeg or the encoder is missing.
std::vector<uint8_t> encodedFlv(const std::string& args) {
    const std::string flv = "/tmp/velmora-flv-bench-" + std::to_string(getpid()) + ".flv";
    const std::string command =
        "ffmpeg -y -hide_banner -loglevel error -f lavfi -i testsrc2=size=640x480:rate=25 -f lavfi "
        "-i sine=frequency=1000:sample_rate=44100 -t " + std::to_string(kSeconds) + " " + args + " " + flv;
    if (std::system(command.c_str()) != 0) return {};
    std::ifstream in(flv, std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::remove(flv.c_str());
    return bytes;
}

void play(benchmark::State& state, const std::vector<uint8_t>& bytes, bool seeks) {
    FlvMediaOpener opener(nullptr);
    std::string error;
    std::unique_ptr<StreamMedia> media = bytes.empty() ? nullptr : opener.openFlv(bytes, error);
    if (!media) {
        state.SkipWithError(bytes.empty() ? "ffmpeg with this encoder is not installed" : error.c_str());
        return;
    }
    std::mt19937 random(7);
    int frame = 0;
    for (auto _ : state) {
        frame = seeks ? int(random() % (kSeconds * 25)) : (frame + 1) % (kSeconds * 25);
        media->showAt(frame / 25.0);
        benchmark::DoNotOptimize(media->pictureSerial());
    }
    state.counters["ms_per_frame"] =
        benchmark::Counter(double(state.iterations()) / 1000.0, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Decoding the whole sound of the file through the mixer, per second of sound.
void mixSound(benchmark::State& state, const std::vector<uint8_t>& bytes) {
    Mixer mixer;
    FlvMediaOpener opener(&mixer);
    std::string error;
    std::unique_ptr<StreamMedia> media = bytes.empty() ? nullptr : opener.openFlv(bytes, error);
    if (!media) {
        state.SkipWithError(bytes.empty() ? "ffmpeg with this encoder is not installed" : error.c_str());
        return;
    }
    std::vector<int16_t> pcm(size_t(44100) * 2);
    for (auto _ : state) {
        media->playSound(0);
        for (int s = 0; s < kSeconds; ++s) mixer.render(pcm.data(), 44100);
    }
    state.counters["ms_per_second_of_sound"] = benchmark::Counter(
        double(state.iterations()) * kSeconds / 1000.0, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

const std::vector<uint8_t>& h264() {
    static const auto bytes = encodedFlv("-c:v libx264 -preset veryfast -g 50 -bf 2 -c:a aac");
    return bytes;
}
const std::vector<uint8_t>& h263() {
    static const auto bytes = encodedFlv("-c:v flv -q:v 4 -g 50 -c:a libmp3lame");
    return bytes;
}

void BM_FlvPlayH264(benchmark::State& state) { play(state, h264(), false); }
void BM_FlvSeekH264(benchmark::State& state) { play(state, h264(), true); }
void BM_FlvPlayH263(benchmark::State& state) { play(state, h263(), false); }
void BM_FlvMixAac(benchmark::State& state) { mixSound(state, h264()); }

}  // namespace

BENCHMARK(BM_FlvPlayH264)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_FlvSeekH264)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_FlvPlayH263)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_FlvMixAac)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

BENCHMARK_MAIN();
