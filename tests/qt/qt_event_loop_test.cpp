#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>
#include <string>
#include <vector>

#include "link/SerialPort.h"
#include "tests/support/Pty.h"
#include "ui/qt/QtEventLoop.h"

namespace tavro::test {
namespace {

// Runs Qt's queue until `done` or a generous real-time bound; these tests wait on timers
// and descriptors, so some real time must pass.
bool RunUntil(const std::function<bool()>& done, int limitMs = 3000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limitMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    return true;
}

void Drain() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
    }
}

TEST(QtEventLoopTest, PostedTasksRunLaterAndInOrder) {
    qt::QtEventLoop loop;
    std::vector<int> order;
    loop.Post([&] {
        order.push_back(1);
        loop.Post([&] { order.push_back(3); });
    });
    loop.Post([&] { order.push_back(2); });
    EXPECT_TRUE(order.empty());
    EXPECT_TRUE(RunUntil([&] { return order.size() == 3; }));
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(QtEventLoopTest, OneShotTimersFireOnceAndMayStartTheNext) {
    qt::QtEventLoop loop;
    int fired = 0;
    const std::int64_t start = loop.NowMs();
    std::int64_t firstAt = 0;
    loop.StartTimer(5, false, [&] {
        ++fired;
        firstAt = loop.NowMs();
        loop.StartTimer(1, false, [&] { ++fired; });
    });
    EXPECT_EQ(loop.ActiveTimers(), 1u);
    EXPECT_TRUE(RunUntil([&] { return fired == 2; }));
    EXPECT_GE(firstAt - start, 4);
    Drain();
    EXPECT_EQ(fired, 2);
    EXPECT_EQ(loop.ActiveTimers(), 0u);
}

TEST(QtEventLoopTest, PeriodicTimersRepeatUntilStoppedEvenFromTheirOwnTask) {
    qt::QtEventLoop loop;
    int ticks = 0;
    EventLoop::TimerId id = 0;
    id = loop.StartTimer(1, true, [&] {
        if (++ticks == 3) {
            loop.StopTimer(id);
        }
    });
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(RunUntil([&] { return ticks >= 3; }));
    int late = 0;
    loop.StartTimer(20, false, [&] { ++late; });
    EXPECT_TRUE(RunUntil([&] { return late == 1; }));
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(loop.ActiveTimers(), 0u);
}

TEST(QtEventLoopTest, StoppedAndRefusedTimersNeverFire) {
    qt::QtEventLoop loop;
    int fired = 0;
    const auto id = loop.StartTimer(1, false, [&] { ++fired; });
    loop.StopTimer(id);
    loop.StopTimer(id);     // twice is harmless
    loop.StopTimer(12345);  // so is a timer that never was
    EXPECT_EQ(loop.StartTimer(-1, false, [&] { ++fired; }), 0u);
    EXPECT_EQ(loop.StartTimer(5, false, {}), 0u);
    int other = 0;
    loop.StartTimer(10, false, [&] { ++other; });
    EXPECT_TRUE(RunUntil([&] { return other == 1; }));
    EXPECT_EQ(fired, 0);
}

TEST(QtEventLoopTest, WatchesReportInputUntilUnwatchedFromTheirOwnTask) {
    qt::QtEventLoop loop;
    int fds[2] = {-1, -1};
    ASSERT_EQ(::pipe(fds), 0);
    ::fcntl(fds[0], F_SETFL, O_NONBLOCK);
    std::string got;
    EventLoop::WatchId watch = 0;
    watch = loop.WatchReadable(fds[0], [&] {
        char buf[16];
        const ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n > 0) {
            got.append(buf, static_cast<std::size_t>(n));
        }
        loop.Unwatch(watch);
    });
    ASSERT_NE(watch, 0u);
    ASSERT_EQ(::write(fds[1], "ab", 2), 2);
    EXPECT_TRUE(RunUntil([&] { return got == "ab"; }));
    ASSERT_EQ(::write(fds[1], "cd", 2), 2);
    int settle = 0;
    loop.StartTimer(20, false, [&] { ++settle; });
    EXPECT_TRUE(RunUntil([&] { return settle == 1; }));
    EXPECT_EQ(got, "ab");
    EXPECT_EQ(loop.ActiveWatches(), 0u);
    EXPECT_EQ(loop.WatchReadable(-1, [] {}), 0u);
    ::close(fds[0]);
    ::close(fds[1]);
}

// An adapter pulled out looks like a terminal whose other side is gone: the watch must wake
// so the port can notice, and the port must then stop watching instead of spinning.
TEST(QtEventLoopTest, AClosedTerminalWakesTheSerialPort) {
    qt::QtEventLoop loop;
    Pty pty;
    OpenError error;
    auto port = SerialPort::Open(loop, pty.SlavePath(), 9600, error);
    ASSERT_NE(port, nullptr) << error.Why();
    std::string bytes;
    int gone = 0;
    port->Start([&](std::string_view b) { bytes.append(b); }, [&](int) { ++gone; });
    EXPECT_EQ(loop.ActiveWatches(), 1u);
    pty.WriteMaster("OK");
    EXPECT_TRUE(RunUntil([&] { return bytes == "OK"; }));
    pty.CloseMaster();
    EXPECT_TRUE(RunUntil([&] { return gone > 0; }));
    int settle = 0;
    loop.StartTimer(30, false, [&] { ++settle; });
    EXPECT_TRUE(RunUntil([&] { return settle == 1; }));
    EXPECT_EQ(gone, 1);
    EXPECT_EQ(loop.ActiveWatches(), 0u);
    EXPECT_FALSE(port->IsOpen());
}

}  // namespace
}  // namespace tavro::test
