// The edit row's helpers and the list's key movement and colouring.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "stepdata/CListCtrlApi.h"
#include "stepdata/CListStp.h"
#include "tests/support/FakeForm.h"
#include "tests/support/ScriptedPrompter.h"
#include "ui/Keys.h"

namespace tavro::test {
namespace {

using ::testing::ElementsAre;
using ui::Colours;
using ui::ControlId;

std::vector<ControlDecl> EditRowControls() {
    std::vector<ControlDecl> c;
    c.push_back({IDC_STEP_NUMBER, ui::ControlKind::kLabel});
    c.push_back({IDC_POSITIONING, ui::ControlKind::kRadio, "", 1});
    c.push_back({IDC_PUSHING, ui::ControlKind::kRadio, "", 1});
    c.push_back({IDC_ABSOLUTE, ui::ControlKind::kRadio, "", 2});
    c.push_back({IDC_RELATIVE, ui::ControlKind::kRadio, "", 2});
    for (ControlId id = IDC_TARGET_POSITION; id <= IDC_THRUST; ++id) {
        c.push_back({id, ui::ControlKind::kEdit});
    }
    c.push_back({IDC_LOAD_MASS, ui::ControlKind::kDropDown});
    c.push_back({IDC_STEP_LIST, ui::ControlKind::kList});
    return c;
}

// An edit row and a list of `rows` rows on a form, with the status block the helpers read.
class EditRowTest : public ::testing::Test {
  protected:
    explicit EditRowTest(int rows = 15) {
        for (int c = 0; c < kColumnCount; ++c) {
            form.ListAddColumn(IDC_STEP_LIST, {40, "", ui::Align::kRight});
        }
        for (int r = 0; r < rows; ++r) {
            form.ListInsertRow(IDC_STEP_LIST, -1);
            form.ListSetCell(IDC_STEP_LIST, r, 0, std::to_string(r + 1));
            form.ListSetCell(IDC_STEP_LIST, r, kColOperation, "Pos");
        }
        for (int i = 0; i <= 20; ++i) {
            form.AddItem(IDC_LOAD_MASS, std::to_string(50 * i));
        }
    }

    void Fill(const char* target, const char* time, const char* thrust) {
        form.SetText(IDC_TARGET_POSITION, target);
        form.SetText(IDC_POSITIONING_TIME, time);
        for (ControlId id = IDC_SPEED; id <= IDC_DECELERATION; ++id) {
            form.SetText(id, "10");
        }
        form.SetText(IDC_THRUST, thrust);
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (ControlId id = IDC_TARGET_POSITION; id <= IDC_THRUST; ++id) {
            out.push_back(form.Text(id));
        }
        return out;
    }

