// The engine against the simulated controller with the byte timing of a real line: what is
// credited to which command while replies are still due, refusals of polls and of the
// goodbye, spoilt frames and the late-reply hold, and the DRIVE release of short steps.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/CTimer.h"
#include "link/CTrxData.h"
#include "link/LinkEngine.h"
#include "link/StringIds.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/SimHarness.h"

namespace tavro::test {
namespace {

using Commands = std::vector<std::string>;
using sim::Fault;
using sim::FaultKind;

struct LineSpeed {
    const char* name;
    int baud;
};
constexpr LineSpeed kSpeeds[] = {{"Bps9600", 9600}, {"Bps57600", 57600}};
constexpr LineSpeed kSlowSpeeds[] = {{"Bps2400", 2400}, {"Bps9600", 9600}, {"Bps19200", 19200}};

sim::ControllerOptions At(int baud) {
    sim::ControllerOptions o;
    o.baud = baud;
    return o;
}

// The engine on a port to one simulated controller at a line speed, with byte timing on.
class TimedLink {
  public:
    explicit TimedLink(int baud) : sim(At(baud)) {
        ctx.host = &host;
        EXPECT_EQ(sim.OpenPort(baud), 0);
        sim.bus.SetByteTiming(true);
        ctx.status.controllerId = 1;
        ctx.status.frontPhase = kFrontMain;
        ctx.trx.lastRequest.controllerId = 1;  // where a poll goes before any command
    }

    CTrxData trx() { return CTrxData(ctx); }

    void Add(FaultKind kind, const char* code, int count, std::int64_t delayMs = 50) {
        Fault f(kind, count);
        f.code = code;
        f.delayMs = delayMs;
        sim.bus.Faults().Add(f);
    }

    // Commands that reached the controller, polls left out.
    Commands CommandsSent() const {
        Commands out;
        for (const sim::LineRecord& r : sim.bus.Log()) {
            if (r.direction == sim::Direction::kRequest && r.code != "MO") {
                out.push_back(r.command);
            }
        }
        return out;
    }
    // Arrival times of a request and of its replies at the host.
    std::vector<std::int64_t> RequestTimes(const std::string& command) const {
        std::vector<std::int64_t> out;
        for (const sim::LineRecord& r : sim.bus.Log()) {
            if (r.direction == sim::Direction::kRequest && r.command == command) {
                out.push_back(r.timeMs);
            }
        }
        return out;
    }
    std::size_t PollsAfter(std::int64_t ms) const {
        std::size_t n = 0;
        for (const sim::LineRecord& r : sim.bus.Log()) {
            if (r.direction == sim::Direction::kRequest && r.code == "MO" && r.timeMs > ms) {
                ++n;
            }
        }
        return n;
    }

