// Feeds arbitrary bytes to the reader of an FLV's script data, both as a whole file (after a
// valid header, so that the tag walk is reached) and as one value. A crash, sanitizer report,
// hang or runaway allocation is a bug; a value refused as damaged is a correct answer.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "swf/video/flv_script_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace velmora::swf;
    const std::span<const uint8_t> bytes(data, size);
    (void)readScriptValue(bytes);
    std::vector<uint8_t> file{'F', 'L', 'V', 1, 5, 0, 0, 0, 9, 0, 0, 0, 0};
    file.insert(file.end(), bytes.begin(), bytes.end());
    const FlvScriptData script = readFlvScriptData(file);
    return script.cuePoints.size() > FlvScriptLimits::kMaxCuePoints ? 1 : 0;
}
