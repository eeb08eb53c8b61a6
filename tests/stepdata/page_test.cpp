// The Step Data Setup page driven as a user would, against the simulated controller.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "link/Numbers.h"
#include "stepdata/StepFile.h"
#include "tests/stepdata/page_fixture.h"
#include "ui/Keys.h"

namespace tavro::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

std::vector<std::string> Lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        out.push_back(line);
    }
    return out;
}

// The first fields of a record line of a step-data file.
std::string RecordField(const std::string& path, int step, int field) {
    const std::vector<std::string> lines = Lines(path);
    const std::size_t at = 6 + static_cast<std::size_t>(step);
    if (at >= lines.size()) {
        return "";
    }
    std::string line = lines[at];
    for (int i = 0; i < field; ++i) {
        line = line.substr(line.find(',') + 1);
    }
    return line.substr(0, line.find(','));
}

// Online on a 20 mm step-data controller (cycle-time entry), the tab entered.
class OnlinePageTest : public StepPageTest {
  protected:
    void SetUp() override {
        h.StartOnline();
        h.EnterTab();
        h.prompter.Clear();
    }
    std::size_t Requests(const std::string& code) const { return h.sim.bus.Requests(code).size(); }
};

TEST_F(StepPageTest, OfflineTabEntryStoresTheEmptyStepZeroAndShowsIt) {
    h.StartOffline();
    h.EnterTab(20);
    EXPECT_THAT(h.Row(0),
                ElementsAre("1", "Pos", "ABS", "0.000", "0.00", "0", "0", "0", "1.0", "0"));
    EXPECT_EQ(form.Text(IDC_STEP_NUMBER), "1");
    EXPECT_EQ(form.Text(IDC_TARGET_POSITION), "0.000");
    EXPECT_TRUE(form.IsChecked(IDC_POSITIONING));
    EXPECT_TRUE(form.IsChecked(IDC_ABSOLUTE));
    EXPECT_EQ(form.ListSelectedRow(IDC_STEP_LIST), 0);
    EXPECT_FLOAT_EQ(h.Edit(0, kCellOperationWord), 6.0F);
    EXPECT_FALSE(page.HasStepChanges());
    // Offline the fields follow the input method: editable, although nothing can be sent.
    EXPECT_TRUE(form.IsEnabled(IDC_TARGET_POSITION));
    EXPECT_FALSE(form.IsEnabled(IDC_GET_POSITION));
    EXPECT_EQ(page.Limits().stroke, 20);
    EXPECT_FLOAT_EQ(page.Limits().maxThrust, 4.8F);
}

TEST_F(OnlinePageTest, ClickingARowStoresTheEditedStepAndShowsTheClickedOne) {
    ASSERT_TRUE(form.TypeText(IDC_TARGET_POSITION, "12.3456"));
    ASSERT_TRUE(form.ClickCell(IDC_STEP_LIST, 3, 4));
    EXPECT_EQ(h.Cell(0, 3), "12.346");
    // The check before leaving the row rewrote the text with three decimals.
    EXPECT_FLOAT_EQ(h.Edit(0, kCellTargetPosition), 12346.0F);
    EXPECT_EQ(page.CurrentStep(), 3);
    EXPECT_EQ(form.Text(IDC_STEP_NUMBER), "4");
    EXPECT_EQ(form.FocusedControl(), IDC_POSITIONING_TIME);
    EXPECT_TRUE(form.IsAllTextSelected(IDC_POSITIONING_TIME));
    EXPECT_TRUE(page.HasStepChanges());
}

