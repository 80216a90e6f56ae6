// The levels of a movie: level 0 is the root, loadMovieNum puts movies above it.
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/placement_plan.h"

namespace velmora::swf {

Clip* MovieInstance::level(int n) {
    if (n == 0) return root_.get();
    const auto it = levels_.find(n);
    return it == levels_.end() ? nullptr : it->second.get();
}

int MovieInstance::levelOf(const Clip& top) const {
    if (&top == root_.get()) return 0;
    for (const auto& [n, clip] : levels_) {
        if (clip.get() == &top) return n;
    }
    return -1;
}

void MovieInstance::setLevel(int n, std::unique_ptr<Clip> clip) {
    if (n < 0 || n > kMaxLevel || (n == 0 && !clip)) return;
    std::unique_ptr<Clip> leaving;
    if (n == 0) {
        leaving = std::move(root_);
        root_ = std::move(clip);
    } else if (const auto it = levels_.find(n); it != levels_.end()) {
        leaving = std::move(it->second);
        if (clip) {
            it->second = std::move(clip);
        } else {
            levels_.erase(it);
        }
    } else if (clip) {
        levels_.emplace(n, std::move(clip));
    }
    noteChange();
    if (!leaving) return;
    silenceStreams(*leaving);
    // The departing root waits, like any clip that leaves, for its unload handlers.
    auto holder = std::make_unique<DisplayObject>();
    holder->clip = std::move(leaving);
    objectLeftStage(std::move(holder));
}

}  // namespace velmora::swf
