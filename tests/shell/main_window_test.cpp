#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/StatusBlock.h"
#include "monitor/CPageDrv.h"
#include "monitor/MonitorLog.h"
#include "shell/CMain.h"
#include "tests/support/AppHarness.h"
#include "tests/support/FakeForm.h"
#include "tests/support/LineLog.h"
#include "ui/CCtrlBatch.h"
#include "ui/Keys.h"

namespace tavro::test {
namespace {

constexpr int kIdSearch = 157;
constexpr int kPassword = 203;
constexpr int kAbout = 100;
constexpr int IDS_DATA_CHANGED = 342;

// The Step Data Setup page as the main window sees it, with what it was asked.
class RecordingStepPage : public StepPageView {
  public:
    explicit RecordingStepPage(std::unique_ptr<ui::Form> form) : form_(std::move(form)) {}
    ui::Form& GetForm() override { return *form_; }
    void Refresh() override { ++refreshes; }
    void ReloadCurrentStep() override { ++reloads; }
    void StoreEditRow(int /*row*/) override { ++storedRows; }
    bool HasStepChanges() override { return changed; }
    void SetBasicStroke(int stroke) override { basicStroke = stroke; }

    bool changed = false;
    int refreshes = 0;
    int reloads = 0;
    int storedRows = 0;
    int basicStroke = -1;

  private:
    std::unique_ptr<ui::Form> form_;
};

class RecordingBrowser : public BrowserView {
  public:
    explicit RecordingBrowser(std::unique_ptr<ui::Form> form) : form_(std::move(form)) {}
    ui::Form& GetForm() override { return *form_; }

  private:
    std::unique_ptr<ui::Form> form_;
};

// A program connected to one controller, with the step views recorded.
class MainWindowTest : public ::testing::Test {
  protected:
    explicit MainWindowTest(std::vector<sim::ControllerOptions> controllers = {{}})
        : h(std::move(controllers)) {
        h.WriteSettings(AppSettings().Auto(1).SearchAuto(1));
        h.OnModal(kIdSearch, h.ConnectFirstFound());
        h.BeforeStart([this](CMain& window) {
            step = std::make_unique<RecordingStepPage>(
                h.services.forms.Create(kTemplateStepPage, window.GetForm(), ui::FormKind::kPage));
            browser = std::make_unique<RecordingBrowser>(h.services.forms.Create(
                kTemplateBrowser, window.GetForm(), ui::FormKind::kModeless));
            window.AttachStepViews(*step, *browser);
        });
    }

    // Runs the program; `script` runs once the initial upload is done.
    void RunConnected(const std::function<void(FakeForm&, CMain&)>& script) {
        h.Run([&](FakeForm& main, CMain& window) {
            ASSERT_TRUE(h.RunUntil([&] { return (h.ctx.status.flags & kFlagUploadDone) != 0; }));
            script(main, window);
        });
    }

