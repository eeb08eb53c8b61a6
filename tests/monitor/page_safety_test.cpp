// The Monitor/Test page's guards against a second motion and against stale displays: what
// stays disabled while the link is busy, what the page does not send over a running
// operation, leaving through the window's menu, inching distances and the values after a
// link-state change.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/FaultPlan.h"
#include "tests/monitor/page_fixture.h"

namespace tavro::test {
namespace {

using P = CPageDrv;
using Commands = std::vector<std::string>;

constexpr int kPasswordTemplate = 203;
constexpr int kPasswordCancel = 1952;

void Late(AppHarness& h, const char* code, std::int64_t ms) {
    sim::Fault f(sim::FaultKind::kExtraDelay, sim::kUnlimited);
    f.code = code;
    f.delayMs = ms;
    h.bus.Faults().Add(f);
}

TEST_F(DrivePageTest, OperationStartStaysDisabledWhileASingleStepRuns) {
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        Home(page);
        ASSERT_TRUE(page.Choose(P::IDC_STEP_CHOICE, 1));
        ASSERT_TRUE(page.Click(P::IDC_STEP_START));
        // The start is answered and the step runs until it is stopped.
        ASSERT_TRUE(h.RunUntil([&] { return h.ctx.trx.currentOp == OP_IDLE; }, 2000));
        h.Advance(300);
        EXPECT_EQ(h.ctx.status.linkState, kLinkBusy);
        EXPECT_FALSE(page.IsEnabled(P::IDC_CONT_START));
        EXPECT_TRUE(page.IsEnabled(P::IDC_STEP_STOP));
        ASSERT_TRUE(page.Click(P::IDC_STEP_STOP));
        ASSERT_TRUE(Settle());
        EXPECT_TRUE(page.IsEnabled(P::IDC_CONT_START));
    });
}

TEST_F(DrivePageTest, AlarmResetStaysDisabledWhileTheLinkIsBusy) {
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        Home(page);
        const std::size_t alarmMark = Mark();
        h.bus.ControllerAt(0).RaiseAlarm(4);
        ASSERT_TRUE(h.RunUntil([&] { return TimeOf("RE", alarmMark) >= 0; }, 2000));
        ASSERT_TRUE(Settle());
        // A single step keeps the link busy until it is stopped.
        ASSERT_TRUE(page.Choose(P::IDC_STEP_CHOICE, 1));
        ASSERT_TRUE(page.Click(P::IDC_STEP_START));
        h.Advance(500);
        ASSERT_EQ(h.ctx.status.linkState, kLinkBusy);
        // The alarm goes away while it waits: the reset is unlocked but not usable yet.
        h.bus.ControllerAt(0).ClearAlarm();
        h.Advance(500);
        EXPECT_FALSE(page.IsEnabled(P::IDC_ALARM_RESET));
        const std::size_t mark = Mark();
        EXPECT_FALSE(page.Click(P::IDC_ALARM_RESET));
        h.Advance(200);
        EXPECT_TRUE(CommandsSince(mark).empty());
    });
}

TEST_F(DrivePageTest, JogReleasedDuringTheAlarmReadSendsNothingOverIt) {
    RunOnPage([&](FakeForm& page, CPageDrv& drive) {
        Home(page);
        Late(h, "RE", 300);
        const std::size_t mark = Mark();
        ASSERT_TRUE(page.MouseDown(P::IDC_JOG_OPPOSITE));
        h.Advance(300);
        h.bus.ControllerAt(0).RaiseAlarm(4);
        ASSERT_TRUE(h.RunUntil([&] { return TimeOf("RE", mark) >= 0; }, 2000));
        ASSERT_EQ(h.ctx.trx.currentOp, OP_ALARM);
        page.MouseUp(P::IDC_JOG_OPPOSITE);
        h.Advance(2000);
        EXPECT_EQ(CommandsSince(mark),
                  (Commands{"EE 19 2 10.00000", "OE 17 1 1", "OE 0 0 0", "RE"}));
        EXPECT_EQ(drive.JogDirection(), 0);
        // The alarm read ran to its end and showed the alarm.
        EXPECT_EQ(h.ctx.status.linkState, kLinkOnline);
        ASSERT_FALSE(h.ctx.monitor.alarmCodes.empty());
        EXPECT_EQ(h.ctx.monitor.alarmCodes.front(), 4);
    });
}

// The window's menu during a jog (the link is idle while the table moves): the stop goes out
// while the password is still being typed.
TEST_F(DrivePageTest, PasswordMenuDuringAJogStopsIt) {
    std::int64_t chosenAt = -1;
    h.OnModal(kPasswordTemplate, [&](FakeForm& form) {
        h.Advance(1500);  // the user types
        form.Click(kPasswordCancel);
    });
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        Home(page);
        const std::size_t mark = Mark();
        ASSERT_TRUE(page.MouseDown(P::IDC_JOG_OPPOSITE));
        h.Advance(300);
        chosenAt = h.loop.NowMs();
        ASSERT_TRUE(mainForm->ChooseSystemCommand(CMain::kMenuPassword));
        const std::int64_t stop = TimeOf("OE 0 0 0", mark);
        ASSERT_GE(stop, 0);
        EXPECT_LE(stop - chosenAt, 600);
        page.MouseUp(P::IDC_JOG_OPPOSITE);
        h.Advance(1000);
        EXPECT_EQ(CommandsSince(mark), (Commands{"EE 19 2 10.00000", "OE 17 1 1", "OE 0 0 0"}));
        EXPECT_FALSE(h.bus.ControllerAt(0).Moving());
    });
}

