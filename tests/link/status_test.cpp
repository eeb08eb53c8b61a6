#include <gtest/gtest.h>

#include "link/CStatusFlg.h"
#include "link/VirtualLoop.h"

namespace tavro {
namespace {

class StatusTest : public ::testing::Test {
  protected:
    VirtualLoop loop;
    LinkContext ctx{loop, "/nonexistent"};
    CStatusFlg status{ctx};
};

TEST_F(StatusTest, StartsWithThrustLimitOneAndStepDataType) {
    EXPECT_FLOAT_EQ(status.GetThrustLimit(0), 1.0F);
    EXPECT_FLOAT_EQ(status.GetThrustLimit(1), 1.0F);
    EXPECT_EQ(status.GetControlType(), 1);
    EXPECT_EQ(status.GetTestMode(), 1);
    EXPECT_EQ(status.GetAlarmHistoryCount(), 20);
    EXPECT_EQ(status.GetFlags(), 0);
}

struct StrokeCase {
    int stroke;
    float thrust;
};

class StrokeTest : public StatusTest, public ::testing::WithParamInterface<StrokeCase> {};

TEST_P(StrokeTest, ThrustLimitFollowsStroke) {
    status.SetStroke(1, GetParam().stroke);
    EXPECT_EQ(status.GetStroke(1), GetParam().stroke);
    EXPECT_FLOAT_EQ(status.GetThrustLimit(1), GetParam().thrust);
    EXPECT_FLOAT_EQ(status.GetThrustLimit(0), 1.0F);  // the other copy is untouched
}

INSTANTIATE_TEST_SUITE_P(Strokes, StrokeTest,
                         ::testing::Values(StrokeCase{10, 5.0F}, StrokeCase{20, 4.8F},
                                           StrokeCase{30, 3.9F}, StrokeCase{50, 2.0F},
                                           StrokeCase{25, 1.0F}, StrokeCase{0, 1.0F}),
                         [](const auto& info) {
                             return "stroke" + std::to_string(info.param.stroke);
                         });

TEST_F(StatusTest, SeriesScale) {
    const int cases[][2] = {{1, 125}, {2, 3000}, {3, 500}, {0, 0}, {4, 0}};
    for (const auto& c : cases) {
        status.SetSeries(0, c[0]);
        EXPECT_EQ(status.GetSeriesScale(0), c[1]) << "series " << c[0];
    }
}

TEST_F(StatusTest, GetPositionClamps) {
    status.SetStroke(0, 50);
    status.SetCurrentPosition(-0.2F);
    EXPECT_FLOAT_EQ(status.GetPosition(1), 0.0F);
    EXPECT_FLOAT_EQ(status.GetPosition(0), -0.2F);
    status.SetCurrentPosition(52.0F);
    EXPECT_FLOAT_EQ(status.GetPosition(1), 50.0F);
    EXPECT_FLOAT_EQ(status.GetPosition(0), 52.0F);
}

TEST_F(StatusTest, ControlTypeFlagAndOrigin) {
    status.SetControlType(2);
    EXPECT_EQ(status.GetControlType(), 2);
    EXPECT_TRUE(status.HasFlag(kFlagTypeFromController));
    status.ClearTypeFromController();
    EXPECT_FALSE(status.HasFlag(kFlagTypeFromController));
    status.SetFlag(kFlagUploadDone);
    status.SetOriginDone(true);
    EXPECT_TRUE(status.IsOriginDone());
    status.SetOriginDone(false);
    EXPECT_FALSE(status.IsOriginDone());
    EXPECT_TRUE(status.HasFlag(kFlagUploadDone));
}

TEST_F(StatusTest, DerivedStates) {
    EXPECT_FALSE(status.IsPortOpen());
    status.SetComPort(1);
    EXPECT_TRUE(status.IsPortOpen());
    status.SetLinkStateValue(kLinkBusy);
    EXPECT_TRUE(status.IsBusy());
    status.SetOffline();
    EXPECT_EQ(status.GetLinkState(), kLinkNoController);
    status.SetVersionFromText("2.50xyz");
    EXPECT_FLOAT_EQ(status.GetControllerVersion(), 2.5F);
}

// A "VE" reply's data as the version: what a float cannot hold is 0, not infinity.
struct VersionCase {
    const char* text;
    float version;
};

constexpr VersionCase kVersions[] = {
    {"2.60", 2.6F},  {"2.50xyz", 2.5F}, {"1e38", 1e38F}, {"1e39", 0.0F},
    {"-1e39", 0.0F}, {"1e999", 0.0F},   {"inf", 0.0F},   {"nan", 0.0F},
};

TEST_F(StatusTest, VersionIsAFloatTheTextReadsAs) {
    for (const VersionCase& c : kVersions) {
        status.SetVersionFromText(c.text);
        EXPECT_EQ(status.GetControllerVersion(), c.version) << c.text;
    }
}

TEST_F(StatusTest, TwoAccessorsShareOneBlock) {
    CStatusFlg other(ctx);
    other.SetStroke(0, 30);
    EXPECT_EQ(status.GetStroke(0), 30);
    // A second context is a second program: nothing leaks between them.
    LinkContext fresh(loop, "/nonexistent");
    EXPECT_EQ(CStatusFlg(fresh).GetStroke(0), 0);
}

}  // namespace
}  // namespace tavro
