#include "platform/player/player_clock.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// The longest sleep while something plays: a bound on how long a timer request can be wrong.
constexpr double kLongestSleepSeconds = 1.0;
// How late a frame may come so as to be drawn with another player's: well under what the eye
// notices, and under a frame at any rate the players step at.
constexpr double kJoinSeconds = 0.004;

}  // namespace

std::shared_ptr<PlayerClock> PlayerClock::shared() {
    static std::weak_ptr<PlayerClock> current;
    std::shared_ptr<PlayerClock> clock = current.lock();
    if (!clock) {
        clock.reset(new PlayerClock());
        current = clock;
    }
    return clock;
}

PlayerClock::PlayerClock() {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { wake(); });
}

PlayerClock::~PlayerClock() = default;

void PlayerClock::attach(Client* client) {
    if (std::find(clients_.begin(), clients_.end(), client) == clients_.end()) clients_.push_back(client);
    reschedule();
}

void PlayerClock::detach(Client* client) {
    std::erase(clients_, client);
    reschedule();
}

void PlayerClock::wake() {
    ++wakes_;
    waking_ = true;
    // A client's tick may load or unload a movie (a script, a handler): step over a copy.
    const std::vector<Client*> clients = clients_;
    for (Client* client : clients) {
        if (std::find(clients_.begin(), clients_.end(), client) != clients_.end()) client->onClockTick();
    }
    waking_ = false;
    reschedule();
}

void PlayerClock::reschedule() {
    if (waking_) return;  // the wake reschedules once it has stepped everyone
    std::vector<double> dues;
    for (Client* client : clients_) {
        const std::optional<double> due = client->secondsToNextFrame();
        if (due && std::isfinite(*due)) dues.push_back(std::max(0.0, *due));
    }
    if (dues.empty()) {
        timer_.stop();
        nextWake_.reset();
        return;
    }
    const double soonest = *std::min_element(dues.begin(), dues.end());
    // Frames due within a moment of each other are stepped in one wake, so that the window draws
    // them in one go: the first waits for the last of them.
    double wakeAt = soonest;
    for (double due : dues) {
        if (due <= soonest + kJoinSeconds) wakeAt = std::max(wakeAt, due);
    }
    // Rounded up, so that the frame is due when the timer fires rather than a hair later.
    const double seconds = std::clamp(wakeAt, 0.0, kLongestSleepSeconds);
    const int milliseconds = static_cast<int>(std::ceil(seconds * 1000.0));
    nextWake_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    timer_.start(milliseconds);
}

std::optional<double> PlayerClock::secondsToNextWake() const {
    if (waking_ || !nextWake_ || !timer_.isActive()) return std::nullopt;
    const std::chrono::duration<double> left = *nextWake_ - std::chrono::steady_clock::now();
    return left.count();
}

}  // namespace velmora
