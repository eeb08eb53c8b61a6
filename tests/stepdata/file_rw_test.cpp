#include <gtest/gtest.h>

#include <map>

#include "link/Numbers.h"
#include "link/VirtualLoop.h"
#include "stepdata/CFileRw.h"
#include "stepdata/StepRecord.h"
#include "tests/support/ScriptedFileChooser.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TempDir.h"

namespace tavro {
namespace {

constexpr int kEdit = ParameterImage::kEditCopy;

std::string Lookup(int id) {
    static const std::map<int, std::string> kTexts = {
        {310, "File format is not correct."},
        {311, "The file could not be saved."},
        {312, "Invalid value. Failed to load."},
        {348, "\"%s\" already exists.\nDo you want to replace it?"},
        {349, "Save complete."},
        {364, "Save"},
        {365, "Open"},
        {689, "Step Data File (*.dat) | *.dat||"},
    };
    const auto it = kTexts.find(id);
    return it == kTexts.end() ? std::string() : it->second;
}

class FileRwTest : public ::testing::Test {
  protected:
    test::TempDir tmp;
    VirtualLoop loop;
    LinkContext ctx{loop, tmp.Path()};
    test::ScriptedPrompter prompter;
    test::ScriptedFileChooser chooser;
    CFileRw file{prompter, chooser, ctx, Lookup};
    int pageLoads = 0;

