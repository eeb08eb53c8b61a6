#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/common/CDlgPrg.h"
#include "dialogs/common/CDlgVer.h"
#include "dialogs/common/CVersion.h"
#include "link/Operations.h"
#include "link/StatusBlock.h"
#include "params/CDlgPwd.h"
#include "shell/CMain.h"
#include "tests/support/AppHarness.h"
#include "tests/support/FakeForm.h"
#include "ui/Keys.h"

namespace tavro::test {
namespace {

constexpr int kComSelect = 200;
constexpr int kIdSearch = 157;
constexpr int kTypeDialog = 214;
constexpr int IDS_CONFIRM_TYPE = 281;
constexpr int IDS_WRONG_PASSWORD = 1101;

// --- control-signal type ---

TEST(TypeDialog, OfflineOkStoresTheTypeWithoutQuestionOrTransfer) {
    AppHarness h;
    const std::string dead = h.AddDeadPort("ttyS1");
    h.WriteSettings(AppSettings().Port(dead));
    h.OnModal(kComSelect, h.ChoosePort(dead));
    h.ctx.status.flags = kFlagTypeFromController;
    h.OnModal(kTypeDialog, [&](FakeForm& form) {
        EXPECT_EQ(form.Title(), "Select control signal type");
        EXPECT_EQ(form.Text(1125), "Step Data Input type");
        EXPECT_EQ(form.Text(1126), "Pulse Input type");
        EXPECT_EQ(form.Text(2), "Cancel");
        EXPECT_TRUE(form.IsChecked(1125));
        EXPECT_EQ(h.ctx.status.frontPhase, kFrontTypeDialog);
        h.prompter.Clear();
        form.Click(1126);
        form.Click(1004);
        EXPECT_TRUE(form.Ended());
    });
    h.Run();
    EXPECT_TRUE(h.prompter.Shown().empty());
    EXPECT_EQ(h.ctx.status.controlType, kControlTypePulse);
    EXPECT_EQ(h.ctx.status.flags & kFlagTypeFromController, 0);
    EXPECT_TRUE(h.bus.Log().empty());
}

// A connected controller that has no type yet.
class OnlineTypeDialogTest : public ::testing::Test {
  protected:
    OnlineTypeDialogTest() : h({Untyped()}) {
        h.WriteSettings(AppSettings().Auto(1).SearchAuto(1));
        h.OnModal(kIdSearch, h.ConnectFirstFound());
    }
    static sim::ControllerOptions Untyped() {
        sim::ControllerOptions options;
        options.controlType = sim::kTypeUnset;
        return options;
    }
    std::size_t TypeWrites() const { return h.bus.Requests("EE").size() - readsBefore; }

