// The rules of the Detail Parameter Setup dialog's step limits and spins.

#include <gtest/gtest.h>

#include <string>

#include "detail/DetailTables.h"

namespace tavro::test {
namespace {

struct SpinCase {
    const char* name;
    bool complete;
    int stroke;
    int seriesCode;
    bool relative;
    int step;
    int upper;
    int lower;
};

constexpr SpinCase kSpinCases[] = {
    {"CompleteF20", true, 20, 1, false, 5, 20000, 0},
    {"CompleteNil50", true, 50, 2, false, 30, 50000, 0},
    {"CompleteM10Relative", true, 10, 3, true, 5, 10000, -10000},
    {"IncompleteFNoStroke", false, 0, 1, false, 1, 50, 0},
    {"IncompleteMNoStroke", false, 0, 3, false, 5, 100, 0},
    {"IncompleteNoSeriesNoStroke", false, 0, 0, false, 30, 300, 0},
    {"IncompleteStrokeKnown", false, 30, 0, false, 30, 30000, 0},
};

class SpinSetupTest : public ::testing::TestWithParam<SpinCase> {};

TEST_P(SpinSetupTest, StepAndBoundsFollowTheProductNumber) {
    const SpinCase& c = GetParam();
    const SpinSetup s =
        SpinSetupFor(c.complete, DetailLimitsFor(c.stroke, c.seriesCode, c.relative));
    EXPECT_EQ(s.step, c.step);
    EXPECT_EQ(s.upper[0], c.upper);
    EXPECT_EQ(s.lower, c.lower);
}

INSTANTIATE_TEST_SUITE_P(Cases, SpinSetupTest, ::testing::ValuesIn(kSpinCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SpinSetupTest, AreaSpinsHaveTheirOwnDefaultsWhileNothingIsChosen) {
    const SpinSetup s = SpinSetupFor(false, DetailLimitsFor(0, 1, false));
    EXPECT_EQ(s.upper[0], 50);
    for (std::size_t i = 1; i < s.upper.size(); ++i) {
        EXPECT_EQ(s.upper[i], 5) << i;
    }
}

struct SnapCase {
    const char* name;
    double millimetres;
    int step;
    int microns;
};

constexpr SnapCase kSnapCases[] = {
    {"DownToTheStep", 0.012, 5, 10},           {"ExactMultiple", 0.015, 5, 15},
    {"HalfRoundsAwayFromZero", 0.0125, 1, 13}, {"NegativeTowardsZero", -0.047, 30, -30},
    {"StepZeroOnlyRounds", 1.2344, 0, 1234},   {"HugeTextStaysInRange", 1.0e30, 5, 2000000000},
};

class SnapTest : public ::testing::TestWithParam<SnapCase> {};

TEST_P(SnapTest, SnapsToWholeSteps) {
    const SnapCase& c = GetParam();
    EXPECT_EQ(SnapMicrons(c.millimetres, c.step), c.microns);
}

INSTANTIATE_TEST_SUITE_P(Cases, SnapTest, ::testing::ValuesIn(kSnapCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SpinClickTest, AddsTheDeltaWithinTheBoundsOnWholeSteps) {
    EXPECT_EQ(SpinMicrons(0.010, 5, 0, 20000, 5), 15);
    EXPECT_EQ(SpinMicrons(19.998, 5, 0, 20000, 5), 20000);
    EXPECT_EQ(SpinMicrons(0.002, -5, 0, 20000, 5), 0);
    EXPECT_EQ(SpinMicrons(0.012, 5, 0, 20000, 5), 15);
    EXPECT_EQ(SpinMicrons(-9.99, -30, -10000, 10000, 30), -9990);
}

TEST(DetailLimitsTest, ThrustAndResolutionByModel) {
    struct Row {
        int stroke;
        int code;
        float thrust;
        float resolution;
    };
    constexpr Row rows[] = {
        {10, 1, 5.0F, 0.005F}, {20, 2, 4.8F, 0.03F}, {30, 3, 3.9F, 0.005F},
        {50, 1, 2.0F, 0.005F}, {0, 0, 1.0F, 0.0F},
    };
    for (const Row& r : rows) {
        const DetailLimits l = DetailLimitsFor(r.stroke, r.code, true);
        EXPECT_FLOAT_EQ(l.maxThrust, r.thrust) << r.stroke;
        EXPECT_FLOAT_EQ(l.resolution, r.resolution) << r.code;
        EXPECT_FLOAT_EQ(l.targetMinimum, -static_cast<float>(r.stroke));
    }
}

TEST(JoinAreaTest, SmallerPositionFirst) {
    EXPECT_EQ(JoinArea(3.0, 1.0, "-"), "1.000-3.000");
    EXPECT_EQ(JoinArea(0.5, 2.25, "-"), "0.500-2.250");
}

TEST(DetailTablesTest, SeriesCodesAndIndicesAgree) {
    for (int index = 0; index < 4; ++index) {
        EXPECT_EQ(SeriesIndexOfCode(kSeriesCodeOfIndex[static_cast<std::size_t>(index)]), index);
    }
    EXPECT_EQ(SeriesIndexOfCode(7), 0);
}

}  // namespace
}  // namespace tavro::test
