// The headless harness itself: a test whose script did not run, or whose forms were misused,
// fails instead of passing unseen.

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <string>

#include "shell/CMain.h"
#include "tests/params/page_fixture.h"
#include "tests/support/AppHarness.h"
#include "tests/support/FakeForm.h"

namespace tavro::test {
namespace {

constexpr int kComSelect = 200;
constexpr int kTypeDialog = 214;

struct EarlyEndCase {
    const char* name;
    void (*arrange)(AppHarness& h);
};

constexpr EarlyEndCase kEarlyEndCases[] = {
    {"EndedBeforeItRuns",
     [](AppHarness& h) {
         h.WriteSettings(AppSettings().Auto(1).SearchAuto(1));
         h.OnModal(kIdSearchTemplate, h.ConnectFirstFound());
         h.EndMainWindowEarly();
     }},
    {"ComSelectionCancelled",
     [](AppHarness& h) {
         h.WriteSettings(AppSettings().Auto(0));
         h.OnModal(kComSelect, h.CancelDialog());
     }},
    {"TypeDialogCancelled",
     [](AppHarness& h) {
         const std::string dead = h.AddDeadPort("ttyS1");
         h.WriteSettings(AppSettings().Port(dead).Auto(1));
         h.OnModal(kComSelect, h.ChoosePort(dead));
         h.OnModal(kTypeDialog, h.CancelDialog());
     }},
};

class MainWindowEndsEarlyTest : public ::testing::TestWithParam<EarlyEndCase> {};

TEST_P(MainWindowEndsEarlyTest, TheRunFailsInsteadOfSkippingTheScript) {
    AppHarness h;
    GetParam().arrange(h);
    bool scriptRan = false;
    EXPECT_NONFATAL_FAILURE(h.Run([&](FakeForm&, CMain&) { scriptRan = true; }),
                            "the main window never ran, so the test's script did not run");
    EXPECT_FALSE(scriptRan);
}

INSTANTIATE_TEST_SUITE_P(Harness, MainWindowEndsEarlyTest, ::testing::ValuesIn(kEarlyEndCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Harness, AMainWindowThatWasNotToRunFails) {
    AppHarness h;
    h.WriteSettings(AppSettings().Auto(1).SearchAuto(1));
    h.OnModal(kIdSearchTemplate, h.ConnectFirstFound());
    EXPECT_NONFATAL_FAILURE(h.RunWithoutMainWindow(),
                            "the main window ran, but the program was to end before it");
}

TEST(Harness, ADialogScriptThatNeverPlayedFailsAtTheEndOfTheRun) {
    AppHarness h;
    h.WriteSettings(AppSettings().Auto(1).SearchAuto(1));
    h.OnModal(kIdSearchTemplate, h.ConnectFirstFound());
    h.OnModal(kPasswordTemplate, [](FakeForm& form) { form.Click(ui::kIdCancel); });
    EXPECT_NONFATAL_FAILURE(
        h.Run([&](FakeForm& main, CMain&) { h.CloseMainWindow(main); }),
        "the script for dialog template 203 never ran: the dialog never opened");
}

TEST(Harness, MisuseOfAFormDuringTheRunFailsTheTest) {
    AppHarness h;
    h.WriteSettings(AppSettings().Auto(1).SearchAuto(1));
    h.OnModal(kIdSearchTemplate, h.ConnectFirstFound());
    EXPECT_NONFATAL_FAILURE(h.Run([](FakeForm& main, CMain&) { main.SetText(4242, "x"); }),
                            "dialog template 202: SetText: no control 4242");
}

// The fixture of the Basic and I/O page tests runs its body through the harness.
class ConnectedFixtureTest : public ConnectedProgramTest {};

TEST_F(ConnectedFixtureTest, AMainWindowEndedEarlyFailsRunConnected) {
    h.EndMainWindowEarly();
    bool bodyRan = false;
    EXPECT_NONFATAL_FAILURE(RunConnected([&](FakeForm&, CMain&) { bodyRan = true; }),
                            "the main window never ran");
    EXPECT_FALSE(bodyRan);
}

}  // namespace
}  // namespace tavro::test
