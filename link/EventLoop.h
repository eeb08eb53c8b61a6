#pragma once

#include <cstdint>
#include <functional>

namespace tavro {

// The one event queue the core runs on: the current time, posted tasks, timers and
// readable file descriptors, all handled one at a time in arrival order.
class EventLoop {
  public:
    using Task = std::function<void()>;
    using TimerId = std::uint64_t;  // 0 is never a live timer
    using WatchId = std::uint64_t;  // 0 is never a live watch

    virtual ~EventLoop() = default;

    // Milliseconds on a monotonic clock.
    virtual std::int64_t NowMs() const = 0;
    // Microseconds on the same clock; a loop that keeps only milliseconds gives those.
    virtual std::int64_t NowUs() const { return NowMs() * 1000; }

    // Runs `task` later, after the events already queued.
    virtual void Post(Task task) = 0;

    // One-shot or periodic timer with 1 ms resolution; returns 0 when refused.
    virtual TimerId StartTimer(std::int64_t ms, bool periodic, Task onExpiry) = 0;

    // Stopping a timer that has expired or was never started is harmless.
    virtual void StopTimer(TimerId id) = 0;

    // Calls `onReadable` whenever the descriptor has input or a hang-up or error to report;
    // returns 0 when the loop cannot watch descriptors.
    virtual WatchId WatchReadable(int fd, Task onReadable) = 0;
    virtual void Unwatch(WatchId id) = 0;
};

}  // namespace tavro
