// The transaction engine on a scripted line, for replies the simulator does not send.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

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
    EXPECT_FALSE(ctx.trx.InFlight());
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
    EXPECT_FALSE(ctx.trx.PollInFlight());
    loop.Advance(100);
    EXPECT_EQ(line->Bodies().back(), "01 MO");
    EXPECT_EQ(SentAt("01 RE").size(), 1U);
}

struct StaleCase {
    const char* name;
    const char* body;
};

constexpr StaleCase kStale[] = {
    {"SameCodeAsTheWaitingCommand", "01OEOK"},
    {"OtherCode", "01REOK0000000000000000000000000000000000000000"},
    {"Refusal", "01OENG"},
};

class StaleReplyTest : public EngineTest, public ::testing::WithParamInterface<StaleCase> {};

TEST_P(StaleReplyTest, WhileOnlyThePollIsOutAnswersNoCommand) {
    silent["MO"] = true;
    ctx.trx.lastRequest.controllerId = 1;
    CTimer(ctx).StartPoll();
    loop.Advance(100);
    ASSERT_TRUE(ctx.trx.PollInFlight());
    trx().Run(OP_ALARM, 0, 0);  // its "OE 0 0 0" waits behind the poll
    ASSERT_TRUE(ctx.trx.Deferred());
    line->Reply(GetParam().body);
    // Not taken for the waiting command, which goes out now; the operation waits for its
    // real answer.
    EXPECT_EQ(line->Commands(), (Bodies{"01 OE 0 0 0"}));
    EXPECT_EQ(ctx.trx.retryCount, 0);
    EXPECT_FALSE(ctx.trx.PollInFlight());
    EXPECT_EQ(ctx.trx.currentOp, OP_ALARM);
    loop.Advance(50);
    EXPECT_EQ(line->Commands(), (Bodies{"01 OE 0 0 0", "01 RE"}));
    EXPECT_EQ(ctx.trx.currentOp, OP_IDLE);
}

INSTANTIATE_TEST_SUITE_P(Engine, StaleReplyTest, ::testing::ValuesIn(kStale),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineTest, PollUsesTheIdOfTheLastCommandAndLeavesItsRecord) {
    trx().Run(OP_ALARM, 0, 0);
    loop.Advance(500);
    ASSERT_EQ(line->sent.size(), 6U);  // the stop, the alarm read, then a poll each 100 ms
    EXPECT_EQ(line->Bodies().back(), "01 MO");
    EXPECT_EQ(ctx.trx.lastRequest.code, "RE");
    EXPECT_EQ(ctx.trx.lastRequest.body, "01 RE");
}

TEST_F(EngineTest, SurvivesAStormOfGarbageAndRecovers) {
    // Replies that almost fit, mixed with random bytes, while operations start and give up.
    std::mt19937 rng(20261209);
    const std::vector<std::string> bodies = {
        "01OEOK", "01REOK", "01EEOK1.5", "01MOOK0080",
        "02OEOK", "01VENG", "01NGNG",    "01EEOK" + std::string(80, '9')};
    line->SetResponder(nullptr);
    for (int round = 0; round < 400; ++round) {
        if (ctx.trx.currentOp == OP_IDLE) {
            trx().Run(round % 3 == 0 ? OP_CONNECT : OP_ALARM, round % 2, 0);
        }
        std::string bytes;
        const int kind = static_cast<int>(rng() % 4);
        if (kind == 0) {
            bytes = ReplyFrame(bodies[rng() % bodies.size()]);
        } else if (kind == 1) {
            bytes = ReplyFrame(bodies[rng() % bodies.size()]);
            bytes[1 + rng() % (bytes.size() - 3)] = static_cast<char>(rng());
        } else {
            const std::size_t n = rng() % 40;
            for (std::size_t i = 0; i < n; ++i) {
                bytes += static_cast<char>(rng());
            }
            if (kind == 3) {
                bytes = ":" + bytes + "\r\n";
            }
        }
        line->Deliver(bytes);
        loop.Advance(static_cast<std::int64_t>(rng() % 700));
    }
    // Silence until everything has run out, then a controller that answers properly.
    loop.Advance(10000);
    line->SetResponder([this](const std::string& body) { return Answer(body); });
    ctx.status.linkState = kLinkOnline;
    trx().Run(OP_ALARM, 0, 0);
    loop.Advance(3000);
    EXPECT_EQ(ctx.trx.currentOp, OP_IDLE);
    EXPECT_EQ(ctx.status.linkState, kLinkOnline);
    EXPECT_EQ(line->Commands().back(), "01 RE");
}

}  // namespace
}  // namespace tavro::test
