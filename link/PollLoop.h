#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <tuple>

#include "link/EventLoop.h"

namespace tavro {

// The event loop of headless programs (simulator, command-line tool, end-to-end tests):
// poll() over the watched descriptors with the next timer as its time-out.
class PollLoop : public EventLoop {
  public:
    PollLoop() = default;
    ~PollLoop() override = default;

    std::int64_t NowMs() const override;
    std::int64_t NowUs() const override;
    void Post(Task task) override;
    TimerId StartTimer(std::int64_t ms, bool periodic, Task onExpiry) override;
    void StopTimer(TimerId id) override;
    WatchId WatchReadable(int fd, Task onReadable) override;
    void Unwatch(WatchId id) override;

    // Runs until Quit().
    void Run();
    void Quit() { quit_ = true; }
    bool QuitRequested() const { return quit_; }
    // Runs for `ms` milliseconds of real time (or until Quit()).
    void RunFor(std::int64_t ms);
    // Runs until `done` is true, Quit() or `timeoutMs` have passed; returns done().
    bool RunUntil(const std::function<bool()>& done, std::int64_t timeoutMs);

  private:
    using Key = std::tuple<std::int64_t, std::uint64_t>;
    struct Event {
        Task task;
        TimerId timer = 0;
    };
    struct TimerInfo {
        std::int64_t period = 0;
        Task fn;
        Key key;
    };
    struct Watch {
        int fd = -1;
        Task fn;
    };

    // One round: wait at most until `deadline` for descriptors or the next due event, then
    // handle what is ready.
    void Iterate(std::int64_t deadline);
    void RunEvent(Event ev);

    bool quit_ = false;
    std::uint64_t seq_ = 0;
    std::uint64_t nextId_ = 1;
    std::map<Key, Event> queue_;
    std::map<TimerId, TimerInfo> timers_;
    std::map<WatchId, Watch> watches_;
};

}  // namespace tavro