    SimHarness sim;
    LinkContext& ctx = sim.ctx;
    VirtualLoop& loop = sim.loop;
    RecordingHost host{sim.ctx};
    LinkEngine engine{sim.ctx};
};

class TimedEngineTest : public ::testing::TestWithParam<LineSpeed> {
  protected:
    TimedLink l{GetParam().baud};
};

// Servo off given while the reply to servo on is 300 ms late: the late reply is the servo on's,
// the servo off goes out after it and its own reply ends the operation.
TEST_P(TimedEngineTest, LateReplyIsNotCreditedToTheCommandWaitingBehindIt) {
    l.Add(FaultKind::kExtraDelay, "OE", sim::kUnlimited, 300);
    l.trx().Run(OP_DRIVE, 0x10000, 0);
    l.loop.Advance(80);
    ASSERT_TRUE(l.ctx.trx.InFlight());
    l.trx().Run(OP_DRIVE, 0, 0);
    EXPECT_TRUE(l.ctx.trx.Deferred());
    ASSERT_TRUE(l.loop.RunUntil([&] { return l.ctx.trx.currentOp == OP_IDLE; }, 5000));
    l.loop.Advance(1000);

    EXPECT_EQ(l.CommandsSent(), (Commands{"OE 0 1 0", "OE 0 0 0"}));
    const auto onReplies = l.sim.bus.Replies("OE");
    ASSERT_EQ(onReplies.size(), 2U);
    // Written only once the servo on's reply had come in, and only then answered.
    EXPECT_GE(l.RequestTimes("OE 0 0 0").at(0), onReplies[0].timeMs);
    EXPECT_EQ(l.host.Count("ShowOperationResult(1,0,0,0,0,0)"), 1U);
    EXPECT_EQ(l.host.Count("ShowOperationResult(1,1,0,1,0,0)"), 0U);
    EXPECT_GE(l.host.TimeOf("ShowOperationResult(1,0,0,0,0,0)"), onReplies[1].timeMs);
    EXPECT_FALSE(l.sim.Controller().ServoOn());
    EXPECT_EQ(l.ctx.trx.counters.supersededReplies, 1);
    // The poll goes on.
    EXPECT_GE(l.PollsAfter(onReplies[1].timeMs), 5U);
    EXPECT_EQ(l.ctx.status.linkState, kLinkOnline);
}

// A command given while a poll is out goes out with the poll's reply, not after a second.
TEST_P(TimedEngineTest, CommandGivenDuringAPollGoesOutWithItsReply) {
    CTimer(l.ctx).StartPoll();
    ASSERT_TRUE(l.loop.RunUntil([&] { return l.ctx.trx.PollInFlight(); }, 1000));
    l.trx().Run(OP_DRIVE, 0x10000, 0);
    ASSERT_TRUE(l.loop.RunUntil([&] { return l.ctx.trx.currentOp == OP_IDLE; }, 2000));
    const auto polls = l.sim.bus.Replies("MO");
    ASSERT_FALSE(polls.empty());
    const std::int64_t sent = l.RequestTimes("OE 0 1 0").at(0);
    EXPECT_GE(sent, polls[0].timeMs);
    EXPECT_LE(sent, polls[0].timeMs + 40);
}

// A poll refused with "NG" is a refusal like any other: the alarm read follows about a second
// later, and the tool stays online and polling.
TEST_P(TimedEngineTest, RefusedPollStartsTheAlarmReadAndPollingGoesOn) {
    l.Add(FaultKind::kNg, "MO", 1);
    CTimer(l.ctx).StartPoll();
    l.loop.Advance(5000);
    const auto refused = l.RequestTimes("MO").at(0);
    EXPECT_EQ(l.CommandsSent(), (Commands{"OE 0 0 0", "RE"}));
    const std::int64_t stop = l.RequestTimes("OE 0 0 0").at(0);
    EXPECT_GE(stop, refused + 950);
    EXPECT_LE(stop, refused + 1100);
    EXPECT_EQ(l.host.MessageCount(ids::IDS_NO_RESPONSE), 0U);
    EXPECT_EQ(l.ctx.status.linkState, kLinkOnline);
    EXPECT_GE(l.PollsAfter(l.RequestTimes("RE").at(0)), 10U);
}

// A refusal during the goodbye does not stop it: the controller is still put back into monitor
// mode and the tool still closes.
TEST_P(TimedEngineTest, RefusalDuringTheGoodbyeStillSendsMonitorMode) {
    for (const char* code : {"OE", "SW"}) {
        TimedLink link(GetParam().baud);
        link.Add(FaultKind::kNg, code, 1);
        link.trx().Run(OP_EXIT, 0, 0);
        link.loop.Advance(5000);
        EXPECT_EQ(link.CommandsSent(), (Commands{"OE 0 0 0", "SW 4 1", "MD 0"})) << code;
        EXPECT_EQ(link.host.exitRequests, 1) << code;
        EXPECT_FALSE(link.sim.Controller().TestMode()) << code;
    }
}

// Nothing replaces the goodbye, and a stop already under way is not started again.
TEST_P(TimedEngineTest, GoodbyeAndStopAreNotRestarted) {
    l.trx().Run(OP_EXIT, 0, 0);
    l.trx().Run(OP_STOP, 0, 0);
    l.trx().Run(OP_ALARM, 0, 0);
    l.loop.Advance(3000);
    EXPECT_EQ(l.CommandsSent(), (Commands{"OE 0 0 0", "SW 4 1", "MD 0"}));

    TimedLink stop(GetParam().baud);
    stop.trx().Run(OP_STOP, 0, 0);
    stop.loop.Advance(300);
    stop.trx().Run(OP_STOP, 0, 0);
    stop.loop.Advance(3000);
    EXPECT_EQ(stop.CommandsSent(), (Commands{"OE 0 0 0"}));
    // Sent once the first request's wait had passed, not the second's.
    EXPECT_LT(stop.RequestTimes("OE 0 0 0").at(0), 600);
}

// A spoilt reply is the answer to one transmission: after its resend is answered the next
// command goes out at once, with no second-long hold for a reply that will never come.
TEST_P(TimedEngineTest, SpoiltRepliesCostOneResendEachAndNoHold) {
    TimedLink clean(GetParam().baud);
    clean.trx().Run(OP_DETAIL_UPLOAD, 0, 0);
    ASSERT_TRUE(clean.loop.RunUntil([&] { return clean.ctx.trx.currentOp == OP_IDLE; }, 60000));
    const std::int64_t cleanMs = clean.loop.NowMs();
    const std::size_t cleanRequests = clean.CommandsSent().size();

    for (const FaultKind kind :
         {FaultKind::kWrongCode, FaultKind::kWrongId, FaultKind::kCorruptChecksum}) {
        TimedLink spoilt(GetParam().baud);
        Fault f(kind, sim::kUnlimited);
        f.code = "EE";
        f.every = 11;
        spoilt.sim.bus.Faults().Add(f);
        spoilt.trx().Run(OP_DETAIL_UPLOAD, 0, 0);
        ASSERT_TRUE(
            spoilt.loop.RunUntil([&] { return spoilt.ctx.trx.currentOp == OP_IDLE; }, 120000));
        const int injected = spoilt.sim.bus.Faults().TotalInjected(kind);
        ASSERT_GT(injected, 20);
        EXPECT_EQ(spoilt.CommandsSent().size(), cleanRequests + static_cast<std::size_t>(injected));
        // Each spoilt frame costs one more exchange, well under a tenth of a second.
        EXPECT_LT(spoilt.loop.NowMs(), cleanMs + injected * 100);
        EXPECT_EQ(spoilt.ctx.status.linkState, kLinkOnline);
        EXPECT_EQ(spoilt.host.MessageCount(ids::IDS_NO_RESPONSE), 0U);
    }
}

INSTANTIATE_TEST_SUITE_P(Engine, TimedEngineTest, ::testing::ValuesIn(kSpeeds),
                         [](const auto& info) { return std::string(info.param.name); });

class ShortStepTest : public ::testing::TestWithParam<LineSpeed> {
  protected:
    TimedLink l{GetParam().baud};
};

// At slow speeds the reply to DRIVE on comes after the early-release time of a 50 ms step:
// the release still goes out before the next step is asked for.
TEST_P(ShortStepTest, ShortOperatingTimeKeepsTheDriveRelease) {
    constexpr int kStep1 = (1 << 24) | 0x10100;
    l.trx().Run(OP_STEP_RUN, kStep1, 50);
    ASSERT_TRUE(l.loop.RunUntil([&] { return l.host.nextSteps == 1; }, 3000));
    EXPECT_EQ(l.CommandsSent(), (Commands{"OE 1 1 1", "OE 1 1 0"}));
    const auto replies = l.sim.bus.Replies("OE");
    ASSERT_EQ(replies.size(), 2U);
    EXPECT_GE(l.host.TimeOf("NextContinuousStep"), replies[1].timeMs);
    // The next step's start follows the release on the wire.
    l.trx().Run(OP_STEP_RUN, (2 << 24) | 0x10100, 50);
    ASSERT_TRUE(l.loop.RunUntil([&] { return l.host.nextSteps == 2; }, 3000));
    EXPECT_EQ(l.CommandsSent(), (Commands{"OE 1 1 1", "OE 1 1 0", "OE 2 1 1", "OE 2 1 0"}));
}

INSTANTIATE_TEST_SUITE_P(Engine, ShortStepTest, ::testing::ValuesIn(kSlowSpeeds),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavro::test
