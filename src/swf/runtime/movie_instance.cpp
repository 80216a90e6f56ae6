#include "swf/runtime/movie_instance.h"

#include <algorithm>

#include "swf/runtime/clip_geometry.h"
#include "swf/runtime/placement_plan.h"
#include "swf/runtime/script/file_loads.h"
#include "swf/runtime/script/movie_loads.h"
#include "swf/runtime/script/net_streams.h"
#include "swf/runtime/script/vm.h"

namespace velmora::swf {

MovieInstance::MovieInstance(std::shared_ptr<const Movie> movie) : MovieInstance(std::move(movie), Options{}) {}

MovieInstance::MovieInstance(std::shared_ptr<const Movie> movie, Options options)
    : movie_(std::move(movie)),
      options_(std::move(options)),
      random_(static_cast<uint64_t>(started_.time_since_epoch().count()) | 1) {
    url_ = options_.url;
    for (const Diagnostic& warning : movie_->warnings.entries()) report(warning.room, warning.text);
    if (movie_->hasAbc) {
        report(DiagnosticRoom::Script, "unsupported ActionScript 3: the movie's scripts are not run; its timelines play without them");
    }
    const RuntimeLimits& bounds = options_.limits;
    script::ScriptLimits limits;
    // The movie's own time-out (0 in the tag means the default) and recursion bound.
    if (movie_->scriptTimeoutSeconds > 0) limits.timeoutSeconds = movie_->scriptTimeoutSeconds;
    if (bounds.scriptTimeoutSeconds > 0) limits.timeoutSeconds = bounds.scriptTimeoutSeconds;
    limits.maxCallDepth = bounds.maxCallDepth;
    if (movie_->maxRecursionDepth > 0) limits.maxCallDepth = std::min<int>(movie_->maxRecursionDepth, bounds.maxCallDepth);
    limits.maxHeapBytes = bounds.maxScriptHeapBytes;
    limits.maxStringBytes = bounds.maxStringBytes;
    limits.maxArrayLength = bounds.maxArrayLength;
    limits.maxStackSize = bounds.maxStackSize;
    limits.maxActions = bounds.maxActionSteps;
    vm_ = std::make_unique<script::Vm>(*this, movie_->version, limits);
    vm_->traceSink = [this](const std::string& text) { trace(text); };
    vm_->warningSink = options_.warningSink;
    fileLoads_ = std::make_unique<script::FileLoads>(*vm_);
    movieLoads_ = std::make_unique<script::MovieLoads>(*vm_);
    netStreams_ = std::make_unique<script::NetStreams>(*vm_);
    root_ = std::make_unique<Clip>(*this, movie_->root, nullptr, nullptr, 0, 0);
    if (!options_.startPlaying) root_->stop();
    root_->enterFirstFrame();
    runPendingActions();
}

MovieInstance::~MovieInstance() {
    // Queued handles would only expire; drop them first so nothing refers to a dying clip.
    unloadScripts_.clear();
    initScripts_.clear();
    frameScripts_.clear();
    departedClips_.clear();
    departed_.clear();
    focus_ = {};
    textFocus_ = {};
    vm_->clearTimers();
    root_.reset();
    levels_.clear();
}

double MovieInstance::movieClockMilliseconds() const { return static_cast<double>(ticks_) * 1000.0 / frameRate(); }

double MovieInstance::elapsedMilliseconds() const {
    if (options_.virtualClock) return movieClockMilliseconds();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started_).count();
}

uint32_t MovieInstance::nextRandom(uint32_t bound) {
    // A 64-bit linear congruential step; its high bits are plenty for a lesson's random().
    random_ = random_ * 6364136223846793005ull + 1442695040888963407ull;
    return bound <= 1 ? 0 : static_cast<uint32_t>((random_ >> 33) % bound);
}

void MovieInstance::setMousePosition(double xTwips, double yTwips) {
    mouseX_ = xTwips;
    mouseY_ = yTwips;
    followPointer();
}

