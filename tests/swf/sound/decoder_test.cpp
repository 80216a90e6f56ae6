// Each codec against an independent decode: ffmpeg's own decode of the same encoded data, or the
// WAV the data was made from.
#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "adpcm_encoder.h"
#include "audio_fixtures.h"
#include "swf/sound/audio_decoder.h"

namespace velmora::test {
namespace {

using swf::SoundFormat;
using swf::SoundFormatInfo;

void expectMatches(const std::vector<int16_t>& ours, const std::vector<int16_t>& reference, double minCorrelation,
                   long maxLag = 1102) {
    ASSERT_FALSE(ours.empty());
    ASSERT_FALSE(reference.empty());
    const Alignment a = align(ours, reference, maxLag);
    EXPECT_GE(a.correlation, minCorrelation);
    EXPECT_LE(std::abs(a.lag), maxLag);
    EXPECT_EQ(longestGap(ours, reference, a.lag), 0);
    // Same length give or take the codec's padding (an MP3 frame at most) at either end.
    EXPECT_NEAR(double(ours.size()), double(reference.size()), 2 * 2 * 2304.0);
    // Same loudness: mono is heard on both sides at full level, not 3 dB down.
    const size_t n = std::min(ours.size(), reference.size()) / 2;
    EXPECT_NEAR(rms(ours, 0, n) / rms(reference, 0, n), 1.0, 0.05);
}

struct Mp3Case {
    int rate;
    int channels;
};

class Mp3Decoding : public testing::TestWithParam<Mp3Case> {};

// MP3 at every rate a movie may use (MPEG-1, 2 and 2.5), mono and stereo.
TEST_P(Mp3Decoding, MatchesFfmpegsDecodeOfTheSameFrames) {
    VELMORA_REQUIRE_FFMPEG();
    const auto [rate, channels] = GetParam();
    const std::string stem = "mp3_" + std::to_string(rate) + "_" + std::to_string(channels);
    const auto wav = makeChirpWav(stem + ".wav", rate, channels, 2.0);
    const auto mp3 = encode(wav, stem + ".mp3", "-c:a libmp3lame -b:a 64k -write_xing 0 -id3v2_version 0");
    const auto frames = mp3Frames(readBytes(mp3));
    ASSERT_GT(frames.size(), 10u);
    // Cut into chunks of three frames, as stream blocks would carry them.
    std::vector<std::vector<uint8_t>> chunks;
    for (size_t i = 0; i < frames.size(); i += 3) {
        std::vector<uint8_t> chunk;
        for (size_t j = i; j < std::min(frames.size(), i + 3); ++j) chunk.insert(chunk.end(), frames[j].begin(), frames[j].end());
        chunks.push_back(std::move(chunk));
    }
    SoundFormatInfo format{SoundFormat::Mp3, uint32_t(rate), true, channels == 2};
    expectMatches(decodeWithOurs(format, chunks), ffmpegDecode(mp3, channels == 1), 0.99, 64);
}

INSTANTIATE_TEST_SUITE_P(Rates, Mp3Decoding,
                         testing::Values(Mp3Case{44100, 2}, Mp3Case{44100, 1}, Mp3Case{22050, 1}, Mp3Case{22050, 2},
                                         Mp3Case{11025, 1}, Mp3Case{48000, 2}, Mp3Case{8000, 1}));

TEST(PcmDecoding, EightAndSixteenBitMonoAndStereoMatchTheWav) {
    VELMORA_REQUIRE_FFMPEG();
    for (int rate : {5512, 11025, 22050, 44100}) {
        for (int channels : {1, 2}) {
            SCOPED_TRACE(testing::Message() << rate << " Hz, " << channels << " channel(s)");
            const std::string stem = "pcm_" + std::to_string(rate) + "_" + std::to_string(channels);
            const auto wav = makeChirpWav(stem + ".wav", rate, channels, 1.0);
            const auto samples = readWavSamples(wav);
            std::vector<uint8_t> sixteen;
            std::vector<uint8_t> eight;
            for (int16_t s : samples) {
                sixteen.push_back(uint8_t(s & 0xff));
                sixteen.push_back(uint8_t(uint16_t(s) >> 8));
                eight.push_back(uint8_t((s >> 8) + 128));
            }
            const auto reference = ffmpegDecode(wav, channels == 1);
            for (auto format : {SoundFormat::PcmLittleEndian, SoundFormat::PcmNativeEndian}) {
                expectMatches(decodeWithOurs({format, uint32_t(rate), true, channels == 2}, {sixteen}), reference, 0.999, 32);
            }
            expectMatches(decodeWithOurs({SoundFormat::PcmLittleEndian, uint32_t(rate), false, channels == 2}, {eight}),
                          reference, 0.99, 32);
        }
    }
}

// libavcodec's own SWF ADPCM decoder, called directly: a second, independent reading.
std::vector<int16_t> libavAdpcm(const std::vector<uint8_t>& data, int channels) {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_ADPCM_SWF);
    if (codec == nullptr) return {};
    AVCodecContext* context = avcodec_alloc_context3(codec);
    context->sample_rate = 44100;
    av_channel_layout_default(&context->ch_layout, channels);
    std::vector<int16_t> out;
    if (avcodec_open2(context, codec, nullptr) == 0) {
        AVPacket* packet = av_packet_alloc();
        AVFrame* frame = av_frame_alloc();
        std::vector<uint8_t> padded(data);
        padded.resize(data.size() + AV_INPUT_BUFFER_PADDING_SIZE);
        packet->data = padded.data();
        packet->size = int(data.size());
        if (avcodec_send_packet(context, packet) == 0) {
            while (avcodec_receive_frame(context, frame) == 0) {
                for (int i = 0; i < frame->nb_samples; ++i) {
                    for (int c = 0; c < channels; ++c) {
                        const auto* plane = reinterpret_cast<const int16_t*>(frame->extended_data[frame->format == AV_SAMPLE_FMT_S16P ? c : 0]);
                        out.push_back(frame->format == AV_SAMPLE_FMT_S16P ? plane[i] : plane[i * channels + c]);
                    }
                }
            }
        }
        av_frame_free(&frame);
        av_packet_free(&packet);
    }
    avcodec_free_context(&context);
    return out;
}

TEST(AdpcmDecoding, EveryCodeSizeFollowsTheWavAndAgreesWithLibavcodec) {
    VELMORA_REQUIRE_FFMPEG();
    const auto wav = makeChirpWav("adpcm_44100_2.wav", 44100, 2, 1.5);
    const auto samples = readWavSamples(wav);
    // Two bits a sample is coarse by design; five bits is near transparent.
    const double minCorrelation[4] = {0.90, 0.97, 0.99, 0.995};
    for (int bits = 2; bits <= 5; ++bits) {
        SCOPED_TRACE(testing::Message() << bits << "-bit");
        const auto data = encodeSwfAdpcm(samples, 2, bits);
        const auto ours = decodeWithOurs({SoundFormat::Adpcm, 44100, true, true}, {data});
        // 44.1 kHz stereo passes the resampler untouched: sample for sample the same as libavcodec.
        const auto theirs = libavAdpcm(data, 2);
        if (!theirs.empty()) {
            ASSERT_EQ(ours.size(), theirs.size());
            EXPECT_TRUE(ours == theirs);
        }
        // The padding bits of the last byte may hold one more frame's codes.
        ASSERT_GE(ours.size(), samples.size());
        ASSERT_LE(ours.size(), samples.size() + 2);
        expectMatches(ours, samples, minCorrelation[bits - 2], 4);
    }
}

TEST(AdpcmDecoding, LowRateMonoIsResampledInTime) {
    VELMORA_REQUIRE_FFMPEG();
    const auto wav = makeChirpWav("adpcm_11025_1.wav", 11025, 1, 1.0);
    const auto data = encodeSwfAdpcm(readWavSamples(wav), 1, 4);
    expectMatches(decodeWithOurs({SoundFormat::Adpcm, 11025, true, false}, {data}), ffmpegDecode(wav, true), 0.99, 32);
}

TEST(NellymoserDecoding, EveryRateMatchesFfmpegsDecode) {
    VELMORA_REQUIRE_FFMPEG();
    struct Case {
        SoundFormat format;
        int rate;
    };
    for (const Case c : {Case{SoundFormat::Nellymoser8k, 8000}, Case{SoundFormat::Nellymoser16k, 16000},
                         Case{SoundFormat::Nellymoser, 11025}, Case{SoundFormat::Nellymoser, 22050},
                         Case{SoundFormat::Nellymoser, 44100}}) {
        SCOPED_TRACE(c.rate);
        const std::string stem = "nelly_" + std::to_string(c.rate);
        const auto wav = makeChirpWav(stem + ".wav", c.rate, 1, 1.5);
        const auto flv = encode(wav, stem + ".flv", "-c:a nellymoser");
        const auto packets = flvAudioPackets(readBytes(flv));
        ASSERT_FALSE(packets.empty());
        expectMatches(decodeWithOurs({c.format, uint32_t(c.rate), true, false}, packets), ffmpegDecode(flv, true), 0.99, 600);
    }
}

// Speex frames packed bit to bit, the way an encoder writes several frames into one packet: each
// packet's padding (a 0 and then 1s at its end) dropped and the rest joined.
std::vector<uint8_t> packBitToBit(const std::vector<std::vector<uint8_t>>& packets) {
    std::vector<uint8_t> out;
    size_t used = 0;
    for (const auto& p : packets) {
        size_t bits = p.size() * 8;
        while (bits > 0 && ((p[(bits - 1) / 8] >> (7 - (bits - 1) % 8)) & 1)) --bits;  // the 1s
        if (bits > 0) --bits;                                                        // the 0
        for (size_t i = 0; i < bits; ++i, ++used) {
            if (used % 8 == 0) out.push_back(0);
            if ((p[i / 8] >> (7 - i % 8)) & 1) out.back() |= uint8_t(0x80 >> (used % 8));
        }
    }
    for (size_t i = used; i % 8 != 0; ++i) out.back() |= uint8_t(i == used ? 0 : 0x80 >> (i % 8));
    return out;
}

TEST(SpeexDecoding, OneFrameAPacketOrManyPaddedOrPackedMatchFfmpegsDecode) {
    VELMORA_REQUIRE_FFMPEG();
    if (std::system("ffmpeg -hide_banner -encoders 2>/dev/null | grep -q libspeex") != 0) {
        VELMORA_MISSING_FIXTURE("ffmpeg has no Speex encoder");
    }
    const auto wav = makeChirpWav("speex.wav", 16000, 1, 1.5);
    const SoundFormatInfo speex{SoundFormat::Speex, 16000, true, false};
    for (const char* quality : {"8", "3", "10"}) {
        SCOPED_TRACE(quality);
        const auto flv = encode(wav, std::string("speex") + quality + ".flv", std::string("-c:a libspeex -ar 16000 -q:a ") + quality);
        const auto packets = flvAudioPackets(readBytes(flv));
        ASSERT_FALSE(packets.empty());
        const auto reference = ffmpegDecode(flv, true);
        expectMatches(decodeWithOurs(speex, packets), reference, 0.99, 800);
        // Stream blocks of four frames (a frame's time at 12 fps), as padded packets and packed.
        std::vector<std::vector<uint8_t>> padded;
        std::vector<std::vector<uint8_t>> packed;
        for (size_t i = 0; i < packets.size(); i += 4) {
            std::vector<std::vector<uint8_t>> group(packets.begin() + long(i), packets.begin() + long(std::min(i + 4, packets.size())));
            padded.emplace_back();
            for (const auto& p : group) padded.back().insert(padded.back().end(), p.begin(), p.end());
            packed.push_back(packBitToBit(group));
        }
        {
            SCOPED_TRACE("padded packets");
            expectMatches(decodeWithOurs(speex, padded), reference, 0.99, 800);
        }
        // At quality 3 some frames end on a byte, unpadded, and packBitToBit cannot tell them
        // from padded ones; qualities 8 and 10 always pad.
        if (std::string(quality) != "3") {
            SCOPED_TRACE("packed bit to bit");
            expectMatches(decodeWithOurs(speex, packed), reference, 0.99, 800);
        }
    }
}

// Damaged and hostile data: a bounded, sensible outcome, never a crash.
TEST(HostileSoundData, DamagedMp3KeepsItsLengthAndTheRestOfItsSound) {
    VELMORA_REQUIRE_FFMPEG();
    const auto wav = makeChirpWav("damaged.wav", 22050, 1, 2.0);
    const auto mp3 = encode(wav, "damaged.mp3", "-c:a libmp3lame -b:a 48k -write_xing 0 -id3v2_version 0");
    auto frames = mp3Frames(readBytes(mp3));
    ASSERT_GT(frames.size(), 40u);
    const auto clean = decodeWithOurs({SoundFormat::Mp3, 22050, true, false}, frames);
    // Scribble over the side information and main data of three frames, keeping their headers.
    for (size_t f : {10u, 11u, 30u}) {
        for (size_t i = 4; i < frames[f].size(); ++i) frames[f][i] = uint8_t(i * 37 + f);
    }
    const auto damaged = decodeWithOurs({SoundFormat::Mp3, 22050, true, false}, frames);
    EXPECT_NEAR(double(damaged.size()), double(clean.size()), 2 * 1152.0 * 2);
    // The last second is untouched by the damage.
    const size_t tail = clean.size() / 2 - 44100;
    std::vector<int16_t> a(clean.begin() + long(tail) * 2, clean.end());
    std::vector<int16_t> b(damaged.begin() + long(std::min(tail, damaged.size() / 2)) * 2, damaged.end());
    EXPECT_GE(align(b, a, 64).correlation, 0.99);
}

TEST(HostileSoundData, CutShortGarbageAndEmptyDataDecodeToABoundedResult) {
    const std::vector<uint8_t> garbage = [] {
        std::vector<uint8_t> g(5000);
        for (size_t i = 0; i < g.size(); ++i) g[i] = uint8_t((i * 7919) >> 3);
        return g;
    }();
    for (auto format : {SoundFormat::Mp3, SoundFormat::Adpcm, SoundFormat::PcmLittleEndian, SoundFormat::Nellymoser,
                        SoundFormat::Speex}) {
        SCOPED_TRACE(int(format));
        const SoundFormatInfo info{format, 5512, true, false};
        EXPECT_TRUE(decodeWithOurs(info, {{}}).size() < 2 * 44100);
        // Worst case expansion: 2-bit ADPCM at 5.5 kHz mono is 16 samples a byte, 8 times more at 44.1 kHz stereo.
        EXPECT_LE(decodeWithOurs(info, {garbage}).size(), garbage.size() * 16 * 8 * 2 + 4096);
        EXPECT_LE(decodeWithOurs(info, {{0xff, 0xfb}}).size(), 2u * 4096);
    }
    // An ADPCM chunk cut inside its first packet header gives nothing; cut after it, what is whole.
    EXPECT_TRUE(decodeWithOurs({SoundFormat::Adpcm, 44100, true, false}, {{0x40, 0x12}}).empty());
    const auto shortPacket = encodeSwfAdpcm(std::vector<int16_t>(100, 1000), 1, 4);
    const size_t decoded = decodeWithOurs({SoundFormat::Adpcm, 44100, true, false}, {shortPacket}).size();
    EXPECT_TRUE(decoded == 200u || decoded == 202u) << decoded;
    // PCM with half a sample left over drops the half.
    EXPECT_EQ(decodeWithOurs({SoundFormat::PcmLittleEndian, 44100, true, false}, {{1, 0, 2, 0, 3}}).size(), 4u);
}

// The sound's bytes end exactly where its data ends. The parser is fed in steps; a frame that
// straddles two steps and ends near the end of the sound is completed by a copy that reaches a
// padding's length further, which must not be past the end (the address sanitizer tells).
TEST(HostileSoundData, Mp3IsNotReadPastTheSoundsEnd) {
    VELMORA_REQUIRE_FFMPEG();
    const auto wav = makeChirpWav("cut.wav", 22050, 1, 2.0);
    const auto frames = mp3Frames(readBytes(encode(wav, "cut.mp3", "-c:a libmp3lame -b:a 48k -write_xing 0 -id3v2_version 0")));
    for (size_t steps : {1u, 2u, 3u}) {
        std::vector<uint8_t> sound;
        for (size_t f = 0; f < frames.size() && sound.size() <= steps * 4096; ++f) {
            sound.insert(sound.end(), frames[f].begin(), frames[f].end());
        }
        for (size_t extra : {0u, 3u, 40u}) {
            std::vector<uint8_t> cut(sound);
            cut.resize(sound.size() + extra, 0x55);
            EXPECT_GE(decodeWithOurs({SoundFormat::Mp3, 22050, true, false}, {cut}).size(), steps * 4096);
        }
    }
}

TEST(HostileSoundData, RandomBytesInEveryFormatNeverCrashAndStayBounded) {
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (auto format : {SoundFormat::PcmNativeEndian, SoundFormat::Adpcm, SoundFormat::Mp3, SoundFormat::PcmLittleEndian,
                        SoundFormat::Nellymoser16k, SoundFormat::Nellymoser8k, SoundFormat::Nellymoser, SoundFormat::Speex}) {
        for (int round = 0; round < 20; ++round) {
            const SoundFormatInfo info{format, (next() & 1) ? 5512u : 44100u, bool(next() & 1), bool(next() & 1)};
            std::vector<std::vector<uint8_t>> chunks(1 + next() % 4);
            size_t bytes = 0;
            for (auto& c : chunks) {
                c.resize(next() % 3000);
                for (auto& b : c) b = uint8_t(next() >> 24);
                // MP3 chunks that look like frames get further into the decoder.
                if (format == SoundFormat::Mp3 && c.size() > 4) c[0] = 0xff, c[1] = 0xfb;
                bytes += c.size();
            }
            const auto out = decodeWithOurs(info, chunks);
            EXPECT_LE(out.size(), bytes * 16 * 8 * 2 + 8 * 4096) << int(format);
        }
    }
}

TEST(HostileSoundData, UnknownFormatIsRefusedWithAReason) {
    std::string why;
    EXPECT_EQ(swf::AudioDecoder::create({SoundFormat(9), 44100, true, false}, why), nullptr);
    EXPECT_NE(why.find("unknown"), std::string::npos);
}

}  // namespace
}  // namespace velmora::test
