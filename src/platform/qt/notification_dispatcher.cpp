#include "platform/qt/notification_dispatcher.h"

#include <algorithm>
#include <exception>

#include "platform/qt/failure_reporter.h"

namespace velmora {

void NotificationDispatcher::dispatch(const std::string& name, std::function<void()> handler) {
    if (running_) {
        const bool waiting = std::any_of(pending_.begin(), pending_.end(),
                                         [&](const Pending& p) { return p.name == name; });
        if (!waiting) pending_.push_back({name, std::move(handler)});
        return;
    }
    run(name, handler);
    while (!pending_.empty()) {
        const Pending next = std::move(pending_.front());
        pending_.pop_front();
        run(next.name, next.handler);
    }
}

void NotificationDispatcher::run(const std::string& name, const std::function<void()>& handler) {
    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        ~Running() { flag = false; }
    } running(running_);
    try {
        handler();
    } catch (const std::exception& failure) {
        // A Failure says what failed in plain words; anything else is reported the same way
        // rather than ending the program.
        reporter_.report(name, failure.what());
    } catch (...) {
        reporter_.report(name, "an unexpected error");
    }
}

}  // namespace velmora
