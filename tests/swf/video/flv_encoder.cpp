#include "flv_encoder.h"

#include "support/temp_path.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace velmora::test {

namespace {

// The libav objects of one encoding, freed together.
struct Session {
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* sound = nullptr;
    AVStream* videoStream = nullptr;
    AVStream* soundStream = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    ~Session() {
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&video);
        avcodec_free_context(&sound);
        if (format) {
            avio_closep(&format->pb);
            avformat_free_context(format);
        }
        if (!path.empty()) std::filesystem::remove(path);
    }
    std::string path;
};

// Sends frame (null: the end) and writes what comes out.
bool drain(Session& s, AVCodecContext* codec, AVStream* stream, const AVFrame* frame, bool* newConfig = nullptr) {
    if (avcodec_send_frame(codec, frame) < 0) return false;
    for (;;) {
        const int got = avcodec_receive_packet(codec, s.packet);
        if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return true;
        if (got < 0) return false;
        if (newConfig && *newConfig) {
            *newConfig = false;
            uint8_t* side = av_packet_new_side_data(s.packet, AV_PKT_DATA_NEW_EXTRADATA, size_t(codec->extradata_size));
            if (side) std::memcpy(side, codec->extradata, size_t(codec->extradata_size));
        }
        av_packet_rescale_ts(s.packet, codec->time_base, stream->time_base);
        s.packet->stream_index = stream->index;
        if (av_interleaved_write_frame(s.format, s.packet) < 0) return false;
    }
}

// A sawtooth that slides 6 pixels a picture and a square that falls 3: every picture differs
// from its neighbours, so a picture shown out of its turn is seen.
void paint(AVFrame* f, int n) {
    for (int y = 0; y < f->height; ++y)
        for (int x = 0; x < f->width; ++x) {
            const bool square = x >= 40 && x < 72 && y >= (n * 3) % f->height && y < (n * 3) % f->height + 24;
            f->data[0][y * f->linesize[0] + x] = uint8_t(square ? 235 : 32 + (x * 2 + n * 12) % 160);
        }
    for (int y = 0; y < f->height / 2; ++y)
        for (int x = 0; x < f->width / 2; ++x) {
            f->data[1][y * f->linesize[1] + x] = uint8_t(96 + y % 64);
            f->data[2][y * f->linesize[2] + x] = uint8_t(160 - x % 64);
        }
}

QImage toRgb(const AVFrame* f) {
    QImage image(f->width, f->height, QImage::Format_RGB32);
    SwsContext* sws = sws_getContext(f->width, f->height, AV_PIX_FMT_YUV420P, f->width, f->height, AV_PIX_FMT_RGB32,
                                     SWS_BICUBIC, nullptr, nullptr, nullptr);
    uint8_t* target[4] = {image.bits(), nullptr, nullptr, nullptr};
    int stride[4] = {int(image.bytesPerLine()), 0, 0, 0};
    sws_scale(sws, f->data, f->linesize, 0, f->height, target, stride);
    sws_freeContext(sws);
    return image;
}

// Sample i of the tone: silence until toneFrom, then a 1 kHz sine at half of full scale.
double toneAt(const FlvRecipe& r, int64_t i) {
    const double t = double(i) / r.sampleRate;
    return t < r.toneFrom ? 0.0 : 0.5 * std::sin(2 * std::numbers::pi * 1000 * t);
}

void fillSamples(AVFrame* f, const FlvRecipe& r, int64_t first) {
    const auto format = static_cast<AVSampleFormat>(f->format);
    const bool planar = av_sample_fmt_is_planar(format);
    const int channels = f->ch_layout.nb_channels;
    for (int i = 0; i < f->nb_samples; ++i) {
        const double v = toneAt(r, first + i);
        for (int c = 0; c < channels; ++c) {
            const int plane = planar ? c : 0;
            const int at = planar ? i : i * channels + c;
            if (format == AV_SAMPLE_FMT_S16 || format == AV_SAMPLE_FMT_S16P)
                reinterpret_cast<int16_t*>(f->data[plane])[at] = int16_t(std::lround(v * 32767));
            else
                reinterpret_cast<float*>(f->data[plane])[at] = float(v);
        }
    }
}

}  // namespace

bool haveEncoder(const std::string& name) { return avcodec_find_encoder_by_name(name.c_str()) != nullptr; }

