// The initial upload with its controller check, the reply store and the alarm read.

#include <gtest/gtest.h>

#include "link/CEepData.h"
#include "link/CTimer.h"
#include "link/StringIds.h"
#include "tests/link/EngineFixture.h"

namespace tavro::test {
namespace {

using Bodies = std::vector<std::string>;

class UploadTest : public EngineFixture {
  protected:
    UploadTest() {
        data["VE"] = "2.600";
        data["RE"] = "03" + std::string(38, '0');
        data["EE 0 0"] = "30.000000";
        data["EE 0 1"] = "3.000000";
        data["EE 1 0"] = "2.000000";
        data["EE 0 2"] = "1.000000";
        data["EE 0 6"] = "2.000000";
        data["EE 0 8"] = "4.000000";
        data["EE 0 9"] = "10.000000";
        data["EE 0 10"] = "90.000000";
        data["EE 0 13"] = "2.000000";
        data["EE 0 3"] = "1.000000";
        data["EE 0 22"] = "5.000000";
        data["EE 0 24"] = "0.500000";
    }
    float Cell(int g, int p, int copy) { return CEepData(ctx).GetCell(g, p, copy); }
};

TEST_F(UploadTest, ReadsTheSixteenRowsAndEnds) {
    trx().Run(OP_UPLOAD_ALL, 0, 0);
    loop.Advance(200);
    EXPECT_EQ(line->Commands(),
              (Bodies{"01 VE", "01 OE 0 0 0", "01 MD 1", "01 RE", "01 EE 0 0", "01 EE 0 1",
                      "01 EE 1 0", "01 EE 0 2", "01 EE 0 6", "01 EE 0 8", "01 EE 0 9", "01 EE 0 10",
                      "01 EE 0 13", "01 EE 0 3", "01 EE 0 22", "01 EE 0 24"}));
    const auto& s = ctx.status;
    EXPECT_FLOAT_EQ(s.controllerVersion, 2.6F);
    EXPECT_EQ(s.stroke[0], 30);
    EXPECT_EQ(s.stroke[1], 30);
    EXPECT_FLOAT_EQ(s.thrustLimit[0], 3.9F);
    EXPECT_EQ(s.series[0], 3);
    EXPECT_EQ(s.seriesScale[0], 500);
    EXPECT_EQ(s.stepInputMethod[0], 1);
    EXPECT_EQ(s.outputFunction[0], 4);
    EXPECT_EQ(s.outputFunction[1], 10);
    EXPECT_TRUE((s.flags & kFlagUploadDone) != 0);
    EXPECT_EQ(s.linkState, kLinkOnline);
    for (int copy : {0, 1}) {
        EXPECT_FLOAT_EQ(Cell(0, 10, copy), 90.0F);
        EXPECT_FLOAT_EQ(Cell(1, 0, copy), 2.0F);
        EXPECT_FLOAT_EQ(Cell(0, 22, copy), 5.0F);
        EXPECT_FLOAT_EQ(Cell(0, 24, copy), 0.5F);
    }
    EXPECT_EQ(host.Texts(host.calls.size() - 8),
              (Bodies{"SetRedraw(0)", "RefreshTitle", "RedisplayViews(6,0)", "SetInchingLimits",
                      "SetModeSwitch(1)", "SetLinkState(0)", "SetSendingBusy(0)", "SetRedraw(1)"}));
    EXPECT_TRUE(CTimer(ctx).IsRunning(CTimer::kPoll));
}

TEST_F(UploadTest, PollReplyDuringTheVersionReadIsNotJudged) {
    line->SetResponder(nullptr);
    ctx.trx.lastRequest.controllerId = 1;
    CTimer(ctx).StartPoll();
    loop.Advance(100);
    trx().Run(OP_UPLOAD_ALL, 0, 0);  // "VE" waits behind the poll
    line->Reply("01MOOK0080" + std::string(24, '0'));
    EXPECT_EQ(host.exitRequests, 0);
    EXPECT_EQ(line->Bodies(), (Bodies{"01 MO", "01 VE"}));
}

// A parameter reply as the image stores it.
struct StoredCase {
    const char* name;
    const char* text;
    float value;
};

constexpr StoredCase kStored[] = {
    {"Decimal", "7.250000", 7.25F}, {"Negative", "-2", -2.0F},
    {"Letters", "abc", 0.0F},       {"Empty", "", 0.0F},
    {"Trailing", "  7.5xyz", 7.5F}, {"Overflow", "1e999", 0.0F},
    {"BeyondFloat", "1e300", 0.0F}, {"NotANumber", "nan", 0.0F},
};

class StoredValueTest : public UploadTest, public ::testing::WithParamInterface<StoredCase> {};

TEST_P(StoredValueTest, GoesIntoBothCopies) {
    data["EE 0 24"] = GetParam().text;
    trx().Run(OP_UPLOAD_ALL, 0, 0);
    loop.Advance(200);
    ASSERT_EQ(ctx.status.linkState, kLinkOnline);
    EXPECT_FLOAT_EQ(Cell(0, 24, 0), GetParam().value);
    EXPECT_FLOAT_EQ(Cell(0, 24, 1), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Upload, StoredValueTest, ::testing::ValuesIn(kStored),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(UploadTest, ReplyLongerThanASlotIsCut) {
    data["EE 0 10"] = "45.5" + std::string(300, '0') + "9";
    trx().Run(OP_UPLOAD_ALL, 0, 0);
    loop.Advance(200);
    EXPECT_EQ(ctx.trx.store.Get(9).size(), ReplyStore::kMaxText);
    EXPECT_FLOAT_EQ(Cell(0, 10, 0), 45.5F);
    EXPECT_FLOAT_EQ(Cell(0, 22, 0), 5.0F);  // the next slots are untouched
}

TEST(ReplyStoreTest, KeepsSlotsWithinBounds) {
    ReplyStore store;
    store.Put(0, std::string(500, '7'));
    EXPECT_EQ(store.Get(0).size(), ReplyStore::kMaxText);
    store.Put(ReplyStore::kSlots - 1, "last");
    EXPECT_EQ(store.Get(ReplyStore::kSlots - 1), "last");
    store.Put(-7, "x");
    store.Put(ReplyStore::kSlots + 1, "y");
    store.Put(kSlotNone, "dropped");
    EXPECT_EQ(store.Get(-7), "dropped");  // out-of-range reads see the none slot
    EXPECT_EQ(store.Get(1), "");
}

class AlarmTest : public UploadTest {};

TEST_F(AlarmTest, ReadOnlySendsStopAndRead) {
    trx().Run(OP_ALARM, 0, 0);
    loop.Advance(50);
    EXPECT_EQ(line->Commands(), (Bodies{"01 OE 0 0 0", "01 RE"}));
    EXPECT_TRUE(host.Has("ShowOperationResult(1,0,0,0,0,0)"));
    EXPECT_TRUE(host.Has("EnableTabStrip(1)"));
    EXPECT_EQ(host.calls.back().text, "SetModeSwitch(1)");
    EXPECT_EQ(ctx.status.linkState, kLinkOnline);
}

TEST_F(AlarmTest, ResetSendsTheResetFirst) {
    trx().Run(OP_ALARM, 1, 0);
    loop.Advance(50);
    EXPECT_EQ(line->Commands(), (Bodies{"01 OE 0 0 0", "01 RE 0", "01 RE"}));
}

TEST_F(AlarmTest, InMonitorModeLeavesLinkStateAndTabs) {
    ctx.status.testMode = 0;
    ctx.status.linkState = kLinkMonitorMode;
    trx().Run(OP_ALARM, 0, 0);
    loop.Advance(50);
    EXPECT_EQ(line->Commands(), (Bodies{"01 OE 0 0 0", "01 RE"}));
    EXPECT_FALSE(host.Has("ShowOperationResult(1,0,0,0,0,0)"));
    EXPECT_FALSE(host.Has("EnableTabStrip(1)"));
    EXPECT_EQ(host.calls.back().text, "SetModeSwitch(0)");
    EXPECT_EQ(ctx.status.linkState, kLinkMonitorMode);
}

}  // namespace
}  // namespace tavro::test
