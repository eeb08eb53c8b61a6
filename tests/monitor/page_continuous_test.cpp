// Single-step and continuous operation on the Monitor/Test page, run on the simulated
// controller.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/monitor/page_fixture.h"
#include "ui/Keys.h"

namespace tavro::test {
namespace {

using P = CPageDrv;
using Commands = std::vector<std::string>;

constexpr int IDS_NO_ORIGIN = 309;
constexpr int IDS_SELECT_STEP = 701;
constexpr int IDS_TIME_RANGE = 703;
constexpr int IDS_REPEAT_RANGE = 704;
constexpr int IDS_ORIGIN_FIRST = 705;
constexpr int IDS_NO_REFERENCE = 710;

// Items of the row's step choice.
constexpr int kEnd = 0;
constexpr int kOrigin = 1;
constexpr int Step(int n) {
    return n + 1;
}

class ContinuousTest : public DrivePageTest {
  protected:
    // Row r (0-based) of the table through its editor: its choice, its time and its box.
    void SetRow(FakeForm& page, int r, int choice, bool oneTime, const char* time = nullptr) {
        ASSERT_TRUE(page.ClickCell(P::IDC_TABLE, r, 2));
        ASSERT_EQ(page.Text(P::IDC_ROW_NUMBER), std::to_string(r + 1));
        ASSERT_TRUE(page.Choose(P::IDC_ROW_CHOICE, choice));
        if (time != nullptr) {
            ASSERT_TRUE(page.TypeText(P::IDC_ROW_TIME, time));
        }
        if (page.ListIsRowChecked(P::IDC_TABLE, r) != oneTime) {
            ASSERT_TRUE(page.ToggleRowCheck(P::IDC_TABLE, r));
        }
    }

