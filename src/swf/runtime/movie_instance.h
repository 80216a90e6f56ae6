#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "swf/format/diagnostics.h"
#include "swf/format/movie.h"
#include "swf/runtime/changed_area.h"
#include "swf/runtime/clip.h"
#include "swf/runtime/keyboard_state.h"
#include "swf/runtime/placed_handle.h"
#include "swf/runtime/runtime_limits.h"
#include "swf/runtime/sound_events.h"
#include "swf/runtime/stage_settings.h"

namespace velmora::swf {

namespace script {
class Vm;
class FileLoads;
class MovieLoads;
class NetStreams;
}
class PictureServices;
class MediaServices;
class TextFieldMeasure;

// Where a dragged clip may go: its registration point stays inside, in the parent's pixels.
struct DragBox {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

// One playing copy of a movie: its root clip with every clip inside, the frame clock, the queue
// of frame scripts and the hooks to the sound system. Several instances may play the same Movie.
//
// Script order. A frame's scripts are queued when the frame is entered and run once the display
// lists have settled, so that a script can address clips placed on its own frame. Within one tick
// the order is: the root's frame scripts, then each child clip's (a freshly placed clip's first
// frame included) in ascending depth, depth first (a clip's own scripts before those of the clips
// inside it). A sprite's DoInitAction runs once, before the scripts of the frame that first places
// the sprite. Scripts queued by a running script (a goto) run after those already waiting.
//
// Clip event handlers (onClipEvent) are queued with the scripts: load after the first-frame
// scripts of the clip and of the clips inside it; enterFrame on each tick before the scripts of the
// frames the tick enters, as the language reference has it (each clip's handler, then its
// onEnterFrame function, clips in the order frames run); a clip's onLoad function
// runs right after its load handler. A clip that leaves the stage (a frame removes it, a goto
// rebuilds past it, a script removes it) runs its unload handlers, then its onUnload function,
// before anything else still waiting, the clips inside it after it: the departing clip is kept
// whole until the scripts have run, so `this`, its variables and its _parent still answer.
// Input events reach clips in the same order: each clip's onClipEvent handler, then its function
// (onMouseDown, ...); key events reach the functions of the focused clip only. The listeners of
// the Mouse object hear of an event after the clips.
//
// Movies whose scripts are ActionScript 3 (DoABC) play their timelines; no script runs. A script
// that runs away (past the movie's script time-out, or another limit of the engine) is stopped
// with a message; the movie's other scripts and later frames run on.
//
// Timers (setInterval, setTimeout) run on the movie's own clock, between frames.
class MovieInstance {
public:
    struct Options {
        // After its last frame the root starts again at its first frame.
        bool loop = true;
        // The root runs from the start; otherwise it shows its first frame and waits for play().
        bool startPlaying = true;
        // Frames a second for a movie whose rate is 0 (the format's "as fast as you can").
        double frameCap = 60.0;
        RuntimeLimits limits;
        // May be null: the movie plays silently. Must outlive the instance or be replaced first.
        SoundEvents* sound = nullptr;
        // Where the movie came from (the _url property), known to the first frame's scripts.
        std::string url;
        // getTimer and the movie clock count ticks instead of real time (the probe, tests).
        bool virtualClock = false;
        // Where trace() lines go as well as into messages() as "trace: ..."; may be empty.
        std::function<void(const std::string&)> traceSink;
        // The reference player's own debug lines ("Warning: ..."); unset: dropped.
        std::function<void(const std::string&)> warningSink;
        // Puts a script's text on the desktop's clipboard (System.setClipboard) and says whether
        // it went there; unset: the movie has no clipboard and setClipboard answers false.
        std::function<bool(const std::string&)> clipboardSink;
        // Decoding and drawing for scripts' pictures (BitmapData); may be null. Must outlive the
        // instance.
        PictureServices* pictures = nullptr;
        // Opens the video files scripts' NetStreams play; may be null (they fail to play). Must
        // outlive the instance.
        MediaServices* media = nullptr;
        // The renderer's layout of text fields, for their scripts; may be null. Must outlive the
        // instance.
        TextFieldMeasure* textMeasure = nullptr;
    };

    // Builds the root clip and enters its first frame, running that frame's scripts.
    explicit MovieInstance(std::shared_ptr<const Movie> movie);
    MovieInstance(std::shared_ptr<const Movie> movie, Options options);
    ~MovieInstance();
    MovieInstance(const MovieInstance&) = delete;
    MovieInstance& operator=(const MovieInstance&) = delete;

