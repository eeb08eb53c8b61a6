// The quick controller search against simulated controllers with the byte timing of the
// line: one probe per ID with a time-out from the line speed, each answer confirmed with the
// ordinary time-out, a second pass over the silent IDs, and late answers counted for the ID
// they carry.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/CTrxData.h"
#include "link/Frame.h"
#include "link/LinkEngine.h"
#include "link/Numbers.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/SimHarness.h"

namespace tavro::test {
namespace {

using Ids = std::vector<int>;
using Times = std::vector<std::int64_t>;
using sim::Fault;
using sim::FaultKind;

struct LineSpeed {
    const char* name;
    int baud;
};
constexpr LineSpeed kSpeeds[] = {
    {"Bps2400", 2400}, {"Bps9600", 9600}, {"Bps19200", 19200}, {"Bps57600", 57600}};

std::string SpeedName(const ::testing::TestParamInfo<LineSpeed>& info) {
    return info.param.name;
}

constexpr std::int64_t kBitsPerCharacter = 11;
constexpr int kRequestCharacters = 10;  // ":03 VEE?" CR LF
constexpr int kReplyCharacters = 15;    // ":03VEOK2.60??" CR LF
constexpr std::int64_t kMinDelayUs = 1000;

sim::ControllerOptions At(int id, int baud) {
    sim::ControllerOptions o;
    o.id = id;
    o.baud = baud;
    return o;
}

Fault On(FaultKind kind, int id, int count = 1) {
    Fault f(kind, count);
    f.code = "VE";
    f.id = id;
    return f;
}

// A frame that spoils the first answer of ID 3.
struct SpoiltCase {
    const char* name;
    FaultKind kind;
    int baud;
};
constexpr SpoiltCase kSpoilt[] = {
    {"ChecksumBps9600", FaultKind::kCorruptChecksum, 9600},
    {"ChecksumBps57600", FaultKind::kCorruptChecksum, 57600},
    {"NextIdBps9600", FaultKind::kWrongId, 9600},
    {"NextIdBps57600", FaultKind::kWrongId, 57600},
    {"OtherCodeBps9600", FaultKind::kWrongCode, 9600},
    {"OtherCodeBps57600", FaultKind::kWrongCode, 57600},
};

int BaudOf(const LineSpeed& p) {
    return p.baud;
}
int BaudOf(const SpoiltCase& p) {
    return p.baud;
}

// A controller at ID 3 on a line with byte timing, the engine reporting to a recording host
// from the search dialog.
template <typename Param>
class QuickSearchFixture : public ::testing::TestWithParam<Param> {
  protected:
    QuickSearchFixture() : h(At(3, Baud())) {
        h.ctx.host = &host;
        h.bus.SetByteTiming(true);
        EXPECT_EQ(h.OpenPort(Baud()), 0);
        h.ctx.status.frontPhase = kFrontIdSearch;
        h.ctx.status.controllerId = 0;
    }

    int Baud() const { return BaudOf(this->GetParam()); }
    std::int64_t ProbeMs() const { return CTrxData::QuickProbeTimeoutMs(Baud()); }
    // From the write of "VE" to the last byte of its answer at the host, at the default delay.
    std::int64_t ExchangeMs() const {
        const std::int64_t us =
            ((kRequestCharacters + kReplyCharacters) * kBitsPerCharacter * 1000000 + Baud() - 1) /
                Baud() +
            kMinDelayUs;
        return (us + 999) / 1000;
    }
    // When the "VE" to this ID was written, from when it reached the controllers.
    std::int64_t Written(int id, std::size_t n = 0) const {
        const std::int64_t wireUs =
            (kRequestCharacters * kBitsPerCharacter * 1000000 + Baud() - 1) / Baud();
        return Probes(id).at(n) - (wireUs + 999) / 1000;
    }
    sim::SimController& Add(int id) { return h.AddController(At(id, Baud())); }

    void Start(int first, int last) {
        CTrxData(h.ctx).Run(OP_SEARCH, (first * 256 + last) | kSearchQuick, 0);
    }
    // Runs a quick search to its end; how long it took.
    std::int64_t Search(int first, int last) {
        const std::int64_t start = h.loop.NowMs();
        Start(first, last);
        EXPECT_TRUE(h.loop.RunUntil([&] { return h.ctx.trx.currentOp == OP_IDLE; }, 600000));
        return h.loop.NowMs() - start;
    }
    // When each "VE" to this ID reached the controllers.
    Times Probes(int id) const {
        Times out;
        for (const sim::LineRecord& r : h.bus.Requests("VE", id)) {
            out.push_back(r.timeMs);
        }
        return out;
    }
    Ids Found() const { return host.foundIds.size() == 1 ? host.foundIds[0] : Ids{-1}; }

