#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "swf/runtime/script/cell.h"

namespace velmora::swf::script {

// A script went past the heap's size limit (or another hard limit of the engine). Not a script
// exception: try/catch cannot catch it. The Vm ends the script in progress with a diagnostic and
// the movie plays on.
struct LimitExceeded {
    std::string what;
};

// The cells of one movie's scripts: allocation, interning and the collector.
//
// Collection is mark and sweep. It runs only at safe points the Vm chooses (between scripts, and
// at backward jumps of running code once the heap has grown past its threshold), never inside an
// allocation, so a native function may hold fresh cells in C++ locals as long as it does not call
// back into script (CallContext::call, conversions of objects) in between. Across such calls, keep
// them in a Rooted.
//
// Roots: whatever the root tracers registered with addRootTracer report (the Vm reports _global,
// the prototypes, every clip's object, the frames, stacks and registers of running code, pending
// intervals and watches), plus every live Rooted.
class Heap {
public:
    // maxBytes: the size limit; an allocation that would pass it raises LimitExceeded (the Vm
    // collects once the script that ran out has been stopped).
    explicit Heap(size_t maxBytes);
    ~Heap();  // deletes every cell
    Heap(const Heap&) = delete;
    Heap& operator=(const Heap&) = delete;

    // Allocates a cell of type T (derived from Cell) with args. Never collects. Raises
    // LimitExceeded past the size limit.
    template <typename T, typename... Args>
    T* make(Args&&... args) {
        T* cell = new T(std::forward<Args>(args)...);
        adopt(cell, sizeof(T));
        return cell;
    }

    // A new, not interned string.
    String* string(std::string text);
    // The one interned string with this text.
    String* intern(std::string_view text);
    // The interned string with s's text (s itself when it is interned).
    String* intern(String* s);
    // The interned lowercase (ASCII) twin of an interned string, by which code before SWF 7 looks
    // keys up. intern() makes it with the string, so foldedTwin() is set on every interned one.
    String* folded(String* interned);

    // Runs a full collection now. Only at a safe point (see above).
    void collect();
    // Whether the heap has grown enough since the last collection that a safe point should
    // collect.
    bool wantsCollection() const { return bytes_ >= threshold_; }

    size_t bytes() const { return bytes_; }
    size_t cellCount() const { return cells_; }
    size_t maxBytes() const { return maxBytes_; }
    void setMaxBytes(size_t maxBytes) { maxBytes_ = maxBytes; }

    // Registers a function that reports roots at every collection; returns an id for removal.
    int addRootTracer(std::function<void(Tracer&)> tracer);
    void removeRootTracer(int id);

    // Updates a cell's share of the size limit after it grew (an array's elements, a joined
    // string). Raises LimitExceeded past the limit.
    void account(Cell* cell);

private:
    friend class Rooted;
    void adopt(Cell* cell, size_t baseSize);

    Cell* first_ = nullptr;
    size_t bytes_ = 0;
    size_t cells_ = 0;
    size_t threshold_;
    size_t maxBytes_;
    struct ViewHash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::unordered_map<std::string_view, String*, ViewHash, std::equal_to<>> interned_;
    std::vector<std::pair<int, std::function<void(Tracer&)>>> rootTracers_;
    int nextTracerId_ = 1;
    std::vector<Value*> rooted_;
};

// Keeps one value alive for the scope it lives in, for native code that holds a fresh cell across
// a call back into script. Must be destroyed in reverse order of creation (a C++ scope does that).
class Rooted {
public:
    Rooted(Heap& heap, Value value) : heap_(heap), value_(value) { heap_.rooted_.push_back(&value_); }
    ~Rooted() { heap_.rooted_.pop_back(); }
    Rooted(const Rooted&) = delete;
    Rooted& operator=(const Rooted&) = delete;
    Value& get() { return value_; }
    const Value& get() const { return value_; }
    void set(Value value) { value_ = value; }

private:
    Heap& heap_;
    Value value_;
};

}  // namespace velmora::swf::script