    AppHarness h;
    std::size_t readsBefore = 0;
};

TEST_F(OnlineTypeDialogTest, DecliningTheQuestionSendsNothingAndCancelEndsTheProgram) {
    h.OnModal(kTypeDialog, [&](FakeForm& form) {
        readsBefore = h.bus.Requests("EE").size();
        form.Click(1126);
        h.prompter.AnswerNo();
        form.Click(1004);
        ASSERT_EQ(h.prompter.Count(IDS_CONFIRM_TYPE), 1);
        EXPECT_NE(h.prompter.Last()->text.find("Set to [Pulse Input type] OK?"), std::string::npos);
        EXPECT_FALSE(form.Ended());
        EXPECT_TRUE(form.IsEnabled(1004));
        h.Advance(2000);
        EXPECT_EQ(TypeWrites(), 0U);
        form.Click(2);
        EXPECT_TRUE(form.Ended());
    });
    h.RunWithoutMainWindow();
    EXPECT_EQ(h.Created(kTemplateBasicPage), 0);
}

TEST_F(OnlineTypeDialogTest, CancelWhileWritingGivesTheWriteUpAndKeepsTheDialog) {
    h.OnModal(kTypeDialog, [&](FakeForm& form) {
        h.prompter.AnswerYes();
        form.Click(1004);
        EXPECT_FALSE(form.IsEnabled(1125));
        EXPECT_FALSE(form.IsEnabled(1126));
        EXPECT_FALSE(form.IsEnabled(1004));
        form.Click(2);
        EXPECT_FALSE(form.Ended());
        EXPECT_TRUE(form.IsEnabled(1004));
        EXPECT_EQ(h.ctx.status.linkState, kLinkOnline);
        EXPECT_EQ(h.ctx.trx.currentOp, OP_IDLE);
        h.Advance(2000);
        EXPECT_FALSE(form.Ended());

        h.prompter.AnswerYes();
        form.Click(1004);
        ASSERT_TRUE(h.RunUntil([&] { return form.Ended(); }));
        EXPECT_EQ(form.Result(), ui::kIdOk);
    });
    h.Run([&](FakeForm&, CMain&) {
        EXPECT_TRUE(h.RunUntil([&] { return (h.ctx.status.flags & kFlagUploadDone) != 0; }));
    });
    EXPECT_EQ(h.ctx.status.controlType, kControlTypeStep);
}

// --- password ---

struct PasswordCase {
    const char* name;
    int purpose;
    const char* text;
    bool accepted;
    int pidAccessLevel;
};

constexpr PasswordCase kPasswordCases[] = {
    {"DetailDigits", CDlgPwd::kDetailDialog, "615", true, 0},
    {"DetailLetters", CDlgPwd::kDetailDialog, "kzw", true, 1},
    {"DetailEmpty", CDlgPwd::kDetailDialog, "", false, -1},
    {"DetailCapitals", CDlgPwd::kDetailDialog, "KZW", false, -1},
    {"DetailWithSpace", CDlgPwd::kDetailDialog, "615 ", false, -1},
    {"DetailCommCode", CDlgPwd::kDetailDialog, "vbq", false, -1},
    {"CommCode", CDlgPwd::kCommSetupDialog, "vbq", true, -1},
    {"CommDetailDigits", CDlgPwd::kCommSetupDialog, "615", false, -1},
    {"CommDetailLetters", CDlgPwd::kCommSetupDialog, "kzw", false, -1},
};

class PasswordTest : public ::testing::TestWithParam<PasswordCase> {};

TEST_P(PasswordTest, AcceptsOnlyItsCodes) {
    const PasswordCase& c = GetParam();
    AppHarness h;
    h.OnModal(CDlgPwd::kTemplate, [&](FakeForm& form) {
        EXPECT_EQ(form.Title(), "Password");
        EXPECT_EQ(form.Text(1100), "Password:");
        EXPECT_EQ(form.Text(1952), "Cancel");
        form.TypeText(1950, c.text);
        form.Click(1951);
        if (c.accepted) {
            EXPECT_TRUE(form.Ended());
            return;
        }
        EXPECT_EQ(h.prompter.ShownIds(), std::vector<int>{IDS_WRONG_PASSWORD});
        EXPECT_FALSE(form.Ended());
        EXPECT_EQ(form.FocusedControl(), 1950);
        EXPECT_TRUE(form.IsAllTextSelected(1950));
        form.Click(1952);
    });
    CDlgPwd dialog(h.services, c.purpose);
    EXPECT_EQ(dialog.DoModal(nullptr), c.accepted ? ui::kIdOk : ui::kIdCancel);
    EXPECT_EQ(dialog.PidAccessLevel(), c.pidAccessLevel);
}

INSTANTIATE_TEST_SUITE_P(Codes, PasswordTest, ::testing::ValuesIn(kPasswordCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- About ---

TEST(Version, MajorMinorAndPatchAsTheAboutBoxShowsThem) {
    EXPECT_EQ(ui::CVersion(2, 2, 0).Text(), "2.20");
    EXPECT_EQ(ui::CVersion(1, 10, 3).Text(), "1.103");
    EXPECT_EQ(ui::CVersion::None().Text(), "");
    EXPECT_EQ(ui::CVersion().Text(), "2.20");  // this build
}

class AboutTest : public ::testing::Test {
  protected:
    int Run(const AppHarness::Player& player) {
        h.OnModal(ui::CDlgVer::kTemplate, player);
        ui::CDlgVer about(h.ctx, h.services, front, [this] { ++closeRequests; });
        return about.DoModal(nullptr);
    }

    AppHarness h;
    ui::FrontDialogSlot front;
    int closeRequests = 0;
};

TEST_F(AboutTest, OfflineDetailsSayNotConnectedAndInitializeIsDisabled) {
    h.ctx.status.linkState = kLinkNoController;
    Run([&](FakeForm& form) {
        EXPECT_EQ(form.Title(), "About");
        EXPECT_EQ(form.Text(1210), "Tavro Motor Controller Configuration Software [Ver.2.20]");
        EXPECT_EQ(form.Text(1212), "Details");
        EXPECT_EQ(form.Text(1215), "Initialize");
        EXPECT_FALSE(form.IsEnabled(1215));
        EXPECT_NE(front.Current(), nullptr);
        form.Click(1212);
        EXPECT_EQ(form.Text(1211), "The controller is not connected.");
        form.Click(1);
    });
    EXPECT_EQ(front.Current(), nullptr);
}

TEST_F(AboutTest, OnlineDetailsShowTheControllerVersion) {
    h.ctx.status.linkState = kLinkOnline;
    h.ctx.status.controllerVersion = 2.6F;
    Run([&](FakeForm& form) {
        EXPECT_TRUE(form.IsEnabled(1215));
        form.Click(1212);
        EXPECT_EQ(form.Text(1211), "Controller Version: 2.60");
        form.PressKey(ui::key::kEscape);
    });
}

TEST_F(AboutTest, DecliningInitializeSendsNothingAndLeavesTheButtonEnabled) {
    h.ctx.status.linkState = kLinkOnline;
    Run([&](FakeForm& form) {
        h.prompter.AnswerNo();
        form.Click(1215);
        EXPECT_EQ(h.prompter.ShownIds(), std::vector<int>{350});
        EXPECT_TRUE(form.IsEnabled(1215));
        EXPECT_EQ(h.ctx.trx.currentOp, OP_IDLE);
        form.Click(1);
    });
    EXPECT_EQ(closeRequests, 0);
}

TEST_F(AboutTest, InitializationCompleteEndsTheDialogAndClosesTheProgram) {
    h.ctx.status.linkState = kLinkOnline;
    Run([&](FakeForm& form) {
        front.Current()->OnFrontMessage(WM_OP_COMPLETE);
        EXPECT_TRUE(form.Ended());
        EXPECT_EQ(form.Result(), ui::kIdCancel);
    });
    EXPECT_EQ(h.prompter.ShownIds(), std::vector<int>{351});
    EXPECT_EQ(h.prompter.Last()->icon, ui::Icon::kInformation);
    EXPECT_EQ(closeRequests, 1);
}

// --- progress ---

class ProgressTest : public ::testing::Test {
  protected:
    AppHarness h;
    ui::CDlgPrg progress{h.ctx, h.services};
};

TEST_F(ProgressTest, ShowsQuarterStepsAndMakesANewWindowAfterBeingHidden) {
    progress.Open(nullptr);
    FakeForm* form = h.Form(ui::CDlgPrg::kTemplate);
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(progress.Visible());
    EXPECT_EQ(form->Title(), "Processing");
    EXPECT_EQ(form->Text(1044), "Cancel");
    progress.SetProgress(9, 2);
    EXPECT_EQ(form->Control(1042).range, (ui::Range{0, 36}));
    EXPECT_EQ(form->Position(1042), 8);
    progress.Step();
    EXPECT_EQ(form->Position(1042), 9);

    progress.Open(nullptr);  // still shown: the same window
    EXPECT_EQ(h.Created(ui::CDlgPrg::kTemplate), 1);
    progress.Hide();
    EXPECT_FALSE(progress.Visible());
    progress.Open(nullptr);
    EXPECT_EQ(h.Created(ui::CDlgPrg::kTemplate), 2);
    EXPECT_TRUE(progress.Visible());
}

TEST_F(ProgressTest, KeysAndTheCloseBoxLeaveItOpen) {
    progress.Open(nullptr);
    FakeForm* form = h.Form(ui::CDlgPrg::kTemplate);
    EXPECT_TRUE(form->PressKey(ui::key::kReturn));
    EXPECT_TRUE(form->PressKey(ui::key::kEscape));
    EXPECT_FALSE(form->Close());
    EXPECT_TRUE(progress.Visible());
}

TEST_F(ProgressTest, CancelGivesTheOperationUp) {
    progress.Open(nullptr);
    h.ctx.status.frontPhase = kFrontProgress;
    h.ctx.status.linkState = kLinkBusy;
    h.ctx.trx.currentOp = OP_STEP_UPLOAD;
    h.ctx.trx.lastOp = OP_STEP_UPLOAD;
    h.Form(ui::CDlgPrg::kTemplate)->Click(1044);
    EXPECT_EQ(h.ctx.trx.currentOp, OP_IDLE);
    EXPECT_EQ(h.ctx.status.linkState, kLinkOnline);
    EXPECT_EQ(h.ctx.status.frontPhase, kFrontMain);
}

}  // namespace
}  // namespace tavro::test
