#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <memory>
#include <optional>
#include <vector>

namespace velmora {

// The one clock that steps every player of the process: a single timer that wakes only when some
// movie has a frame due, and not at all while no movie needs it (nothing plays, no clip has an
// enterFrame handler). Sound keeps its own time on the audio thread; timelines that follow their
// sound read it when they step. Lives on the window thread.
class PlayerClock : public QObject {
    Q_OBJECT
public:
    // What the clock steps: a player.
    class Client {
    public:
        virtual ~Client() = default;
        // Seconds until the client's next frame is due (0: now), or nullopt while nothing needs it.
        virtual std::optional<double> secondsToNextFrame() = 0;
        // Brings the client up to now.
        virtual void onClockTick() = 0;
    };

    // The clock of this process, made on first use; the players own it between them.
    static std::shared_ptr<PlayerClock> shared();
    ~PlayerClock() override;

    // client must detach before it is destroyed.
    void attach(Client* client);
    void detach(Client* client);
    // Something may have brought a client's next frame closer (a movie loaded, play pressed, a
    // script run): the clock asks every client again.
    void reschedule();

    // Seconds until the clock's next planned wake (below 0 while it is late: the window was busy),
    // or nullopt while it sleeps without end or is waking now. A player that starts lines its
    // frames up with it, so that all are stepped in one wake.
    std::optional<double> secondsToNextWake() const;

    // Times the clock has woken, for tests and measurements.
    uint64_t wakeCount() const { return wakes_; }

private:
    PlayerClock();
    void wake();

    std::vector<Client*> clients_;
    QTimer timer_;
    std::optional<std::chrono::steady_clock::time_point> nextWake_;  // while the timer runs
    uint64_t wakes_ = 0;
    bool waking_ = false;
};

}  // namespace velmora
