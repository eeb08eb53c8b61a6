#pragma once

#include <cstdint>
#include <map>
#include <tuple>

#include "link/EventLoop.h"

namespace tavro {

// An event loop on a clock that only moves when a test moves it, so timings are asserted
// exactly and a test of seconds of protocol runs in microseconds.
class VirtualLoop : public EventLoop {
  public:
    VirtualLoop() = default;
    ~VirtualLoop() override = default;

    std::int64_t NowMs() const override { return now_; }
    void Post(Task task) override;
    TimerId StartTimer(std::int64_t ms, bool periodic, Task onExpiry) override;
    void StopTimer(TimerId id) override;
    // Descriptors are not watched in virtual time; in-memory lines post their bytes instead.
    WatchId WatchReadable(int fd, Task onReadable) override;
    void Unwatch(WatchId id) override;

    // Runs everything due now, including what those events post for now.
    void RunDue();
    // Moves the clock forward by `ms`, running every event in time order on the way.
    void Advance(std::int64_t ms);
    // Moves the clock to the next event and runs it, or returns false when nothing is queued.
    bool RunNext();
    // Runs events until `done` returns true or `limitMs` of virtual time have passed;
    // returns `done()`.
    template <typename Pred>
    bool RunUntil(Pred done, std::int64_t limitMs) {
        const std::int64_t end = now_ + limitMs;
        RunDue();
        while (!done()) {
            if (queue_.empty() || std::get<0>(queue_.begin()->first) > end) {
                now_ = end;
                return done();
            }
            RunNext();
        }
        return true;
    }

    std::size_t Pending() const { return queue_.size(); }
    bool TimerActive(TimerId id) const { return timers_.count(id) != 0; }

  private:
    struct TimerInfo {
        std::int64_t period = 0;
        Task fn;
        std::tuple<std::int64_t, std::uint64_t> key;
    };
    using Key = std::tuple<std::int64_t, std::uint64_t>;  // due time, arrival order
    struct Event {
        Task task;
        TimerId timer = 0;  // non-zero for a timer expiry
    };

    void Schedule(std::int64_t due, Event ev);
    void RunOne();

    std::int64_t now_ = 0;
    std::uint64_t seq_ = 0;
    std::uint64_t nextTimer_ = 1;
    std::map<Key, Event> queue_;
    std::map<TimerId, TimerInfo> timers_;
};

}  // namespace tavro
