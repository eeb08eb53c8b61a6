// The table engines: what a write sends for a cell, and what an acknowledgement stores.

#include <gtest/gtest.h>

#include "link/CEepData.h"
#include "tests/link/EngineFixture.h"

namespace tavro::test {
namespace {

struct FormatCase {
    const char* name;
    CommandRow row;
    float edit;
    const char* sent;
};

constexpr FormatCase kFormats[] = {
    {"ReadFormRoundsToFourDecimals", Read(0, 19), 12.345678F, "01 EE 0 19 12.34570"},
    {"WriteFormKeepsFiveDecimals", Write(0, 19), 12.345678F, "01 EE 0 19 12.34568"},
    {"IntegerValue", Write(0, 3), 5.0F, "01 EE 0 3 5.00000"},
    {"Negative", Read(18, 0), -1500.0F, "01 EE 18 0 -1500.00000"},
};

class WriteTableTest : public EngineFixture {
  protected:
    WriteTableTest() {
        line->SetResponder(nullptr);
        ctx.trx.lastRequest.controllerId = 1;  // where Run would put controllerId
    }
    CEepData eep{ctx};
};

class WriteFormatTest : public WriteTableTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(WriteFormatTest, SendsTheEditCopy) {
    const FormatCase& c = GetParam();
    const CommandRow table[] = {c.row};
    eep.SetCell(c.row.group, c.row.parameter, c.edit, 1);
    EXPECT_EQ(trx().WriteTable(0, 1, 1, table, 0), kWait);
    EXPECT_EQ(line->Bodies(), (std::vector<std::string>{c.sent}));
}

INSTANTIATE_TEST_SUITE_P(Transfer, WriteFormatTest, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WriteTableTest, UnchangedCellIsSkippedUnlessForced) {
    const CommandRow table[] = {Read(0, 19)};
    eep.StoreRead(0, 19, 2.5F);
    EXPECT_EQ(trx().WriteTable(0, 1, 1, table, 0), kContinue);
    EXPECT_TRUE(line->sent.empty());
    EXPECT_EQ(trx().WriteTable(0, 1, 1, table, 1), kWait);
    EXPECT_EQ(line->Bodies(), (std::vector<std::string>{"01 EE 0 19 2.50000"}));
}

TEST_F(WriteTableTest, AcknowledgedWriteMakesTheCopiesEqual) {
    const CommandRow table[] = {Write(0, 19, 0), Bare("EU")};
    eep.SetCell(0, 19, 2.5F, 1);
    ASSERT_EQ(trx().WriteTable(0, 1, 2, table, 0), kWait);
    ASSERT_EQ(trx().WriteTable(1, 1, 2, table, 0), kWait);  // acknowledged; "EU" goes out
    EXPECT_FALSE(eep.IsModified(0, 19));
    EXPECT_EQ(ctx.trx.store.Get(0), "2.500000");
    EXPECT_EQ(trx().WriteTable(2, 1, 2, table, 0), kContinue);
    // A second download sends nothing for the cell.
    line->sent.clear();
    EXPECT_EQ(trx().WriteTable(0, 1, 2, table, 0), kContinue);
    EXPECT_TRUE(line->sent.empty());
}

TEST_F(WriteTableTest, PerStepRowsAddTheRepeatToTheGroup) {
    const CommandRow table[] = {Read(3, 10, kSlotRunning), Read(3, 11, kSlotRunning)};
    for (int g = 3; g <= 5; ++g) {
        eep.SetDefault(g, 10, 0.0F);
        eep.SetDefault(g, 11, 0.0F);
    }
    for (int step = 0; step < 6; ++step) {
        trx().WriteTable(step, 3, 2, table, 1);
        line->Reply("01EEOK");  // acknowledged before the next row
        loop.RunDue();
    }
    EXPECT_EQ(line->Bodies(),
              (std::vector<std::string>{"01 EE 3 10 0.00000", "01 EE 3 11 0.00000",
                                        "01 EE 4 10 0.00000", "01 EE 4 11 0.00000",
                                        "01 EE 5 10 0.00000", "01 EE 5 11 0.00000"}));
}

}  // namespace
}  // namespace tavro::test
