#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "link/PollLoop.h"
#include "link/VirtualLoop.h"

namespace tavro {
namespace {

TEST(VirtualLoop, EventsRunInTimeThenArrivalOrder) {
    VirtualLoop loop;
    std::vector<std::string> log;
    loop.StartTimer(10, false, [&] { log.push_back("t10"); });
    loop.Post([&] {
        log.push_back("post1");
        loop.Post([&] { log.push_back("post-from-post"); });
    });
    loop.StartTimer(0, false, [&] { log.push_back("t0"); });
    loop.Post([&] { log.push_back("post2"); });
    loop.Advance(10);
    EXPECT_EQ(log, (std::vector<std::string>{"post1", "t0", "post2", "post-from-post", "t10"}));
    EXPECT_EQ(loop.NowMs(), 10);
}

TEST(VirtualLoop, StoppedTimerNeverFiresEvenFromItsOwnCallback) {
    VirtualLoop loop;
    int count = 0;
    EventLoop::TimerId id = 0;
    id = loop.StartTimer(5, true, [&] {
        if (++count == 3) {
            loop.StopTimer(id);
        }
    });
    loop.Advance(100);
    EXPECT_EQ(count, 3);
    EXPECT_FALSE(loop.TimerActive(id));
}

TEST(VirtualLoop, RunUntilStopsAtThePredicateOrTheLimit) {
    VirtualLoop loop;
    bool flag = false;
    loop.StartTimer(300, false, [&] { flag = true; });
    EXPECT_FALSE(loop.RunUntil([&] { return flag; }, 200));
    EXPECT_EQ(loop.NowMs(), 200);
    EXPECT_TRUE(loop.RunUntil([&] { return flag; }, 200));
    EXPECT_EQ(loop.NowMs(), 300);
}

TEST(PollLoop, TimersAndPostsRunInOrder) {
    PollLoop loop;
    std::vector<int> log;
    loop.StartTimer(30, false, [&] { log.push_back(30); });
    loop.StartTimer(10, false, [&] { log.push_back(10); });
    loop.Post([&] { log.push_back(0); });
    loop.StartTimer(40, false, [&] { loop.Quit(); });
    const auto start = loop.NowMs();
    loop.Run();
    EXPECT_EQ(log, (std::vector<int>{0, 10, 30}));
    EXPECT_GE(loop.NowMs() - start, 40);
}

TEST(PollLoop, WatchesDescriptors) {
    PollLoop loop;
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    std::string got;
    const auto id = loop.WatchReadable(fds[0], [&] {
        char buf[16];
        const ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n > 0) {
            got.append(buf, static_cast<std::size_t>(n));
        }
    });
    ASSERT_NE(id, 0U);
    loop.StartTimer(5, false, [&] { ASSERT_EQ(::write(fds[1], "hi", 2), 2); });
    EXPECT_TRUE(loop.RunUntil([&] { return got == "hi"; }, 2000));
    loop.Unwatch(id);
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST(PollLoop, RunUntilTimesOut) {
    PollLoop loop;
    const auto start = loop.NowMs();
    EXPECT_FALSE(loop.RunUntil([] { return false; }, 50));
    EXPECT_GE(loop.NowMs() - start, 50);
}

}  // namespace
}  // namespace tavro
