#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <map>
#include <memory>
#include <vector>

#include "link/EventLoop.h"

namespace tavro::qt {

// The application's event loop for the core: Qt's own queue, with precise timers, posted
// tasks as queued calls and descriptor watches that also wake on hang-up.
class QtEventLoop : public EventLoop {
  public:
    QtEventLoop();
    ~QtEventLoop() override;
    QtEventLoop(const QtEventLoop&) = delete;
    QtEventLoop& operator=(const QtEventLoop&) = delete;

    std::int64_t NowMs() const override;
    std::int64_t NowUs() const override;
    void Post(Task task) override;
    TimerId StartTimer(std::int64_t ms, bool periodic, Task onExpiry) override;
    void StopTimer(TimerId id) override;
    WatchId WatchReadable(int fd, Task onReadable) override;
    void Unwatch(WatchId id) override;

    std::size_t ActiveTimers() const { return timers_.size(); }
    std::size_t ActiveWatches() const { return watches_.size(); }

  private:
    // Objects whose signal may be running right now are kept until the queue is back.
    void Retire(std::unique_ptr<QObject> object);

    QObject context_;
    std::uint64_t nextId_ = 1;
    std::map<TimerId, std::unique_ptr<QTimer>> timers_;
    std::map<WatchId, std::vector<std::unique_ptr<QSocketNotifier>>> watches_;
    std::vector<std::unique_ptr<QObject>> retired_;
    bool cleanupPosted_ = false;
};

}  // namespace tavro::qt
