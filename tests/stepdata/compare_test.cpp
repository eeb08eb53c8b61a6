// "Compare with file..." on the Step Data Setup page, against the simulated controller and
// between two files.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "link/CStatusFlg.h"
#include "stepdata/CDlgCmp.h"
#include "stepdata/StepFile.h"
#include "tests/stepdata/page_fixture.h"
#include "tests/support/TempDir.h"

namespace tavro::test {
namespace {

constexpr ui::ControlId kList = CDlgCmp::IDC_LIST;

struct Change {
    int group;
    int parameter;
    float value;
};

// One row of the difference table as the window shows it.
struct Shown {
    std::string where;
    std::string field;
    std::string left;
    std::string right;
    bool operator==(const Shown&) const = default;
};

void PrintTo(const Shown& s, std::ostream* os) {
    *os << s.where << " | " << s.field << " | " << s.left << " | " << s.right;
}

std::vector<Shown> Table(const FakeForm& f) {
    std::vector<Shown> rows;
    for (int r = 0; r < f.ListRowCount(kList); ++r) {
        rows.push_back({f.ListCell(kList, r, 0), f.ListCell(kList, r, 1), f.ListCell(kList, r, 2),
                        f.ListCell(kList, r, 3)});
    }
    return rows;
}

class ComparePage : public ::testing::Test {
  protected:
    explicit ComparePage(const sim::ControllerOptions& options = {}) : h(options) {}

