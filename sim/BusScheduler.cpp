#include "sim/BusScheduler.h"

#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>

namespace tavro::sim {

namespace {

constexpr std::int64_t kMicrosPerSecond = 1000000;

}  // namespace

PreciseScheduler::PreciseScheduler(EventLoop& loop) : loop_(loop) {
    fd_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ >= 0) {
        watch_ = loop_.WatchReadable(fd_, [this] { OnExpiry(); });
    }
}

PreciseScheduler::~PreciseScheduler() {
    if (watch_ != 0) {
        loop_.Unwatch(watch_);
    }
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::int64_t PreciseScheduler::NowUs() const {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * kMicrosPerSecond + ts.tv_nsec / 1000;
}

BusScheduler::Id PreciseScheduler::At(std::int64_t atUs, std::function<void()> action) {
    if (fd_ < 0) {
        return 0;
    }
    const Id id = nextId_++;
    due_.emplace(std::make_tuple(atUs, id), std::move(action));
    when_[id] = atUs;
    Arm();
    return id;
}

void PreciseScheduler::Cancel(Id id) {
    const auto it = when_.find(id);
    if (it == when_.end()) {
        return;
    }
    due_.erase(std::make_tuple(it->second, id));
    when_.erase(it);
    Arm();
}

void PreciseScheduler::Arm() {
    itimerspec deadline{};
    if (!due_.empty()) {
        // An absolute deadline: a deadline already passed fires at once (0 would disarm).
        std::int64_t at = std::get<0>(due_.begin()->first);
        if (at <= 0) {
            at = 1;
        }
        deadline.it_value.tv_sec = static_cast<time_t>(at / kMicrosPerSecond);
        deadline.it_value.tv_nsec = static_cast<long>((at % kMicrosPerSecond) * 1000);
    }
    ::timerfd_settime(fd_, TFD_TIMER_ABSTIME, &deadline, nullptr);
}

void PreciseScheduler::OnExpiry() {
    std::uint64_t expirations = 0;
    (void)!::read(fd_, &expirations, sizeof expirations);
    const std::int64_t now = NowUs();
    // What is due now runs in deadline order; what an action schedules waits its own turn.
    while (!due_.empty() && std::get<0>(due_.begin()->first) <= now) {
        auto node = due_.extract(due_.begin());
        when_.erase(std::get<1>(node.key()));
        node.mapped()();
    }
    Arm();
}

}  // namespace tavro::sim
