// The Monitor/Test page's manual moves, the mode switch and the help line, on the whole
// program against the simulated controller.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/monitor/page_fixture.h"
#include "ui/Keys.h"

namespace tavro::test {
namespace {

using P = CPageDrv;
using Commands = std::vector<std::string>;

constexpr int IDS_NO_MODEL = 308;
constexpr int IDS_NO_ORIGIN = 309;
constexpr int IDS_MODE_QUESTION = 712;

TEST_F(DrivePageTest, JogBeforeAnyReturnToOriginShows309AndSendsNothing) {
    RunOnPage([&](FakeForm& page, CPageDrv& drive) {
        const std::size_t mark = Mark();
        EXPECT_TRUE(page.MouseDown(P::IDC_JOG_CONNECTOR));
        page.MouseUp(P::IDC_JOG_CONNECTOR);
        h.Advance(1000);
        EXPECT_EQ(h.prompter.ShownIds(), std::vector<int>{IDS_NO_ORIGIN});
        EXPECT_TRUE(CommandsSince(mark).empty());
        EXPECT_FALSE(page.IsChecked(P::IDC_JOG_CONNECTOR));
        EXPECT_EQ(drive.JogDirection(), 0);
        EXPECT_EQ(page.FocusedControl(), P::IDC_ORIGIN);

        // Inching asks for the same and sends nothing either.
        EXPECT_TRUE(page.Click(P::IDC_INCH_OPPOSITE));
        h.Advance(1000);
        EXPECT_EQ(h.prompter.Count(IDS_NO_ORIGIN), 2);
        EXPECT_TRUE(CommandsSince(mark).empty());
        EXPECT_FALSE(page.IsChecked(P::IDC_INCH_OPPOSITE));
    });
}

TEST_F(DrivePageTest, ReturnToOriginLeavesOnlyTheServoButtonUsableUntilDone) {
    RunOnPage([&](FakeForm& page, CPageDrv& drive) {
        const std::size_t mark = Mark();
        ASSERT_TRUE(page.Click(P::IDC_ORIGIN));
        EXPECT_EQ(drive.OriginCaptionState(), 1);
        EXPECT_EQ(page.Text(P::IDC_ORIGIN), "RETR");
        EXPECT_EQ(h.ctx.status.linkState, kLinkBusy);
        EXPECT_TRUE(page.IsEnabled(P::IDC_SERVO));
        EXPECT_EQ(page.GetColours(P::IDC_MODE_SWITCH), (ui::Colours{12, 2}));
        for (const int id : {P::IDC_ORIGIN, P::IDC_JOG_CONNECTOR, P::IDC_STEP_STOP, P::IDC_CONT_END,
                             P::IDC_MODE_SWITCH}) {
            EXPECT_FALSE(page.IsEnabled(id)) << id;
        }
        ASSERT_TRUE(Settle());
        EXPECT_EQ(CommandsSince(mark), (Commands{"OE 0 1 1", "OE 0 1 0"}));
        EXPECT_NE(h.ctx.status.flags & kFlagOriginDone, 0);
        EXPECT_EQ(page.GetColours(P::IDC_MODE_SWITCH), (ui::Colours{15, 2}));
        EXPECT_EQ(drive.ServoDisplay(), 1);
        EXPECT_EQ(page.Text(P::IDC_SERVO), "Servo On");
        EXPECT_TRUE(page.IsEnabled(P::IDC_JOG_CONNECTOR));
        // The position is shown once the origin is known.
        EXPECT_NE(page.Text(1731), "-");
    });
}

TEST_F(DrivePageTest, ServoButtonSwitchesAndShowsItsState) {
    RunOnPage([&](FakeForm& page, CPageDrv& drive) {
        const std::size_t mark = Mark();
        page.MoveMouse(P::IDC_SERVO);
        EXPECT_EQ(page.Text(P::IDC_HELP_MOUSE)
                      .rfind("When this command button is clicked, the "
                             "Tavro Motor is energized",
                             0),
                  0U);
        ASSERT_TRUE(page.Click(P::IDC_SERVO));
        ASSERT_TRUE(Settle());
        EXPECT_EQ(drive.ServoDisplay(), 1);
        EXPECT_EQ(page.Text(P::IDC_SERVO), "Servo On");
        EXPECT_EQ(page.GetColours(P::IDC_SERVO), (ui::Colours{13, 16}));
        h.Advance(500);
        EXPECT_EQ(page.GetColours(1705), (ui::Colours{13, 16}));  // the SVON lamp
        EXPECT_EQ(page.GetColours(1700), (ui::Colours{12, 16}));
        ASSERT_TRUE(page.Click(P::IDC_SERVO));
        ASSERT_TRUE(Settle());
        EXPECT_EQ(drive.ServoDisplay(), 0);
        EXPECT_EQ(page.Text(P::IDC_SERVO), "Servo Off");
        EXPECT_EQ(page.GetColours(P::IDC_SERVO), (ui::Colours{10, 2}));
        EXPECT_EQ(CommandsSince(mark), (Commands{"OE 0 1 0", "OE 0 0 0"}));
        EXPECT_TRUE(h.prompter.Shown().empty());
    });
}

TEST_F(DrivePageTest, WithoutAnActuatorModelServoAndOriginShow308AndSendNothing) {
    RunOnPage([&](FakeForm& page, CPageDrv& drive) {
        h.ctx.status.stroke[0] = 0;
        const std::size_t mark = Mark();
        ASSERT_TRUE(page.Click(P::IDC_SERVO));
        ASSERT_TRUE(page.Click(P::IDC_ORIGIN));
        h.Advance(1000);
        EXPECT_EQ(h.prompter.ShownIds(), (std::vector<int>{IDS_NO_MODEL, IDS_NO_MODEL}));
        EXPECT_TRUE(CommandsSince(mark).empty());
        EXPECT_EQ(drive.ServoDisplay(), 0);
        EXPECT_EQ(drive.OriginCaptionState(), 0);
        EXPECT_FALSE(page.IsChecked(P::IDC_ORIGIN));
        EXPECT_EQ(h.ctx.status.linkState, kLinkOnline);
    });
}

TEST_F(DrivePageTest, HeldJogRunsUntilTheButtonIsReleased) {
    RunOnPage([&](FakeForm& page, CPageDrv& drive) {
        Home(page);
        ASSERT_TRUE(page.TypeAndLeave(P::IDC_JOG_SPEED, "25"));
        const std::size_t mark = Mark();
        EXPECT_TRUE(page.MouseDown(P::IDC_JOG_OPPOSITE));
        EXPECT_TRUE(page.IsChecked(P::IDC_JOG_OPPOSITE));
        EXPECT_EQ(drive.JogDirection(), P::kJogOpposite);
        h.Advance(500);
        EXPECT_EQ(CommandsSince(mark), (Commands{"EE 19 2 25.00000", "OE 17 1 1"}));
        // Moving over the pressed button itself keeps the jog.
        page.MoveMouse(P::IDC_JOG_OPPOSITE);
        h.Advance(200);
        const std::int64_t released = h.loop.NowMs();
        page.MouseUp(P::IDC_JOG_OPPOSITE);
        h.Advance(500);
        EXPECT_EQ(CommandsSince(mark), (Commands{"EE 19 2 25.00000", "OE 17 1 1", "OE 17 1 0"}));
        EXPECT_LE(TimeOf("OE 17 1 0", mark) - released, 100);
        EXPECT_FALSE(page.IsChecked(P::IDC_JOG_OPPOSITE));
        EXPECT_EQ(drive.JogDirection(), 0);
        EXPECT_EQ(h.ctx.status.linkState, kLinkOnline);
    });
}

TEST_F(DrivePageTest, ReleaseWhileTheStartCommandsAreSentStopsRightAfterThem) {
    RunOnPage([&](FakeForm& page, CPageDrv& drive) {
        Home(page);
        const std::size_t mark = Mark();
        // A quick click: the release arrives before the speed is even written.
        ASSERT_TRUE(page.Click(P::IDC_JOG_CONNECTOR));
        EXPECT_EQ(drive.JogDirection(), P::kJogConnector);
        h.Advance(1000);
        EXPECT_EQ(CommandsSince(mark), (Commands{"EE 18 2 10.00000", "OE 16 1 1", "OE 16 1 0"}));
        EXPECT_EQ(drive.JogDirection(), 0);
        EXPECT_FALSE(page.IsChecked(P::IDC_JOG_CONNECTOR));
        // Nothing is left over for the next jog.
        const std::size_t again = Mark();
        EXPECT_TRUE(page.MouseDown(P::IDC_JOG_CONNECTOR));
        h.Advance(500);
        EXPECT_EQ(CommandsSince(again), (Commands{"EE 18 2 10.00000", "OE 16 1 1"}));
        page.MouseUp(P::IDC_JOG_CONNECTOR);
        h.Advance(500);
        EXPECT_EQ(CommandsSince(again).back(), "OE 16 1 0");
    });
}

struct DragCase {
    const char* name;
    bool byKey;  // a key in the speed edit instead of a mouse move
    int over;    // where the mouse goes
};
constexpr DragCase kDragCases[] = {
    {"MouseOverAnotherButton", false, P::IDC_ORIGIN},
    {"MouseOverTheBackground", false, ui::kNoControl},
    {"MouseUpOverTheBackground", false, -2},
    {"KeyInAnotherControl", true, 0},
};

class JogDragTest : public DrivePageTest, public ::testing::WithParamInterface<DragCase> {};

TEST_P(JogDragTest, LeavingThePressedJogButtonStopsTheJog) {
    RunOnPage([&](FakeForm& page, CPageDrv& drive) {
        Home(page);
        const std::size_t mark = Mark();
        EXPECT_TRUE(page.MouseDown(P::IDC_JOG_OPPOSITE));
        h.Advance(500);
        const DragCase& c = GetParam();
        if (c.byKey) {
            ASSERT_TRUE(page.Focus(P::IDC_JOG_SPEED));
            page.PressKey('A');
        } else if (c.over == -2) {
            page.MouseUp(ui::kNoControl);
        } else {
            page.MoveMouse(c.over);
        }
        h.Advance(500);
        EXPECT_EQ(CommandsSince(mark), (Commands{"EE 19 2 10.00000", "OE 17 1 1", "OE 17 1 0"}));
        EXPECT_EQ(drive.JogDirection(), 0);
        EXPECT_FALSE(page.IsChecked(P::IDC_JOG_OPPOSITE));
    });
}

INSTANTIATE_TEST_SUITE_P(Moves, JogDragTest, ::testing::ValuesIn(kDragCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct SpeedCase {
    const char* name;
    const char* typed;
    int speed;
};
constexpr SpeedCase kSpeedCases[] = {
    {"Zero", "0", 1},        {"Negative", "-5", 1},   {"One", "1", 1},     {"Two", "2", 2},
    {"TooFast", "250", 100}, {"Fastest", "100", 100}, {"Text", "fast", 1},
};

class JogSpeedTest : public DrivePageTest, public ::testing::WithParamInterface<SpeedCase> {};

TEST_P(JogSpeedTest, TypedSpeedIsKeptWithinOneToAHundred) {
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        const SpeedCase& c = GetParam();
        ASSERT_TRUE(page.Focus(P::IDC_JOG_SPEED));
        EXPECT_TRUE(page.IsAllTextSelected(P::IDC_JOG_SPEED));
        ASSERT_TRUE(page.TypeAndLeave(P::IDC_JOG_SPEED, c.typed));
        EXPECT_EQ(page.Text(P::IDC_JOG_SPEED), std::to_string(c.speed));
        EXPECT_EQ(page.Position(P::IDC_JOG_SLIDER), c.speed);
        EXPECT_EQ(page.Position(P::IDC_JOG_SPIN), c.speed);
        // Return normalises as well.
        ASSERT_TRUE(page.TypeText(P::IDC_JOG_SPEED, c.typed));
        EXPECT_TRUE(page.PressKey(ui::key::kReturn));
        EXPECT_EQ(page.Text(P::IDC_JOG_SPEED), std::to_string(c.speed));
    });
}

INSTANTIATE_TEST_SUITE_P(Speeds, JogSpeedTest, ::testing::ValuesIn(kSpeedCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DrivePageTest, JogSpeedSliderAndSpinFollowEachOther) {
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        ASSERT_TRUE(page.Scroll(P::IDC_JOG_SLIDER, 40));
        EXPECT_EQ(page.Text(P::IDC_JOG_SPEED), "40");
        EXPECT_EQ(page.Position(P::IDC_JOG_SPIN), 40);
        ASSERT_TRUE(page.Spin(P::IDC_JOG_SPIN, true));
        EXPECT_EQ(page.Text(P::IDC_JOG_SPEED), "41");
        EXPECT_EQ(page.Position(P::IDC_JOG_SLIDER), 41);
        EXPECT_EQ(page.Position(P::IDC_JOG_SPIN), 41);
    });
}

struct DistanceCase {
    const char* name;
    const char* typed;
    const char* shown;
};
constexpr DistanceCase kStandardStroke10[] = {
    {"RoundedDownToTheIncrement", "0.1", "0.090"},
    {"RaisedToTheMinimum", "0.05", "0.090"},
    {"LimitedToTheStroke", "12", "9.990"},
    {"Negative", "-3", "0.090"},
    {"Text", "far", "0.090"},
    {"OnTheIncrement", "1.2", "1.200"},
};

sim::ControllerOptions StandardStroke10() {
    sim::ControllerOptions options;
    options.series = sim::kSeriesStandard;
    options.stroke = 10;
    return options;
}

class InchingDistanceTest : public DrivePageTest,
                            public ::testing::WithParamInterface<DistanceCase> {
  protected:
    InchingDistanceTest() : DrivePageTest(StandardStroke10()) {}
};

TEST_P(InchingDistanceTest, TypedDistanceFollowsTheSeriesSteps) {
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        const DistanceCase& c = GetParam();
        ASSERT_TRUE(page.TypeAndLeave(P::IDC_INCHING_DISTANCE, c.typed));
        EXPECT_EQ(page.Text(P::IDC_INCHING_DISTANCE), c.shown);
        ASSERT_TRUE(page.TypeText(P::IDC_INCHING_DISTANCE, c.typed));
        EXPECT_TRUE(page.PressKey(ui::key::kReturn));
        EXPECT_EQ(page.Text(P::IDC_INCHING_DISTANCE), c.shown);
    });
}