TEST_F(OnlinePageTest, RightClickWithAnOutOfRangeValueWarnsKeepsTheRowAndStillShowsTheMenu) {
    ASSERT_TRUE(form.ClickCell(IDC_STEP_LIST, 2, 3));
    ASSERT_TRUE(form.TypeText(IDC_TARGET_POSITION, "99"));
    form.AnswerPopup(0);
    ASSERT_TRUE(form.RightClickCell(IDC_STEP_LIST, 6, 3, {40, 50}));
    EXPECT_THAT(h.prompter.ShownIds(), ElementsAre(kMsgTargetPositionRange));
    EXPECT_EQ(form.ListSelectedRow(IDC_STEP_LIST), 2);
    EXPECT_EQ(page.CurrentStep(), 2);
    EXPECT_EQ(form.FocusedControl(), IDC_TARGET_POSITION);
    ASSERT_EQ(form.Popups().size(), 1U);
    EXPECT_EQ(form.Popups()[0].at, (ui::ScreenPoint{40, 50}));
    EXPECT_THAT(form.Popups()[0].items,
                ElementsAre(ui::MenuItem{ID_POPUP_CUT, "Cut", true},
                            ui::MenuItem{ID_POPUP_COPY, "Copy", true},
                            ui::MenuItem{ID_POPUP_PASTE, "Paste", true}, ui::MenuItem{0, "", true},
                            ui::MenuItem{ID_POPUP_GET_POSITION, "Get Position", true}));
}

TEST_F(OnlinePageTest, PopupCommandsDoWhatTheButtonsDo) {
    ASSERT_TRUE(form.TypeText(IDC_POSITIONING_TIME, "2.5"));
    form.AnswerPopup(ID_POPUP_COPY);
    ASSERT_TRUE(form.RightClickCell(IDC_STEP_LIST, 0, 4));
    form.AnswerPopup(ID_POPUP_PASTE);
    ASSERT_TRUE(form.RightClickCell(IDC_STEP_LIST, 5, 4));
    EXPECT_EQ(page.CurrentStep(), 5);
    EXPECT_EQ(form.Text(IDC_POSITIONING_TIME), "2.50");
    form.AnswerPopup(ID_POPUP_CUT);
    ASSERT_TRUE(form.RightClickCell(IDC_STEP_LIST, 5, 4));
    EXPECT_EQ(form.Text(IDC_POSITIONING_TIME), "0.00");
    EXPECT_EQ(form.FocusedControl(), IDC_TARGET_POSITION);
}

TEST_F(OnlinePageTest, EditRowChecksBlockEveryKeyThatLeavesTheStep) {
    ASSERT_TRUE(form.TypeText(IDC_TARGET_POSITION, "20.001"));
    for (const int key : {ui::key::kReturn, ui::key::kDown, ui::key::kPageDown, ui::key::kUp}) {
        h.prompter.Clear();
        EXPECT_TRUE(form.PressKey(key));
        EXPECT_THAT(h.prompter.ShownIds(), ElementsAre(kMsgTargetPositionRange)) << key;
        EXPECT_EQ(page.CurrentStep(), 0);
        EXPECT_EQ(form.ListSelectedRow(IDC_STEP_LIST), 0);
    }
    EXPECT_EQ(form.GetColours(IDC_TARGET_POSITION), (ui::Colours{11, 2}));
    EXPECT_EQ(h.Cell(0, 3), "0.000");  // nothing was stored

    ASSERT_TRUE(form.TypeText(IDC_TARGET_POSITION, "20"));
    EXPECT_TRUE(form.PressKey(ui::key::kUp));
    EXPECT_EQ(form.GetColours(IDC_TARGET_POSITION), (ui::Colours{16, 2}));
    EXPECT_EQ(h.Cell(0, 3), "20.000");
    EXPECT_EQ(page.CurrentStep(), 14);  // wrapped
    EXPECT_EQ(form.FocusedControl(), IDC_TARGET_POSITION);
    EXPECT_TRUE(form.IsAllTextSelected(IDC_TARGET_POSITION));
}

