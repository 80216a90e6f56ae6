#include "swf/runtime/script/url_escape.h"

#include <cstdint>

#include "swf/format/text_encoding.h"
#include "swf/runtime/script/text_units.h"

namespace velmora::swf::script {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

bool isAlphanumeric(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void appendEscaped(std::string& out, unsigned char byte) {
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 15];
}

}  // namespace

std::string escapeText(std::string_view utf8, int swfVersion) {
    std::string out;
    out.reserve(utf8.size() * 3);
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (isAlphanumeric(c)) {
            out += static_cast<char>(c);
        } else if (swfVersion < 6 && (c == 0xC2 || c == 0xC3) && i + 1 < utf8.size() &&
                   (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
            // U+0080..U+00FF: one byte of the old single-byte code page.
            appendEscaped(out, static_cast<unsigned char>(((c & 0x03) << 6) | (utf8[i + 1] & 0x3F)));
            ++i;
        } else {
            appendEscaped(out, c);
        }
    }
    return out;
}

std::string unescapeText(std::string_view text, int swfVersion) {
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%') {
            if (i + 5 < text.size() && (text[i + 1] == 'u' || text[i + 1] == 'U')) {
                const int a = hexValue(text[i + 2]), b = hexValue(text[i + 3]);
                const int c = hexValue(text[i + 4]), d = hexValue(text[i + 5]);
                if (a >= 0 && b >= 0 && c >= 0 && d >= 0) {
                    auto cp = static_cast<uint32_t>((a << 12) | (b << 8) | (c << 4) | d);
                    // A lone surrogate half cannot stand in UTF-8: it reads as the replacement character.
                    if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
                    bytes += cp == 0 ? std::string(1, '\0') : codePointToUtf8(cp);
                    i += 5;
                    continue;
                }
            }
            if (i + 2 < text.size()) {
                const int high = hexValue(text[i + 1]), low = hexValue(text[i + 2]);
                if (high >= 0 && low >= 0) {
                    bytes += static_cast<char>((high << 4) | low);
                    i += 2;
                    continue;
                }
            }
        }
        bytes += text[i];
    }
    return toUtf8(bytes, static_cast<uint8_t>(swfVersion));
}

}  // namespace velmora::swf::script