    // Starts the sequence and runs it to its end; the repeat counts it showed on the way.
    std::vector<std::string> RunSequence(FakeForm& page, CPageDrv& drive) {
        std::vector<std::string> counts;
        EXPECT_TRUE(page.Click(P::IDC_CONT_START));
        EXPECT_TRUE(h.RunUntil([&] {
            const std::string shown = page.Text(P::IDC_REPEAT);
            if (counts.empty() || counts.back() != shown) {
                counts.push_back(shown);
            }
            return !drive.ContinuousRunning() && h.ctx.status.linkState == kLinkOnline;
        }));
        return counts;
    }
};

// --- repeat count ---

struct RepeatCase {
    const char* name;
    const char* count;
    int passes;
    std::vector<std::string> shown;
};
const RepeatCase kRepeatCases[] = {
    {"Zero", "0", 1, {"0"}},
    {"Two", "2", 3, {"2", "1", "0"}},
};

class RepeatTest : public ContinuousTest, public ::testing::WithParamInterface<RepeatCase> {};

TEST_P(RepeatTest, SequenceRunsOnceAndThenAsOftenAsTheRepeatCountSays) {
    RunOnPage([&](FakeForm& page, CPageDrv& drive) {
        const RepeatCase& c = GetParam();
        // Row 1 is the return to origin, run once, from the start-up on.
        EXPECT_EQ(page.ListCell(P::IDC_TABLE, 0, 2), "Return to Origin Position");
        EXPECT_TRUE(page.ListIsRowChecked(P::IDC_TABLE, 0));
        SetRow(page, 1, Step(1), false);
        ASSERT_TRUE(page.TypeText(P::IDC_REPEAT, c.count));
        const std::size_t mark = Mark();
        EXPECT_EQ(RunSequence(page, drive), c.shown);
        Commands expected{"OE 0 1 1"};
        for (int i = 0; i < c.passes; ++i) {
            expected.push_back("OE 1 1 1");
        }
        EXPECT_EQ(StartsSince(mark), expected);
        // The end stops the actuator and shows row 1 again.
        EXPECT_EQ(CommandsSince(mark).back(), "OE 0 0 0");
        EXPECT_EQ(page.Text(P::IDC_ROW_NUMBER), "1");
        EXPECT_EQ(page.ListSelectedRow(P::IDC_TABLE), 0);
        EXPECT_TRUE(page.IsEnabled(P::IDC_CONT_START));
        EXPECT_FALSE(page.IsEnabled(P::IDC_CONT_END));
        EXPECT_TRUE(h.prompter.Shown().empty());
    });
}

INSTANTIATE_TEST_SUITE_P(Counts, RepeatTest, ::testing::ValuesIn(kRepeatCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct RefusedCount {
    const char* name;
    const char* count;
};
constexpr RefusedCount kRefusedCounts[] = {
    {"AboveTheLimit", "101"}, {"Negative", "-1"}, {"Text", "abc"}, {"Empty", ""},
    {"TrailingText", "5x"},
};

class RefusedRepeatTest : public ContinuousTest,
                          public ::testing::WithParamInterface<RefusedCount> {};

TEST_P(RefusedRepeatTest, RepeatCountOutsideTheRangeIsRefusedWith704) {
    RunOnPage([&](FakeForm& page, CPageDrv& drive) {
        ASSERT_TRUE(page.TypeText(P::IDC_REPEAT, GetParam().count));
        const std::size_t mark = Mark();
        ASSERT_TRUE(page.Click(P::IDC_CONT_START));
        h.Advance(1000);
        ASSERT_EQ(h.prompter.ShownIds(), std::vector<int>{IDS_REPEAT_RANGE});
        EXPECT_EQ(h.prompter.Last()->text, "Please enter a repeat count less than 100.");
        EXPECT_FALSE(drive.ContinuousRunning());
        EXPECT_TRUE(CommandsSince(mark).empty());
        EXPECT_EQ(page.FocusedControl(), P::IDC_REPEAT);
    });
}

INSTANTIATE_TEST_SUITE_P(Counts, RefusedRepeatTest, ::testing::ValuesIn(kRefusedCounts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ContinuousTest, HundredRepeatsAreAcceptedAndTheEndButtonStopsTheRun) {
    RunOnPage([&](FakeForm& page, CPageDrv& drive) {
        SetRow(page, 1, Step(1), false);
        ASSERT_TRUE(page.TypeText(P::IDC_REPEAT, "100"));
        const std::size_t mark = Mark();
        ASSERT_TRUE(page.Click(P::IDC_CONT_START));
        EXPECT_TRUE(h.prompter.Shown().empty());
        EXPECT_TRUE(drive.ContinuousRunning());
        EXPECT_TRUE(page.IsEnabled(P::IDC_CONT_END));
        EXPECT_EQ(page.GetColours(P::IDC_CONT_END), (ui::Colours{14, 16}));
        EXPECT_FALSE(page.IsEnabled(P::IDC_CONT_START));
        EXPECT_TRUE(page.IsEnabled(P::IDC_SERVO));
        ASSERT_TRUE(h.RunUntil([&] { return StartsSince(mark).size() >= 3; }));
        ASSERT_TRUE(page.Click(P::IDC_CONT_END));
        ASSERT_TRUE(Settle());
        h.Advance(3000);
        EXPECT_FALSE(drive.ContinuousRunning());
        EXPECT_EQ(CommandsSince(mark).back(), "OE 0 0 0");
        EXPECT_EQ(StartsSince(mark).size(), 3U);
        EXPECT_EQ(page.GetColours(P::IDC_CONT_END), (ui::Colours{10, 2}));
        EXPECT_EQ(h.ctx.status.linkState, kLinkOnline);
        // A step end that arrives after the stop starts nothing.
        drive.NextContinuousStep();
        h.Advance(2000);
        EXPECT_EQ(StartsSince(mark).size(), 3U);
        EXPECT_FALSE(drive.ContinuousRunning());
    });
}

// --- the order of the rows ---

TEST_F(ContinuousTest, TableWhoseFirstRowIsEndStopsAtOnce) {
    RunOnPage([&](FakeForm& page, CPageDrv& drive) {
        Home(page);
        SetRow(page, 0, kEnd, false);
        const std::size_t mark = Mark();
        RunSequence(page, drive);
        EXPECT_TRUE(StartsSince(mark).empty());
        EXPECT_EQ(CommandsSince(mark), Commands{"OE 0 0 0"});
        EXPECT_TRUE(h.prompter.Shown().empty());
    });
}

TEST_F(ContinuousTest, OneTimeOriginRowRunsOnlyInTheFirstPass) {
    RunOnPage([&](FakeForm& page, CPageDrv& drive) {
        SetRow(page, 0, kOrigin, true);
        SetRow(page, 1, Step(1), false);
        SetRow(page, 2, Step(2), false);
        ASSERT_TRUE(page.TypeText(P::IDC_REPEAT, "1"));
        const std::size_t mark = Mark();
        RunSequence(page, drive);
        EXPECT_EQ(StartsSince(mark),
                  (Commands{"OE 0 1 1", "OE 1 1 1", "OE 2 1 1", "OE 1 1 1", "OE 2 1 1"}));
    });
}

TEST_F(ContinuousTest, CycleWithEveryRowOneTimeLeavesItToTheRepeatCount) {
    RunOnPage([&](FakeForm& page, CPageDrv& drive) {
        SetRow(page, 1, Step(1), true);
        ASSERT_TRUE(page.TypeText(P::IDC_REPEAT, "1"));
        ASSERT_TRUE(page.Click(P::IDC_CYCLE));
        EXPECT_FALSE(page.IsEnabled(P::IDC_REPEAT));
        EXPECT_EQ(page.GetColours(P::IDC_REPEAT), (ui::Colours{10, 3}));
        const std::size_t mark = Mark();
        RunSequence(page, drive);
        EXPECT_EQ(StartsSince(mark), (Commands{"OE 0 1 1", "OE 1 1 1"}));
        EXPECT_EQ(page.Text(P::IDC_REPEAT), "0");
    });
}

TEST_F(ContinuousTest, CycleRunsTheRowsThatAreNotOneTimeUntilStopped) {
    RunOnPage([&](FakeForm& page, CPageDrv& drive) {
        SetRow(page, 1, Step(1), false);
        ASSERT_TRUE(page.Click(P::IDC_CYCLE));
        const std::size_t mark = Mark();
        ASSERT_TRUE(page.Click(P::IDC_CONT_START));
        ASSERT_TRUE(h.RunUntil([&] { return StartsSince(mark).size() >= 5; }));
        EXPECT_TRUE(drive.ContinuousRunning());
        EXPECT_EQ(StartsSince(mark),
                  (Commands{"OE 0 1 1", "OE 1 1 1", "OE 1 1 1", "OE 1 1 1", "OE 1 1 1"}));
        ASSERT_TRUE(page.Click(P::IDC_CONT_END));
        ASSERT_TRUE(Settle());
        h.Advance(3000);
        EXPECT_EQ(StartsSince(mark).size(), 5U);
        EXPECT_FALSE(drive.ContinuousRunning());
    });
}

TEST_F(ContinuousTest, WithoutOriginTheSequenceMustStartWithIt) {
    RunOnPage([&](FakeForm& page, CPageDrv& drive) {
        SetRow(page, 0, Step(1), false);
        const std::size_t mark = Mark();
        ASSERT_TRUE(page.Click(P::IDC_CONT_START));
        h.Advance(1000);
        EXPECT_EQ(h.prompter.ShownIds(), std::vector<int>{IDS_ORIGIN_FIRST});
        EXPECT_FALSE(drive.ContinuousRunning());
        EXPECT_TRUE(CommandsSince(mark).empty());
    });
}

TEST_F(ContinuousTest, OperatingTimeOfARowEndsItsStepOnTime) {
    RunOnPage([&](FakeForm& page, CPageDrv& drive) {
        ASSERT_TRUE(page.Click(P::IDC_TIME_TRANSITION));
        SetRow(page, 1, Step(1), false, "0.5");
        const std::size_t mark = Mark();
        RunSequence(page, drive);
        EXPECT_EQ(page.ListCell(P::IDC_TABLE, 1, 3), "0.50");
        EXPECT_EQ(page.ListCell(P::IDC_TABLE, 0, 3), "-");
        const std::int64_t start = TimeOf("OE 1 1 1", mark);
        ASSERT_NE(start, -1);
        EXPECT_EQ(TimeOf("OE 1 1 0", mark) - start, 480);
    });
}

TEST_F(ContinuousTest, SwitchingTheConditionKeepsTheTimeTypedForTheRow) {
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        ASSERT_TRUE(page.Click(P::IDC_TIME_TRANSITION));
        SetRow(page, 1, Step(1), false, "2.5");
        ASSERT_TRUE(page.Click(P::IDC_INP_SIGNAL));
        EXPECT_EQ(page.Text(P::IDC_ROW_TIME), "-");
        EXPECT_FALSE(page.IsEnabled(P::IDC_ROW_TIME));
        EXPECT_EQ(page.ListCell(P::IDC_TABLE, 1, 3), "-");
        ASSERT_TRUE(page.Click(P::IDC_TIME_TRANSITION));
        EXPECT_EQ(page.Text(P::IDC_ROW_TIME), "2.50");
        EXPECT_EQ(page.ListCell(P::IDC_TABLE, 1, 3), "2.50");
        EXPECT_EQ(page.ListCell(P::IDC_TABLE, 1, 2), "Step Data No. 1");
    });
}

TEST_F(ContinuousTest, SwitchingTheConditionDropsATimeOutsideTheRange) {
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        ASSERT_TRUE(page.Click(P::IDC_TIME_TRANSITION));
        for (const char* typed : {"0.01", "1e12"}) {
            SetRow(page, 1, Step(1), false, typed);
            ASSERT_TRUE(page.Click(P::IDC_INP_SIGNAL));
            ASSERT_TRUE(page.Click(P::IDC_TIME_TRANSITION));
            EXPECT_EQ(page.ListCell(P::IDC_TABLE, 1, 3), "6.00") << typed;
            EXPECT_EQ(page.Text(P::IDC_ROW_TIME), "6.00") << typed;
        }
    });
}

// --- operating-time check ---

struct TimeCase {
    const char* name;
    const char* typed;
    bool accepted;
    const char* cell;  // the row's time cell afterwards; a refused row is not stored
};
constexpr TimeCase kTimeCases[] = {
    {"BelowTheShortest", "0.04", false, "-"},  {"Shortest", "0.05", true, "0.05"},
    {"AboveTheLongest", "120.01", false, "-"}, {"Longest", "120.00", true, "120.00"},
    {"Rounded", "1.234", true, "1.23"},
};

class OperatingTimeTest : public ContinuousTest, public ::testing::WithParamInterface<TimeCase> {};

TEST_P(OperatingTimeTest, TimeOutsideTheRangeKeepsTheRowWith703) {
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        const TimeCase& c = GetParam();
        ASSERT_TRUE(page.Click(P::IDC_TIME_TRANSITION));
        SetRow(page, 1, Step(1), false);
        EXPECT_TRUE(page.IsEnabled(P::IDC_ROW_TIME));
        EXPECT_EQ(page.Text(P::IDC_ROW_TIME), "6.00");
        ASSERT_TRUE(page.TypeText(P::IDC_ROW_TIME, c.typed));
        EXPECT_TRUE(page.PressKey(ui::key::kDown));
        EXPECT_EQ(page.ListCell(P::IDC_TABLE, 1, 3), c.cell);
        if (c.accepted) {
            EXPECT_TRUE(h.prompter.Shown().empty());
            EXPECT_EQ(page.Text(P::IDC_ROW_NUMBER), "3");
        } else {
            ASSERT_EQ(h.prompter.ShownIds(), std::vector<int>{IDS_TIME_RANGE});
            EXPECT_EQ(h.prompter.Last()->text,
                      "Enter a time longer than the \"Positioning Time\" of the selected Step. "
                      "\nThe setting range is from 0.05 to 120.");
            EXPECT_EQ(page.Text(P::IDC_ROW_NUMBER), "2");
            EXPECT_EQ(page.ListSelectedRow(P::IDC_TABLE), 1);
            EXPECT_EQ(page.FocusedControl(), P::IDC_ROW_TIME);
            EXPECT_EQ(page.GetColours(P::IDC_ROW_TIME), (ui::Colours{11, 2}));
        }
    });
}

