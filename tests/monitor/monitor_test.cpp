// Decoding of the monitor and alarm replies, the edge actions and the five value texts.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>

#include "link/CRxdThread.h"
#include "link/CStatusFlg.h"
#include "link/LinkEngine.h"
#include "link/Numbers.h"
#include "link/VirtualLoop.h"
#include "monitor/CMonData.h"
#include "monitor/MonitorHook.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/ScriptedLine.h"

namespace tavro::test {
namespace {

using Texts = std::vector<std::string>;

constexpr std::uint16_t kIdle = 0x0080;        // no alarm
constexpr std::uint16_t kOrigin = 0x0880;      // no alarm, origin done
constexpr std::uint16_t kOriginBusy = 0x08C0;  // and BUSY
constexpr std::uint32_t kZero = 1000000;       // position count at 0 mm

// The 28 characters of a monitor reply.
std::string Mo(std::uint16_t word, std::uint32_t position = kZero, unsigned speed = 0,
               unsigned force = 0, std::uint32_t target = kZero, unsigned step = 0) {
    return Format("%04X%08X%04X%02X%08X%02X", static_cast<unsigned>(word),
                  static_cast<unsigned>(position), speed, force, static_cast<unsigned>(target),
                  step);
}

class MonitorTest : public ::testing::Test {
  protected:
    MonitorTest() {
        auto l = std::make_unique<ScriptedLine>(loop);
        line = l.get();
        ctx.port.transport = std::move(l);
        CRxdThread(ctx).StartReceiver();
        ctx.host = &host;
        ctx.status.controllerId = 1;
        ctx.status.frontPhase = kFrontMain;
        CStatusFlg(ctx).SetSeries(0, 2);  // standard series, 30 µm per count
        // The alarm read that an alarm starts is answered; polls are not.
        line->SetResponder([](const std::string& body) -> std::optional<std::string> {
            const std::string code = body.substr(3, 2);
            if (code == "MO") {
                return std::nullopt;
            }
            return "01" + code + "OK" + (body == "01 RE" ? std::string(40, '0') : "");
        });
    }

    // The value texts shown by the last formatting, in the order of the fields.
    Texts Values() const {
        Texts out;
        for (const auto& c : host.calls) {
            if (c.text.rfind("Value(", 0) == 0) {
                out.push_back(c.text);
            }
        }
        const std::size_t n = std::min<std::size_t>(5, out.size());
        return Texts(out.end() - static_cast<std::ptrdiff_t>(n), out.end());
    }
    std::string PositionText() const {
        const Texts v = Values();
        return v.empty() ? "" : v.front().substr(11, v.front().size() - 12);
    }
    std::size_t AlarmReads() const {
        std::size_t n = 0;
        for (const auto& b : line->Commands()) {
            n += b == "01 OE 0 0 0" ? 1 : 0;
        }
        return n;
    }

