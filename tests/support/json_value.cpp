#include "json_value.h"

#include <cstdlib>
#include <stdexcept>

namespace velmora::test {

class JsonParser {
public:
    explicit JsonParser(const std::string& text) : text_(text) {}

    JsonValue document() {
        JsonValue v = value(0);
        space();
        if (pos_ != text_.size()) fail("trailing characters");
        return v;
    }

private:
    [[noreturn]] void fail(const char* what) const {
        throw std::runtime_error(std::string("JSON: ") + what + " at offset " + std::to_string(pos_));
    }

    void space() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\n' || text_[pos_] == '\r' || text_[pos_] == '\t')) ++pos_;
    }

    bool literal(const char* word) {
        size_t n = std::char_traits<char>::length(word);
        if (text_.compare(pos_, n, word) != 0) return false;
        pos_ += n;
        return true;
    }

    JsonValue value(int depth) {
        if (depth > 200) fail("nesting too deep");
        space();
        if (pos_ >= text_.size()) fail("unexpected end");
        JsonValue v;
        char c = text_[pos_];
        if (c == '{') {
            ++pos_;
            JsonValue::Object object;
            space();
            if (pos_ < text_.size() && text_[pos_] == '}') {
                ++pos_;
            } else {
                for (;;) {
                    space();
                    std::string key = string();
                    space();
                    if (pos_ >= text_.size() || text_[pos_] != ':') fail("expected ':'");
                    ++pos_;
                    object[key] = value(depth + 1);
                    space();
                    if (pos_ < text_.size() && text_[pos_] == ',') { ++pos_; continue; }
                    if (pos_ < text_.size() && text_[pos_] == '}') { ++pos_; break; }
                    fail("expected ',' or '}'");
                }
            }
            v.value_ = std::move(object);
        } else if (c == '[') {
            ++pos_;
            JsonValue::Array array;
            space();
            if (pos_ < text_.size() && text_[pos_] == ']') {
                ++pos_;
            } else {
                for (;;) {
                    array.push_back(value(depth + 1));
                    space();
                    if (pos_ < text_.size() && text_[pos_] == ',') { ++pos_; continue; }
                    if (pos_ < text_.size() && text_[pos_] == ']') { ++pos_; break; }
                    fail("expected ',' or ']'");
                }
            }
            v.value_ = std::move(array);
        } else if (c == '"') {
            v.value_ = string();
        } else if (literal("true")) {
            v.value_ = true;
        } else if (literal("false")) {
            v.value_ = false;
        } else if (literal("null")) {
        } else {
            const char* start = text_.c_str() + pos_;
            char* end = nullptr;
            double d = std::strtod(start, &end);
            if (end == start) fail("unexpected character");
            pos_ += static_cast<size_t>(end - start);
            v.value_ = d;
        }
        return v;
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

    uint32_t hex4() {
        if (pos_ + 4 > text_.size()) fail("short \\u escape");
        uint32_t v = static_cast<uint32_t>(std::stoul(text_.substr(pos_, 4), nullptr, 16));
        pos_ += 4;
        return v;
    }

    std::string string() {
        if (pos_ >= text_.size() || text_[pos_] != '"') fail("expected a string");
        ++pos_;
        std::string out;
        for (;;) {
            if (pos_ >= text_.size()) fail("unterminated string");
            char c = text_[pos_++];
            if (c == '"') return out;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= text_.size()) fail("unterminated escape");
            char e = text_[pos_++];
            switch (e) {
                case 'n': out += '\n'; break;
                case 't': out += '\t'; break;
                case 'r': out += '\r'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'u': {
                    uint32_t cp = hex4();
                    if (cp >= 0xD800 && cp < 0xDC00 && text_.compare(pos_, 2, "\\u") == 0) {
                        pos_ += 2;
                        uint32_t low = hex4();
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    }
                    appendUtf8(out, cp);
                    break;
                }
                default: out += e; break;
            }
        }
    }

    const std::string& text_;
    size_t pos_ = 0;
};

JsonValue JsonValue::parse(const std::string& text) { return JsonParser(text).document(); }

namespace {
[[noreturn]] void wrongType(const char* wanted) { throw std::runtime_error(std::string("JSON value is not ") + wanted); }
}  // namespace

bool JsonValue::asBool() const {
    if (auto* b = std::get_if<bool>(&value_)) return *b;
    wrongType("a boolean");
}
double JsonValue::asNumber() const {
    if (auto* d = std::get_if<double>(&value_)) return *d;
    wrongType("a number");
}
const std::string& JsonValue::asString() const {
    if (auto* s = std::get_if<std::string>(&value_)) return *s;
    wrongType("a string");
}
const JsonValue::Array& JsonValue::asArray() const {
    if (auto* a = std::get_if<Array>(&value_)) return *a;
    wrongType("an array");
}
const JsonValue::Object& JsonValue::asObject() const {
    if (auto* o = std::get_if<Object>(&value_)) return *o;
    wrongType("an object");
}
bool JsonValue::has(const std::string& key) const { return isObject() && asObject().count(key) != 0; }
const JsonValue& JsonValue::operator[](const std::string& key) const {
    auto& o = asObject();
    auto it = o.find(key);
    if (it == o.end()) throw std::runtime_error("JSON object has no member " + key);
    return it->second;
}
const JsonValue& JsonValue::get(const std::string& key) const {
    static const JsonValue kNull;
    if (!isObject()) return kNull;
    auto it = asObject().find(key);
    return it == asObject().end() ? kNull : it->second;
}

}  // namespace velmora::test
