#include "swf/video/flv_script_data.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <string_view>

namespace velmora::swf {

namespace {

// The value markers of the encoding.
enum Marker : uint8_t {
    kNumber = 0,
    kBoolean = 1,
    kString = 2,
    kObject = 3,
    kNull = 5,
    kUndefined = 6,
    kReference = 7,
    kAssociativeArray = 8,
    kObjectEnd = 9,
    kStrictArray = 10,
    kDate = 11,
    kLongString = 12,
    kXml = 15,
    kTypedObject = 16,
};

// A bounds-checked reader; any read past the end sets failed and gives zeros.
class ValueReader {
public:
    // budget: values that may still be read, shared by the readers of one file.
    ValueReader(std::span<const uint8_t> bytes, size_t& budget) : bytes_(bytes), budget_(budget) {}

    std::optional<MediaValue> value(int depth) {
        if (depth > FlvScriptLimits::kMaxDepth || budget_ == 0) return fail();
        --budget_;
        MediaValue v;
        const uint8_t marker = u8();
        switch (marker) {
            case kNumber:
                v.kind = MediaValue::Kind::Number;
                v.number = number();
                break;
            case kBoolean:
                v.kind = MediaValue::Kind::Boolean;
                v.number = u8() != 0 ? 1 : 0;
                break;
            case kString:
                v.kind = MediaValue::Kind::String;
                v.text = text(u16());
                break;
            case kLongString:
            case kXml:
                v.kind = MediaValue::Kind::String;
                v.text = text(u32());
                break;
            case kNull: v.kind = MediaValue::Kind::Null; break;
            case kUndefined: v.kind = MediaValue::Kind::Undefined; break;
            // References point back into values this reader does not keep: taken as undefined.
            case kReference: u16(); break;
            case kDate:
                // Milliseconds since 1970, then a time zone nobody uses.
                v.kind = MediaValue::Kind::Number;
                v.number = number();
                u16();
                break;
            case kTypedObject:
                text(u16());  // the class name, which a plain object does not keep
                [[fallthrough]];
            case kObject:
                v.kind = MediaValue::Kind::Object;
                if (!members(v, depth)) return fail();
                break;
            case kAssociativeArray:
                v.kind = MediaValue::Kind::Array;
                u32();  // a count that writers get wrong: the end marker is what counts
                if (!members(v, depth)) return fail();
                break;
            case kStrictArray: {
                v.kind = MediaValue::Kind::Array;
                const uint32_t count = u32();
                // Each element takes a byte at least: a count beyond what is left is a lie.
                if (count > bytes_.size() - std::min(at_, bytes_.size())) return fail();
                for (uint32_t i = 0; i < count; ++i) {
                    auto element = value(depth + 1);
                    if (!element) return fail();
                    v.members.push_back({std::to_string(i), std::move(*element)});
                }
                break;
            }
            default: return fail();
        }
        if (failed_) return std::nullopt;
        return v;
    }

private:
    std::string text(size_t length) {
        if (failed_ || bytes_.size() - at_ < length) {
            failed_ = true;
            return {};
        }
        std::string s(reinterpret_cast<const char*>(bytes_.data() + at_), length);
        at_ += length;
        return s;
    }
    std::nullopt_t fail() {
        failed_ = true;
        return std::nullopt;
    }

    // Named members up to the end marker (an empty name, then the marker).
    bool members(MediaValue& v, int depth) {
        for (;;) {
            const std::string name = text(u16());
            if (failed_) return false;
            if (name.empty() && at_ < bytes_.size() && bytes_[at_] == kObjectEnd) {
                ++at_;
                return true;
            }
            auto member = value(depth + 1);
            if (!member) return false;
            v.members.push_back({name, std::move(*member)});
        }
    }

    uint8_t u8() {
        if (at_ >= bytes_.size()) {
            failed_ = true;
            return 0;
        }
        return bytes_[at_++];
    }
    uint16_t u16() {
        const unsigned high = u8();
        return uint16_t(high << 8 | u8());
    }
    uint32_t u32() {
        const uint32_t high = u16();
        return high << 16 | u16();
    }
    double number() {
        uint64_t bits = 0;
        for (int i = 0; i < 8; ++i) bits = bits << 8 | u8();
        return std::bit_cast<double>(bits);
    }

    std::span<const uint8_t> bytes_;
    size_t at_ = 0;
    bool failed_ = false;
    size_t& budget_;
};

uint32_t bigEndian(std::span<const uint8_t> b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v = v << 8 | b[at + size_t(i)];
    return v;
}

}  // namespace

std::optional<MediaValue> readScriptValue(std::span<const uint8_t> bytes) {
    size_t budget = FlvScriptLimits::kMaxValues;
    ValueReader reader(bytes, budget);
    return reader.value(0);
}

FlvScriptData readFlvScriptData(std::span<const uint8_t> file) {
    FlvScriptData out;
    if (file.size() < 9) return out;
    size_t at = size_t(bigEndian(file, 5, 4)) + 4;
    size_t budget = FlvScriptLimits::kMaxValues;
    while (at < file.size() && file.size() - at >= 11) {
        const uint8_t type = file[at] & 0x1F;
        const size_t size = bigEndian(file, at + 1, 3);
        if (file.size() - at - 11 < size) break;
        const double stamp = double(bigEndian(file, at + 4, 3) | uint32_t(file[at + 7]) << 24) / 1000;
        const std::span<const uint8_t> body = file.subspan(at + 11, size);
        at += 11 + size + 4;
        // A script data tag: a name, then the value handed to the handler of that name.
        if (type != 18 || body.size() < 3 || body[0] != kString) continue;
        const size_t nameLength = bigEndian(body, 1, 2);
        if (body.size() - 3 < nameLength) continue;
        const std::string_view name(reinterpret_cast<const char*>(body.data() + 3), nameLength);
        ValueReader reader(body.subspan(3 + nameLength), budget);
        std::optional<MediaValue> value = reader.value(0);
        if (!value) continue;
        if (name == "onMetaData" && !out.metadata) {
            // Written as an object or, by most encoders, as an associative array.
            if (value->kind == MediaValue::Kind::Object || value->kind == MediaValue::Kind::Array)
                out.metadata = std::move(value->members);
        } else if (name == "onCuePoint" && value->kind == MediaValue::Kind::Object &&
                   out.cuePoints.size() < FlvScriptLimits::kMaxCuePoints) {
            // The time it gives is the one its script sees; the tag's own stamp stands in without it.
            const MediaValue* time = value->member("time");
            double due = time && time->kind == MediaValue::Kind::Number ? time->number : stamp;
            if (!std::isfinite(due) || due < 0) due = stamp;
            out.cuePoints.push_back({due, std::move(*value)});
        }
    }
    std::stable_sort(out.cuePoints.begin(), out.cuePoints.end(),
                     [](const MediaCuePoint& a, const MediaCuePoint& b) { return a.time < b.time; });
    return out;
}

}  // namespace velmora::swf
