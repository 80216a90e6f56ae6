#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "swf/format/sound.h"
#include "swf/format/video.h"
#include "swf/runtime/stream_media.h"
#include "swf/video/flv_sound.h"

namespace velmora::swf {

// One picture of an FLV file, as the video decoder takes it.
struct FlvPicture {
    double time = 0;  // seconds from the file's start at which it is shown
    std::vector<uint8_t> data;
    bool keyframe = false;
    // H.264: a decoder configuration the file sent again before this picture (a new size, say);
    // it holds from here on.
    std::vector<uint8_t> config;
};

// An FLV file (or an MP4 file, which carries the same H.264 and AAC) taken apart by libavformat: its pictures in order, its sound gathered into one
// sound the mixer can play, and what its metadata says. libavformat reads only the bytes given,
// through a reader of our own: it opens no file, URL or protocol itself.
struct FlvFile {
    StreamMedia::Info info;
    // The picture stream as a DefineVideoStream would describe it; codec None when the file has
    // no picture this player decodes.
    VideoStreamCharacter stream{0};
    // In file order, which for H.264 with B-frames is not the order they are shown in.
    std::vector<FlvPicture> pictures;
    std::vector<uint8_t> pictureConfig;  // H.264's decoder configuration record
    // The sound's samples as one event sound (MP3, PCM and Nellymoser, whose packets join into
    // one stream); null when there is none this player plays.
    std::shared_ptr<SoundCharacter> sound;
    double soundStart = 0;  // seconds into the file where the sound's first sample is heard
    // Or the sound as packets, for the formats whose packets cannot be joined (AAC, ADPCM, Speex).
    std::shared_ptr<const FlvSoundTrack> soundTrack;
};

// Bounds on what an FLV may cost, whatever it claims.
struct FlvLimits {
    static constexpr size_t kMaxPackets = 1'000'000;
    static constexpr double kMaxDuration = 24 * 3600.0;
};

// The containers NetStream plays.
enum class MediaContainer { Flv, Mp4 };

// Reads bytes as an FLV file. A file that is not one, ends inside a tag (truncated), or that
// libavformat finds damaged gives the reason instead, in words for the movie's diagnostics.
std::variant<FlvFile, std::string> readFlvFile(const std::vector<uint8_t>& bytes);

// Takes bytes apart as a file of the container (an FLV's tags already checked), into the form an
// FLV file has here: the same decoders play either. The reasons a file is refused as readFlvFile.
std::variant<FlvFile, std::string> demuxMediaFile(const std::vector<uint8_t>& bytes, MediaContainer container);

}  // namespace velmora::swf
