#include "swf/format/timeline.h"

#include <algorithm>

namespace velmora::swf {

namespace {

bool equalIgnoringAsciiCase(const std::string& a, const std::string& b) {
    auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace

std::optional<size_t> Timeline::findLabel(const std::string& label) const {
    for (size_t i = 0; i < frames.size(); ++i) {
        for (const auto& name : frames[i].labels) {
            if (equalIgnoringAsciiCase(name, label)) return i;
        }
    }
    return std::nullopt;
}

}  // namespace velmora::swf
