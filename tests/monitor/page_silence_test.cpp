// The Monitor/Test page while the controller does not answer the monitor poll: one lost frame
// changes nothing, a second of silence shows the state as unknown until the next answer, and
// four seconds end with message 306 and the link offline.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/FaultPlan.h"
#include "tests/monitor/page_fixture.h"

namespace tavro::test {
namespace {

using P = CPageDrv;

constexpr int kNoResponse = 306;
constexpr int kPositionValue = 1731;
constexpr int kSvonLamp = 1705;
constexpr ui::Colours kLampOn{13, 16};
constexpr ui::Colours kLampOff{12, 16};

class SilenceTest : public DrivePageTest {
  protected:
    // Polls from now on are heard by nobody, `count` of them.
    void LosePolls(int count) {
        sim::Fault f(sim::FaultKind::kNoReply, count);
        f.code = "MO";
        h.bus.Faults().Add(f);
    }
    // Servo on after a return to origin: a position is shown and the SVON lamp is lit.
    void Ready(FakeForm& page) {
        Home(page);
        h.Advance(500);
        ASSERT_NE(page.Text(kPositionValue), "-");
        ASSERT_EQ(page.GetColours(kSvonLamp), kLampOn);
    }
};

TEST_F(SilenceTest, OneLostPollChangesNothingOnTheDisplay) {
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        Ready(page);
        const std::string shown = page.Text(kPositionValue);
        LosePolls(1);
        for (int i = 0; i < 20; ++i) {
            h.Advance(50);
            ASSERT_EQ(page.Text(kPositionValue), shown);
            ASSERT_EQ(page.GetColours(kSvonLamp), kLampOn);
        }
        EXPECT_EQ(h.bus.Faults().TotalInjected(sim::FaultKind::kNoReply), 1);
        EXPECT_EQ(h.ctx.trx.counters.missedPolls, 1);
    });
}

TEST_F(SilenceTest, ASecondOfSilenceShowsTheStateAsUnknownUntilTheNextAnswer) {
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        Ready(page);
        const std::string shown = page.Text(kPositionValue);
        const std::size_t mark = Mark();
        LosePolls(18);  // about two seconds of polls
        const std::int64_t from = h.loop.NowMs();
        ASSERT_TRUE(h.RunUntil([&] { return page.Text(kPositionValue) == "-"; }, 3000));
        const std::int64_t marked = h.loop.NowMs() - from;
        EXPECT_GE(marked, 1000);
        EXPECT_LE(marked, 1200);
        EXPECT_EQ(page.GetColours(kSvonLamp), kLampOff);
        EXPECT_EQ(page.GetColours(P::IDC_LAMP_ALARM), kLampOff);
        for (const int value : {1730, 1732, 1733, 1734}) {
            EXPECT_EQ(page.Text(value), "-") << value;
        }
        // The next answered poll restores everything at once.
        ASSERT_TRUE(h.RunUntil([&] { return page.Text(kPositionValue) != "-"; }, 3000));
        EXPECT_EQ(page.Text(kPositionValue), shown);
        EXPECT_EQ(page.GetColours(kSvonLamp), kLampOn);
        EXPECT_EQ(h.bus.Faults().TotalInjected(sim::FaultKind::kNoReply), 18);
        EXPECT_EQ(h.prompter.Count(kNoResponse), 0);
        EXPECT_EQ(h.ctx.status.linkState, kLinkOnline);
        EXPECT_TRUE(CommandsSince(mark).empty());
    });
}

TEST_F(SilenceTest, ControllerSilentForGoodEndsWith306AfterFourSeconds) {
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        Ready(page);
        const std::int64_t lastAnswer = h.bus.Replies("MO").back().timeMs;
        LosePolls(sim::kUnlimited);
        ASSERT_TRUE(h.RunUntil([&] { return h.ctx.status.linkState == kLinkNoController; }, 10000));
        const std::int64_t gaveUp = h.loop.NowMs() - lastAnswer;
        EXPECT_GE(gaveUp, 4000);
        EXPECT_LE(gaveUp, 4200);
        EXPECT_EQ(h.prompter.Count(kNoResponse), 1);
        EXPECT_EQ(page.Text(kPositionValue), "-");
        EXPECT_FALSE(page.IsEnabled(P::IDC_SERVO));
        // No poll goes out any more.
        const std::size_t polls = h.bus.Requests("MO").size();
        h.Advance(2000);
        EXPECT_EQ(h.bus.Requests("MO").size(), polls);
    });
}

}  // namespace
}  // namespace tavro::test
