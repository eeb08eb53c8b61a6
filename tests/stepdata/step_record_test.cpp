#include <gtest/gtest.h>

#include "stepdata/StepRecord.h"

namespace tavro {
namespace {

struct NumberCase {
    const char* name;
    int controlType;
    int n;
    int shown;
};

constexpr NumberCase kNumberCases[] = {
    {"unset_first", kControlTypeUnset, 0, 1}, {"step_first", kControlTypeStep, 0, 1},
    {"step_last", kControlTypeStep, 14, 15},  {"pulse_first", kControlTypePulse, 0, 0},
    {"pulse_last", kControlTypePulse, 3, 3},
};

class NumberingTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberingTest, ShownNumberAndBack) {
    const NumberCase& c = GetParam();
    EXPECT_EQ(ShownNumber(c.n, c.controlType), c.shown);
    EXPECT_EQ(StepIndexFromShown(std::to_string(c.shown), c.controlType), c.n);
}

INSTANTIATE_TEST_SUITE_P(Steps, NumberingTest, ::testing::ValuesIn(kNumberCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StepNumbering, CountRowsAndClamping) {
    EXPECT_EQ(StepCount(kControlTypeUnset), 15);
    EXPECT_EQ(StepCount(kControlTypeStep), 15);
    EXPECT_EQ(StepCount(kControlTypePulse), 4);
    EXPECT_EQ(StepImageRow(0), 3);
    EXPECT_EQ(StepImageRow(14), 17);
    EXPECT_EQ(StepIndexFromShown("0", kControlTypeStep), 0);
    EXPECT_EQ(StepIndexFromShown("-7", kControlTypePulse), 0);
    EXPECT_EQ(StepIndexFromShown("garbage", kControlTypeStep), 0);
    EXPECT_EQ(StepIndexFromShown("-2147483648", kControlTypeStep), 0);
    EXPECT_EQ(StepIndexFromShown("99", kControlTypePulse), 3);
}

struct RangeCase {
    const char* name;
    StepField field;
    int movementMode;
    int stroke;
    const char* text;
    bool inRange;
    const char* rewritten;
};

constexpr RangeCase kRangeCases[] = {
    {"stroke10_abs_at_stroke", StepField::kTargetPosition, kMovementAbsolute, 10, "10.000", true,
     "10.000"},
    {"stroke10_abs_rounds_down_to_stroke", StepField::kTargetPosition, kMovementAbsolute, 10,
     "10.0004", true, "10.000"},
    {"stroke10_abs_one_increment_over", StepField::kTargetPosition, kMovementAbsolute, 10, "10.001",
     false, "10.001"},
    {"abs_below_zero", StepField::kTargetPosition, kMovementAbsolute, 10, "-0.001", false,
     "-0.001"},
    {"inc_stroke20_at_minus_stroke", StepField::kTargetPosition, kMovementRelative, 20, "-20.000",
     true, "-20.000"},
    {"inc_stroke20_past_minus_stroke", StepField::kTargetPosition, kMovementRelative, 20, "-20.001",
     false, "-20.001"},
    {"rounds_to_three_decimals", StepField::kTargetPosition, kMovementAbsolute, 20, "12.3456", true,
     "12.346"},
    {"no_stroke_only_zero_target", StepField::kTargetPosition, kMovementAbsolute, 0, "0.000", true,
     "0.000"},
    {"no_stroke_rejects_any_target", StepField::kTargetPosition, kMovementAbsolute, 0, "0.001",
     false, "0.001"},
    {"stroke30_thrust_at_limit", StepField::kThrustSetting, kMovementAbsolute, 30, "3.9", true,
     "3.9"},
    {"stroke30_thrust_over_limit", StepField::kThrustSetting, kMovementAbsolute, 30, "4.0", false,
     "4.0"},
    {"stroke20_thrust_at_limit", StepField::kThrustSetting, kMovementAbsolute, 20, "4.8", true,
     "4.8"},
    {"no_stroke_thrust_one", StepField::kThrustSetting, kMovementAbsolute, 0, "1.0", true, "1.0"},
    {"no_stroke_thrust_above_one", StepField::kThrustSetting, kMovementAbsolute, 0, "1.1", false,
     "1.1"},
    {"thrust_below_one", StepField::kThrustSetting, kMovementAbsolute, 10, "0.9", false, "0.9"},
    {"time_hundredths_survive_float", StepField::kPositioningTime, kMovementAbsolute, 10, "0.29",
     true, "0.29"},
    {"time_at_limit_after_rounding", StepField::kPositioningTime, kMovementAbsolute, 10, "60.004",
     true, "60.00"},
    {"time_over_limit", StepField::kPositioningTime, kMovementAbsolute, 10, "60.01", false,
     "60.01"},
    {"speed_at_limit", StepField::kSpeed, kMovementAbsolute, 10, "400", true, "400"},
    {"speed_over_limit", StepField::kSpeed, kMovementAbsolute, 10, "401", false, "401"},
    {"deceleration_over_limit", StepField::kDeceleration, kMovementAbsolute, 10, "60001", false,
     "60001"},
    {"text_that_is_no_number_reads_zero", StepField::kAcceleration, kMovementAbsolute, 10, "abc",
     true, "0"},
    {"empty_text_reads_zero", StepField::kTargetPosition, kMovementAbsolute, 10, "", true, "0.000"},
    {"huge_number", StepField::kAcceleration, kMovementAbsolute, 10, "1e12", false,
     "1000000000000"},
    {"huge_negative_number", StepField::kTargetPosition, kMovementRelative, 10, "-1e30", false,
     "-1000000000000000019884624838656.000"},
    {"infinity", StepField::kSpeed, kMovementAbsolute, 10, "inf", false, "inf"},
    {"not_a_number", StepField::kSpeed, kMovementAbsolute, 10, "nan", false, "nan"},
    {"pushing_speed_zero", StepField::kPushingSpeed, kMovementAbsolute, 10, "0", false, "0"},
    {"pushing_speed_top", StepField::kPushingSpeed, kMovementAbsolute, 10, "20", true, "20"},
    {"trigger_level_below_half", StepField::kInForceLevel, kMovementAbsolute, 10, "0.4", false,
     "0.4"},
    {"area_b_at_stroke", StepField::kAreaB, kMovementAbsolute, 50, "50.000", true, "50.000"},
};

class RangeTest : public ::testing::TestWithParam<RangeCase> {};

TEST_P(RangeTest, ComparesInWholeIncrementsAfterRounding) {
    const RangeCase& c = GetParam();
    const StepLimits limits{c.stroke, MaxThrust(c.stroke)};
    const auto range = StepRange(c.field, c.movementMode, limits);
    ASSERT_TRUE(range.has_value());
    const RangeCheck check = IsInRange(c.text, *range);
    EXPECT_EQ(check.inRange, c.inRange);
    EXPECT_EQ(check.text, c.rewritten);
}

INSTANTIATE_TEST_SUITE_P(Fields, RangeTest, ::testing::ValuesIn(kRangeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StepLimitsTest, MessagesAndUncheckedFields) {
    EXPECT_EQ(RangeMessageId(StepField::kTargetPosition), 313);
    EXPECT_EQ(RangeMessageId(StepField::kPositioningTime), 314);
    EXPECT_EQ(RangeMessageId(StepField::kThrustSetting), 318);
    EXPECT_EQ(RangeMessageId(StepField::kPushingSpeed), 319);
    EXPECT_EQ(RangeMessageId(StepField::kInPositionRange), 320);
    EXPECT_EQ(RangeMessageId(StepField::kAreaB), 323);
    EXPECT_EQ(RangeMessageId(StepField::kLoadMass), 0);
    EXPECT_FALSE(StepRange(StepField::kLoadMass, kMovementAbsolute, {10, 5.0F}).has_value());
}

TEST(StepLimitsTest, StrokeAndThrustFollowTheInitialUpload) {
    StatusBlock s;
    s.stroke[0] = 50;
    s.thrustLimit[0] = 2.0F;
    // Before the upload the Basic page's stroke counts.
    EXPECT_EQ(EffectiveStroke(s, 30), 30);
    EXPECT_FLOAT_EQ(EffectiveLimits(s, 30).maxThrust, 3.9F);
    EXPECT_FLOAT_EQ(EffectiveLimits(s, 0).maxThrust, 1.0F);
    s.flags = kFlagUploadDone;
    EXPECT_EQ(EffectiveStroke(s, 30), 50);
    EXPECT_EQ(EffectiveLimits(s, 30).stroke, 50);
    EXPECT_FLOAT_EQ(EffectiveLimits(s, 30).maxThrust, 2.0F);
    EXPECT_FLOAT_EQ(MaxThrust(10), 5.0F);
    EXPECT_FLOAT_EQ(MaxThrust(25), 1.0F);
}

struct HelpCase {
    const char* name;
    StepField field;
    bool pushing;
    int movementMode;
    int stringId;
    int argCount;
    double args[3];
};

constexpr HelpCase kHelpCases[] = {
    {"target_positioning_abs",
     StepField::kTargetPosition,
     false,
     kMovementAbsolute,
     638,
     2,
     {0.0, 20.0, 0.0}},
    {"target_positioning_inc",
     StepField::kTargetPosition,
     false,
     kMovementRelative,
     639,
     2,
     {-20.0, 20.0, 0.0}},
    {"target_pushing_abs",
     StepField::kTargetPosition,
     true,
     kMovementAbsolute,
     640,
     2,
     {0.0, 20.0, 0.0}},
    {"target_pushing_inc",
     StepField::kTargetPosition,
     true,
     kMovementRelative,
     641,
     2,
     {-20.0, 20.0, 0.0}},
    {"time", StepField::kPositioningTime, false, kMovementAbsolute, 644, 2, {0.0, 60.0, 0.0}},
    {"speed", StepField::kSpeed, true, kMovementRelative, 645, 2, {0.0, 400.0, 0.0}},
    {"deceleration",
     StepField::kDeceleration,
     false,
     kMovementAbsolute,
     647,
     2,
     {0.0, 60000.0, 0.0}},
    {"thrust", StepField::kThrustSetting, true, kMovementAbsolute, 648, 3, {20.0, 1.0, 4.8}},
    {"load_mass", StepField::kLoadMass, false, kMovementAbsolute, 649, 0, {0.0, 0.0, 0.0}},
};

class HelpTest : public ::testing::TestWithParam<HelpCase> {};

TEST_P(HelpTest, StringAndArguments) {
    const HelpCase& c = GetParam();
    const HelpText help = HelpTextFor(c.field, c.pushing, c.movementMode, {20, 4.8F});
    EXPECT_EQ(help.stringId, c.stringId);
    ASSERT_EQ(help.argCount, c.argCount);
    for (int i = 0; i < c.argCount; ++i) {
        EXPECT_NEAR(help.args[static_cast<std::size_t>(i)], c.args[i], 1e-6) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Fields, HelpTest, ::testing::ValuesIn(kHelpCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(InputMethod, IndexByTypeAndUploadState) {
    StatusBlock s;
    s.stepInputMethod[0] = 0;
    s.stepInputMethod[1] = 1;
    EXPECT_EQ(InputMethodIndex(s), kInputSpeed);  // the Basic page's choice before the upload
    s.flags = kFlagUploadDone;
    EXPECT_EQ(InputMethodIndex(s), kInputCycleTime);
    s.stepInputMethod[0] = 3;
    EXPECT_EQ(InputMethodIndex(s), kInputCycleTime);
    s.stepInputMethod[0] = -1;
    EXPECT_EQ(InputMethodIndex(s), kInputCycleTime);
    s.controlType = kControlTypePulse;
    EXPECT_EQ(InputMethodIndex(s), kInputPulse);
}

struct EnableCase {
    const char* name;
    int index;
    bool pushing;
    LinkState linkState;
    // operation, movement, target, time, speed, accel, decel, thrust, load mass
    bool enabled[9];
};

constexpr StepField kPageFields[9] = {
    StepField::kOperation,       StepField::kMovementMode,  StepField::kTargetPosition,
    StepField::kPositioningTime, StepField::kSpeed,         StepField::kAcceleration,
    StepField::kDeceleration,    StepField::kThrustSetting, StepField::kLoadMass,
};

constexpr EnableCase kEnableCases[] = {
    {"cycle_time_positioning",
     kInputCycleTime,
     false,
     kLinkOnline,
     {true, true, true, true, false, false, false, false, true}},
    {"cycle_time_pushing",
     kInputCycleTime,
     true,
     kLinkOnline,
     {true, true, true, true, false, false, false, true, true}},
    {"speed_positioning",
     kInputSpeed,
     false,
     kLinkNoPort,
     {true, true, true, false, true, true, true, false, true}},
    {"speed_pushing",
     kInputSpeed,
     true,
     kLinkMonitorMode,
     {true, true, true, false, true, true, true, true, true}},
    {"pulse_ignores_operation",
     kInputPulse,
     false,
     kLinkOnline,
     {false, false, false, false, false, false, false, true, true}},
    {"busy_link_locks_everything",
     kInputSpeed,
     true,
     kLinkBusy,
     {false, false, false, false, false, false, false, false, false}},
    {"out_of_table_index_reads_as_cycle_time",
     7,
     true,
     kLinkOnline,
     {true, true, true, true, false, false, false, true, true}},
};

class EnableTest : public ::testing::TestWithParam<EnableCase> {};

TEST_P(EnableTest, FieldsByInputMethodAndOperation) {
    const EnableCase& c = GetParam();
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(IsFieldEnabled(kPageFields[i], c.index, c.pushing, c.linkState), c.enabled[i])
            << "field " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Methods, EnableTest, ::testing::ValuesIn(kEnableCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(OperationWord, StepPageWritesPushingSpeedSix) {
    StatusBlock s;
    // A pushing speed of 15 set earlier in the Detail dialog does not survive the Step page.
    EXPECT_EQ(OperationWordToStore(false, s, 32783.0F), std::optional<float>(6.0F));
    EXPECT_EQ(OperationWordToStore(true, s, 15.0F), std::optional<float>(32774.0F));
}

TEST(OperationWord, PulseTypeKeepsTheControllerCopyAndDetailDialogOwnsTheCell) {
    StatusBlock s;
    s.controlType = kControlTypePulse;
    EXPECT_EQ(OperationWordToStore(false, s, 32790.0F), std::optional<float>(32790.0F));
    s.controlType = kControlTypeStep;
    s.detailOpen = 1;
    EXPECT_FALSE(OperationWordToStore(true, s, 6.0F).has_value());
}

TEST(OperationWord, Decoding) {
    EXPECT_TRUE(IsPushingWord(32774.0F));
    EXPECT_FALSE(IsPushingWord(6.0F));
    EXPECT_EQ(PushingSpeedOf(32783.0F), 15);
    EXPECT_TRUE(ShowsPushing(32774.0F, kControlTypeStep));
    EXPECT_FALSE(ShowsPushing(32774.0F, kControlTypePulse));
}

TEST(LoadMass, CodingByFiftyGrams) {
    EXPECT_EQ(LoadMassIndex(0.0F), 0);
    EXPECT_EQ(LoadMassIndex(50.0F), 1);
    EXPECT_EQ(LoadMassIndex(1000.0F), 20);
    EXPECT_EQ(LoadMassIndex(75.0F), 0);
    EXPECT_EQ(LoadMassIndex(1050.0F), 0);
    EXPECT_EQ(LoadMassIndex(-50.0F), 0);
    EXPECT_FLOAT_EQ(LoadMassGrams(3), 150.0F);
    EXPECT_FLOAT_EQ(LoadMassGrams(20), 1000.0F);
    EXPECT_FLOAT_EQ(LoadMassGrams(-1), 0.0F);
    EXPECT_FLOAT_EQ(LoadMassGrams(21), 0.0F);
}

TEST(StepDefaultsTest, FreshRowShowsPushInPulseType) {
    EXPECT_EQ(FreshRowOperationText(kControlTypeStep), kStrPositioning);
    EXPECT_EQ(FreshRowOperationText(kControlTypeUnset), kStrPositioning);
    EXPECT_EQ(FreshRowOperationText(kControlTypePulse), kStrPushing);
}

}  // namespace
}  // namespace tavro
