#include "swf/runtime/movie_instance.h"

#include <algorithm>

#include "swf/runtime/placement_plan.h"

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
    root_ = std::make_unique<Clip>(*this, movie_->root, nullptr, nullptr, 0, 0);
    if (!options_.startPlaying) root_->stop();
    root_->enterFirstFrame();
    runPendingActions();
}

MovieInstance::~MovieInstance() {
    // Queued handles would only expire; drop them first so nothing refers to a dying clip.
    initScripts_.clear();
    frameScripts_.clear();
    root_.reset();
}

double MovieInstance::elapsedMilliseconds() const {
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
}

void MovieInstance::report(DiagnosticRoom room, std::string text, std::string_view kind) {
    const size_t before = diagnostics_.entries().size();
    diagnostics_.report(room, std::move(text), kind);
    // Also the summary that the bound was reached, which report() adds on its own.
    if (diagnostics_.entries().size() != before) log(diagnostics_.entries().back().text);
}

void MovieInstance::trace(std::string text) {
    if (options_.trace) options_.trace(text);
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
