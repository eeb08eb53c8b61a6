#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/Numbers.h"
#include "params/CPageIo.h"
#include "tests/params/page_fixture.h"
#include "ui/Keys.h"

namespace tavro::test {
namespace {

constexpr int kAreaA1 = CPageIo::IDC_AREA_A1;
constexpr int kAreaA2 = CPageIo::IDC_AREA_A2;
constexpr int kAreaB1 = CPageIo::IDC_AREA_B1;
constexpr int kAreaB2 = CPageIo::IDC_AREA_B2;
constexpr int kInf = CPageIo::IDC_INF;
constexpr int kOvc = CPageIo::IDC_OVC;
constexpr int kOvt = CPageIo::IDC_OVT;
constexpr int kSetup = CPageIo::IDC_SETUP;
constexpr int kAway = 1450;  // a control without a check

constexpr int IDS_NO_ORIGIN = 309;
constexpr int IDS_INF_RANGE = 321;
constexpr int IDS_AREA_A_RANGE = 322;
constexpr int IDS_AREA_B_RANGE = 323;
constexpr int IDS_OVC_RANGE = 328;
constexpr int IDS_OVT_RANGE = 329;
constexpr int IDS_CONFIRM = 344;

constexpr int kFirstStep = 3;
constexpr int kLastStep = 17;

constexpr ui::Colours kErrorColours{11, 2};
constexpr ui::Colours kFieldColours{16, 2};

sim::ControllerOptions WithSeries(int series, int stroke) {
    sim::ControllerOptions options;
    options.series = series;
    options.stroke = stroke;
    return options;
}

// The I/O Setup page shown on a connected program, the detail parameters uploaded.
class IoPageTest : public ConnectedProgramTest {
  protected:
    explicit IoPageTest(sim::ControllerOptions options = {}) : ConnectedProgramTest(options) {}

    void RunOnPage(const std::function<void(FakeForm& page, CMain& window)>& script) {
        RunConnected([&](FakeForm& main, CMain& window) {
            ASSERT_TRUE(main.Choose(CMain::IDC_TABS, kPageIo));
            ASSERT_TRUE(Settle());
            ASSERT_NE(h.ctx.status.flags & kFlagDetailRead, 0);
            h.bus.ClearLog();
            h.prompter.Clear();
            script(*h.Form(kTemplateIoPage), window);
        });
    }