TEST_F(OnlinePageTest, EnterMovesOnAndFocusesTheFirstFieldEscapeDropsTheEdit) {
    ASSERT_TRUE(form.Choose(IDC_LOAD_MASS, 4));
    EXPECT_TRUE(form.PressKey(ui::key::kReturn));
    EXPECT_EQ(h.Cell(0, 9), "200");
    EXPECT_FLOAT_EQ(h.Edit(0, kCellLoadMass), 200.0F);
    EXPECT_EQ(page.CurrentStep(), 1);
    EXPECT_EQ(form.FocusedControl(), IDC_TARGET_POSITION);

    ASSERT_TRUE(form.TypeText(IDC_POSITIONING_TIME, "9.99"));
    EXPECT_TRUE(form.PressKey(ui::key::kEscape));
    EXPECT_EQ(form.Text(IDC_POSITIONING_TIME),
              Format("%.2f", static_cast<double>(h.Controller(1, kCellPositioningTime))));
    EXPECT_EQ(page.CurrentStep(), 1);
}

TEST_F(OnlinePageTest, StoringAPositioningStepWritesPushingSpeedSix) {
    h.ctx.image.SetCell(StepImageRow(3), kCellOperationWord, 0x8000 | 12,
                        ParameterImage::kEditCopy);
    ASSERT_TRUE(form.ClickCell(IDC_STEP_LIST, 3, 3));
    EXPECT_TRUE(form.IsChecked(IDC_PUSHING));
    EXPECT_TRUE(form.IsEnabled(IDC_THRUST));
    ASSERT_TRUE(form.Click(IDC_POSITIONING));
    EXPECT_FALSE(form.IsEnabled(IDC_THRUST));
    EXPECT_TRUE(form.PressKey(ui::key::kReturn));
    EXPECT_FLOAT_EQ(h.Edit(3, kCellOperationWord), 6.0F);
    EXPECT_EQ(h.Cell(3, kColOperation), "Pos");

    // While the Detail dialog is open it owns the word.
    h.ctx.status.detailOpen = 1;
    h.ctx.image.SetCell(StepImageRow(4), kCellOperationWord, 0x8000 | 12,
                        ParameterImage::kEditCopy);
    ASSERT_TRUE(form.Click(IDC_PUSHING));
    EXPECT_TRUE(form.PressKey(ui::key::kReturn));
    EXPECT_FLOAT_EQ(h.Edit(4, kCellOperationWord), static_cast<float>(0x8000 | 12));
}

TEST_F(OnlinePageTest, LoadMassThatIsNoChoiceShowsTheFirstEntry) {
    h.ctx.image.SetCell(StepImageRow(2), kCellLoadMass, 75.0F, ParameterImage::kEditCopy);
    ASSERT_TRUE(form.ClickCell(IDC_STEP_LIST, 2, 9));
    EXPECT_EQ(form.CurrentItem(IDC_LOAD_MASS), 0);
    EXPECT_EQ(form.Text(IDC_LOAD_MASS), "0");
    EXPECT_EQ(form.FocusedControl(), IDC_LOAD_MASS);
}

TEST_F(OnlinePageTest, HelpTextsAndIllustrationsFollowTheFocusedField) {
    EXPECT_EQ(form.FocusedControl(), IDC_TARGET_POSITION);
    EXPECT_EQ(form.Text(IDC_FIELD_HELP), h.strings.Format(638, 0.0, 20.0));
    EXPECT_EQ(form.Picture(IDC_ILLUSTRATION), 170);  // standard series: variant 0
    ASSERT_TRUE(form.Click(IDC_RELATIVE));
    EXPECT_EQ(form.Text(IDC_FIELD_HELP), h.strings.Format(639, -20.0, 20.0));
    EXPECT_FALSE(form.IsEnabled(IDC_GET_POSITION));
    ASSERT_TRUE(form.Click(IDC_PUSHING));
    EXPECT_EQ(form.Text(IDC_FIELD_HELP), h.strings.Format(641, -20.0, 20.0));
    ASSERT_TRUE(form.Focus(IDC_THRUST));
    EXPECT_EQ(form.Text(IDC_FIELD_HELP), h.strings.Format(648, 20.0, 1.0, 4.8F));
    EXPECT_EQ(form.Picture(IDC_ILLUSTRATION), 174);
    ASSERT_TRUE(form.Focus(IDC_LOAD_MASS));
    EXPECT_EQ(form.Text(IDC_FIELD_HELP), h.strings.Text(649));
    EXPECT_EQ(form.Picture(IDC_ILLUSTRATION), 176);

    form.MoveMouse(IDC_SAVE);
    EXPECT_EQ(form.Text(IDC_BUTTON_DESCRIPTION), h.strings.Text(374));
    EXPECT_TRUE(form.IsVisible(IDC_BUTTON_DESCRIPTION));
    EXPECT_FALSE(form.IsVisible(IDC_FIELD_HELP));
    form.MoveMouse(IDC_TARGET_POSITION);
    EXPECT_EQ(form.Text(IDC_BUTTON_DESCRIPTION), "");
    EXPECT_FALSE(form.IsVisible(IDC_BUTTON_DESCRIPTION));
    EXPECT_TRUE(form.IsVisible(IDC_FIELD_HELP));
}

