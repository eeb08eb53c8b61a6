#include "ui/qt/QtEventLoop.h"

#include <chrono>
#include <limits>

namespace tavro::qt {

QtEventLoop::QtEventLoop() = default;

QtEventLoop::~QtEventLoop() {
    // Watches first: a notifier must not outlive the handler it calls.
    watches_.clear();
    timers_.clear();
    retired_.clear();
}

std::int64_t QtEventLoop::NowMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::int64_t QtEventLoop::NowUs() const {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void QtEventLoop::Post(Task task) {
    QMetaObject::invokeMethod(&context_, std::move(task), Qt::QueuedConnection);
}

EventLoop::TimerId QtEventLoop::StartTimer(std::int64_t ms, bool periodic, Task onExpiry) {
    if (ms < 0 || ms > std::numeric_limits<int>::max() || !onExpiry) {
        return 0;
    }
    const TimerId id = nextId_++;
    auto timer = std::make_unique<QTimer>();
    timer->setTimerType(Qt::PreciseTimer);
    timer->setSingleShot(!periodic);
    timer->setInterval(static_cast<int>(ms));
    QObject::connect(timer.get(), &QTimer::timeout, &context_,
                     [this, id, periodic, task = std::move(onExpiry)] {
                         if (!periodic) {
                             // Gone before it runs, so the task may start a timer of its own.
                             const auto it = timers_.find(id);
                             if (it == timers_.end()) {
                                 return;
                             }
                             Retire(std::move(it->second));
                             timers_.erase(it);
                         }
                         const Task run = task;
                         run();
                     });
    timer->start();
    timers_[id] = std::move(timer);
    return id;
}

void QtEventLoop::StopTimer(TimerId id) {
    const auto it = timers_.find(id);
    if (it == timers_.end()) {
        return;
    }
    it->second->stop();
    Retire(std::move(it->second));
    timers_.erase(it);
}

EventLoop::WatchId QtEventLoop::WatchReadable(int fd, Task onReadable) {
    if (fd < 0 || !onReadable) {
        return 0;
    }
    const WatchId id = nextId_++;
    // Read wakes for data and, with most dispatchers, for a hang-up; the exception notifier
    // covers the error conditions a read notifier may not report.
    std::vector<std::unique_ptr<QSocketNotifier>> notifiers;
    for (const auto type : {QSocketNotifier::Read, QSocketNotifier::Exception}) {
        auto notifier = std::make_unique<QSocketNotifier>(fd, type);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, &context_,
                         [this, id, task = onReadable] {
                             if (watches_.count(id) == 0) {
                                 return;
                             }
                             const Task run = task;
                             run();
                         });
        notifiers.push_back(std::move(notifier));
    }
    watches_[id] = std::move(notifiers);
    return id;
}

void QtEventLoop::Unwatch(WatchId id) {
    const auto it = watches_.find(id);
    if (it == watches_.end()) {
        return;
    }
    for (auto& notifier : it->second) {
        notifier->setEnabled(false);
        Retire(std::move(notifier));
    }
    watches_.erase(it);
}

void QtEventLoop::Retire(std::unique_ptr<QObject> object) {
    retired_.push_back(std::move(object));
    if (!cleanupPosted_) {
        cleanupPosted_ = true;
        QMetaObject::invokeMethod(
            &context_,
            [this] {
                cleanupPosted_ = false;
                retired_.clear();
            },
            Qt::QueuedConnection);
    }
}

}  // namespace tavro::qt
