#include "platform/player/swf_player_widget.h"

#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "platform/core/failure.h"
#include "platform/player/desktop_lock_keys.h"
#include "platform/player/player_state.h"
#include "swf/runtime/script/stage_host.h"
#include "swf/format/movie_loader.h"
#include "swf/runtime/clip_properties.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/target_path.h"

namespace velmora {

namespace {

// The component's frame cap: how fast a movie with a frame rate of 0 plays.
constexpr double kFrameCap = 60.0;
constexpr double kMaxZoom = 16.0;

// Files from this size on take more than a moment to read and parse (tens of milliseconds and up
// on an ordinary machine); the lessons' movies are far smaller.
constexpr uintmax_t kBusyCursorBytes = 2u << 20;

// The busy cursor over the whole application for as long as it lives, when `show` is true.
class BusyCursor {
public:
    explicit BusyCursor(bool show) : shown_(show) {
        if (shown_) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~BusyCursor() {
        if (shown_) QGuiApplication::restoreOverrideCursor();
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    const bool shown_;
};

size_t clampedFrame(int32_t frame, size_t frameCount) {
    if (frame <= 0 || frameCount == 0) return 0;
    return std::min(static_cast<size_t>(frame), frameCount - 1);
}

}  // namespace

SwfPlayerWidget::SwfPlayerWidget(QWidget* parent) : QWidget(parent), state_(std::make_unique<State>()) {
    // The player paints every pixel of its area itself ("Window" mode).
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    state_->clock = PlayerClock::shared();
    state_->clockClient = std::make_unique<State::ClockClient>(*this);
    state_->clock->attach(state_->clockClient.get());
    state_->renderResources.warnings.setSink([this](const swf::Diagnostic& d) { forwardDiagnostic(d.line()); });
    installDesktopLockKeys();
    connect(&state_->caretBlink, &QTimer::timeout, this, [this] { blinkCaret(); });
}

SwfPlayerWidget::~SwfPlayerWidget() {
    unload();
    state_->clock->detach(state_->clockClient.get());
}

void SwfPlayerWidget::setInitialBackgroundColor(int32_t rgb) { putBackgroundColor(rgb); }

void SwfPlayerWidget::setDiagnosticSink(std::function<void(const std::string&)> sink) {
    state_->diagnosticSink = std::move(sink);
}

void SwfPlayerWidget::setTraceSink(std::function<void(const std::string&)> sink) {
    state_->traceSink = std::move(sink);
}

void SwfPlayerWidget::forwardDiagnostic(const std::string& line) const {
    if (state_->diagnosticSink) state_->diagnosticSink(line);
}

void SwfPlayerWidget::unload() {
    state_->preedit.clear();
    state_->overTextField = false;
    if (state_->renderer) state_->renderer->setFocusedText(nullptr);
    state_->pointer.reset();
    state_->instance.reset();
    state_->sound.reset();  // silences what the movie left playing
    state_->pictures.reset();
    state_->media.reset();
    state_->textMeasure.reset();
    state_->renderResources.setMovie(nullptr);  // lets go of the old movie's cached pictures
    state_->picture.clear();
    state_->pictureStale = true;
    state_->path.clear();
    wakeClock();
}

void SwfPlayerWidget::putMovie(const std::string& path) {
    // Whatever happens below, the old movie is gone: a failed load leaves the player empty.
    unload();
    redrawAll();
    // The load runs on this thread, where no timer can fire while it lasts, so the busy cursor is
    // put up before it for a file large enough to take more than a moment. Asking the size does
    // not open the file; what is not a regular file has none and is refused at once below.
    std::error_code sizeError;
    const uintmax_t size = std::filesystem::file_size(path, sizeError);
    const BusyCursor busy(!sizeError && size >= kBusyCursorBytes);
    try {
        std::shared_ptr<const swf::Movie> movie = swf::loadMovieFile(path);
        swf::MovieInstance::Options options;
        options.loop = state_->loop;
        options.startPlaying = true;
        options.frameCap = kFrameCap;
        options.url = path;
        if (!state_->audio) state_->audio = PlayerAudio::shared();
        // The channel's voices keep the movie's sounds alive while the audio thread plays them.
        state_->sound = std::make_unique<swf::SoundChannel>(state_->audio->mixer(), movie);
        state_->sound->diagnostics().setSink([this](const swf::Diagnostic& d) { forwardDiagnostic(d.line()); });
        options.sound = state_->sound.get();
        state_->pictures = std::make_unique<swf::BitmapDataPainter>(movie);
        options.pictures = state_->pictures.get();
        // Videos a script plays are heard through the same mixer as the movie's own sounds.
        state_->media = std::make_unique<swf::FlvMediaOpener>(&state_->audio->mixer());
        options.media = state_->media.get();
        state_->textMeasure = std::make_unique<swf::FieldTextMeasure>(movie);
        options.textMeasure = state_->textMeasure.get();
        options.traceSink = [this](const std::string& text) {
            if (state_->traceSink) state_->traceSink(text);
        };
        options.clipboardSink = [](const std::string& text) {
            QGuiApplication::clipboard()->setText(QString::fromStdString(text));
            return true;
        };
        state_->instance = std::make_unique<swf::MovieInstance>(std::move(movie), options);
        // Set once the first frame has run; the sink hears what the file and that frame reported.
        state_->instance->setDiagnosticSink([this](const swf::Diagnostic& d) { forwardDiagnostic(d.line()); });
        state_->pointer = std::make_unique<swf::PointerInput>(*state_->instance);
        swf::script::resizeStage(*state_->instance, width(), height());
    } catch (const std::exception& e) {
        unload();
        const std::string reason = dynamic_cast<const std::bad_alloc*>(&e) ? "not enough memory" : e.what();
        // The loader's reasons already start with the file's name.
        throw Failure("cannot load movie " + (reason.rfind(path, 0) == 0 ? reason : path + ": " + reason));
    }
    state_->path = path;
    restartClock();
    state_->idle = false;
    wakeClock();
    redrawAll();
}

std::string SwfPlayerWidget::Movie() const { return state_->path; }

int32_t SwfPlayerWidget::TotalFrames() const {
    if (!state_->instance) return 0;
    return static_cast<int32_t>(std::min<size_t>(state_->instance->root().frameCount(), INT32_MAX));
}

int32_t SwfPlayerWidget::FrameNum() const {
    return state_->instance ? static_cast<int32_t>(state_->instance->root().currentFrame()) : 0;
}

void SwfPlayerWidget::Play() {
    if (!state_->instance) return;
    state_->instance->root().play();
    // Time spent stopped is not owed to the clock.
    restartClock();
    wakeClock();
    showChanges();
}

void SwfPlayerWidget::StopPlay() {
    if (!state_->instance) return;
    state_->instance->root().stop();
}

void SwfPlayerWidget::GotoFrame(int32_t frame) {
    if (!state_->instance) return;
    swf::Clip& root = state_->instance->root();
    root.stop();
    root.gotoFrame(clampedFrame(frame, root.frameCount()));
    settle();
}

void SwfPlayerWidget::Forward() {
    if (!state_->instance) return;
    state_->instance->root().nextFrame();
    settle();
}

void SwfPlayerWidget::Back() {
    if (!state_->instance) return;
    state_->instance->root().prevFrame();
    settle();
}

void SwfPlayerWidget::putBackgroundColor(int32_t rgb) {
    state_->backgroundSet = true;
    state_->background = rgb & 0xFFFFFF;
    redrawAll();
}

swf::Clip& SwfPlayerWidget::clipFor(const std::string& target) const {
    if (!state_->instance) throw Failure("no movie is loaded, so there is no movie clip \"" + target + "\"");
    swf::Clip* clip = swf::resolveTarget(state_->instance->root(), target);
    if (!clip) throw Failure("the movie has no movie clip \"" + target + "\"");
    return *clip;
}

std::string SwfPlayerWidget::TGetProperty(const std::string& target, int32_t index) {
    const swf::Clip& clip = clipFor(target);
    auto text = swf::clipPropertyText(clip, index);
    if (!text) throw Failure("movie clips have no property " + std::to_string(index));
    return *text;
}

int32_t SwfPlayerWidget::TCurrentFrame(const std::string& target) {
    return static_cast<int32_t>(clipFor(target).currentFrame());
}

void SwfPlayerWidget::TGotoFrame(const std::string& target, int32_t frame) {
    swf::Clip& clip = clipFor(target);
    clip.stop();
    clip.gotoFrame(clampedFrame(frame, clip.frameCount()));
    settle();
}

void SwfPlayerWidget::TPlay(const std::string& target) {
    clipFor(target).play();
    wakeClock();
    showChanges();
}

void SwfPlayerWidget::TStopPlay(const std::string& target) { clipFor(target).stop(); }

void SwfPlayerWidget::putWidth(float twips) { resize(qRound(twips * logicalDpiX() / 1440.0), height()); }
void SwfPlayerWidget::putHeight(float twips) { resize(width(), qRound(twips * logicalDpiY() / 1440.0)); }

bool SwfPlayerWidget::isLooping() const { return state_->loop; }

void SwfPlayerWidget::setLooping(bool loop) {
    state_->loop = loop;
    if (state_->instance) state_->instance->setLoop(loop);
}

bool SwfPlayerWidget::isPlaying() const { return state_->instance && state_->instance->root().isPlaying(); }

double SwfPlayerWidget::zoom() const { return state_->zoom; }

void SwfPlayerWidget::setZoom(double zoom) {
    state_->zoom = std::isfinite(zoom) ? std::clamp(zoom, 1.0, kMaxZoom) : 1.0;
    redrawAll();
}

void SwfPlayerWidget::advanceClock(double seconds) {
    if (!state_->instance) return;
    state_->instance->advance(seconds);
    showChanges();
    // A script may have given a field the focus or taken it (Selection.setFocus).
    updateInputMethod();
    wakeClock();
}

swf::MovieInstance* SwfPlayerWidget::movieInstance() const { return state_->instance.get(); }

void SwfPlayerWidget::useAudio(std::shared_ptr<PlayerAudio> audio) {
    unload();
    state_->audio = std::move(audio);
}

std::optional<double> SwfPlayerWidget::secondsToNextFrame() {
    swf::MovieInstance* movie = state_->instance.get();
    if (!movie || !movie->needsTicks()) {
        state_->idle = true;
        return std::nullopt;
    }
    if (state_->idle) {
        // Time spent with nothing to step is not owed to the clock.
        state_->idle = false;
        restartClock();
    }
    const double elapsed = static_cast<double>(state_->sinceLastTick.nsecsElapsed()) / 1e9;
    return std::max(0.0, movie->secondsToNextTick() - (elapsed + state_->clockShift));
}

void SwfPlayerWidget::onClockTick() {
    if (!state_->instance || state_->idle) return;
    const double seconds = static_cast<double>(state_->sinceLastTick.nsecsElapsed()) / 1e9 + state_->clockShift;
    state_->sinceLastTick.restart();
    // A wake before a frame held back to fall in step with another player: the hold goes on.
    state_->clockShift = std::min(seconds, 0.0);
    if (seconds > 0.0) advanceClock(seconds);
}

void SwfPlayerWidget::restartClock() {
    state_->sinceLastTick.restart();
    state_->clockShift = 0.0;
    swf::MovieInstance* movie = state_->instance.get();
    const std::optional<double> wake = state_->clock->secondsToNextWake();
    if (!movie || !wake) return;
    // The first frame comes when the clock wakes for the other players, or a whole number of
    // frames before or after, somewhere between half a frame and one and a half frames from now:
    // the two movies of a lesson, started or loaded a moment apart, are then stepped and drawn in
    // one wake instead of two, for as long as they play at one rate.
    const double interval = 1.0 / movie->frameRate();
    const double due = *wake + interval * std::ceil((interval / 2.0 - *wake) / interval);
    state_->clockShift = movie->secondsToNextTick() - due;
}

void SwfPlayerWidget::wakeClock() { state_->clock->reschedule(); }

// Runs the scripts of the frames an operation moved to, and shows the result.
void SwfPlayerWidget::settle() {
    state_->instance->runPendingActions();
    wakeClock();
    showChanges();
}

}  // namespace velmora
