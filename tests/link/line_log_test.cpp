#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/LineLog.h"
#include "tests/link/SimLinkFixture.h"

namespace tavro::test {
namespace {

using sim::Fault;
using sim::FaultKind;

// The engine on the simulator with a line log attached; the I/O upload reads one block of
// parameters with "EE".
class LineLogSim : public SimLinkFixture {
  protected:
    LineLogSim() { ctx.lineLog = &log; }
    ~LineLogSim() override { ctx.lineLog = nullptr; }

    void AddFault(FaultKind kind, int skip, std::int64_t delayMs = 50, int count = 1) {
        Fault f(kind, count);
        f.code = "EE";
        f.skip = skip;
        f.delayMs = delayMs;
        bus.Faults().Add(f);
    }
    bool Upload(std::int64_t limitMs = 20000) {
        trx().Run(OP_IO_UPLOAD, 0, 0);
        return loop.RunUntil([&] { return ctx.trx.currentOp == OP_IDLE && !ctx.trx.InFlight(); },
                             limitMs);
    }
    std::vector<const LineEntry*> Entries(LineEvent event) const {
        std::vector<const LineEntry*> out;
        for (std::size_t i = 0; i < log.Size(); ++i) {
            if (log.At(i).event == event) {
                out.push_back(&log.At(i));
            }
        }
        return out;
    }