    const Movie& movie() const { return *movie_; }
    const std::shared_ptr<const Movie>& sharedMovie() const { return movie_; }
    Clip& root() { return *root_; }
    const Clip& root() const { return *root_; }
    const RuntimeLimits& limits() const { return options_.limits; }

    bool loop() const { return options_.loop; }
    void setLoop(bool loop) { options_.loop = loop; }
    SoundEvents* sound() const { return options_.sound; }
    PictureServices* pictures() const { return options_.pictures; }
    MediaServices* media() const { return options_.media; }
    TextFieldMeasure* textMeasure() const { return options_.textMeasure; }
    const std::function<bool(const std::string&)>& clipboardSink() const { return options_.clipboardSink; }
    void setSound(SoundEvents* sound) { options_.sound = sound; }
    // Whether scripts run at all: not for ActionScript 3 movies.
    bool runsScripts() const { return !movie_->hasAbc; }
    // The movie's script engine.
    script::Vm& vm() { return *vm_; }
    // The files the movie's scripts asked to read, delivered at the start of each tick.
    script::FileLoads& fileLoads() { return *fileLoads_; }
    // The movies the scripts asked to load into clips and levels, delivered with the files.
    script::MovieLoads& movieLoads() { return *movieLoads_; }
    // The movie's NetStreams and Video objects, stepped at the end of each tick.
    script::NetStreams& netStreams() { return *netStreams_; }
    // Which keys are down and the last one pressed, for the Key object.
    KeyboardState& keyboard() { return keyboard_; }

    // Frames a second the clock steps at: the movie's rate, or the frame cap for a rate of 0.
    double frameRate() const;
    // Moves the clock on by `seconds` of real time: one tick per frame interval passed. When far
    // behind (a stall), at most limits().maxCatchUpFrames ticks run and the rest is dropped, so
    // the movie resumes instead of racing. Non-positive or non-finite steps are ignored.
    void advance(double seconds);
    // Seconds of advance() still to go before the next tick.
    double secondsToNextTick() const;
    // Whether a tick can change anything: some timeline with more than one frame plays, or some
    // clip has an enterFrame handler, or a script waits on an interval or a timeout. While not, the
    // player's clock need not wake for the movie.
    bool needsTicks();
    // One frame of the whole movie: every playing timeline steps (sprites run on while the root is
    // stopped), then the queued scripts run.
    void tick();
    uint64_t tickCount() const { return ticks_; }

    // Runs the queued scripts (and those they queue) until none is left. Call after every
    // operation from outside that moves a timeline, so that its frame scripts run at once.
    void runPendingActions();

    // Queues a frame's DoAction blocks to run with `clip` as their target. Used by clips as they
    // enter frames.
    void queueFrameActions(Clip& clip, const Frame& frame);
    // Queues the sprite's DoInitAction blocks if they have not run yet. Used as sprites are placed.
    void queueInitActions(uint16_t spriteId);
    // The same for a sprite of the movie `from` draws on (a loaded movie's, see
    // Clip::definitions): its blocks run once per movie, with the clip holding that movie as
    // their target.
    void queueInitActions(Clip& from, uint16_t spriteId);
    // Runs the sprite (of the movie `from` draws on)'s DoInitAction blocks at once, inside the running script, if they have not
    // run yet (taking them out of the queue if they wait there): a script that attaches a symbol
    // gets an instance of the class its #initclip registers.
    void runInitActionsNow(Clip& from, uint16_t spriteId);
    // Queues the handlers that clip's placement gives for any of `events` (kClipEvent... flags):
    // load once the clip has shown its first frame, enterFrame on every tick after that.
    void queueClipEvent(Clip& clip, uint32_t events);
    // Queues the function a script stored in clip's variable `name` (onEnterFrame, onRelease, ...),
    // if there is one, to run with clip as `this`. Returns whether there was.
    bool queueHandler(Clip& clip, const std::string& name);
    // Queues clip's onLoad function, looked up when its turn comes: a script that runs before it
    // (the parent's frame script, a class's constructor) may still set it.
    void queueLoadHandler(Clip& clip);
    // Whether clip's variable `name` holds a function.
    bool hasHandler(Clip& clip, const std::string& name);
    // A timeline variable of clip as text (as a text field bound to it shows it), or nullopt when
    // it is not set. Case follows the movie's version.
    std::optional<std::string> variableText(Clip& clip, const std::string& name);
    // Sets a timeline variable of clip to a text.
    void setVariableText(Clip& clip, const std::string& name, const std::string& text);
    // Queues the constructor of the class a script registered for clip's symbol, to run with clip
    // as `this` (a clip the timeline placed), before the frame scripts waiting.
    void queueConstructor(Clip& clip);
    // Queues clip's construct and initialize clip events (a component's parameters, as the
    // authoring tool writes them) to run before its constructor and the frame scripts waiting.
    void queueInitializeEvents(Clip& clip);
    // Queues any block to run with clip as its target (button actions, for one).
    void queueScript(Clip& clip, const ActionBytes& actions);
    // Queues the handlers of every clip on stage for an input event (kClipEventMouseDown, ...Up,
    // ...Move, kClipEventKeyDown, ...Up), in the order frames run, and runs them with whatever
    // was queued before.
    void dispatchInputEvent(uint32_t event);