TEST_F(OnlinePageTest, ButtonsCarryTheirIconsAndToolTips) {
    for (const PageButton& b : kPageButtons) {
        EXPECT_EQ(form.Picture(b.control), b.icon) << b.control;
        EXPECT_EQ(form.ToolTip(b.control), h.strings.Text(b.toolTip)) << b.control;
    }
    EXPECT_EQ(form.Font(IDC_LABEL_ACCEL_SQUARE), 1);
    EXPECT_EQ(form.GetColours(IDC_LABEL_TARGET), (ui::Colours{10, 15}));
    EXPECT_EQ(form.GetColours(IDC_FIELD_HELP), (ui::Colours{10, 7}));
    // Speed fields are not used by the cycle-time method.
    EXPECT_FALSE(form.IsEnabled(IDC_SPEED));
    EXPECT_EQ(form.GetColours(IDC_SPEED), (ui::Colours{10, 3}));
}

TEST_F(OnlinePageTest, GetPositionNeedsTheReturnToOrigin) {
    ASSERT_TRUE(form.Click(IDC_GET_POSITION));
    EXPECT_THAT(h.prompter.ShownIds(), ElementsAre(kMsgNoOrigin));
    EXPECT_EQ(form.Text(IDC_TARGET_POSITION), "0.000");

    h.ctx.status.flags |= kFlagOriginDone;
    h.ctx.status.currentPosition = 52.0F;
    ASSERT_TRUE(form.Click(IDC_GET_POSITION));
    EXPECT_EQ(form.Text(IDC_TARGET_POSITION), "20.000");
    h.ctx.status.currentPosition = 7.25F;
    form.AnswerPopup(ID_POPUP_GET_POSITION);
    ASSERT_TRUE(form.RightClickCell(IDC_STEP_LIST, 0, 3));
    EXPECT_EQ(form.Text(IDC_TARGET_POSITION), "7.250");
}

TEST_F(OnlinePageTest, SaveWritesWhatWasStoredNotWhatIsTyped) {
    const std::string path = h.sim.dir.File("steps.dat");
    ASSERT_TRUE(form.TypeText(IDC_TARGET_POSITION, "7.5"));
    h.chooser.ChooseNext(path);
    ASSERT_TRUE(form.Click(IDC_SAVE));
    EXPECT_THAT(h.prompter.ShownIds(), ElementsAre(kMsgFileSaved));
    EXPECT_EQ(RecordField(path, 0, 1), "0.000");

    ASSERT_TRUE(form.Focus(IDC_TARGET_POSITION));
    EXPECT_TRUE(form.PressKey(ui::key::kReturn));
    h.chooser.ChooseNext(path);
    h.prompter.AnswerYes();  // replace the file
    ASSERT_TRUE(form.Click(IDC_SAVE));
    EXPECT_EQ(RecordField(path, 0, 1), "7500.000");
}