    LineLog log;
};

struct FaultCase {
    const char* name;
    FaultKind kind;
    std::int64_t delayMs;
    int resends;
    int timeouts;
    int ngs;
    int checksums;
    int wrongIds;
    int wrongCodes;
    int noise;
    int late;
    LineStatus faulted;   // the status of the reply the fault spoilt
    LineOutcome outcome;  // and what the engine made of it
};

constexpr FaultCase kFaultCases[] = {
    {"NoReply", FaultKind::kNoReply, 50, 1, 1, 0, 0, 0, 0, 0, 0, LineStatus::kNone,
     LineOutcome::kNone},
    {"LostReply", FaultKind::kLostReply, 50, 1, 1, 0, 0, 0, 0, 0, 0, LineStatus::kNone,
     LineOutcome::kNone},
    {"Checksum", FaultKind::kCorruptChecksum, 50, 1, 0, 0, 1, 0, 0, 0, 0, LineStatus::kChecksum,
     LineOutcome::kRejected},
    {"WrongId", FaultKind::kWrongId, 50, 1, 0, 0, 0, 1, 0, 0, 0, LineStatus::kWrongId,
     LineOutcome::kRejected},
    {"WrongCode", FaultKind::kWrongCode, 50, 1, 0, 0, 0, 0, 1, 0, 0, LineStatus::kWrongCode,
     LineOutcome::kRejected},
    // The simulator's noise ends a line of its own before the reply's ":".
    {"Noise", FaultKind::kNoise, 50, 0, 0, 0, 0, 0, 0, 2, 0, LineStatus::kNoise,
     LineOutcome::kDropped},
    // Later than the reply time-out: the command is resent, the late reply answers the resend
    // and the resend's own reply is held and dropped.
    {"DelayPastTimeout", FaultKind::kExtraDelay, 1500, 1, 1, 0, 0, 0, 0, 0, 1, LineStatus::kNone,
     LineOutcome::kNone},
    {"Delay", FaultKind::kExtraDelay, 300, 0, 0, 0, 0, 0, 0, 0, 0, LineStatus::kNone,
     LineOutcome::kNone},
};

class LineLogFaults : public LineLogSim, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(LineLogFaults, CountsWhatTheLineDid) {
    const FaultCase& c = GetParam();
    AddFault(c.kind, 2, c.delayMs);
    ASSERT_TRUE(Upload());
    const LineSummary s = log.Summary(19200);
    EXPECT_EQ(s.resends, c.resends);
    EXPECT_EQ(s.timeouts, c.timeouts);
    EXPECT_EQ(s.ngs, c.ngs);
    EXPECT_EQ(s.checksums, c.checksums);
    EXPECT_EQ(s.wrongIds, c.wrongIds);
    EXPECT_EQ(s.wrongCodes, c.wrongCodes);
    EXPECT_EQ(s.noise, c.noise);
    EXPECT_EQ(s.late, c.late);
    // Every request and reply on the wire has its entry.
    EXPECT_EQ(static_cast<std::size_t>(s.commands + s.resends + s.polls), bus.Requests().size());
    std::size_t frames = 0;
    for (const LineEntry* e : Entries(LineEvent::kReceived)) {
        frames += e->status != LineStatus::kNoise ? 1 : 0;
    }
    EXPECT_EQ(frames, bus.Replies().size());
    if (c.faulted != LineStatus::kNone) {
        bool seen = false;
        for (const LineEntry* e : Entries(LineEvent::kReceived)) {
            if (e->status == c.faulted) {
                EXPECT_EQ(e->outcome, c.outcome);
                EXPECT_EQ(e->latencyUs, -1);
                seen = true;
            }
        }
        EXPECT_TRUE(seen);
    }
    // A resend is the command's second transmission, after the first one's trouble.
    for (const LineEntry* e : Entries(LineEvent::kSent)) {
        EXPECT_LE(e->transmission, c.resends + 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, LineLogFaults, ::testing::ValuesIn(kFaultCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LineLogSim, RefusalIsShownAndTheAlarmReadFollows) {
    AddFault(FaultKind::kNg, 2);
    trx().Run(OP_IO_UPLOAD, 0, 0);
    loop.Advance(5000);
    const LineSummary s = log.Summary(19200);
    EXPECT_EQ(s.ngs, 1);
    int refused = 0;
    for (const LineEntry* e : Entries(LineEvent::kReceived)) {
        refused += e->outcome == LineOutcome::kRefused ? 1 : 0;
    }
    EXPECT_EQ(refused, 1);
    EXPECT_EQ(static_cast<std::size_t>(s.commands + s.resends + s.polls), bus.Requests().size());
}

// Latencies on the virtual clock: from the write of the answered transmission to the end
// of its reply, at the line's own byte timing.
sim::ControllerOptions At(int baud) {
    sim::ControllerOptions o;
    o.baud = baud;
    return o;
}

class LineLogLatency : public ::testing::TestWithParam<int> {
  protected:
    LineLogLatency() : sim(At(GetParam())) {
        sim.ctx.host = &host;
        EXPECT_EQ(sim.OpenPort(GetParam()), 0);
        sim.bus.SetByteTiming(true);
        sim.ctx.status.controllerId = 1;
        sim.ctx.status.frontPhase = kFrontMain;
        sim.ctx.lineLog = &log;
    }
    ~LineLogLatency() override { sim.ctx.lineLog = nullptr; }

    SimHarness sim;
    RecordingHost host{sim.ctx};
    LinkEngine engine{sim.ctx};
    LineLog log;
};

TEST_P(LineLogLatency, IsTheTimeFromWriteToReplyOnTheVirtualClock) {
    Fault f(FaultKind::kExtraDelay, 1);
    f.code = "EE";
    f.skip = 3;
    f.delayMs = 300;
    sim.bus.Faults().Add(f);
    CTrxData(sim.ctx).Run(OP_IO_UPLOAD, 0, 0);
    ASSERT_TRUE(sim.loop.RunUntil(
        [&] { return sim.ctx.trx.currentOp == OP_IDLE && !sim.ctx.trx.InFlight(); }, 20000));
    const LineEntry* sent = nullptr;
    const LineEntry* slowest = nullptr;
    std::int64_t previousAnswerUs = -1;
    for (std::size_t i = 0; i < log.Size(); ++i) {
        const LineEntry& e = log.At(i);
        if (e.event == LineEvent::kSent) {
            sent = &e;
        }
        if (e.outcome != LineOutcome::kAnswered) {
            continue;
        }
        ASSERT_NE(sent, nullptr);
        EXPECT_EQ(e.latencyUs, e.us - sent->us) << LineLog::TextLine(e, 0);
        EXPECT_GT(e.us, previousAnswerUs);
        previousAnswerUs = e.us;
        if (slowest == nullptr || e.latencyUs > slowest->latencyUs) {
            slowest = &e;
        }
    }
    ASSERT_NE(slowest, nullptr);
    // Request and reply of "EE" on the wire: about 50 characters of 11 bits.
    const std::int64_t wireUs = 50LL * 11 * 1000000 / GetParam();
    EXPECT_GE(slowest->latencyUs, 300000);
    EXPECT_LE(slowest->latencyUs, 300000 + wireUs + 20000);
    const LineSummary s = log.Summary(GetParam());
    EXPECT_EQ(s.maxUs, slowest->latencyUs);
    EXPECT_LT(s.p50Us, 20000 + wireUs) << "one slow reply does not move the median";
    EXPECT_LE(s.p50Us, s.p99Us);
    EXPECT_LE(s.p99Us, s.maxUs);
    EXPECT_EQ(s.hint, LineHint::kNone);
}

INSTANTIATE_TEST_SUITE_P(Speeds, LineLogLatency, ::testing::Values(9600, 57600));

struct HintCase {
    const char* name;
    FaultKind kind;
    std::int64_t delayMs;
    int count;
    LineHint hint;
};

constexpr HintCase kHintCases[] = {
    {"Clean", FaultKind::kExtraDelay, 0, 0, LineHint::kNone},
    {"Silence", FaultKind::kNoReply, 0, sim::kUnlimited, LineHint::kSilence},
    {"Checksums", FaultKind::kCorruptChecksum, 0, 3, LineHint::kChecksums},
    // An adapter that holds every reply for 16 ms.
    {"Latency", FaultKind::kExtraDelay, 16, sim::kUnlimited, LineHint::kLatency},
};

class LineLogHints : public LineLogSim, public ::testing::WithParamInterface<HintCase> {};

TEST_P(LineLogHints, NameTheLikelyCause) {
    const HintCase& c = GetParam();
    bus.SetByteTiming(true);
    if (c.count != 0) {
        Fault f(c.kind, c.count);
        f.delayMs = c.delayMs;
        bus.Faults().Add(f);
    }
    trx().Run(OP_IO_UPLOAD, 0, 0);
    loop.Advance(8000);
    EXPECT_EQ(log.Summary(19200).hint, c.hint);
}

INSTANTIATE_TEST_SUITE_P(Hints, LineLogHints, ::testing::ValuesIn(kHintCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LineLogSim, RingKeepsTheNewestEntriesAndTheCountsOfAll) {
    LineLog small(16);
    ctx.lineLog = &small;
    ASSERT_TRUE(Upload());
    ASSERT_GT(small.NextSeq() - 1, 16U);
    EXPECT_EQ(small.Size(), 16U);
    EXPECT_EQ(small.FirstSeq(), small.NextSeq() - 16);
    EXPECT_EQ(small.Find(small.FirstSeq() - 1), nullptr);
    for (std::size_t i = 0; i < small.Size(); ++i) {
        EXPECT_EQ(small.At(i).seq, small.FirstSeq() + i);
    }
    const LineSummary s = small.Summary(19200);
    EXPECT_EQ(static_cast<std::size_t>(s.commands + s.resends + s.polls), bus.Requests().size());
    small.Clear();
    EXPECT_EQ(small.Size(), 0U);
    EXPECT_EQ(small.Summary(19200).commands, 0);
    ctx.lineLog = &log;
}

// The log on its own: what the receiver hands it byte by byte.
TEST(LineLogBytes, ALineWithoutAFrameIsNoiseAndNoiseBeforeAFrameIsCounted) {
    LineLog log(8);
    std::vector<std::string> wire;
    log.SetListener([&](const LineEntry&, std::string_view w) { wire.emplace_back(w); });
    for (char c : std::string("\x01zz\r\n")) {
        log.ReceivedByte(c);
    }
    log.LineEnded(1000);
    ASSERT_EQ(log.Size(), 1U);
    EXPECT_EQ(log.At(0).status, LineStatus::kNoise);
    EXPECT_EQ(log.At(0).outcome, LineOutcome::kDropped);
    for (char c : std::string("#:01EEOK1.0XX\r\n")) {
        log.ReceivedByte(c);
    }
    log.Received(2000, "01EEOK1.0XX", LineStatus::kChecksum, "EE", 1, false);
    log.LineEnded(2000);
    ASSERT_EQ(log.Size(), 2U);
    EXPECT_EQ(log.At(1).Text(), ":01EEOK1.0XX");
    EXPECT_EQ(log.Summary(0).noise, 2);
    ASSERT_EQ(wire.size(), 2U);
    EXPECT_EQ(wire[1], "#:01EEOK1.0XX\r\n") << "the trace shows the line as it came";
    EXPECT_EQ(LineLog::Printable(wire[0]), "\\x01zz\\r\\n");
}

TEST(LineLogBytes, LongTextIsCutInTheRingAndQuotedInCsv) {
    LineLog log(4);
    const std::string frame = ":01 \"" + std::string(100, 'A') + "\"\r\n";
    log.Sent(5000, frame, "EE", 1, 2, false);
    const LineEntry& e = log.At(0);
    EXPECT_TRUE(e.Truncated());
    EXPECT_EQ(e.Text().size(), LineEntry::kTextCapacity);
    EXPECT_EQ(e.bytes, frame.size());
    const std::string csv = LineLog::CsvLine(e, 4000);
    EXPECT_EQ(csv.substr(0, 25), "1.000,sent,1,EE,2,0,\":01 ");
    EXPECT_NE(csv.find("\"\"AAA"), std::string::npos) << csv;
    EXPECT_TRUE(e.Is(LineProblem::kResends));
    EXPECT_FALSE(e.Is(LineProblem::kTimeouts));
}

}  // namespace
}  // namespace tavro::test
