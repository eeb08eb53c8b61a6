// Connection, upload and download operations against the simulated controller.

#include <gtest/gtest.h>

#include <algorithm>

#include "link/CEepData.h"
#include "link/CStatusFlg.h"
#include "link/CTimer.h"
#include "link/StringIds.h"
#include "tests/link/SimLinkFixture.h"

namespace tavro::test {
namespace {

using Bodies = std::vector<std::string>;

class OperationsTest : public SimLinkFixture {
  protected:
    // Runs an operation to its end and returns the commands it put on the line.
    Bodies RunOp(Op op, int param = 0, int status = 0) {
        bus.ClearLog();
        trx().Run(op, param, status);
        loop.Advance(30000);
        return Commands();
    }
    void Upload(Op op) { RunOp(op); }
    CEepData eep{ctx};
    CStatusFlg flags{ctx};
};

struct TypeCase {
    const char* name;
    int controlType;
    std::size_t reads;
    int lastGroup;
};

constexpr TypeCase kTypes[] = {
    {"StepData", kControlTypeStep, 135, 17},
    {"Pulse", kControlTypePulse, 36, 6},
};

class StepUploadTest : public OperationsTest, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(StepUploadTest, ReadsNineParametersOfEveryStep) {
    ctx.status.controlType = GetParam().controlType;
    sim.Controller().SetParameter(GetParam().lastGroup, 8, 3.0F);
    sim.Controller().SetParameter(4, 2, 42.0F);
    const Bodies sent = RunOp(OP_STEP_UPLOAD);
    ASSERT_EQ(sent.size(), GetParam().reads);
    EXPECT_EQ(sent.front(), "01 EE 3 0");
    EXPECT_EQ(sent.back(), "01 EE " + std::to_string(GetParam().lastGroup) + " 8");
    for (int copy : {0, 1}) {
        EXPECT_FLOAT_EQ(eep.GetCell(4, 2, copy), 42.0F);
        EXPECT_FLOAT_EQ(eep.GetCell(GetParam().lastGroup, 8, copy), 3.0F);
    }
    EXPECT_TRUE(flags.HasFlag(kFlagStepDataMoved));
    EXPECT_TRUE(host.Has("RedisplayViews(2,0)"));
    EXPECT_TRUE(host.Has("Progress(0,9)"));
    EXPECT_FALSE(host.progressVisible);
    EXPECT_EQ(ctx.status.linkState, kLinkOnline);
    EXPECT_FALSE(host.Has("ShowStepBrowser(1771,3)"));
}

INSTANTIATE_TEST_SUITE_P(Operations, StepUploadTest, ::testing::ValuesIn(kTypes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OperationsTest, UploadForTheBrowserOpensIt) {
    RunOp(OP_STEP_UPLOAD_REF, (1771 << 16) | 3);
    const Bodies tail = host.Texts(host.calls.size() - 5);
    EXPECT_EQ(tail, (Bodies{"EnableMainWindow(0)", "ShowStepBrowser(1771,3)", "SetLinkState(0)",
                            "SetSendingBusy(0)", "SetRedraw(1)"}));
}

TEST_F(OperationsTest, FirstStepDownloadWritesEveryKnownStepCell) {
    // Forced, but the image's start values were never read: only what the user entered
    // and what a file gave goes out.
    eep.SetCell(3, 0, 2500.0F, 1);
    for (int p = 0; p < 9; ++p) {
        eep.SetCell(17, p, 7.0F, 1);
    }
    const Bodies sent = RunOp(OP_STEP_DOWNLOAD);
    EXPECT_EQ(sent.size(), 1U + 9U + 1U);
    EXPECT_EQ(sent.front(), "01 EE 3 0 2500.00000");
    EXPECT_EQ(sent[1], "01 EE 17 0 7.00000");
    EXPECT_EQ(sent.back(), "01 EU");
    EXPECT_TRUE(flags.HasFlag(kFlagStepDataMoved));
    EXPECT_EQ(host.messages, (std::vector<int>{ids::IDS_UPDATE_COMPLETE}));
}

TEST_F(OperationsTest, StepDownloadAfterAnUploadSendsOnlyTheCommit) {
    Upload(OP_STEP_UPLOAD);
    bus.ClearLog();
    host.Clear();
    trx().Run(OP_STEP_DOWNLOAD, 0, 0);
    // Every row was unchanged: the whole list ran inside this one call up to the commit.
    EXPECT_EQ(ctx.trx.lastRequest.body, "01 EU");
    EXPECT_TRUE(ctx.trx.InFlight());
    loop.Advance(1000);
    EXPECT_EQ(Commands(), (Bodies{"01 EU"}));
    EXPECT_EQ(host.messages, (std::vector<int>{ids::IDS_UPDATE_COMPLETE}));
    EXPECT_EQ(ctx.status.linkState, kLinkOnline);
}

TEST_F(OperationsTest, StepDownloadSendsTheEditedCellAndThenNothing) {
    Upload(OP_STEP_UPLOAD);
    eep.SetCell(5, 0, 12345.0F, 1);
    eep.SetCell(7, 3, 12.345678F, 1);  // rows in read form go out with four decimals
    EXPECT_EQ(RunOp(OP_STEP_DOWNLOAD),
              (Bodies{"01 EE 5 0 12345.00000", "01 EE 7 3 12.34570", "01 EU"}));
    EXPECT_FLOAT_EQ(sim.Controller().Parameter(5, 0), 12345.0F);
    EXPECT_FALSE(eep.IsModified(5, 0));
    EXPECT_EQ(RunOp(OP_STEP_DOWNLOAD), (Bodies{"01 EU"}));
}

class BasicDownloadTest : public OperationsTest, public ::testing::WithParamInterface<TypeCase> {
  protected:
    BasicDownloadTest() {
        ctx.status.controlType = GetParam().controlType;
        flags.SetFlag(kFlagDetailRead);
        eep.SetCell(0, 2, 1.0F, 1);
        eep.SetCell(0, 13, 2.0F, 1);
    }
    static bool Sent(const Bodies& sent, const std::string& prefix) {
        return std::any_of(sent.begin(), sent.end(),
                           [&](const std::string& b) { return b.rfind(prefix, 0) == 0; });
    }
};

TEST_P(BasicDownloadTest, WritesTheInputMethodOrThePulseMode) {
    const Bodies sent = RunOp(OP_BASIC_DOWNLOAD, 1, 1);
    const bool pulse = GetParam().controlType == kControlTypePulse;
    EXPECT_EQ(Sent(sent, "01 EE 0 13 "), pulse);
    EXPECT_EQ(Sent(sent, "01 EE 0 2 "), !pulse);
    const Bodies commit(sent.end() - 3, sent.end());
    EXPECT_EQ(commit, (Bodies{"01 EU", "01 AB", "01 SP"}));
    EXPECT_EQ(host.messages, (std::vector<int>{ids::IDS_RESET_REQUIRED, ids::IDS_UPDATE_COMPLETE}));
}

INSTANTIATE_TEST_SUITE_P(Operations, BasicDownloadTest, ::testing::ValuesIn(kTypes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OperationsTest, SkippedBlocksAreNotCountedInTheProgress) {
    flags.SetFlag(kFlagDetailRead);
    RunOp(OP_BASIC_DOWNLOAD, 1, 1);
    // Basic write (5), I/O limits (2) and the commit (3); no detail table, no step areas.
    EXPECT_TRUE(host.Has("Progress(0,10)"));
    EXPECT_FALSE(host.Has("RedisplayViews(0,0)"));
    EXPECT_TRUE(host.Has("SetInchingLimits"));
    host.Clear();
    RunOp(OP_BASIC_DOWNLOAD, 0, 0);
    EXPECT_TRUE(host.Has("Progress(0,188)"));  // 88 + 6 x 15 + 10
    EXPECT_TRUE(host.Has("RedisplayViews(0,0)"));
}

TEST_F(OperationsTest, PulseStepAreaBlockWritesFourSteps) {
    ctx.status.controlType = kControlTypePulse;
    // The detail parameters were never read, so the step area block is forced; it writes
    // the series defaults the Basic page set.
    for (int g = 3; g <= 6; ++g) {
        for (int p = 9; p <= 14; ++p) {
            eep.SetDefault(g, p, 0.0F);
        }
    }
    const Bodies sent = RunOp(OP_BASIC_DOWNLOAD, 1, 0);
    Bodies areas;
    std::copy_if(sent.begin(), sent.end(), std::back_inserter(areas), [](const std::string& b) {
        return b.rfind("01 EE ", 0) == 0 && b.compare(6, 2, "0 ") != 0 &&
               b.compare(6, 2, "1 ") != 0;
    });
    ASSERT_EQ(areas.size(), 24U);
    EXPECT_EQ(areas.front().substr(0, 12), "01 EE 3 9 0.");
    EXPECT_EQ(areas.back().substr(0, 12), "01 EE 6 14 0");
    EXPECT_TRUE(host.Has("Progress(0,34)"));  // 24 + 10
}

TEST_F(OperationsTest, PulseIoUploadReadsFourStepsOfAreas) {
    ctx.status.controlType = kControlTypePulse;
    const Bodies sent = RunOp(OP_IO_UPLOAD);
    ASSERT_EQ(sent.size(), 1U + 24U + 2U);
    EXPECT_EQ(sent[0], "01 OE 0 0 0");
    EXPECT_EQ(sent[1], "01 EE 3 9");
    EXPECT_EQ(sent[24], "01 EE 6 14");
    EXPECT_EQ(sent[26], "01 EE 0 20");
    EXPECT_TRUE(flags.HasFlag(kFlagDetailRead));
    EXPECT_TRUE(host.Has("ShowOperationResult(1,0,0,0,0,0)"));
    EXPECT_TRUE(host.Has("RedisplayViews(0,0)"));
}

TEST_F(OperationsTest, IoDownloadReleasesTheOutputsFirstAndRefreshesTheLamps) {
    Upload(OP_IO_UPLOAD);
    eep.SetCell(0, 8, 5.0F, 1);
    eep.SetCell(9, 10, 300.0F, 1);
    ctx.monitor.forceRefresh = false;
    EXPECT_EQ(RunOp(OP_IO_DOWNLOAD),
              (Bodies{"01 SW 4 1", "01 EE 0 8 5.00000", "01 EE 9 10 300.00000", "01 EU"}));
    EXPECT_EQ(ctx.status.outputFunction[0], 5);
    EXPECT_TRUE(ctx.monitor.forceRefresh);
    EXPECT_EQ(host.messages, (std::vector<int>{ids::IDS_UPDATE_COMPLETE}));
}

TEST_F(OperationsTest, DetailUploadReadsEverything) {
    sim.Controller().SetParameter(2, 56, 0.25F);
    sim.Controller().SetParameter(17, 15, 4.0F);
    sim.Controller().SetParameter(1, 4, 300.0F);
    const Bodies sent = RunOp(OP_DETAIL_UPLOAD, 1);
    // Every cell the detail table writes, the servo constants included.
    EXPECT_EQ(sent.size(), 88U + 225U + 18U);
    EXPECT_TRUE(host.Has("Progress(0,331)"));
    EXPECT_EQ(sent.front(), "01 EE 1 1");
    EXPECT_FLOAT_EQ(eep.GetCell(1, 4, 1), 300.0F);
    EXPECT_EQ(eep.Origin(1, 4), CellOrigin::kController);
    EXPECT_FLOAT_EQ(eep.GetCell(2, 56, 0), 0.25F);
    EXPECT_FLOAT_EQ(eep.GetCell(17, 15, 1), 4.0F);
    for (std::uint8_t f : {kFlagDetailUploadDone, kFlagStepDataMoved, kFlagDetailRead}) {
        EXPECT_TRUE(flags.HasFlag(f));
    }
    EXPECT_TRUE(host.Has("RedisplayViews(6,0)"));
}

TEST_F(OperationsTest, PidDefaultWritesOnlyChangedCellsWithoutCommit) {
    Upload(OP_DETAIL_UPLOAD);
    eep.SetCell(1, 5, 7.0F, 1);
    eep.SetCell(2, 30, 0.5F, 1);
    EXPECT_EQ(RunOp(OP_PID_DEFAULT), (Bodies{"01 EE 1 5 7.00000", "01 EE 2 30 0.50000"}));
    EXPECT_TRUE(host.Has("Progress(0,88)"));
    EXPECT_EQ(ctx.status.linkState, kLinkOnline);
    EXPECT_TRUE(CTimer(ctx).IsRunning(CTimer::kPoll));
}

// The ID change from 1 to 5 with the ID/communication setting.
class IdChangeTest : public OperationsTest {
  protected:
    IdChangeTest() {
        Upload(OP_UPLOAD_ALL);
        eep.SetCell(0, 3, 5.0F, 1);
    }
};

TEST_F(IdChangeTest, WriteGoesToTheOldIdAndTheRestToTheNew) {
    eep.SetCell(0, 24, 2.5F, 1);
    EXPECT_EQ(RunOp(OP_COMM_SETUP, 0),
              (Bodies{"01 EE 0 3 5.00000", "05 EE 0 24 2.50000", "05 EU"}));
    const auto replies = bus.Replies("EE");
    ASSERT_FALSE(replies.empty());
    EXPECT_EQ(replies.front().id, 5);
    EXPECT_EQ(ctx.status.controllerId, 5);
    EXPECT_TRUE(host.Has("RefreshTitle"));
    EXPECT_EQ(host.messages, (std::vector<int>{ids::IDS_RESET_REQUIRED, ids::IDS_UPDATE_COMPLETE}));
    EXPECT_EQ(host.MessageCount(ids::IDS_NO_RESPONSE), 0U);
}

TEST_F(IdChangeTest, OnlyTheIdSendsNoSpeedOrDelay) {
    EXPECT_EQ(RunOp(OP_COMM_SETUP, 0), (Bodies{"01 EE 0 3 5.00000", "05 EU"}));
}

TEST_F(IdChangeTest, DetailDownloadMovesToTheNewIdToo) {
    flags.SetFlag(kFlagStepDataMoved);
    const Bodies sent = RunOp(OP_DETAIL_DOWNLOAD, 0);
    ASSERT_EQ(sent.size(), 4U);  // the ID, then the commit under the new one
    EXPECT_EQ(sent.front(), "01 EE 0 3 5.00000");
    EXPECT_EQ(sent[1].substr(0, 2), "05");
    EXPECT_EQ(Bodies(sent.end() - 3, sent.end()), (Bodies{"05 EU", "05 AB", "05 SP"}));
    EXPECT_EQ(host.MessageCount(ids::IDS_NO_RESPONSE), 0U);
}

struct SpeedAnswer {
    const char* name;
    bool yes;
    const char* notify;
};

constexpr SpeedAnswer kSpeedAnswers[] = {
    {"CloseTheTool", true, "NotifyFrontDialog(0x0800,5)"},
    {"CloseTheDialogOnly", false, "NotifyFrontDialog(0x0500,5)"},
};

class SpeedChangeTest : public OperationsTest, public ::testing::WithParamInterface<SpeedAnswer> {};

TEST_P(SpeedChangeTest, AsksWhetherToCloseTheTool) {
    eep.SetCell(0, 22, 5.0F, 1);
    host.answers.push_back(GetParam().yes);
    EXPECT_EQ(RunOp(OP_COMM_SETUP, 1), (Bodies{"01 EE 0 22 5.00000", "01 EU"}));
    EXPECT_TRUE(host.Has("Ask(1140,i,top)=" + std::string(GetParam().yes ? "Yes" : "No")));
    EXPECT_TRUE(host.Has(GetParam().notify));
    EXPECT_EQ(host.Has("RedisplayViews(6,0)"), GetParam().yes);
    EXPECT_EQ(host.MessageCount(ids::IDS_UPDATE_COMPLETE), 0U);
}

INSTANTIATE_TEST_SUITE_P(Operations, SpeedChangeTest, ::testing::ValuesIn(kSpeedAnswers),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OperationsTest, FactoryResetExpectsTheReplyFromIdOne) {
    eep.SetCell(0, 3, 9.0F, 1);
    RunOp(OP_COMM_SETUP, 0);  // the controller now answers to 9
    ASSERT_EQ(ctx.status.controllerId, 9);
    EXPECT_EQ(RunOp(OP_INITIALIZE), (Bodies{"09 OE 0 0 0", "09 ED"}));
    EXPECT_EQ(bus.Replies("ED").front().id, 1);
    EXPECT_EQ(ctx.status.controllerId, 1);
    EXPECT_TRUE(host.Has("NotifyFrontDialog(0x0500,0)"));
    EXPECT_EQ(host.MessageCount(ids::IDS_NO_RESPONSE), 0U);
}

TEST_F(OperationsTest, ControlTypeIsWrittenCommittedAndTaken) {
    ctx.status.frontPhase = kFrontTypeDialog;
    ctx.status.flags = 0;
    EXPECT_EQ(RunOp(OP_SET_CONTROL_TYPE, 2),
              (Bodies{"01 EE 0 12 2.00000", "01 EU", "01 AB", "01 SP"}));
    EXPECT_EQ(ctx.status.controlType, kControlTypePulse);
    EXPECT_TRUE(flags.HasFlag(kFlagTypeFromController));
    EXPECT_FLOAT_EQ(eep.GetCell(0, 12, 0), 2.0F);
    EXPECT_TRUE(host.Has("NotifyFrontDialog(0x0500,0)"));
}

}  // namespace
}  // namespace tavro::test
