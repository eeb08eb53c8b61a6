// The pacing of tavro-sim on microsecond deadlines: the bus asks for the exact microsecond
// each character ends, and the scheduler runs every action in deadline order, never early.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "link/Frame.h"
#include "link/PollLoop.h"
#include "link/VirtualLoop.h"
#include "sim/BusScheduler.h"
#include "sim/SimBus.h"

namespace tavro::sim::test {
namespace {

// Time by hand, in microseconds.
class ManualScheduler : public BusScheduler {
  public:
    std::int64_t NowUs() const override { return now; }
    Id At(std::int64_t atUs, std::function<void()> action) override {
        const Id id = next++;
        due[id] = {atUs, std::move(action)};
        asked.push_back(atUs);
        return id;
    }
    void Cancel(Id id) override { due.erase(id); }
    // Runs everything due up to `untilUs`, earliest first.
    void RunUntil(std::int64_t untilUs) {
        for (;;) {
            auto first = due.end();
            for (auto it = due.begin(); it != due.end(); ++it) {
                if (it->second.first <= untilUs &&
                    (first == due.end() || it->second.first < first->second.first)) {
                    first = it;
                }
            }
            if (first == due.end()) {
                break;
            }
            now = first->second.first;
            auto action = std::move(first->second.second);
            due.erase(first);
            action();
        }
        now = untilUs;
    }

    std::int64_t now = 1000000;
    Id next = 1;
    std::map<Id, std::pair<std::int64_t, std::function<void()>>> due;
    std::vector<std::int64_t> asked;
};

std::int64_t Wire(std::size_t characters, int baud) {
    return static_cast<std::int64_t>(
        std::ceil(static_cast<double>(characters) * 11e6 / static_cast<double>(baud)));
}

struct PaceCase {
    const char* name;
    int baud;
};
constexpr PaceCase kPaces[] = {{"Bps9600", 9600}, {"Bps19200", 19200}, {"Bps57600", 57600}};

class PacedBus : public ::testing::TestWithParam<PaceCase> {};

// The reply is at the host exactly when its last character would be: the request's wire
// time, the minimum delay of 1.0 ms and the reply's wire time, to the microsecond.
TEST_P(PacedBus, RepliesEndOnTheMicrosecondOfTheirLastCharacter) {
    const int baud = GetParam().baud;
    VirtualLoop loop;
    ManualScheduler clock;
    SimBus bus(loop);
    ControllerOptions o;
    o.baud = baud;
    bus.AddController(o);
    bus.SetLineSpeed(baud);
    bus.SetScheduler(&clock);
    bus.SetByteTiming(true);
    std::vector<std::pair<std::int64_t, std::string>> received;
    bus.Attach([&](std::string_view bytes) { received.emplace_back(clock.now, bytes); });

    RequestRecord last;
    const std::string request = BuildRequest(1, "VE", last);
    const std::int64_t start = clock.now;
    bus.FromHost(request);
    clock.RunUntil(start + 1000000);
    ASSERT_EQ(received.size(), 1U);
    const std::int64_t expected =
        start + Wire(request.size(), baud) + 1000 + Wire(received[0].second.size(), baud);
    EXPECT_EQ(received[0].first, expected);
    EXPECT_EQ(loop.Pending(), 0U) << "no millisecond timer of the loop was used";
}

INSTANTIATE_TEST_SUITE_P(Sim, PacedBus, ::testing::ValuesIn(kPaces),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PreciseScheduler, RunsInDeadlineOrderNeverBeforeTheDeadline) {
    PollLoop loop;
    PreciseScheduler s(loop);
    ASSERT_TRUE(s.Ready());
    const std::int64_t t0 = s.NowUs();
    const std::int64_t offsets[] = {1500, 300, 2200, 700};
    std::vector<std::int64_t> order;
    std::vector<std::int64_t> lateness;
    for (const std::int64_t off : offsets) {
        s.At(t0 + off, [&, off] {
            order.push_back(off);
            lateness.push_back(s.NowUs() - (t0 + off));
        });
    }
    const BusScheduler::Id cancelled = s.At(t0 + 1000, [&] { order.push_back(-1); });
    s.Cancel(cancelled);
    // One scheduled from inside an action for a deadline already passed runs as well.
    bool innerRan = false;
    s.At(t0 + 300, [&] { s.At(t0, [&] { innerRan = true; }); });
    ASSERT_TRUE(loop.RunUntil([&] { return order.size() == 4 && innerRan; }, 2000));
    EXPECT_EQ(order, (std::vector<std::int64_t>{300, 700, 1500, 2200}));
    for (const std::int64_t late : lateness) {
        EXPECT_GE(late, 0);
    }
    loop.RunFor(5);
    EXPECT_EQ(order.size(), 4U) << "the cancelled action never ran";
}

}  // namespace
}  // namespace tavro::sim::test