    AppHarness h;
    std::unique_ptr<RecordingStepPage> step;
    std::unique_ptr<RecordingBrowser> browser;
};

TEST_F(MainWindowTest, AMainWindowEndedEarlyFailsRunConnected) {
    h.EndMainWindowEarly();
    bool bodyRan = false;
    EXPECT_NONFATAL_FAILURE(RunConnected([&](FakeForm&, CMain&) { bodyRan = true; }),
                            "the main window never ran");
    EXPECT_FALSE(bodyRan);
}

TEST_F(MainWindowTest, ReturnAndEscapeAreSwallowed) {
    RunConnected([&](FakeForm& main, CMain&) {
        for (const int key : {ui::key::kReturn, ui::key::kEscape}) {
            EXPECT_TRUE(main.PressKey(key)) << key;
        }
        h.Advance(2000);
        EXPECT_FALSE(main.Ended());
        EXPECT_TRUE(h.prompter.Shown().empty());
        EXPECT_TRUE(h.CloseMainWindow(main));
    });
}

TEST_F(MainWindowTest, WindowMenuOffersPasswordCommSetupCommLogAndAbout) {
    RunConnected([&](FakeForm& main, CMain&) {
        const std::vector<ui::MenuItem> expected = {
            {0, "", true},
            {CMain::kMenuPassword, "Password(&P)...", true},
            {CMain::kMenuCommSetup, "ID/communication setting(&S)...", true},
            {CMain::kMenuCommLog, "Communication log(&L)...", true},
            {CMain::kMenuAbout, "About(&A)...", true},
        };
        EXPECT_EQ(main.SystemMenu(), expected);
        EXPECT_TRUE(h.CloseMainWindow(main));
    });
}

TEST_F(MainWindowTest, CommLogMenuOpensTheLogAndSendsNothing) {
    RunConnected([&](FakeForm& main, CMain& window) {
        int opened = 0;
        window.SetCommLogOpener([&] { ++opened; });
        h.loop.Advance(500);
        const std::size_t before = h.bus.Requests().size() - h.bus.Requests("MO").size();
        window.OnSystemCommand(CMain::kMenuCommLog);
        h.loop.Advance(500);
        EXPECT_EQ(opened, 1);
        EXPECT_EQ(h.bus.Requests().size() - h.bus.Requests("MO").size(), before)
            << "only the poll goes on";
        EXPECT_TRUE(h.CloseMainWindow(main));
    });
}

// The chart's part: the Monitor/Test page's button and the menu item open it, the page's
// samples reach its log, and without a chart neither is offered.
TEST(MainWindowChartTest, ButtonAndMenuOpenTheChartAndTheSamplesReachItsLog) {
    for (const bool attached : {false, true}) {
        SCOPED_TRACE(attached ? "with a chart" : "without a chart");
        AppHarness h;
        h.WriteSettings(AppSettings().Auto(1).SearchAuto(1));
        h.OnModal(kIdSearch, h.ConnectFirstFound());
        MonitorLog log(h.loop, [] { return std::int64_t{0}; }, {});
        int opened = 0;
        if (attached) {
            h.BeforeStart([&](CMain& window) { window.AttachChart(&log, [&] { ++opened; }); });
        }
        h.Run([&](FakeForm& main, CMain& window) {
            ASSERT_TRUE(h.RunUntil([&] { return (h.ctx.status.flags & kFlagUploadDone) != 0; }));
            h.Advance(1000);
            FakeForm* page = h.Form(kTemplateDrivePage);
            ASSERT_NE(page, nullptr);
            EXPECT_EQ(page->IsVisible(CPageDrv::IDC_CHART), attached);
            const auto& menu = main.SystemMenu();
            const bool listed = std::any_of(menu.begin(), menu.end(), [](const ui::MenuItem& m) {
                return m.command == CMain::kMenuChart && m.text == "Chart(&C)...";
            });
            EXPECT_EQ(listed, attached);
            if (attached) {
                EXPECT_EQ(page->Text(CPageDrv::IDC_CHART), "Chart...");
                window.DrivePage()->OnClicked(CPageDrv::IDC_CHART);
                EXPECT_EQ(opened, 1);
                EXPECT_TRUE(main.ChooseSystemCommand(CMain::kMenuChart));
                EXPECT_EQ(opened, 2);
                // A poll every 100 ms since the connection, whichever tab is shown.
                EXPECT_GE(log.Ring().Size(), 10U);
                EXPECT_EQ(log.Ring().Newest().controllerId, 1);
            } else {
                EXPECT_EQ(log.Ring().Size(), 0U);
            }
            EXPECT_TRUE(h.CloseMainWindow(main));
        });
    }
}

// --- the enable matrix ---

struct MatrixCase {
    const char* name;
    int controlType;
    LinkState linkState;
};

constexpr MatrixCase kMatrixCases[] = {
    {"StepOnline", 1, kLinkOnline},
    {"StepNoController", 1, kLinkNoController},
    {"StepNoPort", 1, kLinkNoPort},
    {"StepBusy", 1, kLinkBusy},
    {"StepMonitorMode", 1, kLinkMonitorMode},
    {"PulseOnline", 2, kLinkOnline},
    {"PulseNoController", 2, kLinkNoController},
    {"PulseBusy", 2, kLinkBusy},
    {"PulseMonitorMode", 2, kLinkMonitorMode},
};

class EnableMatrixTest : public ::testing::TestWithParam<MatrixCase> {
  protected:
    static std::vector<sim::ControllerOptions> Controller(int type) {
        sim::ControllerOptions options;
        options.controlType = type;
        return {options};
    }
};

TEST_P(EnableMatrixTest, EveryPageRowFollowsStateAndTypeAndTheLaterRowWins) {
    const MatrixCase& c = GetParam();
    AppHarness h(Controller(c.controlType));
    h.WriteSettings(AppSettings().Auto(1).SearchAuto(1));
    h.OnModal(kIdSearch, h.ConnectFirstFound());
    // The Step page's own rules come after the table; a page without them shows the table.
    std::unique_ptr<RecordingStepPage> step;
    std::unique_ptr<RecordingBrowser> browser;
    h.BeforeStart([&](CMain& window) {
        step = std::make_unique<RecordingStepPage>(
            h.services.forms.Create(kTemplateStepPage, window.GetForm(), ui::FormKind::kPage));
        browser = std::make_unique<RecordingBrowser>(
            h.services.forms.Create(kTemplateBrowser, window.GetForm(), ui::FormKind::kModeless));
        window.AttachStepViews(*step, *browser);
    });
    h.Run([&](FakeForm& main, CMain& window) {
        ASSERT_TRUE(h.RunUntil([&] { return (h.ctx.status.flags & kFlagUploadDone) != 0; }));
        ASSERT_EQ(h.ctx.status.controlType, c.controlType);
        window.SetLinkState(c.linkState);
        std::map<std::pair<int, ui::ControlId>, bool> expected;
        for (const ui::CaptionRow& row : ui::CCtrlBatch::PageRows()) {
            expected[{row.dialog, row.control}] =
                ui::CCtrlBatch::IsEnabledIn(row, LinkIndex(c.linkState), c.controlType);
        }
        // The page itself decides these after the table: "Sensor Origin" by series.
        expected.erase({kTemplateBasicPage, 1523});
        // The operating time of the Monitor/Test page's table follows the edited row.
        expected.erase({kTemplateDrivePage, 1774});
        // The I/O page keeps the settings it cannot show disabled; they are its own tests'.
        if (!window.Binding().State().ioAreaEditable) {
            for (const ui::ControlId id :
                 {1440, 1441, 1442, 1443, 1444, 1028, 1029, 1030, 1031, 1402, 1403, 1404, 1405}) {
                EXPECT_FALSE(h.Form(kTemplateIoPage)->IsEnabled(id)) << id;
                expected.erase({kTemplateIoPage, id});
            }
        }
        for (const auto& [key, enabled] : expected) {
            const FakeForm* page = h.Form(key.first);
            ASSERT_NE(page, nullptr) << key.first;
            if (page->Find(key.second) != nullptr) {
                EXPECT_EQ(page->IsEnabled(key.second), enabled)
                    << "template " << key.first << " control " << key.second;
            }
        }
        EXPECT_EQ(main.IsSystemMenuItemEnabled(CMain::kMenuPassword),
                  c.linkState != kLinkBusy && c.linkState != kLinkMonitorMode);
        EXPECT_EQ(main.IsSystemMenuItemEnabled(CMain::kMenuCommSetup), c.linkState == kLinkOnline);
        EXPECT_EQ(h.ctx.status.linkState, c.linkState);
    });
}

INSTANTIATE_TEST_SUITE_P(States, EnableMatrixTest, ::testing::ValuesIn(kMatrixCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EnableMatrix, LinkStateIsLeftAloneWhileClosing) {
    AppHarness h;
    h.WriteSettings(AppSettings().Auto(1).SearchAuto(1));
    h.OnModal(kIdSearch, h.ConnectFirstFound());
    h.Run([&](FakeForm&, CMain& window) {
        ASSERT_TRUE(h.RunUntil([&] { return (h.ctx.status.flags & kFlagUploadDone) != 0; }));
        window.RequestExit();
        window.SetLinkState(kLinkBusy);
        EXPECT_EQ(h.ctx.status.linkState, kLinkOnline);
    });
}

// --- closing ---

struct CloseCase {
    const char* name;
    bool firstAnswer;
    bool secondAnswer;
    bool closes;
};

constexpr CloseCase kCloseCases[] = {
    {"BothDeclined", false, false, false},
    {"FirstConfirmed", true, false, true},
    {"SecondConfirmed", false, true, true},
};

class ClosingWithChangesTest : public MainWindowTest,
                               public ::testing::WithParamInterface<CloseCase> {};

TEST_P(ClosingWithChangesTest, AsksPageByPage) {
    const CloseCase& c = GetParam();
    RunConnected([&](FakeForm& main, CMain& window) {
        h.Form(kTemplateIoPage)->Choose(1450, 3);     // BUSY output function
        h.Form(kTemplateBasicPage)->Choose(1541, 1);  // vertical mounting
        std::vector<int> pagesAsked;
        h.prompter.SetOnShow([&](const ui::Message& m) {
            if (m.stringId == IDS_DATA_CHANGED) {
                pagesAsked.push_back(window.ShownPage());
            }
        });
        h.prompter.AnswerNext(c.firstAnswer ? ui::Answer::kYes : ui::Answer::kNo);
        h.prompter.AnswerNext(c.secondAnswer ? ui::Answer::kYes : ui::Answer::kNo);
        main.Close();
        h.RunUntil([&] { return main.Ended(); }, 10000);

        EXPECT_EQ(pagesAsked, (std::vector<int>{kPageIo, kPageBasic}));
        EXPECT_EQ(main.Ended(), c.closes);
        EXPECT_EQ(CountRequests(h.bus, "MD 0"), c.closes ? 1U : 0U);  // the exit sequence
        h.prompter.SetOnShow({});
    });
}

INSTANTIATE_TEST_SUITE_P(Answers, ClosingWithChangesTest, ::testing::ValuesIn(kCloseCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, ClosingWithoutChangesRunsTheExitSequence) {
    RunConnected([&](FakeForm& main, CMain&) {
        const std::size_t mark = h.bus.Log().size();
        EXPECT_TRUE(h.CloseMainWindow(main));
        EXPECT_TRUE(h.prompter.Shown().empty());
        EXPECT_EQ(CountRequests(h.bus, "OE 0 0 0", mark), 1U);
        EXPECT_EQ(CountRequests(h.bus, "SW 4 1"), 1U);
        EXPECT_EQ(CountRequests(h.bus, "MD 0"), 1U);
        EXPECT_FALSE(h.ctx.port.transport);
    });
}

TEST_F(MainWindowTest, ClosingBeforeTheUploadEndsClosesAtOnce) {
    h.Run([&](FakeForm& main, CMain&) {
        ASSERT_EQ(h.ctx.trx.currentOp, OP_UPLOAD_ALL);
        ASSERT_EQ(h.ctx.status.flags & kFlagUploadDone, 0);
        main.Close();
        EXPECT_TRUE(h.RunUntil([&] { return main.Ended(); }, 10));
        EXPECT_TRUE(h.prompter.Shown().empty());
        EXPECT_EQ(CountRequests(h.bus, "MD 0"), 0U);
        EXPECT_FALSE(h.ctx.port.transport);
    });
}

TEST_F(MainWindowTest, StepChangesCountWhenClosing) {
    RunConnected([&](FakeForm& main, CMain& window) {
        step->changed = true;
        std::vector<int> pagesAsked;
        h.prompter.SetOnShow([&](const ui::Message&) { pagesAsked.push_back(window.ShownPage()); });
        h.prompter.AnswerNo();
        main.Close();
        h.Advance(100);
        EXPECT_EQ(pagesAsked, std::vector<int>{kPageStep});
        EXPECT_FALSE(main.Ended());
        EXPECT_EQ(window.ShownPage(), kPageStep);
        EXPECT_EQ(main.CurrentItem(CMain::IDC_TABS), kPageStep);
        // The page left by the next tab change is the one shown.
        EXPECT_EQ(window.PreviousTab(), kPageStep);
        h.prompter.SetOnShow({});
    });
}

// --- tabs ---

class StepChangesOnMonitorTabTest : public MainWindowTest,
                                    public ::testing::WithParamInterface<bool> {};

TEST_P(StepChangesOnMonitorTabTest, AsksBeforeDiscardingTheEdits) {
    const bool proceed = GetParam();
    RunConnected([&](FakeForm& main, CMain& window) {
        main.Choose(CMain::IDC_TABS, kPageStep);
        step->changed = true;
        step->storedRows = 0;
        h.prompter.AnswerNext(proceed ? ui::Answer::kYes : ui::Answer::kNo);
        main.Choose(CMain::IDC_TABS, kPageDrive);

        EXPECT_EQ(h.prompter.Count(IDS_DATA_CHANGED), 1);
        const int shown = proceed ? kPageDrive : kPageStep;
        EXPECT_EQ(window.ShownPage(), shown);
        EXPECT_EQ(main.CurrentItem(CMain::IDC_TABS), shown);
        EXPECT_EQ(h.Form(kTemplateStepPage)->IsWindowVisible(), !proceed);
        EXPECT_EQ(h.Form(kTemplateDrivePage)->IsWindowVisible(), proceed);
        // Going on reloads all 15 steps from the controller copy into the page.
        EXPECT_EQ(step->storedRows, proceed ? 15 : 0);
        EXPECT_EQ(window.PreviousTab(), shown);
    });
}

INSTANTIATE_TEST_SUITE_P(Answers, StepChangesOnMonitorTabTest, ::testing::Bool(),
                         [](const auto& info) {
                             return info.param ? std::string("Yes") : std::string("No");
                         });

TEST_F(MainWindowTest, EnteringStepDataTellsThePageTheBasicStroke) {
    RunConnected([&](FakeForm& main, CMain&) {
        const int refreshes = step->refreshes;
        main.Choose(CMain::IDC_TABS, kPageStep);
        EXPECT_EQ(step->basicStroke, 20);
        EXPECT_EQ(step->refreshes, refreshes + 1);
        main.Choose(CMain::IDC_TABS, kPageBasic);
        EXPECT_EQ(step->reloads, 1);
    });
}

TEST_F(MainWindowTest, LeavingIoSetupReleasesTheOutputsAndLeavingMonitorTestStops) {
    RunConnected([&](FakeForm& main, CMain& window) {
        main.Choose(CMain::IDC_TABS, kPageIo);
        ASSERT_TRUE(h.RunUntil([&] { return h.ctx.status.linkState == kLinkOnline; }));
        EXPECT_FALSE(window.IoPage()->InputLocked());
        const std::size_t released = CountRequests(h.bus, "SW 4 1");
        main.Choose(CMain::IDC_TABS, kPageDrive);
        h.Advance(500);
        EXPECT_EQ(CountRequests(h.bus, "SW 4 1"), released + 1);
        EXPECT_TRUE(window.IoPage()->InputLocked());

        const std::size_t stops = CountRequests(h.bus, "OE 0 0 0");
        main.Choose(CMain::IDC_TABS, kPageBasic);
        h.Advance(500);
        EXPECT_EQ(CountRequests(h.bus, "OE 0 0 0"), stops + 1);
    });
}

TEST_F(MainWindowTest, EnteringIoSetupReadsTheDetailSettingsOnce) {
    RunConnected([&](FakeForm& main, CMain&) {
        main.Choose(CMain::IDC_TABS, kPageIo);
        ASSERT_TRUE(h.RunUntil([&] { return (h.ctx.status.flags & kFlagDetailRead) != 0; }));
        const std::size_t areaReads = CountRequests(h.bus, "EE 3 11");
        EXPECT_EQ(areaReads, 1U);
        main.Choose(CMain::IDC_TABS, kPageBasic);
        main.Choose(CMain::IDC_TABS, kPageIo);
        h.Advance(3000);
        EXPECT_EQ(CountRequests(h.bus, "EE 3 11"), areaReads);
    });
}

// --- the window's menu ---

struct ExpertCase {
    const char* name;
    int command;
    const char* code;
    int templateId;
    bool detailOpen;
};

constexpr ExpertCase kExpertCases[] = {
    {"Detail", CMain::kMenuPassword, "615", kTemplateDetail, true},
    {"CommSetup", CMain::kMenuCommSetup, "vbq", kTemplateCommSetup, false},
};

class ExpertWindowTest : public MainWindowTest, public ::testing::WithParamInterface<ExpertCase> {};

TEST_P(ExpertWindowTest, OpensBehindThePasswordAndClosesAgain) {
    const ExpertCase& c = GetParam();
    h.OnModal(kPassword, [&](FakeForm& form) {
        form.TypeText(1950, c.code);
        form.Click(1951);
    });
    RunConnected([&](FakeForm& main, CMain&) {
        ASSERT_TRUE(main.ChooseSystemCommand(c.command));
        FakeForm* window = h.Form(c.templateId);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->IsWindowVisible());
        EXPECT_EQ(h.ctx.status.detailOpen, c.detailOpen ? 1 : 0);
        EXPECT_FALSE(main.IsWindowEnabled());

        EXPECT_TRUE(window->Close());
        EXPECT_FALSE(window->IsWindowVisible());
        EXPECT_EQ(h.ctx.status.detailOpen, 0);
        EXPECT_TRUE(main.IsWindowEnabled());
        EXPECT_TRUE(main.IsEnabled(CMain::IDC_TABS));
    });
}

INSTANTIATE_TEST_SUITE_P(Windows, ExpertWindowTest, ::testing::ValuesIn(kExpertCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, CommSetupShowsTheControllerIdAndSpeed) {
    h.OnModal(kPassword, [&](FakeForm& form) {
        form.TypeText(1950, "vbq");
        form.Click(1951);
    });
    RunConnected([&](FakeForm& main, CMain&) {
        ASSERT_TRUE(main.ChooseSystemCommand(CMain::kMenuCommSetup));
        const FakeForm* window = h.Form(kTemplateCommSetup);
        EXPECT_EQ(window->Title(), "ID/communication setting");
        EXPECT_EQ(window->CurrentItem(1019), 0);  // ID 1
        EXPECT_EQ(window->Text(1020), "19200");
        EXPECT_FALSE(window->IsEnabled(1019));  // until the check box is ticked
    });
}

TEST_F(MainWindowTest, InitializeEndsTheProgramThroughTheClosingSequence) {
    h.OnModal(kAbout, [&](FakeForm& form) {
        h.prompter.AnswerYes();
        form.Click(1215);
        ASSERT_TRUE(h.RunUntil([&] { return form.Ended(); }));
    });
    RunConnected([&](FakeForm& main, CMain&) {
        ASSERT_TRUE(main.ChooseSystemCommand(CMain::kMenuAbout));
        EXPECT_TRUE(h.RunUntil([&] { return main.Ended(); }));
    });
    EXPECT_EQ(CountRequests(h.bus, "ED"), 1U);
    EXPECT_EQ(CountRequests(h.bus, "MD 0"), 1U);
    EXPECT_EQ(h.prompter.ShownIds(), (std::vector<int>{350, 351}));
}

}  // namespace
}  // namespace tavro::test

namespace tavro::test {
namespace {

TEST(FormsAndPresenters, PresentersOnlyAddressControlsTheirFormsHave) {
    AppHarness h;
    h.WriteSettings(AppSettings().Auto(1).SearchAuto(1));
    std::vector<std::string> problems;
    const auto collect = [&](const FakeForm& form, int templateId) {
        for (const std::string& p : form.Problems()) {
            problems.push_back(std::to_string(templateId) + ": " + p);
        }
    };
    h.OnModal(kIdSearch, [&](FakeForm& form) {
        h.ConnectFirstFound()(form);
        collect(form, kIdSearch);
    });
    h.OnModal(kPassword, [&](FakeForm& form) {
        form.TypeText(1950, "kzw");
        form.Click(1951);
        collect(form, kPassword);
    });
    h.OnModal(kAbout, [&](FakeForm& form) {
        form.Click(1212);
        form.Click(1);
        collect(form, kAbout);
    });
    h.Run([&](FakeForm& main, CMain& window) {
        ASSERT_TRUE(h.RunUntil([&] { return (h.ctx.status.flags & kFlagUploadDone) != 0; }));
        for (int page = 0; page < CMain::kPageCount; ++page) {
            main.Choose(CMain::IDC_TABS, page);
            h.RunUntil([&] { return h.ctx.status.linkState == kLinkOnline; });
        }
        main.ChooseSystemCommand(CMain::kMenuAbout);
        main.ChooseSystemCommand(CMain::kMenuPassword);
        h.Form(kTemplateDetail)->Close();
        window.OpenProgress();
        for (const int t : {202, 210, 211, 212, 213, 204, 138, 205, 206}) {
            if (const FakeForm* form = h.Form(t)) {
                collect(*form, t);
            }
        }
    });
    EXPECT_TRUE(problems.empty()) << ::testing::PrintToString(problems);
}

}  // namespace
}  // namespace tavro::test
