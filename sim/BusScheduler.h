#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <tuple>

#include "link/EventLoop.h"

namespace tavro::sim {

// When the bus's characters arrive: the event loop's millisecond timers by default (the
// in-process line in virtual time), or microsecond deadlines (tavro-sim on a pseudo-terminal).
class BusScheduler {
  public:
    using Id = std::uint64_t;
    virtual ~BusScheduler() = default;
    virtual std::int64_t NowUs() const = 0;
    // Runs `action` at `atUs` or as soon as possible after it; 0 when refused.
    virtual Id At(std::int64_t atUs, std::function<void()> action) = 0;
    virtual void Cancel(Id id) = 0;
};

// Absolute deadlines on CLOCK_MONOTONIC through one timerfd that the loop watches, so that
// a character is not late by the rounding of a millisecond timer.
class PreciseScheduler : public BusScheduler {
  public:
    explicit PreciseScheduler(EventLoop& loop);
    ~PreciseScheduler() override;
    PreciseScheduler(const PreciseScheduler&) = delete;
    PreciseScheduler& operator=(const PreciseScheduler&) = delete;

    // False when the timerfd could not be made; the bus then keeps the loop's timers.
    bool Ready() const { return fd_ >= 0; }

    std::int64_t NowUs() const override;
    Id At(std::int64_t atUs, std::function<void()> action) override;
    void Cancel(Id id) override;

  private:
    void Arm();
    void OnExpiry();

    EventLoop& loop_;
    int fd_ = -1;
    EventLoop::WatchId watch_ = 0;
    Id nextId_ = 1;
    std::map<std::tuple<std::int64_t, Id>, std::function<void()>> due_;
    std::map<Id, std::int64_t> when_;
};

}  // namespace tavro::sim
