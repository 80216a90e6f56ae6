#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

// A playlist: full movie paths with lower bound 0. Entries 1 to the upper bound are played in
// order; entry 0 holds the folder of a multiple choice (or the empty text) and is never loaded.
// A default-constructed playlist has no entries at all, not even entry 0.
using Playlist = std::vector<std::string>;

// The highest index of the playlist. Raises Failure when it has no entries.
int64_t upperBound(const Playlist& playlist);

// Entry `index`, bounds-tested: raises Failure unless 0 <= index <= upper bound.
const std::string& entryAt(const Playlist& playlist, int64_t index);
std::string& entryAt(Playlist& playlist, int64_t index);

}  // namespace velmora
