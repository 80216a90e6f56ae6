#include "swf/runtime/script/text_units.h"

#include <algorithm>
#include <cmath>

namespace velmora::swf::script {

namespace {

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

size_t characterCount(std::string_view text) {
    size_t n = 0;
    for (unsigned char c : text) n += !isContinuation(c);
    return n;
}

size_t byteOffsetOfCharacter(std::string_view text, size_t index) {
    size_t i = 0;
    while (i < text.size() && index > 0) {
        ++i;
        while (i < text.size() && isContinuation(static_cast<unsigned char>(text[i]))) ++i;
        --index;
    }
    return i;
}

uint32_t firstCodePoint(std::string_view text) {
    if (text.empty()) return 0;
    const auto c = static_cast<unsigned char>(text[0]);
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    uint32_t cp = extra == 3 ? c & 0x07 : extra == 2 ? c & 0x0F : extra == 1 ? c & 0x1F : c;
    for (int i = 1; i <= extra; ++i) {
        if (static_cast<size_t>(i) >= text.size() || !isContinuation(static_cast<unsigned char>(text[i]))) return c;
        cp = (cp << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
    }
    return cp;
}

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string codePointToUtf8(uint32_t cp) {
    std::string out;
    if (cp != 0) appendUtf8(out, cp);
    return out;
}

std::string extractText(std::string_view text, double index, double count, bool characters) {
    if (!std::isfinite(index) || std::isnan(count)) return {};
    const double from = std::max(0.0, std::trunc(index) - 1);
    const size_t length = characters ? characterCount(text) : text.size();
    if (from >= static_cast<double>(length)) return {};
    const size_t first = static_cast<size_t>(from);
    const size_t n = count < 0 ? length - first : static_cast<size_t>(std::min(std::trunc(count), 1e15));
    if (!characters) return std::string(text.substr(first, n));
    const size_t begin = byteOffsetOfCharacter(text, first);
    const size_t end = begin + byteOffsetOfCharacter(text.substr(begin), n);
    return std::string(text.substr(begin, end - begin));
}

std::string hexByte(uint8_t byte) {
    static const char kDigits[] = "0123456789abcdef";
    return {kDigits[byte >> 4], kDigits[byte & 15]};
}

}  // namespace velmora::swf::script
