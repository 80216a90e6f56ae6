#include "swf/video/flv_file.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>

#include "swf/video/flv_script_data.h"
#include "swf/video/video_limits.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/mem.h>
}

namespace velmora::swf {

namespace {

uint32_t bigEndian(const std::vector<uint8_t>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v = v << 8 | b[at + size_t(i)];
    return v;
}

// Walks the tags by their headers alone, so that a file cut short is refused for what it is
// instead of playing whatever libavformat makes of its last, partial tag. Empty when whole.
std::string checkTags(const std::vector<uint8_t>& b) {
    if (b.size() < 9 || std::memcmp(b.data(), "FLV", 3) != 0) return "it is not an FLV file";
    const size_t headerSize = bigEndian(b, 5, 4);
    if (headerSize < 9 || headerSize > b.size()) return "its header is damaged";
    size_t at = headerSize + 4;  // the first tag follows a zero "previous tag size"
    if (at > b.size()) return "it ends inside its header (the file is truncated)";
    size_t tags = 0;
    while (at < b.size()) {
        if (b.size() - at < 11) return "it ends inside a tag header (the file is truncated)";
        const size_t size = bigEndian(b, at + 1, 3);
        if (b.size() - at - 11 < size) {
            return "it ends inside tag " + std::to_string(tags + 1) + " (the file is truncated)";
        }
        at += 11 + size;
        // The size of the tag just read; a file may end without the last one.
        at = b.size() - at < 4 ? b.size() : at + 4;
        ++tags;
    }
    return {};
}

// libavformat reads the file's bytes through this and nothing else.
struct ByteSource {
    const std::vector<uint8_t>& bytes;
    size_t at = 0;
};

int readBytes(void* opaque, uint8_t* buffer, int size) {
    auto* source = static_cast<ByteSource*>(opaque);
    if (size <= 0) return 0;
    if (source->at >= source->bytes.size()) return AVERROR_EOF;
    const size_t n = std::min(size_t(size), source->bytes.size() - source->at);
    std::memcpy(buffer, source->bytes.data() + source->at, n);
    source->at += n;
    return int(n);
}

int64_t seekBytes(void* opaque, int64_t offset, int whence) {
    auto* source = static_cast<ByteSource*>(opaque);
    const auto size = int64_t(source->bytes.size());
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE) return size;
    int64_t to = offset;
    if (whence == SEEK_CUR) to = int64_t(source->at) + offset;
    else if (whence == SEEK_END) to = size + offset;
    else if (whence != SEEK_SET) return AVERROR(EINVAL);
    if (to < 0 || to > size) return AVERROR(EINVAL);
    source->at = size_t(to);
    return to;
}

// A demuxer that would open another file or URL (a playlist, a reference) is refused that.
int refuseOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) { return AVERROR(EPERM); }

// The libavformat objects of one reading, freed together.
struct Demuxer {
    AVIOContext* io = nullptr;
    AVFormatContext* format = nullptr;
    AVPacket* packet = nullptr;
    ~Demuxer() {
        av_packet_free(&packet);
        avformat_close_input(&format);
        if (io) av_freep(&io->buffer);
        avio_context_free(&io);
    }
};

std::optional<VideoStreamCharacter::Codec> pictureCodec(AVCodecID id) {
    using Codec = VideoStreamCharacter::Codec;
    switch (id) {
        case AV_CODEC_ID_FLV1: return Codec::H263;
        case AV_CODEC_ID_FLASHSV: return Codec::ScreenVideo;
        case AV_CODEC_ID_FLASHSV2: return Codec::ScreenVideo2;
        case AV_CODEC_ID_VP6F: return Codec::Vp6;
        case AV_CODEC_ID_VP6A: return Codec::Vp6Alpha;
        case AV_CODEC_ID_H264: return Codec::H264;
        default: return std::nullopt;
    }
}

// The formats whose packets, laid end to end, make one stream the sound decoders read.
std::optional<SoundFormatInfo> soundFormat(const AVCodecParameters& p) {
    SoundFormatInfo info;
    info.sampleRate = p.sample_rate > 0 ? uint32_t(p.sample_rate) : 44100;
    info.stereo = p.ch_layout.nb_channels == 2;
    switch (p.codec_id) {
        case AV_CODEC_ID_MP3: info.format = SoundFormat::Mp3; break;
        case AV_CODEC_ID_PCM_S16LE: info.format = SoundFormat::PcmLittleEndian; break;
        case AV_CODEC_ID_PCM_U8:
            info.format = SoundFormat::PcmLittleEndian;
            info.is16Bit = false;
            break;
        case AV_CODEC_ID_NELLYMOSER: info.format = SoundFormat::Nellymoser; break;
        default: return std::nullopt;
    }
    return info;
}

