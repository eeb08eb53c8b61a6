#include "link/VirtualLoop.h"

#include <utility>

namespace tavro {

void VirtualLoop::Schedule(std::int64_t due, Event ev) {
    queue_.emplace(Key{due, seq_++}, std::move(ev));
}

void VirtualLoop::Post(Task task) {
    Schedule(now_, Event{std::move(task), 0});
}

EventLoop::TimerId VirtualLoop::StartTimer(std::int64_t ms, bool periodic, Task onExpiry) {
    if (ms < 0) {
        ms = 0;
    }
    const TimerId id = nextTimer_++;
    const Key key{now_ + ms, seq_};
    timers_[id] = TimerInfo{periodic ? (ms > 0 ? ms : 1) : 0, std::move(onExpiry), key};
    Schedule(now_ + ms, Event{nullptr, id});
    return id;
}

void VirtualLoop::StopTimer(TimerId id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) {
        return;
    }
    queue_.erase(it->second.key);
    timers_.erase(it);
}

EventLoop::WatchId VirtualLoop::WatchReadable(int, Task) {
    return 0;
}

void VirtualLoop::Unwatch(WatchId) {}

void VirtualLoop::RunOne() {
    auto node = queue_.extract(queue_.begin());
    Event ev = std::move(node.mapped());
    if (ev.timer == 0) {
        ev.task();
        return;
    }
    auto it = timers_.find(ev.timer);
    if (it == timers_.end()) {
        return;
    }
    Task fn = it->second.fn;  // the callback may stop or restart its own timer
    if (it->second.period > 0) {
        const std::int64_t due = now_ + it->second.period;
        it->second.key = Key{due, seq_};
        Schedule(due, Event{nullptr, ev.timer});
    } else {
        timers_.erase(it);
    }
    fn();
}

void VirtualLoop::RunDue() {
    while (!queue_.empty() && std::get<0>(queue_.begin()->first) <= now_) {
        RunOne();
    }
}

bool VirtualLoop::RunNext() {
    if (queue_.empty()) {
        return false;
    }
    const std::int64_t due = std::get<0>(queue_.begin()->first);
    if (due > now_) {
        now_ = due;
    }
    RunOne();
    return true;
}

void VirtualLoop::Advance(std::int64_t ms) {
    const std::int64_t end = now_ + ms;
    RunDue();
    while (!queue_.empty() && std::get<0>(queue_.begin()->first) <= end) {
        RunNext();
    }
    now_ = end;
}

}  // namespace tavro
