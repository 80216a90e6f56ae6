#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "swf/runtime/stream_media.h"

namespace velmora::swf {

// What an FLV file says in its script data tags, read by us rather than by libavformat, which
// keeps only the metadata's numbers and drops the cue points.
struct FlvScriptData {
    // The members of the first onMetaData, when the file has one.
    std::optional<std::vector<MediaValue::Member>> metadata;
    std::vector<MediaCuePoint> cuePoints;  // in time order
};

// Bounds on what the script data may cost, whatever the file claims.
struct FlvScriptLimits {
    static constexpr int kMaxDepth = 16;
    static constexpr size_t kMaxValues = 200'000;  // in the whole file
    static constexpr size_t kMaxCuePoints = 10'000;
};

// Reads the script data tags of a whole FLV file (its tag headers already checked). A damaged
// value ends the tag it is in: what came before it in that tag is dropped, the other tags stand.
FlvScriptData readFlvScriptData(std::span<const uint8_t> file);

// Reads one value in the file's script data encoding from bytes; nullopt when damaged or past
// the limits. Exposed for the tests and the fuzzers.
std::optional<MediaValue> readScriptValue(std::span<const uint8_t> bytes);

}  // namespace velmora::swf
