// "Compare with file..." in the Detail Parameter Setup dialog.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "link/StringIds.h"
#include "stepdata/CDlgCmp.h"
#include "stepdata/StepFile.h"
#include "tests/params/detail_fixture.h"
#include "tests/support/TempDir.h"

namespace tavro::test {
namespace {

constexpr ui::ControlId kList = CDlgCmp::IDC_LIST;

struct Change {
    int group;
    int parameter;
    float value;
};

class DetailCompare : public ::testing::Test {
  protected:
    // A file of the dialog's mode holding what the controller holds, but for the changes.
    std::string FileOf(StepFileMode mode, const std::vector<Change>& changes,
                       const std::string& name = "detail.dat") {
        ParameterImage image;
        sim::SimController& ctl = h.sim.Controller();
        for (int g = 0; g < ParameterImage::kJogGroup; ++g) {
            for (int p = 0; p < ParameterImage::CellCount(g); ++p) {
                image.SetCell(g, p, ctl.Parameter(g, p), ParameterImage::kEditCopy);
            }
        }
        for (const Change& c : changes) {
            image.SetCell(c.group, c.parameter, c.value, ParameterImage::kEditCopy);
        }
        files.Write(name, ComposeStepFile(mode, image, h.ctx.status, "2.20"));
        return files.File(name);
    }

    std::vector<std::string> Writes() const {
        std::vector<std::string> found;
        for (const auto& r : h.sim.bus.Requests()) {
            if ((r.code == "EE" && std::count(r.command.begin(), r.command.end(), ' ') == 3) ||
                r.code == "EU") {
                found.push_back(r.command);
            }
        }
        return found;
    }

    // The rows the window showed, as "where / field / left / right".
    void Play(std::vector<int> check, bool write) {
        h.factory.OnModal(CDlgCmp::kTemplate, [this, check, write](FakeForm& f) {
            for (int r = 0; r < f.ListRowCount(kList); ++r) {
                shown.push_back(f.ListCell(kList, r, 0) + " / " + f.ListCell(kList, r, 1) + " / " +
                                f.ListCell(kList, r, 2) + " / " + f.ListCell(kList, r, 3));
            }
            for (int r : check) {
                EXPECT_TRUE(f.ToggleRowCheck(kList, r)) << r;
            }
            f.Click(write ? CDlgCmp::IDC_WRITE : CDlgCmp::IDC_CLOSE);
        });
    }

    DetailHarness h;
    TempDir files;
    std::vector<std::string> shown;
};

TEST_F(DetailCompare, ShowsEveryKindOfDifferenceAndWritesTheCheckedOnesOnly) {
    h.OpenOnline(1);
    h.sim.bus.ClearLog();
    h.chooser.ChooseNext(
        FileOf(StepFileMode::kDetailWithPid,
               {{0, 19, 1.5F}, {2, 12, 12.5F}, {3, 10, 100.0F}, {4, 5, 32783.0F}}));
    Play({1, 3}, true);
    h.prompter.AnswerYes();  // 344
    ASSERT_TRUE(h.form.Click(IDC_DTL_COMPARE));
    h.Settle();
    EXPECT_EQ(shown, (std::vector<std::string>{
                         "Group 0 / Current threshold (OVC) / 2.5 / 1.5",
                         "Group 2 / Proportional gain (Kp) of STA / 0.1 / 12.5",
                         "Step 1 / Positioning range (INP) / 0.500 / 0.100",
                         "Step 2 / Operation / Pos, pushing speed 6 / Push, pushing speed 15",
                     }))
        << testing::PrintToString(shown);
    EXPECT_EQ(Writes(), (std::vector<std::string>{"EE 2 12 12.50000", "EE 4 5 32783.00000", "EU"}));
    EXPECT_EQ(h.sim.Controller().StoredParameter(0, 19), 2.5F) << "unchecked";
}

// A product chosen in the window is written as it stands: the PID sets the dialog's own
// download would reset stay as the controller holds them.
TEST_F(DetailCompare, ACheckedProductKeepsThePidSets) {
    h.OpenOnline(1);
    h.sim.bus.ClearLog();
    h.chooser.ChooseNext(FileOf(StepFileMode::kDetail, {{0, 0, 30.0F}}));
    Play({0}, true);
    h.prompter.AnswerYes();  // 344
    ASSERT_TRUE(h.form.Click(IDC_DTL_COMPARE));
    h.Settle();
    EXPECT_EQ(shown, (std::vector<std::string>{"Group 0 / Stroke / 20 / 30"}));
    EXPECT_EQ(Writes(), (std::vector<std::string>{"EE 0 0 30.00000", "EU"}));
}

TEST_F(DetailCompare, AChangedIdAsksFirstAndNoWritesNothing) {
    h.OpenOnline(0);
    h.sim.bus.ClearLog();
    h.chooser.ChooseNext(FileOf(StepFileMode::kDetail, {{0, 3, 5.0F}}));
    Play({0}, true);
    h.prompter.AnswerYes();  // 344
    h.prompter.AnswerNo();   // 354
    ASSERT_TRUE(h.form.Click(IDC_DTL_COMPARE));
    h.Settle();
    EXPECT_TRUE(h.prompter.WasShown(ids::IDS_CHANGE_ID));
    EXPECT_TRUE(Writes().empty());
}

TEST_F(DetailCompare, TheFileOfTheControllerShowsNothingAndWritesNothing) {
    h.OpenOnline(1);
    h.sim.bus.ClearLog();
    h.chooser.ChooseNext(FileOf(StepFileMode::kDetailWithPid, {}));
    Play({}, false);
    ASSERT_TRUE(h.form.Click(IDC_DTL_COMPARE));
    h.Settle();
    EXPECT_TRUE(shown.empty()) << testing::PrintToString(shown);
    EXPECT_TRUE(Writes().empty());
    EXPECT_FALSE(h.prompter.WasShown(ids::IDS_DATA_CHANGED)) << "showing is not editing";
}

TEST_F(DetailCompare, OfflineComparesTwoFiles) {
    h.OpenOffline(1);
    h.chooser.ChooseNext(FileOf(StepFileMode::kDetail, {}, "a.dat"));
    h.chooser.ChooseNext(FileOf(StepFileMode::kDetail, {{0, 20, 45.0F}}, "b.dat"));
    Play({}, false);
    ASSERT_TRUE(h.form.Click(IDC_DTL_COMPARE));
    EXPECT_EQ(shown, (std::vector<std::string>{"Group 0 / Temperature threshold (OVT) / 60 / 45"}))
        << testing::PrintToString(shown);
    EXPECT_EQ(h.sim.bus.Log().size(), 0U);
}

TEST_F(DetailCompare, TheButtonFollowsTheLinkStateAsOpenDoes) {
    h.OpenOnline(1);
    for (const LinkState state :
         {kLinkOnline, kLinkNoController, kLinkNoPort, kLinkBusy, kLinkMonitorMode}) {
        h.dialog->ApplyLinkState(state);
        EXPECT_EQ(h.form.IsEnabled(IDC_DTL_COMPARE), h.form.IsEnabled(IDC_DTL_OPEN))
            << LinkIndex(state);
    }
}

}  // namespace
}  // namespace tavro::test
