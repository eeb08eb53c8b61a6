// Motion and test operations against the simulated controller, with the monitor decoder
// ending the waits on the status word.

#include <gtest/gtest.h>

#include "link/CStatusFlg.h"
#include "link/CTimer.h"
#include "link/StringIds.h"
#include "monitor/MonitorHook.h"
#include "tests/link/SimLinkFixture.h"

namespace tavro::test {
namespace {

using Bodies = std::vector<std::string>;
using Times = std::vector<std::int64_t>;

constexpr int kStep = 1 << 24;
constexpr int kSvonDrive = 0x10100;
constexpr int kSvon = 0x10000;

class MotionTest : public SimLinkFixture {
  protected:
    // Identity read and test mode ("MD 1"), as after the start-up.
    void Connect() {
        trx().Run(OP_CONNECT, 0, 0);
        loop.Advance(50);
        ASSERT_EQ(ctx.status.linkState, kLinkOnline);
    }
    void Home() {
        trx().Run(OP_RETURN_ORIGIN, 0, 0);
        ASSERT_TRUE(loop.RunUntil([this] { return ctx.trx.currentOp == OP_IDLE; }, 5000));
        ASSERT_TRUE(CStatusFlg(ctx).IsOriginDone());
        loop.Advance(200);
    }
    // Commands since `from` entries of the log, polls left out.
    Bodies CommandsSince(std::size_t from) const { return CommandsSent(bus, from); }
    std::int64_t LastPollBefore(std::int64_t t) const {
        std::int64_t last = -1;
        for (const auto& r : bus.Requests("MO")) {
            if (r.timeMs < t) {
                last = r.timeMs;
            }
        }
        return last;
    }
    std::size_t PollsBetween(std::int64_t from, std::int64_t to) const {
        std::size_t n = 0;
        for (const auto& r : bus.Requests("MO")) {
            n += r.timeMs > from && r.timeMs < to ? 1 : 0;
        }
        return n;
    }
    std::size_t Mark() const { return bus.Log().size(); }

