#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace velmora::swf {

// A block of ActionScript 1/2 byte code as stored in DoAction, DoInitAction, clip actions and
// button actions. Shared, since the same block is run by every instance that plays it.
using ActionBytes = std::shared_ptr<const std::vector<uint8_t>>;

}  // namespace velmora::swf