// The formats played packet by packet (see FlvSoundTrack).
std::optional<FlvSoundTrack> packetSoundFormat(const AVCodecParameters& p) {
    FlvSoundTrack track;
    track.format.sampleRate = p.sample_rate > 0 ? uint32_t(p.sample_rate) : 44100;
    track.format.stereo = p.ch_layout.nb_channels == 2;
    switch (p.codec_id) {
        case AV_CODEC_ID_AAC: track.aac = true; break;
        case AV_CODEC_ID_ADPCM_SWF: track.format.format = SoundFormat::Adpcm; break;
        case AV_CODEC_ID_SPEEX:
            track.format.format = SoundFormat::Speex;
            track.format.stereo = false;
            break;
        default: return std::nullopt;
    }
    return track;
}

std::vector<uint8_t> extradata(const AVCodecParameters& p) {
    if (!p.extradata || p.extradata_size <= 0) return {};
    return {p.extradata, p.extradata + p.extradata_size};
}

void addProblem(std::string& problems, const std::string& problem) {
    if (problems.find(problem) != std::string::npos) return;
    if (!problems.empty()) problems += "; ";
    problems += problem;
}

// The file's metadata other than its numbers, for onMetaData.
void keepScriptData(const std::vector<uint8_t>& bytes, StreamMedia::Info& info) {
    FlvScriptData script = readFlvScriptData(bytes);
    info.cuePoints = std::move(script.cuePoints);
    if (!script.metadata) return;
    // The numbers as the file has them (libavformat's view of them may include the keys of
    // other script data tags); the rest beside them.
    info.metadata.clear();
    for (auto& [name, value] : *script.metadata) {
        if (value.kind == MediaValue::Kind::Number) {
            if (std::isfinite(value.number)) info.metadata[name] = value.number;
        } else {
            info.moreMetadata.emplace_back(name, std::move(value));
        }
    }
}

// What an MP4 file says of its streams, in the names onMetaData gives them.
void describeMp4(const AVFormatContext& format, int pictureStream, int soundStream, StreamMedia::Info& info) {
    auto text = [&](const char* name, std::string value) {
        MediaValue v;
        v.kind = MediaValue::Kind::String;
        v.text = std::move(value);
        info.moreMetadata.emplace_back(name, std::move(v));
    };
    if (pictureStream >= 0 && format.streams[pictureStream]->codecpar->codec_id == AV_CODEC_ID_H264) text("videocodecid", "avc1");
    if (soundStream >= 0) {
        const AVCodecParameters& p = *format.streams[soundStream]->codecpar;
        if (p.codec_id == AV_CODEC_ID_AAC) text("audiocodecid", "mp4a");
        if (p.sample_rate > 0) info.metadata["audiosamplerate"] = p.sample_rate;
        if (p.ch_layout.nb_channels > 0) info.metadata["audiochannels"] = p.ch_layout.nb_channels;
    }
}

}  // namespace

std::variant<FlvFile, std::string> readFlvFile(const std::vector<uint8_t>& bytes) {
    if (std::string damage = checkTags(bytes); !damage.empty()) return damage;
    return demuxMediaFile(bytes, MediaContainer::Flv);
}