    // The file of `mode` holding what the controller holds, but for the changes.
    std::string FileOf(StepFileMode mode, const std::vector<Change>& changes,
                       const std::string& name = "compare.dat") {
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

    // Parameter writes and commits on the line since the log was last cleared.
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

    // The user's part in the compare window: what it showed, then the rows to check and
    // whether to write them.
    void PlayCompare(std::vector<int> check, bool write) {
        h.factory.OnModal(CDlgCmp::kTemplate, [this, check, write](FakeForm& f) {
            shown = Table(f);
            summary = f.Text(CDlgCmp::IDC_SUMMARY);
            title = f.Title();
            headings = {f.ListColumnAt(kList, 2).heading, f.ListColumnAt(kList, 3).heading};
            writeShown = f.IsVisible(CDlgCmp::IDC_WRITE) && f.IsEnabled(CDlgCmp::IDC_WRITE);
            for (int r : check) {
                EXPECT_TRUE(f.ToggleRowCheck(kList, r)) << r;
            }
            f.Click(write ? CDlgCmp::IDC_WRITE : CDlgCmp::IDC_CLOSE);
        });
    }

    StepPageHarness h;
    FakeForm& form = h.pageForm;
    TempDir files;
    std::vector<Shown> shown;
    std::string summary;
    std::string title;
    std::vector<std::string> headings;
    bool writeShown = false;
};

// A file of each mode with a few changes, on a line as fast or as slow as the controller's.
struct CompareCase {
    const char* name;
    StepFileMode mode;
    int baud;
    bool byteTiming;
};

constexpr CompareCase kCompareCases[] = {
    {"PageFile", StepFileMode::kPage, 19200, false},
    {"DetailFileAt9600", StepFileMode::kDetail, 9600, true},
    {"DetailPidFileAt57600", StepFileMode::kDetailWithPid, 57600, true},
};

sim::ControllerOptions AtSpeed(int baud) {
    sim::ControllerOptions o;
    o.baud = baud;
    o.presets = {{4, 2, 120.0F}, {6, 7, 50.0F}};
    return o;
}

class CompareEachMode : public ComparePage, public ::testing::WithParamInterface<CompareCase> {
  protected:
    CompareEachMode() : ComparePage(AtSpeed(GetParam().baud)) {}
    void SetUp() override {
        h.sim.bus.SetByteTiming(GetParam().byteTiming);
        ASSERT_EQ(h.sim.OpenPort(GetParam().baud), 0);
        h.ctx.status.controllerId = 1;
        h.ctx.status.frontPhase = kFrontMain;
        CTrxData(h.ctx).Run(OP_CONNECT, 0, 0);
        h.sim.loop.Advance(1000);
        h.BuildViews();
        h.binding.RedisplayViews(kViewsAll, 0);
        h.Run(OP_UPLOAD_ALL);
        h.Run(OP_STEP_UPLOAD);
        h.EnterTab();
        h.sim.bus.ClearLog();
    }
};

TEST_P(CompareEachMode, ShowsTheDifferencesAndWritesExactlyTheCheckedOnes) {
    // Steps 1, 2 and 4 differ in the page's cells; step 3 in a cell only the Detail dialog
    // edits, which the page neither shows nor writes.
    h.chooser.ChooseNext(FileOf(
        GetParam().mode, {{3, 0, 5000.0F}, {4, 2, 150.0F}, {5, 10, 300.0F}, {6, 7, 100.0F}}));
    PlayCompare({0, 2}, true);
    h.prompter.AnswerYes();  // 344
    ASSERT_TRUE(form.Click(IDC_COMPARE));
    h.Settle();

    EXPECT_EQ(title, "Compare with File");
    EXPECT_EQ(headings, (std::vector<std::string>{"Controller", "File"}));
    EXPECT_EQ(summary, "3 values differ. Check the values to write to the controller.");
    EXPECT_EQ(shown, (std::vector<Shown>{
                         {"Step 1", "Target position", "0.000", "5.000"},
                         {"Step 2", "Speed", "120", "150"},
                         {"Step 4", "Load mass", "50", "100"},
                     }));
    EXPECT_EQ(Writes(), (std::vector<std::string>{"EE 3 0 5000.00000", "EE 6 7 100.00000", "EU"}));
    EXPECT_TRUE(h.prompter.WasShown(kMsgConfirmDownload));
    EXPECT_TRUE(h.prompter.WasShown(345));
    sim::SimController& ctl = h.sim.Controller();
    EXPECT_EQ(ctl.StoredParameter(3, 0), 5000.0F);
    EXPECT_EQ(ctl.StoredParameter(4, 2), 120.0F) << "unchecked";
    EXPECT_NE(ctl.StoredParameter(5, 10), 300.0F) << "not the page's";
    EXPECT_EQ(h.Cell(0, 3), "5.000") << "the page shows what the controller now holds";
}

INSTANTIATE_TEST_SUITE_P(Compare, CompareEachMode, ::testing::ValuesIn(kCompareCases),
                         [](const auto& info) { return std::string(info.param.name); });

class CompareOnline : public ComparePage {
  protected:
    void SetUp() override {
        h.StartOnline();
        h.EnterTab();
        h.sim.bus.ClearLog();
    }
};

TEST_F(CompareOnline, AFileThatChangesNothingShowsNothingAndWritesNothing) {
    h.chooser.ChooseNext(FileOf(StepFileMode::kPage, {}));
    PlayCompare({}, false);
    ASSERT_TRUE(form.Click(IDC_COMPARE));
    h.Settle();
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(summary, "The controller holds every value of the file.");
    EXPECT_FALSE(writeShown);
    EXPECT_TRUE(Writes().empty());
}

TEST_F(CompareOnline, ClosingWithRowsCheckedWritesNothing) {
    h.chooser.ChooseNext(FileOf(StepFileMode::kPage, {{3, 0, 5000.0F}}));
    PlayCompare({0}, false);
    ASSERT_TRUE(form.Click(IDC_COMPARE));
    h.Settle();
    EXPECT_EQ(shown.size(), 1U);
    EXPECT_TRUE(Writes().empty());
    EXPECT_FALSE(h.page->HasStepChanges()) << "showing is not editing";
}

TEST_F(CompareOnline, WriteWithNothingCheckedSaysSoAndStaysOpen) {
    h.chooser.ChooseNext(FileOf(StepFileMode::kPage, {{3, 0, 5000.0F}}));
    h.factory.OnModal(CDlgCmp::kTemplate, [](FakeForm& f) {
        f.Click(CDlgCmp::IDC_WRITE);
        EXPECT_TRUE(f.IsWindowVisible()) << "still open";
        f.Click(CDlgCmp::IDC_CLOSE);
    });
    ASSERT_TRUE(form.Click(IDC_COMPARE));
    h.Settle();
    EXPECT_TRUE(h.prompter.WasShown(2324));
    EXPECT_TRUE(Writes().empty());
}

TEST_F(CompareOnline, EditsThePageHoldsBesidesTheCheckedValuesAreGivenUpFirst) {
    h.page->SelectStep(1);
    form.TypeText(IDC_TARGET_POSITION, "7.000");
    h.page->SelectStep(0);
    ASSERT_TRUE(h.page->HasStepChanges());
    h.chooser.ChooseNext(FileOf(StepFileMode::kPage, {{3, 0, 5000.0F}}));
    PlayCompare({0}, true);
    h.prompter.AnswerYes();  // 342: the typed speed is given up
    h.prompter.AnswerYes();  // 344
    ASSERT_TRUE(form.Click(IDC_COMPARE));
    h.Settle();
    EXPECT_TRUE(h.prompter.WasShown(kMsgDataChanged));
    EXPECT_EQ(Writes(), (std::vector<std::string>{"EE 3 0 5000.00000", "EU"}));
    EXPECT_EQ(h.sim.Controller().StoredParameter(4, 0), 0.0F);
    EXPECT_EQ(h.Edit(1, kCellTargetPosition), 0.0F) << "given up";
}

TEST_F(CompareOnline, NoToGivingUpTheEditsWritesNothing) {
    h.page->SelectStep(1);
    form.TypeText(IDC_TARGET_POSITION, "7.000");
    h.page->SelectStep(0);
    h.chooser.ChooseNext(FileOf(StepFileMode::kPage, {{3, 0, 5000.0F}}));
    PlayCompare({0}, true);
    h.prompter.AnswerNo();  // 342
    ASSERT_TRUE(form.Click(IDC_COMPARE));
    h.Settle();
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(h.Edit(1, kCellTargetPosition), 7000.0F) << "the page keeps its edit";
}

TEST_F(CompareOnline, ARejectedFileShowsItsMessageAndNoWindow) {
    files.Write("bad.dat", "[Tavro Motor Controller Step Data]\r\n:Version=1\r\n");
    h.chooser.ChooseNext(files.File("bad.dat"));
    ASSERT_TRUE(form.Click(IDC_COMPARE));
    EXPECT_TRUE(h.prompter.WasShown(kMsgFileFormat));
    EXPECT_EQ(h.factory.Latest(CDlgCmp::kTemplate), nullptr);
}

// A connection that has not read the step data yet: the compare reads it first, and while that
// read is on the line the button does nothing more.
TEST(ComparePageUnread, ReadsTheStepDataFirstAndThenShowsTheControllersValues) {
    sim::ControllerOptions o;
    o.presets = {{5, 0, 2500.0F}};
    StepPageHarness h(o);
    h.Connect();
    h.BuildViews();
    h.binding.RedisplayViews(kViewsAll, 0);
    h.Run(OP_UPLOAD_ALL);
    h.EnterTab();
    h.sim.bus.ClearLog();
    h.sim.bus.SetByteTiming(true);  // the reads take their time on the line

    TempDir files;
    ParameterImage image;
    files.Write("f.dat", ComposeStepFile(StepFileMode::kPage, image, h.ctx.status, "2.20"));
    h.chooser.ChooseNext(files.File("f.dat"));
    std::vector<Shown> shown;
    h.factory.OnModal(CDlgCmp::kTemplate, [&shown](FakeForm& f) {
        shown = Table(f);
        f.Click(CDlgCmp::IDC_CLOSE);
    });
    ASSERT_TRUE(h.pageForm.Click(IDC_COMPARE));
    EXPECT_EQ(h.ctx.status.linkState, kLinkBusy) << "the step upload runs";
    h.sim.loop.Advance(20);
    EXPECT_FALSE(h.pageForm.Click(IDC_COMPARE)) << "disabled while a reply is due";
    h.Settle();
    h.sim.loop.Advance(10);
    EXPECT_EQ(h.sim.bus.Requests("EE").size(), 135U) << "9 cells of 15 steps read";
    EXPECT_NE(
        std::find(shown.begin(), shown.end(), Shown{"Step 3", "Target position", "2.500", "0.000"}),
        shown.end());
    EXPECT_EQ(h.chooser.Requests().size(), 1U) << "one comparison";
}

TEST(ComparePageOffline, ComparesTwoFilesAndOffersNoWrite) {
    StepPageHarness h;
    h.StartOffline();
    h.EnterTab();
    TempDir files;
    ParameterImage first;
    ParameterImage second;
    second.SetCell(4, 0, 12345.0F, ParameterImage::kEditCopy);
    second.SetCell(4, 8, 1.0F, ParameterImage::kEditCopy);
    files.Write("a.dat", ComposeStepFile(StepFileMode::kPage, first, h.ctx.status, "2.20"));
    files.Write("b.dat", ComposeStepFile(StepFileMode::kDetail, second, h.ctx.status, "2.20"));
    h.chooser.ChooseNext(files.File("a.dat"));
    h.chooser.ChooseNext(files.File("b.dat"));
    std::vector<Shown> shown;
    std::vector<std::string> headings;
    bool writeVisible = true;
    std::string names;
    h.factory.OnModal(CDlgCmp::kTemplate, [&](FakeForm& f) {
        shown = Table(f);
        headings = {f.ListColumnAt(kList, 2).heading, f.ListColumnAt(kList, 3).heading};
        writeVisible = f.IsVisible(CDlgCmp::IDC_WRITE);
        names = f.Text(CDlgCmp::IDC_FILES);
        EXPECT_FALSE(f.ListHasCheckBoxes(kList));
        f.Click(CDlgCmp::IDC_CLOSE);
    });
    ASSERT_TRUE(h.pageForm.Click(IDC_COMPARE));
    EXPECT_EQ(headings, (std::vector<std::string>{"First file", "Second file"}));
    EXPECT_FALSE(writeVisible);
    EXPECT_EQ(names, files.File("a.dat") + " and " + files.File("b.dat"));
    EXPECT_EQ(shown, (std::vector<Shown>{
                         {"Step 2", "Target position", "0.000", "12.345"},
                         {"Step 2", "Movement mode", "ABS", "REL"},
                     }));
    ASSERT_EQ(h.chooser.Requests().size(), 2U);
    EXPECT_EQ(h.chooser.Requests()[1].request.title,
              "Choose the second file to compare with the first.");
}

}  // namespace
}  // namespace tavro::test
