#include "swf/format/text_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace velmora::swf {

namespace {

bool isValidUtf8(const std::string& s) {
    size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        size_t extra;
        uint32_t minimum;
        if (c < 0x80) { ++i; continue; }
        if ((c & 0xE0) == 0xC0) { extra = 1; minimum = 0x80; }
        else if ((c & 0xF0) == 0xE0) { extra = 2; minimum = 0x800; }
        else if ((c & 0xF8) == 0xF0) { extra = 3; minimum = 0x10000; }
        else return false;
        if (i + extra >= s.size()) return false;
        uint32_t code = c & (0x3F >> extra);
        for (size_t k = 1; k <= extra; ++k) {
            auto next = static_cast<unsigned char>(s[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += extra + 1;
    }
    return true;
}

// Converts with iconv; nullopt-like empty result and false when the text is not valid in `from`.
bool convert(const std::string& in, const char* from, std::string& out) {
    iconv_t cd = iconv_open("UTF-8", from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::vector<char> buffer(in.size() * 4 + 4);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = buffer.data();
    size_t dstLeft = buffer.size();
    size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1) || srcLeft != 0) return false;
    out.assign(buffer.data(), buffer.size() - dstLeft);
    return true;
}

std::string latin1ToUtf8(const std::string& in) {
    std::string out;
    out.reserve(in.size() * 2);
    for (unsigned char c : in) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace

std::string toUtf8(const std::string& stored, uint8_t swfVersion) {
    // Even SWF 6+ files from careless tools carry code-page text, so validity decides, not the
    // version alone.
    (void)swfVersion;
    if (isValidUtf8(stored)) return stored;
    std::string out;
    if (convert(stored, "GBK", out)) return out;
    return latin1ToUtf8(stored);
}

}  // namespace velmora::swf
