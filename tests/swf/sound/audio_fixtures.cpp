#include "audio_fixtures.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "swf/sound/audio_decoder.h"
#include "swf/sound/mp3_frame_header.h"

namespace velmora::test {

bool haveFfmpeg() {
    static const bool have = std::system("ffmpeg -hide_banner -encoders 2>/dev/null | grep -q libmp3lame") == 0;
    return have;
}

std::string scratchDir() {
    // Made on first use and removed when the program ends: test sounds run to tens of megabytes.
    struct Dir {
        std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("velmora-sound-" + std::to_string(getpid()));
        Dir() { std::filesystem::create_directories(path); }
        ~Dir() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    };
    static const Dir dir;
    return dir.path.string();
}

bool runTool(const std::string& command) {
    const int rc = std::system((command + " >/dev/null 2>&1").c_str());
    EXPECT_EQ(rc, 0) << command;
    return rc == 0;
}

std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

std::string makeChirpWav(const std::string& name, int rate, int channels, double seconds) {
    const std::string path = scratchDir() + "/" + name;
    // Left: a chirp from 150 Hz rising 120 Hz a second, with a beating overtone. Right (stereo):
    // the same a little quieter and delayed, so that the sides differ.
    const std::string left = "0.5*sin(2*PI*(150+60*t)*t)*(0.6+0.4*sin(2*PI*1.3*t))+0.2*sin(2*PI*(900-40*t)*t)";
    const std::string right = "0.4*sin(2*PI*(150+60*(t-0.01))*(t-0.01))+0.2*sin(2*PI*(700+30*t)*t)";
    const std::string expr = channels == 2 ? left + "|" + right : left;
    runTool("ffmpeg -y -hide_banner -f lavfi -i \"aevalsrc='" + expr + "':s=" + std::to_string(rate) +
            ":d=" + std::to_string(seconds) + "\" -c:a pcm_s16le \"" + path + "\"");
    return path;
}

std::string encode(const std::string& wav, const std::string& name, const std::string& args) {
    const std::string path = scratchDir() + "/" + name;
    runTool("ffmpeg -y -hide_banner -i \"" + wav + "\" " + args + " \"" + path + "\"");
    return path;
}

std::vector<int16_t> ffmpegDecode(const std::string& path, bool mono) {
    const std::string raw = path + ".ref.raw";
    const std::string pan = mono ? "pan=stereo|c0=c0|c1=c0," : "";
    runTool("ffmpeg -y -hide_banner -i \"" + path + "\" -af \"" + pan + "aresample=44100\" -f s16le -acodec pcm_s16le -ac 2 \"" +
            raw + "\"");
    const auto bytes = readBytes(raw);
    std::vector<int16_t> out(bytes.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) out[i] = int16_t(uint16_t(bytes[2 * i] | bytes[2 * i + 1] << 8));
    return out;
}

std::vector<int16_t> readWavSamples(const std::string& path) {
    const auto bytes = readBytes(path);
    // Walk the chunks to "data"; ffmpeg may write a LIST chunk first.
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const uint32_t size = bytes[at + 4] | bytes[at + 5] << 8 | bytes[at + 6] << 16 | uint32_t(bytes[at + 7]) << 24;
        if (std::equal(bytes.begin() + long(at), bytes.begin() + long(at) + 4, "data")) {
            const size_t n = std::min<size_t>(size, bytes.size() - at - 8) / 2;
            std::vector<int16_t> out(n);
            for (size_t i = 0; i < n; ++i)
                out[i] = int16_t(uint16_t(bytes[at + 8 + 2 * i] | bytes[at + 9 + 2 * i] << 8));
            return out;
        }
        at += 8 + size + (size & 1);
    }
    return {};
}

std::vector<std::vector<uint8_t>> mp3Frames(std::span<const uint8_t> mp3) {
    std::vector<std::vector<uint8_t>> frames;
    size_t at = 0;
    while (at + 4 <= mp3.size()) {
        auto header = swf::parseMp3FrameHeader(mp3.subspan(at));
        if (!header || at + size_t(header->frameBytes) > mp3.size()) {
            ++at;
            continue;
        }
        frames.emplace_back(mp3.begin() + long(at), mp3.begin() + long(at) + header->frameBytes);
        at += size_t(header->frameBytes);
    }
    return frames;
}

