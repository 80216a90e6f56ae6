#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "swf/runtime/script/value.h"

namespace velmora::swf::script {

class Cell;

// Handed to Cell::trace during marking: a cell reports every value and cell it refers to.
class Tracer {
public:
    virtual ~Tracer() = default;
    virtual void mark(Cell* cell) = 0;  // null is ignored
    void mark(const Value& value);
};

// Everything the Heap owns: strings, objects, scopes. The Heap allocates cells (Heap::make), links
// them in its list and deletes those it finds unreachable. Never delete a cell yourself and never
// keep one in a C++ member the collector cannot see (report it from trace, or root it).
class Cell {
public:
    virtual ~Cell() = default;
    Cell() = default;
    Cell(const Cell&) = delete;
    Cell& operator=(const Cell&) = delete;

    // Reports every cell this one refers to. Subclasses that hold values or cells override it and
    // call their base.
    virtual void trace(Tracer&) {}
    // Bytes this cell holds beyond sizeof, for the heap's size limit (text, element vectors).
    virtual size_t extraBytes() const { return 0; }

private:
    friend class Heap;
    friend class Tracer;
    Cell* next_ = nullptr;
    size_t accounted_ = 0;
    bool marked_ = false;
    // An interned String: the sweep takes it out of the intern table (without a dynamic_cast on
    // every cell).
    bool internedString_ = false;
};

// Immutable UTF-8 text. Strings the engine uses as names (identifiers, constants, property keys)
// are interned: one String per text, so names compare by pointer (Heap::intern). Other strings
// (the result of a concatenation) are not; intern them before using them as a key.
class String final : public Cell {
public:
    const std::string& text() const { return text_; }
    std::string_view view() const { return text_; }
    size_t size() const { return text_.size(); }
    bool empty() const { return text_.empty(); }
    bool interned() const { return interned_; }
    // The interned lowercase twin (itself when the text has no capitals); set on every interned
    // string, null on the others (see Heap::folded).
    String* foldedTwin() const { return folded_; }
    // Whether the text holds ':', '/' or '.', which make a variable name a target path.
    bool looksLikePath() const {
        if (pathChars_ < 0) pathChars_ = text_.find_first_of(":/.") != std::string::npos;
        return pathChars_ > 0;
    }
    size_t extraBytes() const override { return text_.capacity(); }
    // A string keeps its lowercase twin: keys made from it must stay the same pointer.
    void trace(Tracer& tracer) override { tracer.mark(folded_); }

private:
    friend class Heap;
    explicit String(std::string text) : text_(std::move(text)) {}
    std::string text_;
    bool interned_ = false;
    mutable int8_t pathChars_ = -1;  // not yet known
    // The interned lowercase twin, by which code of SWF 6 and earlier looks keys up. Kept alive
    // by this string.
    String* folded_ = nullptr;
};

}  // namespace velmora::swf::script