    SimHarness h;
    RecordingHost host{h.ctx};
    LinkEngine engine{h.ctx};
};

class QuickSearchTest : public QuickSearchFixture<LineSpeed> {};

TEST_P(QuickSearchTest, FullRangeFindsBothControllersWithinTwoPassesOfTheProbeTime) {
    Add(200);
    const std::int64_t took = Search(1, 255);
    EXPECT_EQ(Found(), (Ids{3, 200}));
    const std::int64_t t = ProbeMs();
    // The 253 silent IDs cost one probe time in each pass, each controller the exchanges of
    // its probe and its confirmation. Only at 2400 bit/s are two exchanges longer than a
    // probe time.
    EXPECT_EQ(took, 2 * 253 * t + 2 * 2 * ExchangeMs());
    if (2 * ExchangeMs() <= t) {
        EXPECT_LE(took, 255 * t + 253 * t);
    }
    for (int id : {1, 2, 4, 100, 199, 201, 254, 255}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(Probes(id).size(), 2U);  // once in each pass
    }
    EXPECT_EQ(Probes(3).size(), 2U);  // the probe and its confirmation
    EXPECT_EQ(Probes(200).size(), 2U);
    EXPECT_EQ(Probes(2)[0] - Probes(1)[0], t);
    EXPECT_EQ(Probes(1)[1] - Probes(255)[0], t);  // the second pass follows the first
    EXPECT_EQ(h.ctx.trx.counters.lateAnswers, 0);
    // Progress: the range, then the second pass over the silent IDs, a quarter per silence.
    EXPECT_TRUE(host.Has("ShowSearchProgress(0,255)"));
    EXPECT_TRUE(host.Has("ShowSearchProgress(254,255)"));
    EXPECT_TRUE(host.Has("ShowSearchProgress(0,253)"));
    EXPECT_TRUE(host.Has("ShowSearchProgress(253,253)"));
    EXPECT_EQ(host.searchSteps, 2 * 253);
    EXPECT_FALSE(host.Has("Message(306,!,top)"));
    EXPECT_EQ(h.ctx.trx.currentOp, OP_IDLE);
}

TEST_P(QuickSearchTest, LostFirstAnswerIsFoundByTheSecondPass) {
    h.bus.Faults().Add(On(FaultKind::kLostReply, 3));
    Search(1, 10);
    EXPECT_EQ(Found(), Ids{3});
    const Times at3 = Probes(3);
    ASSERT_EQ(at3.size(), 3U);  // lost, asked again in the second pass, confirmed
    EXPECT_GT(at3[1], Probes(10)[0]);
    EXPECT_EQ(Probes(4).size(), 2U);
}

// The answer to ID 3 comes 30 ms after its probe's time-out, while the next ID is asked.
TEST_P(QuickSearchTest, LateAnswerCountsForItsOwnIdNotTheNext) {
    Fault late = On(FaultKind::kExtraDelay, 3);
    late.delayMs = ProbeMs() + 30 - ExchangeMs();
    h.bus.Faults().Add(late);
    Search(1, 6);
    EXPECT_EQ(Found(), Ids{3});
    const std::int64_t answered = h.bus.Replies("VE", 3).at(0).timeMs;
    EXPECT_EQ(answered - Written(3), ProbeMs() + 30);
    EXPECT_GT(answered, Written(4));  // during the probe of ID 4
    EXPECT_LT(answered, Written(5));
    EXPECT_EQ(Probes(3).size(), 2U);  // confirmed at once, not asked in the second pass
    EXPECT_EQ(Probes(4).size(), 2U);  // ID 4 was not taken for a controller
    EXPECT_EQ(h.ctx.trx.counters.lateAnswers, 1);
}

TEST_P(QuickSearchTest, LateAnswerDoesNotSpoilTheExchangeWithTheNextController) {
    Add(4);
    Fault late = On(FaultKind::kExtraDelay, 3);
    late.delayMs = ProbeMs() + 30 - ExchangeMs();
    h.bus.Faults().Add(late);
    Search(1, 6);
    EXPECT_EQ(Found(), (Ids{3, 4}));
    EXPECT_EQ(Probes(3).size(), 2U);
    EXPECT_EQ(Probes(4).size(), 2U);  // no resend for the frame that crossed its exchange
    EXPECT_EQ(Probes(5).size(), 2U);
    EXPECT_EQ(h.ctx.trx.counters.lateAnswers, 1);
}

// The longest answer the time-out is made for, at the longest answer delay a controller may
// be set to, comes within the probe time at every speed, 2400 bit/s included.
TEST_P(QuickSearchTest, ProbeTimeCoversTheLongestAnswerAtTheLongestDelay) {
    sim::ControllerOptions slow = At(5, Baud());
    slow.version = "2.160000";
    slow.minDelayMs = 10.2;
    h.AddController(slow);
    Search(1, 6);
    EXPECT_EQ(Found(), (Ids{3, 5}));
    EXPECT_EQ(Probes(3).size(), 2U);
    EXPECT_EQ(Probes(5).size(), 2U);
    EXPECT_EQ(h.ctx.trx.counters.lateAnswers, 0);
    EXPECT_LE(h.bus.Replies("VE", 5).at(0).timeMs - Written(5), ProbeMs());
}

TEST_P(QuickSearchTest, ConfirmationHasTheOrdinaryTimeOutAndResends) {
    Fault lost = On(FaultKind::kLostReply, 3);
    lost.skip = 1;
    h.bus.Faults().Add(lost);
    Search(1, 4);
    EXPECT_EQ(Found(), Ids{3});
    const Times at3 = Probes(3);
    ASSERT_EQ(at3.size(), 3U);
    EXPECT_EQ(at3[2] - at3[1], 1000);
}

TEST_P(QuickSearchTest, AnswerThatIsNeverConfirmedIsNotListed) {
    Fault gone = On(FaultKind::kNoReply, 3, sim::kUnlimited);
    gone.skip = 1;
    h.bus.Faults().Add(gone);
    Search(2, 4);
    EXPECT_TRUE(host.Has("NotifyFrontDialog(0x0600,0)"));
    EXPECT_TRUE(host.foundIds.empty());
    // The probe, four tries of the confirmation a second apart, the second pass.
    const Times at3 = Probes(3);
    ASSERT_EQ(at3.size(), 6U);
    EXPECT_EQ(at3[2] - at3[1], 1000);
    EXPECT_EQ(at3[4] - at3[3], 1000);
    EXPECT_FALSE(host.Has("Message(306,!,top)"));
}

TEST_P(QuickSearchTest, ControllerWithoutVersionCountsAsFound) {
    sim::ControllerOptions foreign = At(2, Baud());
    foreign.knowsVersion = false;
    h.AddController(foreign);
    Search(1, 4);
    EXPECT_EQ(Found(), (Ids{2, 3}));
    EXPECT_EQ(Probes(2).size(), 2U);
}

// The user cancels while the answer to a probe is still due and searches again at once: the
// answer belongs to the search that was given up and counts for nothing in the new one.
TEST_P(QuickSearchTest, AnswerDueWhenTheUserSearchesAgainCountsForNothing) {
    Fault late = On(FaultKind::kExtraDelay, 3);
    late.delayMs = ProbeMs() + 30 - ExchangeMs();
    h.bus.Faults().Add(late);
    Start(1, 5);
    ASSERT_TRUE(h.loop.RunUntil([&] { return Probes(3).size() == 1; }, 10000));
    CTrxData(h.ctx).CancelByUser();
    Start(1, 5);
    ASSERT_TRUE(h.loop.RunUntil([&] { return h.ctx.trx.currentOp == OP_IDLE; }, 60000));
    EXPECT_EQ(Found(), Ids{3});
    EXPECT_EQ(Probes(3).size(), 3U);  // the given-up probe, then probe and confirmation
    EXPECT_EQ(h.ctx.trx.counters.lateAnswers, 0);
    EXPECT_EQ(h.ctx.trx.counters.supersededReplies, 1);  // the given-up probe's time-out
    EXPECT_EQ(Probes(1).size(), 3U);                     // once before the cancel, twice after
}

// On a half-duplex line the next probe must not be written into a frame that is arriving.
TEST_P(QuickSearchTest, FrameUnderWayAtTheTimeOutHoldsTheNextProbeUntilItEnds) {
    Start(5, 6);
    h.loop.RunDue();
    const std::int64_t written = h.loop.NowMs();
    const std::string body = "07VEOK2.60";
    const std::string frame = ":" + body + Format("%02X", Checksum(body)) + "\r\n";
    h.loop.Advance(ProbeMs() - 1);
    h.ctx.port.assembler.Feed(std::string_view(frame).substr(0, 6));
    h.loop.Advance(2);
    h.ctx.port.assembler.Feed(std::string_view(frame).substr(6));  // ends a millisecond late
    ASSERT_TRUE(h.loop.RunUntil([&] { return !Probes(6).empty(); }, 1000));
    EXPECT_GT(Written(6) - written, ProbeMs() + 1);
    ASSERT_TRUE(h.loop.RunUntil([&] { return h.ctx.trx.currentOp == OP_IDLE; }, 10000));
    EXPECT_TRUE(host.Has("NotifyFrontDialog(0x0600,0)"));  // a frame from ID 7 is no answer
}

// Without the quick bit the search is the one it always was, at real timing too.
TEST_P(QuickSearchTest, OrdinarySearchStillAsksASilentIdFourTimesASecondApart) {
    CTrxData(h.ctx).Run(OP_SEARCH, 2 * 256 + 3, 0);
    ASSERT_TRUE(h.loop.RunUntil([&] { return h.ctx.trx.currentOp == OP_IDLE; }, 60000));
    EXPECT_EQ(Found(), Ids{3});
    const Times at2 = Probes(2);
    ASSERT_EQ(at2.size(), 4U);
    EXPECT_EQ(at2, (Times{at2[0], at2[0] + 1000, at2[0] + 2000, at2[0] + 3000}));
    EXPECT_EQ(Probes(3).size(), 1U);
    EXPECT_EQ(Probes(3)[0] - at2[0], 4000);
}

INSTANTIATE_TEST_SUITE_P(Line, QuickSearchTest, ::testing::ValuesIn(kSpeeds), SpeedName);

// A spoilt frame while ID 3 is asked is no answer from any ID: the probe waits for its own
// time-out, since its answer may still come, and the second pass asks ID 3 again.
class SpoiltAnswerTest : public QuickSearchFixture<SpoiltCase> {};

TEST_P(SpoiltAnswerTest, ProbeWaitsItsTimeAndTheSecondPassFindsTheId) {
    h.bus.Faults().Add(On(GetParam().kind, 3));
    Search(1, 5);
    EXPECT_EQ(Found(), Ids{3});
    EXPECT_EQ(Written(4) - Written(3), ProbeMs());
    EXPECT_EQ(Probes(3).size(), 3U);  // spoilt, asked again in the second pass, confirmed
    EXPECT_EQ(Probes(4).size(), 2U);  // an answer carrying ID 4 did not make it a controller
    EXPECT_EQ(h.ctx.trx.counters.lateAnswers, 0);
}

INSTANTIATE_TEST_SUITE_P(Line, SpoiltAnswerTest, ::testing::ValuesIn(kSpoilt),
                         [](const auto& info) { return std::string(info.param.name); });

// A version text longer than the time-out is made for, at 2400 bit/s: its answer comes after
// the probe time and still counts for its ID.
class LongAnswerTest : public QuickSearchFixture<LineSpeed> {};

TEST_P(LongAnswerTest, AnswerBeyondTheProbeTimeStillCountsForItsId) {
    sim::ControllerOptions wordy = At(5, Baud());
    wordy.version = "2.16000000000000";
    wordy.minDelayMs = 10.2;
    h.AddController(wordy);
    Search(4, 7);
    EXPECT_EQ(Found(), Ids{5});
    EXPECT_EQ(Probes(5).size(), 2U);
    EXPECT_EQ(h.ctx.trx.counters.lateAnswers, 1);
}

constexpr LineSpeed kSlowest[] = {{"Bps2400", 2400}};
INSTANTIATE_TEST_SUITE_P(Line, LongAnswerTest, ::testing::ValuesIn(kSlowest), SpeedName);

TEST(QuickProbeTime, FollowsTheLineSpeed) {
    struct Case {
        int baud;
        std::int64_t ms;
    };
    // (10 + 19 characters) x 11 bits at the speed, 10.2 ms and 20 ms, rounded up.
    constexpr Case kCases[] = {{2400, 164}, {9600, 64}, {19200, 47}, {38400, 39}, {57600, 36}};
    for (const Case& c : kCases) {
        EXPECT_EQ(CTrxData::QuickProbeTimeoutMs(c.baud), c.ms) << c.baud;
    }
}

}  // namespace
}  // namespace tavro::test
