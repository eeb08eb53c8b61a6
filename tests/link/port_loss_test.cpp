// The port that goes away in the middle of the link's work (adapter unplugged, terminal
// closed): the running operation ends at once, without resends, and the link goes offline
// with the disconnection message.

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "link/CRxdThread.h"
#include "link/CTimer.h"
#include "link/CTrxData.h"
#include "link/LinkEngine.h"
#include "link/StringIds.h"
#include "sim/InMemoryLine.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/SimHarness.h"

namespace tavro::test {
namespace {

// Keeps the arguments of formatted messages as well.
class Host : public RecordingHost {
  public:
    using RecordingHost::RecordingHost;
    void ShowFormattedMessage(int stringId, MessageIcon icon, bool topmost,
                              const std::vector<MessageArg>& args) override {
        RecordingHost::ShowFormattedMessage(stringId, icon, topmost, args);
        formatted.push_back(args);
    }
    void PortLost() override { ++lost; }
    std::vector<std::vector<MessageArg>> formatted;
    int lost = 0;
};

sim::ControllerOptions At(int baud) {
    sim::ControllerOptions o;
    o.baud = baud;
    return o;
}

// The engine on the in-memory line with byte timing; the test pulls the cable.
class LossLink {
  public:
    explicit LossLink(int baud) : sim(At(baud)) {
        ctx.host = &host;
        EXPECT_EQ(sim.OpenPort(baud), 0);
        sim.bus.SetByteTiming(true);
        ctx.status.controllerId = 1;
        ctx.status.frontPhase = kFrontMain;
        ctx.trx.lastRequest.controllerId = 1;
    }

    sim::InMemoryLine* Line() { return dynamic_cast<sim::InMemoryLine*>(ctx.port.transport.get()); }
    std::size_t Requests() const { return sim.bus.Requests().size(); }
    std::size_t Parameters() const { return sim.bus.Requests("EE").size(); }

