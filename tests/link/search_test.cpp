// The controller search over a range of IDs, against simulated controllers.

#include <gtest/gtest.h>

#include "tests/link/SimLinkFixture.h"

namespace tavro::test {
namespace {

using Bodies = std::vector<std::string>;
using Times = std::vector<std::int64_t>;

class SearchTest : public SimLinkFixture {
  protected:
    SearchTest() {
        ctx.status.frontPhase = kFrontIdSearch;
        ctx.status.controllerId = 0;
    }
    void Search(int first, int last) { trx().Run(OP_SEARCH, first * 256 + last, 0); }
    void AddControllerAt(int id) {
        sim::ControllerOptions options;
        options.id = id;
        sim.AddController(options);
    }
};

TEST_F(SearchTest, ProbesEveryIdInOrderAndListsThoseThatAnswered) {
    AddControllerAt(3);
    Search(1, 5);
    loop.Advance(20000);
    EXPECT_EQ(Commands(), (Bodies{"01 VE", "02 VE", "02 VE", "02 VE", "02 VE", "03 VE", "04 VE",
                                  "04 VE", "04 VE", "04 VE", "05 VE", "05 VE", "05 VE", "05 VE"}));
    ASSERT_EQ(host.foundIds.size(), 1U);
    EXPECT_EQ(host.foundIds[0], (std::vector<int>{1, 3}));
    EXPECT_EQ(FoundIdCaption(1, "%d (Factory default value)"), "1 (Factory default value)");
    EXPECT_EQ(FoundIdCaption(3, "%d (Factory default value)"), "3");
    EXPECT_EQ(ctx.trx.currentOp, OP_IDLE);
    EXPECT_FALSE(host.Has("NotifyFrontDialog(0x0600,0)"));
    EXPECT_FALSE(host.Has("Message(306,!,top)"));
    // Progress before each probe, and a quarter step for every silence.
    EXPECT_TRUE(host.Has("ShowSearchProgress(0,5)"));
    EXPECT_TRUE(host.Has("ShowSearchProgress(5,5)"));
    EXPECT_EQ(host.searchSteps, 12);
}

TEST_F(SearchTest, SilentIdCostsFourTransmissionsASecondApart) {
    AddControllerAt(3);
    Search(1, 3);
    loop.Advance(10000);
    EXPECT_EQ(TimesOf("VE").size(), 6U);
    std::vector<std::int64_t> silent;
    for (const auto& r : bus.Requests("VE", 2)) {
        silent.push_back(r.timeMs);
    }
    EXPECT_EQ(silent, (Times{0, 1000, 2000, 3000}));
    EXPECT_EQ(bus.Requests("VE", 3).front().timeMs, 4000);
}

// A well-formed answer from the probed ID is a controller, whatever it says; a frame from
// another ID or a spoilt one is not.
TEST_F(SearchTest, ControllerWithoutVersionCountsAsFound) {
    sim::ControllerOptions foreign;
    foreign.id = 2;
    foreign.knowsVersion = false;
    sim.AddController(foreign);
    Search(1, 3);
    loop.Advance(20000);
    ASSERT_EQ(host.foundIds.size(), 1U);
    EXPECT_EQ(host.foundIds[0], (std::vector<int>{1, 2}));
    EXPECT_EQ(bus.Requests("VE", 2).size(), 1U);
    EXPECT_EQ(bus.Requests("VE", 3).size(), 4U);
    EXPECT_FALSE(host.Has("Message(306,!,top)"));
    EXPECT_EQ(ctx.trx.currentOp, OP_IDLE);
}

TEST_F(SearchTest, NothingFoundTellsTheDialog) {
    Search(7, 8);
    loop.Advance(10000);
    EXPECT_EQ(TimesOf("VE").size(), 8U);
    EXPECT_TRUE(host.Has("NotifyFrontDialog(0x0600,0)"));
    EXPECT_TRUE(host.foundIds.empty());
}

TEST_F(SearchTest, FirstIdAboveTheLastEndsAtOnce) {
    Search(5, 3);
    loop.Advance(1000);
    EXPECT_TRUE(bus.Log().empty());
    EXPECT_TRUE(host.Has("NotifyFrontDialog(0x0600,0)"));
    EXPECT_EQ(ctx.trx.currentOp, OP_IDLE);
}

TEST_F(SearchTest, GarbledReplyCostsOneResend) {
    sim::Fault f;
    f.kind = sim::FaultKind::kWrongId;
    bus.Faults().Add(f);
    Search(1, 1);
    loop.Advance(1000);
    EXPECT_EQ(Commands(), (Bodies{"01 VE", "01 VE"}));
    ASSERT_EQ(host.foundIds.size(), 1U);
    EXPECT_EQ(host.foundIds[0], (std::vector<int>{1}));
}

TEST_F(SearchTest, CancelStopsTheSearch) {
    Search(10, 20);
    loop.Advance(1500);
    const std::size_t sent = bus.Log().size();
    trx().CancelByUser();
    loop.Advance(20000);
    EXPECT_EQ(bus.Log().size(), sent);
    EXPECT_EQ(ctx.trx.currentOp, OP_IDLE);
    EXPECT_TRUE(host.foundIds.empty());
}

}  // namespace
}  // namespace tavro::test
