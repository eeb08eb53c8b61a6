// The alarm box of the Monitor/Test page against alarms the simulated controller raises.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/Numbers.h"
#include "tests/monitor/page_fixture.h"

namespace tavro::test {
namespace {

using P = CPageDrv;

constexpr int kOverTemperature = 3;

std::size_t CountSince(const std::vector<std::string>& commands, const std::string& command) {
    std::size_t n = 0;
    for (const std::string& c : commands) {
        n += c == command ? 1 : 0;
    }
    return n;
}

// The History view's text for a record whose newest entry is `first` and the rest empty.
std::string HistoryText(int lines, const std::string& first) {
    std::string text;
    for (int i = 1; i <= lines; ++i) {
        text += Format("%d: %s", i, i == 1 ? first.c_str() : " -");
        if (i < lines) {
            text += "\r\n";
        }
    }
    return text;
}

TEST_F(DrivePageTest, ANewAlarmSwitchesTheHistoryViewToTheCurrentAlarm) {
    RunOnPage([&](FakeForm& page, CPageDrv& drive) {
        EXPECT_EQ(page.Text(P::IDC_ALARM_BOX), "No alarm");
        ASSERT_TRUE(page.Click(P::IDC_ALARM_HISTORY));
        EXPECT_TRUE(drive.HistoryView());
        EXPECT_EQ(page.Text(P::IDC_ALARM_BOX), HistoryText(20, " -"));

        const std::size_t mark = Mark();
        h.bus.ControllerAt(0).RaiseAlarm(kOverTemperature);
        ASSERT_TRUE(h.RunUntil([&] { return page.Text(P::IDC_ALARM_BOX) != "No alarm"; }));
        h.Advance(1000);
        EXPECT_FALSE(drive.HistoryView());
        EXPECT_TRUE(page.IsChecked(P::IDC_ALARM_CURRENT));
        EXPECT_FALSE(page.IsChecked(P::IDC_ALARM_HISTORY));
        EXPECT_EQ(page.Text(P::IDC_ALARM_BOX), "Over temperature error");
        EXPECT_EQ(page.GetColours(P::IDC_ALARM_BOX), (ui::Colours{14, 16}));
        EXPECT_EQ(page.GetColours(P::IDC_LAMP_ALARM), (ui::Colours{14, 16}));
        // One read of the record for the one edge.
        EXPECT_EQ(CountSince(CommandsSince(mark), "RE"), 1U);
        EXPECT_FALSE(page.IsEnabled(P::IDC_ALARM_RESET));

        ASSERT_TRUE(page.Click(P::IDC_ALARM_HISTORY));
        EXPECT_EQ(page.Text(P::IDC_ALARM_BOX), HistoryText(20, "Over temperature error"));
    });
}

TEST_F(DrivePageTest, CurrentPressedTwiceOnlyKeepsTheCheckMarks) {
    RunOnPage([&](FakeForm& page, CPageDrv& drive) {
        for (int i = 0; i < 2; ++i) {
            ASSERT_TRUE(page.Click(P::IDC_ALARM_CURRENT));
            EXPECT_FALSE(drive.HistoryView());
            EXPECT_TRUE(page.IsChecked(P::IDC_ALARM_CURRENT)) << i;
            EXPECT_FALSE(page.IsChecked(P::IDC_ALARM_HISTORY)) << i;
            EXPECT_EQ(page.Text(P::IDC_ALARM_BOX), "No alarm");
        }
        // "History" pressed twice stays in the History view.
        for (int i = 0; i < 2; ++i) {
            ASSERT_TRUE(page.Click(P::IDC_ALARM_HISTORY));
            EXPECT_TRUE(page.IsChecked(P::IDC_ALARM_HISTORY)) << i;
            EXPECT_FALSE(page.IsChecked(P::IDC_ALARM_CURRENT)) << i;
            EXPECT_EQ(page.Text(P::IDC_ALARM_BOX), HistoryText(20, " -"));
        }
    });
}

TEST_F(DrivePageTest, CodeWithoutATextShowsUndefinedError) {
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        h.bus.ControllerAt(0).RaiseAlarm(13);
        ASSERT_TRUE(h.RunUntil([&] { return page.Text(P::IDC_ALARM_BOX) != "No alarm"; }));
        h.Advance(1000);
        EXPECT_EQ(page.Text(P::IDC_ALARM_BOX), "Undefined error");
    });
}

TEST_F(DrivePageTest, ResetLockSurvivesStateChangesAndEndsWhenTheAlarmGoes) {
    RunOnPage([&](FakeForm& page, CPageDrv& drive) {
        h.bus.ControllerAt(0).RaiseAlarm(kOverTemperature);
        ASSERT_TRUE(h.RunUntil([&] { return drive.AlarmResetLocked(); }));
        ASSERT_TRUE(Settle());
        h.Advance(500);
        EXPECT_FALSE(page.IsEnabled(P::IDC_ALARM_RESET));
        // An operation's end applies the enable table again; the lock wins.
        ASSERT_TRUE(page.Click(P::IDC_SERVO));
        ASSERT_TRUE(Settle());
        EXPECT_FALSE(page.IsEnabled(P::IDC_ALARM_RESET));

        h.bus.ControllerAt(0).ClearAlarm();
        ASSERT_TRUE(h.RunUntil([&] { return !drive.AlarmResetLocked(); }));
        EXPECT_TRUE(page.IsEnabled(P::IDC_ALARM_RESET));
        EXPECT_EQ(page.Text(P::IDC_ALARM_BOX), "No alarm");
        EXPECT_EQ(page.GetColours(P::IDC_ALARM_BOX), (ui::Colours{12, 16}));

        const std::size_t mark = Mark();
        ASSERT_TRUE(page.Click(P::IDC_ALARM_RESET));
        ASSERT_TRUE(Settle());
        h.Advance(500);
        EXPECT_EQ(CommandsSince(mark), (std::vector<std::string>{"OE 0 0 0", "RE 0", "RE"}));
    });
}

sim::ControllerOptions OldController() {
    sim::ControllerOptions options;
    options.version = "2.40";
    return options;
}

class ShortHistoryTest : public DrivePageTest {
  protected:
    ShortHistoryTest() : DrivePageTest(OldController()) {}
};

TEST_F(ShortHistoryTest, OlderControllerShowsFourHistoryLines) {
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        h.bus.ControllerAt(0).RaiseAlarm(kOverTemperature);
        ASSERT_TRUE(h.RunUntil([&] { return page.Text(P::IDC_ALARM_BOX) != "No alarm"; }));
        h.Advance(1000);
        ASSERT_TRUE(page.Click(P::IDC_ALARM_HISTORY));
        EXPECT_EQ(page.Text(P::IDC_ALARM_BOX), HistoryText(4, "Over temperature error"));
    });
}

}  // namespace
}  // namespace tavro::test
