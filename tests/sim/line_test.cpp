#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/CComPort.h"
#include "link/CRxdThread.h"
#include "link/Frame.h"
#include "sim/InMemoryLine.h"
#include "tests/support/SimHarness.h"

namespace tavro::sim::test {
namespace {

// The harness with the engine's frame handler replaced by a recorder.
class Line : public ::testing::Test {
  protected:
    Line() {
        h.ctx.port.onFrame = [this](std::string_view f) { frames.emplace_back(f); };
    }

    void Send(int id, const std::string& command) {
        ASSERT_TRUE(h.ctx.port.transport->Write(BuildRequest(id, command, last)));
    }

    tavro::test::SimHarness h;
    RequestRecord last;
    std::vector<std::string> frames;
};

TEST_F(Line, PortOpensAndRepliesReachTheEnginesFrameHandler) {
    ASSERT_EQ(h.OpenPort(19200), 0);
    EXPECT_EQ(h.ctx.status.portName, "tavro-sim");
    EXPECT_EQ(h.ctx.status.portPath, tavro::test::SimHarness::kPortPath);
    Send(1, "VE");
    EXPECT_TRUE(frames.empty()) << "replies arrive through the loop, not inside Write";
    h.loop.RunDue();
    ASSERT_EQ(frames.size(), 1U);
    const auto reply = ParseReply(frames[0]);
    ASSERT_TRUE(reply.has_value());
    EXPECT_TRUE(CheckReply(*reply, last));
    EXPECT_EQ(reply->data, "2.60");
}

TEST_F(Line, ClosingThePortFreesTheLineForTheNextOpen) {
    ASSERT_EQ(h.OpenPort(), 0);
    EXPECT_TRUE(h.bus.HostAttached());
    CRxdThread(h.ctx).StopReceiver();
    EXPECT_FALSE(h.bus.HostAttached());
    ASSERT_EQ(h.OpenPort(), 0);
    Send(1, "VE");
    h.loop.RunDue();
    EXPECT_EQ(frames.size(), 1U);
}

// A port open that must fail, and how.
struct OpenCase {
    const char* name;
    const char* path;
    int baud;
    OpenFailure failure;
};

constexpr OpenCase kOpenFailures[] = {
    {"OtherPath", "/dev/ttyUSB0", 19200, OpenFailure::kNotFound},
    {"EmptyPath", "", 19200, OpenFailure::kNotFound},
    {"SpeedTheSerialPortCannotSet", tavro::test::SimHarness::kPortPath, 12345,
     OpenFailure::kUnsupportedSpeed},
};

// Opens that fail.
class OpenFailures : public Line, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(OpenFailures, AreReportedWithTheirKind) {
    const OpenCase& c = GetParam();
    CComPort port(h.ctx);
    EXPECT_EQ(port.Open(c.path, c.baud), 1);
    EXPECT_EQ(port.LastError().kind, c.failure);
    EXPECT_EQ(h.ctx.status.comPort, 0);
    EXPECT_FALSE(h.bus.HostAttached());
}

INSTANTIATE_TEST_SUITE_P(Sim, OpenFailures, ::testing::ValuesIn(kOpenFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Line, SecondHostIsRefusedAsBusy) {
    ASSERT_EQ(h.OpenPort(), 0);
    OpenError error;
    EXPECT_EQ(h.ctx.openPort(tavro::test::SimHarness::kPortPath, 19200, error), nullptr);
    EXPECT_EQ(error.kind, OpenFailure::kBusy);
}

TEST_F(Line, UnpluggedLineReportsTheLossAndWritesFail) {
    ASSERT_EQ(h.OpenPort(), 0);
    auto* line = dynamic_cast<InMemoryLine*>(h.ctx.port.transport.get());
    ASSERT_NE(line, nullptr);
    line->Unplug(5);
    EXPECT_EQ(h.ctx.port.lostError, -1) << "the loss is reported from the loop";
    h.loop.RunDue();
    EXPECT_EQ(h.ctx.port.lostError, 5);
    EXPECT_FALSE(line->Write(":01 VEE4\r\n"));
    EXPECT_FALSE(h.bus.HostAttached());
}

TEST_F(Line, ControllerAtAnotherSpeedHearsGarbage) {
    ASSERT_EQ(h.OpenPort(9600), 0);
    Send(1, "VE");
    h.loop.Advance(100);
    EXPECT_TRUE(frames.empty());
    h.bus.SetSpeedCheck(false);
    Send(1, "VE");
    h.loop.Advance(100);
    EXPECT_EQ(frames.size(), 1U);
}

}  // namespace
}  // namespace tavro::sim::test