    MonitorHook hook{ctx};
};

TEST_F(MotionTest, ReturnToOriginEndsWhenTheMonitorReportsIt) {
    Connect();
    const std::int64_t t0 = loop.NowMs();
    const std::size_t mark = Mark();
    trx().Run(OP_RETURN_ORIGIN, 0, 0);
    loop.Advance(3000);
    EXPECT_EQ(CommandsSince(mark), (Bodies{"OE 0 1 1", "OE 0 1 0"}));
    // From mid-stroke (10 mm) at 20 mm/s plus the controller's settling: 800 ms, seen by the
    // next poll.
    const std::int64_t release = TimesOf("OE 0 1 0").back();
    EXPECT_GE(release, t0 + 800);
    EXPECT_LE(release, t0 + 901);
    EXPECT_TRUE(host.Has("ShowOperationResult(1,1,1,0,0,0)"));
    EXPECT_TRUE(CStatusFlg(ctx).IsOriginDone());
    EXPECT_EQ(ctx.status.linkState, kLinkOnline);
    EXPECT_FALSE(CTimer(ctx).IsRunning(CTimer::kOriginWatchdog));
    EXPECT_FALSE(ctx.trx.originWait);
}

TEST_F(MotionTest, OriginNotReachedStopsAfterFifteenSecondsWith706) {
    // Without "MD 1" the controller follows its own I/O and ignores the drive inputs.
    trx().Run(OP_RETURN_ORIGIN, 0, 0);
    loop.Advance(20000);
    EXPECT_EQ(host.TimeOf("Message(706,!)"), 1 + CTimer::kOriginWatchdogMs);
    EXPECT_EQ(TimesOf("OE 0 0 0"), (Times{1 + CTimer::kOriginWatchdogMs + 480}));
    EXPECT_TRUE(host.Has("ShowOperationResult(0,0,0,0,0,1)"));
    EXPECT_EQ(ctx.status.linkState, kLinkOnline);
}

TEST_F(MotionTest, TimedStepReleasesDriveAndEndsOnTime) {
    Connect();
    const std::int64_t t0 = loop.NowMs();
    trx().Run(OP_STEP_RUN, kStep | kSvonDrive, 1000);
    loop.Advance(1500);
    EXPECT_EQ(TimesOf("OE 1 1 1"), (Times{t0}));
    EXPECT_EQ(TimesOf("OE 1 1 0"), (Times{t0 + 980}));
    EXPECT_EQ(host.TimeOf("NextContinuousStep"), t0 + 1000);
    EXPECT_EQ(host.nextSteps, 1);
    // The poll stopped at 955 ms, leaving the line free for the release.
    EXPECT_EQ(LastPollBefore(t0 + 1000), t0 + 900);
    EXPECT_EQ(ctx.trx.currentOp, OP_IDLE);
}

TEST_F(MotionTest, VeryShortStepNeitherStopsThePollNorReleasesDrive) {
    Connect();
    const std::int64_t t0 = loop.NowMs();
    trx().Run(OP_STEP_RUN, kStep | kSvonDrive, 15);
    EXPECT_TRUE(CTimer(ctx).IsRunning(CTimer::kStepTime));
    EXPECT_FALSE(CTimer(ctx).IsRunning(CTimer::kPollStop));
    EXPECT_FALSE(CTimer(ctx).IsRunning(CTimer::kEarlyRelease));
    loop.Advance(500);
    EXPECT_TRUE(TimesOf("OE 1 1 0").empty());
    EXPECT_EQ(host.TimeOf("NextContinuousStep"), t0 + 15);
}

TEST_F(MotionTest, StepWithoutTimeEndsOnInPosition) {
    Connect();
    Home();
    sim.Controller().SetParameter(3, 0, 5000.0F);  // 5 mm
    sim.Controller().SetParameter(3, 1, 0.5F);     // in 0.5 s
    trx().Run(OP_STEP_RUN, kStep | kSvonDrive, 0);
    loop.Advance(3000);
    std::int64_t inPosition = -1;
    for (const auto& r : bus.Replies("MO")) {
        const unsigned word = static_cast<unsigned>(std::stoul(r.text.substr(6, 4), nullptr, 16));
        if (inPosition < 0 && (word & 0x1000U) != 0) {
            inPosition = r.timeMs;
        }
    }
    ASSERT_GT(inPosition, 0);
    EXPECT_EQ(TimesOf("OE 1 1 0"), (Times{inPosition + 100}));
    EXPECT_EQ(host.TimeOf("NextContinuousStep"), inPosition + 100);
    EXPECT_FALSE(CTimer(ctx).IsRunning(CTimer::kStepWatchdog));
    EXPECT_EQ(host.MessageCount(ids::IDS_STEP_TIMEOUT), 0U);
}

TEST_F(MotionTest, StepThatNeverArrivesStopsAfterTenSecondsWith707) {
    Connect();
    Home();
    sim.Controller().SetParameter(3, 0, 5000.0F);
    sim.Controller().SetParameter(3, 1, 0.0F);  // no time: the controller does not move
    const std::int64_t t0 = loop.NowMs();
    trx().Run(OP_STEP_RUN, kStep | kSvonDrive, 0);
    loop.Advance(12000);
    EXPECT_EQ(host.TimeOf("Message(707,!)"), t0 + 1 + CTimer::kStepWatchdogMs);
    EXPECT_EQ(TimesOf("OE 0 0 0").back(), t0 + 1 + CTimer::kStepWatchdogMs + 480);
    EXPECT_EQ(host.nextSteps, 0);
}

TEST_F(MotionTest, OriginRowWaitsHalfASecondAfterTheRelease) {
    Connect();
    trx().Run(OP_STEP_RUN, kSvonDrive, 0);
    loop.Advance(3000);
    const auto release = TimesOf("OE 0 1 0");
    ASSERT_EQ(release.size(), 1U);
    EXPECT_EQ(host.TimeOf("NextContinuousStep"), release[0] + 500);
    EXPECT_EQ(host.nextSteps, 1);
}

TEST_F(MotionTest, StopWaitsBeforeSwitchingTheInputsOff) {
    Connect();
    Home();
    trx().Run(OP_JOG, (17 << 24) | kSvonDrive | 10, 0);
    loop.Advance(250);
    ASSERT_TRUE(sim.Controller().Moving());
    const std::int64_t t1 = loop.NowMs();
    const std::size_t mark = Mark();
    trx().Run(OP_STOP, 0, 0);
    loop.Advance(1000);
    EXPECT_EQ(CommandsSince(mark), (Bodies{"OE 0 0 0"}));
    EXPECT_EQ(TimesOf("OE 0 0 0").back(), t1 + 480);
    EXPECT_EQ(PollsBetween(t1, t1 + 480), 0U);
    EXPECT_TRUE(host.Has("ShowOperationResult(0,0,0,0,0,1)"));
    EXPECT_EQ(ctx.status.linkState, kLinkOnline);
}

TEST_F(MotionTest, JogWritesTheSpeedThenStarts) {
    Connect();
    Home();
    const std::size_t mark = Mark();
    host.Clear();
    trx().Run(OP_JOG, (17 << 24) | kSvonDrive | 25, 0);
    loop.Advance(50);
    EXPECT_EQ(CommandsSince(mark), (Bodies{"EE 19 2 25.00000", "OE 17 1 1"}));
    EXPECT_EQ(host.Texts(), (Bodies{"SetSendingBusy(1)", "SetLinkState(0)", "SetSendingBusy(0)",
                                    "ReleaseDeferredJog"}));
    EXPECT_TRUE(sim.Controller().Moving());
}

struct DriveCase {
    const char* name;
    int param;
    const char* command;
    const char* result;
    bool idle;
};

constexpr DriveCase kDrives[] = {
    {"ServoOn", kSvon, "OE 0 1 0", "ShowOperationResult(1,1,0,1,0,0)", true},
    {"ServoOff", 0, "OE 0 0 0", "ShowOperationResult(1,0,0,0,0,0)", true},
    {"StepStarted", (3 << 24) | kSvonDrive, "OE 3 1 1", "ShowOperationResult(1,1,0,1,0,0)", false},
};

class DriveTest : public MotionTest, public ::testing::WithParamInterface<DriveCase> {};

TEST_P(DriveTest, SendsTheInputsAndShowsTheServo) {
    Connect();
    ctx.status.linkState = kLinkBusy;
    host.Clear();
    const std::size_t mark = Mark();
    trx().Run(OP_DRIVE, GetParam().param, 0);
    loop.Advance(50);
    EXPECT_EQ(CommandsSince(mark), (Bodies{GetParam().command}));
    EXPECT_TRUE(host.Has(GetParam().result));
    EXPECT_EQ(host.Has("SetLinkState(0)"), GetParam().idle);
}

INSTANTIATE_TEST_SUITE_P(Motion, DriveTest, ::testing::ValuesIn(kDrives),
                         [](const auto& info) { return std::string(info.param.name); });

struct InchingCase {
    const char* name;
    double positionMm;
    int distance;  // 0.001 mm, signed
    int speed;     // mm/s
    std::int64_t travelMs;
};

constexpr InchingCase kInchings[] = {
    {"LimitedByTheStrokeEnd", 48.0, 5000, 10, 300},  // 2 mm: 200 ms, raised to 300
    {"LimitedByZero", 1.0, -3000, 20, 300},          // 1 mm: 50 ms, raised to 300
    {"Free", 10.0, 5000, 10, 500},
    {"SpeedZero", 10.0, 5000, 0, 300},
};

class InchingTest : public MotionTest, public ::testing::WithParamInterface<InchingCase> {};

TEST_P(InchingTest, WaitsForTheTravelTime) {
    sim.Controller().SetParameter(0, 0, 50.0F);
    Connect();
    ASSERT_EQ(ctx.status.stroke[0], 50);
    Home();
    sim.Controller().PlaceTable(GetParam().positionMm * 1000.0);
    loop.Advance(300);
    ASSERT_NEAR(ctx.status.currentPosition, GetParam().positionMm, 0.05);
    const std::size_t mark = Mark();
    const std::int64_t t0 = loop.NowMs();
    trx().Run(OP_INCHING, (19 << 24) | kSvonDrive | GetParam().speed, GetParam().distance);
    loop.Advance(2000);
    const std::string d = std::to_string(GetParam().distance) + ".00000";
    const std::string v = std::to_string(GetParam().speed) + ".00000";
    EXPECT_EQ(CommandsSince(mark),
              (Bodies{"OE 19 1 0", "EE 21 0 " + d, "EE 21 2 " + v, "OE 19 1 1"}));
    EXPECT_EQ(host.TimeOf("ShowOperationResult(1,1,0,0,0,0)"), t0 + GetParam().travelMs);
    EXPECT_EQ(ctx.status.linkState, kLinkOnline);
}

INSTANTIATE_TEST_SUITE_P(Motion, InchingTest, ::testing::ValuesIn(kInchings),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MotionTest, AlarmFromTheControllerIsReadOnce) {
    Connect();
    const std::size_t mark = Mark();
    sim.Controller().RaiseAlarm(3);
    loop.Advance(1000);
    EXPECT_EQ(CommandsSince(mark), (Bodies{"OE 0 0 0", "RE"}));
    ASSERT_FALSE(host.alarms.empty());
    EXPECT_EQ(host.alarms.back().front(), 3);
    EXPECT_TRUE(host.Has("SetAlarmResetEnable(0)"));
    // The reset clears it; the next poll unlocks the button.
    trx().Run(OP_ALARM, 1, 0);
    loop.Advance(500);
    EXPECT_FALSE(sim.Controller().AlarmActive());
    EXPECT_TRUE(host.Has("SetAlarmResetEnable(1)"));
}

TEST_F(MotionTest, MonitorModeAndBack) {
    Connect();
    const std::size_t mark = Mark();
    trx().Run(OP_SET_MODE, 0, 0);
    loop.Advance(100);
    EXPECT_EQ(CommandsSince(mark), (Bodies{"OE 0 0 0", "MD 0", "RE"}));
    EXPECT_EQ(ctx.status.linkState, kLinkMonitorMode);
    EXPECT_TRUE(host.Has("EnableTabStrip(0)"));
    EXPECT_FALSE(sim.Controller().TestMode());
    trx().Run(OP_SET_MODE, 1, 0);
    loop.Advance(100);
    EXPECT_EQ(ctx.status.linkState, kLinkOnline);
    EXPECT_TRUE(host.Has("EnableTabStrip(1)"));
    EXPECT_TRUE(sim.Controller().TestMode());
}

TEST_F(MotionTest, UnansweredModeChangeSwitchesBack) {
    Connect();
    sim::Fault f;
    f.kind = sim::FaultKind::kNoReply;
    f.code = "MD";
    f.count = sim::kUnlimited;
    bus.Faults().Add(f);
    trx().Run(OP_SET_MODE, 0, 0);
    loop.Advance(6000);
    EXPECT_EQ(ctx.status.testMode, 1);
    EXPECT_TRUE(host.Has("SetModeSwitch(1)"));
    EXPECT_EQ(host.MessageCount(ids::IDS_NO_RESPONSE), 1U);
    EXPECT_EQ(ctx.status.linkState, kLinkNoController);
}

TEST_F(MotionTest, ManualOutputRefreshesTheIoLampsOnly) {
    Connect();
    loop.Advance(300);
    host.Clear();
    trx().Run(OP_MANUAL_OUTPUT, (2 << 8) | 1, 0);
    loop.RunDue();
    ASSERT_EQ(bus.Requests("SW").size(), 1U);
    EXPECT_EQ(bus.Requests("SW").back().command, "SW 2 1");
    loop.Advance(150);
    ASSERT_FALSE(host.calls.empty());
    std::size_t lamps = 0;
    for (const auto& c : host.calls) {
        if (c.text.rfind("ShowStatusLamps(", 0) == 0) {
            ++lamps;
            EXPECT_NE(c.text.find(",io)"), std::string::npos) << c.text;
        }
    }
    EXPECT_EQ(lamps, 1U);
}

TEST_F(MotionTest, ExitSaysGoodbyeAndAsksToClose) {
    Connect();
    const std::size_t mark = Mark();
    trx().Run(OP_EXIT, 0, 0);
    loop.Advance(500);
    EXPECT_EQ(CommandsSince(mark), (Bodies{"OE 0 0 0", "SW 4 1", "MD 0"}));
    EXPECT_EQ(host.exitRequests, 1);
    EXPECT_EQ(PollsBetween(TimesOf("MD 0").back(), loop.NowMs() + 1), 0U);
}

TEST_F(MotionTest, ExitGivesUpQuietlyWhenTheControllerIsGone) {
    Connect();
    sim::Fault f;
    f.kind = sim::FaultKind::kNoReply;
    f.code = "SW";
    f.count = sim::kUnlimited;
    bus.Faults().Add(f);
    const std::size_t mark = Mark();
    trx().Run(OP_EXIT, 0, 0);
    loop.Advance(6000);
    EXPECT_EQ(CommandsSince(mark), (Bodies{"OE 0 0 0", "SW 4 1", "SW 4 1", "SW 4 1", "SW 4 1"}));
    EXPECT_EQ(host.exitRequests, 1);
    EXPECT_EQ(host.MessageCount(ids::IDS_NO_RESPONSE), 0U);
    EXPECT_FALSE(CTimer(ctx).IsRunning(CTimer::kReply));
}

}  // namespace
}  // namespace tavro::test