    // The stage's scale mode, alignment and menu as the movie's scripts set them, and the view's
    // size (see script::resizeStage).
    StageSettings& stageSettings() { return stageSettings_; }
    const StageSettings& stageSettings() const { return stageSettings_; }
    // Takes over an object a display list let go of. A sprite with unload handlers (in it or in
    // the clips inside it) stays alive, off stage, until they have run; anything else is
    // destroyed at once. Used by the display-list operations.
    void objectLeftStage(std::unique_ptr<DisplayObject> object);
    // Whether clip, or a clip holding it, has left the stage and waits for its unload handlers.
    bool hasLeftStage(const Clip& clip) const;
    // Data arrived for clip (a load of variables finished): its data handler and onData function.
    void dataArrived(Clip& clip);

    // The clip that has the keyboard focus (its onKeyDown and onKeyUp functions hear the keys), or
    // nullptr. setFocus runs the old one's onKillFocus(new) and the new one's onSetFocus(old).
    Clip* focus() const;
    void setFocus(Clip* clip);
    // The text field that has the keyboard focus (typing goes to it when it is an input field), or
    // nullptr. A field and a clip never hold the focus together: giving it to one takes it from
    // the other.
    DisplayObject* focusedText() const { return textFocus_.get(); }
    void setFocusedText(DisplayObject* field);
    // The user changed field's text (typing, pasting, cutting, an input method's text): tells the
    // movie, whose scripts hear of it (onChanged, the field's bound variable).
    void textEdited(DisplayObject& field);
    // Tab and Shift+Tab while the movie has the keyboard focus: moves the focus to the next (or,
    // backward, the previous) field, button or clip of the movie's tab order and returns it, or
    // nullptr when nothing on stage takes the focus. Objects whose tabIndex is set come in
    // tabIndex order and nothing else does; otherwise input fields, buttons, clips acting as
    // buttons and clips a script marked tabEnabled come by where they stand on stage, top to
    // bottom and along a row left to right (tabEnabled false leaves any out). Hidden objects, and
    // what lies inside a clip whose tabChildren is false, take no part. The order wraps around;
    // the focus counts as moved by the keyboard (see focusFromKeyboard).
    DisplayObject* moveTabFocus(bool backward);
    // The button that has the keyboard focus (Tab reached it, or Selection.setFocus gave it), or
    // nullptr; focusedButtonOwner is the clip whose display list holds it. A button, a clip and a
    // field never hold the focus together. setFocusedButton tells both sides of the move as
    // setFocus does (onKillFocus, onSetFocus), then Selection's listeners.
    DisplayObject* focusedButton() const;
    Clip* focusedButtonOwner() const;
    void setFocusedButton(Clip& owner, DisplayObject& button);
    // Whether the focus was last moved by the keyboard: the focused button or clip shows its
    // focus rectangle only then. Tab sets it, a press of the mouse clears it, a script moving the
    // focus leaves it as it was.
    bool focusFromKeyboard() const { return focusFromKeyboard_; }
    void setFocusFromKeyboard(bool keyboard);
    // The global _focusrect: whether focused buttons and clips show a focus rectangle, where their
    // own _focusrect does not say otherwise.
    bool focusRectangles() const { return focusRectangles_; }
    void setFocusRectangles(bool shown);
    // A focused button or clip that the keyboard reached and that has since been hidden (it, or a
    // clip holding it) gives the focus up, telling its onKillFocus. Called as keys arrive.
    void dropHiddenFocus();
    // The button or clip Enter or Space holds down (see pressKey).
    KeyHeldButton& keyHeldButton() { return keyHeld_; }

