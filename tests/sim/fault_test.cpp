#include <gtest/gtest.h>

#include <string>

#include "link/Frame.h"
#include "tests/sim/BusFixture.h"

namespace tavro::sim::test {
namespace {

// One factory controller at ID 1 and a plan of faults.
class Faults : public BusFixture {
  protected:
    Faults() { bus.AddController(ControllerOptions{}); }

    SimController& Controller() { return bus.ControllerAt(0); }
};

// What one fault of a kind does to a write.
struct KindCase {
    const char* name;
    FaultKind kind;
    bool replies;      // a reply arrives within 100 ms
    bool passesCheck;  // it passes the engine's check
    const char* status;
    bool executed;  // the write took effect
};

constexpr KindCase kKinds[] = {
    {"NoReply", FaultKind::kNoReply, false, false, "", false},
    {"LostReply", FaultKind::kLostReply, false, false, "", true},
    {"CorruptChecksum", FaultKind::kCorruptChecksum, true, false, "OK", true},
    {"WrongId", FaultKind::kWrongId, true, false, "OK", true},
    {"WrongCode", FaultKind::kWrongCode, true, false, "OK", true},
    {"Ng", FaultKind::kNg, true, true, "NG", false},
    {"Noise", FaultKind::kNoise, true, true, "OK", true},
    {"LateDuplicate", FaultKind::kLateDuplicate, true, true, "OK", true},
};

// One fault of each kind.
class EachKind : public Faults, public ::testing::WithParamInterface<KindCase> {};

TEST_P(EachKind, DamagesOneExchangeAsNamed) {
    const KindCase& k = GetParam();
    const FaultPlan::Handle h = bus.Faults().Add(Fault{k.kind});
    const auto reply = Ask(1, "EE 3 0 777.00000");
    EXPECT_EQ(reply.has_value(), k.replies);
    if (reply) {
        EXPECT_EQ(checked, k.passesCheck);
        EXPECT_EQ(reply->status, k.status);
    }
    EXPECT_EQ(Controller().Parameter(3, 0) == 777.0F, k.executed);
    EXPECT_EQ(bus.Faults().Injected(h), 1);
    // One injection only: the next exchange is clean.
    const auto clean = Ask(1, "VE");
    ASSERT_TRUE(clean.has_value());
    if (k.kind != FaultKind::kLateDuplicate) {
        EXPECT_TRUE(checked);
        EXPECT_EQ(clean->data, "2.60");
    }
    EXPECT_EQ(bus.Faults().Injected(h), 1);
}

INSTANTIATE_TEST_SUITE_P(Sim, EachKind, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Faults, WrongCodeNeverEchoesTheMonitorCode) {
    bus.Faults().Add(Fault{FaultKind::kWrongCode, kUnlimited});
    for (const char* command : {"VE", "MO", "EE 0 0", "OE 0 0 0", "RE"}) {
        const auto reply = Ask(1, command);
        ASSERT_TRUE(reply.has_value());
        EXPECT_NE(reply->code, std::string(command).substr(0, 2));
        EXPECT_NE(reply->code, "MO");
    }
}

TEST_F(Faults, NoiseComesBeforeTheFrame) {
    bus.Faults().Add(Fault{FaultKind::kNoise});
    const auto reply = Ask(1, "VE");
    ASSERT_TRUE(reply.has_value());
    EXPECT_NE(received.find(':'), 0U);
    EXPECT_EQ(received.substr(received.find(':')), ":01VEOK2.60A4\r\n");
}

TEST_F(Faults, LateDuplicateArrivesAfterTheGap) {
    Fault f{FaultKind::kLateDuplicate};
    f.delayMs = 300;
    bus.Faults().Add(f);
    Send(1, "VE");
    loop.Advance(299);
    EXPECT_EQ(replies.size(), 1U);
    loop.Advance(1);
    ASSERT_EQ(replies.size(), 2U);
    EXPECT_EQ(replies[0], replies[1]);
}

TEST_F(Faults, ExtraDelayHoldsTheReplyBack) {
    Fault f{FaultKind::kExtraDelay};
    f.delayMs = 1500;
    bus.Faults().Add(f);
    Send(1, "VE");
    loop.Advance(1499);
    EXPECT_TRUE(replies.empty());
    loop.Advance(1);
    EXPECT_EQ(replies.size(), 1U);
}

TEST_F(Faults, CountAndMatchSelectTheRequests) {
    ControllerOptions two;
    two.id = 2;
    bus.AddController(two);
    Fault f{FaultKind::kNoReply, 3};
    f.code = "VE";
    f.id = 2;
    const FaultPlan::Handle h = bus.Faults().Add(f);
    EXPECT_TRUE(Ask(1, "VE").has_value()) << "other ID";
    EXPECT_TRUE(Ask(2, "MO").has_value()) << "other command";
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(Ask(2, "VE").has_value()) << i;
    }
    EXPECT_TRUE(Ask(2, "VE").has_value());
    EXPECT_EQ(bus.Faults().Injected(h), 3);
    EXPECT_EQ(bus.Faults().Matched(h), 4);
    EXPECT_EQ(bus.Faults().Remaining(h), 0);
    EXPECT_EQ(bus.Faults().TotalInjected(FaultKind::kNoReply), 3);
    const auto probes = bus.Requests("VE", 2);
    ASSERT_EQ(probes.size(), 4U);
    EXPECT_EQ(probes[0].faults, std::vector<FaultKind>{FaultKind::kNoReply});
    EXPECT_TRUE(probes[3].faults.empty());
}

TEST_F(Faults, SkipAndEveryMakeAReproduciblePattern) {
    Fault f{FaultKind::kCorruptChecksum, kUnlimited};
    f.skip = 2;
    f.every = 3;
    bus.Faults().Add(f);
    std::string pattern;
    for (int i = 0; i < 10; ++i) {
        Ask(1, "MO");
        pattern += checked ? '.' : 'x';
    }
    EXPECT_EQ(pattern, "..x..x..x.");
}

TEST_F(Faults, RequestsNobodyAnswersAreNotCounted) {
    const FaultPlan::Handle h = bus.Faults().Add(Fault{FaultKind::kNoReply});
    EXPECT_FALSE(Ask(9, "VE").has_value());
    EXPECT_EQ(bus.Faults().Matched(h), 0);
    EXPECT_FALSE(Ask(1, "VE").has_value());
    EXPECT_EQ(bus.Faults().Injected(h), 1);
}

TEST_F(Faults, CombinedFaultsApplyTogether) {
    Fault delay{FaultKind::kExtraDelay};
    delay.delayMs = 200;
    bus.Faults().Add(delay);
    bus.Faults().Add(Fault{FaultKind::kWrongId});
    Send(1, "VE");
    loop.Advance(199);
    EXPECT_TRUE(replies.empty());
    loop.Advance(1);
    ASSERT_EQ(replies.size(), 1U);
    EXPECT_EQ(replies[0].substr(0, 2), "02");
    const auto logged = bus.Replies();
    ASSERT_EQ(logged.size(), 1U);
    EXPECT_EQ(logged[0].faults,
              (std::vector<FaultKind>{FaultKind::kWrongId, FaultKind::kExtraDelay}));
}

TEST_F(Faults, ChancesHitTheirShareAndNeverTheSameRequest) {
    constexpr FaultKind kChanceKinds[] = {FaultKind::kLostReply, FaultKind::kCorruptChecksum,
                                          FaultKind::kWrongId};
    std::vector<FaultPlan::Handle> handles;
    for (FaultKind kind : kChanceKinds) {
        Fault f{kind, kUnlimited};
        f.chance = 10.0;
        handles.push_back(bus.Faults().Add(f));
    }
    constexpr int kRequests = 3000;
    for (int i = 0; i < kRequests; ++i) {
        Ask(1, "MO");
    }
    for (FaultPlan::Handle h : handles) {
        EXPECT_EQ(bus.Faults().Matched(h), kRequests);
        EXPECT_GT(bus.Faults().Injected(h), kRequests / 10 - 90);
        EXPECT_LT(bus.Faults().Injected(h), kRequests / 10 + 90);
    }
    EXPECT_EQ(bus.Faults().Requests(), kRequests);
    for (const auto& r : bus.Requests("MO")) {
        EXPECT_LE(r.faults.size(), 1U);
    }
}

TEST_F(Faults, ChancesRepeatFromTheSameStart) {
    auto pattern = [this](std::uint64_t start) {
        bus.Faults().Clear();
        bus.Faults().StartDraws(start);
        Fault f{FaultKind::kCorruptChecksum, kUnlimited};
        f.chance = 30.0;
        bus.Faults().Add(f);
        std::string out;
        for (int i = 0; i < 40; ++i) {
            Ask(1, "MO");
            out += checked ? '.' : 'x';
        }
        return out;
    };
    const std::string first = pattern(7);
    EXPECT_NE(first.find('x'), std::string::npos);
    EXPECT_EQ(pattern(7), first);
    EXPECT_NE(pattern(8), first);
}

// A chance on the command line: a percentage above 0 and at most 100.
struct ChanceCase {
    const char* text;
    bool valid;
    double chance;
};

constexpr ChanceCase kChances[] = {
    {"lost-reply:*,chance=1", true, 1.0}, {"delay:*,chance=0.5,ms=300", true, 0.5},
    {"noise,chance=100", true, 100.0},    {"noise,chance=0", false, 0.0},
    {"noise,chance=100.5", false, 0.0},   {"noise,chance=-1", false, 0.0},
    {"noise,chance=1%", false, 0.0},      {"noise,chance=", false, 0.0},
};

TEST(FaultChance, ParsesOrSaysWhy) {
    for (const ChanceCase& c : kChances) {
        std::string error;
        const auto f = ParseFault(c.text, error);
        ASSERT_EQ(f.has_value(), c.valid) << c.text << ": " << error;
        if (f) {
            EXPECT_DOUBLE_EQ(f->chance, c.chance) << c.text;
        }
    }
}

// A fault as text and what it parses to.
struct ParseCase {
    const char* name;
    const char* text;
    bool valid;
    FaultKind kind;
    int count;
    const char* code;
    int id;
    std::int64_t delayMs;
};

constexpr ParseCase kParses[] = {
    {"KindOnly", "no-reply", true, FaultKind::kNoReply, 1, "", 0, 50},
    {"CountAndMatch", "no-reply:3,code=VE,id=2", true, FaultKind::kNoReply, 3, "VE", 2, 50},
    {"Unlimited", "checksum:*", true, FaultKind::kCorruptChecksum, kUnlimited, "", 0, 50},
    {"Delay", "delay:2,ms=1500", true, FaultKind::kExtraDelay, 2, "", 0, 1500},
    {"Duplicate", "duplicate,ms=20", true, FaultKind::kLateDuplicate, 1, "", 0, 20},
    {"EveryKindName", "wrong-code", true, FaultKind::kWrongCode, 1, "", 0, 50},
    {"UnknownKind", "explode", false, FaultKind::kNoReply, 0, "", 0, 0},
    {"ZeroCount", "ng:0", false, FaultKind::kNoReply, 0, "", 0, 0},
    {"NegativeCount", "ng:-1", false, FaultKind::kNoReply, 0, "", 0, 0},
    {"HugeCount", "ng:99999999999", false, FaultKind::kNoReply, 0, "", 0, 0},
    {"IdOutOfRange", "ng,id=256", false, FaultKind::kNoReply, 0, "", 0, 0},
    {"CodeTooLong", "ng,code=VER", false, FaultKind::kNoReply, 0, "", 0, 0},
    {"UnknownOption", "ng,when=later", false, FaultKind::kNoReply, 0, "", 0, 0},
    {"EmptyOption", "ng,", false, FaultKind::kNoReply, 0, "", 0, 0},
    {"Empty", "", false, FaultKind::kNoReply, 0, "", 0, 0},
};

// Faults written on the command line.
class FaultText : public ::testing::TestWithParam<ParseCase> {};

TEST_P(FaultText, ParsesOrSaysWhy) {
    const ParseCase& c = GetParam();
    std::string error;
    const auto f = ParseFault(c.text, error);
    ASSERT_EQ(f.has_value(), c.valid) << error;
    if (!f) {
        EXPECT_NE(error, "");
        return;
    }
    EXPECT_EQ(f->kind, c.kind);
    EXPECT_EQ(f->count, c.count);
    EXPECT_EQ(f->code, c.code);
    EXPECT_EQ(f->id, c.id);
    EXPECT_EQ(f->delayMs, c.delayMs);
}

INSTANTIATE_TEST_SUITE_P(Sim, FaultText, ::testing::ValuesIn(kParses),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavro::sim::test
