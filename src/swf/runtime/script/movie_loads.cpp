#include "swf/runtime/script/movie_loads.h"

#include <algorithm>

#include "swf/format/movie_folder.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/picture_movie.h"
#include "swf/runtime/placement_plan.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/native.h"
#include "swf/runtime/script/vm.h"

namespace velmora::swf::script {

namespace {

// More waiting loads than any lesson makes between two frames is a script gone wrong (a movie
// loading itself over and over, say).
constexpr size_t kMaxPending = 32;
// Levels in use above 0 at once; courseware uses a handful.
constexpr size_t kMaxLevels = 64;

bool isSwf(const std::vector<uint8_t>& bytes) {
    return bytes.size() >= 8 && (bytes[0] == 'F' || bytes[0] == 'C' || bytes[0] == 'Z') && bytes[1] == 'W' &&
           bytes[2] == 'S';
}

// Tells each listener of the loader (self) of the event args[0], with the rest as arguments,
// inside one guarded run so that a throwing handler is reported like any script error.
Value broadcast(CallContext& cx, const Value& self, std::span<const Value> args) {
    ArrayObject* list = CallContext::thisArray(cx.get(self, "_listeners"));
    if (!list || args.empty()) return Value();
    String* event = cx.vm.key(cx.toString(args[0]));
    const std::vector<Value> listeners = list->elements();  // a listener may remove itself
    ArrayObject* keep = cx.newArray();
    keep->elements() = listeners;
    Rooted root(cx.heap(), Value::object(keep));
    for (const Value& listener : listeners) cx.call(cx.vm.getMember(listener, event), listener, args.subspan(1));
    return Value();
}

// Keeps values reachable by the collector while scripts run.
class KeptValues {
public:
    KeptValues(Vm& vm, std::vector<Value>& values) : vm_(vm) { vm_.tempRoots_.push_back(&values); }
    ~KeptValues() { vm_.tempRoots_.pop_back(); }
    KeptValues(const KeptValues&) = delete;
    KeptValues& operator=(const KeptValues&) = delete;

private:
    Vm& vm_;
};

bool sameTarget(const MovieLoads::Target& a, const MovieLoads::Target& b) {
    if (a.level >= 0 || b.level >= 0) return a.level == b.level && !a.clip.get() && !b.clip.get();
    return a.clip.get() && a.clip.get() == b.clip.get();
}

}  // namespace

MovieLoads::MovieLoads(Vm& vm) : vm_(vm) {
    tracer_ = vm_.heap().addRootTracer([this](Tracer& t) {
        for (const Request& r : queue_) t.mark(r.loader);
        for (const Request& r : delivering_) t.mark(r.loader);
        for (const Arrival& a : arriving_) t.mark(a.request.loader);
    });
}

MovieLoads::~MovieLoads() { vm_.heap().removeRootTracer(tracer_); }

const MovieFolder& MovieLoads::folder() {
    if (!folder_) folder_ = std::make_unique<MovieFolder>(vm_.movie().url());
    return *folder_;
}

void MovieLoads::load(Target target, std::string url, const Value& loader) {
    std::erase_if(queue_, [&](const Request& r) { return sameTarget(r.target, target); });
    // A file still on its way is dropped for the newer request, without a word to its loader.
    std::erase_if(arriving_, [&](const Arrival& a) { return sameTarget(a.request.target, target); });
    if (queue_.size() >= kMaxPending) {
        vm_.diagnostic("script: too many movies asked for at once; \"" + url.substr(0, 200) + "\" refused");
        return;
    }
    queue_.push_back({std::move(target), std::move(url), loader});
}

void MovieLoads::deliver() {
    // Files on their way take their next step first; those started below wait for the next tick.
    // Each stays in the list while its listeners hear of the step, so that getProgress and
    // getBytesLoaded answer for it; a listener may drop it by loading anew into its target.
    const std::vector<Arrival> arriving = arriving_;
    std::vector<Value> loaders;
    for (const Arrival& a : arriving) loaders.push_back(a.request.loader);
    const KeptValues keep(vm_, loaders);
    for (const Arrival& was : arriving) {
        const auto it = std::find_if(arriving_.begin(), arriving_.end(),
                                     [&](const Arrival& a) { return a.loaded == was.loaded; });
        if (it == arriving_.end()) continue;
        ++it->step;
        Arrival now = *it;
        try {
            advance(now);
        } catch (const LimitExceeded&) {
            vm_.diagnostic("script: loading \"" + now.request.url.substr(0, 200) + "\" went past the movie's memory");
            std::erase_if(arriving_, [&](const Arrival& a) { return a.loaded == now.loaded; });
        }
    }
    delivering_.clear();
    delivering_.swap(queue_);
    for (const Request& r : delivering_) {
        try {
            deliverOne(r);
        } catch (const LimitExceeded&) {
            vm_.diagnostic("script: loading \"" + r.url.substr(0, 200) + "\" went past the movie's memory");
        }
    }
    delivering_.clear();
}

std::pair<uint64_t, uint64_t> MovieLoads::progress(const Clip& clip) {
    // The handle only names the clip here; nothing is changed through it.
    const Target target{const_cast<Clip&>(clip).handle(), -1};
    if (const auto on = clip.movie().movieLoads().arriving(target)) return *on;
    if (const LoadedMovie* loaded = clip.loadedMovie()) return {loaded->bytes, loaded->bytes};
    const uint64_t size = clip.movie().movie().declaredFileLength;
    return {size, size};
}

std::optional<std::pair<uint64_t, uint64_t>> MovieLoads::arriving(const Target& target) const {
    // A level may be named by its number or by its root clip.
    auto spot = [&](const Target& t) -> std::pair<const Clip*, int> {
        const Clip* c = t.clip.get();
        if (c && !c->parent()) return {nullptr, c->movie().levelOf(*c)};
        return {c, c ? -1 : t.level};
    };
    const auto wanted = spot(target);
    if (!wanted.first && wanted.second < 0) return std::nullopt;
    for (const Arrival& a : arriving_) {
        if (spot(a.request.target) == wanted) return std::pair{a.arrived(), a.loaded->bytes};
    }
    return std::nullopt;
}

uint64_t MovieLoads::Arrival::arrived() const {
    return steps > 0 ? loaded->bytes * static_cast<uint64_t>(step) / static_cast<uint64_t>(steps) : loaded->bytes;
}

void MovieLoads::tell(const Value& loader, const char* event, std::vector<Value> args) {
    if (!loader.isObject()) return;
    args.insert(args.begin(), Value::string(vm_.name(event)));
    vm_.callTopLevel(Value::object(makeNative(vm_, broadcast, 1)), loader, args);
}

std::shared_ptr<const LoadedMovie> MovieLoads::open(const std::string& url, std::string& error) {
    error = "URLNotFound";
    const auto where = folder().resolve(url);
    if (const auto* refused = std::get_if<MovieFolder::Refused>(&where)) {
        vm_.diagnostic("script: refused to load " + refused->why);
        return nullptr;
    }
    const std::string& path = std::get<MovieFolder::Resolved>(where).path;
    if (const auto it = parsed_.find(path); it != parsed_.end()) {
        return std::make_shared<LoadedMovie>(LoadedMovie{it->second.first, url, it->second.second});
    }
    auto got = folder().read(url);
    if (const auto* refused = std::get_if<MovieFolder::Refused>(&got)) {
        vm_.diagnostic("script: refused to load " + refused->why);
        return nullptr;
    }
    error = "LoadNeverCompleted";
    if (parsed_.size() >= kMaxMovies) {
        vm_.diagnostic("script: more than " + std::to_string(kMaxMovies) + " different movies loaded; \"" +
                       url.substr(0, 200) + "\" refused");
        return nullptr;
    }
    auto bytes = std::get<std::vector<uint8_t>>(std::move(got));
    const uint64_t size = bytes.size();
    std::shared_ptr<const Movie> movie;
    if (isSwf(bytes)) {
        try {
            movie = parseMovie(bytes);
        } catch (const ParseError& e) {
            vm_.diagnostic("script: \"" + url.substr(0, 200) + "\" cannot be played: " + e.what());
            return nullptr;
        }
        for (const Diagnostic& warning : movie->warnings.entries()) {
            vm_.movie().report(warning.room, "\"" + url.substr(0, 200) + "\": " + warning.text);
        }
    } else if (looksLikePicture(bytes)) {
        movie = pictureMovie(std::move(bytes), static_cast<uint8_t>(vm_.version()));
        if (!movie) {
            vm_.diagnostic("script: the picture \"" + url.substr(0, 200) + "\" gives no usable size");
            return nullptr;
        }
    } else {
        vm_.diagnostic("script: \"" + url.substr(0, 200) + "\" is neither a movie nor a JPEG, PNG or GIF picture");
        return nullptr;
    }
    parsed_.emplace(path, std::pair{movie, size});
    error.clear();
    return std::make_shared<LoadedMovie>(LoadedMovie{std::move(movie), url, size});
}

Clip* MovieLoads::place(const Request& request, std::shared_ptr<const LoadedMovie> loaded) {
    MovieInstance& instance = vm_.movie();
    Clip* clip = request.target.clip.get();
    const int level = clip ? (clip->parent() ? -1 : instance.levelOf(*clip)) : request.target.level;
    if (level >= 0) {
        if (level > 0 && !instance.level(level) && instance.upperLevels().size() >= kMaxLevels) {
            vm_.diagnostic("script: more than " + std::to_string(kMaxLevels) + " levels in use; \"" +
                           request.url.substr(0, 200) + "\" refused");
            return nullptr;
        }
        auto root = std::make_unique<Clip>(instance, loaded->movie->root, nullptr, nullptr, 0, 0);
        root->holdLoadedMovie(std::move(loaded));
        Clip* placed = root.get();
        instance.setLevel(level, std::move(root));
        placed->enterFirstFrame();
        return placed;
    }
    DisplayObject* self = clip ? clip->displayObject() : nullptr;
    if (!self || self->clip.get() != clip) return nullptr;
    auto fresh = std::make_unique<Clip>(instance, loaded->movie->root, clip->parent(), self, clip->characterId(),
                                        clip->nesting());
    fresh->holdLoadedMovie(std::move(loaded));
    std::unique_ptr<Clip> old = std::move(self->clip);
    self->clip = std::move(fresh);
    silenceStreams(*old);
    // The old timeline leaves as a removed clip does: its unload handlers run, then it goes.
    auto holder = std::make_unique<DisplayObject>();
    holder->clip = std::move(old);
    instance.objectLeftStage(std::move(holder));
    Clip* placed = self->clip.get();
    placed->enterFirstFrame();
    instance.queueClipEvent(*placed, kClipEventLoad);
    instance.noteChange();
    return placed;
}

void MovieLoads::unload(const Request& request) {
    MovieInstance& instance = vm_.movie();
    Clip* clip = request.target.clip.get();
    const int level = clip ? (clip->parent() ? -1 : instance.levelOf(*clip)) : request.target.level;
    if (level > 0) {
        instance.setLevel(level, nullptr);
        return;
    }
    if (!clip && level < 0) return;
    // A clip, or level 0, stays and shows an empty movie.
    auto empty = std::make_shared<Movie>();
    empty->version = static_cast<uint8_t>(vm_.version());
    empty->root.frames.emplace_back();
    place(request, std::make_shared<LoadedMovie>(LoadedMovie{std::move(empty), std::string(), 0}));
}

void MovieLoads::deliverOne(const Request& request) {
    Clip* clip = request.target.clip.get();
    const bool gone = request.target.level < 0 && !clip;
    if (request.url.empty()) {
        if (!gone) unload(request);
        instance().runPendingActions();
        return;
    }
    const Value before = clip ? Value::object(vm_.clipObject(*clip)) : Value();
    if (gone) {
        vm_.diagnostic("script: \"" + request.url.substr(0, 200) + "\" was to load into a clip that has gone");
        tell(request.loader, "onLoadError", {before, Value::string(vm_.name("URLNotFound")), Value::number(0)});
        return;
    }
    std::string error;
    std::shared_ptr<const LoadedMovie> loaded = open(request.url, error);
    if (!loaded) {
        if (error == "LoadNeverCompleted") tell(request.loader, "onLoadStart", {before});
        tell(request.loader, "onLoadError", {before, Value::string(vm_.name(error)), Value::number(0)});
        return;
    }
    if (!request.loader.isObject()) {
        finish(request, std::move(loaded));
        return;
    }
    tell(request.loader, "onLoadStart", {before});
    const uint64_t ticks = (loaded->bytes + kBytesPerTick - 1) / kBytesPerTick;
    const int steps = static_cast<int>(std::clamp<uint64_t>(ticks, 1, kMaxArrivalTicks));
    arriving_.push_back({request, std::move(loaded), 0, steps});
}

Value MovieLoads::targetObject(const Request& request) {
    Clip* clip = request.target.clip.get();
    if (!clip && request.target.level >= 0) clip = instance().level(request.target.level);
    return clip ? Value::object(vm_.clipObject(*clip)) : Value();
}

bool MovieLoads::advance(Arrival& arrival) {
    const Request& request = arrival.request;
    auto leave = [&] {
        return std::erase_if(arriving_, [&](const Arrival& a) { return a.loaded == arrival.loaded; }) != 0;
    };
    if (request.target.level < 0 && !request.target.clip.get()) {
        leave();
        vm_.diagnostic("script: \"" + request.url.substr(0, 200) + "\" was to load into a clip that has gone");
        tell(request.loader, "onLoadError", {Value(), Value::string(vm_.name("URLNotFound")), Value::number(0)});
        return true;
    }
    const double total = static_cast<double>(arrival.loaded->bytes);
    tell(request.loader, "onLoadProgress",
         {targetObject(request), Value::number(static_cast<double>(arrival.arrived())), Value::number(total)});
    if (arrival.step < arrival.steps) return false;
    // Gone from the list already: a listener loaded something else into the target.
    if (!leave()) return true;
    finish(request, arrival.loaded);
    return true;
}

void MovieLoads::finish(const Request& request, std::shared_ptr<const LoadedMovie> loaded) {
    // A handler may have removed the target meanwhile.
    if (request.target.level < 0 && !request.target.clip.get()) return;
    Clip* placed = place(request, std::move(loaded));
    if (!placed) {
        tell(request.loader, "onLoadError",
             {targetObject(request), Value::string(vm_.name("LoadNeverCompleted")), Value::number(0)});
        return;
    }
    const ClipHandle handle = placed->handle();
    const Value after = Value::object(vm_.clipObject(*placed));
    tell(request.loader, "onLoadComplete", {after, Value::number(0)});
    // The new movie's first frame scripts run before the loader hears it is ready.
    instance().runPendingActions();
    if (handle.get()) tell(request.loader, "onLoadInit", {after});
}

MovieInstance& MovieLoads::instance() { return vm_.movie(); }

Clip& scriptRoot(Vm& vm, Clip& clip) {
    Clip* at = &clip;
    for (; at->parent(); at = at->parent()) {
        if (!at->holdsLoadedMovie() || !at->scriptObject()) continue;
        Value lock;
        if (vm.lookupQuietly(Value::object(at->scriptObject()), vm.key("_lockroot"), lock) && lock.isBoolean() &&
            vm.toBoolean(lock)) {
            return *at;
        }
    }
    return *at;
}

}  // namespace velmora::swf::script
