#include "playlist/playlist.h"

#include "platform/core/failure.h"

namespace velmora {

int64_t upperBound(const Playlist& playlist) {
    if (playlist.empty()) throw Failure("the playlist has not been set up yet");
    return static_cast<int64_t>(playlist.size()) - 1;
}

const std::string& entryAt(const Playlist& playlist, int64_t index) {
    if (index < 0 || index >= static_cast<int64_t>(playlist.size())) {
        throw Failure("playlist entry " + std::to_string(index) + " does not exist (the playlist has " +
                      (playlist.empty() ? std::string("no entries")
                                        : "entries 0 to " + std::to_string(playlist.size() - 1)) +
                      ")");
    }
    return playlist[static_cast<size_t>(index)];
}

std::string& entryAt(Playlist& playlist, int64_t index) {
    return const_cast<std::string&>(entryAt(static_cast<const Playlist&>(playlist), index));
}

}  // namespace velmora
