#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "swf/runtime/clip_handle.h"
#include "swf/runtime/loaded_movie.h"
#include "swf/runtime/script/value.h"

namespace velmora::swf {
class MovieFolder;
class MovieInstance;
class Clip;
}

namespace velmora::swf::script {

class Vm;

// The movies a playing movie asked to load into its clips and levels (loadMovie, loadMovieNum,
// MovieClip.loadMovie, MovieClipLoader.loadClip) or to unload, kept until the movie's next tick
// and carried out then, between frames, in the order asked. Files are found by MovieFolder's rule
// beside the movie the user chose and parsed under the same limits; an SWF plays its own
// timeline and dictionary in the target's place, a JPEG, PNG or GIF shows as a one-frame movie.
//
// A target clip keeps its name, depth, placement and clip events; its script members go with its
// old timeline (the new movie gets a new script object), its old content's unload handlers run.
// A level's root is replaced or made; level 0 replaces the movie on stage.
//
// A MovieClipLoader given with a request hears, through its listeners: onLoadStart on the tick
// that carries the request out, then onLoadProgress on each following tick while the file
// "arrives" (a few steps by its size, the last one with all its bytes), and on that last tick
// onLoadComplete, then onLoadInit once the new movie's first frame scripts ran; or
// onLoadError(target, "URLNotFound") for a file refused or missing, or
// onLoadError(target, "LoadNeverCompleted") for one that is not a movie or picture. Files are
// read whole; the steps only let a lesson's progress bar move as its author meant. Plain
// loadMovie and loadMovieNum place the movie at once.
//
// One per MovieInstance; it must be destroyed before the Vm whose heap holds the loaders.
class MovieLoads {
public:
    // Where a movie goes: a clip, or a level when clip is empty.
    struct Target {
        ClipHandle clip;
        int level = -1;
    };

    explicit MovieLoads(Vm& vm);
    ~MovieLoads();
    MovieLoads(const MovieLoads&) = delete;
    MovieLoads& operator=(const MovieLoads&) = delete;

    // Queues loading `url` into target; `loader` (an object, or undefined) hears the events. A
    // newer request for the same target replaces one not yet carried out. An empty url unloads.
    // Past a few dozen waiting requests a new one is refused with a diagnostic.
    void load(Target target, std::string url, const Value& loader = Value());
    bool pending() const { return !queue_.empty() || !arriving_.empty(); }
    // Carries out the requests queued so far; those made meanwhile wait for the next call.
    void deliver();

    // The bytes of the movie loaded into target's clip so far and all told, for getProgress and
    // getBytesLoaded: the file's size twice once it is in, the bytes "arrived" so far of a
    // MovieClipLoader's file on its way into the clip.
    static std::pair<uint64_t, uint64_t> progress(const Clip& clip);
    // The same for a target that is to receive a MovieClipLoader's file, while it arrives.
    std::optional<std::pair<uint64_t, uint64_t>> arriving(const Target& target) const;

    // The bytes a MovieClipLoader's file is taken to arrive by on each tick, and the most ticks it
    // takes: a big file shows a few steps, none takes long.
    static constexpr uint64_t kBytesPerTick = 64 * 1024;
    static constexpr int kMaxArrivalTicks = 4;

    // How many different files may be loaded in one run of the movie; each stays parsed (a second
    // load of the same file takes it from here) until the movie is closed.
    static constexpr size_t kMaxMovies = 64;

private:
    struct Request {
        Target target;
        std::string url;
        Value loader;
    };
    // A MovieClipLoader's file read and parsed, reported step by step before it is placed.
    struct Arrival {
        Request request;
        std::shared_ptr<const LoadedMovie> loaded;
        int step = 0;
        int steps = 1;
        uint64_t arrived() const;
    };
    void deliverOne(const Request& request);
    // Reports the next step of an arrival; true when the file is all in (and placed or failed).
    bool advance(Arrival& arrival);
    void finish(const Request& request, std::shared_ptr<const LoadedMovie> loaded);
    Value targetObject(const Request& request);
    // The parsed movie of a file, or an error code ("URLNotFound", "LoadNeverCompleted").
    std::shared_ptr<const LoadedMovie> open(const std::string& url, std::string& error);
    Clip* place(const Request& request, std::shared_ptr<const LoadedMovie> loaded);
    void unload(const Request& request);
    void tell(const Value& loader, const char* event, std::vector<Value> args);
    const MovieFolder& folder();
    MovieInstance& instance();

    Vm& vm_;
    std::vector<Request> queue_;
    std::vector<Request> delivering_;
    std::vector<Arrival> arriving_;
    std::unique_ptr<MovieFolder> folder_;
    // By resolved path: the movie and the file's size.
    std::map<std::string, std::pair<std::shared_ptr<const Movie>, uint64_t>> parsed_;
    int tracer_ = 0;
};

// What "_root" names for a script on clip's timeline: the root of its level, or the nearest clip
// holding a loaded movie whose _lockroot a script set true (a module that keeps its own _root
// wherever it is loaded).
Clip& scriptRoot(Vm& vm, Clip& clip);

}  // namespace velmora::swf::script