std::vector<std::vector<uint8_t>> flvAudioPackets(std::span<const uint8_t> flv) {
    std::vector<std::vector<uint8_t>> packets;
    if (flv.size() < 13) return packets;
    size_t at = (size_t(flv[5]) << 24 | size_t(flv[6]) << 16 | size_t(flv[7]) << 8 | flv[8]) + 4;
    while (at + 11 <= flv.size()) {
        const uint8_t type = flv[at];
        const size_t size = size_t(flv[at + 1]) << 16 | size_t(flv[at + 2]) << 8 | flv[at + 3];
        if (at + 11 + size > flv.size()) break;
        if (type == 8 && size > 1) packets.emplace_back(flv.begin() + long(at + 12), flv.begin() + long(at + 11 + size));
        at += 11 + size + 4;
    }
    return packets;
}

std::vector<int16_t> decodeWithOurs(const swf::SoundFormatInfo& format, const std::vector<std::vector<uint8_t>>& chunks) {
    std::string why;
    auto decoder = swf::AudioDecoder::create(format, why);
    EXPECT_TRUE(decoder) << why;
    if (!decoder) return {};
    for (const auto& c : chunks) decoder->push(c);
    decoder->close();
    std::vector<int16_t> out;
    std::vector<int16_t> buffer(8192);
    for (;;) {
        const size_t got = decoder->read(buffer.data(), buffer.size() / 2);
        out.insert(out.end(), buffer.begin(), buffer.begin() + long(got * 2));
        if (got < buffer.size() / 2) break;
    }
    return out;
}

namespace {

std::vector<double> mono(const std::vector<int16_t>& s, size_t step) {
    std::vector<double> out;
    out.reserve(s.size() / 2 / step + 1);
    for (size_t i = 0; i + 1 < s.size(); i += 2 * step) out.push_back((double(s[i]) + s[i + 1]) / 2);
    return out;
}

double correlationAt(const std::vector<double>& a, const std::vector<double>& b, long lag) {
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < b.size(); ++i) {
        const long j = long(i) + lag;
        if (j < 0 || size_t(j) >= a.size()) continue;
        ab += a[size_t(j)] * b[i];
        aa += a[size_t(j)] * a[size_t(j)];
        bb += b[i] * b[i];
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0.0;
}

}  // namespace

Alignment align(const std::vector<int16_t>& ours, const std::vector<int16_t>& reference, long maxLag) {
    // Coarse search on every 8th frame, then a fine one around the best coarse lag.
    constexpr size_t kStep = 8;
    const auto a8 = mono(ours, kStep);
    const auto b8 = mono(reference, kStep);
    long best = 0;
    double bestValue = -2;
    for (long lag = -maxLag / long(kStep) - 1; lag <= maxLag / long(kStep) + 1; ++lag) {
        const double c = correlationAt(a8, b8, lag);
        if (c > bestValue) bestValue = c, best = lag * long(kStep);
    }
    const auto a = mono(ours, 1);
    const auto b = mono(reference, 1);
    Alignment result{-2, 0};
    for (long lag = best - long(kStep) * 2; lag <= best + long(kStep) * 2; ++lag) {
        const double c = correlationAt(a, b, lag);
        if (c > result.correlation) result = {c, lag};
    }
    return result;
}

long longestGap(const std::vector<int16_t>& ours, const std::vector<int16_t>& reference, long lag) {
    // In windows of 5 ms: a window where the reference is clearly audible but ours is near silent.
    constexpr size_t kWindow = 220;
    long run = 0;
    long longest = 0;
    const size_t frames = reference.size() / 2;
    for (size_t w = 0; w + kWindow <= frames; w += kWindow) {
        const long from = long(w) + lag;
        if (from < 0 || size_t(from) + kWindow > ours.size() / 2) continue;
        const double r = rms(reference, w, w + kWindow);
        const double o = rms(ours, size_t(from), size_t(from) + kWindow);
        if (r > 500 && o < r * 0.1) {
            run += long(kWindow);
            longest = std::max(longest, run);
        } else {
            run = 0;
        }
    }
    return longest;
}

double rms(const std::vector<int16_t>& samples, size_t from, size_t to) {
    double sum = 0;
    size_t n = 0;
    for (size_t i = from * 2; i < to * 2 && i < samples.size(); ++i, ++n) sum += double(samples[i]) * samples[i];
    return n ? std::sqrt(sum / double(n)) : 0.0;
}

}  // namespace velmora::test
