#include "swf/runtime/script/file_loads.h"

#include <iconv.h>

#include <algorithm>

#include "swf/format/movie_folder.h"
#include "swf/format/text_encoding.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/native.h"
#include "swf/runtime/script/url_escape.h"

namespace velmora::swf::script {

namespace {

// More waiting requests than any lesson makes in one frame is a script gone wrong.
constexpr size_t kMaxPending = 256;

// onData is looked up and called inside one guarded run, so that a getter or a throwing handler
// is reported like any other script error.
Value callOnData(CallContext& cx, const Value& self, std::span<const Value> args) {
    return cx.call(cx.get(self, "onData"), self, args);
}

bool validUtf8(const std::string& s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        }
        i += n;
    }
    return true;
}

bool fromGbk(const std::string& in, std::string& out) {
    iconv_t cd = iconv_open("UTF-8", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    out.assign(in.size() * 2 + 4, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1) || srcLeft != 0) return false;
    out.resize(out.size() - dstLeft);
    return true;
}

}  // namespace

std::string FileLoads::decodeText(const std::vector<uint8_t>& bytes, bool useCodepage) {
    std::string raw(bytes.begin(), bytes.end());
    if (raw.size() >= 3 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) return toUtf8(raw.substr(3), 5);
    std::string out;
    if (useCodepage && fromGbk(raw, out)) return out;
    if (!useCodepage && validUtf8(raw)) return raw;
    return toUtf8(raw, 5);  // UTF-8, then GBK, then Latin-1
}

std::vector<std::pair<std::string, std::string>> decodeVariables(std::string_view text, int swfVersion) {
    std::vector<std::pair<std::string, std::string>> out;
    auto unescape = [swfVersion](std::string_view part) {
        std::string s(part);
        std::replace(s.begin(), s.end(), '+', ' ');
        return unescapeText(s, swfVersion);
    };
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('&', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view pair = text.substr(start, end - start);
        if (!pair.empty()) {
            const size_t eq = pair.find('=');
            if (eq == std::string_view::npos) {
                out.emplace_back(unescape(pair), std::string());
            } else {
                out.emplace_back(unescape(pair.substr(0, eq)), unescape(pair.substr(eq + 1)));
            }
        }
        start = end + 1;
    }
    return out;
}

FileLoads::FileLoads(Vm& vm) : vm_(vm) {
    tracer_ = vm_.heap().addRootTracer([this](Tracer& t) {
        for (const Request& r : queue_) t.mark(r.target);
    });
}

FileLoads::~FileLoads() { vm_.heap().removeRootTracer(tracer_); }

const MovieFolder& FileLoads::folder() {
    if (!folder_) folder_ = std::make_unique<MovieFolder>(vm_.movie().url());
    return *folder_;
}

bool FileLoads::useCodepage() {
    const Property* system = vm_.ownProperty(vm_.global(), vm_.key("System"));
    Object* o = system && !system->isAccessor() ? system->value.objectOrNull() : nullptr;
    if (!o) return false;
    const Property* p = vm_.ownProperty(o, vm_.key("useCodepage"));
    return p && !p->isAccessor() && vm_.toBoolean(p->value);
}

void FileLoads::request(Kind kind, const Value& target, std::string name) {
    auto same = std::find_if(queue_.begin(), queue_.end(),
                             [&](const Request& r) { return r.kind == kind && Vm::strictEquals(r.target, target); });
    if (same != queue_.end()) queue_.erase(same);
    if (queue_.size() >= kMaxPending) {
        vm_.diagnostic("script: too many files requested at once; \"" + name.substr(0, 200) + "\" refused");
        return;
    }
    queue_.push_back({kind, target, std::move(name), std::string()});
}

void FileLoads::requestBytes(const Value& target, std::string name, uint64_t maxBytes, BytesArrived arrived) {
    request(Kind::Bytes, target, std::move(name));
    auto it = std::find_if(queue_.begin(), queue_.end(),
                           [&](const Request& r) { return r.kind == Kind::Bytes && Vm::strictEquals(r.target, target); });
    if (it == queue_.end()) {
        if (arrived) arrived(target, nullptr);  // refused at once: too many waiting
        return;
    }
    it->maxBytes = maxBytes;
    it->arrived = std::move(arrived);
}