INSTANTIATE_TEST_SUITE_P(StandardStroke10, InchingDistanceTest,
                         ::testing::ValuesIn(kStandardStroke10),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DrivePageTest, WithTheSeriesUnknownEveryInchingDistanceIsZero) {
    RunOnPage([&](FakeForm& page, CPageDrv& drive) {
        h.ctx.status.series[0] = 0;
        h.ctx.status.seriesScale[0] = 0;
        drive.SetInchingLimits();
        EXPECT_EQ(page.Text(P::IDC_INCHING_DISTANCE), "0.000");
        for (const char* typed : {"1", "0.09", "5"}) {
            ASSERT_TRUE(page.TypeAndLeave(P::IDC_INCHING_DISTANCE, typed));
            EXPECT_EQ(page.Text(P::IDC_INCHING_DISTANCE), "0.000") << typed;
        }
    });
}

class InchingMoveTest : public DrivePageTest {
  protected:
    InchingMoveTest() : DrivePageTest(StandardStroke10()) {}
};

TEST_F(InchingMoveTest, InchingSendsTheSignedDistanceAndKeepsTheServoButtonUsable) {
    RunOnPage([&](FakeForm& page, CPageDrv& drive) {
        EXPECT_EQ(page.Text(P::IDC_INCHING_DISTANCE), "0.090");
        EXPECT_EQ(page.GetRange(P::IDC_INCHING_SPIN), (ui::Range{90, 10000}));
        Home(page);
        ASSERT_TRUE(page.TypeAndLeave(P::IDC_INCHING_DISTANCE, "1.5"));
        ASSERT_TRUE(page.TypeAndLeave(P::IDC_JOG_SPEED, "20"));
        std::size_t mark = Mark();
        ASSERT_TRUE(page.Click(P::IDC_INCH_CONNECTOR));
        EXPECT_EQ(h.ctx.status.linkState, kLinkBusy);
        EXPECT_TRUE(page.IsEnabled(P::IDC_SERVO));
        EXPECT_FALSE(page.IsEnabled(P::IDC_INCH_OPPOSITE));
        ASSERT_TRUE(Settle());
        EXPECT_EQ(CommandsSince(mark),
                  (Commands{"OE 18 1 0", "EE 20 0 -1500.00000", "EE 20 2 20.00000", "OE 18 1 1"}));
        EXPECT_FALSE(page.IsChecked(P::IDC_INCH_CONNECTOR));
        EXPECT_EQ(drive.ServoDisplay(), 1);
        mark = Mark();
        ASSERT_TRUE(page.Click(P::IDC_INCH_OPPOSITE));
        ASSERT_TRUE(Settle());
        EXPECT_EQ(CommandsSince(mark)[1], "EE 21 0 1500.00000");
    });
}

