// The step browser: its two forms, the choice it reports and its colours.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/stepdata/page_fixture.h"
#include "ui/Keys.h"

namespace tavro::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class BrowserTest : public ::testing::Test {
  protected:
    void SetUp() override {
        h.StartOnline();
        h.EnterTab();
    }
    std::vector<std::string> Row(int row) const {
        std::vector<std::string> out;
        for (int c = 0; c < kColumnCount; ++c) {
            out.push_back(list.ListCell(IDC_BROWSE_LIST, row, c));
        }
        return out;
    }
    void Open(int combo, int item) {
        h.mainEnabled = false;  // the main window disables itself first
        h.browser->Show(combo, item);
    }

    StepPageHarness h;
    FakeForm& list = h.browserForm;
};

TEST_F(BrowserTest, CopiesTheStepListWhenThePageIsFilled) {
    EXPECT_EQ(list.Title(), h.strings.Text(kStrBrowserTitle));
    ASSERT_EQ(list.ListRowCount(IDC_BROWSE_LIST), 15);
    for (int r = 0; r < 15; ++r) {
        EXPECT_EQ(Row(r), h.Row(r)) << r;
    }
}

TEST_F(BrowserTest, NextStepChoiceListsEndAndReturnToOriginFirst) {
    Open(IDC_NEXT_STEP_CHOICE, 1);
    EXPECT_TRUE(list.IsWindowVisible());
    ASSERT_EQ(list.ListRowCount(IDC_BROWSE_LIST), 17);
    EXPECT_THAT(Row(0), ElementsAre("-", "E", " ", " ", "N", " ", " ", " ", "D", "-"));
    EXPECT_THAT(Row(1), ElementsAre("-", "R", "T", "N", " ", "O", "R", "I", "G", "-"));
    EXPECT_EQ(Row(2), h.Row(0));
    EXPECT_EQ(list.ListSelectedRow(IDC_BROWSE_LIST), 1);
    EXPECT_EQ(list.FocusedControl(), IDC_BROWSE_LIST);
    EXPECT_EQ(list.Height(IDC_BROWSE_LIST), kBrowserReferenceHeight + 24);
    // The pseudo rows are always drawn as used; the selected one highlighted.
    EXPECT_EQ(list.ListCellColours(IDC_BROWSE_LIST, 0, 5), kCellUsed);
    EXPECT_EQ(list.ListCellColours(IDC_BROWSE_LIST, 1, 5), kCellSelected);
    EXPECT_EQ(list.ListCellColours(IDC_BROWSE_LIST, 2, 5), kCellIdle);  // cycle-time method

    list.PressKey(ui::key::kDown);
    EXPECT_EQ(list.ListCellColours(IDC_BROWSE_LIST, 2, 5), kCellSelected);
    EXPECT_TRUE(list.PressKey(ui::key::kReturn));
    EXPECT_THAT(h.browsed, ElementsAre(std::pair{IDC_NEXT_STEP_CHOICE, 2}));
    EXPECT_TRUE(h.mainEnabled);
    EXPECT_FALSE(list.IsWindowVisible());
}

TEST_F(BrowserTest, SingleStepChoiceSelectsTheStepBeforeTheEntry) {
    Open(IDC_NEXT_STEP_CHOICE, 0);
    Open(IDC_SINGLE_STEP_CHOICE, 0);
    ASSERT_EQ(list.ListRowCount(IDC_BROWSE_LIST), 15);
    EXPECT_EQ(Row(0), h.Row(0));
    EXPECT_EQ(list.ListSelectedRow(IDC_BROWSE_LIST), 0);
    EXPECT_EQ(list.Height(IDC_BROWSE_LIST), kBrowserReferenceHeight);

    Open(IDC_SINGLE_STEP_CHOICE, 5);
    EXPECT_EQ(list.ListSelectedRow(IDC_BROWSE_LIST), 4);
    ASSERT_TRUE(list.DoubleClickCell(IDC_BROWSE_LIST, 7, 2));
    EXPECT_THAT(h.browsed, ElementsAre(std::pair{IDC_SINGLE_STEP_CHOICE, 8}));
    EXPECT_TRUE(h.mainEnabled);
}

TEST_F(BrowserTest, EscapeAndTheCloseBoxLeaveTheChoiceAlone) {
    Open(IDC_NEXT_STEP_CHOICE, 4);
    EXPECT_TRUE(list.PressKey(ui::key::kEscape));
    EXPECT_TRUE(h.mainEnabled);
    EXPECT_FALSE(list.IsWindowVisible());

    Open(IDC_SINGLE_STEP_CHOICE, 3);
    EXPECT_TRUE(list.Close());
    EXPECT_TRUE(h.mainEnabled);
    EXPECT_FALSE(list.IsWindowVisible());
    EXPECT_THAT(h.browsed, IsEmpty());
}

TEST(BrowserJapanese, PseudoRowsHoldOneFullWidthCharacterPerColumn) {
    StepPageHarness h({}, Language::kJapanese);
    h.StartOffline();
    h.browser->Show(IDC_NEXT_STEP_CHOICE, 0);
    std::vector<std::string> end;
    std::vector<std::string> origin;
    for (int c = 0; c < kColumnCount; ++c) {
        end.push_back(h.browserForm.ListCell(IDC_BROWSE_LIST, 0, c));
        origin.push_back(h.browserForm.ListCell(IDC_BROWSE_LIST, 1, c));
    }
    EXPECT_THAT(end, ElementsAre("－", "　", "　", "終", "　", "　", "了", "　", "　", "－"));
    EXPECT_THAT(origin, ElementsAre("－", "　", "原", "　", "点", "　", "復", "　", "帰", "－"));
    EXPECT_EQ(h.browserForm.ListSelectedRow(IDC_BROWSE_LIST), 0);
}

}  // namespace
}  // namespace tavro::test