    // Mouse.hide / Mouse.show: whether the movie's view hides the pointer over the movie.
    bool pointerHidden() const { return pointerHidden_; }
    void setPointerHidden(bool hidden);

    // Render quality, toggled by the ToggleQuality action and the context menu.
    bool highQuality() const { return highQuality_; }
    void setHighQuality(bool high) { highQuality_ = high; }

    // Milliseconds since the movie started, for getTimer: real time, or the movie clock's with
    // Options::virtualClock.
    double elapsedMilliseconds() const;
    // The movie's own clock in milliseconds: ticks passed at the frame rate. Timers run on it.
    double movieClockMilliseconds() const;

    // fscommand("quit"): the movie asks to end. The probe stops there; the player ignores it.
    void requestQuit() { quitRequested_ = true; }
    bool quitRequested() const { return quitRequested_; }

    // startDrag / stopDrag: the clip follows the pointer (its centre on it with lockCenter).
    void startDrag(Clip& clip, bool lockCenter, std::optional<DragBox> box);
    void endDrag() { dragged_ = {}; }
    // While clip is being dragged, the clip under the pointer (see topmostClipAt), for
    // _droptarget; nullptr otherwise.
    const Clip* dropTarget(const Clip& clip);
    // The next number of the movie's random sequence, below `bound` (at least 1), for random().
    uint32_t nextRandom(uint32_t bound);

    // Where the movie came from, for the _url property.
    const std::string& url() const { return url_; }
    void setUrl(std::string url) { url_ = std::move(url); }

    // Levels: the root is level 0; loadMovieNum puts movies on levels above it, each drawn over
    // the ones below and hearing the same pointer and keys. Level numbers run 0..kMaxLevel.
    static constexpr int kMaxLevel = 9999;
    // The root clip of level n, or nullptr when nothing is loaded there.
    Clip* level(int n);
    // The levels above 0 by number, lowest first.
    const std::map<int, std::unique_ptr<Clip>>& upperLevels() const { return levels_; }
    // The level whose root clip is `top` (a clip without parent), or -1.
    int levelOf(const Clip& top) const;
    // Puts `clip` (a root clip built for this instance) on level n, replacing what stood there,
    // or empties the level when clip is null. What leaves runs its unload handlers. Level 0 is
    // never emptied: a null clip there is ignored.
    void setLevel(int n, std::unique_ptr<Clip> clip);

    // The pointer's position on the stage in twips, for _xmouse and _ymouse.
    double mouseX() const { return mouseX_; }
    double mouseY() const { return mouseY_; }
    void setMousePosition(double xTwips, double yTwips);

    // What went wrong with this movie without stopping it: the file's warnings (taken over when
    // the instance is built), script errors, scripts stopped at a limit, refused requests and
    // display limits. Each kind once, bounded (see Diagnostics).
    const Diagnostics& diagnostics() const { return diagnostics_; }
    // Reports a problem from `room`; `kind` groups messages that differ only in detail (a depth,
    // a count) so that they are reported once.
    void report(DiagnosticRoom room, std::string text, std::string_view kind = {});
    // Where each diagnostic goes as it is reported; on being set, hears those reported so far
    // (those of the constructor and the first frame's scripts). An empty function removes it.
    void setDiagnosticSink(Diagnostics::Sink sink) { diagnostics_.setSink(std::move(sink)); }

    // A script's trace() output: recorded in messages() as "trace: text" and passed to the trace
    // sink, if any. The movie's own debugging output, not a diagnostic.
    void trace(std::string text);
    void setTraceSink(std::function<void(const std::string&)> sink) { options_.traceSink = std::move(sink); }

    // The recent log: trace lines ("trace: ...") and the text of each diagnostic as it is first
    // reported, oldest first, at most limits().maxMessages (the oldest are dropped).
    const std::deque<std::string>& messages() const { return messages_; }
    // A script diagnostic; text beginning "trace: " is trace output instead (the older way the
    // interpreter passed it on).
    void addMessage(std::string message);