INSTANTIATE_TEST_SUITE_P(Times, OperatingTimeTest, ::testing::ValuesIn(kTimeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ContinuousTest, PositioningTimeOfTheStepIsTheShortestOperatingTime) {
    RunOnPage([&](FakeForm& page, CPageDrv& drive) {
        // Steps entered by time, step data uploaded, step 1 positioned in 1.50 s.
        h.ctx.status.stepInputMethod[0] = 0;
        h.ctx.status.flags |= kFlagStepDataMoved;
        drive.SetStepPositioningTime(0, 1.5F);
        ASSERT_TRUE(page.Click(P::IDC_TIME_TRANSITION));
        SetRow(page, 1, Step(1), false, "1.49");
        EXPECT_TRUE(page.PressKey(ui::key::kDown));
        ASSERT_EQ(h.prompter.ShownIds(), std::vector<int>{IDS_TIME_RANGE});
        EXPECT_NE(h.prompter.Last()->text.find("from 1.50 to 120."), std::string::npos);
        EXPECT_EQ(page.Text(P::IDC_ROW_NUMBER), "2");
        ASSERT_TRUE(page.TypeText(P::IDC_ROW_TIME, "1.50"));
        EXPECT_TRUE(page.PressKey(ui::key::kDown));
        EXPECT_EQ(h.prompter.Shown().size(), 1U);
        EXPECT_EQ(page.Text(P::IDC_ROW_NUMBER), "3");
        EXPECT_EQ(page.ListCell(P::IDC_TABLE, 1, 3), "1.50");
    });
}

TEST_F(ContinuousTest, StartChecksTheTimeOfTheEditedRow) {
    RunOnPage([&](FakeForm& page, CPageDrv& drive) {
        ASSERT_TRUE(page.Click(P::IDC_TIME_TRANSITION));
        SetRow(page, 1, Step(1), false, "0.01");
        const std::size_t mark = Mark();
        ASSERT_TRUE(page.Click(P::IDC_CONT_START));
        h.Advance(1000);
        EXPECT_EQ(h.prompter.ShownIds(), std::vector<int>{IDS_TIME_RANGE});
        EXPECT_FALSE(drive.ContinuousRunning());
        EXPECT_TRUE(CommandsSince(mark).empty());
    });
}

TEST_F(ContinuousTest, KeysWalkThroughTheTableAndWrapAround) {
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        ASSERT_TRUE(page.ClickCell(P::IDC_TABLE, 0, 1));
        EXPECT_EQ(page.FocusedControl(), P::IDC_ROW_CHOICE);
        EXPECT_TRUE(page.PressKey(ui::key::kUp));
        EXPECT_EQ(page.Text(P::IDC_ROW_NUMBER), "20");
        EXPECT_EQ(page.ListSelectedRow(P::IDC_TABLE), 19);
        EXPECT_TRUE(page.PressKey(ui::key::kReturn));
        EXPECT_EQ(page.Text(P::IDC_ROW_NUMBER), "1");
        EXPECT_TRUE(page.PressKey(ui::key::kPageDown));
        EXPECT_EQ(page.Text(P::IDC_ROW_NUMBER), "2");
        // A choice made in the editor is stored when the editor moves on.
        ASSERT_TRUE(page.Choose(P::IDC_ROW_CHOICE, Step(15)));
        EXPECT_TRUE(page.PressKey(ui::key::kDown));
        EXPECT_EQ(page.ListCell(P::IDC_TABLE, 1, 2), "Step Data No. 15");
        EXPECT_EQ(page.ListCell(P::IDC_TABLE, 2, 2), "--------End--------");
    });
}

