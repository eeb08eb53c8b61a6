// Recording and the alarm black box fed by the monitor poll against the simulated controller,
// in virtual time, with the line's byte timing at the slow and the fast line speed.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "link/CStatusFlg.h"
#include "link/CTrxData.h"
#include "link/LinkEngine.h"
#include "monitor/AlarmBlackBox.h"
#include "monitor/MonitorHook.h"
#include "monitor/MonitorLog.h"
#include "monitor/SampleCsv.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TempDir.h"

namespace tavro::test {
namespace {

constexpr int kStep = 1 << 24;
constexpr int kSvonDrive = 0x10100;
constexpr std::int64_t kEpochMs = 1796900000000;

struct Speed {
    const char* name;
    int baud;
    std::int64_t replyDelayMs;
};

constexpr Speed kSpeeds[] = {
    {"Bps9600", 9600, 0},
    {"Bps57600", 57600, 0},
    {"Bps9600DelayedReplies", 9600, 40},
};

sim::ControllerOptions At(int baud) {
    sim::ControllerOptions o;
    o.baud = baud;
    return o;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ChartSim : public ::testing::TestWithParam<Speed> {
  protected:
    ChartSim() : sim(At(GetParam().baud)) {
        const char* old = std::getenv("XDG_STATE_HOME");
        if (old != nullptr) {
            savedState_ = old;
        }
        ::setenv("XDG_STATE_HOME", state.Path().c_str(), 1);
        log = std::make_unique<MonitorLog>(
            sim.loop, [this] { return kEpochMs + sim.loop.NowMs(); },
            AlarmBlackBox::DefaultFolder());
        hook.SetSampleSink(log.get());
        ctx.host = &host;
        EXPECT_EQ(sim.OpenPort(GetParam().baud), 0);
        sim.bus.SetByteTiming(true);
        if (GetParam().replyDelayMs > 0) {
            sim::Fault late(sim::FaultKind::kExtraDelay, sim::kUnlimited);
            late.delayMs = GetParam().replyDelayMs;
            sim.bus.Faults().Add(late);
        }
        ctx.status.controllerId = 1;
        ctx.status.frontPhase = kFrontMain;
    }
    ~ChartSim() override {
        hook.SetSampleSink(nullptr);
        if (savedState_) {
            ::setenv("XDG_STATE_HOME", savedState_->c_str(), 1);
        } else {
            ::unsetenv("XDG_STATE_HOME");
        }
    }

    CTrxData trx() { return CTrxData(ctx); }
    bool Idle(std::int64_t ms) {
        return sim.loop.RunUntil([this] { return ctx.trx.currentOp == OP_IDLE; }, ms);
    }
    void Connect() {
        trx().Run(OP_CONNECT, 0, 0);
        ASSERT_TRUE(Idle(2000));
        ASSERT_EQ(ctx.status.linkState, kLinkOnline);
    }
    std::string AlarmFolder() const { return state.Path() + "/Zelm/alarms"; }

    TempDir state;
    std::optional<std::string> savedState_;
    SimHarness sim;
    LinkContext& ctx = sim.ctx;
    RecordingHost host{sim.ctx};
    LinkEngine engine{sim.ctx};
    MonitorHook hook{sim.ctx};
    std::unique_ptr<MonitorLog> log;
};

TEST_P(ChartSim, RecordedMoveHasTheColumnsMonotonicTimesAndTheMotion) {
    TempDir dir;
    const std::string path = dir.File("move.csv");
    Connect();
    ASSERT_TRUE(log->Recorder().Start(path));
    // Servo on and return to origin, then step 1: 5 mm in 0.5 s.
    trx().Run(OP_RETURN_ORIGIN, 0, 0);
    ASSERT_TRUE(Idle(5000));
    sim.loop.Advance(300);
    sim.Controller().SetParameter(3, 0, 5000.0F);
    sim.Controller().SetParameter(3, 1, 0.5F);
    trx().Run(OP_STEP_RUN, kStep | kSvonDrive, 0);
    ASSERT_TRUE(Idle(5000));
    sim.loop.Advance(1000);
    ASSERT_TRUE(log->Recorder().Stop());

    const std::string text = ReadFile(path);
    ASSERT_TRUE(text.starts_with(SampleCsv::Header()));
    const auto record = SampleCsv::Parse(text);
    ASSERT_TRUE(record.has_value());
    ASSERT_GT(record->samples.size(), 20U);
    std::int64_t last = -1;
    std::int64_t maxPos = 0;
    int starts = 0;
    int ends = 0;
    for (const MonitorSample& s : record->samples) {
        EXPECT_GT(s.timeMs, last);
        last = s.timeMs;
        EXPECT_EQ(s.controllerId, 1);
        // Within the 20 mm stroke and the simulator's speeds.
        EXPECT_GE(s.values[0], 0);
        EXPECT_LE(s.values[0], 20'000);
        EXPECT_LE(s.values[1], 200);
        maxPos = std::max(maxPos, s.values[0]);
        starts += Has(s.marks, SampleMark::kStepStart) ? 1 : 0;
        ends += Has(s.marks, SampleMark::kStepEnd) ? 1 : 0;
        if (Has(s.marks, SampleMark::kStepStart)) {
            EXPECT_EQ(s.step, 1);
        }
    }
    // The return to origin is no step; the step starts once and ends once.
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(ends, 1);
    EXPECT_NEAR(static_cast<double>(record->samples.back().values[0]), 5000.0, 50.0);
    EXPECT_GE(maxPos, 4950);
    EXPECT_NE(text.find(",step start 1\n"), std::string::npos);
    EXPECT_NE(text.find(",step end 1\n"), std::string::npos);
}

TEST_P(ChartSim, InjectedAlarmLeavesExactlyOneBlackBoxWithTheMinuteBeforeAndTheRecord) {
    Connect();
    sim.loop.Advance(75'000);
    sim.Controller().RaiseAlarm(9);
    sim.loop.Advance(10'000);
    const auto names = AlarmBlackBox::List(AlarmFolder());
    ASSERT_EQ(names.size(), 1U);
    EXPECT_TRUE(names[0].ends_with("-ID1-9.csv")) << names[0];
    const auto record = SampleCsv::Parse(ReadFile(AlarmFolder() + "/" + names[0]));
    ASSERT_TRUE(record.has_value());
    ASSERT_TRUE(record->alarmCodes.has_value());
    ASSERT_FALSE(record->alarmCodes->empty());
    EXPECT_EQ(record->alarmCodes->front(), 9);
    ASSERT_TRUE(record->alarmMs.has_value());
    // The poll saw it within one period; the minute before it is there, polled every 100 ms
    // (the slow line stretches the period a little).
    EXPECT_GE(*record->alarmMs, 59'800);
    EXPECT_LE(*record->alarmMs, 60'000);
    EXPECT_GE(record->samples.size(), 500U);
    EXPECT_LE(record->samples.size(), 601U);
    const MonitorSample& alarm = record->samples.back();
    EXPECT_TRUE(Has(alarm.marks, SampleMark::kAlarm));
    EXPECT_EQ(alarm.status & kStatusAlarmClearBit, 0);
    EXPECT_EQ(record->samples.front().status & kStatusAlarmClearBit, kStatusAlarmClearBit);
}

INSTANTIATE_TEST_SUITE_P(Speeds, ChartSim, ::testing::ValuesIn(kSpeeds),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavro::test
