#include <iomanip>
#include <sstream>

#include "probe_command.h"
#include "swf/format/movie_loader.h"
#include "swf/format/sprite.h"
#include "swf/format/video.h"
#include "swf/video/video_packet.h"
#include "swf/video/video_track.h"

namespace velmora::probe {

namespace {

// Frame rates are 8.8 fixed point: print them exactly, without a trailing ".0" for whole ones.
std::string formatRate(double rate) {
    std::ostringstream s;
    s << std::setprecision(10) << rate;
    return s.str();
}

}  // namespace

void runInfoCommand(std::span<const std::string> args, std::ostream& out) {
    if (args.size() != 1) throwUsage(probeCommands()[0]);
    auto movie = swf::loadMovieFile(args[0]);
    out << "signature: " << std::string(movie->signature, 3) << "\n";
    out << "version: " << int(movie->version) << "\n";
    out << "width: " << movie->stageWidthPixels() << "\n";
    out << "height: " << movie->stageHeightPixels() << "\n";
    out << "rate: " << formatRate(movie->frameRate) << "\n";
    out << "frames: " << movie->root.frames.size() << "\n";
    out << "declared-frames: " << movie->declaredFrameCount << "\n";
    out << "characters: " << movie->dictionary.size() << "\n";
    if (movie->hasAbc) out << "actionscript3: yes (scripts not run)\n";
    if (!movie->root.frames.empty()) {
        for (const auto& tag : movie->root.frames[0].tags) {
            const auto* place = std::get_if<swf::PlaceObject>(&tag);
            if (place == nullptr || !place->name || !place->characterId) continue;
            const auto* sprite = dynamic_cast<const swf::SpriteCharacter*>(movie->character(*place->characterId));
            if (sprite == nullptr) continue;
            out << "clip: " << *place->name << " frames=" << sprite->timeline.frames.size() << "\n";
        }
    }
    for (const auto& [id, character] : movie->dictionary) {
        const auto* video = dynamic_cast<const swf::VideoStreamCharacter*>(character.get());
        if (video == nullptr) continue;
        const swf::VideoTrack track(*movie, *video);
        out << "video: " << id << " codec=" << swf::videoCodecName(video->codec) << " size=" << video->width << "x"
            << video->height << " frames=" << track.packets().size() << " declared-frames=" << video->frameCount
            << "\n";
    }
    printDiagnostics(movie->warnings);
}

}  // namespace velmora::probe
