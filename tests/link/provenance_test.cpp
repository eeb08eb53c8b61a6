// Where the image's values came from, and what a download may write because of it.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "link/CEepData.h"
#include "link/CStatusFlg.h"
#include "tests/link/EngineFixture.h"
#include "tests/link/SimLinkFixture.h"

namespace tavro::test {
namespace {

using Bodies = std::vector<std::string>;

// How a cell got the value it holds before a download.
enum class Past {
    kStart,           // the image's start value, nothing else
    kRawEdit,         // an edit copy changed behind the image's back
    kRead,            // read from the controller
    kDefault,         // a known default
    kEdited,          // typed by the user
    kEditDiscarded,   // read, edited, the edit discarded
    kStartDiscarded,  // never read, edited, the edit discarded
    kReadForgotten,   // read, then another connection
};

struct WriteCase {
    const char* name;
    Past past;
    float value;
    bool readForm;
    int force;
    const char* sent;  // "" for nothing
};

constexpr WriteCase kWriteCases[] = {
    {"StartValueForced", Past::kStart, 0.0F, true, 1, ""},
    {"StartValueChangedUnseen", Past::kRawEdit, 5.0F, true, 0, ""},
    {"ReadValueNotForced", Past::kRead, 2.5F, true, 0, ""},
    {"ReadValueForcedGoesBack", Past::kRead, 2.5F, true, 1, "01 EE 1 4 2.50000"},
    // Four decimals would turn 0.00005 into 0.0001: what the controller holds stays.
    {"ReadValueTheRoundingWouldChange", Past::kRead, 0.00005F, true, 1, ""},
    {"ReadValueOfAWriteRow", Past::kRead, 0.12345F, false, 1, "01 EE 1 4 0.12345"},
    {"DefaultForced", Past::kDefault, 0.0F, true, 1, "01 EE 1 4 0.00000"},
    {"EditedNotForced", Past::kEdited, 7.25F, true, 0, "01 EE 1 4 7.25000"},
    {"DiscardedEditGoesBackToTheRead", Past::kEditDiscarded, 3.0F, true, 1, "01 EE 1 4 3.00000"},
    {"DiscardedEditOfAStartValue", Past::kStartDiscarded, 3.0F, true, 1, ""},
    {"ReadInAnotherConnection", Past::kReadForgotten, 3.0F, true, 1, ""},
};

class ForcedWriteTest : public EngineFixture, public ::testing::WithParamInterface<WriteCase> {
  protected:
    ForcedWriteTest() {
        line->SetResponder(nullptr);
        ctx.trx.lastRequest.controllerId = 1;
    }
    CEepData eep{ctx};
};

TEST_P(ForcedWriteTest, WritesOnlyWhatIsKnown) {
    const WriteCase& c = GetParam();
    constexpr int g = 1;
    constexpr int p = 4;
    switch (c.past) {
        case Past::kStart:
            break;
        case Past::kRawEdit:
            eep.Get(g, p)[1] = c.value;
            break;
        case Past::kRead:
            eep.StoreRead(g, p, c.value);
            break;
        case Past::kDefault:
            eep.SetDefault(g, p, c.value);
            break;
        case Past::kEdited:
            eep.SetCell(g, p, c.value, ParameterImage::kEditCopy);
            break;
        case Past::kEditDiscarded:
            eep.StoreRead(g, p, c.value);
            eep.SetCell(g, p, 9.0F, ParameterImage::kEditCopy);
            eep.Discard(g, p);
            break;
        case Past::kStartDiscarded:
            eep.SetCell(g, p, c.value, ParameterImage::kEditCopy);
            eep.Discard(g, p);
            break;
        case Past::kReadForgotten:
            eep.StoreRead(g, p, c.value);
            ctx.image.ForgetController();
            break;
    }
    const CommandRow table[] = {c.readForm ? Read(g, p) : Write(g, p)};
    trx().WriteTable(0, 1, 1, table, c.force);
    const Bodies expected = c.sent[0] == '\0' ? Bodies{} : Bodies{c.sent};
    EXPECT_EQ(line->Bodies(), expected);
}

INSTANTIATE_TEST_SUITE_P(Provenance, ForcedWriteTest, ::testing::ValuesIn(kWriteCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ForcedWriteTest, APassedOverCellIsNotTakenForTheControllersValue) {
    const CommandRow table[] = {Read(1, 8, 0), Bare("EU")};
    EXPECT_EQ(trx().WriteTable(0, 1, 2, table, 1), kContinue);  // unknown: nothing sent
    EXPECT_EQ(trx().WriteTable(1, 1, 2, table, 1), kWait);      // "EU"
    trx().StoreReplies(table, 1, 2);
    EXPECT_EQ(eep.Origin(1, 8), CellOrigin::kUnknown);
    line->sent.clear();
    EXPECT_EQ(trx().WriteTable(0, 1, 2, table, 1), kContinue);
    EXPECT_TRUE(line->sent.empty());
}

TEST(ImageOriginTest, AnEditKeepsTheOriginOnlyOfAValueItLeavesAsItIs) {
    ParameterImage image;
    EXPECT_EQ(image.Origin(0, 19), CellOrigin::kUnknown);
    image.SetCell(0, 19, 0.0F, ParameterImage::kEditCopy);  // the start value, now chosen
    EXPECT_EQ(image.Origin(0, 19), CellOrigin::kUser);
    image.StoreRead(0, 20, 60.0F);
    image.SetCell(0, 20, 60.0F, ParameterImage::kEditCopy);
    EXPECT_EQ(image.Origin(0, 20), CellOrigin::kController);
    image.SetDefault(0, 21, 5.0F);
    image.SetCell(0, 21, 5.0F, ParameterImage::kEditCopy);
    EXPECT_EQ(image.Origin(0, 21), CellOrigin::kDefault);
    image.SetCell(0, 21, 6.0F, ParameterImage::kEditCopy);
    EXPECT_EQ(image.Origin(0, 21), CellOrigin::kUser);
    // The controller copy does not say where the edit copy came from.
    image.SetCell(0, 20, 50.0F, ParameterImage::kControllerCopy);
    EXPECT_EQ(image.Origin(0, 20), CellOrigin::kController);
    // Group 22 is group 18 here too.
    image.StoreRead(22, 2, 10.0F);
    EXPECT_EQ(image.Origin(18, 2), CellOrigin::kController);
    EXPECT_EQ(image.Origin(99, 0), CellOrigin::kUnknown);
}

TEST(ImageOriginTest, DiscardAllPutsEveryEditBack) {
    ParameterImage image;
    image.StoreRead(3, 15, 2.0F);
    image.SetCell(3, 15, 5.0F, ParameterImage::kEditCopy);
    image.SetDefault(1, 17, 0.0F);
    image.SetCell(0, 19, 1.8F, ParameterImage::kEditCopy);
    image.DiscardAll();
    for (const auto& [g, p] : {std::pair{3, 15}, std::pair{1, 17}, std::pair{0, 19}}) {
        EXPECT_FALSE(image.IsModified(g, p)) << g << "/" << p;
    }
    EXPECT_EQ(image.Origin(3, 15), CellOrigin::kController);
    EXPECT_EQ(image.Origin(0, 19), CellOrigin::kUnknown);
}

// Operations against the simulator whose servo constants the tool has no defaults for.
class KnownWritesTest : public SimLinkFixture {
  protected:
    Bodies RunOp(Op op, int param = 0, int status = 0) {
        bus.ClearLog();
        trx().Run(op, param, status);
        loop.Advance(30000);
        Bodies writes;
        for (const std::string& c : Commands()) {
            if (std::count(c.begin(), c.end(), ' ') == 4) {
                writes.push_back(c.substr(3));
            }
        }
        return writes;
    }
    CEepData eep{ctx};
};

TEST_F(KnownWritesTest, ForcedDetailBlockBeforeAnyDetailUploadWritesOnlyDefaults) {
    RunOp(OP_UPLOAD_ALL);
    // What the Basic page's Setup puts into the image for a new product.
    eep.SetDefault(1, 13, 104.2F);
    eep.SetDefault(2, 12, 104.2F);
    eep.SetDefault(1, 17, 0.0F);
    eep.SetCell(0, 0, 10.0F, ParameterImage::kEditCopy);
    const Bodies writes = RunOp(OP_BASIC_DOWNLOAD, 0, 1);
    EXPECT_EQ(writes, (Bodies{"EE 1 13 104.20000", "EE 1 17 0.00000", "EE 2 12 104.20000",
                              "EE 0 0 10.00000"}));
}

TEST_F(KnownWritesTest, AfterTheDetailUploadTheForcedBlockWritesBackWhatTheControllerHolds) {
    sim.Controller().SetParameter(1, 1, 21.5F);
    sim.Controller().SetParameter(2, 11, 3.0F);
    RunOp(OP_UPLOAD_ALL);
    RunOp(OP_DETAIL_UPLOAD);
    const Bodies writes = RunOp(OP_DETAIL_DOWNLOAD, 1);
    EXPECT_EQ(writes.size(), 88U);
    EXPECT_EQ(writes.front(), "EE 1 1 21.50000");
    EXPECT_NE(std::find(writes.begin(), writes.end(), "EE 2 11 3.00000"), writes.end());
    EXPECT_FLOAT_EQ(sim.Controller().StoredParameter(1, 1), 21.5F);
}

TEST_F(KnownWritesTest, WhatAWritePassedOverDoesNotOutliveIt) {
    sim.Controller().SetParameter(1, 4, 300.0F);
    RunOp(OP_UPLOAD_ALL);
    RunOp(OP_PID_DEFAULT);  // nothing changed: every row passed over, no replies stored
    RunOp(OP_DETAIL_UPLOAD);
    EXPECT_FLOAT_EQ(eep.GetCell(1, 4, ParameterImage::kEditCopy), 300.0F);
    EXPECT_EQ(eep.Origin(1, 4), CellOrigin::kController);
}

TEST_F(KnownWritesTest, AReconnectionForgetsWhatWasRead) {
    RunOp(OP_UPLOAD_ALL);
    RunOp(OP_DETAIL_UPLOAD);
    RunOp(OP_CONNECT);
    EXPECT_EQ(eep.Origin(2, 5), CellOrigin::kUnknown);
    EXPECT_EQ(RunOp(OP_DETAIL_DOWNLOAD, 1), Bodies{});
}

}  // namespace
}  // namespace tavro::test
