#include "platform/qt/qt_timer.h"

#include <string>

#include "platform/core/failure.h"

namespace velmora {

QtTimer::QtTimer(QObject* parent) : QObject(parent) {
    // The stepping timers run as fast as every 50 ms; a coarse timer's 5% slack would make the
    // subtitle drift unevenly against the sound.
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (onTimer_) onTimer_();
    });
}

void QtTimer::putInterval(int32_t milliseconds) {
    if (milliseconds < 0) {
        throw Failure("timer interval " + std::to_string(milliseconds) + " ms is negative");
    }
    interval_ = milliseconds;
    restart();
}

void QtTimer::putEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    restart();
}

void QtTimer::restart() {
    if (enabled_ && interval_ > 0) {
        timer_.start(interval_);  // (re)starts a full interval
    } else {
        timer_.stop();
    }
}

}  // namespace velmora
