// Every limit of the step edit rows, the PID edit row, the Detail dialog's other fields and
// the I/O Setup page, typed at the bound and just beyond it, in the whole program.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "detail/DetailTables.h"
#include "params/CPageIo.h"
#include "stepdata/CListStp.h"
#include "tests/params/page_fixture.h"
#include "ui/Keys.h"

namespace tavro::test {
namespace {

enum class View { kStepPage, kDetail, kIoPage };

// How the view checks the field: Enter in the edit row, or the focus leaving the field.
enum class Trigger { kEnter, kLeave };

// What is set before the field is typed.
enum Setup : unsigned {
    kPlain = 0,
    kPushing = 1U << 0,     // the operation radio on Pushing (thrust, in-force, pushing speed)
    kRelative = 1U << 1,    // the movement radio on Relative (the negative target range)
    kSpeedEntry = 1U << 2,  // the controller in the speed entry method (speed, accel, decel)
    kPulse = 1U << 3,       // a pulse-type controller (deviation, gear ratio)
};

struct LimitCase {
    const char* name;
    View view;
    ui::ControlId field;
    unsigned setup;
    Trigger trigger;
    const char* typed;
    int message;  // 0: accepted
};

constexpr auto kStep = View::kStepPage;
constexpr auto kDtl = View::kDetail;
constexpr auto kIo = View::kIoPage;
constexpr auto kEnter = Trigger::kEnter;
constexpr auto kLeave = Trigger::kLeave;

// A 20 mm actuator of series F: stroke 20, thrust limit 4.8.
// clang-format off
constexpr LimitCase kLimitCases[] = {
    // Step Data Setup page (the step limits the Detail dialog shares)
    {"StepTargetAbsoluteMin", kStep, IDC_TARGET_POSITION, kPlain, kEnter, "0.000", 0},
    {"StepTargetAbsoluteBelow", kStep, IDC_TARGET_POSITION, kPlain, kEnter, "-0.001", 313},
    {"StepTargetMax", kStep, IDC_TARGET_POSITION, kPlain, kEnter, "20.000", 0},
    {"StepTargetAbove", kStep, IDC_TARGET_POSITION, kPlain, kEnter, "20.001", 313},
    {"StepTargetRelativeMin", kStep, IDC_TARGET_POSITION, kRelative, kEnter, "-20.000", 0},
    {"StepTargetRelativeBelow", kStep, IDC_TARGET_POSITION, kRelative, kEnter, "-20.001", 313},
    {"StepTargetRelativeMax", kStep, IDC_TARGET_POSITION, kRelative, kEnter, "20.000", 0},
    {"StepTargetRelativeAbove", kStep, IDC_TARGET_POSITION, kRelative, kEnter, "20.001", 313},
    {"StepTimeMin", kStep, IDC_POSITIONING_TIME, kPlain, kEnter, "0.00", 0},
    {"StepTimeBelow", kStep, IDC_POSITIONING_TIME, kPlain, kEnter, "-0.01", 314},
    {"StepTimeMax", kStep, IDC_POSITIONING_TIME, kPlain, kEnter, "60.00", 0},
    {"StepTimeAbove", kStep, IDC_POSITIONING_TIME, kPlain, kEnter, "60.01", 314},
    {"StepSpeedMin", kStep, IDC_SPEED, kSpeedEntry, kEnter, "0", 0},
    {"StepSpeedBelow", kStep, IDC_SPEED, kSpeedEntry, kEnter, "-1", 315},
    {"StepSpeedMax", kStep, IDC_SPEED, kSpeedEntry, kEnter, "400", 0},
    {"StepSpeedAbove", kStep, IDC_SPEED, kSpeedEntry, kEnter, "401", 315},
    {"StepAccelerationMin", kStep, IDC_ACCELERATION, kSpeedEntry, kEnter, "0", 0},
    {"StepAccelerationBelow", kStep, IDC_ACCELERATION, kSpeedEntry, kEnter, "-1", 316},
    {"StepAccelerationMax", kStep, IDC_ACCELERATION, kSpeedEntry, kEnter, "60000", 0},
    {"StepAccelerationAbove", kStep, IDC_ACCELERATION, kSpeedEntry, kEnter, "60001", 316},
    {"StepDecelerationMin", kStep, IDC_DECELERATION, kSpeedEntry, kEnter, "0", 0},
    {"StepDecelerationBelow", kStep, IDC_DECELERATION, kSpeedEntry, kEnter, "-1", 317},
    {"StepDecelerationMax", kStep, IDC_DECELERATION, kSpeedEntry, kEnter, "60000", 0},
    {"StepDecelerationAbove", kStep, IDC_DECELERATION, kSpeedEntry, kEnter, "60001", 317},
    {"StepThrustMin", kStep, IDC_THRUST, kPushing, kEnter, "1.0", 0},
    {"StepThrustBelow", kStep, IDC_THRUST, kPushing, kEnter, "0.9", 318},
    {"StepThrustMax", kStep, IDC_THRUST, kPushing, kEnter, "4.8", 0},
    {"StepThrustAbove", kStep, IDC_THRUST, kPushing, kEnter, "4.9", 318},
    // Detail Parameter Setup dialog: its limits of the shared fields, and its own fields
    {"DetailTargetMax", kDtl, IDC_DTL_TARGET, kPlain, kEnter, "20.000", 0},
    {"DetailTargetAbove", kDtl, IDC_DTL_TARGET, kPlain, kEnter, "20.001", 313},
    {"DetailThrustMax", kDtl, IDC_DTL_THRUST, kPushing, kEnter, "4.8", 0},
    {"DetailThrustAbove", kDtl, IDC_DTL_THRUST, kPushing, kEnter, "4.9", 318},
    {"DetailPushingSpeedMin", kDtl, IDC_DTL_PUSH_SPEED, kPushing, kEnter, "1", 0},
    {"DetailPushingSpeedBelow", kDtl, IDC_DTL_PUSH_SPEED, kPushing, kEnter, "0", 319},
    {"DetailPushingSpeedMax", kDtl, IDC_DTL_PUSH_SPEED, kPushing, kEnter, "20", 0},
    {"DetailPushingSpeedAbove", kDtl, IDC_DTL_PUSH_SPEED, kPushing, kEnter, "21", 319},
    {"DetailInPositionMin", kDtl, IDC_DTL_IN_POSITION, kPlain, kEnter, "0.000", 0},
    {"DetailInPositionBelow", kDtl, IDC_DTL_IN_POSITION, kPlain, kEnter, "-0.001", 320},
    {"DetailInPositionMax", kDtl, IDC_DTL_IN_POSITION, kPlain, kEnter, "20.000", 0},
    {"DetailInPositionAbove", kDtl, IDC_DTL_IN_POSITION, kPlain, kEnter, "20.001", 320},
    {"DetailInForceMin", kDtl, IDC_DTL_IN_FORCE, kPushing, kEnter, "0.5", 0},
    {"DetailInForceBelow", kDtl, IDC_DTL_IN_FORCE, kPushing, kEnter, "0.4", 321},
    {"DetailInForceMax", kDtl, IDC_DTL_IN_FORCE, kPushing, kEnter, "4.8", 0},
    {"DetailInForceAbove", kDtl, IDC_DTL_IN_FORCE, kPushing, kEnter, "4.9", 321},
    {"DetailAreaAMin", kDtl, IDC_DTL_AREA_A1, kPlain, kEnter, "0.000", 0},
    {"DetailAreaABelow", kDtl, IDC_DTL_AREA_A1, kPlain, kEnter, "-0.001", 322},
    {"DetailAreaAMax", kDtl, IDC_DTL_AREA_A2, kPlain, kEnter, "20.000", 0},
    {"DetailAreaAAbove", kDtl, IDC_DTL_AREA_A2, kPlain, kEnter, "20.001", 322},
    {"DetailAreaBMin", kDtl, IDC_DTL_AREA_B1, kPlain, kEnter, "0.000", 0},
    {"DetailAreaBBelow", kDtl, IDC_DTL_AREA_B1, kPlain, kEnter, "-0.001", 323},
    {"DetailAreaBMax", kDtl, IDC_DTL_AREA_B2, kPlain, kEnter, "20.000", 0},
    {"DetailAreaBAbove", kDtl, IDC_DTL_AREA_B2, kPlain, kEnter, "20.001", 323},
    // PID edit row
    {"KpMin", kDtl, IDC_DTL_KP, kPlain, kEnter, "0.1", 0},
    {"KpBelow", kDtl, IDC_DTL_KP, kPlain, kEnter, "0.0", 325},
    {"KpMax", kDtl, IDC_DTL_KP, kPlain, kEnter, "5000.0", 0},
    {"KpAbove", kDtl, IDC_DTL_KP, kPlain, kEnter, "5000.1", 325},
    {"TiMin", kDtl, IDC_DTL_TI, kPlain, kEnter, "0.001", 0},
    {"TiBelow", kDtl, IDC_DTL_TI, kPlain, kEnter, "0.000", 324},
    {"TiMax", kDtl, IDC_DTL_TI, kPlain, kEnter, "10.000", 0},
    {"TiAbove", kDtl, IDC_DTL_TI, kPlain, kEnter, "10.001", 324},
    {"TdMin", kDtl, IDC_DTL_TD, kPlain, kEnter, "0.0001", 0},
    {"TdBelow", kDtl, IDC_DTL_TD, kPlain, kEnter, "0.0000", 326},
    {"TdRoundedBelow", kDtl, IDC_DTL_TD, kPlain, kEnter, "0.00004", 326},
    {"TdMax", kDtl, IDC_DTL_TD, kPlain, kEnter, "1.0000", 0},
    {"TdAbove", kDtl, IDC_DTL_TD, kPlain, kEnter, "1.0001", 326},
    // Detail dialog's other fields
    {"OffsetMin", kDtl, IDC_DTL_ORIGIN_OFFSET, kPlain, kLeave, "0.000", 0},
    {"OffsetBelow", kDtl, IDC_DTL_ORIGIN_OFFSET, kPlain, kLeave, "-0.001", 327},
    {"OffsetMax", kDtl, IDC_DTL_ORIGIN_OFFSET, kPlain, kLeave, "1.000", 0},
    {"OffsetAbove", kDtl, IDC_DTL_ORIGIN_OFFSET, kPlain, kLeave, "1.001", 327},
    {"CurrentMin", kDtl, IDC_DTL_CURRENT, kPlain, kLeave, "0.0", 0},
    {"CurrentBelow", kDtl, IDC_DTL_CURRENT, kPlain, kLeave, "-0.1", 328},
    {"CurrentMax", kDtl, IDC_DTL_CURRENT, kPlain, kLeave, "3.0", 0},
    {"CurrentAbove", kDtl, IDC_DTL_CURRENT, kPlain, kLeave, "3.1", 328},
    {"TemperatureMin", kDtl, IDC_DTL_TEMPERATURE, kPlain, kLeave, "0", 0},
    {"TemperatureBelow", kDtl, IDC_DTL_TEMPERATURE, kPlain, kLeave, "-1", 329},
    {"TemperatureMax", kDtl, IDC_DTL_TEMPERATURE, kPlain, kLeave, "70", 0},
    {"TemperatureAbove", kDtl, IDC_DTL_TEMPERATURE, kPlain, kLeave, "71", 329},
    {"DeviationMin", kDtl, IDC_DTL_DEVIATION, kPulse, kLeave, "0", 0},
    {"DeviationBelow", kDtl, IDC_DTL_DEVIATION, kPulse, kLeave, "-1", 330},
    {"DeviationMax", kDtl, IDC_DTL_DEVIATION, kPulse, kLeave, "50000", 0},
    {"DeviationAbove", kDtl, IDC_DTL_DEVIATION, kPulse, kLeave, "50001", 330},
    {"GearDenominatorMin", kDtl, IDC_DTL_GEAR_DENOMINATOR, kPulse, kLeave, "1", 0},
    {"GearDenominatorBelow", kDtl, IDC_DTL_GEAR_DENOMINATOR, kPulse, kLeave, "0", 331},
    {"GearDenominatorMax", kDtl, IDC_DTL_GEAR_DENOMINATOR, kPulse, kLeave, "200", 0},
    {"GearDenominatorAbove", kDtl, IDC_DTL_GEAR_DENOMINATOR, kPulse, kLeave, "201", 331},
    {"GearNumeratorMin", kDtl, IDC_DTL_GEAR_NUMERATOR, kPulse, kLeave, "1", 0},
    {"GearNumeratorBelow", kDtl, IDC_DTL_GEAR_NUMERATOR, kPulse, kLeave, "0", 331},
    {"GearNumeratorMax", kDtl, IDC_DTL_GEAR_NUMERATOR, kPulse, kLeave, "200", 0},
    {"GearNumeratorAbove", kDtl, IDC_DTL_GEAR_NUMERATOR, kPulse, kLeave, "201", 331},
    // I/O Setup page
    {"IoAreaAMin", kIo, CPageIo::IDC_AREA_A1, kPlain, kEnter, "0.000", 0},
    {"IoAreaABelow", kIo, CPageIo::IDC_AREA_A1, kPlain, kEnter, "-0.001", 322},
    {"IoAreaAMax", kIo, CPageIo::IDC_AREA_A2, kPlain, kEnter, "20.000", 0},
    {"IoAreaAAbove", kIo, CPageIo::IDC_AREA_A2, kPlain, kEnter, "20.001", 322},
    {"IoAreaBMin", kIo, CPageIo::IDC_AREA_B1, kPlain, kEnter, "0.000", 0},
    {"IoAreaBBelow", kIo, CPageIo::IDC_AREA_B1, kPlain, kEnter, "-0.001", 323},
    {"IoAreaBMax", kIo, CPageIo::IDC_AREA_B2, kPlain, kEnter, "20.000", 0},
    {"IoAreaBAbove", kIo, CPageIo::IDC_AREA_B2, kPlain, kEnter, "20.001", 323},
    {"IoInfMin", kIo, CPageIo::IDC_INF, kPlain, kLeave, "0.5", 0},
    {"IoInfBelow", kIo, CPageIo::IDC_INF, kPlain, kLeave, "0.4", 321},
    {"IoInfMax", kIo, CPageIo::IDC_INF, kPlain, kLeave, "4.8", 0},
    {"IoInfAbove", kIo, CPageIo::IDC_INF, kPlain, kLeave, "4.9", 321},
    {"IoOvcMin", kIo, CPageIo::IDC_OVC, kPlain, kLeave, "1.5", 0},
    {"IoOvcBelow", kIo, CPageIo::IDC_OVC, kPlain, kLeave, "1.4", 328},
    {"IoOvcMax", kIo, CPageIo::IDC_OVC, kPlain, kLeave, "3.0", 0},
    {"IoOvcAbove", kIo, CPageIo::IDC_OVC, kPlain, kLeave, "3.1", 328},
    {"IoOvtMin", kIo, CPageIo::IDC_OVT, kPlain, kLeave, "40", 0},
    {"IoOvtBelow", kIo, CPageIo::IDC_OVT, kPlain, kLeave, "30", 329},
    {"IoOvtMax", kIo, CPageIo::IDC_OVT, kPlain, kLeave, "70", 0},
    {"IoOvtAbove", kIo, CPageIo::IDC_OVT, kPlain, kLeave, "80", 329},
};
// clang-format on

constexpr int kPasswordWithPid = 203;
constexpr ui::ControlId kPasswordCode = 1950;
constexpr ui::ControlId kPasswordOk = 1951;
// Controls without a check of their own, for the focus to leave to.
constexpr ui::ControlId kIoAway = 1450;
constexpr ui::ControlId kDetailAway = IDC_DTL_CONTROLLER_ID;

sim::ControllerOptions OptionsFor(const LimitCase& c) {
    sim::ControllerOptions o;
    o.series = sim::kSeriesF;
    o.stroke = 20;
    if ((c.setup & kPulse) != 0) {
        o.controlType = sim::kTypePulse;
    }
    return o;
}

class LimitTest : public ConnectedProgramTest, public ::testing::WithParamInterface<LimitCase> {
  protected:
    LimitTest() : ConnectedProgramTest(OptionsFor(GetParam())) {
        if ((GetParam().setup & kSpeedEntry) != 0) {
            Controller().SetParameter(0, 2, 1.0F);
        }
        h.OnModalIfShown(kPasswordWithPid, [](FakeForm& form) {
            form.TypeText(kPasswordCode, "kzw");
            form.Click(kPasswordOk);
        });
    }

