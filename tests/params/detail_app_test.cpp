// The Detail Parameter Setup dialog inside the whole program: opened behind the password,
// its own upload, the main window's link states and closing.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "detail/DetailTables.h"
#include "link/CEepData.h"
#include "link/StringIds.h"
#include "shell/CMain.h"
#include "tests/support/AppHarness.h"
#include "tests/support/FakeForm.h"
#include "tests/support/LineLog.h"

namespace tavro::test {
namespace {

constexpr int kIdSearch = 157;
constexpr int kPassword = 203;

struct AccessCase {
    const char* name;
    const char* code;
    int pidLevel;
};

constexpr AccessCase kAccessCases[] = {
    {"WithoutPid", "615", 0},
    {"WithPid", "kzw", 1},
};

class DetailAppTest : public ::testing::TestWithParam<AccessCase> {
  protected:
    DetailAppTest() {
        h.WriteSettings(AppSettings().Auto(1).SearchAuto(1));
        h.OnModal(kIdSearch, h.ConnectFirstFound());
    }
    AppHarness h;
};

TEST_P(DetailAppTest, OpensWithItsOwnUploadAndClosesWithoutAQuestion) {
    const AccessCase& c = GetParam();
    h.OnModal(kPassword, [&](FakeForm& form) {
        form.TypeText(1950, c.code);
        form.Click(1951);
    });
    h.Run([&](FakeForm& main, CMain& window) {
        ASSERT_TRUE(h.RunUntil([&] { return (h.ctx.status.flags & kFlagUploadDone) != 0; }));
        const std::size_t before = CountRequests(h.bus);
        ASSERT_TRUE(main.ChooseSystemCommand(CMain::kMenuPassword));
        FakeForm* detail = h.Form(kTemplateDetail);
        ASSERT_NE(detail, nullptr);
        ASSERT_TRUE(h.RunUntil([&] { return h.ctx.status.linkState == kLinkOnline; }));
        // Its own upload: the 64 detail cells, 15 cells of each of the 15 steps, 18 basic cells.
        EXPECT_EQ(CountRequests(h.bus) - before, 88U + 15U * 15U + 18U);
        EXPECT_EQ(window.Detail().PidAccessLevel(), c.pidLevel);
        EXPECT_EQ(detail->IsVisible(IDC_DTL_PID_GROUP), c.pidLevel == 1);
        EXPECT_TRUE(detail->IsEnabled(IDC_DTL_UPLOAD));
        EXPECT_EQ(detail->Text(IDC_DTL_STROKE), "20");
        EXPECT_FALSE(main.IsWindowEnabled());
        // What the upload read is what the dialog shows: nothing to ask about.
        EXPECT_TRUE(detail->Close());
        EXPECT_TRUE(h.prompter.Shown().empty());
        EXPECT_EQ(h.ctx.status.detailOpen, 0);
        EXPECT_TRUE(main.IsWindowEnabled());
    });
}

TEST_P(DetailAppTest, EditsAreDiscardedOnClose) {
    const AccessCase& c = GetParam();
    h.OnModal(kPassword, [&](FakeForm& form) {
        form.TypeText(1950, c.code);
        form.Click(1951);
    });
    h.Run([&](FakeForm& main, CMain&) {
        ASSERT_TRUE(h.RunUntil([&] { return (h.ctx.status.flags & kFlagUploadDone) != 0; }));
        ASSERT_TRUE(main.ChooseSystemCommand(CMain::kMenuPassword));
        FakeForm* detail = h.Form(kTemplateDetail);
        ASSERT_NE(detail, nullptr);
        ASSERT_TRUE(h.RunUntil([&] { return h.ctx.status.linkState == kLinkOnline; }));
        ASSERT_TRUE(detail->TypeText(IDC_DTL_TARGET, "3.333"));
        ASSERT_TRUE(detail->ClickCell(IDC_DTL_STEP_LIST, 1, 3));
        h.prompter.AnswerYes();
        EXPECT_TRUE(detail->Close());
        EXPECT_THAT(h.prompter.ShownIds(), ::testing::ElementsAre(ids::IDS_DATA_CHANGED));
        CEepData image(h.ctx);
        EXPECT_FLOAT_EQ(image.GetCell(3, 0, ParameterImage::kEditCopy),
                        image.GetCell(3, 0, ParameterImage::kControllerCopy));
    });
}

INSTANTIATE_TEST_SUITE_P(Levels, DetailAppTest, ::testing::ValuesIn(kAccessCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavro::test
