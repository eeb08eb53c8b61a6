#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "link/StringIds.h"
#include "monitor/ContinuousEditor.h"
#include "tests/support/FakeForm.h"
#include "tests/support/FakeFormFactory.h"
#include "tests/support/ScriptedPrompter.h"
#include "ui/CCtrlBatch.h"
#include "ui/Keys.h"
#include "ui/PageViews.h"

namespace tavro::test {
namespace {

using Editor = ContinuousEditor;

// The editor on the Monitor/Test page's form as the main window leaves it online: the lists
// built, the controls enabled, the step choices listed.
class ContinuousEditorTest : public ::testing::Test {
  protected:
    ContinuousEditorTest() {
        ui::CCtrlBatch::BuildLists(ui::CCtrlBatch::ListRows(), kTemplateDrivePage, form,
                                   status.controlType, strings);
        status.linkState = kLinkOnline;
        ui::CCtrlBatch::ApplyEnables(ui::CCtrlBatch::PageRows(), kTemplateDrivePage, form,
                                     LinkIndex(status.linkState), status.controlType);
        form.ClearItems(Editor::IDC_ROW_CHOICE);
        form.AddItem(Editor::IDC_ROW_CHOICE, "End");
        form.AddItem(Editor::IDC_ROW_CHOICE, "Return to origin");
        for (int step = 1; step <= ContinuousTable::kSteps; ++step) {
            form.AddItem(Editor::IDC_ROW_CHOICE, "Step " + std::to_string(step));
        }
        editor.RefreshTimeColumn();
        editor.ShowFirstRow();
    }
    void TearDown() override { EXPECT_TRUE(form.Problems().empty()) << form.Problems().front(); }

    // Row r runs step `step` (1..15).
    void ChooseStep(int r, int step) {
        editor.ClickRow(r, 2);
        ASSERT_TRUE(form.Choose(Editor::IDC_ROW_CHOICE, kChoiceFirstStep + step - 1));
        editor.RowChoiceChanged(true);
    }
    void TimeMode() {
        form.SetChecked(Editor::IDC_TIME_TRANSITION, true);
        form.SetChecked(Editor::IDC_INP_SIGNAL, false);
        editor.TransitionChanged();
    }

    FakeFormFactory factory{TAVRO_FORMS_DIR};
    std::unique_ptr<ui::Form> owned =
        factory.Create(kTemplateDrivePage, nullptr, ui::FormKind::kModeless);
    FakeForm& form = static_cast<FakeForm&>(*owned);
    StringTable strings{Language::kEnglish};
    ScriptedPrompter prompter;
    ui::DialogServices services{factory, prompter, strings};
    StatusBlock status;
    bool running = false;
    std::vector<ui::ControlId> selected;
    Editor editor{form, status, services, [this](ui::ControlId id) { selected.push_back(id); },
                  [this] { return running; }};
};

TEST_F(ContinuousEditorTest, ARefusedTimeIsSaidAndNeverReachesTheRow) {
    TimeMode();
    ChooseStep(0, 3);
    editor.ClickRow(0, 3);
    ASSERT_TRUE(form.IsEnabled(Editor::IDC_ROW_TIME));
    const int stored = editor.Table().Row(0).time;
    form.SetText(Editor::IDC_ROW_TIME, "500");
    EXPECT_FALSE(editor.CheckOperatingTime());
    EXPECT_THAT(prompter.ShownIds(), ::testing::ElementsAre(ids::IDS_TIME_RANGE));
    EXPECT_EQ(form.FocusedControl(), Editor::IDC_ROW_TIME);
    EXPECT_EQ(form.GetColours(Editor::IDC_ROW_TIME), (ui::Colours{11, 2}));
    // Moving away is refused too; a save without the check keeps the accepted time.
    editor.ClickRow(4, 2);
    EXPECT_EQ(editor.EditedRow(), 0);
    editor.SaveEditor();
    EXPECT_EQ(editor.Table().Row(0).time, stored);

    prompter.Clear();
    form.SetText(Editor::IDC_ROW_TIME, "1.5");
    EXPECT_TRUE(editor.CheckOperatingTime());
    editor.SaveEditor();
    EXPECT_EQ(editor.Table().Row(0).time, 150);
    EXPECT_EQ(form.ListCell(Editor::IDC_TABLE, 0, 3), "1.50");
    EXPECT_TRUE(prompter.ShownIds().empty());
}

TEST_F(ContinuousEditorTest, TheKeysWalkTheRowsRoundAndStoreEachOne) {
    ChooseStep(0, 2);
    editor.MoveRowByKey(ui::key::kUp);
    EXPECT_EQ(editor.EditedRow(), ContinuousTable::kRows - 1);
    EXPECT_EQ(editor.Table().Row(0).choice, kChoiceFirstStep + 1);
    EXPECT_EQ(form.ListCell(Editor::IDC_TABLE, 0, 2), "Step 2");
    editor.MoveRowByKey(ui::key::kDown);
    EXPECT_EQ(editor.EditedRow(), 0);
    EXPECT_EQ(form.CurrentItem(Editor::IDC_ROW_CHOICE), kChoiceFirstStep + 1);
    editor.MoveRowByKey(ui::key::kReturn);
    EXPECT_EQ(editor.EditedRow(), 1);
    EXPECT_EQ(form.FocusedControl(), Editor::IDC_ROW_CHOICE);
}

TEST_F(ContinuousEditorTest, RowsPastTheEndAreInactiveAndTheRunningRowStaysMarked) {
    ChooseStep(0, 1);
    ChooseStep(1, 2);
    editor.ClickRow(2, 2);  // row 2 is End
    const ui::Colours active{16, 2};
    const ui::Colours inactive{10, 3};
    const ui::Colours selectedRow{5, 6};
    EXPECT_EQ(form.ListCellColours(Editor::IDC_TABLE, 0, 2), active);
    EXPECT_EQ(form.ListCellColours(Editor::IDC_TABLE, 2, 2), selectedRow);
    EXPECT_EQ(form.ListCellColours(Editor::IDC_TABLE, 3, 2), inactive);
    // Without the time transition the time column is inactive throughout.
    EXPECT_EQ(form.ListCellColours(Editor::IDC_TABLE, 0, 3), inactive);

    form.SetEnabled(Editor::IDC_TABLE, false);
    editor.ColourTable();
    EXPECT_EQ(form.ListCellColours(Editor::IDC_TABLE, 2, 2), inactive);
    running = true;
    editor.ColourTable();
    EXPECT_EQ(form.ListCellColours(Editor::IDC_TABLE, 2, 2), selectedRow);
    EXPECT_EQ(form.ListCellColours(Editor::IDC_TABLE, 0, 2), inactive);
}

TEST_F(ContinuousEditorTest, TheRepeatCountIsEditableOnlyWithoutCycling) {
    editor.UpdateRepeatEnable();
    EXPECT_TRUE(form.IsEnabled(Editor::IDC_REPEAT));
    form.SetChecked(Editor::IDC_CYCLE, true);
    editor.UpdateRepeatEnable();
    EXPECT_FALSE(form.IsEnabled(Editor::IDC_REPEAT));
    form.SetChecked(Editor::IDC_CYCLE, false);
    status.controlType = kControlTypePulse;
    editor.UpdateRepeatEnable();
    EXPECT_FALSE(form.IsEnabled(Editor::IDC_REPEAT));
}

}  // namespace
}  // namespace tavro::test