    StatusBlock status;
    StringTable strings{Language::kEnglish};
    FakeForm form{EditRowControls(), ui::FormKind::kPage};
    CListStp list{form, status, strings};
    ScriptedPrompter prompter;
    EditRowErrors errors{};
    StepClipboard clipboard{};
};

// --- key movement ---

struct KeyCase {
    const char* name;
    int selected;
    int key;
    int expectedRow;
    int expectedResult;
};

constexpr KeyCase kKeyCases[] = {
    {"DownOnLastWrapsToFirst", 14, ui::key::kDown, 0, kKeyMovedDown},
    {"UpOnFirstWrapsToLast", 0, ui::key::kUp, 14, kKeyMovedUp},
    {"DownWithoutSelectionSelectsFirst", -1, ui::key::kDown, 0, kKeyMovedDown},
    {"UpWithoutSelectionSelectsLast", -1, ui::key::kUp, 14, kKeyMovedUp},
    {"EnterMovesOn", 3, ui::key::kReturn, 4, kKeyMovedByEnter},
    {"PageDownMovesOneRow", 7, ui::key::kPageDown, 8, kKeyMovedDown},
    {"OtherKeysLeaveTheSelection", 7, ui::key::kLeft, 7, kKeyNotMoving},
};

class KeyMoveTest : public EditRowTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeyMoveTest, MovesAndWraps) {
    const KeyCase& c = GetParam();
    form.ListSelectRow(IDC_STEP_LIST, c.selected);
    EXPECT_EQ(CListCtrlApi::MoveSelectionByKey(form, IDC_STEP_LIST, c.key), c.expectedResult);
    EXPECT_EQ(form.ListSelectedRow(IDC_STEP_LIST), c.expectedRow);
    if (c.expectedResult != kKeyNotMoving) {
        EXPECT_EQ(form.Control(IDC_STEP_LIST).ensuredRow, c.expectedRow);
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyMoveTest, ::testing::ValuesIn(kKeyCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- clipboard ---

TEST_F(EditRowTest, PasteBeforeCopyGivesZerosAndTheThrustCheckFails) {
    Fill("5.000", "1.00", "2.0");
    form.CheckRadio(IDC_POSITIONING, IDC_PUSHING, IDC_PUSHING);
    form.CheckRadio(IDC_ABSOLUTE, IDC_RELATIVE, IDC_RELATIVE);
    form.SetCurrentItem(IDC_LOAD_MASS, 4);
    list.PasteEditRow(clipboard);
    EXPECT_THAT(Texts(), ElementsAre("0.000", "0.00", "0", "0", "0", "0.0"));
    EXPECT_TRUE(form.IsChecked(IDC_POSITIONING));
    EXPECT_TRUE(form.IsChecked(IDC_ABSOLUTE));
    EXPECT_EQ(form.CurrentItem(IDC_LOAD_MASS), 0);

    EXPECT_TRUE(list.ValidateEditRow(IDC_STEP_LIST, 0, {20, 4.8F}, errors, prompter));
    EXPECT_THAT(prompter.ShownIds(), ElementsAre(kMsgThrustRange));
}

TEST_F(EditRowTest, CopyKeepsTheTypedNumberAndPasteRoundsIt) {
    Fill("12.3456", "1.5", "2.0");
    form.CheckRadio(IDC_POSITIONING, IDC_PUSHING, IDC_PUSHING);
    form.SetCurrentItem(IDC_LOAD_MASS, 3);
    list.CopyEditRow(clipboard);
    EXPECT_FLOAT_EQ(clipboard[3], 12.3456F);
    EXPECT_FLOAT_EQ(clipboard[1], 1.0F);  // the second radio of the operation pair
    EXPECT_FLOAT_EQ(clipboard[9], 3.0F);

    list.ClearEditRow();
    EXPECT_THAT(Texts(), ElementsAre("0.000", "0.00", "0", "0", "0", "1.0"));
    EXPECT_TRUE(form.IsChecked(IDC_POSITIONING));
    EXPECT_EQ(form.CurrentItem(IDC_LOAD_MASS), 0);

    list.PasteEditRow(clipboard);
    EXPECT_THAT(Texts(), ElementsAre("12.346", "1.50", "10", "10", "10", "2.0"));
    EXPECT_TRUE(form.IsChecked(IDC_PUSHING));
    EXPECT_EQ(form.CurrentItem(IDC_LOAD_MASS), 3);
}

// --- range check ---

TEST_F(EditRowTest, EveryFailingFieldGetsItsMessageInOrderAndTheFirstTheFocus) {
    Fill("25", "1.00", "9");
    form.ListSelectRow(IDC_STEP_LIST, 6);
    EXPECT_TRUE(list.ValidateEditRow(IDC_STEP_LIST, 2, {20, 4.8F}, errors, prompter));
    EXPECT_THAT(prompter.ShownIds(), ElementsAre(kMsgTargetPositionRange, kMsgThrustRange));
    EXPECT_EQ(form.FocusedControl(), IDC_TARGET_POSITION);
    EXPECT_EQ(form.ListSelectedRow(IDC_STEP_LIST), 2);
    EXPECT_THAT(Texts(), ElementsAre("25.000", "1.00", "10", "10", "10", "9.0"));
    EXPECT_TRUE(errors[*CListStp::EntryIndex(IDC_TARGET_POSITION)]);
    EXPECT_TRUE(errors[*CListStp::EntryIndex(IDC_THRUST)]);
    EXPECT_FALSE(errors[*CListStp::EntryIndex(IDC_POSITIONING_TIME)]);

    form.SetText(IDC_TARGET_POSITION, "20");
    form.SetText(IDC_THRUST, "4.8");
    prompter.Clear();
    EXPECT_FALSE(list.ValidateEditRow(IDC_STEP_LIST, 2, {20, 4.8F}, errors, prompter));
    EXPECT_TRUE(prompter.ShownIds().empty());
    EXPECT_FALSE(errors[*CListStp::EntryIndex(IDC_TARGET_POSITION)]);
    EXPECT_FALSE(errors[*CListStp::EntryIndex(IDC_THRUST)]);
}

struct TargetCase {
    const char* name;
    int stroke;
    bool relative;
    const char* text;
    const char* rewritten;
    bool accepted;
};

constexpr TargetCase kTargetCases[] = {
    {"Stroke10AbsAtTheEnd", 10, false, "10.000", "10.000", true},
    {"Stroke10AbsRoundedDown", 10, false, "10.0004", "10.000", true},
    {"Stroke10AbsOneIncrementOver", 10, false, "10.001", "10.001", false},
    {"Stroke10AbsBelowZero", 10, false, "-0.001", "-0.001", false},
    {"Stroke20IncAtMinusStroke", 20, true, "-20.000", "-20.000", true},
    {"Stroke20IncBeyond", 20, true, "-20.001", "-20.001", false},
    {"NoStrokeOnlyZero", 0, false, "0.000", "0.000", true},
    {"NoStrokeNothingElse", 0, false, "0.001", "0.001", false},
};

class TargetRangeTest : public EditRowTest, public ::testing::WithParamInterface<TargetCase> {};

TEST_P(TargetRangeTest, FollowsTheMovementRadio) {
    const TargetCase& c = GetParam();
    Fill(c.text, "0", "1.0");
    form.CheckRadio(IDC_ABSOLUTE, IDC_RELATIVE, c.relative ? IDC_RELATIVE : IDC_ABSOLUTE);
    const bool failed =
        list.ValidateEditRow(0, 0, {c.stroke, MaxThrust(c.stroke)}, errors, prompter);
    EXPECT_EQ(failed, !c.accepted);
    EXPECT_EQ(form.Text(IDC_TARGET_POSITION), c.rewritten);
    EXPECT_EQ(prompter.WasShown(kMsgTargetPositionRange), !c.accepted);
}

INSTANTIATE_TEST_SUITE_P(Strokes, TargetRangeTest, ::testing::ValuesIn(kTargetCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditRowTest, ThrustFollowsTheStroke) {
    for (const auto& [stroke, thrust, accepted] : std::vector<std::tuple<int, const char*, bool>>{
             {30, "3.9", true}, {30, "4.0", false}, {0, "1.0", true}, {0, "1.1", false}}) {
        Fill("0", "0", thrust);
        prompter.Clear();
        EXPECT_EQ(list.ValidateEditRow(0, 0, {stroke, MaxThrust(stroke)}, errors, prompter),
                  !accepted)
            << stroke << " " << thrust;
    }
}

// --- focus choice ---

struct FieldCase {
    const char* name;
    int controlType;
    int inputMethod;
    bool pushing;
    int column;
    ControlId expected;
};

constexpr FieldCase kFieldCases[] = {
    {"CycleTimeTimeColumn", kControlTypeStep, kInputCycleTime, false, 4, IDC_POSITIONING_TIME},
    {"SpeedMethodTimeColumnFallsBack", kControlTypeStep, kInputSpeed, false, 4,
     IDC_TARGET_POSITION},
    {"SpeedMethodSpeedColumn", kControlTypeStep, kInputSpeed, false, 5, IDC_SPEED},
    {"ThrustOfPositioningFallsBack", kControlTypeStep, kInputCycleTime, false, 8,
     IDC_TARGET_POSITION},
    {"ThrustOfPushing", kControlTypeStep, kInputSpeed, true, 8, IDC_THRUST},
    {"NumberColumnFallsBack", kControlTypeStep, kInputCycleTime, true, 0, IDC_TARGET_POSITION},
    {"OperationColumnFallsBack", kControlTypeStep, kInputCycleTime, true, 1, IDC_TARGET_POSITION},
    {"LoadMass", kControlTypeStep, kInputCycleTime, false, 9, IDC_LOAD_MASS},
    {"PulseTargetFallsBackToThrust", kControlTypePulse, kInputCycleTime, false, 3, IDC_THRUST},
    {"PulseThrustWhateverTheOperation", kControlTypePulse, kInputCycleTime, false, 8, IDC_THRUST},
    {"PulseLoadMass", kControlTypePulse, kInputSpeed, false, 9, IDC_LOAD_MASS},
};

class FieldForColumnTest : public EditRowTest, public ::testing::WithParamInterface<FieldCase> {};

TEST_P(FieldForColumnTest, ChoosesAnEnabledField) {
    const FieldCase& c = GetParam();
    status.controlType = c.controlType;
    status.stepInputMethod[1] = c.inputMethod;
    EXPECT_EQ(list.FieldForColumn(c.pushing, c.column), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Columns, FieldForColumnTest, ::testing::ValuesIn(kFieldCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditRowTest, StrokeIndexFollowsTheInitialUpload) {
    status.stroke[0] = 50;
    status.stroke[1] = 30;
    EXPECT_EQ(list.StrokeIndex(), 2);
    status.flags = kFlagUploadDone;
    EXPECT_EQ(list.StrokeIndex(), 3);
    status.stroke[0] = 40;
    EXPECT_EQ(list.StrokeIndex(), 0);
}

// --- cell texts ---

TEST_F(EditRowTest, StoredCellsAreFormattedAndTheNumberStays) {
    Fill("12.3456", "1.5", "2.04");
    form.CheckRadio(IDC_POSITIONING, IDC_PUSHING, IDC_PUSHING);
    form.CheckRadio(IDC_ABSOLUTE, IDC_RELATIVE, IDC_RELATIVE);
    form.SetCurrentItem(IDC_LOAD_MASS, 3);
    form.SetText(IDC_STEP_NUMBER, "99");
    list.StoreCells(IDC_STEP_LIST, 4);
    std::vector<std::string> row;
    for (int c = 0; c < kColumnCount; ++c) {
        row.push_back(form.ListCell(IDC_STEP_LIST, 4, c));
    }
    EXPECT_THAT(row,
                ElementsAre("5", "Push", "REL", "12.346", "1.50", "10", "10", "10", "2.0", "150"));
    EXPECT_TRUE(list.RowIsPushing(IDC_STEP_LIST, 4));
    EXPECT_FALSE(list.RowIsPushing(IDC_STEP_LIST, 3));
    EXPECT_FALSE(list.RowIsPushing(IDC_STEP_LIST, -1));
}

// --- cell colours ---

struct ColourCase {
    const char* name;
    int controlType;
    int inputMethod;
    bool pushingRow;
    std::vector<int> idleColumns;
};

const ColourCase kColourCases[] = {
    {"CycleTimePositioning", kControlTypeStep, kInputCycleTime, false, {5, 6, 7, 8}},
    {"CycleTimePushing", kControlTypeStep, kInputCycleTime, true, {5, 6, 7}},
    {"SpeedPositioning", kControlTypeStep, kInputSpeed, false, {4, 8}},
    {"SpeedPushing", kControlTypeStep, kInputSpeed, true, {4}},
    {"PulseEveryColumnButNumberThrustMass",
     kControlTypePulse,
     kInputCycleTime,
     false,
     {1, 2, 3, 4, 5, 6, 7}},
};

class CellColourTest : public EditRowTest, public ::testing::WithParamInterface<ColourCase> {};

TEST_P(CellColourTest, IdleColumnsAreGreyOnFace) {
    const ColourCase& c = GetParam();
    status.controlType = c.controlType;
    status.stepInputMethod[1] = c.inputMethod;
    form.ListSetCell(IDC_STEP_LIST, 5, kColOperation, c.pushingRow ? "Push" : "Pos");
    form.ListSelectRow(IDC_STEP_LIST, 0);
    list.ColourList(IDC_STEP_LIST, kStepColumnEnables);
    for (int col = 0; col < kColumnCount; ++col) {
        const bool idle =
            std::find(c.idleColumns.begin(), c.idleColumns.end(), col) != c.idleColumns.end();
        EXPECT_EQ(form.ListCellColours(IDC_STEP_LIST, 5, col), idle ? kCellIdle : kCellUsed)
            << "column " << col;
        EXPECT_EQ(form.ListCellColours(IDC_STEP_LIST, 0, col), kCellSelected) << "column " << col;
    }
}

INSTANTIATE_TEST_SUITE_P(Methods, CellColourTest, ::testing::ValuesIn(kColourCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditRowTest, WhileTheLinkIsBusyOrTheListDisabledEveryCellIsGrey) {
    form.ListSelectRow(IDC_STEP_LIST, 2);
    for (const bool busy : {true, false}) {
        status.linkState = busy ? kLinkBusy : kLinkOnline;
        form.SetEnabled(IDC_STEP_LIST, busy);  // idle either way: busy, or the list disabled
        list.ColourList(IDC_STEP_LIST, kStepColumnEnables);
        for (const int row : {2, 3}) {
            EXPECT_EQ(form.ListCellColours(IDC_STEP_LIST, row, 0), kCellIdle) << busy;
        }
    }
}

}  // namespace
}  // namespace tavro::test
