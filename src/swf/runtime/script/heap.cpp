#include "swf/runtime/script/heap.h"

#include "swf/runtime/script/object.h"

#include <algorithm>
#include <cctype>

namespace velmora::swf::script {

namespace {

// The first collection waits for this much; later ones for the heap to double since the last.
constexpr size_t kFirstThreshold = size_t{8} << 20;

}  // namespace

void Tracer::mark(const Value& value) {
    if (value.isString()) {
        mark(value.asString());
    } else if (value.isObject()) {
        mark(value.asObject());
    }
}

Heap::Heap(size_t maxBytes) : threshold_(kFirstThreshold), maxBytes_(maxBytes) {}

Heap::~Heap() {
    Cell* cell = first_;
    while (cell) {
        Cell* next = cell->next_;
        delete cell;
        cell = next;
    }
}

void Heap::adopt(Cell* cell, size_t baseSize) {
    cell->next_ = first_;
    first_ = cell;
    ++cells_;
    cell->accounted_ = baseSize;
    bytes_ += baseSize;
    if (bytes_ > maxBytes_) throw LimitExceeded{"the movie's scripts ran out of memory"};
}

void Heap::account(Cell* cell) {
    const size_t now = sizeof(Cell) + cell->extraBytes();
    // Only growth is tracked exactly; the base size was counted at allocation.
    if (now > cell->accounted_) {
        bytes_ += now - cell->accounted_;
        cell->accounted_ = now;
    }
    if (bytes_ > maxBytes_) throw LimitExceeded{"the movie's scripts ran out of memory"};
}

String* Heap::string(std::string text) {
    String* s = new String(std::move(text));
    adopt(s, sizeof(String) + s->text().capacity());
    return s;
}

String* Heap::intern(std::string_view text) {
    if (const auto it = interned_.find(text); it != interned_.end()) return it->second;
    String* s = string(std::string(text));
    s->interned_ = true;
    s->internedString_ = true;
    interned_.emplace(s->view(), s);
    // Every interned string is a possible key, and code before SWF 7 looks keys up by their
    // lowercase twin: made now, once, rather than on the hot path.
    folded(s);
    return s;
}

String* Heap::intern(String* s) { return s->interned_ ? s : intern(s->view()); }

String* Heap::folded(String* interned) {
    if (interned->folded_) return interned->folded_;
    std::string lower = interned->text();
    bool changed = false;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
            changed = true;
        }
    }
    String* f = changed ? intern(lower) : interned;
    interned->folded_ = f;
    return f;
}

int Heap::addRootTracer(std::function<void(Tracer&)> tracer) {
    rootTracers_.emplace_back(nextTracerId_, std::move(tracer));
    return nextTracerId_++;
}

void Heap::removeRootTracer(int id) {
    std::erase_if(rootTracers_, [id](const auto& entry) { return entry.first == id; });
}

void Heap::collect() {
    class Marker final : public Tracer {
    public:
        void mark(Cell* cell) override {
            if (cell && !cell->marked_) {
                cell->marked_ = true;
                pending.push_back(cell);
            }
        }
        std::vector<Cell*> pending;
    } marker;
    for (auto& [id, tracer] : rootTracers_) tracer(marker);
    for (Value* v : rooted_) marker.Tracer::mark(*v);
    while (!marker.pending.empty()) {
        Cell* cell = marker.pending.back();
        marker.pending.pop_back();
        cell->trace(marker);
    }
    Cell** link = &first_;
    size_t bytes = 0;
    size_t cells = 0;
    while (Cell* cell = *link) {
        if (cell->marked_) {
            cell->marked_ = false;
            bytes += cell->accounted_;
            ++cells;
            link = &cell->next_;
        } else {
            *link = cell->next_;
            if (cell->internedString_) interned_.erase(static_cast<String*>(cell)->view());
            delete cell;
        }
    }
    bytes_ = bytes;
    cells_ = cells;
    threshold_ = std::max(kFirstThreshold, bytes_ * 2);
}

}  // namespace velmora::swf::script