TEST_F(InchingMoveTest, InchingSpinStepsByTheIncrementWithinTheLimits) {
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        page.Spin(P::IDC_INCHING_SPIN, false);
        EXPECT_EQ(page.Text(P::IDC_INCHING_DISTANCE), "0.090");
        page.Spin(P::IDC_INCHING_SPIN, true);
        EXPECT_EQ(page.Text(P::IDC_INCHING_DISTANCE), "0.120");
        ASSERT_TRUE(page.TypeAndLeave(P::IDC_INCHING_DISTANCE, "9.990"));
        page.Spin(P::IDC_INCHING_SPIN, true);
        EXPECT_EQ(page.Text(P::IDC_INCHING_DISTANCE), "10.000");
        page.Spin(P::IDC_INCHING_SPIN, true);
        EXPECT_EQ(page.Text(P::IDC_INCHING_DISTANCE), "10.000");
    });
}

TEST_F(InchingMoveTest, InchingSpinOnAnOutsizedTypedDistanceStaysWithinTheLimits) {
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        ASSERT_TRUE(page.TypeText(P::IDC_INCHING_DISTANCE, "1e10"));
        page.Spin(P::IDC_INCHING_SPIN, true);
        EXPECT_EQ(page.Text(P::IDC_INCHING_DISTANCE), "10.000");
        ASSERT_TRUE(page.TypeText(P::IDC_INCHING_DISTANCE, "-1e10"));
        page.Spin(P::IDC_INCHING_SPIN, false);
        EXPECT_EQ(page.Text(P::IDC_INCHING_DISTANCE), "0.090");
    });
}

