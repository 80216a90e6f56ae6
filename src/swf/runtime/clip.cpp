#include "swf/runtime/clip.h"

#include "swf/runtime/clip_drawing.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/placement_plan.h"

namespace velmora::swf {

Clip::Clip(MovieInstance& movie, const Timeline& timeline, Clip* parent, DisplayObject* self, uint16_t characterId,
           int nesting)
    : movie_(movie),
      timeline_(timeline),
      parent_(parent),
      self_(self),
      characterId_(characterId),
      nesting_(nesting),
      bornTick_(movie.tickCount()),
      loaded_(parent ? parent->loaded_ : nullptr) {}

Clip::~Clip() {
    // The children's own clips release theirs as the list is destroyed after this body.
    movie_.releaseDisplayObjects(displayList_.size());
}

ClipDrawing& Clip::drawing() {
    if (!drawing_)
        drawing_ = std::make_unique<ClipDrawing>(movie_.limits().maxDrawingCommands, &movie_.drawingCommandTotal(),
                                                 movie_.limits().maxDrawingCommandsPerMovie);
    return *drawing_;
}

const Movie& Clip::definitions() const { return loaded_ ? *loaded_->movie : movie_.movie(); }

bool Clip::holdsLoadedMovie() const { return loaded_ && (!parent_ || parent_->loaded_ != loaded_); }

const std::string& Clip::name() const {
    static const std::string kNone;
    return self_ ? self_->name : kNone;
}

bool Clip::loops() const { return parent_ != nullptr || movie_.loop(); }

Clip* Clip::childAt(int32_t depth) const {
    auto it = displayList_.find(depth);
    return it == displayList_.end() ? nullptr : it->second->clip.get();
}

void Clip::play() {
    if (playing_) return;
    playing_ = true;
    streamPlayIfAudible();
}

void Clip::stop() {
    if (!playing_) return;
    playing_ = false;
    if (timeline_.streamHead && movie_.sound()) movie_.sound()->streamStop(*this);
}

void Clip::streamPlayIfAudible() {
    if (playing_ && timeline_.streamHead && movie_.sound() && frameCount() > 0) {
        movie_.sound()->streamPlay(*this, currentFrame_);
    }
}

}  // namespace velmora::swf
