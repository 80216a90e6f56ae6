#include "platform/qt/failure_reporter.h"

namespace velmora {

FailureReporter::FailureReporter(std::ostream& log, Clock clock) : log_(log), clock_(std::move(clock)) {}

void FailureReporter::report(const std::string& where, const std::string& what) {
    const int inARow = logLimited(what, where + " failed: " + what);
    if (notice_) notice_(what, inARow);
}

void FailureReporter::note(const std::string& where, const std::string& what) {
    // Keyed apart from failures, so that a note never hides a failure of the same words.
    logLimited('\n' + where + ": " + what, where + ": " + what);
}

int FailureReporter::logLimited(const std::string& key, const std::string& line) {
    const auto now = clock_();
    forgetOldTexts(now);
    auto [it, fresh] = seen_.try_emplace(key);
    Seen& seen = it->second;
    if (!fresh && now - seen.lastSeen >= kQuietPeriod) seen.inARow = 0;
    ++seen.inARow;
    seen.lastSeen = now;
    if (fresh || now - seen.lastLogged >= kQuietPeriod) {
        log_ << "velmora: " << line;
        if (seen.unlogged > 0) log_ << " (repeated " << seen.unlogged << " more times before)";
        log_ << '\n' << std::flush;
        seen.lastLogged = now;
        seen.unlogged = 0;
    } else {
        ++seen.unlogged;
    }
    return seen.inARow;
}

void FailureReporter::forgetOldTexts(std::chrono::steady_clock::time_point now) {
    // Texts not seen for a while are dropped, so the table stays small however many distinct
    // failures a long run produces; one that returns is simply logged afresh.
    constexpr auto kForgetAfter = std::chrono::minutes(1);
    for (auto it = seen_.begin(); it != seen_.end();) {
        if (now - it->second.lastSeen >= kForgetAfter) {
            it = seen_.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace velmora