// --- the mode switch ---

TEST_F(DrivePageTest, DecliningTheModeQuestionPutsTheSwitchBackAndSendsNothing) {
    RunOnPage([&](FakeForm& page, CPageDrv& drive) {
        const std::size_t mark = Mark();
        h.prompter.AnswerNo();
        ASSERT_TRUE(page.Scroll(P::IDC_MODE_SWITCH, 1));
        ASSERT_NE(h.prompter.Last(), nullptr);
        EXPECT_EQ(h.prompter.Last()->stringId, IDS_MODE_QUESTION);
        EXPECT_EQ(h.prompter.Last()->text,
                  "Is it OK to change to Monitor Mode?\nBefore entering Monitor Mode, please "
                  "confirm it is safe to do so. \n(The I/O will be enabled).");
        EXPECT_EQ(h.prompter.Last()->buttons, ui::Buttons::kYesNo);
        EXPECT_EQ(page.Position(P::IDC_MODE_SWITCH), 0);
        EXPECT_EQ(drive.TestMode(), 1);
        h.Advance(1000);
        EXPECT_TRUE(CommandsSince(mark).empty());
        EXPECT_EQ(h.ctx.status.linkState, kLinkOnline);
        EXPECT_FALSE(page.IsVisible(P::IDC_OUT0_TEXT));
    });
}

