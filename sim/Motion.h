#pragma once

#include <cstdint>
#include <functional>

#include "link/EventLoop.h"

namespace tavro::sim {

// The table's travel along the stroke: one straight move at a time with a trapezoidal speed
// profile, followed on the loop's clock so that positions read at any moment are exact.
class Motion {
  public:
    // Positions in 0.001 mm, speed in mm/s, acceleration and deceleration in mm/s^2
    // (0 reaches or leaves the speed at once).
    struct Move {
        double from = 0.0;
        double to = 0.0;
        double speed = 0.0;
        double accel = 0.0;
        double decel = 0.0;
    };
    using Done = std::function<void()>;

    explicit Motion(EventLoop& loop) : loop_(loop) {}
    virtual ~Motion();
    Motion(const Motion&) = delete;
    Motion& operator=(const Motion&) = delete;

    // Starts a move from the current position (Move::from is ignored); `done` runs from the
    // loop when the table arrives, never from inside Start.
    void Start(Move move, Done done);
    // Stands still but busy for `ms`, then runs `done` from the loop.
    void Hold(std::int64_t ms, Done done);
    // Halts where the table is now; the pending `done` is dropped.
    void Stop();
    // Puts the table somewhere without travelling (power-on, tests).
    void Place(double position);

    bool Active() const { return timer_ != 0; }
    double Position() const;
    // Magnitude, mm/s.
    double Speed() const;
    double Destination() const { return Active() ? move_.to : rest_; }
    // Time the current move takes, ms (0 when none).
    double DurationMs() const { return Active() ? total_ : 0.0; }

  private:
    // Distance covered and speed `t` ms into the move.
    double Covered(double t) const;
    double SpeedAt(double t) const;
    void Arm(double ms, Done done);

    EventLoop& loop_;
    Move move_;
    double rest_ = 0.0;
    std::int64_t t0_ = 0;
    // Profile in µm and ms: acceleration phase, cruise, deceleration.
    double peak_ = 0.0;
    double a_ = 0.0;
    double d_ = 0.0;
    double ta_ = 0.0;
    double tc_ = 0.0;
    double td_ = 0.0;
    double total_ = 0.0;
    double distance_ = 0.0;
    double direction_ = 1.0;
    EventLoop::TimerId timer_ = 0;
};

}  // namespace tavro::sim
