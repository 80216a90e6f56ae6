#pragma once

#include <deque>
#include <functional>
#include <string>

namespace velmora {

class FailureReporter;

// Runs the handlers of the controls' notifications, one at a time, and keeps the program alive
// when one fails.
//
// A handler's failure (or any other exception) ends that handler only: it is handed to the
// reporter, and the program goes on. Qt delivers timer ticks and resizes while a handler waits in
// a modal dialog; those notifications wait until the running handler has ended, so no handler
// ever sees the shared state half-changed by another. A notification that is already waiting is
// not queued again: ten ticks during a dialog make one tick after it.
class NotificationDispatcher {
public:
    // `reporter` must outlive the dispatcher.
    explicit NotificationDispatcher(FailureReporter& reporter) : reporter_(reporter) {}

    // Runs `handler` for the notification `name` now, or after the running handler.
    void dispatch(const std::string& name, std::function<void()> handler);

    bool running() const { return running_; }

private:
    struct Pending {
        std::string name;
        std::function<void()> handler;
    };

    void run(const std::string& name, const std::function<void()>& handler);

    FailureReporter& reporter_;
    bool running_ = false;
    std::deque<Pending> pending_;
};

}  // namespace velmora