TEST_F(DrivePageTest, MonitorModeLeavesOnlyTheSwitchAndTheStatusEnabled) {
    RunOnPage([&](FakeForm& page, CPageDrv& drive) {
        h.prompter.AnswerYes();
        ASSERT_TRUE(page.Scroll(P::IDC_MODE_SWITCH, 1));
        ASSERT_TRUE(Settle());
        EXPECT_EQ(h.ctx.status.linkState, kLinkMonitorMode);
        EXPECT_EQ(drive.TestMode(), 0);
        EXPECT_NE(TimeOf("MD 0"), -1);
        EXPECT_FALSE(mainForm->IsEnabled(CMain::IDC_TABS));
        EXPECT_TRUE(page.IsVisible(P::IDC_OUT0_TEXT));
        EXPECT_EQ(page.Text(P::IDC_OUT0_TEXT).rfind(" OUT0: ", 0), 0U);
        for (const int id : {P::IDC_MODE_SWITCH, 1035, 1079, 1700, 1731, 1730}) {
            EXPECT_TRUE(page.IsEnabled(id)) << id;
        }
        for (const int id :
             {1034, 1086, P::IDC_SERVO, P::IDC_ORIGIN, P::IDC_JOG_CONNECTOR, P::IDC_JOG_SPEED,
              P::IDC_INCHING_DISTANCE, P::IDC_ALARM_RESET, P::IDC_ALARM_HISTORY, P::IDC_STEP_START,
              P::IDC_TABLE, P::IDC_ROW_TIME, P::IDC_REPEAT, P::IDC_CONT_START, P::IDC_CONT_END}) {
            EXPECT_FALSE(page.IsEnabled(id)) << id;
        }

        // And back: the question names the test mode, the tab strip comes back.
        h.prompter.AnswerYes();
        ASSERT_TRUE(page.Scroll(P::IDC_MODE_SWITCH, 0));
        EXPECT_EQ(h.prompter.Last()->text,
                  "Is it OK to change to Test Mode?\nBefore entering Test Mode, please confirm "
                  "it is safe to do so. \n(The I/O will be disabled).");
        ASSERT_TRUE(Settle());
        EXPECT_EQ(h.ctx.status.linkState, kLinkOnline);
        EXPECT_TRUE(mainForm->IsEnabled(CMain::IDC_TABS));
        EXPECT_FALSE(page.IsVisible(P::IDC_OUT0_TEXT));
        EXPECT_TRUE(page.IsEnabled(P::IDC_ALARM_RESET));
    });
}