namespace {

// The pointer in the parent's coordinates (twips), or false when the parent's matrix is flat.
bool pointerInParent(const Clip& clip, double x, double y, double& px, double& py) {
    Matrix m;
    for (const Clip* p = clip.parent(); p && p->displayObject(); p = p->parent()) m = p->displayObject()->matrix * m;
    const double det = m.a * m.d - m.b * m.c;
    if (det == 0.0) return false;
    const double dx = x - m.tx, dy = y - m.ty;
    px = (m.d * dx - m.c * dy) / det;
    py = (-m.b * dx + m.a * dy) / det;
    return true;
}

}  // namespace

void MovieInstance::startDrag(Clip& clip, bool lockCenter, std::optional<DragBox> box) {
    DisplayObject* self = clip.displayObject();
    if (!self) return;
    dragged_ = clip.handle();
    dragLockCenter_ = lockCenter;
    dragBox_ = box;
    dragOffsetX_ = dragOffsetY_ = 0;
    double px = 0, py = 0;
    if (!lockCenter && pointerInParent(clip, mouseX_, mouseY_, px, py)) {
        dragOffsetX_ = self->matrix.tx - px;
        dragOffsetY_ = self->matrix.ty - py;
    }
    followPointer();
}

void MovieInstance::followPointer() {
    Clip* clip = dragged_.get();
    DisplayObject* self = clip ? clip->displayObject() : nullptr;
    if (!self) return;
    double px = 0, py = 0;
    if (!pointerInParent(*clip, mouseX_, mouseY_, px, py)) return;
    double x = px + dragOffsetX_, y = py + dragOffsetY_;
    if (dragBox_) {
        // The box is in pixels; positions are in twips.
        x = std::clamp(x, std::min(dragBox_->left, dragBox_->right) * 20, std::max(dragBox_->left, dragBox_->right) * 20);
        y = std::clamp(y, std::min(dragBox_->top, dragBox_->bottom) * 20, std::max(dragBox_->top, dragBox_->bottom) * 20);
    }
    if (x != self->matrix.tx || y != self->matrix.ty) {
        changeObjectNoting(*this, clip->parent(), *self, [&] {
            self->matrix.tx = x;
            self->matrix.ty = y;
            return true;
        });
    }
}

const Clip* MovieInstance::dropTarget(const Clip& clip) {
    if (dragged_.get() != &clip) return nullptr;
    for (auto it = levels_.rbegin(); it != levels_.rend(); ++it) {
        if (const Clip* found = topmostClipAt(*it->second, mouseX_, mouseY_, &clip)) return found;
    }
    return topmostClipAt(*root_, mouseX_, mouseY_, &clip);
}

void MovieInstance::report(DiagnosticRoom room, std::string text, std::string_view kind) {
    const size_t before = diagnostics_.entries().size();
    diagnostics_.report(room, std::move(text), kind);
    // Also the summary that the bound was reached, which report() adds on its own.
    if (diagnostics_.entries().size() != before) log(diagnostics_.entries().back().text);
}

void MovieInstance::trace(std::string text) {
    if (options_.traceSink) options_.traceSink(text);
    log("trace: " + text);
}

void MovieInstance::addMessage(std::string message) {
    constexpr std::string_view kTracePrefix = "trace: ";
    if (message.starts_with(kTracePrefix)) {
        trace(message.substr(kTracePrefix.size()));
    } else {
        report(DiagnosticRoom::Script, std::move(message));
    }
}

void MovieInstance::log(std::string line) {
    if (options_.limits.maxMessages == 0) return;
    while (messages_.size() >= options_.limits.maxMessages) messages_.pop_front();
    messages_.push_back(std::move(line));
}

bool MovieInstance::reserveDisplayObject() {
    if (displayObjects_ >= options_.limits.maxDisplayObjects) return false;
    ++displayObjects_;
    return true;
}

void MovieInstance::releaseDisplayObjects(size_t count) { displayObjects_ -= std::min(count, displayObjects_); }

}  // namespace velmora::swf
