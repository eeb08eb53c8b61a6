#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "link/CTimer.h"
#include "link/VirtualLoop.h"

namespace tavro {
namespace {

struct Recorder : TimerClient {
    explicit Recorder(VirtualLoop& l) : loop(l) {}
    void OnTimerSlot(int slot) override { fired.emplace_back(loop.NowMs(), slot); }
    VirtualLoop& loop;
    std::vector<std::pair<std::int64_t, int>> fired;
};

class TimerTest : public ::testing::Test {
  protected:
    TimerTest() { ctx.timerClient = &rec; }
    VirtualLoop loop;
    LinkContext ctx{loop, "/nonexistent"};
    Recorder rec{loop};
    CTimer timer{ctx};
    using Fired = std::vector<std::pair<std::int64_t, int>>;
};

TEST_F(TimerTest, PollIsPeriodic) {
    ASSERT_TRUE(timer.StartPoll());
    loop.Advance(350);
    EXPECT_EQ(rec.fired, (Fired{{100, 0}, {200, 0}, {300, 0}}));
    EXPECT_TRUE(timer.IsRunning(CTimer::kPoll));
    timer.StopPoll();
    loop.Advance(500);
    EXPECT_EQ(rec.fired.size(), 3U);
}

TEST_F(TimerTest, StartPollRestartsThePhase) {
    timer.StartPoll();
    loop.Advance(60);
    timer.StartPoll();
    loop.Advance(100);
    EXPECT_EQ(rec.fired, (Fired{{160, 0}}));
}

TEST_F(TimerTest, ReArmingReplacesTheRunningTimer) {
    timer.ArmOneShot(CTimer::kStepTime, 500);
    loop.Advance(200);
    timer.ArmOneShot(CTimer::kStepTime, 500);
    loop.Advance(1000);
    EXPECT_EQ(rec.fired, (Fired{{700, 2}}));
    EXPECT_FALSE(timer.IsRunning(CTimer::kStepTime));
}

TEST_F(TimerTest, OneShotsClearThemselvesExceptPollStopAndEarlyRelease) {
    for (int slot : {1, 2, 3, 4, 5, 6}) {
        timer.ArmOneShot(slot, 10);
    }
    loop.Advance(20);
    for (int slot : {1, 2, 3, 4}) {
        EXPECT_FALSE(timer.IsRunning(slot)) << slot;
    }
    EXPECT_TRUE(timer.IsRunning(CTimer::kPollStop));
    EXPECT_TRUE(timer.IsRunning(CTimer::kEarlyRelease));
    // Stopping them afterwards is harmless.
    timer.StopTimer(CTimer::kPollStop);
    timer.StopTimer(CTimer::kEarlyRelease);
    EXPECT_FALSE(timer.IsRunning(CTimer::kEarlyRelease));
}

TEST_F(TimerTest, SlotsExpireInTimeOrder) {
    timer.ArmOneShot(CTimer::kReply, 1000);
    timer.ArmOneShot(CTimer::kEarlyRelease, 980);
    timer.ArmOneShot(CTimer::kStepTime, 1000);
    loop.Advance(1000);
    EXPECT_EQ(rec.fired, (Fired{{980, 6}, {1000, 1}, {1000, 2}}));
}

TEST_F(TimerTest, PollStopStopsOnlyThePoll) {
    timer.StartPoll();
    timer.ArmOneShot(CTimer::kPollStop, 955);
    loop.Advance(2000);
    ASSERT_FALSE(rec.fired.empty());
    EXPECT_EQ(rec.fired.back(), std::make_pair(std::int64_t{900}, 0));
    EXPECT_FALSE(timer.IsRunning(CTimer::kPoll));
    for (const auto& f : rec.fired) {
        EXPECT_NE(f.second, 5);  // slot 5 has no action of the client's
    }
}

TEST_F(TimerTest, StepWatchdogStopsReplyAndPollFirst) {
    struct Check : TimerClient {
        CTimer* timer = nullptr;
        bool replyRunning = true;
        bool pollRunning = true;
        void OnTimerSlot(int slot) override {
            if (slot == CTimer::kStepWatchdog) {
                replyRunning = timer->IsRunning(CTimer::kReply);
                pollRunning = timer->IsRunning(CTimer::kPoll);
            }
        }
    } check;
    check.timer = &timer;
    ctx.timerClient = &check;
    timer.StartPoll();
    timer.ArmOneShot(CTimer::kReply, 20000);
    timer.ArmOneShot(CTimer::kStepWatchdog, CTimer::kStepWatchdogMs);
    loop.Advance(CTimer::kStepWatchdogMs);
    EXPECT_FALSE(check.replyRunning);
    EXPECT_FALSE(check.pollRunning);
}

TEST_F(TimerTest, StoppingAnIdleSlotIsHarmless) {
    timer.StopTimer(CTimer::kOriginWatchdog);
    timer.StopTimer(-1);
    timer.StopTimer(7);
    timer.ArmOneShot(9, 10);
    loop.Advance(100);
    EXPECT_TRUE(rec.fired.empty());
}

}  // namespace
}  // namespace tavro