    // The view of the case, shown and idle.
    FakeForm* Show(FakeForm& main, View view) {
        switch (view) {
            case View::kStepPage:
                EXPECT_TRUE(main.Choose(CMain::IDC_TABS, kPageStep));
                break;
            case View::kIoPage:
                EXPECT_TRUE(main.Choose(CMain::IDC_TABS, kPageIo));
                break;
            case View::kDetail:
                EXPECT_TRUE(main.ChooseSystemCommand(CMain::kMenuPassword));
                break;
        }
        EXPECT_TRUE(Settle());
        switch (view) {
            case View::kStepPage:
                return h.Form(kTemplateStepPage);
            case View::kIoPage:
                return h.Form(kTemplateIoPage);
            case View::kDetail:
                return h.Form(kTemplateDetail);
        }
        return nullptr;
    }
};

TEST_P(LimitTest, AtTheBoundAcceptedJustBeyondRefused) {
    const LimitCase& c = GetParam();
    RunConnected([&](FakeForm& main, CMain&) {
        FakeForm* view = Show(main, c.view);
        ASSERT_NE(view, nullptr);
        const bool detail = c.view == View::kDetail;
        if ((c.setup & kPushing) != 0) {
            ASSERT_TRUE(view->Click(detail ? IDC_DTL_PUSHING : IDC_PUSHING));
        }
        if ((c.setup & kRelative) != 0) {
            ASSERT_TRUE(view->Click(detail ? IDC_DTL_RELATIVE : IDC_RELATIVE));
        }
        h.prompter.Clear();
        ASSERT_TRUE(view->TypeText(c.field, c.typed));
        if (c.trigger == Trigger::kEnter) {
            view->PressKey(ui::key::kReturn);
        } else {
            ASSERT_TRUE(view->Focus(c.view == View::kIoPage ? kIoAway : kDetailAway));
        }
        if (c.message == 0) {
            EXPECT_TRUE(h.prompter.Shown().empty())
                << ::testing::PrintToString(h.prompter.ShownIds());
        } else {
            EXPECT_EQ(h.prompter.ShownIds(), std::vector<int>{c.message});
            EXPECT_EQ(view->FocusedControl(), c.field);
        }
    });
}

INSTANTIATE_TEST_SUITE_P(Limits, LimitTest, ::testing::ValuesIn(kLimitCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavro::test
