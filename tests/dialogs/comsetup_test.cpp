#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/connect/CDlgComSetup.h"
#include "link/CIniRw.h"
#include "tests/params/page_fixture.h"
#include "ui/Keys.h"

namespace tavro::test {
namespace {

constexpr int kChange = CDlgComSetup::IDC_CHANGE;
constexpr int kId = CDlgComSetup::IDC_ID;
constexpr int kSpeed = CDlgComSetup::IDC_SPEED;
constexpr int kDelay = CDlgComSetup::IDC_DELAY;
constexpr int kSetup = CDlgComSetup::IDC_SETUP;
constexpr int kHelp = CDlgComSetup::IDC_HELP;
constexpr std::array<int, 5> kControls = {kChange, kId, kSpeed, kDelay, kSetup};

constexpr int IDS_DELAY_RANGE = 332;
constexpr int IDS_CONFIRM = 344;
constexpr int IDS_UPDATE_COMPLETE = 345;
constexpr int IDS_SPEED_CHANGED = 1140;

// The ID/communication setting window opened behind its password on a connected program.
class CommSetupTest : public ConnectedProgramTest {
  protected:
    CommSetupTest() {
        h.OnModal(kPasswordTemplate, [](FakeForm& form) {
            form.TypeText(1950, "vbq");
            form.Click(1951);
        });
    }

    void RunInWindow(const std::function<void(FakeForm& window, FakeForm& main, CMain&)>& script) {
        RunConnected([&](FakeForm& main, CMain& program) {
            ASSERT_TRUE(main.ChooseSystemCommand(CMain::kMenuCommSetup));
            FakeForm* window = h.Form(kTemplateCommSetup);
            ASSERT_NE(window, nullptr);
            ASSERT_TRUE(window->IsWindowVisible());
            h.prompter.StealFocusFrom(window);
            script(*window, main, program);
        });
    }

    std::vector<bool> Enables(const FakeForm& window) const {
        std::vector<bool> enabled;
        for (const int id : kControls) {
            enabled.push_back(window.IsEnabled(id));
        }
        return enabled;
    }

