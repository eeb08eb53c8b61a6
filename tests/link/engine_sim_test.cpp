// The transaction engine against the simulated controller: resends, give-up, "NG", the poll,
// the controller check and late replies.

#include <gtest/gtest.h>

#include "link/CStatusFlg.h"
#include "link/CTimer.h"
#include "link/StringIds.h"
#include "tests/link/SimLinkFixture.h"

namespace tavro::test {
namespace {

using Bodies = std::vector<std::string>;
using Times = std::vector<std::int64_t>;
using sim::Fault;
using sim::FaultKind;

class EngineSimTest : public SimLinkFixture {
  protected:
    void AddFault(FaultKind kind, const char* code, int count = 1, std::int64_t delayMs = 50,
                  int skip = 0) {
        Fault f;
        f.kind = kind;
        f.code = code;
        f.count = count;
        f.delayMs = delayMs;
        f.skip = skip;
        bus.Faults().Add(f);
    }
};

TEST_F(EngineSimTest, SilenceCostsThreeResendsThenNoResponse) {
    AddFault(FaultKind::kNoReply, "OE", sim::kUnlimited);
    trx().Run(OP_ALARM, 0, 0);
    loop.Advance(6000);
    EXPECT_EQ(TimesOf("OE 0 0 0"), (Times{0, 1000, 2000, 3000}));
    EXPECT_EQ(host.TimeOf("Message(306,!,top)"), 4000);
    EXPECT_EQ(host.MessageCount(ids::IDS_NO_RESPONSE), 1U);
    EXPECT_EQ(ctx.status.linkState, kLinkNoController);
    EXPECT_TRUE(host.Has("ShowOperationResult(0,0,0,0,0,0)"));
    EXPECT_EQ(ctx.trx.currentOp, OP_IDLE);
    EXPECT_EQ(Polls(), 0U);
}

TEST_F(EngineSimTest, BadFourthReplyEndsTheOperationAtOnce) {
    bus.SetByteTiming(true);
    AddFault(FaultKind::kCorruptChecksum, "OE", 4);
    trx().Run(OP_ALARM, 0, 0);
    loop.Advance(6000);
    const auto replies = bus.Replies("OE");
    ASSERT_EQ(replies.size(), 4U);
    EXPECT_EQ(TimesOf("OE 0 0 0").size(), 4U);
    EXPECT_EQ(host.TimeOf("Message(306,!,top)"), replies.back().timeMs);
    EXPECT_LT(replies.back().timeMs, 200);  // no reply timer was waited for
    EXPECT_EQ(ctx.status.linkState, kLinkNoController);
    EXPECT_TRUE(bus.Requests("RE").empty());
}

TEST_F(EngineSimTest, ForeignAndSpoiltRepliesAreResentAndTheOperationGoesOn) {
    // One fault for each of the first four "RE" requests, in this order.
    int skip = 0;
    for (FaultKind k : {FaultKind::kWrongId, FaultKind::kWrongCode, FaultKind::kCorruptChecksum,
                        FaultKind::kNoise}) {
        AddFault(k, "RE", 1, 50, skip++);
    }
    trx().Run(OP_ALARM, 0, 0);
    loop.Advance(10000);
    // Three bad replies cost a resend each; the noise before the fourth reply is skipped.
    EXPECT_EQ(TimesOf("RE"), (Times{0, 0, 0, 0}));
    EXPECT_EQ(ctx.status.linkState, kLinkOnline);
    EXPECT_TRUE(host.Has("SetModeSwitch(1)"));
    EXPECT_EQ(host.MessageCount(ids::IDS_NO_RESPONSE), 0U);
}

TEST_F(EngineSimTest, CommandStartedDuringAPollGoesOutWithThePollReply) {
    bus.SetByteTiming(true);
    ctx.trx.lastRequest.controllerId = 1;
    CTimer(ctx).StartPoll();
    loop.Advance(101);
    ASSERT_TRUE(ctx.trx.PollInFlight());
    trx().Run(OP_ALARM, 0, 0);
    EXPECT_TRUE(ctx.trx.Deferred());
    loop.Advance(200);
    const auto poll = bus.Replies("MO");
    const auto oe = bus.Requests("OE");
    ASSERT_EQ(poll.size(), 1U);
    ASSERT_EQ(oe.size(), 1U);
    // Written when the poll reply arrived: on the wire for as long as ":01 OE 0 0 0cc" CR LF
    // takes, plus the loop's millisecond.
    const std::int64_t wire = static_cast<std::int64_t>(16 * bus.CharacterMicros() / 1000) + 2;
    EXPECT_GE(oe[0].timeMs, poll[0].timeMs);
    EXPECT_LE(oe[0].timeMs, poll[0].timeMs + wire);
}

TEST_F(EngineSimTest, FirstCommandOfTheAlarmReadFollowsAnNgAboutASecondLater) {
    AddFault(FaultKind::kNg, "MD");
    trx().Run(OP_CONNECT, 0, 0);
    loop.Advance(3000);
    const auto md = TimesOf("MD 1");
    ASSERT_EQ(md.size(), 1U);  // "NG" is not retried
    EXPECT_EQ(TimesOf("OE 0 0 0"), (Times{0, md[0] + CTimer::kReplyTimeoutMs}));
    EXPECT_EQ(Commands().back(), "01 RE");
    EXPECT_TRUE(bus.Requests("EE").empty());  // the connect was given up
}

// The controller check on the initial upload's "VE" reply.
struct VersionCase {
    const char* name;
    const char* version;
    bool accepted;
    int historyCount;
    bool knowsVersion = true;
};

constexpr VersionCase kVersions[] = {
    {"Below2160", "2.159", false, 4},
    {"At2160", "2.160", true, 4},
    {"Below2500", "2.499", true, 4},
    {"At2500", "2.5", true, 20},
    {"Three", "3", false, 20},
    {"AboveThree", "3.001", false, 20},
    {"UnknownCommand", "2.60", false, 4, false},
};

class VersionTest : public EngineSimTest, public ::testing::WithParamInterface<VersionCase> {
  protected:
    VersionTest() {
        sim::ControllerOptions options;
        options.id = 2;
        options.version = GetParam().version;
        options.knowsVersion = GetParam().knowsVersion;
        sim.AddController(options);
        ctx.status.controllerId = 2;
    }
};

TEST_P(VersionTest, DecidesWhetherTheControllerIsSupported) {
    trx().Run(OP_UPLOAD_ALL, 0, 0);
    loop.Advance(500);
    EXPECT_EQ(ctx.status.alarmHistoryCount, GetParam().historyCount);
    if (GetParam().accepted) {
        EXPECT_EQ(bus.Requests("EE").size(), 12U);
        EXPECT_EQ(host.MessageCount(ids::IDS_UNSUPPORTED), 0U);
        EXPECT_EQ(host.exitRequests, 0);
        EXPECT_EQ(ctx.status.linkState, kLinkOnline);
    } else {
        EXPECT_EQ(Commands(), (Bodies{"02 VE"}));
        EXPECT_TRUE(host.Has("Message(353,!)"));
        EXPECT_EQ(host.exitRequests, 1);
        EXPECT_EQ(ctx.trx.currentOp, OP_IDLE);
    }
}

INSTANTIATE_TEST_SUITE_P(Engine, VersionTest, ::testing::ValuesIn(kVersions),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineSimTest, SpoiltVersionReplyIsResentNotJudged) {
    AddFault(FaultKind::kCorruptChecksum, "VE");
    trx().Run(OP_UPLOAD_ALL, 0, 0);
    loop.Advance(500);
    EXPECT_EQ(TimesOf("VE").size(), 2U);
    EXPECT_EQ(host.exitRequests, 0);
    EXPECT_TRUE((ctx.status.flags & kFlagUploadDone) != 0);
}

// Late replies. The connect reads 0/0, 0/1, 0/12 and 0/3 in a row: a reply taken for the
// wrong read would shift the values into the wrong status fields.
class LateReplyTest : public EngineSimTest {
  protected:
    void ExpectIdentityReadRight() {
        EXPECT_EQ(ctx.status.stroke[0], 20);
        EXPECT_EQ(ctx.status.series[0], 2);
        EXPECT_EQ(ctx.status.controlType, kControlTypeStep);
        EXPECT_EQ(ctx.status.controllerId, 1);
        EXPECT_EQ(ctx.status.linkState, kLinkOnline);
    }
};

TEST_F(LateReplyTest, LateReplyIsTakenForTheResentCommandAndItsTwinIsDropped) {
    // The first "EE" (0/0) is answered 1200 ms late: the engine resends at 1000 and hears the
    // resend's reply at once, then the late one.
    AddFault(FaultKind::kExtraDelay, "EE", 1, 1200);
    trx().Run(OP_CONNECT, 0, 0);
    loop.Advance(5000);
    EXPECT_EQ(Commands(), (Bodies{"01 OE 0 0 0", "01 MD 1", "01 EE 0 0", "01 EE 0 0", "01 EE 0 1",
                                  "01 EE 0 12", "01 EE 0 3"}));
    EXPECT_EQ(TimesOf("EE 0 0"), (Times{0, 1000}));
    EXPECT_EQ(TimesOf("EE 0 1"), (Times{1200}));  // once the twin is in
    EXPECT_EQ(bus.Replies("EE").size(), 5U);
    ExpectIdentityReadRight();
}

TEST_F(LateReplyTest, OnlyTheLateReplyArrivesAndIsTaken) {
    AddFault(FaultKind::kExtraDelay, "EE", 1, 1200);
    AddFault(FaultKind::kLostReply, "EE", 1, 0, 1);  // the resend's reply is lost
    trx().Run(OP_CONNECT, 0, 0);
    loop.Advance(5000);
    // The late reply answers the resent read; the next read waits for the resend's own
    // time-out in case its reply is still coming.
    EXPECT_EQ(TimesOf("EE 0 0"), (Times{0, 1000}));
    EXPECT_EQ(TimesOf("EE 0 1"), (Times{2000}));
    ExpectIdentityReadRight();
}

TEST_F(LateReplyTest, LateDuplicatesAfterAnOperationChangeNothing) {
    bus.SetByteTiming(true);
    AddFault(FaultKind::kLateDuplicate, "EE", sim::kUnlimited, 300);
    trx().Run(OP_CONNECT, 0, 0);
    loop.Advance(3000);
    EXPECT_EQ(bus.Requests("EE").size(), 4U);
    EXPECT_EQ(bus.Replies("EE").size(), 8U);
    ExpectIdentityReadRight();
}

// What giving up on the controller leaves behind, by the window the link reports to.
struct FailureCase {
    const char* name;
    int frontPhase;
    std::vector<std::string> after;  // host calls after message 306
};

const FailureCase kFailures[] = {
    {"ComSelection", kFrontComSelect, {}},
    {"IdSearch", kFrontIdSearch, {"NotifyFrontDialog(0x0600,0)"}},
    {"TypeDialog", kFrontTypeDialog, {"NotifyFrontDialog(0x0500,0)"}},
    {"ProgressDialog", kFrontProgress, {"EnableMainWindow(1)", "HideProgress", "SetLinkState(1)"}},
    {"MainWindow",
     kFrontMain,
     {"SetLinkState(1)", "ShowOperationResult(0,0,0,0,0,0)", "EnableMainWindow(1)"}},
};

class FailureTest : public EngineSimTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailureTest, RestoresTheWindowInFront) {
    AddFault(FaultKind::kNoReply, "OE", sim::kUnlimited);
    ctx.status.frontPhase = GetParam().frontPhase;
    trx().Run(OP_ALARM, 0, 0);
    loop.Advance(5000);
    std::size_t at = 0;
    while (at < host.calls.size() && host.calls[at].text != "Message(306,!,top)") {
        ++at;
    }
    ASSERT_LT(at, host.calls.size());
    EXPECT_EQ(host.Texts(at + 1), GetParam().after);
    EXPECT_EQ(ctx.status.linkState, kLinkNoController);
}

INSTANTIATE_TEST_SUITE_P(Engine, FailureTest, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineSimTest, CancelInTheProgressDialogStaysOnline) {
    bus.SetByteTiming(true);
    trx().Run(OP_DETAIL_UPLOAD, 0, 0);
    loop.Advance(500);
    ASSERT_EQ(ctx.status.frontPhase, kFrontProgress);
    const std::size_t reads = bus.Requests("EE").size();
    trx().CancelByUser();
    EXPECT_EQ(ctx.status.linkState, kLinkOnline);
    EXPECT_EQ(ctx.status.frontPhase, kFrontMain);
    EXPECT_TRUE(host.Has("HideProgress"));
    EXPECT_EQ(ctx.trx.currentOp, OP_IDLE);
    loop.Advance(1000);
    EXPECT_EQ(bus.Requests("EE").size(), reads);  // the read on the line was the last
    EXPECT_EQ(Polls(), 9U);  // every 100 ms after the cancel at 500 ms, until 1500 ms
    EXPECT_FALSE((ctx.status.flags & kFlagDetailUploadDone) != 0);
}

TEST_F(EngineSimTest, ReconnectToAChangedControllerWarnsOnce) {
    CStatusFlg status(ctx);
    status.SetStroke(0, 10);
    status.SetSeries(0, 1);
    status.SetFlag(kFlagUploadDone);
    trx().Run(OP_CONNECT, 0, 0);
    loop.Advance(500);
    EXPECT_EQ(host.MessageCount(ids::IDS_CONTROLLER_CHANGED), 1U);
    EXPECT_EQ(ctx.status.stroke[0], 20);
    EXPECT_EQ(ctx.status.series[0], 2);
    host.Clear();
    trx().Run(OP_CONNECT, 0, 0);
    loop.Advance(500);
    EXPECT_EQ(host.MessageCount(ids::IDS_CONTROLLER_CHANGED), 0U);
}

}  // namespace
}  // namespace tavro::test
