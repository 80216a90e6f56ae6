#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <ostream>
#include <string>

#include "platform/core/failure_reporting.h"

namespace velmora {

// Tells the user about failures that no handler dealt with, without flooding: a timer whose
// handler fails every 50 ms must not write 20 lines a second nor open anything 20 times a second.
//
// Each failure goes to the log (standard error in the program) as one line, at most once per
// quiet period for the same text; the repeats in between are counted and mentioned on the next
// line for that text. Every report also goes to the notice (the fading note over the movie),
// with how many times the text has come in a row, so that a single notice can show "(×N)" rather
// than a new one appearing.
class FailureReporter : public FailureReporting {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    using Notice = std::function<void(const std::string& text, int repeats)>;

    static constexpr std::chrono::seconds kQuietPeriod{5};

    // `log` must outlive the reporter. `clock` defaults to the steady clock; tests step their own.
    explicit FailureReporter(std::ostream& log, Clock clock = &std::chrono::steady_clock::now);

    void setNotice(Notice notice) { notice_ = std::move(notice); }

    // `where` names the notification whose handler failed; `what` says what failed.
    void report(const std::string& where, const std::string& what) override;
    // A note for the log only, with the same limit on repeats: "velmora: <where>: <what>". For
    // what a movie says about itself (its diagnostics), which is no failure of the window's and
    // so is never shown over the movie.
    void note(const std::string& where, const std::string& what);

private:
    struct Seen {
        std::chrono::steady_clock::time_point lastLogged;
        std::chrono::steady_clock::time_point lastSeen;
        int unlogged = 0;  // repeats since the last line
        int inARow = 0;    // reports since the text last came after a quiet period
    };

    void forgetOldTexts(std::chrono::steady_clock::time_point now);
    // Counts `key` and writes `line` unless the same key was written within the quiet period.
    // Returns the key's count of reports in a row.
    int logLimited(const std::string& key, const std::string& line);

    std::ostream& log_;
    Clock clock_;
    Notice notice_;
    std::map<std::string, Seen> seen_;
};

}  // namespace velmora