    void SetupConfirmed(FakeForm& window) {
        h.prompter.AnswerYes();
        ASSERT_TRUE(window.Click(kSetup));
        ASSERT_TRUE(Settle());
    }
};

TEST_F(CommSetupTest, CheckBoxAndLinkStateDecideTheEnabling) {
    RunInWindow([&](FakeForm& window, FakeForm&, CMain& program) {
        EXPECT_EQ(window.Text(kChange), "Tick the check box for changing the setting.");
        EXPECT_EQ(Enables(window), (std::vector<bool>{true, false, false, false, false}));
        ASSERT_TRUE(window.Click(kChange));
        EXPECT_EQ(Enables(window), (std::vector<bool>{true, true, true, true, true}));

        program.SetLinkState(kLinkBusy);
        EXPECT_EQ(Enables(window), (std::vector<bool>{false, false, false, false, false}));
        program.SetLinkState(kLinkOnline);
        EXPECT_EQ(Enables(window), (std::vector<bool>{true, true, true, true, true}));

        ASSERT_TRUE(window.Click(kChange));
        EXPECT_EQ(Enables(window), (std::vector<bool>{true, false, false, false, false}));
    });
}

TEST_F(CommSetupTest, FocusShowsTheHelpOfTheControl) {
    RunInWindow([&](FakeForm& window, FakeForm&, CMain&) {
        ASSERT_TRUE(window.Click(kChange));
        EXPECT_EQ(window.Text(kHelp), "");
        ASSERT_TRUE(window.Focus(kId));
        EXPECT_EQ(window.Text(kHelp),
                  "Controller ID: Select the Controller ID for serial communication.");
        ASSERT_TRUE(window.Focus(kSpeed));
        EXPECT_EQ(window.Text(kHelp), "Communication speed: Select the communication speed.");
        ASSERT_TRUE(window.Focus(kDelay));
        EXPECT_NE(window.Text(kHelp).find("Setting range is 0.1 to 10.2 (in increment of 0.1ms)"),
                  std::string::npos);
        EXPECT_TRUE(window.IsAllTextSelected(kDelay));
        EXPECT_EQ(window.Font(kHelp), 1);
        ASSERT_TRUE(window.Focus(kSetup));
        EXPECT_EQ(window.Text(kHelp), "");
    });
}

TEST_F(CommSetupTest, ReturnAndEscapeNeitherCloseNorSetUp) {
    RunInWindow([&](FakeForm& window, FakeForm&, CMain&) {
        ASSERT_TRUE(window.Click(kChange));
        ASSERT_TRUE(window.Focus(kId));
        EXPECT_TRUE(window.PressKey(ui::key::kReturn));
        EXPECT_TRUE(window.PressKey(ui::key::kEscape));
        h.Advance(1000);
        EXPECT_TRUE(window.IsWindowVisible());
        EXPECT_TRUE(h.prompter.Shown().empty());
    });
}

struct DelayCase {
    const char* name;
    const char* typed;
    const char* shown;
    bool error;
};

constexpr DelayCase kDelayCases[] = {
    {"TooShort", "0.04", "0.0", true},      {"RoundsUpToLongest", "10.25", "10.3", true},
    {"Longest", "10.2", "10.2", false},     {"RoundsUpToShortest", "0.05", "0.1", false},
    {"Garbage", "fast", "0.0", true},       {"Negative", "-3", "-3.0", true},
    {"Huge", "1e300", "214748364.7", true},
};

class CommDelayTest : public CommSetupTest, public ::testing::WithParamInterface<DelayCase> {};

TEST_P(CommDelayTest, LeavingTheDelayRoundsAndChecksIt) {
    const DelayCase& c = GetParam();
    RunInWindow([&](FakeForm& window, FakeForm&, CMain& program) {
        ASSERT_TRUE(window.Click(kChange));
        ASSERT_TRUE(window.TypeAndLeave(kDelay, c.typed, kId));
        EXPECT_EQ(window.Text(kDelay), c.shown);
        const CDlgComSetup& dialog = *program.CommSetup().Presenter();
        EXPECT_EQ(dialog.RangeError(), c.error);
        EXPECT_EQ(h.prompter.Count(IDS_DELAY_RANGE), c.error ? 1 : 0);
        if (c.error) {
            EXPECT_EQ(h.prompter.Last()->icon, ui::Icon::kExclamation);
            EXPECT_EQ(window.FocusedControl(), kDelay);
            EXPECT_EQ(window.GetColours(kDelay), (ui::Colours{11, 2}));
        }
    });
}

INSTANTIATE_TEST_SUITE_P(Delays, CommDelayTest, ::testing::ValuesIn(kDelayCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CommSetupTest, SetupRefusesADelayOutOfRange) {
    RunInWindow([&](FakeForm& window, FakeForm&, CMain&) {
        ASSERT_TRUE(window.Click(kChange));
        ASSERT_TRUE(window.TypeAndLeave(kDelay, "20", kId));
        h.prompter.AnswerYes();
        window.Click(kSetup);
        h.Advance(1000);
        EXPECT_EQ(h.prompter.ShownIds(), (std::vector<int>{IDS_DELAY_RANGE, IDS_DELAY_RANGE}));
        EXPECT_TRUE(CommandsSent(h).empty());
        EXPECT_FLOAT_EQ(Controller().Parameter(0, 24), 1.0F);
    });
}

TEST_F(CommSetupTest, UnchangedSetupReportsCompleteWithoutSending) {
    RunInWindow([&](FakeForm& window, FakeForm&, CMain&) {
        ASSERT_TRUE(window.Click(kChange));
        SetupConfirmed(window);
        h.Advance(1000);
        EXPECT_EQ(h.prompter.ShownIds(), (std::vector<int>{IDS_CONFIRM, IDS_UPDATE_COMPLETE}));
        EXPECT_TRUE(CommandsSent(h).empty());
        EXPECT_TRUE(window.IsWindowVisible());
    });
}

TEST_F(CommSetupTest, SetupAnsweredNoSendsNothing) {
    RunInWindow([&](FakeForm& window, FakeForm&, CMain&) {
        ASSERT_TRUE(window.Click(kChange));
        ASSERT_TRUE(window.Choose(kId, 4));
        h.prompter.AnswerNo();
        ASSERT_TRUE(window.Click(kSetup));
        h.Advance(1000);
        EXPECT_EQ(h.prompter.ShownIds(), std::vector<int>{IDS_CONFIRM});
        EXPECT_TRUE(CommandsSent(h).empty());
    });
}

TEST_F(CommSetupTest, NewIdIsWrittenToTheOldIdAndStoredUnderTheNewOne) {
    RunInWindow([&](FakeForm& window, FakeForm& main, CMain&) {
        ASSERT_TRUE(window.Click(kChange));
        ASSERT_TRUE(window.Choose(kId, 4));  // ID 5
        SetupConfirmed(window);
        h.Advance(1000);

        const std::vector<sim::LineRecord> idWrites = h.bus.Requests("EE");
        ASSERT_FALSE(idWrites.empty());
        EXPECT_EQ(idWrites.front().command, "EE 0 3 5.00000");
        EXPECT_EQ(idWrites.front().id, 1);
        EXPECT_EQ(h.bus.Requests("EU", 5).size(), 1U);
        EXPECT_TRUE(h.bus.Requests("EU", 1).empty());
        EXPECT_EQ(h.prompter.ShownIds().back(), IDS_UPDATE_COMPLETE);
        EXPECT_FALSE(h.prompter.WasShown(IDS_SPEED_CHANGED));
        EXPECT_EQ(h.ctx.status.controllerId, 5);
        EXPECT_EQ(h.ctx.status.linkState, kLinkOnline);
        // Without a speed change the window stays for further changes.
        EXPECT_TRUE(window.IsWindowVisible());
        EXPECT_FALSE(main.Ended());
    });
}

struct SpeedCase {
    const char* name;
    bool closeTool;
};

constexpr SpeedCase kSpeedCases[] = {{"CloseTheTool", true}, {"KeepTheTool", false}};

class CommSpeedTest : public CommSetupTest, public ::testing::WithParamInterface<SpeedCase> {};

TEST_P(CommSpeedTest, SpeedChangeOffersToCloseTheTool) {
    const SpeedCase& c = GetParam();
    RunInWindow([&](FakeForm& window, FakeForm& main, CMain&) {
        ASSERT_TRUE(window.Click(kChange));
        ASSERT_TRUE(window.ChooseText(kSpeed, "9600"));
        h.prompter.AnswerYes();
        h.prompter.AnswerNext(c.closeTool ? ui::Answer::kYes : ui::Answer::kNo);
        ASSERT_TRUE(window.Click(kSetup));
        ASSERT_TRUE(h.RunUntil([&] { return !window.IsWindowVisible(); }));
        h.Advance(2000);

        EXPECT_FLOAT_EQ(Controller().Parameter(0, 22), 2.0F);
        EXPECT_TRUE(h.prompter.WasShown(IDS_SPEED_CHANGED));
        EXPECT_FALSE(h.prompter.WasShown(IDS_UPDATE_COMPLETE));
        EXPECT_EQ(main.Ended(), c.closeTool);
        if (!c.closeTool) {
            EXPECT_TRUE(main.IsWindowEnabled());
        }
        EXPECT_EQ(CIniRw(h.ctx).GetAuto(), c.closeTool ? 0 : 1);
    });
}

INSTANTIATE_TEST_SUITE_P(Answers, CommSpeedTest, ::testing::ValuesIn(kSpeedCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavro::test
