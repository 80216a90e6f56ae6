#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "swf/runtime/script/value.h"

namespace velmora::swf {
class MovieFolder;
}

namespace velmora::swf::script {

class Vm;

// The files a playing movie asked to read (XML.load, LoadVars.load, loadVariables), kept until
// the movie's next tick and delivered then, between frames, as a loaded file would arrive. Files
// are found by MovieFolder's rule beside the movie the user chose (the instance's url); refusals
// are reported to the movie's diagnostics and delivered as failures.
//
// One per MovieInstance; it must be destroyed before the Vm whose heap holds the targets.
class FileLoads {
public:
    enum class Kind {
        // target.onData(text), or onData(undefined) when the file cannot be had. XML and LoadVars
        // parse the text in their own onData and then call onLoad.
        Text,
        // The file's name=value&... pairs become timeline variables of the target clip (a clip
        // reference); its data handlers then run.
        Variables,
        // The file's bytes go to the request's own handler (Sound.loadSound).
        Bytes,
    };
    // What a Bytes request hands over at delivery: the file, or nullptr when it could not be had
    // (the refusal is already reported). Called inside the delivery, between frames.
    using BytesArrived = std::function<void(const Value& target, const std::vector<uint8_t>* bytes)>;

    explicit FileLoads(Vm& vm);
    ~FileLoads();
    FileLoads(const FileLoads&) = delete;
    FileLoads& operator=(const FileLoads&) = delete;

    // Queues a request. A newer request for the same target replaces an older one not yet
    // delivered (as a second load() cancels the first). At most a few hundred wait at once; past
    // that the request is refused at once with a diagnostic.
    void request(Kind kind, const Value& target, std::string name);
    // A Bytes request: up to maxBytes of file (a larger one is refused), handed to arrived.
    void requestBytes(const Value& target, std::string name, uint64_t maxBytes, BytesArrived arrived);
    // Queues a failure for target (onData(undefined) at the next tick), reporting why then; it
    // replaces a load of the same target still waiting.
    void refuse(const Value& target, std::string why);
    bool pending() const { return !queue_.empty(); }
    // Delivers the requests queued so far; those made by the callbacks wait for the next call.
    void deliver();

    // The text of a loaded file: with `useCodepage` (System.useCodepage) the Chinese code page
    // first, else UTF-8 (a byte-order mark dropped); text that is not valid in the first choice is
    // read as the movie's own strings are (UTF-8, GBK, Latin-1), never dropped.
    static std::string decodeText(const std::vector<uint8_t>& bytes, bool useCodepage);

private:
    struct Request {
        Kind kind;
        Value target;
        std::string name;
        std::string refusal;  // set: delivered as a failure without looking for a file
        uint64_t maxBytes = 0;   // Bytes
        BytesArrived arrived;    // Bytes
    };
    void deliverOne(const Request& request);
    const MovieFolder& folder();
    bool useCodepage();

    Vm& vm_;
    std::vector<Request> queue_;
    std::unique_ptr<MovieFolder> folder_;
    int tracer_ = 0;
};

// Turns "a=1&b=two%20words" into name/value pairs as LoadVars.decode and loadVariables read it:
// %XX escapes and '+' (a space) undone in both; a pair without '=' has an empty value; empty
// pairs are skipped.
std::vector<std::pair<std::string, std::string>> decodeVariables(std::string_view text, int swfVersion);

}  // namespace velmora::swf::script