// Without a motion, leaving for the I/O page before its parameters were read sends no stop and
// lets the page read them.
TEST_F(DrivePageTest, LeavingIdleForTheFirstIoUploadSendsNoStop) {
    RunOnPage([&](FakeForm&, CPageDrv&) {
        const std::size_t mark = Mark();
        mainForm->Choose(CMain::IDC_TABS, kPageIo);
        ASSERT_TRUE(Settle());
        h.Advance(1000);
        const Commands commands = CommandsSince(mark);
        ASSERT_FALSE(commands.empty());
        // The upload's own stop comes first; there is no second one before it.
        EXPECT_EQ(commands[0], "OE 0 0 0");
        EXPECT_NE(commands[1], "OE 0 0 0");
        EXPECT_NE(h.ctx.status.flags & kFlagDetailRead, 0);
    });
}

// Leaving the page asks for exactly one stop.
TEST_F(DrivePageTest, LeavingThePageSendsOneStop) {
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        Home(page);
        const std::size_t mark = Mark();
        ASSERT_TRUE(page.Click(P::IDC_INCH_OPPOSITE));
        mainForm->Choose(CMain::IDC_TABS, kPageStep);
        ASSERT_TRUE(Settle());
        h.Advance(1000);
        EXPECT_EQ(CommandsSince(mark), (Commands{"OE 19 1 0", "OE 0 0 0"}));
        EXPECT_FALSE(h.bus.ControllerAt(0).Moving());
    });
}

// Distances go to the nearest micrometre before they are snapped to the series step (30 µm
// on the standard series), whether typed, spun or sent.
TEST_F(DrivePageTest, InchingDistanceIsRoundedToTheMicrometreFirst) {
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        ASSERT_TRUE(page.TypeAndLeave(P::IDC_INCHING_DISTANCE, "2.01"));
        EXPECT_EQ(page.Text(P::IDC_INCHING_DISTANCE), "2.010");
        page.Spin(P::IDC_INCHING_SPIN, true);
        EXPECT_EQ(page.Text(P::IDC_INCHING_DISTANCE), "2.040");
        page.Spin(P::IDC_INCHING_SPIN, true);
        EXPECT_EQ(page.Text(P::IDC_INCHING_DISTANCE), "2.070");
        page.Spin(P::IDC_INCHING_SPIN, false);
        EXPECT_EQ(page.Text(P::IDC_INCHING_DISTANCE), "2.040");
        Home(page);
        ASSERT_TRUE(page.TypeAndLeave(P::IDC_INCHING_DISTANCE, "2.01"));
        const std::size_t mark = Mark();
        ASSERT_TRUE(page.Click(P::IDC_INCH_OPPOSITE));
        ASSERT_TRUE(Settle());
        ASSERT_GE(CommandsSince(mark).size(), 2U);
        EXPECT_EQ(CommandsSince(mark)[1], "EE 21 0 2010.00000");
    });
}

// After the link went offline and came back, the values are drawn again at once, although the
// controller reports the same values as before.
TEST_F(DrivePageTest, ValuesAreRedrawnAfterTheLinkStateChanges) {
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        Home(page);
        h.Advance(500);
        const std::string shown = page.Text(1731);
        ASSERT_NE(shown, "-");
        // The controller falls silent: message 306 and offline.
        sim::Fault silent(sim::FaultKind::kNoReply, 4);
        silent.code = "OE";
        h.bus.Faults().Add(silent);
        ASSERT_TRUE(page.Click(P::IDC_SERVO));
        ASSERT_TRUE(h.RunUntil([&] { return h.ctx.status.linkState == kLinkNoController; }, 10000));
        EXPECT_EQ(page.Text(1731), "-");
        // Back online with the same values as before the silence.
        h.ctx.Host().SetLinkState(kLinkOnline);
        EXPECT_EQ(page.Text(1731), shown);
    });
}

// On a slow line a continuous run with the shortest operating time still releases DRIVE
// between one step and the next.
class SlowLinePageTest : public DrivePageTest {
  protected:
    static sim::ControllerOptions At9600() {
        sim::ControllerOptions o;
        o.baud = 9600;
        return o;
    }
    SlowLinePageTest() : DrivePageTest(At9600()) {
        h.WriteSettings(AppSettings().Auto(1).SearchAuto(1).Speed(9600));
        h.bus.SetByteTiming(true);
    }
};

TEST_F(SlowLinePageTest, ShortestOperatingTimeKeepsTheDriveRelease) {
    RunOnPage([&](FakeForm& page, CPageDrv& drive) {
        Home(page);
        ASSERT_TRUE(page.Click(P::IDC_TIME_TRANSITION));
        for (int r = 0; r < 3; ++r) {
            ASSERT_TRUE(page.ClickCell(P::IDC_TABLE, r, 2));
            ASSERT_TRUE(page.Choose(P::IDC_ROW_CHOICE, r < 2 ? r + 2 : 0));
            if (r < 2) {
                ASSERT_TRUE(page.TypeText(P::IDC_ROW_TIME, "0.05"));
            }
        }
        if (page.ListIsRowChecked(P::IDC_TABLE, 0)) {
            ASSERT_TRUE(page.ToggleRowCheck(P::IDC_TABLE, 0));
        }
        ASSERT_TRUE(page.ClickCell(P::IDC_TABLE, 0, 2));
        const std::size_t mark = Mark();
        ASSERT_TRUE(page.Click(P::IDC_CONT_START));
        ASSERT_TRUE(h.RunUntil(
            [&] { return !drive.ContinuousRunning() && h.ctx.status.linkState == kLinkOnline; },
            10000));
        EXPECT_EQ(CommandsSince(mark),
                  (Commands{"OE 1 1 1", "OE 1 1 0", "OE 2 1 1", "OE 2 1 0", "OE 0 0 0"}));
        EXPECT_TRUE(h.prompter.Shown().empty());
    });
}

}  // namespace
}  // namespace tavro::test