EncodedFlv encodeFlv(const FlvRecipe& r) {
    av_log_set_level(AV_LOG_QUIET);  // the encoders' statistics and damaged files' complaints are not news
    EncodedFlv out;
    Session s;
    s.frame = av_frame_alloc();
    s.packet = av_packet_alloc();
    // Through a file, as the muxer goes back to complete its header at the end.
    s.path = uniqueTempPath("encoded") + "." + r.container;
    if (avformat_alloc_output_context2(&s.format, nullptr, r.container.c_str(), nullptr) < 0 ||
        avio_open(&s.format->pb, s.path.c_str(), AVIO_FLAG_WRITE) < 0) {
        ADD_FAILURE() << "libavformat has no " << r.container << " muxer";
        return out;
    }
    const bool globalHeader = (s.format->oformat->flags & AVFMT_GLOBALHEADER) != 0;
    auto openVideo = [&](int width, int height) {
        const AVCodec* codec = avcodec_find_encoder_by_name(r.video.c_str());
        avcodec_free_context(&s.video);
        s.video = avcodec_alloc_context3(codec);
        s.video->width = width;
        s.video->height = height;
        s.video->pix_fmt = AV_PIX_FMT_YUV420P;
        s.video->time_base = {1, 25};
        s.video->framerate = {25, 1};
        s.video->gop_size = r.gop;
        s.video->keyint_min = r.gop;
        s.video->max_b_frames = r.bFrames;
        s.video->thread_count = 1;
        if (globalHeader) s.video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        if (r.video == "libx264") {
            av_opt_set(s.video->priv_data, "preset", "veryfast", 0);
            av_opt_set(s.video->priv_data, "crf", "12", 0);
            // Keyframes only where asked, so that the test knows where they are.
            av_opt_set(s.video->priv_data, "x264-params", "scenecut=0", 0);
        } else {
            s.video->flags |= AV_CODEC_FLAG_QSCALE;
            s.video->global_quality = FF_QP2LAMBDA * 2;
        }
        return avcodec_open2(s.video, codec, nullptr) >= 0;
    };
    if (!r.video.empty()) {
        if (!openVideo(r.width, r.height)) {
            ADD_FAILURE() << r.video << " does not open";
            return out;
        }
        s.videoStream = avformat_new_stream(s.format, nullptr);
        avcodec_parameters_from_context(s.videoStream->codecpar, s.video);
    }
    if (!r.sound.empty()) {
        const AVCodec* codec = avcodec_find_encoder_by_name(r.sound.c_str());
        s.sound = avcodec_alloc_context3(codec);
        s.sound->sample_rate = r.sampleRate;
        av_channel_layout_default(&s.sound->ch_layout, r.channels);
        s.sound->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
        s.sound->time_base = {1, r.sampleRate};
        s.sound->bit_rate = 96000;
        if (globalHeader) s.sound->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        if (avcodec_open2(s.sound, codec, nullptr) < 0) {
            ADD_FAILURE() << r.sound << " does not open";
            return out;
        }
        s.soundStream = avformat_new_stream(s.format, nullptr);
        avcodec_parameters_from_context(s.soundStream->codecpar, s.sound);
    }
    if (avformat_write_header(s.format, nullptr) < 0) {
        ADD_FAILURE() << "the FLV muxer refuses " << r.video << " with " << r.sound;
        return out;
    }
    // Pictures and sound in time order, so the muxer interleaves them as a file would.
    int picture = 0;
    int64_t sample = 0;
    bool newConfig = false;
    const int64_t samples = std::llround(r.soundSeconds * r.sampleRate);
    const int chunk = s.sound && s.sound->frame_size > 0 ? s.sound->frame_size : 1024;
    for (;;) {
        const bool pictureDue = s.video && picture < r.frames;
        const bool soundDue = s.sound && sample < samples;
        if (!pictureDue && !soundDue) break;
        av_frame_unref(s.frame);
        if (pictureDue && (!soundDue || picture * int64_t(r.sampleRate) <= sample * 25)) {
            const bool resized = r.resizeAt >= 0 && picture >= r.resizeAt;
            if (picture == r.resizeAt) {
                // The first encoder's last pictures out, then a second one whose configuration
                // goes to the muxer with its first packet.
                if (!drain(s, s.video, s.videoStream, nullptr) || !openVideo(r.resizedWidth, r.resizedHeight))
                    return ADD_FAILURE() << "resizing", out;
                newConfig = true;
            }
            s.frame->format = AV_PIX_FMT_YUV420P;
            s.frame->width = resized ? r.resizedWidth : r.width;
            s.frame->height = resized ? r.resizedHeight : r.height;
            av_frame_get_buffer(s.frame, 0);
            paint(s.frame, picture);
            out.pictures.push_back(toRgb(s.frame));
            s.frame->pts = picture++;
            if (!drain(s, s.video, s.videoStream, s.frame, &newConfig)) return ADD_FAILURE() << "encoding pictures", out;
        } else {
            s.frame->format = s.sound->sample_fmt;
            av_channel_layout_copy(&s.frame->ch_layout, &s.sound->ch_layout);
            s.frame->sample_rate = r.sampleRate;
            s.frame->nb_samples = chunk;
            av_frame_get_buffer(s.frame, 0);
            fillSamples(s.frame, r, sample);
            s.frame->pts = sample;
            sample += chunk;
            if (!drain(s, s.sound, s.soundStream, s.frame)) return ADD_FAILURE() << "encoding sound", out;
        }
    }
    if ((s.video && !drain(s, s.video, s.videoStream, nullptr)) || (s.sound && !drain(s, s.sound, s.soundStream, nullptr)) ||
        av_write_trailer(s.format) < 0) {
        ADD_FAILURE() << "finishing the file";
        return out;
    }
    avio_closep(&s.format->pb);
    // The muxer moves every stamp later by what makes the earliest non-negative (the B-frames'
    // and the sound encoder's delays): the first picture's stamp tells by how much.
    AVFormatContext* back = nullptr;
    if (s.video && avformat_open_input(&back, s.path.c_str(), nullptr, nullptr) == 0) {
        int64_t first = INT64_MAX;
        double unit = 0.001;
        while (av_read_frame(back, s.packet) >= 0) {
            const AVStream* st = back->streams[s.packet->stream_index];
            if (st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && s.packet->pts != AV_NOPTS_VALUE) {
                first = std::min(first, s.packet->pts);
                unit = av_q2d(st->time_base);
            }
            av_packet_unref(s.packet);
        }
        if (first != INT64_MAX) out.shift = std::max(0.0, double(first) * unit);
        avformat_close_input(&back);
    }
    std::ifstream in(s.path, std::ios::binary);
    out.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return out;
}

}  // namespace velmora::test