    // The name the next object a frame places without one takes: "instance1", "instance2", ...
    // counted over the whole run, so that paths to unnamed clips, buttons and fields stay apart.
    std::string nextInstanceName() { return "instance" + std::to_string(++instanceNames_); }

    // Bookkeeping of the display-object limit, kept by the display-list operations.
    size_t displayObjectCount() const { return displayObjects_; }
    bool reserveDisplayObject();
    void releaseDisplayObjects(size_t count);

    // Drawing-API commands every clip's drawing holds together, kept by the drawings (see
    // RuntimeLimits::maxDrawingCommandsPerMovie).
    size_t& drawingCommandTotal() { return drawingCommands_; }

    // Bumped whenever something on stage may have changed; a view repaints when it moves.
    uint64_t changeCount() const { return changes_; }
    // A change somewhere on stage: a view draws the whole stage afresh.
    void noteChange() {
        ++changes_;
        changedArea_.addWhole();
    }
    // A change within a box of the stage (twips): a view draws only there.
    void noteChangeIn(const Rect& stageTwips) {
        ++changes_;
        changedArea_.add(stageTwips);
    }
    // Where the stage changed since the last call (all of it before the first), for a view that
    // draws only what changed; leaves nothing changed.
    ChangedArea takeChangedArea() { return std::exchange(changedArea_, ChangedArea()); }

private:
    struct QueuedScript {
        ClipHandle target;
        ActionBytes actions;
        std::string handler;  // instead of actions: the name of a handler to call on target
        bool construct = false;  // instead of either: run target's registered class constructor
    };
    void followPointer();
    bool clipNeedsTicks(Clip& clip);
    void tickClip(Clip& clip);
    void queueEnterFrame(Clip& clip);
    void queue(std::deque<QueuedScript>& into, Clip& target, const ActionBytes& actions);

    std::shared_ptr<const Movie> movie_;
    Options options_;
    bool highQuality_ = true;
    StageSettings stageSettings_;
    std::string url_;
    double mouseX_ = 0.0;
    double mouseY_ = 0.0;
    double clockBacklog_ = 0.0;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    uint64_t random_;
    uint64_t ticks_ = 0;
    uint64_t changes_ = 0;
    ChangedArea changedArea_ = ChangedArea::everything();
    size_t displayObjects_ = 0;
    uint64_t instanceNames_ = 0;
    size_t drawingCommands_ = 0;
    std::deque<QueuedScript> initScripts_;
    std::deque<QueuedScript> frameScripts_;
    std::set<std::pair<const Movie*, uint16_t>> initActionsRun_;
    std::deque<QueuedScript> unloadScripts_;
    // Sprites off stage until their unload handlers have run, and the clips among them.
    std::vector<std::unique_ptr<DisplayObject>> departed_;
    std::set<const Clip*> departedClips_;
    ClipHandle focus_;
    TextFieldHandle textFocus_;
    PlacedHandle buttonFocus_;
    bool focusFromKeyboard_ = false;
    bool focusRectangles_ = true;
    KeyHeldButton keyHeld_;
    // Moves the keyboard focus to one clip, field or button (all null: to nothing), telling
    // each side and Selection's listeners.
    void giveFocus(Clip* clip, DisplayObject* field, Clip* buttonOwner, DisplayObject* button);
    bool pointerHidden_ = false;
    void queueUnload(Clip& clip);
    void log(std::string line);

    Diagnostics diagnostics_{DiagnosticRoom::Script};
    std::deque<std::string> messages_;
    bool runningScripts_ = false;
    bool quitRequested_ = false;
    ClipHandle dragged_;
    bool dragLockCenter_ = false;
    std::optional<DragBox> dragBox_;
    double dragOffsetX_ = 0;
    double dragOffsetY_ = 0;
    std::unique_ptr<script::Vm> vm_;  // before root_: clips' script objects live on its heap
    std::unique_ptr<script::FileLoads> fileLoads_;  // after vm_: holds values on its heap
    std::unique_ptr<script::MovieLoads> movieLoads_;  // after vm_: holds values on its heap
    std::unique_ptr<script::NetStreams> netStreams_;  // after vm_: holds values on its heap
    KeyboardState keyboard_;
    std::map<int, std::unique_ptr<Clip>> levels_;  // above 0; destroyed after the root
    std::unique_ptr<Clip> root_;  // last: destroyed first, while the bookkeeping above still lives
};

}  // namespace velmora::swf