std::variant<FlvFile, std::string> demuxMediaFile(const std::vector<uint8_t>& bytes, MediaContainer container) {
    const bool flv = container == MediaContainer::Flv;
    ByteSource source{bytes};
    Demuxer d;
    constexpr int kBufferSize = 32 * 1024;
    auto* buffer = static_cast<uint8_t*>(av_malloc(kBufferSize));
    if (!buffer) return std::string("there is no memory to read it");
    d.io = avio_alloc_context(buffer, kBufferSize, 0, &source, readBytes, nullptr, seekBytes);
    if (!d.io) {
        av_free(buffer);
        return std::string("there is no memory to read it");
    }
    d.format = avformat_alloc_context();
    d.packet = av_packet_alloc();
    if (!d.format || !d.packet) return std::string("there is no memory to read it");
    d.format->pb = d.io;
    d.format->flags |= AVFMT_FLAG_CUSTOM_IO;
    d.format->io_open = refuseOpen;
    const AVInputFormat* demuxer = av_find_input_format(flv ? "flv" : "mov");
    if (!demuxer) return std::string("this system's libavformat cannot read ") + (flv ? "FLV" : "MP4") + " files";
    if (avformat_open_input(&d.format, "", demuxer, nullptr) < 0) {
        d.format = nullptr;  // freed by the failed open
        return std::string("libavformat cannot read it");
    }

    FlvFile file;
    file.stream.codec = VideoStreamCharacter::Codec::None;
    std::string& problems = file.info.problem;
    int pictureStream = -1;
    int soundStream = -1;
    std::shared_ptr<FlvSoundTrack> track;
    double soundEnd = 0;
    size_t packets = 0;
    bool damaged = false;
    for (;;) {
        const int status = av_read_frame(d.format, d.packet);
        if (status == AVERROR_EOF) break;
        if (status < 0) {
            damaged = true;
            break;
        }
        if (++packets > FlvLimits::kMaxPackets) {
            av_packet_unref(d.packet);
            return std::string("it holds more than " + std::to_string(FlvLimits::kMaxPackets) + " packets");
        }
        const AVStream* st = d.format->streams[d.packet->stream_index];
        const AVCodecParameters& p = *st->codecpar;
        const int64_t stamp = d.packet->pts != AV_NOPTS_VALUE ? d.packet->pts : d.packet->dts;
        double time = stamp == AV_NOPTS_VALUE ? 0.0 : double(stamp) * av_q2d(st->time_base);
        if (!std::isfinite(time) || time < 0) time = 0;
        if (time > FlvLimits::kMaxDuration) {
            av_packet_unref(d.packet);
            return std::string("its timestamps run past a day");
        }
        const std::span<const uint8_t> data(d.packet->data, size_t(std::max(0, d.packet->size)));
        if (p.codec_type == AVMEDIA_TYPE_VIDEO && !data.empty()) {
            const auto codec = pictureCodec(p.codec_id);
            if (!codec) {
                addProblem(problems, std::string("its ") + avcodec_get_name(p.codec_id) + " pictures are not shown");
            } else if (pictureStream < 0 || pictureStream == d.packet->stream_index) {
                pictureStream = d.packet->stream_index;
                file.stream.codec = *codec;
                FlvPicture& picture = file.pictures.emplace_back(
                    FlvPicture{time, {data.begin(), data.end()}, (d.packet->flags & AV_PKT_FLAG_KEY) != 0, {}});
                size_t configSize = 0;
                if (const uint8_t* config = av_packet_get_side_data(d.packet, AV_PKT_DATA_NEW_EXTRADATA, &configSize))
                    picture.config.assign(config, config + configSize);
            }
        } else if (p.codec_type == AVMEDIA_TYPE_AUDIO && !data.empty()) {
            const auto format = soundFormat(p);
            const auto packetFormat = format ? std::nullopt : packetSoundFormat(p);
            if (!format && !packetFormat) {
                addProblem(problems, std::string("its ") + avcodec_get_name(p.codec_id) + " sound is not played");
            } else if (packetFormat) {
                if (soundStream < 0 || (track && soundStream == d.packet->stream_index)) {
                    if (!track) {
                        soundStream = d.packet->stream_index;
                        track = std::make_shared<FlvSoundTrack>(*packetFormat);
                    }
                    track->packets.push_back({time, {data.begin(), data.end()}});
                    const double length = d.packet->duration > 0 ? double(d.packet->duration) * av_q2d(st->time_base) : 0;
                    soundEnd = std::max(soundEnd, time + length);
                }
            } else if (soundStream < 0 || (file.sound && soundStream == d.packet->stream_index)) {
                if (!file.sound) {
                    soundStream = d.packet->stream_index;
                    file.sound = std::make_shared<SoundCharacter>(0);
                    file.sound->info = *format;
                    file.soundStart = time;
                }
                file.sound->data.insert(file.sound->data.end(), data.begin(), data.end());
                const double length = d.packet->duration > 0 ? double(d.packet->duration) * av_q2d(st->time_base) : 0;
                soundEnd = std::max(soundEnd, time + length);
            }
        }
        av_packet_unref(d.packet);
    }
    // The setup of H.264 and AAC comes in the file's sequence headers, which the demuxer keeps
    // apart from the packets.
    if (pictureStream >= 0 && file.stream.codec == VideoStreamCharacter::Codec::H264) {
        file.pictureConfig = extradata(*d.format->streams[pictureStream]->codecpar);
        if (file.pictureConfig.empty()) {
            addProblem(problems, "its h264 pictures are not shown: their decoder configuration is missing");
            file.pictures.clear();
            file.stream.codec = VideoStreamCharacter::Codec::None;
            pictureStream = -1;
        }
    }
    if (track && track->aac) {
        track->config = extradata(*d.format->streams[soundStream]->codecpar);
        if (track->config.empty()) {
            addProblem(problems, "its aac sound is not played: its setup is missing");
            track.reset();
        }
    }
    file.soundTrack = track;
    const bool hasSound = file.sound || file.soundTrack;
    if (damaged && file.pictures.empty() && !hasSound) return std::string("libavformat finds it damaged");
    if (damaged) addProblem(problems, "it is damaged after " + std::to_string(packets) + " packets; the rest is not played");
    if (file.pictures.empty() && !hasSound) {
        return problems.empty() ? std::string("it holds neither pictures nor sound") : problems;
    }

    // What the file's metadata says, as numbers; the demuxer keeps them as text. (An MP4 file's
    // tags are the encoder's notes, not metadata a script knows.)
    StreamMedia::Info& info = file.info;
    const AVDictionaryEntry* entry = nullptr;
    while (flv && (entry = av_dict_get(d.format->metadata, "", entry, AV_DICT_IGNORE_SUFFIX))) {
        char* end = nullptr;
        errno = 0;
        const double value = std::strtod(entry->value, &end);
        if (errno == 0 && end != entry->value && *end == '\0' && std::isfinite(value)) info.metadata[entry->key] = value;
    }
    if (flv) keepScriptData(bytes, info);
    else describeMp4(*d.format, pictureStream, soundStream, info);
    auto said = [&](const char* key) {
        const auto it = info.metadata.find(key);
        return it != info.metadata.end() && it->second > 0 ? it->second : 0.0;
    };
    // Pictures reordered by the encoder are not in time order: the latest is the last one shown.
    double lastPicture = 0;
    for (const FlvPicture& picture : file.pictures) lastPicture = std::max(lastPicture, picture.time);
    double duration = d.format->duration != AV_NOPTS_VALUE && d.format->duration > 0
                          ? double(d.format->duration) / AV_TIME_BASE
                          : 0;
    if (duration <= 0) duration = said("duration");
    if (duration <= 0 || duration > FlvLimits::kMaxDuration) duration = std::max(lastPicture, soundEnd);
    info.duration = duration;
    info.frameRate = said("framerate");
    if (info.frameRate <= 0 && pictureStream >= 0) {
        const AVRational rate = d.format->streams[pictureStream]->avg_frame_rate;
        if (rate.num > 0 && rate.den > 0) info.frameRate = av_q2d(rate);
    }
    if (info.frameRate <= 0 && file.pictures.size() > 1 && lastPicture > file.pictures.front().time) {
        info.frameRate = double(file.pictures.size() - 1) / (lastPicture - file.pictures.front().time);
    }
    if (pictureStream >= 0) {
        const AVCodecParameters& p = *d.format->streams[pictureStream]->codecpar;
        const double w = p.width > 0 ? p.width : said("width");
        const double h = p.height > 0 ? p.height : said("height");
        if (w > 0 && h > 0 && w <= VideoLimits::kMaxSide && h <= VideoLimits::kMaxSide) {
            file.stream.width = uint16_t(w);
            file.stream.height = uint16_t(h);
        }
    }
    info.width = file.stream.width;
    info.height = file.stream.height;
    info.metadata["duration"] = info.duration;
    if (info.frameRate > 0) info.metadata["framerate"] = info.frameRate;
    if (info.width > 0) info.metadata["width"] = info.width;
    if (info.height > 0) info.metadata["height"] = info.height;
    info.hasVideo = !file.pictures.empty();
    info.hasAudio = hasSound;
    return file;
}

}  // namespace velmora::swf