    SimHarness sim;
    LinkContext& ctx = sim.ctx;
    VirtualLoop& loop = sim.loop;
    Host host{sim.ctx};
    LinkEngine engine{sim.ctx};
};

struct LossCase {
    const char* name;
    int baud;
    Op op;
    int param;
    int errorCode;        // what the line reports: 0 for a hang-up
    std::int64_t lateMs;  // every parameter reply this late; 0: on time
};

constexpr LossCase kLossCases[] = {
    {"DetailUploadAt9600HangUp", 9600, OP_DETAIL_UPLOAD, 1, 0, 0},
    {"DetailUploadAt57600Eio", 57600, OP_DETAIL_UPLOAD, 1, EIO, 0},
    {"StepUploadAt9600Enodev", 9600, OP_STEP_UPLOAD, 0, ENODEV, 0},
    {"UploadAllAt57600Enxio", 57600, OP_UPLOAD_ALL, 0, ENXIO, 0},
    {"DetailUploadAt9600RepliesLate", 9600, OP_DETAIL_UPLOAD, 1, EIO, 300},
    {"StepUploadAt57600RepliesLate", 57600, OP_STEP_UPLOAD, 0, 0, 300},
};

class PortLoss : public ::testing::TestWithParam<LossCase> {};

TEST_P(PortLoss, EndsTheOperationAtOnceWithoutResends) {
    const LossCase& c = GetParam();
    LossLink l(c.baud);
    l.ctx.port.opened.name = "ttyUSB0";
    if (c.lateMs > 0) {
        sim::Fault late(sim::FaultKind::kExtraDelay, sim::kUnlimited);
        late.code = "EE";
        late.delayMs = c.lateMs;
        l.sim.bus.Faults().Add(late);
    }
    CTrxData(l.ctx).Run(c.op, c.param, 0);
    // Half-way: some parameters have gone out and a reply is due.
    ASSERT_TRUE(l.loop.RunUntil([&] { return l.Parameters() >= 6; }, 60000));
    ASSERT_TRUE(l.ctx.trx.InFlight() || l.ctx.trx.Deferred());
    const std::size_t before = l.Requests();
    const std::int64_t lostAt = l.loop.NowMs();
    l.Line()->Unplug(c.errorCode);
    ASSERT_TRUE(
        l.loop.RunUntil([&] { return l.host.MessageCount(ids::IDS_PORT_DISCONNECTED) > 0; }, 100));
    EXPECT_EQ(l.loop.NowMs(), lostAt) << "ended as soon as the loss was told";
    EXPECT_EQ(l.ctx.trx.currentOp, OP_IDLE);
    EXPECT_EQ(l.ctx.status.linkState, kLinkNoPort);
    EXPECT_EQ(l.ctx.status.comPort, 0);
    EXPECT_EQ(l.ctx.port.transport, nullptr);
    EXPECT_EQ(l.ctx.port.lostError, c.errorCode);
    EXPECT_FALSE(l.host.progressVisible);
    EXPECT_EQ(l.host.lost, 1);
    ASSERT_EQ(l.host.formatted.size(), 1U);
    EXPECT_EQ(l.host.formatted[0], (std::vector<MessageArg>{std::string("ttyUSB0")}));
    EXPECT_EQ(l.ctx.status.portName, "");
    EXPECT_EQ(l.ctx.status.portPath, "");

    // Nothing else follows: no resend, no 306 after the resends, no poll.
    l.loop.Advance(10000);
    EXPECT_EQ(l.Requests(), before);
    EXPECT_EQ(l.host.MessageCount(ids::IDS_NO_RESPONSE), 0U);
    EXPECT_EQ(l.host.messages, (std::vector<int>{ids::IDS_PORT_DISCONNECTED}));
    EXPECT_EQ(l.ctx.status.linkState, kLinkNoPort);
}

INSTANTIATE_TEST_SUITE_P(Engine, PortLoss, ::testing::ValuesIn(kLossCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PortLossWhileIdle, AMonitorPollThatWillNeverBeAnsweredEndsAsWell) {
    LossLink l(19200);
    CTimer(l.ctx).StartPoll();
    ASSERT_TRUE(l.loop.RunUntil([&] { return l.ctx.trx.PollInFlight(); }, 1000));
    // The user gives a command while the poll's reply is still due; it waits behind it.
    CTrxData(l.ctx).Run(OP_DRIVE, 0x10000, 0);
    ASSERT_TRUE(l.ctx.trx.Deferred());
    l.Line()->Unplug(EIO);
    l.loop.Advance(1);
    EXPECT_EQ(l.host.messages, (std::vector<int>{ids::IDS_PORT_DISCONNECTED}));
    EXPECT_FALSE(l.ctx.trx.Deferred());
    EXPECT_FALSE(l.ctx.trx.PollInFlight());
    l.loop.Advance(6000);
    EXPECT_EQ(l.sim.bus.Requests("OE").size(), 0U) << "the waiting command never goes out";
    EXPECT_EQ(l.host.messages.size(), 1U);
}

TEST(PortLossWhileClosing, TheGoodbyeEndsAndTheToolCloses) {
    LossLink l(19200);
    CTrxData(l.ctx).Run(OP_EXIT, 0, 0);
    ASSERT_TRUE(l.ctx.trx.InFlight());
    l.Line()->Unplug(0);
    l.loop.Advance(1);
    EXPECT_EQ(l.host.exitRequests, 1);
    EXPECT_TRUE(l.host.messages.empty()) << "the tool closes anyway; nobody is told";
    EXPECT_EQ(l.ctx.trx.currentOp, OP_IDLE);
    l.loop.Advance(5000);
    EXPECT_EQ(l.host.exitRequests, 1);
}

TEST(PortLossAfterClosing, ALineTheToolClosedItselfReachesNothing) {
    LossLink l(19200);
    CTrxData(l.ctx).Run(OP_DETAIL_UPLOAD, 1, 0);
    l.loop.Advance(20);
    // The loss is told from the loop; the port is closed before that.
    l.Line()->Unplug(EIO);
    CRxdThread(l.ctx).StopReceiver();
    l.loop.Advance(1);
    EXPECT_EQ(l.host.MessageCount(ids::IDS_PORT_DISCONNECTED), 0U);
    EXPECT_EQ(l.host.lost, 0);
}

}  // namespace
}  // namespace tavro::test
