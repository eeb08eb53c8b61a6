// Basic parameters mirrored into the status block, and the warning on a changed controller.

#include <gtest/gtest.h>

#include "link/CStatusFlg.h"
#include "link/StringIds.h"
#include "tests/link/EngineFixture.h"

namespace tavro::test {
namespace {

enum class Field { kStroke, kThrust, kSeries, kScale, kControlType, kStepInput, kId, kOut0, kOut1 };

struct ApplyCase {
    const char* name;
    int group;
    int parameter;
    int value;
    Field field;
    float expected;
};

// The fixture's status block before each case: stroke 20, series 2, type 1, ID 1.
constexpr ApplyCase kApplyCases[] = {
    {"Stroke10", 0, 0, 10, Field::kStroke, 10},
    {"Stroke10Thrust", 0, 0, 10, Field::kThrust, 5.0F},
    {"Stroke50", 0, 0, 50, Field::kStroke, 50},
    {"Stroke60Refused", 0, 0, 60, Field::kStroke, 20},
    {"StrokeNegativeRefused", 0, 0, -1, Field::kStroke, 20},
    {"Series3", 0, 1, 3, Field::kSeries, 3},
    {"Series3Scale", 0, 1, 3, Field::kScale, 500},
    {"Series4Refused", 0, 1, 4, Field::kSeries, 2},
    {"TypePulse", 0, 12, 2, Field::kControlType, 2},
    {"Type3Refused", 0, 12, 3, Field::kControlType, 1},
    {"StepInput", 0, 2, 1, Field::kStepInput, 1},
    {"StepInput3Refused", 0, 2, 3, Field::kStepInput, 0},
    {"Id255", 0, 3, 255, Field::kId, 255},
    {"Id0Refused", 0, 3, 0, Field::kId, 1},
    {"Id256Refused", 0, 3, 256, Field::kId, 1},
    {"Out0", 0, 8, 10, Field::kOut0, 10},
    {"Out0Refused", 0, 8, 11, Field::kOut0, 0},
    {"Out1", 0, 9, 7, Field::kOut1, 7},
    {"Out1Refused", 0, 9, 11, Field::kOut1, 0},
    {"OriginKpIsNotAnInputMethod", 1, 13, 1, Field::kStepInput, 0},
    {"OtherGroupIgnored", 3, 0, 10, Field::kStroke, 20},
};

class ApplyParameterTest : public EngineFixture, public ::testing::WithParamInterface<ApplyCase> {
  protected:
    ApplyParameterTest() {
        CStatusFlg status(ctx);
        status.SetStroke(0, 20);
        status.SetSeries(0, 2);
    }
    float Read(Field f) const {
        const StatusBlock& s = ctx.status;
        switch (f) {
            case Field::kStroke:
                return static_cast<float>(s.stroke[0]);
            case Field::kThrust:
                return s.thrustLimit[0];
            case Field::kSeries:
                return static_cast<float>(s.series[0]);
            case Field::kScale:
                return static_cast<float>(s.seriesScale[0]);
            case Field::kControlType:
                return static_cast<float>(s.controlType);
            case Field::kStepInput:
                return static_cast<float>(s.stepInputMethod[0]);
            case Field::kId:
                return static_cast<float>(s.controllerId);
            case Field::kOut0:
                return static_cast<float>(s.outputFunction[0]);
            case Field::kOut1:
                return static_cast<float>(s.outputFunction[1]);
        }
        return -1;
    }
};

TEST_P(ApplyParameterTest, UpdatesOnlyValuesWithinTheirLimits) {
    const ApplyCase& c = GetParam();
    trx().ApplyParameter(c.group, c.parameter, c.value);
    EXPECT_FLOAT_EQ(Read(c.field), c.expected);
}

INSTANTIATE_TEST_SUITE_P(ParameterMap, ApplyParameterTest, ::testing::ValuesIn(kApplyCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ApplyParameterTest, BothCopiesOfStrokeAndSeriesFollowTheController) {
    trx().ApplyParameter(0, 0, 30);
    trx().ApplyParameter(0, 1, 1);
    EXPECT_EQ(ctx.status.stroke[1], 30);
    EXPECT_FLOAT_EQ(ctx.status.thrustLimit[1], 3.9F);
    EXPECT_EQ(ctx.status.series[1], 1);
    EXPECT_EQ(ctx.status.seriesScale[1], 125);
}

TEST_F(ApplyParameterTest, IdAndControlTypeHaveTheirSideEffects) {
    trx().ApplyParameter(0, 3, 5);
    EXPECT_TRUE(host.Has("RefreshTitle"));
    ctx.status.flags = 0;
    trx().ApplyParameter(0, 12, 2);
    EXPECT_TRUE((ctx.status.flags & kFlagTypeFromController) != 0);
}

// Reconnecting after the initial upload to a controller with another stroke or series.
struct ReconnectCase {
    const char* name;
    int heldStroke;
    int heldSeries;
    bool uploadDone;
    std::size_t warnings;
};

constexpr ReconnectCase kReconnects[] = {
    {"StrokeChanged", 10, 2, true, 1},    {"SeriesChanged", 20, 1, true, 1},
    {"BothChanged", 10, 1, true, 1},      {"Unchanged", 20, 2, true, 0},
    {"BeforeTheUpload", 10, 1, false, 0},
};

class ReconnectTest : public EngineFixture, public ::testing::WithParamInterface<ReconnectCase> {};

TEST_P(ReconnectTest, WarnsOnceAndAdoptsTheController) {
    const ReconnectCase& c = GetParam();
    CStatusFlg status(ctx);
    status.SetStroke(0, c.heldStroke);
    status.SetSeries(0, c.heldSeries);
    if (c.uploadDone) {
        status.SetFlag(kFlagUploadDone);
    }
    data["EE 0 0"] = "20.000000";
    data["EE 0 1"] = "2.000000";
    data["EE 0 12"] = "1.000000";
    data["EE 0 3"] = "1.000000";
    trx().Run(OP_CONNECT, 0, 0);
    loop.Advance(100);
    EXPECT_EQ(host.MessageCount(ids::IDS_CONTROLLER_CHANGED), c.warnings);
    EXPECT_EQ(ctx.status.stroke[0], 20);
    EXPECT_EQ(ctx.status.series[0], 2);
    EXPECT_EQ(ctx.status.linkState, kLinkOnline);
    EXPECT_TRUE((ctx.status.flags & kFlagIdentityRead) != 0);
}

INSTANTIATE_TEST_SUITE_P(ParameterMap, ReconnectTest, ::testing::ValuesIn(kReconnects),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReconnectTest, ConnectFromTheSearchDialogCompletesThere) {
    ctx.status.frontPhase = kFrontIdSearch;
    trx().Run(OP_CONNECT, 0, 0);
    loop.Advance(100);
    EXPECT_TRUE(host.Has("NotifyFrontDialog(0x0500,0)"));
    EXPECT_FALSE(host.Has("SetLinkState(0)"));
    EXPECT_EQ(line->Commands(), (std::vector<std::string>{"01 OE 0 0 0", "01 MD 1", "01 EE 0 0",
                                                          "01 EE 0 1", "01 EE 0 12", "01 EE 0 3"}));
}

}  // namespace
}  // namespace tavro::test