    void SetUp() override {
        file.SetOnPageLoaded([this] { ++pageLoads; });
    }
    float Edit(int g, int p) { return ctx.image.GetCell(g, p, kEdit); }
    std::string PageFile(const char* speed) {
        ctx.image.SetCell(3, kCellSpeed, static_cast<float>(Atof(speed)), kEdit);
        std::string text =
            ComposeStepFile(StepFileMode::kPage, ctx.image, ctx.status, BuildStepFileVersion());
        ctx.image.SetCell(3, kCellSpeed, 0.0F, kEdit);
        return text;
    }
};

TEST_F(FileRwTest, SaveAsksForADatFileAndReportsCompletion) {
    ctx.image.SetCell(4, kCellSpeed, 321.0F, kEdit);
    chooser.ChooseNext(tmp.File("steps"));
    EXPECT_EQ(file.Save(StepFileMode::kPage), 0);
    ASSERT_EQ(chooser.Requests().size(), 1U);
    const auto& request = chooser.Requests()[0];
    EXPECT_TRUE(request.save);
    EXPECT_EQ(request.request.filter, "Step Data File (*.dat) | *.dat||");
    EXPECT_EQ(request.request.defaultExtension, "dat");
    EXPECT_EQ(request.request.initialName, "");
    EXPECT_EQ(request.request.title,
              "Save");  // the toolkit's own title would not follow the language
    EXPECT_EQ(prompter.ShownIds(), std::vector<int>{349});
    EXPECT_EQ(prompter.Last()->icon, ui::Icon::kInformation);
    EXPECT_EQ(file.RecordCount(), 15);
    EXPECT_EQ(tmp.Read("steps.dat"),
              ComposeStepFile(StepFileMode::kPage, ctx.image, ctx.status, "2.20"));
}

TEST_F(FileRwTest, CancelledSaveWritesNothingAndSaysNothing) {
    chooser.CancelNext();
    EXPECT_NE(file.Save(StepFileMode::kDetail), 0);
    EXPECT_TRUE(prompter.Shown().empty());
}

TEST_F(FileRwTest, ExistingFileIsReplacedOnlyOnYes) {
    tmp.Write("old.dat", "old contents");
    const std::string path = tmp.File("old.dat");
    chooser.ChooseNext(path);
    prompter.AnswerNo();
    EXPECT_NE(file.Save(StepFileMode::kPage), 0);
    ASSERT_EQ(prompter.ShownIds(), std::vector<int>{348});
    EXPECT_EQ(prompter.Last()->text,
              "\"" + path + "\" already exists.\nDo you want to replace it?");
    EXPECT_EQ(prompter.Last()->buttons, ui::Buttons::kYesNo);
    EXPECT_EQ(tmp.Read("old.dat"), "old contents");

    prompter.Clear();
    chooser.ChooseNext(path);
    prompter.AnswerYes();
    EXPECT_EQ(file.Save(StepFileMode::kPage), 0);
    EXPECT_EQ(prompter.ShownIds(), (std::vector<int>{348, 349}));
    EXPECT_EQ(tmp.Read("old.dat").substr(0, kStepFileHeader.size()), kStepFileHeader);
}

TEST_F(FileRwTest, PercentSignsInThePathStayAsTheyAre) {
    tmp.Write("100%s%d.dat", "old");
    chooser.ChooseNext(tmp.File("100%s%d.dat"));
    EXPECT_NE(file.Save(StepFileMode::kPage), 0);
    EXPECT_EQ(prompter.Last()->text,
              "\"" + tmp.File("100%s%d.dat") + "\" already exists.\nDo you want to replace it?");
}

TEST_F(FileRwTest, SaveThatCannotBeWrittenIsReported) {
    chooser.ChooseNext(tmp.File("missing/steps.dat"));
    EXPECT_NE(file.Save(StepFileMode::kPage), 0);
    EXPECT_EQ(prompter.ShownIds(), std::vector<int>{kMsgFileNotSaved});
    EXPECT_EQ(prompter.Last()->icon, ui::Icon::kExclamation);
}

TEST_F(FileRwTest, OpenedPageFileIsStoredAndShown) {
    tmp.Write("steps.dat", PageFile("123"));
    chooser.ChooseNext(tmp.File("steps.dat"));
    EXPECT_EQ(file.Open(StepFileMode::kPage), 0);
    EXPECT_FALSE(chooser.Requests()[0].save);
    EXPECT_EQ(chooser.Requests()[0].request.title, "Open");
    EXPECT_FLOAT_EQ(Edit(3, kCellSpeed), 123.0F);
    EXPECT_EQ(pageLoads, 1);
    EXPECT_TRUE(prompter.Shown().empty());
    EXPECT_EQ(file.RecordCount(), 15);
    EXPECT_FLOAT_EQ(file.Version(), 2.2F);
}

TEST_F(FileRwTest, DetailModeOpenLeavesTheShowingToTheDialog) {
    tmp.Write("steps.dat", PageFile("45"));
    chooser.ChooseNext(tmp.File("steps.dat"));
    EXPECT_EQ(file.Open(StepFileMode::kDetail), 0);
    EXPECT_FLOAT_EQ(Edit(3, kCellSpeed), 45.0F);
    EXPECT_EQ(pageLoads, 0);
}

struct RejectCase {
    const char* name;
    const char* content;  // nullptr: no file at all
    int message;
};

constexpr RejectCase kRejectCases[] = {
    {"bad_header", "[Tavro Motor Controller Step Data ]\r\n", 310},
    {"missing_file", nullptr, 310},
    {"value_out_of_range", "", 312},  // built from a valid file below
};

class FileRwRejectTest : public FileRwTest, public ::testing::WithParamInterface<RejectCase> {};

TEST_P(FileRwRejectTest, RejectedFileLoadsNothing) {
    const RejectCase& c = GetParam();
    if (c.content != nullptr) {
        tmp.Write("steps.dat", c.content[0] != '\0' ? std::string(c.content) : PageFile("999"));
    }
    chooser.ChooseNext(tmp.File("steps.dat"));
    EXPECT_NE(file.Open(StepFileMode::kPage), 0);
    EXPECT_EQ(prompter.ShownIds(), std::vector<int>{c.message});
    EXPECT_EQ(prompter.Last()->icon, ui::Icon::kExclamation);
    EXPECT_FLOAT_EQ(Edit(3, kCellSpeed), 0.0F);
    EXPECT_EQ(pageLoads, 0);
}

INSTANTIATE_TEST_SUITE_P(Files, FileRwRejectTest, ::testing::ValuesIn(kRejectCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileRwTest, CancelledOpenSaysNothing) {
    chooser.CancelNext();
    EXPECT_NE(file.Open(StepFileMode::kPage), 0);
    EXPECT_TRUE(prompter.Shown().empty());
    EXPECT_EQ(pageLoads, 0);
}

}  // namespace
}  // namespace tavro