// --- the help line ---

TEST_F(DrivePageTest, HelpLineFollowsTheMouseAndTheClicks) {
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        page.MoveMouse(P::IDC_ORIGIN);
        EXPECT_TRUE(page.IsVisible(P::IDC_HELP_MOUSE));
        EXPECT_FALSE(page.IsVisible(P::IDC_HELP_CLICK));
        EXPECT_EQ(page.Text(P::IDC_HELP_MOUSE),
                  "When this command button is clicked, the Tavro Motor will begin the Return "
                  "Origin Position operation.");
        // A click on another control shows its text in the other line.
        EXPECT_TRUE(page.MouseDown(P::IDC_INCH_CONNECTOR) == false);
        EXPECT_TRUE(page.IsVisible(P::IDC_HELP_CLICK));
        EXPECT_FALSE(page.IsVisible(P::IDC_HELP_MOUSE));
        EXPECT_EQ(page.Text(P::IDC_HELP_CLICK),
                  "When this command button is clicked, the Tavro Motor travels the distance set "
                  "in \"Travel Distance\".");
        page.MouseUp(P::IDC_INCH_CONNECTOR);
        // Tab shows the text of the control it reaches in the click line.
        ASSERT_TRUE(page.Focus(P::IDC_JOG_CONNECTOR));
        EXPECT_TRUE(page.PressKey(ui::key::kTab));
        EXPECT_EQ(page.FocusedControl(), P::IDC_JOG_OPPOSITE);
        EXPECT_TRUE(page.IsVisible(P::IDC_HELP_CLICK));
        EXPECT_EQ(page.Text(P::IDC_HELP_CLICK),
                  "The Tavro Motor travels at the set \"Jog\" \"Speed\" below as long as this "
                  "command button is clicked and held.");
        page.MoveMouse(P::IDC_JOG_SPEED);
        EXPECT_EQ(page.Text(P::IDC_HELP_MOUSE), "");
        EXPECT_EQ(page.Text(P::IDC_HELP_CLICK), "");
        EXPECT_TRUE(page.IsVisible(P::IDC_HELP_CLICK));
        EXPECT_FALSE(page.IsVisible(P::IDC_HELP_MOUSE));
    });
}

// --- lamps by control type ---

struct TypeCase {
    const char* name;
    int type;
    bool pls;
    const char* in2;
};
constexpr TypeCase kTypeCases[] = {
    {"StepData", sim::kTypeStepData, false, "IN2"},
    {"Pulse", sim::kTypePulse, true, "SETUP"},
};

sim::ControllerOptions OfType(int type) {
    sim::ControllerOptions options;
    options.controlType = type;
    return options;
}

class LampTypeTest : public DrivePageTest, public ::testing::WithParamInterface<TypeCase> {
  protected:
    LampTypeTest() : DrivePageTest(OfType(GetParam().type)) {}
};

TEST_P(LampTypeTest, LampRowAndTargetPositionFollowTheControlType) {
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        const TypeCase& c = GetParam();
        EXPECT_EQ(page.IsVisible(1710), c.pls);
        EXPECT_EQ(page.Text(1702), c.in2);
        EXPECT_EQ(page.IsEnabled(1734), c.pls);
        EXPECT_EQ(page.IsEnabled(P::IDC_TABLE), !c.pls);
        for (const int lamp : {1700, 1701, 1702, 1703, 1704, 1705, 1706, 1707, 1708, 1709}) {
            EXPECT_TRUE(page.IsVisible(lamp)) << lamp;
        }
        // No alarm: the ALARM lamp and the box are dark grey.
        EXPECT_EQ(page.GetColours(P::IDC_LAMP_ALARM), (ui::Colours{12, 16}));
        EXPECT_EQ(page.GetColours(P::IDC_ALARM_BOX), (ui::Colours{12, 16}));
    });
}

INSTANTIATE_TEST_SUITE_P(Types, LampTypeTest, ::testing::ValuesIn(kTypeCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavro::test
