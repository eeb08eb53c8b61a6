// The transaction engine on a scripted line, for replies the simulator does not send.

#include <gtest/gtest.h>

#include <algorithm>

#include "link/CTimer.h"
#include "link/StringIds.h"
#include "tests/link/EngineFixture.h"

namespace tavro::test {
namespace {

using Bodies = std::vector<std::string>;

class EngineTest : public EngineFixture {
  protected:
    // Times at which `body` went out.
    std::vector<std::int64_t> SentAt(const std::string& body) const {
        std::vector<std::int64_t> out;
        for (const auto& s : line->sent) {
            if (s.body == body) {
                out.push_back(s.atMs);
            }
        }
        return out;
    }
};

TEST_F(EngineTest, NoResponseInTheProgressDialogHidesIt) {
    silent["OE 0 0 0"] = true;
    ctx.status.frontPhase = kFrontProgress;
    host.progressVisible = true;
    trx().Run(OP_ALARM, 0, 0);
    loop.Advance(5000);
    EXPECT_TRUE(host.Has("HideProgress"));
    EXPECT_EQ(ctx.status.frontPhase, kFrontMain);
    EXPECT_EQ(host.linkStates.back(), kLinkNoController);
    // Every time-out moved the progress bar on by one position.
    EXPECT_EQ(host.progressSteps, 4);
}

// Replies that are not the answer to the command on the line: each is resent at once.
struct BadReply {
    const char* name;
    std::string_view text;  // a reply body to frame with its checksum, or raw bytes
    bool framed;
};

using namespace std::string_view_literals;
constexpr BadReply kBadReplies[] = {
    {"TooShort", ":01OEOK\r\n", false},
    {"WrongId", "02OEOK", true},
    {"WrongCode", "01VEOK", true},
    {"WrongChecksum", ":01OEOKFF\r\n", false},
    {"ChecksumNotHex", ":01OEOKZZ\r\n", false},
    {"Binary", ":\x01\xFE\x80\x7F\x00\x10zz\r\n"sv, false},
};

class BadReplyTest : public EngineTest, public ::testing::WithParamInterface<BadReply> {};

TEST_P(BadReplyTest, IsResentAtOnce) {
    line->SetResponder(nullptr);
    trx().Run(OP_ALARM, 0, 0);
    loop.Advance(10);
    const BadReply& bad = GetParam();
    if (bad.framed) {
        line->Reply(bad.text);
    } else {
        line->Deliver(bad.text);
    }
    EXPECT_EQ(SentAt("01 OE 0 0 0"), (std::vector<std::int64_t>{0, 10}));
    EXPECT_EQ(ctx.trx.retryCount, 1);
    // The resend is answered properly and the operation goes on; when the spoilt frame may
    // not have been the first transmission's answer, only after that answer's time has passed.
    line->Reply("01OEOK");
    loop.Advance(CTimer::kReplyTimeoutMs);
    const auto re = SentAt("01 RE");
    ASSERT_FALSE(re.empty());
    EXPECT_LE(re[0], 10 + CTimer::kReplyTimeoutMs);
}

INSTANTIATE_TEST_SUITE_P(Engine, BadReplyTest, ::testing::ValuesIn(kBadReplies),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineTest, ReplyWhenNothingIsAwaitedIsDropped) {
    line->Reply("01OEOK");
    loop.Advance(100);
    EXPECT_TRUE(line->sent.empty());
    EXPECT_FALSE(ctx.trx.inFlight);
}

TEST_F(EngineTest, SpoiltPollReplyWhileIdleResendsNothing) {
    line->SetResponder(nullptr);
    trx().Run(OP_ALARM, 0, 0);
    line->Reply("01OEOK");
    loop.RunDue();
    line->Reply("01REOK" + std::string(40, '0'));
    loop.RunDue();
    ASSERT_EQ(ctx.trx.currentOp, OP_IDLE);
    loop.Advance(100);  // the poll goes out
    ASSERT_EQ(line->Bodies().back(), "01 MO");
    line->Deliver(":01MOOK0080000000000000000000000000000000\r\n");  // bad checksum
    loop.Advance(50);
    EXPECT_EQ(line->Bodies().back(), "01 MO");
    EXPECT_FALSE(ctx.trx.pollInFlight);
    loop.Advance(100);
    EXPECT_EQ(line->Bodies().back(), "01 MO");
    EXPECT_EQ(SentAt("01 RE").size(), 1U);
}

TEST_F(EngineTest, StaleRepliesWhileOnlyThePollIsOutAreDropped) {
    silent["MO"] = true;
    ctx.trx.lastRequest.controllerId = 1;
    CTimer(ctx).StartPoll();
    loop.Advance(100);
    ASSERT_TRUE(ctx.trx.pollInFlight);
    trx().Run(OP_ALARM, 0, 0);  // its "OE 0 0 0" waits behind the poll
    ASSERT_TRUE(ctx.trx.deferred);
    const std::size_t sent = line->sent.size();
    // Copies of earlier replies: one with the waiting command's own code, one with another.
    line->Reply("01OEOK");
    line->Reply("01REOK" + std::string(40, '0'));
    loop.Advance(10);
    EXPECT_EQ(line->sent.size(), sent);
    EXPECT_TRUE(ctx.trx.deferred);
    EXPECT_EQ(ctx.trx.retryCount, 0);
    line->Reply("01MOOK0080" + std::string(24, '0'));
    loop.Advance(50);
    EXPECT_EQ(line->Commands(), (Bodies{"01 OE 0 0 0", "01 RE"}));
}

TEST_F(EngineTest, PollUsesTheIdOfTheLastCommandAndLeavesItsRecord) {
    trx().Run(OP_ALARM, 0, 0);
    loop.Advance(500);
    ASSERT_GE(line->sent.size(), 4U);
    EXPECT_EQ(line->Bodies().back(), "01 MO");
    EXPECT_EQ(ctx.trx.lastRequest.code, "RE");
    EXPECT_EQ(ctx.trx.lastRequest.body, "01 RE");
}

}  // namespace
}  // namespace tavro::test
