#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "swf/sound/channel_transform.h"

namespace velmora::swf {

// A value of a video file's script data (its metadata, its cue points), as a script receives it.
struct MediaValue {
    enum class Kind : uint8_t { Undefined, Null, Boolean, Number, String, Object, Array };
    Kind kind = Kind::Undefined;
    double number = 0;  // Number, and Boolean as 0 or 1
    std::string text;   // String
    // Object: its members by name, in file order. Array: its elements, named by index (or by the
    // names an associative array of the file gives them).
    struct Member;
    std::vector<Member> members;

    // The member called name, or nullptr.
    const MediaValue* member(std::string_view name) const;
};

struct MediaValue::Member {
    std::string name;
    MediaValue value;
};

inline const MediaValue* MediaValue::member(std::string_view name) const {
    for (const Member& m : members)
        if (m.name == name) return &m.value;
    return nullptr;
}

// A cue point the file carries in its own script data: `info` is what onCuePoint receives (its
// name, time, type and parameters), due `time` seconds into the file.
struct MediaCuePoint {
    double time = 0;
    MediaValue info;
};

// A video file a script's NetStream plays (an FLV or MP4 file read from the movie's folder), opened by the
// video room: the runtime steps it through time, the renderer draws its picture, the mixer plays
// its sound. Used on the thread that owns the movie only.
class StreamMedia {
public:
    struct Info {
        double duration = 0;   // seconds; the last picture's time when the file does not say
        int width = 0;         // the picture's size as the file declares or its first frame has it
        int height = 0;
        double frameRate = 0;  // pictures a second; 0 when unknown
        bool hasVideo = false;
        bool hasAudio = false;  // sound this player can play (see soundProblem)
        // Every number of the file's metadata ("duration", "width", "videodatarate", ...), and the
        // four above under their script names, as a script's onMetaData hears them.
        std::map<std::string, double> metadata;
        // The metadata's other values (text, flags, the cue point list and other arrays), which
        // onMetaData hears beside the numbers.
        std::vector<std::pair<std::string, MediaValue>> moreMetadata;
        // The file's own cue points, in time order.
        std::vector<MediaCuePoint> cuePoints;
        // Why the file's sound or picture is not played (a codec the player lacks); empty when all
        // of it is. The stream plays on with what it has.
        std::string problem;
    };

    virtual ~StreamMedia() = default;
    virtual const Info& info() const = 0;

    // Brings the picture to the one shown `seconds` into the file, decoding what lies between (a
    // bounded amount per call: a far jump catches up over the next calls). Damaged pictures keep
    // the last good one.
    virtual void showAt(double seconds) = 0;
    // The decoded size of the picture shown (0 before the first); counts pictures shown so far, so
    // that a Video object cleared by its script stays blank until a newer one comes.
    virtual int pictureWidth() const = 0;
    virtual int pictureHeight() const = 0;
    virtual uint64_t pictureSerial() const = 0;

    // Starts the sound `seconds` into the file (replacing any playing); does nothing without sound.
    virtual void playSound(double seconds) = 0;
    virtual void stopSound() = 0;
    // How loud the sound is heard, and on which side, from now on (kept for the sound started next).
    virtual void setSoundTransform(const ChannelTransform& transform) { (void)transform; }
    // Seconds into the file being heard now, while the sound plays; nullopt when it does not (no
    // sound, stopped, or run out), so that the stream keeps time by the movie's clock instead.
    virtual std::optional<double> soundTime() const = 0;
};

// Opens the files NetStream.play reads. The host that plays a movie gives one to its
// MovieInstance (MovieInstance::Options::media); without one every stream fails to play.
class MediaServices {
public:
    virtual ~MediaServices() = default;
    // The media in bytes (a whole file, already read under the folder rule), or nullptr with
    // error set in words for the movie's diagnostics when they are not a playable FLV or MP4 file.
    virtual std::unique_ptr<StreamMedia> openFlv(std::vector<uint8_t> bytes, std::string& error) = 0;
};

// What a NetStream shows: the media it plays now, replaced by each play() and dropped by close().
// Shared by the stream and the Video objects attached to it.
struct VideoFeed {
    std::shared_ptr<StreamMedia> media;
};

// A Video object's state on stage (DisplayObject::videoDisplay): the stream attached to it, and
// what its script set.
struct VideoDisplay {
    std::shared_ptr<VideoFeed> feed;  // null: nothing attached
    // clear(): the pictures of clearedMedia up to this serial are not shown.
    const StreamMedia* clearedMedia = nullptr;
    uint64_t clearedAt = 0;
    std::optional<bool> smoothing;    // set by the script; else the character's own flag
};

}  // namespace velmora::swf
