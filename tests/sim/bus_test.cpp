#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "link/Frame.h"
#include "tests/sim/BusFixture.h"

namespace tavro::sim::test {
namespace {

ControllerOptions WithId(int id, std::string version = "2.60") {
    ControllerOptions o;
    o.id = id;
    o.version = std::move(version);
    return o;
}

using Bus = BusFixture;

TEST_F(Bus, OnlyTheAddressedControllerAnswers) {
    bus.AddController(WithId(1));
    bus.AddController(WithId(3, "2.51"));
    EXPECT_EQ(Ask(1, "VE")->data, "2.60");
    EXPECT_FALSE(Ask(2, "VE").has_value());
    const auto three = Ask(3, "VE");
    ASSERT_TRUE(three.has_value());
    EXPECT_EQ(three->controllerId, 3);
    EXPECT_EQ(three->data, "2.51");
    EXPECT_EQ(bus.Requests("VE").size(), 3U);
    EXPECT_EQ(bus.Replies("VE").size(), 2U);
    EXPECT_EQ(bus.Controller(3)->Options().version, "2.51");
    EXPECT_EQ(bus.Controller(2), nullptr);
}

TEST_F(Bus, TwoControllersWithOneIdGarbleTheirReplies) {
    bus.AddController(WithId(4, "2.60"));
    bus.AddController(WithId(4, "2.71"));
    const auto reply = Ask(4, "VE");
    ASSERT_TRUE(reply.has_value());
    EXPECT_FALSE(checked);
}

TEST_F(Bus, RequestWithABadChecksumGetsNoReplyButIsLogged) {
    bus.AddController(WithId(1));
    bus.FromHost(":01 VEE5\r\n");
    loop.Advance(100);
    EXPECT_TRUE(received.empty());
    ASSERT_EQ(bus.Log().size(), 1U);
    EXPECT_FALSE(bus.Log()[0].checksumOk);
    EXPECT_EQ(bus.Log()[0].command, "VE");
}

TEST_F(Bus, LowercaseHexInTheRequestIsAccepted) {
    bus.AddController(WithId(0xAB));
    const std::string body = "ab VE";
    char sum[3];
    std::snprintf(sum, sizeof sum, "%02x", static_cast<unsigned>(Checksum(body)));
    bus.FromHost(":" + body + sum + "\r\n");
    loop.RunDue();
    EXPECT_EQ(replies.size(), 1U);
}

using namespace std::string_view_literals;

constexpr std::string_view kGarbage[] = {
    ""sv,
    "\r\n"sv,
    ":"sv,
    ":\r\n"sv,
    ":0\r\n"sv,
    ":01\r\n"sv,
    ":01 \r\n"sv,
    ":01VEE4\r\n"sv,
    ":GG VE00\r\n"sv,
    ":01 VEE4\n"sv,
    ":01 VEE4\rX\n"sv,
    "\x00\x01\x02\xFF\xFE:"sv,
    "::::::::::\r\n\r\n"sv,
    ":01 \xFF\xFE\xFD\xFC\r\n"sv,
};

// Bytes that are no request: nothing is answered, and the line keeps working.
class Garbage : public Bus, public ::testing::WithParamInterface<std::string_view> {};

TEST_P(Garbage, IsIgnoredAndTheNextRequestIsAnswered) {
    bus.AddController(WithId(1));
    bus.FromHost(GetParam());
    loop.Advance(10);
    EXPECT_TRUE(replies.empty());
    EXPECT_EQ(Ask(1, "VE")->data, "2.60");
}

INSTANTIATE_TEST_SUITE_P(Sim, Garbage, ::testing::ValuesIn(kGarbage));

TEST_F(Bus, WellFramedNonsenseIsAnsweredNg) {
    bus.AddController(WithId(1));
    for (const char* command : {"", " ", "V", "\x01\x02", "EE 0 0 \xFF", "OE 99999999999 1 1"}) {
        const auto reply = Ask(1, command);
        ASSERT_TRUE(reply.has_value()) << command;
        EXPECT_EQ(reply->status, "NG");
        EXPECT_EQ(reply->checksum, static_cast<int>(Checksum(reply->body)));
    }
}

TEST_F(Bus, OverlongLineIsDroppedWithoutStallingTheLine) {
    bus.AddController(WithId(1));
    bus.FromHost(":01 " + std::string(100000, 'E') + "\r\n");
    loop.Advance(10);
    EXPECT_TRUE(replies.empty());
    EXPECT_EQ(Ask(1, "VE")->data, "2.60");
}

TEST_F(Bus, RandomBytesNeverStopTheController) {
    bus.AddController(WithId(1));
    std::mt19937 rng(20261209);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> pick(0, 9);
    for (int round = 0; round < 300; ++round) {
        std::string chunk;
        for (int i = 0; i < 40; ++i) {
            // Frame characters come often enough to build half-frames and false starts.
            const int k = pick(rng);
            chunk += k == 0 ? ':' : k == 1 ? '\r' : k == 2 ? '\n' : static_cast<char>(byte(rng));
        }
        bus.FromHost(chunk);
        loop.Advance(1);
    }
    EXPECT_EQ(Ask(1, "VE")->data, "2.60");
}

// When the reply to "VE" arrives at one line speed.
struct TimingCase {
    const char* name;
    int baud;
    std::int64_t replyAtMs;  // "VE" to ID 1: 10 characters out, 15 back, 1.0 ms delay
};

constexpr TimingCase kTimings[] = {
    {"At2400", 2400, 116}, {"At9600", 9600, 30},  {"At19200", 19200, 16},
    {"At38400", 38400, 9}, {"At57600", 57600, 6},
};

// Transfer times follow the line speed.
class ByteTiming : public Bus, public ::testing::WithParamInterface<TimingCase> {};

TEST_P(ByteTiming, CostsElevenBitsPerCharacterEachWayPlusTheMinimumDelay) {
    const TimingCase& t = GetParam();
    ControllerOptions o;
    o.baud = t.baud;
    bus.AddController(o);
    bus.SetLineSpeed(t.baud);
    bus.SetByteTiming(true);
    Send(1, "VE");
    loop.Advance(t.replyAtMs - 1);
    EXPECT_TRUE(replies.empty());
    loop.Advance(1);
    EXPECT_EQ(replies.size(), 1U);
    ASSERT_EQ(bus.Log().size(), 2U);
    EXPECT_EQ(bus.Log()[1].timeMs, t.replyAtMs);
}

INSTANTIATE_TEST_SUITE_P(Sim, ByteTiming, ::testing::ValuesIn(kTimings),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Bus, WithoutByteTimingRepliesComeBackAtOnce) {
    bus.AddController(WithId(1));
    bus.SetLineSpeed(2400);
    bus.SetSpeedCheck(false);
    Send(1, "VE");
    loop.RunDue();
    EXPECT_EQ(replies.size(), 1U);
    EXPECT_EQ(loop.NowMs(), 0);
}

TEST_F(Bus, MinimumDelayFollowsParameter24) {
    bus.AddController(WithId(1));
    bus.SetByteTiming(true);
    ASSERT_EQ(Ask(1, "EE 0 24 10.20000")->status, "OK");
    const std::int64_t start = loop.NowMs();
    Send(1, "VE");
    loop.RunUntil([this] { return replies.size() == 2; }, 1000);
    // 5.73 ms out, 10.2 ms delay, 8.59 ms back.
    EXPECT_EQ(loop.NowMs() - start, 25);
}

TEST_F(Bus, RequestsWrittenBackToBackQueueOnTheWire) {
    bus.AddController(WithId(1));
    bus.SetByteTiming(true);
    Send(1, "VE");
    Send(1, "VE");
    loop.Advance(100);
    const auto requests = bus.Requests("VE", 1);
    ASSERT_EQ(requests.size(), 2U);
    EXPECT_EQ(requests[0].timeMs, 6);   // 5.73 ms
    EXPECT_EQ(requests[1].timeMs, 12);  // 11.46 ms
}

TEST_F(Bus, LogTellsWhenEachRequestArrived) {
    bus.AddController(WithId(1));
    for (int i = 0; i < 4; ++i) {
        Send(2, "VE");
        loop.Advance(1000);
    }
    Send(1, "MO");
    loop.RunDue();
    const auto probes = bus.Requests("VE", 2);
    ASSERT_EQ(probes.size(), 4U);
    for (std::size_t i = 0; i < probes.size(); ++i) {
        EXPECT_EQ(probes[i].timeMs, static_cast<std::int64_t>(i) * 1000);
        EXPECT_EQ(probes[i].text, "02 VEE3");
    }
    ASSERT_EQ(bus.Replies("MO").size(), 1U);
    EXPECT_EQ(bus.Replies("MO")[0].id, 1);
    bus.ClearLog();
    EXPECT_TRUE(bus.Log().empty());
}

TEST_F(Bus, LogLimitDropsTheOldestRecords) {
    bus.AddController(WithId(1));
    bus.SetLogLimit(3);
    std::size_t seen = 0;
    bus.SetLogSink([&seen](const LineRecord&) { ++seen; });
    for (int i = 0; i < 5; ++i) {
        Ask(1, "EE 0 " + std::to_string(i));
    }
    EXPECT_EQ(seen, 10U);
    ASSERT_EQ(bus.Log().size(), 3U);
    EXPECT_EQ(bus.Log().back().direction, Direction::kReply);
    EXPECT_EQ(bus.Log().front().direction, Direction::kReply);
}

TEST_F(Bus, SecondHostCannotAttach) {
    EXPECT_FALSE(bus.Attach([](std::string_view) {}));
    bus.Detach();
    EXPECT_TRUE(bus.Attach([](std::string_view) {}));
}

}  // namespace
}  // namespace tavro::sim::test