TEST_F(OnlinePageTest, RejectedFileChangesNothing) {
    const std::string path = h.sim.dir.File("bad.dat");
    std::ofstream(path) << "[Tavro Motor Controller Step Data]\r\n:FormatVersion=2.20\r\n"
                           ":RecodeSize=15\r\n";
    ASSERT_TRUE(form.TypeText(IDC_TARGET_POSITION, "3"));
    h.chooser.ChooseNext(path);
    ASSERT_TRUE(form.Click(IDC_OPEN));
    EXPECT_EQ(h.fileShows, 0);
    EXPECT_TRUE(h.prompter.WasShown(kMsgFileFormat) || h.prompter.WasShown(kMsgFileInvalidValue));
    // Opening stores the edit row first, as a refresh does.
    EXPECT_FLOAT_EQ(h.Edit(0, kCellTargetPosition), 3000.0F);
    EXPECT_EQ(h.Cell(0, 3), "3.000");
}

TEST_F(OnlinePageTest, UploadAsksBeforeDroppingChanges) {
    ASSERT_TRUE(form.TypeText(IDC_TARGET_POSITION, "3"));
    EXPECT_TRUE(form.PressKey(ui::key::kReturn));
    const std::size_t reads = Requests("EE");
    h.prompter.AnswerNo();
    ASSERT_TRUE(form.Click(IDC_UPLOAD));
    EXPECT_THAT(h.prompter.ShownIds(), ElementsAre(kMsgDataChanged));
    EXPECT_EQ(Requests("EE"), reads);
    EXPECT_FLOAT_EQ(h.Edit(0, kCellTargetPosition), 3000.0F);

    h.prompter.Clear();
    h.prompter.AnswerYes();
    ASSERT_TRUE(form.Click(IDC_UPLOAD));
    EXPECT_EQ(h.ctx.status.linkState, kLinkBusy);
    // While the link works every cell is idle, the selected row's included.
    EXPECT_EQ(form.ListCellColours(IDC_STEP_LIST, 0, 3), kCellIdle);
    h.Settle();
    EXPECT_EQ(h.ctx.status.linkState, kLinkOnline);
    EXPECT_EQ(Requests("EE") - reads, 15U * 9U);  // nine cells of each of the 15 steps
    EXPECT_FLOAT_EQ(h.Edit(0, kCellTargetPosition), h.Controller(0, kCellTargetPosition));
    EXPECT_FALSE(page.HasStepChanges());
    EXPECT_EQ(page.CurrentStep(), 0);
    EXPECT_EQ(form.ListCellColours(IDC_STEP_LIST, 0, 3), kCellSelected);
    EXPECT_EQ(form.ListCellColours(IDC_STEP_LIST, 1, 3), kCellUsed);
}

TEST_F(OnlinePageTest, DownloadChecksAsksAndSendsOnlyChanges) {
    // Out of range: nothing is asked.
    ASSERT_TRUE(form.TypeText(IDC_TARGET_POSITION, "21"));
    ASSERT_TRUE(form.Click(IDC_DOWNLOAD));
    EXPECT_THAT(h.prompter.ShownIds(), ElementsAre(kMsgTargetPositionRange));

    // Nothing changed: the question, then the note that nothing was sent.
    ASSERT_TRUE(form.TypeText(IDC_TARGET_POSITION,
                              Format("%.3f", h.Controller(0, kCellTargetPosition) / 1000.0)));
    h.prompter.Clear();
    h.prompter.AnswerYes();
    ASSERT_TRUE(form.Click(IDC_DOWNLOAD));
    EXPECT_THAT(h.prompter.ShownIds(), ElementsAre(kMsgConfirmDownload, kMsgNothingSent));

    // A change in step 6, answered No, then Yes.
    ASSERT_TRUE(form.ClickCell(IDC_STEP_LIST, 5, 4));
    ASSERT_TRUE(form.TypeText(IDC_POSITIONING_TIME, "1.25"));
    h.prompter.Clear();
    h.prompter.AnswerNo();
    ASSERT_TRUE(form.Click(IDC_DOWNLOAD));
    EXPECT_THAT(h.prompter.ShownIds(), ElementsAre(kMsgConfirmDownload));
    EXPECT_FLOAT_EQ(h.Edit(5, kCellPositioningTime), 1.25F);  // stored all the same
    EXPECT_EQ(page.CurrentStep(), 5);

    h.prompter.Clear();
    h.prompter.AnswerYes();
    ASSERT_TRUE(form.Click(IDC_DOWNLOAD));
    h.Settle();
    EXPECT_THAT(h.prompter.ShownIds(), ElementsAre(kMsgConfirmDownload, 345));
    EXPECT_FLOAT_EQ(h.sim.Controller().Parameter(StepImageRow(5), kCellPositioningTime), 1.25F);
    EXPECT_FALSE(page.HasStepChanges());
    EXPECT_EQ(page.CurrentStep(), 0);
}

