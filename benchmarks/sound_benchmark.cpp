// velmora-sound-benchmark: how fast the sound system decodes and mixes, as a multiple of real
// time, and how much of one CPU the player takes while it plays a lesson pair.
//
//   velmora-sound-benchmark [--play-seconds S]
//
// Test sounds are made with the ffmpeg command-line tool; the lesson pair is the bundled
// samples/swf/lesson1.swf with samples/mp3/lesson1.swf.

#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "platform/player/swf_player_widget.h"
#include "swf/format/control_tags.h"
#include "swf/format/movie_loader.h"
#include "swf/sound/audio_decoder.h"
#include "swf/sound/mixer.h"
#include "swf/sound/output_format.h"
#include "swf/sound/sound_channel.h"
#include "swf/sound/virtual_playback.h"

namespace {

using namespace velmora;
using Clock = std::chrono::steady_clock;

std::string scratch() {
    static const std::string dir = [] {
        auto p = std::filesystem::temp_directory_path() / ("velmora-sound-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(p);
        return p.string();
    }();
    return dir;
}

std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

bool ffmpeg(const std::string& args) {
    return std::system(("ffmpeg -y -hide_banner -loglevel error " + args + " >/dev/null 2>&1").c_str()) == 0;
}

// Packets of an FLV file, without their one-byte audio header: how ffmpeg hands out the
// codecs that SWF shares with FLV.
std::vector<std::vector<uint8_t>> flvPackets(const std::vector<uint8_t>& flv) {
    std::vector<std::vector<uint8_t>> out;
    if (flv.size() < 13) return out;
    size_t at = (size_t(flv[5]) << 24 | size_t(flv[6]) << 16 | size_t(flv[7]) << 8 | flv[8]) + 4;
    while (at + 11 <= flv.size()) {
        const size_t size = size_t(flv[at + 1]) << 16 | size_t(flv[at + 2]) << 8 | flv[at + 3];
        if (at + 11 + size > flv.size()) break;
        if (flv[at] == 8 && size > 1) out.emplace_back(flv.begin() + long(at + 12), flv.begin() + long(at + 11 + size));
        at += 11 + size + 4;
    }
    return out;
}

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void decodeBenchmark(const char* name, const swf::SoundFormatInfo& format, const std::vector<std::vector<uint8_t>>& chunks) {
    if (chunks.empty()) {
        std::printf("%-40s  (no test data: is ffmpeg installed?)\n", name);
        return;
    }
    std::string why;
    const auto start = Clock::now();
    auto decoder = swf::AudioDecoder::create(format, why);
    if (!decoder) {
        std::printf("%-40s  cannot decode: %s\n", name, why.c_str());
        return;
    }
    for (const auto& c : chunks) decoder->push(c);
    decoder->close();
    std::vector<int16_t> buffer(2 * 4096);
    int64_t frames = 0;
    while (size_t got = decoder->read(buffer.data(), 4096)) frames += int64_t(got);
    const double wall = secondsSince(start);
    std::printf("%-40s  %7.1f s of sound in %6.3f s: %6.0fx real time\n", name, swf::outputSeconds(frames), wall,
                swf::outputSeconds(frames) / wall);
}

void decodeBenchmarks() {
    const std::string wav = scratch() + "/source.wav";
    const bool made = ffmpeg("-f lavfi -i \"aevalsrc='0.5*sin(2*PI*(150+3*t)*t)|0.4*sin(2*PI*(700-2*t)*t)':s=44100:d=60\" " + wav);
    auto mp3 = [&](const std::string& name, const std::string& args) {
        const std::string path = scratch() + "/" + name + ".mp3";
        return made && ffmpeg("-i " + wav + " " + args + " -write_xing 0 -id3v2_version 0 " + path)
                   ? std::vector<std::vector<uint8_t>>{readBytes(path)}
                   : std::vector<std::vector<uint8_t>>{};
    };
    auto flv = [&](const std::string& name, const std::string& args) {
        const std::string path = scratch() + "/" + name + ".flv";
        return made && ffmpeg("-i " + wav + " " + args + " " + path) ? flvPackets(readBytes(path))
                                                                     : std::vector<std::vector<uint8_t>>{};
    };
    using swf::SoundFormat;
    decodeBenchmark("MP3 44.1 kHz stereo 128 kbit/s", {SoundFormat::Mp3, 44100, true, true},
                    mp3("mp3_44", "-c:a libmp3lame -b:a 128k"));
    decodeBenchmark("MP3 22.05 kHz mono 48 kbit/s (narration)", {SoundFormat::Mp3, 22050, true, false},
                    mp3("mp3_22", "-c:a libmp3lame -b:a 48k -ar 22050 -ac 1"));
    decodeBenchmark("ADPCM 4-bit 22.05 kHz mono", {SoundFormat::Adpcm, 22050, true, false},
                    flv("adpcm", "-c:a adpcm_swf -ar 22050 -ac 1"));
    decodeBenchmark("Nellymoser 22.05 kHz mono", {SoundFormat::Nellymoser, 22050, true, false},
                    flv("nelly", "-c:a nellymoser -ar 22050 -ac 1"));
    decodeBenchmark("Speex 16 kHz mono", {SoundFormat::Speex, 16000, true, false},
                    flv("speex", "-c:a libspeex -ar 16000 -ac 1"));
    std::vector<uint8_t> pcm(size_t(44100) * 60 * 4);
    for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = uint8_t(i * 31);
    decodeBenchmark("PCM 16-bit 44.1 kHz stereo", {SoundFormat::PcmLittleEndian, 44100, true, true}, {pcm});
}

void mixBenchmark() {
    // Eight event sounds of a minute each, 22.05 kHz mono PCM (resampled as they play), at once.
    swf::SoundCharacter sound(1);
    sound.info = {swf::SoundFormat::PcmLittleEndian, 22050, true, false};
    sound.data.resize(size_t(22050) * 60 * 2);
    for (size_t i = 0; i < sound.data.size(); ++i) sound.data[i] = uint8_t(i * 13);
    swf::Mixer mixer;
    swf::SoundChannel channel(mixer);
    swf::StartSound tag;
    for (int i = 0; i < 8; ++i) channel.startSound(tag, &sound);
    std::vector<int16_t> out(2 * 4096);
    const auto start = Clock::now();
    while (mixer.voiceCount() > 0) mixer.render(out.data(), 4096);
    const double wall = secondsSince(start);
    const double heard = swf::outputSeconds(mixer.renderedFrames());
    std::printf("%-40s  %7.1f s of sound in %6.3f s: %6.0fx real time\n", "mix of 8 voices (resampled PCM)", heard, wall,
                heard / wall);
}

void lessonBenchmark(const std::string& sound) {
    // The narration movie played to its end on a virtual clock: decoding, mixing and the timeline
    // following its stream together.
    try {
        const auto start = Clock::now();
        swf::MovieInstance::Options options;
        options.loop = false;
        swf::VirtualPlayback playback(swf::loadMovieFile(sound), options);
        while (!playback.soundEnded() && playback.elapsed() < 600 * 44100) playback.run(441, nullptr);
        const double wall = secondsSince(start);
        const double heard = swf::outputSeconds(playback.elapsed());
        std::printf("%-40s  %7.1f s of sound in %6.3f s: %6.0fx real time\n", "sample lesson narration, whole movie",
                    heard, wall, heard / wall);
    } catch (const std::exception& e) {
        std::printf("%-40s  %s\n", "sample lesson narration", e.what());
    }
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

int playerBenchmark(int argc, char** argv, const std::string& subtitle, const std::string& sound, int seconds) {
    // Two players as the main window holds them, playing the lesson pair in real time: their
    // clocks, drawing, scripts and sound (to the speakers, or the silent clock without a device).
    QApplication app(argc, argv);
    SwfPlayerWidget swf1;
    SwfPlayerWidget swf2;
    swf1.resize(483, 380);
    swf2.resize(100, 100);
    swf1.show();
    swf2.show();
    try {
        swf1.putMovie(subtitle);
        swf2.putMovie(sound);
    } catch (const std::exception& e) {
        std::printf("lesson pair: %s\n", e.what());
        return 1;
    }
    swf1.Play();
    swf2.Play();
    swf2.TPlay("mp3_mc");
    const double cpuStart = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    app.exec();
    const double cpu = cpuSeconds() - cpuStart;
    const double elapsed = double(wall.elapsed()) / 1000;
    std::printf("%-40s  %5.1f%% of one CPU over %.1f s (sound movie at frame %d of %s)\n",
                "player, lesson pair playing", 100 * cpu / elapsed, elapsed, swf2.TCurrentFrame("mp3_mc"),
                swf2.TGetProperty("mp3_mc", 5).c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int playSeconds = 14;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--play-seconds") playSeconds = std::max(1, std::atoi(argv[i + 1]));
    }
    const std::string samples = std::string(VELMORA_SOURCE_DIR) + "/samples";
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    decodeBenchmarks();
    mixBenchmark();
    lessonBenchmark(samples + "/mp3/lesson1.swf");
    const int rc = playerBenchmark(argc, argv, samples + "/swf/lesson1.swf", samples + "/mp3/lesson1.swf", playSeconds);
    std::filesystem::remove_all(scratch());
    return rc;
}