// --- single step ---

TEST_F(ContinuousTest, SingleStepRunsUntilItsStopButton) {
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        std::size_t mark = Mark();
        ASSERT_TRUE(page.Click(P::IDC_STEP_START));
        EXPECT_EQ(h.prompter.ShownIds(), std::vector<int>{IDS_NO_ORIGIN});
        EXPECT_FALSE(page.IsChecked(P::IDC_STEP_START));
        EXPECT_TRUE(page.IsChecked(P::IDC_STEP_STOP));
        Home(page);
        ASSERT_TRUE(page.Click(P::IDC_STEP_START));
        EXPECT_EQ(h.prompter.ShownIds(), (std::vector<int>{IDS_NO_ORIGIN, IDS_SELECT_STEP}));
        EXPECT_EQ(page.FocusedControl(), P::IDC_STEP_CHOICE);
        h.Advance(500);

        ASSERT_TRUE(page.Choose(P::IDC_STEP_CHOICE, 2));
        mark = Mark();
        ASSERT_TRUE(page.Click(P::IDC_STEP_START));
        h.Advance(1000);
        EXPECT_EQ(CommandsSince(mark), Commands{"OE 2 1 1"});
        EXPECT_EQ(h.ctx.status.linkState, kLinkBusy);
        EXPECT_TRUE(page.IsChecked(P::IDC_STEP_START));
        EXPECT_FALSE(page.IsChecked(P::IDC_STEP_STOP));
        EXPECT_TRUE(page.IsEnabled(P::IDC_STEP_STOP));
        EXPECT_TRUE(page.IsEnabled(P::IDC_SERVO));
        EXPECT_FALSE(page.IsEnabled(P::IDC_CONT_END));
        // Pressed while the step runs: it stays pressed and nothing is sent.
        page.Click(P::IDC_STEP_START);
        h.Advance(500);
        EXPECT_TRUE(page.IsChecked(P::IDC_STEP_START));
        EXPECT_EQ(CommandsSince(mark), Commands{"OE 2 1 1"});

        ASSERT_TRUE(page.Click(P::IDC_STEP_STOP));
        ASSERT_TRUE(Settle());
        EXPECT_EQ(CommandsSince(mark), (Commands{"OE 2 1 1", "OE 0 1 0"}));
        EXPECT_FALSE(page.IsChecked(P::IDC_STEP_START));
        EXPECT_TRUE(page.IsChecked(P::IDC_STEP_STOP));
        EXPECT_EQ(h.ctx.status.linkState, kLinkOnline);
    });
}