    void SetupConfirmed(FakeForm& page) {
        h.prompter.AnswerYes();
        ASSERT_TRUE(page.Click(kSetup));
        ASSERT_TRUE(Settle());
    }
};

struct FieldCase {
    const char* name;
    int edit;
    const char* typed;
    const char* shown;
    int message;  // 0: accepted
    CPageIo::Field field;
};

constexpr FieldCase kFieldCases[] = {
    {"Ovt64To60", kOvt, "64", "60", 0, CPageIo::kOvt},
    {"Ovt66To70", kOvt, "66", "70", 0, CPageIo::kOvt},
    {"Ovt75To80", kOvt, "75", "80", IDS_OVT_RANGE, CPageIo::kOvt},
    {"Ovt34To30", kOvt, "34", "30", IDS_OVT_RANGE, CPageIo::kOvt},
    {"OvtHuge", kOvt, "1e300", "2147483647", IDS_OVT_RANGE, CPageIo::kOvt},
    {"Ovc146To15", kOvc, "1.46", "1.5", 0, CPageIo::kOvc},
    {"Ovc306To31", kOvc, "3.06", "3.1", IDS_OVC_RANGE, CPageIo::kOvc},
    {"OvcGarbage", kOvc, "abc", "0.0", IDS_OVC_RANGE, CPageIo::kOvc},
    {"InfLowest", kInf, "0.45", "0.5", 0, CPageIo::kInf},
    {"InfBelow", kInf, "0.44", "0.4", IDS_INF_RANGE, CPageIo::kInf},
    {"AreaA1Rounded", kAreaA1, "1.0304", "1.020", 0, CPageIo::kAreaA1},
    {"AreaA2NearStroke", kAreaA2, "19.99", "19.980", 0, CPageIo::kAreaA2},
    {"AreaA2BeyondStroke", kAreaA2, "20.001", "20.001", IDS_AREA_A_RANGE, CPageIo::kAreaA2},
    {"AreaB1Negative", kAreaB1, "-0.001", "-0.001", IDS_AREA_B_RANGE, CPageIo::kAreaB1},
    {"AreaB2Huge", kAreaB2, "1e300", "1e300", IDS_AREA_B_RANGE, CPageIo::kAreaB2},
};

class IoFieldTest : public IoPageTest, public ::testing::WithParamInterface<FieldCase> {};

TEST_P(IoFieldTest, LeavingTheFieldRoundsAndChecksIt) {
    const FieldCase& c = GetParam();
    RunOnPage([&](FakeForm& page, CMain& window) {
        ASSERT_TRUE(page.TypeAndLeave(c.edit, c.typed, kAway));
        EXPECT_EQ(page.Text(c.edit), c.shown);
        EXPECT_EQ(window.IoPage()->HasError(c.field), c.message != 0);
        if (c.message != 0) {
            EXPECT_EQ(h.prompter.ShownIds(), std::vector<int>{c.message});
            EXPECT_EQ(h.prompter.Last()->icon, ui::Icon::kExclamation);
            EXPECT_EQ(page.FocusedControl(), c.edit);
            EXPECT_EQ(page.GetColours(c.edit), kErrorColours);
            // Put right, the field loses its error colours.
            ASSERT_TRUE(page.TypeAndLeave(c.edit, c.edit == kOvt ? "40" : "1.5", kAway));
            EXPECT_FALSE(window.IoPage()->HasError(c.field));
        } else {
            EXPECT_TRUE(h.prompter.Shown().empty());
        }
        EXPECT_EQ(page.GetColours(c.edit), kFieldColours);
    });
}

INSTANTIATE_TEST_SUITE_P(Fields, IoFieldTest, ::testing::ValuesIn(kFieldCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(IoPageTest, InfMayReachTheThrustLimitOfTheStroke) {
    RunOnPage([&](FakeForm& page, CMain&) {
        const double limit = h.ctx.status.thrustLimit[0];
        ASSERT_GT(limit, 0.5);
        ASSERT_TRUE(page.TypeAndLeave(kInf, Format("%.1f", limit), kAway));
        EXPECT_TRUE(h.prompter.Shown().empty());
        ASSERT_TRUE(page.TypeAndLeave(kInf, Format("%.1f", limit + 0.1), kAway));
        EXPECT_EQ(h.prompter.ShownIds(), std::vector<int>{IDS_INF_RANGE});
    });
}

TEST_F(IoPageTest, ThresholdFieldsExplainTheirRange) {
    RunOnPage([&](FakeForm& page, CMain&) {
        ASSERT_TRUE(page.Focus(kInf));
        EXPECT_EQ(page.Text(CPageIo::IDC_THRESHOLD_HELP),
                  Format("* INF: Setting range is 0.5 to %.1f (in increments of 0.1).",
                         static_cast<double>(h.ctx.status.thrustLimit[0])));
        ASSERT_TRUE(page.Focus(kOvc));
        EXPECT_EQ(page.Text(CPageIo::IDC_THRESHOLD_HELP),
                  "* OVC: Setting range is 1.5 to 3 (in increments of 0.1).");
        EXPECT_TRUE(page.IsAllTextSelected(kOvc));
        ASSERT_TRUE(page.Focus(kOvt));
        EXPECT_EQ(page.Text(CPageIo::IDC_THRESHOLD_HELP),
                  "* OVT: Setting range is 40 to 70 (in increments of 10).");
    });
}

TEST_F(IoPageTest, EnterChecksTheAreaRowAndEscapeIsSwallowed) {
    RunOnPage([&](FakeForm& page, CMain&) {
        ASSERT_TRUE(page.TypeText(kAreaB2, "30"));
        EXPECT_TRUE(page.PressKey(ui::key::kReturn));
        EXPECT_EQ(h.prompter.ShownIds(), std::vector<int>{IDS_AREA_B_RANGE});
        EXPECT_EQ(page.FocusedControl(), kAreaB2);
        ASSERT_TRUE(page.TypeText(kAreaB2, "3"));
        EXPECT_TRUE(page.PressKey(ui::key::kReturn));
        EXPECT_EQ(page.Text(kAreaB2), "3.000");
        ASSERT_TRUE(page.Focus(kOvt));
        EXPECT_TRUE(page.PressKey(ui::key::kReturn));
        EXPECT_TRUE(page.PressKey(ui::key::kEscape));
        EXPECT_EQ(h.prompter.ShownIds(), std::vector<int>{IDS_AREA_B_RANGE});
    });
}

struct SnapCase {
    const char* name;
    int series;
    int stroke;
    const char* typed;
    const char* shown;
    bool spinUp;
    const char* afterSpin;
};

constexpr SnapCase kSnapCases[] = {
    {"F", sim::kSeriesF, 20, "1.2373", "1.235", true, "1.240"},
    {"FDown", sim::kSeriesF, 20, "1.2373", "1.235", false, "1.230"},
    {"Standard", sim::kSeriesStandard, 20, "1.2373", "1.230", true, "1.260"},
    {"StandardDown", sim::kSeriesStandard, 20, "0.020", "0.000", false, "0.000"},
    {"M", sim::kSeriesM, 50, "49.9999", "50.000", true, "50.000"},
};

class IoSnapTest : public IoPageTest, public ::testing::WithParamInterface<SnapCase> {
  protected:
    IoSnapTest() : IoPageTest(WithSeries(GetParam().series, GetParam().stroke)) {}
};

TEST_P(IoSnapTest, AreaValuesSnapToTheSeriesStep) {
    const SnapCase& c = GetParam();
    RunOnPage([&](FakeForm& page, CMain&) {
        ASSERT_TRUE(page.TypeAndLeave(kAreaA1, c.typed, kAway));
        EXPECT_EQ(page.Text(kAreaA1), c.shown);
        EXPECT_EQ(page.Position(1028), TruncToInt(Atof(c.shown) * 1000 + 0.5));
        page.Spin(1028, c.spinUp);
        EXPECT_EQ(page.Text(kAreaA1), c.afterSpin);
        EXPECT_EQ(page.Position(1028), TruncToInt(Atof(c.afterSpin) * 1000 + 0.5));
        EXPECT_TRUE(h.prompter.Shown().empty());
    });
}

INSTANTIATE_TEST_SUITE_P(Series, IoSnapTest, ::testing::ValuesIn(kSnapCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(IoPageTest, PositionButtonsNeedAReturnToOrigin) {
    RunOnPage([&](FakeForm& page, CMain&) {
        ASSERT_TRUE(page.Click(1402));
        EXPECT_EQ(h.prompter.ShownIds(), std::vector<int>{IDS_NO_ORIGIN});
        EXPECT_EQ(page.ToolTip(1402), "Get Position");

        h.ctx.status.flags |= kFlagOriginDone;
        h.ctx.status.currentPosition = 12.3456F;
        ASSERT_TRUE(page.Click(1405));
        EXPECT_EQ(page.Text(kAreaB2), "12.346");
        h.ctx.status.currentPosition = 25.0F;  // beyond the 20 mm stroke
        ASSERT_TRUE(page.Click(1403));
        EXPECT_EQ(page.Text(kAreaA2), "20.000");
        EXPECT_EQ(h.prompter.ShownIds(), std::vector<int>{IDS_NO_ORIGIN});
    });
}

TEST_F(IoPageTest, ManualOutputSwitchesTheOutputUnlessLocked) {
    RunOnPage([&](FakeForm& page, CMain& window) {
        ASSERT_TRUE(page.Click(1432));  // OUT0
        ASSERT_TRUE(Settle());
        h.Advance(500);
        EXPECT_EQ(h.bus.Requests("SW").size(), 1U);
        EXPECT_EQ(h.bus.Requests("SW").front().command, "SW 2 1");
        EXPECT_TRUE(window.IoPage()->LampState(8));

        window.IoPage()->SetInputLock(true);
        h.bus.ClearLog();
        ASSERT_TRUE(page.Click(1433));
        h.Advance(500);
        EXPECT_TRUE(h.bus.Requests("SW").empty());
        EXPECT_FALSE(window.IoPage()->LampState(9));
    });
}

TEST_F(IoPageTest, SetupSwapsAReversedRangeAndCopiesStepOneToEveryStep) {
    RunOnPage([&](FakeForm& page, CMain&) {
        ASSERT_TRUE(page.TypeAndLeave(kAreaB1, "12.000", kAway));
        ASSERT_TRUE(page.TypeAndLeave(kAreaB2, "5.010", kAway));
        ASSERT_TRUE(page.TypeAndLeave(kInf, "0.8", kAway));
        SetupConfirmed(page);

        EXPECT_EQ(page.Text(kAreaB1), "5.010");
        EXPECT_EQ(page.Text(kAreaB2), "12.000");
        ASSERT_FALSE(h.prompter.ShownIds().empty());
        EXPECT_EQ(h.prompter.ShownIds().front(), IDS_CONFIRM);
        for (int g = kFirstStep; g <= kLastStep; ++g) {
            EXPECT_FLOAT_EQ(Controller().Parameter(g, 13), 5010.0F) << g;
            EXPECT_FLOAT_EQ(Controller().Parameter(g, 14), 12000.0F) << g;
            EXPECT_FLOAT_EQ(Controller().Parameter(g, 9), 0.8F) << g;
        }
    });
}

TEST_F(IoPageTest, SetupAnsweredNoSendsNothing) {
    RunOnPage([&](FakeForm& page, CMain&) {
        ASSERT_TRUE(page.TypeAndLeave(kOvt, "40", kAway));
        h.prompter.AnswerNo();
        ASSERT_TRUE(page.Click(kSetup));
        h.Advance(1000);
        EXPECT_TRUE(CommandsSent(h).empty());
    });
}

// A controller whose OUT0 has a function this page cannot show.
class IoOutputLockTest : public IoPageTest {
  protected:
    IoOutputLockTest() { Controller().SetParameter(0, 8, 10.0F); }
};

TEST_F(IoOutputLockTest, LocksTheOutputFunctionsAndSetupKeepsThem) {
    RunOnPage([&](FakeForm& page, CMain&) {
        for (const int combo : {CPageIo::IDC_OUT0_FUNCTION, CPageIo::IDC_OUT1_FUNCTION}) {
            EXPECT_EQ(page.Text(combo), "***") << combo;
            EXPECT_FALSE(page.IsEnabled(combo)) << combo;
        }
        EXPECT_TRUE(page.IsVisible(CPageIo::IDC_LOCK_NOTE));
        EXPECT_TRUE(page.IsEnabled(kAreaA1));
        const float out1 = Controller().Parameter(0, 9);

        ASSERT_TRUE(page.TypeAndLeave(kOvt, "40", kAway));
        SetupConfirmed(page);
        EXPECT_FLOAT_EQ(Controller().Parameter(0, 20), 40.0F);
        EXPECT_FLOAT_EQ(Controller().Parameter(0, 8), 10.0F);
        EXPECT_FLOAT_EQ(Controller().Parameter(0, 9), out1);
        EXPECT_EQ(page.Text(CPageIo::IDC_OUT0_FUNCTION), "***");
    });
}

// Steps with their own area ranges, as the Detail dialog sets them.
class IoAreaLockTest : public IoPageTest {
  protected:
    IoAreaLockTest() {
        Controller().SetParameter(kFirstStep, 11, 1000.0F);
        Controller().SetParameter(kFirstStep + 1, 11, 3000.0F);
    }
};

TEST_F(IoAreaLockTest, LocksTheAreaFieldsAndSetupKeepsEveryStepsRange) {
    RunOnPage([&](FakeForm& page, CMain&) {
        for (const int id : {kAreaA1, kAreaA2, kAreaB1, kAreaB2, 1028, 1031, 1402, 1405, kInf}) {
            EXPECT_FALSE(page.IsEnabled(id)) << id;
        }
        EXPECT_TRUE(page.IsEnabled(kOvt));
        EXPECT_TRUE(page.IsVisible(CPageIo::IDC_LOCK_NOTE));
        const float stepThreeArea = Controller().Parameter(kFirstStep + 2, 11);

        ASSERT_TRUE(page.TypeAndLeave(kOvt, "40", kAway));
        SetupConfirmed(page);
        EXPECT_FLOAT_EQ(Controller().Parameter(0, 20), 40.0F);
        EXPECT_FLOAT_EQ(Controller().Parameter(kFirstStep, 11), 1000.0F);
        EXPECT_FLOAT_EQ(Controller().Parameter(kFirstStep + 1, 11), 3000.0F);
        EXPECT_FLOAT_EQ(Controller().Parameter(kFirstStep + 2, 11), stepThreeArea);
    });
}

}  // namespace
}  // namespace tavro::test
