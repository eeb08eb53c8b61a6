#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "detail/DetailPidEditor.h"
#include "tests/params/detail_fixture.h"
#include "ui/Keys.h"

namespace tavro::test {
namespace {

using ::testing::ElementsAre;

struct AssignmentCase {
    int row;
    int value;
    const char* text;
};

// Row 0 is the return to origin: it knows only the default and its own set.
constexpr AssignmentCase kAssignmentCases[] = {
    {0, 0, "Default"}, {0, 1, "ORG"},  {0, 2, ""},  {1, 0, "Default"},
    {1, 1, "STA"},     {4, 15, "STO"}, {1, 16, ""}, {2, -1, ""},
};

TEST(PidNames, AssignmentsShowTheSetTheyUseOrNothing) {
    const StringTable strings(Language::kEnglish);
    for (const AssignmentCase& c : kAssignmentCases) {
        EXPECT_EQ(PidAssignmentText(strings, c.row, c.value), c.text) << c.row << "/" << c.value;
    }
    EXPECT_EQ(PidSetName(strings, 0), "ORG");
    EXPECT_EQ(PidSetName(strings, 3), "STC");
}

// The editor on the Detail dialog's form, with an owner the test controls.
class PidEditorTest : public ::testing::Test, public DetailPidEditor::Owner {
  protected:
    void SetUp() override { h.OpenOnline(); }

    bool Busy() const override { return busy; }
    bool Pulse() const override { return false; }
    void FocusField(ui::ControlId id) override { focused = id; }
    void ApplyFieldColours() override { ++recoloured; }

    DetailHarness h;
    DetailPidEditor editor{h.form, h.ctx, h.binding, h.prompter, h.strings, *this};
    bool busy = false;
    ui::ControlId focused = ui::kNoControl;
    int recoloured = 0;
};

TEST_F(PidEditorTest, ACheckWarnsOfEveryBadGainAndFocusesTheFirst) {
    h.form.SetText(IDC_DTL_KP, "0");
    h.form.SetText(IDC_DTL_TI, "1.000");
    h.form.SetText(IDC_DTL_TD, "2");
    EXPECT_FALSE(editor.CheckGainRow());
    EXPECT_THAT(h.prompter.ShownIds(), ElementsAre(325, 326));
    EXPECT_EQ(h.form.FocusedControl(), IDC_DTL_KP);
    EXPECT_THAT(editor.Errors(), ElementsAre(true, false, true));
    EXPECT_EQ(recoloured, 1);

    h.prompter.Clear();
    h.form.SetText(IDC_DTL_KP, "10");
    h.form.SetText(IDC_DTL_TD, "0.5");
    EXPECT_TRUE(editor.CheckGainRow());
    EXPECT_TRUE(h.prompter.ShownIds().empty());
    EXPECT_THAT(editor.Errors(), ElementsAre(false, false, false));
}

TEST_F(PidEditorTest, TheArrowCommitsTheRowAndEscapeRestoresIt) {
    editor.DisplayGainRow(1);
    h.form.SetText(IDC_DTL_KP, "77.77");
    EXPECT_TRUE(editor.Key(IDC_DTL_KP, ui::key::kDown));
    EXPECT_EQ(editor.ShownGainRow(), 2);
    EXPECT_EQ(focused, IDC_DTL_KP);
    EXPECT_EQ(h.form.ListCell(IDC_DTL_PID_LIST, 1, 1), "77.8");
    EXPECT_FLOAT_EQ(h.Edit(2, 12), 77.8F);  // set A's Kp

    const std::string shown = h.form.Text(IDC_DTL_KP);
    h.form.SetText(IDC_DTL_KP, "12");
    EXPECT_TRUE(editor.Key(IDC_DTL_KP, ui::key::kEscape));
    EXPECT_EQ(h.form.Text(IDC_DTL_KP), shown);
    EXPECT_FALSE(editor.Key(IDC_DTL_KP, 'A'));
}

TEST_F(PidEditorTest, WhileBusyTheKeysMoveNothingAndTheListsShowDisabled) {
    busy = true;
    h.form.SetText(IDC_DTL_KP, "77.77");
    EXPECT_TRUE(editor.Key(IDC_DTL_KP, ui::key::kDown));
    EXPECT_EQ(editor.ShownGainRow(), 0);
    EXPECT_NE(h.form.ListCell(IDC_DTL_PID_LIST, 0, 1), "77.8");
    editor.ColourLists();
    const ui::Colours disabled{10, 3};
    EXPECT_EQ(h.form.ListCellColours(IDC_DTL_PID_LIST, 0, 1), disabled);
    EXPECT_EQ(h.form.ListCellColours(IDC_DTL_ASSIGN_LIST, 3, 0), disabled);
}

}  // namespace
}  // namespace tavro::test
