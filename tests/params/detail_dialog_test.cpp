// The Detail Parameter Setup dialog driven as a user would, against the simulated controller.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "link/Numbers.h"
#include "link/StringIds.h"
#include "tests/params/detail_fixture.h"
#include "ui/Keys.h"

namespace tavro::test {
namespace {

using ::testing::ElementsAre;

constexpr int kSeriesIndexNil = 1;
constexpr int kSeriesIndexF = 2;
constexpr int kSeriesIndexM = 3;

sim::ControllerOptions SeriesF20() {
    sim::ControllerOptions o;
    o.series = sim::kSeriesF;
    o.stroke = 20;
    return o;
}

sim::ControllerOptions Pulse() {
    sim::ControllerOptions o = SeriesF20();
    o.controlType = sim::kTypePulse;
    return o;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

class OnlineDetailTest : public ::testing::Test {
  protected:
    void SetUp() override { h.OpenOnline(); }
    DetailHarness h{SeriesF20()};
    FakeForm& form = h.form;
    CDlgDtl& dialog = *h.dialog;
};

TEST_F(OnlineDetailTest, OpeningShowsTheControllerValues) {
    EXPECT_EQ(form.CurrentItem(IDC_DTL_SERIES), kSeriesIndexF);
    EXPECT_EQ(form.Text(IDC_DTL_STROKE), "20");
    EXPECT_TRUE(dialog.SeriesSelected());
    EXPECT_TRUE(dialog.StrokeSelected());
    EXPECT_EQ(form.Text(IDC_DTL_CONTROLLER_VERSION), "Ver.2.60");
    EXPECT_EQ(form.ListSelectedRow(IDC_DTL_STEP_LIST), 0);
    EXPECT_EQ(form.Text(IDC_DTL_STEP_NUMBER), "1");
    EXPECT_EQ(form.ListRowCount(IDC_DTL_STEP_LIST), 15);
    EXPECT_EQ(form.ListRowCount(IDC_DTL_ASSIGN_LIST), 16);
    EXPECT_EQ(form.ListCell(IDC_DTL_ASSIGN_LIST, 0, 0), "99");
    EXPECT_EQ(form.ListCell(IDC_DTL_ASSIGN_LIST, 15, 0), "15");
    EXPECT_EQ(form.ListCell(IDC_DTL_PID_LIST, 15, 0), "STO");
    EXPECT_TRUE(form.IsVisible(IDC_DTL_PID_GROUP));
    EXPECT_TRUE(form.IsEnabled(IDC_DTL_UPLOAD));
    EXPECT_TRUE(form.IsEnabled(IDC_DTL_ORIGIN_SENSOR));
    // The in-position spin of a series F actuator with stroke 20.
    EXPECT_EQ(dialog.Spins().step, 5);
    EXPECT_EQ(form.GetRange(1050).max, 20000);
    EXPECT_EQ(h.Requests("RE"), 1U);  // the alarm history, once
}

TEST_F(OnlineDetailTest, InPositionSnapsToTheResolutionWhenLeft) {
    ASSERT_TRUE(form.TypeAndLeave(IDC_DTL_IN_POSITION, "0.012", IDC_DTL_AREA_A1));
    EXPECT_EQ(form.Text(IDC_DTL_IN_POSITION), "0.010");
    form.Spin(1050, true);
    EXPECT_EQ(form.Text(IDC_DTL_IN_POSITION), "0.015");
    EXPECT_EQ(form.Position(1050), 15);
    ASSERT_TRUE(form.TypeText(IDC_DTL_IN_POSITION, "19.998"));
    form.Spin(1050, true);
    EXPECT_EQ(form.Text(IDC_DTL_IN_POSITION), "20.000");
}

TEST_F(OnlineDetailTest, CommittingARowJoinsAndOrdersTheAreas) {
    ASSERT_TRUE(form.TypeText(IDC_DTL_AREA_A1, "3.000"));
    ASSERT_TRUE(form.TypeText(IDC_DTL_AREA_A2, "1.000"));
    ASSERT_TRUE(form.ClickCell(IDC_DTL_STEP_LIST, 1, 3));
    EXPECT_TRUE(h.prompter.Shown().empty());
    EXPECT_EQ(form.ListCell(IDC_DTL_STEP_LIST, 0, kColAreaA), "1.000-3.000");
    EXPECT_FLOAT_EQ(h.Edit(3, 11), 1000.0F);
    EXPECT_FLOAT_EQ(h.Edit(3, 12), 3000.0F);
    EXPECT_EQ(dialog.ShownStep(), 1);
}

TEST_F(OnlineDetailTest, PositioningRowDisablesThePushingFields) {
    form.Click(IDC_DTL_POSITIONING);
    for (const ui::ControlId id : {IDC_DTL_THRUST, IDC_DTL_PUSH_SPEED, IDC_DTL_IN_FORCE}) {
        EXPECT_FALSE(form.IsEnabled(id)) << id;
    }
    EXPECT_EQ(form.ListCellColours(IDC_DTL_STEP_LIST, 1, 8), kCellIdle);
    EXPECT_EQ(form.GetColours(IDC_DTL_THRUST), (ui::Colours{10, 3}));
    ASSERT_TRUE(form.Click(IDC_DTL_PUSHING));
    for (const ui::ControlId id : {IDC_DTL_THRUST, IDC_DTL_PUSH_SPEED, IDC_DTL_IN_FORCE}) {
        EXPECT_TRUE(form.IsEnabled(id)) << id;
    }
    EXPECT_EQ(form.GetColours(IDC_DTL_THRUST), (ui::Colours{16, 2}));
}

TEST_F(OnlineDetailTest, OutOfRangeStepFieldKeepsTheRow) {
    ASSERT_TRUE(form.Click(IDC_DTL_PUSHING));
    ASSERT_TRUE(form.TypeText(IDC_DTL_PUSH_SPEED, "25"));
    ASSERT_TRUE(form.ClickCell(IDC_DTL_STEP_LIST, 2, 3));
    EXPECT_TRUE(h.prompter.WasShown(319));
    EXPECT_EQ(dialog.ShownStep(), 0);
    EXPECT_EQ(form.ListSelectedRow(IDC_DTL_STEP_LIST), 0);
}

TEST_F(OnlineDetailTest, RelativeMovementWidensTheTargetRange) {
    ASSERT_TRUE(form.Click(IDC_DTL_RELATIVE));
    EXPECT_FLOAT_EQ(dialog.Limits().targetMinimum, -20.0F);
    EXPECT_FALSE(form.IsEnabled(IDC_DTL_GET_POSITION));
    ASSERT_TRUE(form.TypeText(IDC_DTL_TARGET, "-15"));
    ASSERT_TRUE(form.ClickCell(IDC_DTL_STEP_LIST, 1, 3));
    EXPECT_FALSE(h.prompter.WasShown(313));
    EXPECT_FLOAT_EQ(h.Edit(3, 0), -15000.0F);
}

TEST_F(OnlineDetailTest, GetPositionNeedsAReturnToOrigin) {
    ASSERT_TRUE(form.TypeText(IDC_DTL_TARGET, "4.000"));
    ASSERT_TRUE(form.Click(IDC_DTL_GET_POSITION));
    EXPECT_TRUE(h.prompter.WasShown(ids::IDS_DTL_NO_ORIGIN));
    EXPECT_EQ(form.Text(IDC_DTL_TARGET), "4.000");

    h.ctx.status.flags |= kFlagOriginDone;
    h.ctx.status.currentPosition = 12.5F;
    ASSERT_TRUE(form.Click(IDC_DTL_GET_POSITION));
    EXPECT_EQ(form.Text(IDC_DTL_TARGET), "12.500");
}

TEST_F(OnlineDetailTest, EscapeRestoresTheShownRow) {
    const std::string before = form.Text(IDC_DTL_SPEED);
    ASSERT_TRUE(form.TypeText(IDC_DTL_TARGET, "7.777"));
    form.PressKey(ui::key::kEscape);
    EXPECT_NE(form.Text(IDC_DTL_TARGET), "7.777");
    EXPECT_EQ(form.Text(IDC_DTL_SPEED), before);
}

TEST_F(OnlineDetailTest, KeysStoreTheRowAndMove) {
    ASSERT_TRUE(form.TypeText(IDC_DTL_TARGET, "5.5"));
    form.PressKey(ui::key::kDown);
    EXPECT_EQ(dialog.ShownStep(), 1);
    EXPECT_EQ(form.ListCell(IDC_DTL_STEP_LIST, 0, 3), "5.500");
    EXPECT_EQ(form.FocusedControl(), IDC_DTL_TARGET);
    form.PressKey(ui::key::kUp);
    form.PressKey(ui::key::kUp);
    EXPECT_EQ(dialog.ShownStep(), 14);
}

TEST_F(OnlineDetailTest, CutAndPasteMoveAStepThroughTheClipboard) {
    ASSERT_TRUE(form.Click(IDC_DTL_PUSHING));
    ASSERT_TRUE(form.TypeText(IDC_DTL_TARGET, "8.000"));
    ASSERT_TRUE(form.TypeText(IDC_DTL_IN_FORCE, "1.5"));
    ASSERT_TRUE(form.Click(IDC_DTL_CUT));
    EXPECT_EQ(form.Text(IDC_DTL_TARGET), "0.000");
    EXPECT_EQ(form.Text(IDC_DTL_IN_FORCE), "0.7");
    EXPECT_EQ(form.Text(IDC_DTL_PUSH_SPEED), "6");
    EXPECT_TRUE(form.IsChecked(IDC_DTL_POSITIONING));
    ASSERT_TRUE(form.ClickCell(IDC_DTL_STEP_LIST, 3, 3));
    ASSERT_TRUE(form.Click(IDC_DTL_PASTE));
    EXPECT_EQ(form.Text(IDC_DTL_TARGET), "8.000");
    EXPECT_EQ(form.Text(IDC_DTL_IN_FORCE), "1.5");
    EXPECT_TRUE(form.IsChecked(IDC_DTL_PUSHING));
    EXPECT_EQ(form.Text(IDC_DTL_STEP_NUMBER), "4");
}

struct OtherFieldCase {
    const char* name;
    ui::ControlId field;
    const char* typed;
    const char* shown;
    int message;  // 0: in range
};

constexpr OtherFieldCase kOtherFieldCases[] = {
    {"OffsetTooLarge", IDC_DTL_ORIGIN_OFFSET, "1.5", "1.500", 327},
    {"OffsetAtTheLimit", IDC_DTL_ORIGIN_OFFSET, "1", "1.000", 0},
    {"CurrentRoundedIntoRange", IDC_DTL_CURRENT, "3.04", "3.0", 0},
    {"CurrentTooLarge", IDC_DTL_CURRENT, "3.1", "3.1", 328},
    {"TemperatureNegative", IDC_DTL_TEMPERATURE, "-1", "-1", 329},
    {"TemperatureGarbage", IDC_DTL_TEMPERATURE, "abc", "0", 0},
};

class OtherFieldTest : public ::testing::TestWithParam<OtherFieldCase> {};

TEST_P(OtherFieldTest, LeavingAFieldChecksIt) {
    const OtherFieldCase& c = GetParam();
    DetailHarness h;
    h.OpenOffline();
    ASSERT_TRUE(h.form.TypeAndLeave(c.field, c.typed, IDC_DTL_CONTROLLER_ID));
    EXPECT_EQ(h.form.Text(c.field), c.shown);
    if (c.message == 0) {
        EXPECT_TRUE(h.prompter.Shown().empty());
        EXPECT_FALSE(h.dialog->OtherFieldsError());
        return;
    }
    EXPECT_THAT(h.prompter.ShownIds(), ElementsAre(c.message));
    EXPECT_TRUE(h.dialog->OtherFieldsError());
    EXPECT_EQ(h.form.FocusedControl(), c.field);
    EXPECT_EQ(h.form.GetColours(c.field), (ui::Colours{11, 2}));
    // While the field is wrong a click on the step list keeps the row.
    ASSERT_TRUE(h.form.ClickCell(IDC_DTL_STEP_LIST, 2, 3));
    EXPECT_EQ(h.dialog->ShownStep(), 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, OtherFieldTest, ::testing::ValuesIn(kOtherFieldCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DetailOfflineTest, OriginOffsetSpinStaysWithinOneMillimetre) {
    DetailHarness h;
    h.OpenOffline();
    ASSERT_TRUE(h.form.TypeText(IDC_DTL_ORIGIN_OFFSET, "0.9995"));
    h.form.Spin(IDC_DTL_OFFSET_SPIN, true);
    EXPECT_EQ(h.form.Text(IDC_DTL_ORIGIN_OFFSET), "1.000");
    h.form.Spin(IDC_DTL_OFFSET_SPIN, true);
    EXPECT_EQ(h.form.Text(IDC_DTL_ORIGIN_OFFSET), "1.000");
    h.form.Spin(IDC_DTL_OFFSET_SPIN, false);
    EXPECT_EQ(h.form.Text(IDC_DTL_ORIGIN_OFFSET), "0.999");
}

TEST(DetailOfflineTest, OfflineOnlyFileAndEditingStayEnabled) {
    DetailHarness h;
    h.OpenOffline();
    EXPECT_EQ(h.form.Text(IDC_DTL_CONTROLLER_VERSION), "The controller is not connected.");
    for (const ui::ControlId id :
         {IDC_DTL_UPLOAD, IDC_DTL_DOWNLOAD, IDC_DTL_GET_POSITION, IDC_DTL_INITIALIZE}) {
        EXPECT_FALSE(h.form.IsEnabled(id)) << id;
    }
    for (const ui::ControlId id : {IDC_DTL_SAVE, IDC_DTL_OPEN, IDC_DTL_SERIES, IDC_DTL_KP}) {
        EXPECT_TRUE(h.form.IsEnabled(id)) << id;
    }
    EXPECT_FALSE(h.form.IsEnabled(IDC_DTL_ALARM));
    h.dialog->ApplyLinkState(kLinkMonitorMode);
    EXPECT_FALSE(h.form.IsEnabled(IDC_DTL_SAVE));
    EXPECT_FALSE(h.form.IsEnabled(1111));
}

TEST(DetailOfflineTest, PidSectionOnlyAtLevelOne) {
    DetailHarness h;
    h.OpenOffline(0);
    EXPECT_FALSE(h.form.IsVisible(IDC_DTL_PID_GROUP));
    h.Open(1);
    EXPECT_TRUE(h.form.IsVisible(IDC_DTL_PID_GROUP));
}

TEST(DetailPulseTest, PulseTypeShowsItsOwnSectionAndRows) {
    DetailHarness h{Pulse()};
    h.OpenOnline();
    FakeForm& form = h.form;
    for (const ui::ControlId id : {IDC_DTL_INPUT_LAST, IDC_DTL_DEVIATION, 1131, 1892, 1881}) {
        EXPECT_TRUE(form.IsVisible(id)) << id;
    }
    EXPECT_EQ(form.ItemCount(IDC_DTL_OUT0), 11);
    EXPECT_EQ(form.ItemText(IDC_DTL_OUT1, 9), "Deviation");
    EXPECT_EQ(form.Text(1109), "Pulse input control mode");
    EXPECT_EQ(form.ListRowCount(IDC_DTL_STEP_LIST), 4);
    EXPECT_EQ(form.ListRowCount(IDC_DTL_PID_LIST), 5);
    EXPECT_EQ(form.ListCell(IDC_DTL_PID_LIST, 4, 0), "STD");
    EXPECT_EQ(form.ListRowCount(IDC_DTL_ASSIGN_LIST), 5);
    EXPECT_EQ(form.ListCell(IDC_DTL_ASSIGN_LIST, 1, 0), "0");
    EXPECT_EQ(form.ListCell(IDC_DTL_ASSIGN_LIST, 4, 0), "3");
    // Every row may push in pulse type.
    for (const ui::ControlId id : {IDC_DTL_THRUST, IDC_DTL_PUSH_SPEED, IDC_DTL_IN_FORCE}) {
        EXPECT_TRUE(form.IsEnabled(id)) << id;
    }
    EXPECT_FALSE(form.IsEnabled(IDC_DTL_TARGET));
}

TEST(DetailStepTypeTest, StepTypeHidesThePulseSection) {
    DetailHarness h{SeriesF20()};
    h.OpenOnline();
    for (const ui::ControlId id : {IDC_DTL_INPUT_LAST, IDC_DTL_DEVIATION, 1131, 1892, 1881}) {
        EXPECT_FALSE(h.form.IsVisible(id)) << id;
    }
    EXPECT_EQ(h.form.ItemCount(IDC_DTL_OUT0), 10);
}

// --- series, stroke, orientation ---

TEST_F(OnlineDetailTest, DecliningTheSeriesDefaultsPutsTheProductNumberBack) {
    h.prompter.AnswerNo();
    ASSERT_TRUE(form.Choose(IDC_DTL_SERIES, kSeriesIndexM));
    EXPECT_TRUE(h.prompter.WasShown(ids::IDS_DTL_SERIES_DEFAULTS));
    EXPECT_NE(h.prompter.Last()->text.find("KRM3M-*"), std::string::npos);
    EXPECT_EQ(form.CurrentItem(IDC_DTL_SERIES), kSeriesIndexF);
    EXPECT_EQ(form.Text(IDC_DTL_STROKE), "20");
    EXPECT_EQ(form.ItemCount(IDC_DTL_ORIENTATION), 2);
    EXPECT_TRUE(dialog.StrokeSelected());
}

// "Select" names no series: the question speaks of the defaults alone, in both languages.
struct SeriesQuestionCase {
    const char* name;
    Language language;
    int series;
    int question;
    const char* text;
};

constexpr SeriesQuestionCase kSeriesQuestions[] = {
    {"EnglishSelect", Language::kEnglish, 0, ids::IDS_DTL_DEFAULTS,
     "Positioning and Area Range will be set to default.\nOK?"},
    {"JapaneseSelect", Language::kJapanese, 0, ids::IDS_DTL_DEFAULTS,
     "位置決め幅とエリア範囲を初期値に設定します。\nよろしいですか？"},
    {"EnglishM", Language::kEnglish, kSeriesIndexM, ids::IDS_DTL_SERIES_DEFAULTS,
     "Positioning and Area Range will be set to KRM3M-* default.\nOK?"},
    {"JapaneseM", Language::kJapanese, kSeriesIndexM, ids::IDS_DTL_SERIES_DEFAULTS,
     "位置決め幅とエリア範囲を初期値（KRM3M-*）に設定します。\nよろしいですか？"},
};

class SeriesQuestionTest : public ::testing::TestWithParam<SeriesQuestionCase> {};

TEST_P(SeriesQuestionTest, ReadsWellWithAndWithoutASeries) {
    const SeriesQuestionCase& c = GetParam();
    DetailHarness h{SeriesF20(), c.language};
    h.OpenOnline();
    h.prompter.AnswerNo();
    ASSERT_TRUE(h.form.Choose(IDC_DTL_SERIES, c.series));
    ASSERT_NE(h.prompter.Last(), nullptr);
    EXPECT_EQ(h.prompter.Last()->stringId, c.question);
    EXPECT_EQ(h.prompter.Last()->text, c.text);
    EXPECT_EQ(h.form.CurrentItem(IDC_DTL_SERIES), kSeriesIndexF);
}

INSTANTIATE_TEST_SUITE_P(Detail, SeriesQuestionTest, ::testing::ValuesIn(kSeriesQuestions),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OnlineDetailTest, AcceptingTheSeriesDefaultsRewritesEveryStep) {
    h.prompter.AnswerYes();
    ASSERT_TRUE(form.Choose(IDC_DTL_SERIES, kSeriesIndexNil));
    EXPECT_NE(h.prompter.Last()->text.find("KRM3-*"), std::string::npos);
    for (int step = 0; step < 15; ++step) {
        EXPECT_FLOAT_EQ(h.Edit(3 + step, 10), 300.0F) << step;
        EXPECT_FLOAT_EQ(h.Edit(3 + step, 11), 0.0F) << step;
        EXPECT_EQ(form.ListCell(IDC_DTL_STEP_LIST, step, 11), "0.300");
    }
    EXPECT_FLOAT_EQ(h.Edit(0, 1), 2.0F);
    EXPECT_EQ(dialog.Spins().step, 30);
    EXPECT_FALSE(form.IsEnabled(IDC_DTL_ORIGIN_SENSOR));
}

TEST_F(OnlineDetailTest, StrokeAndOrientationResetThePidSetsAtOnce) {
    // Set C for the step labelled 5, and an own gain for set A.
    ASSERT_TRUE(form.ClickCell(IDC_DTL_ASSIGN_LIST, 5, 1));
    ASSERT_TRUE(form.Choose(IDC_DTL_PID_CHOICE, 3));
    ASSERT_TRUE(form.ClickCell(IDC_DTL_ASSIGN_LIST, 0, 1));
    EXPECT_FLOAT_EQ(h.Edit(7, 15), 3.0F);
    EXPECT_EQ(form.ListCell(IDC_DTL_ASSIGN_LIST, 5, 1), "STC");

    ASSERT_TRUE(form.Choose(IDC_DTL_ORIENTATION, 1));
    EXPECT_TRUE(h.prompter.Shown().empty());
    EXPECT_FLOAT_EQ(h.Edit(7, 15), 0.0F);
    EXPECT_EQ(form.ListCell(IDC_DTL_ASSIGN_LIST, 5, 1), "Default");

    ASSERT_TRUE(form.ClickCell(IDC_DTL_ASSIGN_LIST, 5, 1));
    ASSERT_TRUE(form.Choose(IDC_DTL_PID_CHOICE, 2));
    ASSERT_TRUE(form.ClickCell(IDC_DTL_ASSIGN_LIST, 0, 1));
    ASSERT_TRUE(form.ChooseText(IDC_DTL_STROKE, "30"));
    EXPECT_TRUE(h.prompter.Shown().empty());
    EXPECT_FLOAT_EQ(h.Edit(7, 15), 0.0F);
    EXPECT_EQ(form.Text(IDC_DTL_STROKE_FULL), "30");
    EXPECT_EQ(dialog.Limits().stroke, 30);
}

TEST_F(OnlineDetailTest, ContextMenuCopiesOneStepOntoAnother) {
    ASSERT_TRUE(form.TypeText(IDC_DTL_TARGET, "2.500"));
    ASSERT_TRUE(form.ClickCell(IDC_DTL_STEP_LIST, 1, 3));
    form.AnswerPopup(ID_POPUP_COPY);
    ASSERT_TRUE(form.RightClickCell(IDC_DTL_STEP_LIST, 0, 3));
    ASSERT_EQ(form.Popups().size(), 1U);
    const auto& items = form.Popups()[0].items;
    ASSERT_EQ(items.size(), 5U);
    EXPECT_EQ(items[4].command, ID_POPUP_GET_POSITION);
    EXPECT_TRUE(items[4].enabled);
    form.AnswerPopup(ID_POPUP_PASTE);
    ASSERT_TRUE(form.RightClickCell(IDC_DTL_STEP_LIST, 6, 3));
    EXPECT_EQ(form.Text(IDC_DTL_STEP_NUMBER), "7");
    EXPECT_EQ(form.Text(IDC_DTL_TARGET), "2.500");
    // Relative movement: Get Position is grayed in the menu.
    ASSERT_TRUE(form.Click(IDC_DTL_RELATIVE));
    ASSERT_TRUE(form.RightClickCell(IDC_DTL_STEP_LIST, 6, 3));
    EXPECT_FALSE(form.Popups().back().items[4].enabled);
}

TEST_F(OnlineDetailTest, SensorOriginOnlyForSeriesFAndM) {
    ASSERT_TRUE(form.Click(IDC_DTL_ORIGIN_SENSOR));
    h.prompter.AnswerYes();
    ASSERT_TRUE(form.Choose(IDC_DTL_SERIES, kSeriesIndexNil));
    EXPECT_FALSE(form.IsEnabled(IDC_DTL_ORIGIN_SENSOR));
    EXPECT_TRUE(form.IsChecked(IDC_DTL_ORIGIN_RETRACTED));
    h.prompter.AnswerYes();
    ASSERT_TRUE(form.Choose(IDC_DTL_SERIES, kSeriesIndexM));
    EXPECT_TRUE(form.IsEnabled(IDC_DTL_ORIGIN_SENSOR));
    EXPECT_EQ(form.ItemCount(IDC_DTL_ORIENTATION), 1);
    EXPECT_FLOAT_EQ(h.Edit(3, 10), 100.0F);
}

TEST_F(OnlineDetailTest, WhileBusyOnlyLabelsAreEnabled) {
    h.prompter.AnswerYes();
    ASSERT_TRUE(form.Click(IDC_DTL_UPLOAD));
    ASSERT_EQ(h.ctx.status.linkState, kLinkBusy);
    for (const ui::ControlId id : {IDC_DTL_TARGET, IDC_DTL_SERIES, IDC_DTL_KP, IDC_DTL_SAVE,
                                   IDC_DTL_STEP_LIST, IDC_DTL_ORIGIN_SENSOR}) {
        EXPECT_FALSE(form.IsEnabled(id)) << id;
    }
    EXPECT_TRUE(form.IsEnabled(1111));
    h.Settle();
    EXPECT_TRUE(form.IsEnabled(IDC_DTL_SAVE));
}

TEST_F(OnlineDetailTest, AChangedProductNumberDownloadsTheDefaultGains) {
    ASSERT_TRUE(form.ClickCell(IDC_DTL_PID_LIST, 1, 1));
    ASSERT_TRUE(form.TypeText(IDC_DTL_KP, "999.9"));
    ASSERT_TRUE(form.ClickCell(IDC_DTL_PID_LIST, 0, 1));
    ASSERT_TRUE(form.ChooseText(IDC_DTL_STROKE, "30"));
    // The stroke change put the defaults back already.
    EXPECT_NE(form.ListCell(IDC_DTL_PID_LIST, 1, 1), "999.9");
    h.prompter.AnswerYes();
    ASSERT_TRUE(form.Click(IDC_DTL_DOWNLOAD));
    h.Settle();
    EXPECT_FLOAT_EQ(h.sim.Controller().Parameter(0, 0), 30.0F);
    EXPECT_NE(h.sim.Controller().Parameter(2, 12), 999.9F);
    EXPECT_FLOAT_EQ(h.Controller(2, 12), h.Edit(2, 12));
}

// --- PID table ---

struct PidCase {
    const char* name;
    ui::ControlId field;
    const char* typed;
    const char* shown;
    int message;
};

constexpr PidCase kPidCases[] = {
    {"KpRoundedBelowTheMinimum", IDC_DTL_KP, "0.04", "0.0", 325},
    {"TdAboveTheMaximum", IDC_DTL_TD, "1.5", "1.5000", 326},
    {"TiTooSmall", IDC_DTL_TI, "0", "0.000", 324},
};

class PidCheckTest : public ::testing::TestWithParam<PidCase> {};

TEST_P(PidCheckTest, AnOutOfRangeGainKeepsTheRow) {
    const PidCase& c = GetParam();
    DetailHarness h{SeriesF20()};
    h.OpenOnline();
    ASSERT_TRUE(h.form.TypeText(c.field, c.typed));
    ASSERT_TRUE(h.form.ClickCell(IDC_DTL_PID_LIST, 3, 1));
    EXPECT_THAT(h.prompter.ShownIds(), ElementsAre(c.message));
    EXPECT_EQ(h.form.Text(c.field), c.shown);
    EXPECT_EQ(h.dialog->ShownPidRow(), 0);
    EXPECT_EQ(h.form.ListSelectedRow(IDC_DTL_PID_LIST), 0);
    // Download refuses too.
    h.prompter.Clear();
    ASSERT_TRUE(h.form.Click(IDC_DTL_DOWNLOAD));
    EXPECT_THAT(h.prompter.ShownIds(), ElementsAre(c.message));
}

INSTANTIATE_TEST_SUITE_P(Cases, PidCheckTest, ::testing::ValuesIn(kPidCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OnlineDetailTest, AGainTypedIntoARowReachesTheImageWhenTheRowChanges) {
    ASSERT_TRUE(form.ClickCell(IDC_DTL_PID_LIST, 2, 1));
    EXPECT_EQ(form.Text(IDC_DTL_PID_SET_NAME), "STB");
    EXPECT_EQ(form.Text(IDC_DTL_PID_SET_PURPOSE), "(For \"Step Data Ope\")");
    EXPECT_EQ(form.Text(IDC_DTL_PID_ROW), "3");
    ASSERT_TRUE(form.TypeText(IDC_DTL_KP, "123.45"));
    form.PressKey(ui::key::kReturn);
    EXPECT_EQ(dialog.ShownPidRow(), 3);
    EXPECT_EQ(form.FocusedControl(), IDC_DTL_KP);
    EXPECT_EQ(form.ListCell(IDC_DTL_PID_LIST, 2, 1), "123.5");
    EXPECT_FLOAT_EQ(h.Edit(2, 15), 123.5F);
}

TEST_F(OnlineDetailTest, InitializeAnsweredNoChangesNothing) {
    ASSERT_TRUE(form.ClickCell(IDC_DTL_ASSIGN_LIST, 2, 1));
    ASSERT_TRUE(form.Choose(IDC_DTL_PID_CHOICE, 1));
    ASSERT_TRUE(form.ClickCell(IDC_DTL_ASSIGN_LIST, 0, 1));
    const std::size_t before = h.Requests("EE");
    h.prompter.AnswerNo();
    ASSERT_TRUE(form.Click(IDC_DTL_INITIALIZE));
    EXPECT_TRUE(h.prompter.WasShown(ids::IDS_DTL_PID_RESET));
    EXPECT_FLOAT_EQ(h.Edit(4, 15), 1.0F);
    EXPECT_EQ(h.Requests("EE"), before);

    h.prompter.AnswerYes();
    ASSERT_TRUE(form.Click(IDC_DTL_INITIALIZE));
    h.Settle();
    EXPECT_FLOAT_EQ(h.Edit(4, 15), 0.0F);
    EXPECT_EQ(h.Requests("EE") - before, 15U * 3U);  // the three gains of the 15 PID sets
}

// --- download, upload, close ---

TEST_F(OnlineDetailTest, DownloadWithoutAnyChangeSendsNothing) {
    h.prompter.AnswerYes();
    ASSERT_TRUE(form.Click(IDC_DTL_DOWNLOAD));
    EXPECT_THAT(h.prompter.ShownIds(),
                ElementsAre(ids::IDS_CONFIRM_DOWNLOAD, ids::IDS_NOTHING_CHANGED));
    EXPECT_EQ(h.ctx.status.linkState, kLinkOnline);
}

TEST_F(OnlineDetailTest, DownloadRefusesAnIncompleteProductNumber) {
    ASSERT_TRUE(form.Choose(IDC_DTL_STROKE, 0));
    h.prompter.Clear();
    ASSERT_TRUE(form.Click(IDC_DTL_DOWNLOAD));
    EXPECT_THAT(h.prompter.ShownIds(), ElementsAre(ids::IDS_NO_PRODUCT));
}

TEST_F(OnlineDetailTest, DeclinedIdChangeSendsNothing) {
    ASSERT_TRUE(form.Choose(IDC_DTL_CONTROLLER_ID, 4));
    const std::size_t before = h.Requests("EE");
    h.prompter.AnswerYes();
    h.prompter.AnswerNo();
    ASSERT_TRUE(form.Click(IDC_DTL_DOWNLOAD));
    EXPECT_THAT(h.prompter.ShownIds(), ElementsAre(ids::IDS_CONFIRM_DOWNLOAD, ids::IDS_CHANGE_ID));
    EXPECT_NE(h.prompter.Last()->text.find("from ID1 to ID5"), std::string::npos);
    EXPECT_EQ(h.Requests("EE"), before);
    EXPECT_EQ(h.ctx.status.linkState, kLinkOnline);
}

TEST_F(OnlineDetailTest, DownloadSendsTheChangedCells) {
    ASSERT_TRUE(form.TypeAndLeave(IDC_DTL_TEMPERATURE, "55", IDC_DTL_CONTROLLER_ID));
    ASSERT_TRUE(form.TypeText(IDC_DTL_IN_POSITION, "0.250"));
    h.prompter.AnswerYes();
    ASSERT_TRUE(form.Click(IDC_DTL_DOWNLOAD));
    h.Settle();
    EXPECT_EQ(h.ctx.status.linkState, kLinkOnline);
    EXPECT_FLOAT_EQ(h.sim.Controller().Parameter(0, 20), 55.0F);
    EXPECT_FLOAT_EQ(h.sim.Controller().Parameter(3, 10), 250.0F);
    EXPECT_FLOAT_EQ(h.Controller(0, 20), 55.0F);
    EXPECT_TRUE(h.prompter.WasShown(345));
}

TEST_F(OnlineDetailTest, UploadAsksAboutChangesFirst) {
    ASSERT_TRUE(form.TypeAndLeave(IDC_DTL_TEMPERATURE, "44", IDC_DTL_CONTROLLER_ID));
    const std::size_t before = h.Requests("");
    h.prompter.AnswerNo();
    ASSERT_TRUE(form.Click(IDC_DTL_UPLOAD));
    EXPECT_THAT(h.prompter.ShownIds(), ElementsAre(ids::IDS_DATA_CHANGED));
    EXPECT_EQ(h.Requests(""), before);
    EXPECT_EQ(form.Text(IDC_DTL_TEMPERATURE), "44");

    h.prompter.AnswerYes();
    ASSERT_TRUE(form.Click(IDC_DTL_UPLOAD));
    h.Settle();
    // The 64 detail cells, 15 cells of each of the 15 steps, 18 basic cells, and the poll
    // that resumes after them.
    EXPECT_EQ(h.Requests("") - before, 88U + 15U * 15U + 18U + 1U);
    EXPECT_NE(form.Text(IDC_DTL_TEMPERATURE), "44");
}

TEST_F(OnlineDetailTest, ClosingWithUnsentChanges) {
    ASSERT_TRUE(form.TypeText(IDC_DTL_TARGET, "9.000"));
    ASSERT_TRUE(form.ClickCell(IDC_DTL_STEP_LIST, 1, 3));
    h.prompter.AnswerNo();
    EXPECT_FALSE(form.Close());
    EXPECT_THAT(h.prompter.ShownIds(), ElementsAre(ids::IDS_DATA_CHANGED));
    EXPECT_EQ(h.ctx.status.detailOpen, 1);
    EXPECT_EQ(form.ListCell(IDC_DTL_STEP_LIST, 0, 3), "9.000");
    // Still fully working.
    ASSERT_TRUE(form.ClickCell(IDC_DTL_STEP_LIST, 0, 3));
    EXPECT_EQ(form.Text(IDC_DTL_TARGET), "9.000");

    h.prompter.AnswerYes();
    EXPECT_TRUE(form.Close());
    EXPECT_EQ(h.ctx.status.detailOpen, 0);
    EXPECT_TRUE(h.mainEnabled);
    EXPECT_FLOAT_EQ(h.Edit(3, 0), h.Controller(3, 0));
    EXPECT_NE(form.ListCell(IDC_DTL_STEP_LIST, 0, 3), "9.000");
}

TEST_F(OnlineDetailTest, ClosingWithoutChangesAsksNothing) {
    EXPECT_TRUE(form.Close());
    EXPECT_TRUE(h.prompter.Shown().empty());
}

// --- files ---

TEST(DetailFileTest, LevelZeroSavesWithoutThePidData) {
    DetailHarness h{SeriesF20()};
    h.OpenOnline(0);
    const std::string plain = h.sim.dir.File("plain.dat");
    h.chooser.ChooseNext(plain);
    ASSERT_TRUE(h.form.Click(IDC_DTL_SAVE));
    h.Open(1);
    h.Settle();
    const std::string withPid = h.sim.dir.File("pid.dat");
    h.chooser.ChooseNext(withPid);
    ASSERT_TRUE(h.form.Click(IDC_DTL_SAVE));
    // Fields a mode does not carry are written as "NO DATA".
    EXPECT_GT(Count(ReadFile(plain), "NO DATA"), Count(ReadFile(withPid), "NO DATA"));
    EXPECT_GT(Count(ReadFile(withPid), "[Tavro Motor Controller Step Data]"), 0);
}

TEST(DetailFileTest, OpenShowsTheFileFromTheEditCopies) {
    DetailHarness h{SeriesF20()};
    h.OpenOnline();
    ASSERT_TRUE(h.form.TypeText(IDC_DTL_TARGET, "6.000"));
    ASSERT_TRUE(h.form.ClickCell(IDC_DTL_STEP_LIST, 1, 3));
    const std::string path = h.sim.dir.File("steps.dat");
    h.chooser.ChooseNext(path);
    ASSERT_TRUE(h.form.Click(IDC_DTL_SAVE));
    // Discard, then read the file back.
    h.prompter.AnswerYes();
    ASSERT_TRUE(h.form.Click(IDC_DTL_UPLOAD));
    h.Settle();
    ASSERT_NE(h.form.ListCell(IDC_DTL_STEP_LIST, 0, 3), "6.000");
    h.chooser.ChooseNext(path);
    ASSERT_TRUE(h.form.Click(IDC_DTL_OPEN));
    EXPECT_EQ(h.form.ListCell(IDC_DTL_STEP_LIST, 0, 3), "6.000");
    EXPECT_FLOAT_EQ(h.Edit(3, 0), 6000.0F);
    EXPECT_EQ(h.form.FocusedControl(), IDC_DTL_TARGET);
}

// --- help ---

TEST_F(OnlineDetailTest, HelpLinesFollowTheFocusAndTheMouse) {
    ASSERT_TRUE(form.Focus(IDC_DTL_IN_POSITION));
    EXPECT_TRUE(form.IsVisible(IDC_DTL_FIELD_HELP));
    EXPECT_NE(form.Text(IDC_DTL_FIELD_HELP).find("between 0.0  and 20.0. (0.005 increments)"),
              std::string::npos);
    ASSERT_TRUE(form.Focus(IDC_DTL_TD));
    EXPECT_TRUE(form.IsVisible(IDC_DTL_PID_HELP));
    EXPECT_FALSE(form.IsVisible(IDC_DTL_FIELD_HELP));
    form.MoveMouse(IDC_DTL_UPLOAD);
    EXPECT_TRUE(form.IsVisible(IDC_DTL_BUTTON_HELP));
    EXPECT_EQ(form.Text(IDC_DTL_BUTTON_HELP).rfind("Upload:", 0), 0U);
    EXPECT_EQ(form.ToolTip(IDC_DTL_DOWNLOAD), "Download");
}

}  // namespace
}  // namespace tavro::test
