#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

#include "platform/core/controls.h"

namespace velmora {

// TimerControl on a QTimer. Created enabled with interval 0, which never ticks.
//
// Rules the handlers rely on: interval 0 never ticks, even while enabled; a disabled timer keeps
// its interval; enabling a disabled timer starts a full new interval before its first tick.
// Writing the interval of a running timer restarts it with the new interval. Enabling a timer
// that is already enabled changes nothing, so a steady tick is not put off by a repeated write.
class QtTimer : public QObject, public TimerControl {
    Q_OBJECT
public:
    explicit QtTimer(QObject* parent = nullptr);

    // `handler` runs on every tick.
    void onTimer(std::function<void()> handler) { onTimer_ = std::move(handler); }

    // Raises a Failure for a negative interval; the timer is left as it was.
    void putInterval(int32_t milliseconds) override;
    void putEnabled(bool enabled) override;

    int32_t interval() const { return interval_; }
    bool enabled() const { return enabled_; }
    // Whether a tick is on its way: enabled with a non-zero interval.
    bool ticking() const { return timer_.isActive(); }

private:
    void restart();

    QTimer timer_;
    int32_t interval_ = 0;
    bool enabled_ = true;
    std::function<void()> onTimer_;
};

}  // namespace velmora