    VirtualLoop loop;
    LinkContext ctx{loop, "/nonexistent"};
    RecordingHost host{ctx};
    LinkEngine engine{ctx};
    MonitorHook hook{ctx};
    ScriptedLine* line = nullptr;
    CMonData mon{ctx};
};

struct LengthCase {
    const char* name;
    int delta;
};

constexpr LengthCase kLengths[] = {{"Short", -1}, {"Long", 1}, {"Empty", -28}};

class WrongLengthTest : public MonitorTest, public ::testing::WithParamInterface<LengthCase> {};

TEST_P(WrongLengthTest, ChangesNothing) {
    std::string reply = Mo(kOrigin);
    const int n = static_cast<int>(reply.size()) + GetParam().delta;
    reply = n < 28 ? reply.substr(0, static_cast<std::size_t>(n)) : reply + "0";
    mon.Parse(reply);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(mon.StatusWord(), 0);
    EXPECT_FALSE(CStatusFlg(ctx).IsOriginDone());
    EXPECT_TRUE(ctx.monitor.forceRefresh);
}

INSTANTIATE_TEST_SUITE_P(Monitor, WrongLengthTest, ::testing::ValuesIn(kLengths),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MonitorTest, RepeatedReplyRedrawsNothing) {
    mon.Parse(Mo(kOrigin, kZero - 100));
    ASSERT_TRUE(host.Has("ShowStatusLamps(0x0880,both)"));
    const std::size_t calls = host.calls.size();
    mon.Parse(Mo(kOrigin, kZero - 100));
    EXPECT_EQ(host.calls.size(), calls);
}

TEST_F(MonitorTest, NewValuesRedrawTheValuesButNotTheLamps) {
    mon.Parse(Mo(kOrigin, kZero - 100));
    host.Clear();
    mon.Parse(Mo(kOrigin, kZero - 200));
    EXPECT_FALSE(host.Has("ShowStatusLamps(0x0880,both)"));
    EXPECT_EQ(PositionText(), "6.000");
}

TEST_F(MonitorTest, BeforeTheFirstReturnToOriginEveryValueIsADash) {
    mon.Parse(Mo(kIdle | 0x0040, kZero - 500, 12, 30, kZero - 900, 3));
    EXPECT_EQ(Values(), (Texts{"Value(1731,-)", "Value(1732,-)", "Value(1733,-)", "Value(1734,-)",
                               "Value(1730,-)"}));
    EXPECT_FLOAT_EQ(ctx.status.currentPosition, 0.0F);
}

class OfflineTest : public MonitorTest, public ::testing::WithParamInterface<LinkState> {};

TEST_P(OfflineTest, ShowsDashesAndNoPosition) {
    mon.Parse(Mo(kOriginBusy, kZero - 500));
    ASSERT_FLOAT_EQ(ctx.status.currentPosition, 15.0F);
    ctx.status.linkState = GetParam();
    mon.FormatValues();
    EXPECT_EQ(Values(), (Texts{"Value(1731,-)", "Value(1732,-)", "Value(1733,-)", "Value(1734,-)",
                               "Value(1730,-)"}));
    EXPECT_FLOAT_EQ(ctx.status.currentPosition, 0.0F);
}

INSTANTIATE_TEST_SUITE_P(Monitor, OfflineTest, ::testing::Values(kLinkNoController, kLinkNoPort));

struct PositionCase {
    const char* name;
    int series;
    std::uint32_t raw;
    const char* shown;
};

constexpr PositionCase kPositions[] = {
    {"FAtZero", 1, 1000000, "0.000"},
    {"FSevenCounts", 1, 999993, "0.008"},  // 8.75 µm, truncated
    {"StandardSevenCounts", 2, 999993, "0.210"},
    {"MThousandCounts", 3, 999000, "5.000"},
    {"NoPositionCount", 2, 0xFFFF, "65.535"},
    {"BehindZero", 1, 1000007, "-0.008"},
};

class PositionTest : public MonitorTest, public ::testing::WithParamInterface<PositionCase> {};

TEST_P(PositionTest, ConvertsCountsWithTheSeries) {
    CStatusFlg(ctx).SetSeries(0, GetParam().series);
    mon.Parse(Mo(kOrigin, GetParam().raw));
    EXPECT_EQ(PositionText(), GetParam().shown);
    EXPECT_FLOAT_EQ(ctx.status.currentPosition, static_cast<float>(Atof(GetParam().shown)));
}

INSTANTIATE_TEST_SUITE_P(Monitor, PositionTest, ::testing::ValuesIn(kPositions),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MonitorTest, SpeedForceAndStepAreShownWithTheirDecimals) {
    mon.Parse(Mo(kOriginBusy, kZero, 0x2A, 0x1E, kZero, 7));
    EXPECT_EQ(Values(), (Texts{"Value(1731,0.000)", "Value(1732,42)", "Value(1733,3.0)",
                               "Value(1734,-)", "Value(1730,7)"}));
}

struct TargetCase {
    const char* name;
    int controlType;
    LinkState linkState;
    std::uint16_t word;
    const char* target;
    const char* step;
};

constexpr TargetCase kTargets[] = {
    {"StepTypeNeverShowsTheTarget", kControlTypeStep, kLinkMonitorMode, kOriginBusy, "-", "2"},
    {"PulseTestModeHidesIt", kControlTypePulse, kLinkOnline, kOriginBusy, "-", "2"},
    {"PulseMonitorModeShowsIt", kControlTypePulse, kLinkMonitorMode, kOriginBusy, "3.000", "2"},
    {"NotBusyHidesTargetAndStep", kControlTypePulse, kLinkMonitorMode, kOrigin, "-", "-"},
};

class TargetTest : public MonitorTest, public ::testing::WithParamInterface<TargetCase> {};

TEST_P(TargetTest, DependsOnTypeModeAndBusy) {
    ctx.status.controlType = GetParam().controlType;
    ctx.status.linkState = GetParam().linkState;
    mon.Parse(Mo(GetParam().word, kZero, 0, 0, kZero - 100, 2));
    const Texts v = Values();
    ASSERT_EQ(v.size(), 5U);
    EXPECT_EQ(v[3], std::string("Value(1734,") + GetParam().target + ")");
    EXPECT_EQ(v[4], std::string("Value(1730,") + GetParam().step + ")");
}

INSTANTIATE_TEST_SUITE_P(Monitor, TargetTest, ::testing::ValuesIn(kTargets),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MonitorTest, OriginBitIsCopiedAndRedisplaysTheValues) {
    mon.Parse(Mo(kIdle, kZero - 10));
    ASSERT_EQ(PositionText(), "-");
    host.Clear();
    mon.Parse(Mo(kOrigin, kZero - 10));  // same values, new origin bit
    EXPECT_TRUE(CStatusFlg(ctx).IsOriginDone());
    EXPECT_EQ(PositionText(), "0.300");
    mon.Parse(Mo(kIdle, kZero - 10));
    EXPECT_FALSE(CStatusFlg(ctx).IsOriginDone());
    EXPECT_EQ(PositionText(), "-");
}

TEST_F(MonitorTest, FallingAlarmBitReadsTheRecordOnce) {
    mon.Parse(Mo(kIdle));
    EXPECT_EQ(AlarmReads(), 0U);
    mon.Parse(Mo(0x0000));
    EXPECT_EQ(AlarmReads(), 1U);
    EXPECT_EQ(ctx.trx.currentOp, OP_ALARM);
    EXPECT_TRUE(host.Has("SetAlarmResetEnable(0)"));
    loop.Advance(100);  // the alarm read completes
    mon.Parse(Mo(0x0000));
    mon.Parse(Mo(0x0000));
    EXPECT_EQ(AlarmReads(), 1U);
    mon.Parse(Mo(kIdle));
    EXPECT_TRUE(host.Has("SetAlarmResetEnable(1)"));
    EXPECT_EQ(AlarmReads(), 1U);
}

TEST_F(MonitorTest, AlarmAtTheFirstReplyIsReadToo) {
    mon.Parse(Mo(0x0000));
    EXPECT_EQ(AlarmReads(), 1U);
}

TEST_F(MonitorTest, NothingIsTakenOverWhileAnotherWindowIsInFront) {
    ctx.status.frontPhase = kFrontProgress;
    ctx.trx.originWait = true;
    ctx.trx.waitingOp = OP_RETURN_ORIGIN;
    mon.Parse(Mo(0x0000 | 0x0800));
    EXPECT_FALSE(host.Has("ShowStatusLamps(0x0800,both)"));
    EXPECT_EQ(AlarmReads(), 0U);
    EXPECT_TRUE(ctx.trx.originWait);  // the wait looks at the word taken over
}

TEST_F(MonitorTest, ManualOutputRefreshUpdatesOnlyTheIoLamps) {
    mon.Parse(Mo(kOrigin));
    host.Clear();
    ctx.monitor.forceRefresh = true;
    ctx.monitor.suppressPageLamps = true;
    mon.Parse(Mo(kOrigin));
    EXPECT_EQ(host.Texts(), (Texts{"ShowStatusLamps(0x0880,io)"}));
    mon.Parse(Mo(kOrigin | 0x0100));
    EXPECT_TRUE(host.Has("ShowStatusLamps(0x0980,both)"));
}

struct AlarmCase {
    const char* name;
    int historyCount;
    std::size_t length;
    bool decoded;
};

constexpr AlarmCase kAlarmReplies[] = {
    {"TwentyCodes", 20, 40, true}, {"FourCodes", 4, 8, true}, {"FortyWithFour", 4, 40, false},
    {"ShortByOne", 20, 39, false}, {"Empty", 20, 0, false},
};

class AlarmReplyTest : public MonitorTest, public ::testing::WithParamInterface<AlarmCase> {};

TEST_P(AlarmReplyTest, NeedsExactlyTwoCharactersPerCode) {
    ctx.status.alarmHistoryCount = static_cast<std::int8_t>(GetParam().historyCount);
    std::string data = "0C03";
    data.resize(GetParam().length, '0');
    mon.ParseAlarm(data.substr(0, GetParam().length));
    ASSERT_EQ(host.alarms.size(), GetParam().decoded ? 1U : 0U);
    if (GetParam().decoded) {
        std::vector<int> expected(static_cast<std::size_t>(GetParam().historyCount), 0);
        expected[0] = 12;
        expected[1] = 3;
        EXPECT_EQ(host.alarms[0], expected);
        EXPECT_EQ(mon.AlarmCodes(), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Monitor, AlarmReplyTest, ::testing::ValuesIn(kAlarmReplies),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MonitorTest, GarbageInTheValuesEndsTheNumber) {
    std::string reply = Mo(kOriginBusy, kZero, 0x2A, 0x1E, kZero, 7);
    reply.replace(12, 4, "2Z$\xFF");  // the speed field
    mon.Parse(reply);
    EXPECT_EQ(Values()[1], "Value(1732,2)");
    mon.Parse(std::string(28, '\xFF'));
    EXPECT_EQ(mon.StatusWord(), 0);
    mon.Parse(std::string(28, ' '));
    EXPECT_EQ(mon.StatusWord(), 0);
}

}  // namespace
}  // namespace tavro::test
