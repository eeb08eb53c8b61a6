#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/ParameterImage.h"
#include "link/StatusBlock.h"
#include "shell/CMain.h"
#include "shell/InstanceLock.h"
#include "stepdata/CPidParam.h"
#include "tests/support/AppHarness.h"
#include "tests/support/FakeForm.h"

namespace tavro::test {
namespace {

constexpr int kComSelect = 200;
constexpr int kIdSearch = 157;
constexpr int kTypeDialog = 214;
constexpr int kMainWindow = 202;
constexpr int IDS_CANNOT_OPEN_PORT = 231;
constexpr int IDS_ASK_OFFLINE = 262;
constexpr int IDS_CONFIRM_TYPE = 281;
constexpr int IDS_UNSUPPORTED = 353;

bool UploadDone(const AppHarness& h) {
    return (h.ctx.status.flags & kFlagUploadDone) != 0;
}

TEST(ProcessEntry, SecondCopyEndsWithoutWindowOrMessage) {
    AppHarness h;
    h.WriteSettings(AppSettings().Auto(1));
    const std::optional<InstanceLock> first = InstanceLock::Acquire(h.LockPath());
    ASSERT_TRUE(first.has_value());
    ASSERT_TRUE(first->Holds());

    EXPECT_EQ(h.Run(), 0);
    EXPECT_EQ(h.Created(kMainWindow), 0);
    EXPECT_TRUE(h.prompter.Shown().empty());
    EXPECT_TRUE(h.bus.Log().empty());
}

TEST(Startup, StoredPortOpensAndTheSearchFollowsAtOnce) {
    AppHarness h;
    h.WriteSettings(AppSettings().Auto(1).SearchAuto(1));
    h.OnModal(kIdSearch, h.ConnectFirstFound());
    h.Run([&](FakeForm& main, CMain&) {
        ASSERT_TRUE(h.RunUntil([&] { return UploadDone(h); }));
        EXPECT_EQ(h.ctx.status.linkState, kLinkOnline);
        EXPECT_EQ(h.ctx.status.controllerId, 1);
        EXPECT_TRUE(h.CloseMainWindow(main));
    });
    EXPECT_EQ(h.Created(kComSelect), 0);
    EXPECT_EQ(h.Created(kIdSearch), 1);
    EXPECT_EQ(h.Created(kTypeDialog), 0);
    EXPECT_TRUE(h.prompter.Shown().empty());
}

// A controller that does not know "VE" is found by the search; connecting to it ends with 353
// and the program closes.
TEST(Startup, ControllerWithoutVersionIsFoundThenRefusedWith353) {
    sim::ControllerOptions foreign;
    foreign.knowsVersion = false;
    AppHarness h({foreign});
    h.WriteSettings(AppSettings().Auto(1).SearchAuto(1));
    std::vector<std::string> found;
    h.OnModal(kIdSearch, [&](FakeForm& form) {
        ASSERT_TRUE(h.RunUntil([&] { return form.IsEnabled(1150); })) << "no controller found";
        for (int i = 0; i < form.ItemCount(1143); ++i) {
            found.push_back(form.ItemText(1143, i));
        }
        h.ConnectFirstFound()(form);
    });
    h.Run([&](FakeForm& main, CMain&) {
        ASSERT_TRUE(h.RunUntil([&] { return main.Ended(); }, 20000));
    });
    EXPECT_EQ(found, std::vector<std::string>{"1 (Factory default value)"});
    EXPECT_EQ(h.prompter.ShownIds(), std::vector<int>{IDS_UNSUPPORTED});
    EXPECT_FALSE(UploadDone(h));
}

TEST(Startup, StoredAndChosenPortsFailingStartsOfflineAfterTheTypePrompt) {
    AppHarness h;
    const std::string dead = h.AddDeadPort("ttyS1");
    h.WriteSettings(AppSettings().Port(dead).Auto(1));
    std::vector<int> messagesBeforeComSelection;
    h.OnModal(kComSelect, [&](FakeForm& form) {
        messagesBeforeComSelection = h.prompter.ShownIds();
        h.ChoosePort(dead)(form);
    });
    std::vector<int> messagesBeforeTypePrompt;
    h.OnModal(kTypeDialog, [&](FakeForm& form) {
        messagesBeforeTypePrompt = h.prompter.ShownIds();
        h.ChooseType(false)(form);
    });
    h.Run([&](FakeForm& main, CMain& window) {
        EXPECT_TRUE(window.PagesCreated());
        EXPECT_EQ(h.ctx.status.linkState, kLinkNoPort);
        h.Advance(10000);
        EXPECT_FALSE(UploadDone(h));
        EXPECT_TRUE(h.CloseMainWindow(main));
    });
    EXPECT_TRUE(messagesBeforeComSelection.empty());  // the failed automatic open is silent
    EXPECT_EQ(messagesBeforeTypePrompt, std::vector<int>{IDS_CANNOT_OPEN_PORT});
    EXPECT_EQ(h.Created(kIdSearch), 0);
    EXPECT_TRUE(h.bus.Log().empty());
}

class TypeFromControllerTest : public ::testing::TestWithParam<int> {};

TEST_P(TypeFromControllerTest, NoPromptAndTheUploadStartsAtOnce) {
    sim::ControllerOptions controller;
    controller.controlType = GetParam();
    AppHarness h({controller});
    h.WriteSettings(AppSettings().Auto(1).SearchAuto(1));
    h.OnModal(kIdSearch, h.ConnectFirstFound());
    h.Run([&](FakeForm& main, CMain&) {
        EXPECT_EQ(h.ctx.trx.currentOp, OP_UPLOAD_ALL);
        ASSERT_TRUE(h.RunUntil([&] { return UploadDone(h); }));
        EXPECT_EQ(h.ctx.status.controlType, GetParam());
        EXPECT_TRUE(h.CloseMainWindow(main));
    });
    EXPECT_EQ(h.Created(kTypeDialog), 0);
}

INSTANTIATE_TEST_SUITE_P(Types, TypeFromControllerTest, ::testing::Values(1, 2),
                         [](const auto& info) {
                             return info.param == 1 ? std::string("StepData")
                                                    : std::string("Pulse");
                         });

TEST(Startup, ControllerWithoutTypeGetsTheChosenTypeWritten) {
    sim::ControllerOptions controller;
    controller.controlType = sim::kTypeUnset;
    AppHarness h({controller});
    h.WriteSettings(AppSettings().Auto(1).SearchAuto(1));
    h.OnModal(kIdSearch, h.ConnectFirstFound());
    h.OnModal(kTypeDialog, [&](FakeForm& form) {
        h.prompter.AnswerYes();
        h.ChooseType(true)(form);
        ASSERT_TRUE(h.RunUntil([&] { return form.Ended(); }));
    });
    h.Run([&](FakeForm& main, CMain&) {
        ASSERT_TRUE(h.RunUntil([&] { return UploadDone(h); }));
        EXPECT_EQ(h.ctx.status.controlType, kControlTypePulse);
        EXPECT_TRUE(h.CloseMainWindow(main));
    });
    EXPECT_EQ(h.prompter.Count(IDS_CONFIRM_TYPE), 1);
    EXPECT_FLOAT_EQ(h.bus.ControllerAt(0).StoredParameter(0, 12), 2.0F);
}

TEST(Startup, PreviousGoesBackToTheComSelectionEvenWithAutomaticConnection) {
    AppHarness h;
    h.WriteSettings(AppSettings().Auto(1));
    int searches = 0;
    h.OnModal(kIdSearch, [&](FakeForm& form) {
        if (++searches == 1) {
            form.Click(4);
        } else {
            h.ConnectFirstFound()(form);
        }
    });
    h.OnModal(kComSelect, h.ChoosePort(h.SimPortPath()));
    h.Run([&](FakeForm& main, CMain&) {
        ASSERT_TRUE(h.RunUntil([&] { return UploadDone(h); }));
        EXPECT_TRUE(h.CloseMainWindow(main));
    });
    EXPECT_EQ(h.Created(kIdSearch), 2);
    EXPECT_EQ(h.Created(kComSelect), 1);
}

TEST(Startup, CancellingTheComSelectionEndsTheProgram) {
    AppHarness h;
    h.WriteSettings(AppSettings().Auto(0));
    h.OnModal(kComSelect, h.CancelDialog());
    EXPECT_EQ(h.RunWithoutMainWindow(), 0);
    EXPECT_EQ(h.Created(kIdSearch), 0);
    EXPECT_EQ(h.Created(kTemplateBasicPage), 0);
}

TEST(Startup, CancellingTheSearchStartsOfflineWithoutController) {
    AppHarness h;
    h.WriteSettings(AppSettings().Auto(1));
    h.OnModal(kIdSearch, [&](FakeForm& form) {
        h.prompter.AnswerYes();
        form.Click(2);
    });
    h.OnModal(kTypeDialog, h.ChooseType(false));
    h.Run([&](FakeForm& main, CMain& window) {
        EXPECT_TRUE(window.PagesCreated());
        EXPECT_EQ(h.ctx.status.linkState, kLinkNoController);
        EXPECT_TRUE(h.CloseMainWindow(main));
    });
    EXPECT_EQ(h.prompter.ShownIds(), std::vector<int>{IDS_ASK_OFFLINE});
    EXPECT_EQ(h.Created(kTypeDialog), 1);
}

// The three forms of the title.
struct TitleCase {
    const char* name;
    bool portOpens;
    bool connects;
    const char* status;  // with %s for the port's name
};

constexpr TitleCase kTitleCases[] = {
    {"NoPort", false, false, "<<Controller not connected>>"},
    {"PortWithoutController", true, false,
     "<<%s / Controller ID not selected / Communication speed19200>>"},
    {"Connected", true, true, "<<%s / Controller ID1 / Communication speed19200>>"},
};

class TitleTest : public ::testing::TestWithParam<TitleCase> {};

TEST_P(TitleTest, StatusPartFollowsPortAndController) {
    const TitleCase& c = GetParam();
    AppHarness h;
    const std::string dead = h.AddDeadPort("ttyS1");
    h.WriteSettings(AppSettings().Port(c.portOpens ? h.SimPortPath() : dead).Auto(1));
    // Which of the dialogs come depends on the case; the title is what is checked.
    h.OnModalIfShown(kComSelect, h.ChoosePort(dead));
    h.OnModalIfShown(kIdSearch, [&](FakeForm& form) {
        if (c.connects) {
            h.ConnectFirstFound()(form);
        } else {
            h.prompter.AnswerYes();
            form.Click(2);
        }
    });
    h.OnModalIfShown(kTypeDialog, h.ChooseType(false));
    std::string title;
    std::string portName;
    h.Run([&](FakeForm& main, CMain&) {
        h.RunUntil([&] { return UploadDone(h); }, 30000);
        title = main.Title();
        portName = h.ctx.status.portName;
        h.CloseMainWindow(main);
    });
    std::string status = c.status;
    if (const auto at = status.find("%s"); at != std::string::npos) {
        status.replace(at, 2, portName);
    }
    EXPECT_EQ(title, "Tavro Motor Controller Configuration Software " + status);
}

INSTANTIATE_TEST_SUITE_P(Forms, TitleTest, ::testing::ValuesIn(kTitleCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Startup, BasicParameterSetupIsShownFirst) {
    AppHarness h;
    h.WriteSettings(AppSettings().Auto(1).SearchAuto(1));
    h.OnModal(kIdSearch, h.ConnectFirstFound());
    h.Run([&](FakeForm& main, CMain& window) {
        EXPECT_EQ(main.ItemCount(CMain::IDC_TABS), 4);
        EXPECT_EQ(main.ItemText(CMain::IDC_TABS, 0), "I/O Setup");
        EXPECT_EQ(main.ItemText(CMain::IDC_TABS, 1), "Basic Parameter Setup");
        EXPECT_EQ(main.ItemText(CMain::IDC_TABS, 2), "Step Data Setup");
        EXPECT_EQ(main.ItemText(CMain::IDC_TABS, 3), "Monitor/Test");
        EXPECT_EQ(main.CurrentItem(CMain::IDC_TABS), kPageBasic);
        EXPECT_EQ(window.ShownPage(), kPageBasic);
        EXPECT_TRUE(h.Form(kTemplateBasicPage)->IsWindowVisible());
        for (const int page : {kTemplateIoPage, kTemplateStepPage, kTemplateDrivePage}) {
            EXPECT_FALSE(h.Form(page)->IsWindowVisible()) << page;
        }
        EXPECT_TRUE(h.CloseMainWindow(main));
    });
}

// "PID.ini" with every value `value`, one section-2 value replaced by `odd`.
std::string PidFile(const std::string& odd) {
    std::string text = "[Tavro Motor Controller Pid Data]\r\n:FormatVersion=1\r\n";
    for (int line = 0; line < 90; ++line) {
        for (int v = 0; v < 12; ++v) {
            const bool replaced = line == 40 && v == 3;
            text += replaced ? odd : std::string("7");
            text += v < 11 ? "," : "\r\n";
        }
    }
    return text;
}

TEST(Startup, PidFileIsReadBeforeTheConnection) {
    AppHarness h;
    h.WritePidFile(PidFile("7"));
    h.WriteSettings(AppSettings().Auto(0));
    int gainFileLoadedAtComSelection = -1;
    h.OnModal(kComSelect, [&](FakeForm& form) {
        gainFileLoadedAtComSelection = h.ctx.status.gainFileLoaded;
        form.Click(2);
    });
    h.Run();
    EXPECT_EQ(gainFileLoadedAtComSelection, 1);
}

TEST(Startup, PidFileWithAnOutOfRangeValueIsIgnoredForTheBuiltInDefaults) {
    AppHarness h;
    h.WritePidFile(PidFile("40000"));
    const std::string dead = h.AddDeadPort("ttyS1");
    h.WriteSettings(AppSettings().Port(dead).Auto(0));
    h.OnModal(kComSelect, h.ChoosePort(dead));
    h.OnModal(kTypeDialog, h.ChooseType(false));
    h.Run([&](FakeForm& main, CMain&) {
        EXPECT_EQ(h.ctx.status.gainFileLoaded, 0);
        // Standard series, stroke 20, vertical.
        ParameterImage& image = h.ctx.image;
        image.SetCell(0, 0, 20.0F, ParameterImage::kEditCopy);
        image.SetCell(0, 1, 2.0F, ParameterImage::kEditCopy);
        image.SetCell(0, 10, 90.0F, ParameterImage::kEditCopy);
        CPidParam(h.ctx).ResetPidToDefaults();
        for (int set = 0; set < 15; ++set) {
            EXPECT_FLOAT_EQ(image.GetCell(2, 12 + 3 * set, ParameterImage::kEditCopy), 149.6F)
                << "PID set " << set + 1;
        }
        h.CloseMainWindow(main);
    });
}

}  // namespace
}  // namespace tavro::test