void FileLoads::refuse(const Value& target, std::string why) {
    auto same = std::find_if(queue_.begin(), queue_.end(),
                             [&](const Request& r) { return r.kind == Kind::Text && Vm::strictEquals(r.target, target); });
    if (same != queue_.end()) queue_.erase(same);
    if (queue_.size() >= kMaxPending) {
        vm_.diagnostic("script: " + why);
        return;
    }
    queue_.push_back({Kind::Text, target, std::string(), std::move(why)});
}

void FileLoads::deliver() {
    std::vector<Request> now;
    now.swap(queue_);
    std::vector<Value> keep;
    for (const Request& r : now) keep.push_back(r.target);
    vm_.tempRoots_.push_back(&keep);
    for (const Request& r : now) {
        try {
            deliverOne(r);
        } catch (const LimitExceeded&) {
            vm_.diagnostic("script: \"" + r.name.substr(0, 200) + "\" is too large for the movie's memory");
        }
    }
    vm_.tempRoots_.pop_back();
}

void FileLoads::deliverOne(const Request& request) {
    if (request.kind == Kind::Bytes) {
        ParseLimits limits;
        limits.maxUncompressedBytes = request.maxBytes;
        auto got = folder().read(request.name, limits);
        if (auto* refused = std::get_if<MovieFolder::Refused>(&got)) {
            vm_.diagnostic("script: refused to load " + refused->why);
            if (request.arrived) request.arrived(request.target, nullptr);
        } else if (request.arrived) {
            request.arrived(request.target, &std::get<std::vector<uint8_t>>(got));
        }
        return;
    }
    ParseLimits limits;
    limits.maxUncompressedBytes = std::min<uint64_t>(limits.maxUncompressedBytes, vm_.limits().maxStringBytes);
    auto got = request.refusal.empty() ? folder().read(request.name, limits)
                                       : std::variant<std::vector<uint8_t>, MovieFolder::Refused>(MovieFolder::Refused{});
    std::optional<std::string> text;
    if (!request.refusal.empty()) {
        vm_.diagnostic("script: " + request.refusal);
    } else if (auto* refused = std::get_if<MovieFolder::Refused>(&got)) {
        vm_.diagnostic("script: refused to load " + refused->why);
    } else {
        text = decodeText(std::get<std::vector<uint8_t>>(got), useCodepage());
    }

    if (request.kind == Kind::Variables) {
        auto* ref = dynamic_cast<ClipObject*>(request.target.objectOrNull());
        ClipObject* object = ref ? ref->current(vm_) : nullptr;
        Clip* clip = object ? object->clip(vm_) : nullptr;
        if (!text || !clip) return;
        // Straight into the clip's variables: a loaded file runs no setters.
        for (const auto& [name, value] : decodeVariables(*text, clip->definitions().version)) {
            if (name.empty()) continue;
            object->put(vm_.key(name), vm_.name(name), Value::string(vm_.heap().string(value)));
        }
        vm_.movie().dataArrived(*clip);
        return;
    }

    Object* target = request.target.objectOrNull();
    if (!target) return;
    if (text) {
        const Value size = Value::number(static_cast<double>(std::get<std::vector<uint8_t>>(got).size()));
        target->put(vm_.key("_bytesLoaded"), vm_.name("_bytesLoaded"), size, kDontEnum);
        target->put(vm_.key("_bytesTotal"), vm_.name("_bytesTotal"), size, kDontEnum);
    }
    const Value argument = text ? Value::string(vm_.heap().string(std::move(*text))) : Value();
    const Value trampoline = Value::object(makeNative(vm_, callOnData, 1));
    vm_.callTopLevel(trampoline, request.target, std::span<const Value>(&argument, 1));
}

}  // namespace velmora::swf::script