// --- the step browser ---

TEST_F(ContinuousTest, BrowseBeforeAnyUploadAsks710AndOpensTheBrowserAfterIt) {
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        FakeForm& browser = *h.Form(kTemplateBrowser);
        const std::size_t mark = Mark();
        h.prompter.AnswerNo();
        ASSERT_TRUE(page.Click(P::IDC_STEP_BROWSE));
        ASSERT_EQ(h.prompter.ShownIds(), std::vector<int>{IDS_NO_REFERENCE});
        EXPECT_EQ(h.prompter.Last()->icon, ui::Icon::kInformation);
        EXPECT_EQ(h.prompter.Last()->buttons, ui::Buttons::kYesNo);
        h.Advance(500);
        EXPECT_TRUE(CommandsSince(mark).empty());
        EXPECT_FALSE(browser.IsWindowVisible());

        ASSERT_TRUE(page.Choose(P::IDC_STEP_CHOICE, 3));
        h.prompter.AnswerYes();
        ASSERT_TRUE(page.Click(P::IDC_STEP_BROWSE));
        ASSERT_TRUE(h.RunUntil([&] { return browser.IsWindowVisible(); }));
        EXPECT_EQ(h.prompter.Count(IDS_NO_REFERENCE), 2);
        EXPECT_FALSE(mainForm->IsWindowEnabled());
        EXPECT_EQ(browser.ListSelectedRow(1030), 2);
        // The chosen step goes to the single step's choice.
        ASSERT_TRUE(browser.DoubleClickCell(1030, 4, 0));
        EXPECT_FALSE(browser.IsWindowVisible());
        EXPECT_TRUE(mainForm->IsWindowEnabled());
        EXPECT_EQ(page.CurrentItem(P::IDC_STEP_CHOICE), 5);

        // Once uploaded, the row's browser opens at once, its pseudo rows first.
        ASSERT_TRUE(Settle());
        ASSERT_TRUE(page.Choose(P::IDC_ROW_CHOICE, Step(4)));
        ASSERT_TRUE(page.Click(P::IDC_ROW_BROWSE));
        EXPECT_TRUE(browser.IsWindowVisible());
        EXPECT_EQ(h.prompter.Count(IDS_NO_REFERENCE), 2);
        EXPECT_EQ(browser.ListSelectedRow(1030), Step(4));
    });
}

}  // namespace
}  // namespace tavro::test
