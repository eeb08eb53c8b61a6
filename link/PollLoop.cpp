#include "link/PollLoop.h"

#include <poll.h>
#include <time.h>

#include <cerrno>
#include <utility>
#include <vector>

namespace tavro {

std::int64_t PollLoop::NowMs() const {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

std::int64_t PollLoop::NowUs() const {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

void PollLoop::Post(Task task) {
    queue_.emplace(Key{NowMs(), seq_++}, Event{std::move(task), 0});
}

EventLoop::TimerId PollLoop::StartTimer(std::int64_t ms, bool periodic, Task onExpiry) {
    if (ms < 0) {
        ms = 0;
    }
    const TimerId id = nextId_++;
    const Key key{NowMs() + ms, seq_++};
    timers_[id] = TimerInfo{periodic ? (ms > 0 ? ms : 1) : 0, std::move(onExpiry), key};
    queue_.emplace(key, Event{nullptr, id});
    return id;
}

void PollLoop::StopTimer(TimerId id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) {
        return;
    }
    queue_.erase(it->second.key);
    timers_.erase(it);
}

EventLoop::WatchId PollLoop::WatchReadable(int fd, Task onReadable) {
    if (fd < 0) {
        return 0;
    }
    const WatchId id = nextId_++;
    watches_[id] = Watch{fd, std::move(onReadable)};
    return id;
}

void PollLoop::Unwatch(WatchId id) {
    watches_.erase(id);
}

void PollLoop::RunEvent(Event ev) {
    if (ev.timer == 0) {
        ev.task();
        return;
    }
    auto it = timers_.find(ev.timer);
    if (it == timers_.end()) {
        return;
    }
    Task fn = it->second.fn;
    if (it->second.period > 0) {
        // Periodic timers keep their phase; a late round does not make them drift.
        const std::int64_t due = std::get<0>(it->second.key) + it->second.period;
        const std::int64_t now = NowMs();
        it->second.key = Key{due > now ? due : now, seq_++};
        queue_.emplace(it->second.key, Event{nullptr, ev.timer});
    } else {
        timers_.erase(it);
    }
    fn();
}

void PollLoop::Iterate(std::int64_t deadline) {
    const std::int64_t now = NowMs();
    std::int64_t wait = deadline - now;
    if (!queue_.empty()) {
        const std::int64_t due = std::get<0>(queue_.begin()->first) - now;
        if (due < wait) {
            wait = due;
        }
    }
    if (wait < 0) {
        wait = 0;
    }

    std::vector<pollfd> fds;
    std::vector<WatchId> ids;
    fds.reserve(watches_.size());
    for (const auto& [id, w] : watches_) {
        fds.push_back(pollfd{w.fd, POLLIN, 0});
        ids.push_back(id);
    }
    const int timeout = wait > 1000000 ? 1000000 : static_cast<int>(wait);
    const int n = ::poll(fds.data(), static_cast<nfds_t>(fds.size()), timeout);
    if (n > 0) {
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].revents == 0) {
                continue;
            }
            auto it = watches_.find(ids[i]);
            if (it != watches_.end()) {
                Task fn = it->second.fn;
                fn();
            }
        }
    }

    // Everything already due runs now, in arrival order; events posted meanwhile wait a round.
    const std::int64_t after = NowMs();
    const Key limit{after, seq_};
    while (!queue_.empty() && queue_.begin()->first < limit && !quit_) {
        auto node = queue_.extract(queue_.begin());
        RunEvent(std::move(node.mapped()));
    }
}

void PollLoop::Run() {
    quit_ = false;
    while (!quit_) {
        Iterate(NowMs() + 1000000);
    }
}

void PollLoop::RunFor(std::int64_t ms) {
    const std::int64_t end = NowMs() + ms;
    quit_ = false;
    while (!quit_ && NowMs() < end) {
        Iterate(end);
    }
}

bool PollLoop::RunUntil(const std::function<bool()>& done, std::int64_t timeoutMs) {
    const std::int64_t end = NowMs() + timeoutMs;
    quit_ = false;
    while (!quit_ && !done() && NowMs() < end) {
        Iterate(end);
    }
    return done();
}

}  // namespace tavro