// --- pulse type ---

sim::ControllerOptions PulseController() {
    sim::ControllerOptions o;
    o.controlType = sim::kTypePulse;
    return o;
}

class PulsePageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        h.StartOnline();
        h.EnterTab();
    }
    StepPageHarness h{PulseController()};
    FakeForm& form = h.pageForm;
};

TEST_F(PulsePageTest, FourPointsNumberedFromZeroAndGetPositionGreyed) {
    ASSERT_EQ(h.ctx.status.controlType, kControlTypePulse);
    EXPECT_EQ(form.ListRowCount(IDC_STEP_LIST), 4);
    EXPECT_EQ(h.Cell(0, 0), "0");
    EXPECT_EQ(h.Cell(3, 0), "3");
    EXPECT_EQ(form.Height(IDC_STEP_LIST), kListHeightPulse);
    EXPECT_TRUE(form.IsVisible(IDC_PULSE_FILLER));
    EXPECT_FALSE(form.IsEnabled(IDC_GET_POSITION));
    EXPECT_FALSE(form.IsEnabled(IDC_TARGET_POSITION));
    EXPECT_TRUE(form.IsEnabled(IDC_THRUST));
    EXPECT_EQ(form.FocusedControl(), IDC_THRUST);

    form.AnswerPopup(ID_POPUP_GET_POSITION);
    ASSERT_TRUE(form.RightClickCell(IDC_STEP_LIST, 1, 3));
    ASSERT_EQ(form.Popups().size(), 1U);
    EXPECT_EQ(form.Popups()[0].items.back(),
              (ui::MenuItem{ID_POPUP_GET_POSITION, "Get Position", false}));
    EXPECT_FALSE(h.prompter.WasShown(kMsgNoOrigin));
    EXPECT_EQ(form.FocusedControl(), IDC_THRUST);  // every column leads to the thrust
}

// --- files through the page ---

class PageFileRoundTripTest : public ::testing::TestWithParam<int> {};

