#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "swf/format/timeline.h"
#include "swf/runtime/clip_handle.h"
#include "swf/runtime/clip_sound_mix.h"
#include "swf/runtime/display_object.h"
#include "swf/runtime/loaded_movie.h"

namespace velmora::swf {

class MovieInstance;
class ClipDrawing;
namespace script {
class ClipObject;
}

// One instance of a timeline: the movie's main timeline (the root) or a placed sprite. It owns its
// display list, knows its current frame and whether it plays, and moves between frames by the
// format's display-list rules:
//  - stepping or going forward applies the control tags of every frame passed;
//  - going back rebuilds the list from the first frame; an object that stays at its depth with the
//    same character keeps its instance (and a sprite its state), others are made anew;
//  - a PlaceObject with the move flag updates the object already at its depth.
// Only the destination frame's scripts and event sounds run. Scripts are not run at once: they are
// queued on the MovieInstance, which runs them after the display lists have settled, parent before
// children, children in ascending depth (see MovieInstance::runPendingActions).
//
// Frames count from 0. A clip lives as long as the display object that holds it (the root as long
// as its MovieInstance); the MovieInstance outlives every clip.
class Clip {
public:
    // timeline must outlive the clip (it belongs to the movie or to a sprite character that the
    // placing display object keeps alive). self is the object that placed the clip, nullptr for
    // the root. nesting is 0 for the root.
    Clip(MovieInstance& movie, const Timeline& timeline, Clip* parent, DisplayObject* self, uint16_t characterId,
         int nesting);
    ~Clip();
    Clip(const Clip&) = delete;
    Clip& operator=(const Clip&) = delete;

    MovieInstance& movie() const { return movie_; }
    const Timeline& timeline() const { return timeline_; }
    Clip* parent() const { return parent_; }
    bool isRoot() const { return parent_ == nullptr; }
    // The display object that placed this clip; nullptr for the root.
    DisplayObject* displayObject() const { return self_; }
    // 0 for the root.
    uint16_t characterId() const { return characterId_; }
    int nesting() const { return nesting_; }
    // The instance name; empty for the root and for unnamed sprites.
    const std::string& name() const;
    ClipHandle handle() { return ClipHandle(this, life_); }

    size_t frameCount() const { return timeline_.frames.size(); }
    size_t currentFrame() const { return currentFrame_; }
    bool isPlaying() const { return playing_; }
    // Whether the clip starts again at its first frame after its last. Sprites always do; the
    // root follows the MovieInstance's loop setting.
    bool loops() const;

    const DisplayList& displayList() const { return displayList_; }
    DisplayList& displayList() { return displayList_; }

    // The child clip placed at depth, or nullptr.
    Clip* childAt(int32_t depth) const;

    // Runs from the current frame on. A clip with a stream sound asks for it to be heard from
    // here.
    void play();
    // Halts where it is; its stream sound falls silent.
    void stop();
    // Moves to frame (clamped to the timeline; a clip without frames stays put), keeping the
    // playing state. Going to the current frame does nothing, as in the format's players: the
    // frame is not entered again. Returns whether the clip moved.
    bool gotoFrame(size_t frame);
    // The first frame carrying label (compared without regard to ASCII case), or nullopt.
    std::optional<size_t> frameOfLabel(const std::string& label) const;
    // gotoFrame to the first frame carrying label (compared without regard to ASCII case).
    // Returns false, changing nothing, when no frame has the label.
    bool gotoLabel(const std::string& label);
    // One frame forward / back, and stop there. At the last (first) frame the clip stays.
    void nextFrame();
    void prevFrame();

    // One tick of the clock: a playing clip moves to its next frame, or loops, or stops at its
    // end. A clip whose stream sound is audible follows the sound's position instead: it holds
    // while the picture is ahead and catches up (by a bounded number of frames) when it lags.
    void stepByClock();

    // Called by the MovieInstance for a freshly built clip: shows its first frame.
    void enterFirstFrame();

    // The clip's object in the movie's script engine (its timeline variables), made by the engine
    // on first use; nullptr before. It lives on the engine's heap.
    script::ClipObject* scriptObject() const { return scriptObject_; }
    void setScriptObject(script::ClipObject* object) { scriptObject_ = object; }

    // The movie whose dictionary, exports and init actions this clip's timeline draws on: one
    // loaded into this clip or into a clip holding it, else the instance's own movie.
    const Movie& definitions() const;
    // The loaded movie this clip holds or lies inside, or nullptr for the instance's own.
    const LoadedMovie* loadedMovie() const { return loaded_.get(); }
    // Whether this clip is the one a movie was loaded into (not merely inside one).
    bool holdsLoadedMovie() const;
    // Gives a freshly built clip the loaded movie its timeline comes from; call before
    // enterFirstFrame. The clips placed inside it inherit it.
    void holdLoadedMovie(std::shared_ptr<const LoadedMovie> loaded) { loaded_ = std::move(loaded); }

    // The tick in which the clip was made; it first moves on the tick after.
    uint64_t bornTick() const { return bornTick_; }

    // What scripts drew on the clip with the drawing API, shown beneath its children; nullptr
    // until a script first draws. drawing() makes it then.
    const ClipDrawing* drawingIfAny() const { return drawing_.get(); }
    ClipDrawing& drawing();

    // The volume and side mix a script's Sound object set on the clip; the movie's sound channel
    // must hear of a change (SoundEvents::clipMixChanged).
    ClipSoundMix& soundMix() { return soundMix_; }
    const ClipSoundMix& soundMix() const { return soundMix_; }

private:
    void enterFrame(size_t frame, bool rebuildFromStart);
    void streamPlayIfAudible();

    MovieInstance& movie_;
    const Timeline& timeline_;
    Clip* const parent_;
    DisplayObject* const self_;
    const uint16_t characterId_;
    const int nesting_;
    const uint64_t bornTick_;
    std::shared_ptr<const int> life_ = std::make_shared<const int>(0);

    DisplayList displayList_;
    size_t currentFrame_ = 0;
    bool playing_ = true;
    script::ClipObject* scriptObject_ = nullptr;
    std::unique_ptr<ClipDrawing> drawing_;
    std::shared_ptr<const LoadedMovie> loaded_;  // the parent's, unless a movie was loaded here
    ClipSoundMix soundMix_;
};

}  // namespace velmora::swf
