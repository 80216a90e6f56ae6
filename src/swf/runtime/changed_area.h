#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "swf/format/filter.h"
#include "swf/format/geometry.h"

namespace velmora::swf {

class Clip;
class MovieInstance;
struct DisplayObject;

// Where the stage changed since a view last drew it: a few boxes in stage twips, or the whole
// stage when a change could not say where it lies. A view redraws only these boxes, so that a
// clip stepping through frames that add nothing costs no drawing at all, and a small animation
// costs what its own pixels cost.
class ChangedArea {
public:
    // More boxes than this are kept as the one box around them all: a frame that changes in many
    // places is cheaper drawn as one rectangle than as many.
    static constexpr size_t kMostBoxes = 32;

    static ChangedArea everything() {
        ChangedArea area;
        area.whole_ = true;
        return area;
    }

    void addWhole() {
        whole_ = true;
        boxes_.clear();
    }
    void add(const Rect& stageTwips);

    // Nothing changed.
    bool empty() const { return !whole_ && boxes_.empty(); }
    // Somewhere unknown changed: the whole stage is to be drawn.
    bool whole() const { return whole_; }
    // The boxes that changed, when not whole.
    const std::vector<Rect>& boxes() const { return boxes_; }

private:
    bool whole_ = false;
    std::vector<Rect> boxes_;
};

// Where an object a clip shows lies on the stage (twips), with its content (a sprite's children
// included). The outer nullopt: not known, because something between the object and the stage
// draws beyond the boxes (filters, a scaling grid, a button's parts, a script's drawing) or the
// object is not reached through its parents' display lists. The inner nullopt: it shows nothing.
std::optional<std::optional<Rect>> stageArea(const Clip& owner, const DisplayObject& object);

// Tells owner's movie that object, on owner's display list, changed how it looks at its present
// place: call it once before a change (where it was) and once after (where it is). Where the
// object lies is not known, the whole stage counts as changed.
void noteObjectArea(const Clip& owner, const DisplayObject& object);

// Runs change on object (on owner's display list; owner null when not known) and tells movie
// where it changed: its box before and after, or the whole stage for a mask, whose change
// shows beyond its box, and for what no box can say. Returns what change returns; false changed
// nothing.
bool changeObjectNoting(MovieInstance& movie, const Clip* owner, const DisplayObject& object, const std::function<bool()>& change);

// Whether two placements draw alike, field by field.
bool sameMatrix(const Matrix& a, const Matrix& b);
bool sameColorTransform(const ColorTransform& a, const ColorTransform& b);
bool sameFilters(const std::vector<Filter>& a, const std::vector<Filter>& b);

}  // namespace velmora::swf
