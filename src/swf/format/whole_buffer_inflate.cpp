#include "swf/format/whole_buffer_inflate.h"

#include <libdeflate.h>

#include <memory>

namespace velmora::swf {

std::optional<size_t> inflateWholeBuffer(std::span<const uint8_t> stream, std::span<uint8_t> out) {
    struct Free {
        void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
    };
    const std::unique_ptr<libdeflate_decompressor, Free> decoder(libdeflate_alloc_decompressor());
    if (!decoder) return std::nullopt;
    size_t consumed = 0;
    size_t produced = 0;
    const libdeflate_result result = libdeflate_zlib_decompress_ex(decoder.get(), stream.data(), stream.size(),
                                                                   out.data(), out.size(), &consumed, &produced);
    if (result != LIBDEFLATE_SUCCESS) return std::nullopt;
    return produced;
}

}  // namespace velmora::swf