TEST_P(PageFileRoundTripTest, SavedFileOpensToTheSameEditCopies) {
    sim::ControllerOptions options;
    options.controlType = GetParam();
    StepPageHarness h(options);
    FakeForm& form = h.pageForm;
    h.StartOnline();
    h.EnterTab();
    const int steps = StepCount(h.ctx.status.controlType);
    if (GetParam() != sim::kTypePulse) {
        ASSERT_TRUE(form.Click(IDC_PUSHING));
        ASSERT_TRUE(form.TypeText(IDC_TARGET_POSITION, "12.5"));
    }
    ASSERT_TRUE(form.TypeText(IDC_THRUST, "1.5"));
    ASSERT_TRUE(form.Choose(IDC_LOAD_MASS, 3));
    EXPECT_TRUE(form.PressKey(ui::key::kReturn));
    std::vector<float> saved;
    for (int n = 0; n < steps; ++n) {
        for (int cell = 0; cell <= kCellMovementMode; ++cell) {
            saved.push_back(h.Edit(n, cell));
        }
    }
    const std::string path = h.sim.dir.File("round.dat");
    h.chooser.ChooseNext(path);
    ASSERT_TRUE(form.Click(IDC_SAVE));

    // Cut step 1 and store it, then read the file back.
    ASSERT_TRUE(form.ClickCell(IDC_STEP_LIST, 0, 3));
    ASSERT_TRUE(form.Click(IDC_CUT));
    EXPECT_TRUE(form.PressKey(ui::key::kReturn));
    EXPECT_FLOAT_EQ(h.Edit(0, kCellLoadMass), 0.0F);
    h.chooser.ChooseNext(path);
    h.prompter.Clear();
    ASSERT_TRUE(form.Click(IDC_OPEN));
    EXPECT_TRUE(h.prompter.Shown().empty());
    EXPECT_EQ(h.fileShows, 1);
    std::vector<float> read;
    for (int n = 0; n < steps; ++n) {
        for (int cell = 0; cell <= kCellMovementMode; ++cell) {
            read.push_back(h.Edit(n, cell));
        }
    }
    EXPECT_THAT(read, ElementsAreArray(saved));
    EXPECT_EQ(h.Cell(0, 9), "150");
    EXPECT_EQ(h.Cell(0, 8), "1.5");
    EXPECT_EQ(form.Text(IDC_THRUST), "1.5");
    EXPECT_EQ(h.pageForm.ListSelectedRow(IDC_STEP_LIST), 0);
}

INSTANTIATE_TEST_SUITE_P(Types, PageFileRoundTripTest,
                         ::testing::Values(sim::kTypeStepData, sim::kTypePulse),
                         [](const auto& info) {
                             return std::string(info.param == sim::kTypePulse ? "Pulse"
                                                                              : "StepData");
                         });

// A page file opened and downloaded goes to the controller as it stands: opening is not
// typing, so nothing of it is snapped to the page's grid. The command line's load-steps sends
// the same frames for the same file.
TEST_F(OnlinePageTest, OpenedFileIsDownloadedAsItStands) {
    const std::string path = h.sim.dir.File("steps.dat");
    h.chooser.ChooseNext(path);
    ASSERT_TRUE(form.Click(IDC_SAVE));
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Step 3: a target between micrometres, pushing at speed 15; step 4: 75 g.
    const std::string step3 = "\r\n3,0.000,1.00,20,1000,1000,6,1.0,0,0,0,";
    const std::string step4 = "\r\n4,0.000,1.00,20,1000,1000,6,1.0,0,0,0,";
    ASSERT_NE(text.find(step3), std::string::npos) << text;
    ASSERT_NE(text.find(step4), std::string::npos) << text;
    text.replace(text.find(step3), step3.size(),
                 "\r\n3,1234.567,1.00,20,1000,1000,32783,1.0,0,0,0,");
    text.replace(text.find(step4), step4.size(), "\r\n4,0.000,1.00,20,1000,1000,6,1.0,0,0,75,");
    std::ofstream(path, std::ios::binary) << text;
    h.chooser.ChooseNext(path);
    h.prompter.Clear();
    ASSERT_TRUE(form.Click(IDC_OPEN));
    ASSERT_TRUE(h.prompter.Shown().empty());
    const std::size_t mark = h.sim.bus.Log().size();
    h.prompter.AnswerYes();
    ASSERT_TRUE(form.Click(IDC_DOWNLOAD));
    h.Settle();
    std::vector<std::string> frames;
    for (std::size_t i = mark; i < h.sim.bus.Log().size(); ++i) {
        const sim::LineRecord& r = h.sim.bus.Log()[i];
        if (r.direction == sim::Direction::kRequest && r.code != "MO") {
            frames.push_back(r.bytes);
        }
    }
    EXPECT_THAT(frames, ElementsAre(":01 EE 5 0 1234.5670036\r\n", ":01 EE 5 5 32783.0000006\r\n",
                                    ":01 EE 6 7 75.000009E\r\n", ":01 EUE5\r\n"));
}

}  // namespace
}  // namespace tavro::test
