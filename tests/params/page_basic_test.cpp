#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "link/VirtualLoop.h"
#include "params/CPageBsc.h"
#include "tests/params/page_fixture.h"
#include "tests/support/TempDir.h"
#include "ui/FormTypes.h"

namespace tavro::test {
namespace {

constexpr int kSeries = CPageBsc::IDC_SERIES;
constexpr int kStroke = CPageBsc::IDC_STROKE;
constexpr int kStrokeFull = CPageBsc::IDC_STROKE_FULL;
constexpr int kOrientation = CPageBsc::IDC_ORIENTATION;
constexpr int kSetup = CPageBsc::IDC_SETUP;
constexpr int kRetracted = CPageBsc::IDC_ORIGIN_RETRACTED;
constexpr int kSensor = CPageBsc::IDC_ORIGIN_SENSOR;

constexpr int kSeriesNil = 1;
constexpr int kSeriesF = 2;
constexpr int kSeriesM = 3;

constexpr int IDS_NO_PRODUCT = 511;
constexpr int IDS_CONFIRM = 344;
constexpr int IDS_UPDATE_COMPLETE = 345;

constexpr int kFirstStep = 3;
constexpr int kLastStep = 17;

std::vector<std::string> Items(const FakeForm& form, int id) {
    std::vector<std::string> items;
    for (int i = 0; i < form.ItemCount(id); ++i) {
        items.push_back(form.ItemText(id, i));
    }
    return items;
}

class BasicPageTest : public ConnectedProgramTest {
  protected:
    // A standard 20 mm actuator whose step settings differ from every series' defaults, so
    // that a reset of them shows.
    explicit BasicPageTest(sim::ControllerOptions options = {}) : ConnectedProgramTest(options) {
        for (int g = kFirstStep; g <= kLastStep; ++g) {
            Controller().SetParameter(g, 9, 1.2F);
            Controller().SetParameter(g, 10, 123.0F);
            for (int p = 11; p <= 14; ++p) {
                Controller().SetParameter(g, p, 4000.0F);
            }
        }
        Controller().SetParameter(0, 19, 2.5F);
        Controller().SetParameter(0, 20, 50.0F);
    }

    void RunOnPage(const std::function<void(FakeForm& page, CMain& window)>& script) {
        RunConnected([&](FakeForm&, CMain& window) {
            FakeForm& page = *h.Form(kTemplateBasicPage);
            ASSERT_EQ(page.CurrentItem(kSeries), kSeriesNil);
            ASSERT_EQ(page.Text(kStroke), "20");
            script(page, window);
        });
    }

    // Setup confirmed, until the download has ended.
    void SetupConfirmed(FakeForm& page) {
        h.prompter.AnswerYes();
        ASSERT_TRUE(page.Click(kSetup));
        ASSERT_TRUE(Settle());
    }

    // Asked first, and the write reported complete at its end.
    void ExpectCompleted() {
        const std::vector<int> shown = h.prompter.ShownIds();
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.front(), IDS_CONFIRM);
        EXPECT_EQ(shown.back(), IDS_UPDATE_COMPLETE);
    }
};

TEST_F(BasicPageTest, SeriesMOffersOnlyStroke50AndHorizontal) {
    RunOnPage([&](FakeForm& page, CMain& window) {
        ASSERT_TRUE(page.ChooseText(kStroke, "10"));
        EXPECT_EQ(page.Text(kStrokeFull), "10");
        ASSERT_TRUE(page.Choose(kOrientation, 1));

        ASSERT_TRUE(page.Choose(kSeries, kSeriesM));
        EXPECT_EQ(Items(page, kStroke), (std::vector<std::string>{"Select", "50"}));
        EXPECT_EQ(page.CurrentItem(kStroke), 0);
        EXPECT_EQ(page.CurrentItem(kStrokeFull), 0);
        EXPECT_FALSE(window.BasicPage()->StrokeSelected());
        EXPECT_EQ(page.GetColours(kStroke), (ui::Colours{11, 14}));
        EXPECT_EQ(Items(page, kOrientation),
                  (std::vector<std::string>{"Horizontal (0 to 45 degree)"}));
        EXPECT_EQ(page.CurrentItem(kOrientation), 0);
        EXPECT_EQ(page.Picture(CPageBsc::IDC_PICTURE), 144);
    });
}

TEST_F(BasicPageTest, LeavingMKeepsStroke50AndOffersBothOrientations) {
    RunOnPage([&](FakeForm& page, CMain& window) {
        ASSERT_TRUE(page.Choose(kSeries, kSeriesM));
        ASSERT_TRUE(page.ChooseText(kStroke, "50"));
        EXPECT_TRUE(window.BasicPage()->StrokeSelected());
        EXPECT_EQ(page.GetColours(kStroke), (ui::Colours{16, 2}));

        ASSERT_TRUE(page.Choose(kSeries, kSeriesF));
        EXPECT_EQ(page.Text(kStroke), "50");
        EXPECT_EQ(page.Text(kStrokeFull), "50");
        EXPECT_EQ(Items(page, kStroke),
                  (std::vector<std::string>{"Select", "10", "20", "30", "50"}));
        EXPECT_EQ(page.ItemCount(kOrientation), 2);
        EXPECT_EQ(page.CurrentItem(kOrientation), 0);
    });
}

TEST_F(BasicPageTest, SensorOriginIsOnlyOfferedForFAndM) {
    RunOnPage([&](FakeForm& page, CMain&) {
        EXPECT_FALSE(page.IsEnabled(kSensor));
        ASSERT_TRUE(page.Choose(kSeries, kSeriesF));
        ASSERT_TRUE(page.Click(kSensor));
        EXPECT_EQ(page.Picture(CPageBsc::IDC_PICTURE), 150);

        ASSERT_TRUE(page.Choose(kSeries, kSeriesNil));
        EXPECT_FALSE(page.IsEnabled(kSensor));
        EXPECT_EQ(page.CheckedRadio(kRetracted, kSensor), kRetracted);
    });
}

TEST_F(BasicPageTest, SetupRefusesAnIncompleteProductNumber) {
    RunOnPage([&](FakeForm& page, CMain&) {
        ASSERT_TRUE(page.Choose(kSeries, 0));
        EXPECT_EQ(page.GetColours(kSeries), (ui::Colours{11, 14}));
        h.prompter.AnswerYes();
        ASSERT_TRUE(page.Click(kSetup));
        h.Advance(1000);
        EXPECT_EQ(h.prompter.ShownIds(), std::vector<int>{IDS_NO_PRODUCT});
        EXPECT_EQ(h.prompter.Last()->icon, ui::Icon::kExclamation);
        EXPECT_TRUE(CommandsSent(h).empty());
    });
}

TEST_F(BasicPageTest, SetupAnsweredNoSendsNothing) {
    RunOnPage([&](FakeForm& page, CMain&) {
        ASSERT_TRUE(page.Choose(kOrientation, 1));
        h.prompter.AnswerNo();
        ASSERT_TRUE(page.Click(kSetup));
        h.Advance(1000);
        EXPECT_EQ(h.prompter.ShownIds(), std::vector<int>{IDS_CONFIRM});
        EXPECT_TRUE(CommandsSent(h).empty());
    });
}

TEST_F(BasicPageTest, UnchangedSetupReportsCompleteWithoutSending) {
    RunOnPage([&](FakeForm& page, CMain&) {
        SetupConfirmed(page);
        h.Advance(1000);
        EXPECT_EQ(h.prompter.ShownIds(), (std::vector<int>{IDS_CONFIRM, IDS_UPDATE_COMPLETE}));
        EXPECT_EQ(h.prompter.Last()->icon, ui::Icon::kInformation);
        EXPECT_TRUE(CommandsSent(h).empty());
        EXPECT_EQ(h.ctx.status.linkState, kLinkOnline);
    });
}

TEST_F(BasicPageTest, OrientationOnlyResetsPidGainsButNotTheStepDefaults) {
    RunOnPage([&](FakeForm& page, CMain&) {
        ASSERT_TRUE(page.Choose(kOrientation, 1));
        EXPECT_EQ(page.Picture(CPageBsc::IDC_PICTURE), 145);
        SetupConfirmed(page);

        ExpectCompleted();
        EXPECT_FLOAT_EQ(Controller().Parameter(0, 10), 90.0F);
        const std::vector<std::string> writes = ParameterWrites(h);
        const auto pidWrites = std::count_if(writes.begin(), writes.end(), [](const auto& w) {
            return w.rfind("EE 1 ", 0) == 0 || w.rfind("EE 2 ", 0) == 0;
        });
        // Every PID default that differs from the controller's: the return-to-origin gains and
        // set number of group 1 (4 cells) and the 45 gains of group 2. The servo constants
        // (1/1-1/12, 2/0-2/11) were never read and have no default, so none is written.
        EXPECT_EQ(pidWrites, 4 + 45);
        for (int g = kFirstStep; g <= kLastStep; ++g) {
            EXPECT_FLOAT_EQ(Controller().Parameter(g, 9), 1.2F) << g;
            EXPECT_FLOAT_EQ(Controller().Parameter(g, 10), 123.0F) << g;
            EXPECT_FLOAT_EQ(Controller().Parameter(g, 11), 4000.0F) << g;
        }
        EXPECT_FLOAT_EQ(Controller().Parameter(0, 19), 2.5F);
        EXPECT_FLOAT_EQ(Controller().Parameter(0, 20), 50.0F);
    });
}

struct ProductCase {
    const char* name;
    int series;
    const char* stroke;
    float seriesCode;
    float inPositionRange;
};

constexpr ProductCase kProductCases[] = {
    {"F20", kSeriesF, "20", 1.0F, 50.0F},
    {"M50", kSeriesM, "50", 3.0F, 100.0F},
    {"Standard10", kSeriesNil, "10", 2.0F, 300.0F},
};

class BasicProductTest : public BasicPageTest, public ::testing::WithParamInterface<ProductCase> {};

TEST_P(BasicProductTest, ProductChangeWritesTheSeriesDefaultsToEveryStep) {
    const ProductCase& c = GetParam();
    RunOnPage([&](FakeForm& page, CMain&) {
        ASSERT_TRUE(page.Choose(kSeries, c.series));
        ASSERT_TRUE(page.ChooseText(kStroke, c.stroke));
        SetupConfirmed(page);

        ExpectCompleted();
        EXPECT_FLOAT_EQ(Controller().Parameter(0, 1), c.seriesCode);
        EXPECT_FLOAT_EQ(Controller().Parameter(0, 0), static_cast<float>(std::stoi(c.stroke)));
        for (int g = kFirstStep; g <= kLastStep; ++g) {
            EXPECT_FLOAT_EQ(Controller().Parameter(g, 9), 0.7F) << g;
            EXPECT_FLOAT_EQ(Controller().Parameter(g, 10), c.inPositionRange) << g;
            for (int p = 11; p <= 14; ++p) {
                EXPECT_FLOAT_EQ(Controller().Parameter(g, p), 0.0F) << g << "/" << p;
            }
        }
        EXPECT_FLOAT_EQ(Controller().Parameter(0, 19), 2.0F);
        EXPECT_FLOAT_EQ(Controller().Parameter(0, 20), 70.0F);
        // The pages show what the controller now holds.
        EXPECT_EQ(h.Form(kTemplateIoPage)->Text(1440), "0.000");
    });
}

INSTANTIATE_TEST_SUITE_P(Series, BasicProductTest, ::testing::ValuesIn(kProductCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct PulseModeCase {
    const char* name;
    int radio;
    float code;
};

constexpr PulseModeCase kPulseModes[] = {
    {"PulseAndDirection", 1531, 1.0F},
    {"CwAndCcw", 1532, 2.0F},
    {"Quadrature", 1533, 0.0F},
};

sim::ControllerOptions Pulse20() {
    sim::ControllerOptions options;
    options.controlType = sim::kTypePulse;
    return options;
}

class BasicPulseModeTest : public BasicPageTest,
                           public ::testing::WithParamInterface<PulseModeCase> {
  protected:
    BasicPulseModeTest() : BasicPageTest(Pulse20()) {}
};

TEST_P(BasicPulseModeTest, PulseModeIsStoredInItsOwnCell) {
    const PulseModeCase& c = GetParam();
    // Start from another mode, so that every case is a change.
    Controller().SetParameter(0, 13, c.code == 2.0F ? 1.0F : 2.0F);
    RunOnPage([&](FakeForm& page, CMain&) {
        EXPECT_TRUE(page.IsVisible(1533));
        EXPECT_EQ(page.Text(1531), "Pulse and Direction");
        EXPECT_EQ(page.Text(1533), "Quadrature");
        const float inputMethod = Controller().Parameter(0, 2);
        ASSERT_TRUE(page.Click(c.radio));
        EXPECT_EQ(page.Picture(CPageBsc::IDC_PICTURE), 147);
        SetupConfirmed(page);

        EXPECT_FLOAT_EQ(Edit(0, 13), c.code);
        EXPECT_FLOAT_EQ(Controller().Parameter(0, 13), c.code);
        EXPECT_FLOAT_EQ(Controller().Parameter(0, 2), inputMethod);
    });
}

INSTANTIATE_TEST_SUITE_P(Modes, BasicPulseModeTest, ::testing::ValuesIn(kPulseModes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BasicPageTest, StepInputMethodShowsItsIllustrationAndIsStoredIn0_2) {
    RunOnPage([&](FakeForm& page, CMain&) {
        EXPECT_FALSE(page.IsVisible(1533));
        const int other = page.IsChecked(1531) ? 1532 : 1531;
        ASSERT_TRUE(page.Click(other));
        EXPECT_EQ(page.Picture(CPageBsc::IDC_PICTURE), 146);
        SetupConfirmed(page);
        EXPECT_FLOAT_EQ(Controller().Parameter(0, 2), other == 1531 ? 0.0F : 1.0F);
    });
}

TEST_F(BasicPageTest, CommReconnectsOnceTheUploadIsDone) {
    RunOnPage([&](FakeForm& page, CMain& window) {
        window.SetLinkState(kLinkNoController);
        ASSERT_TRUE(page.IsEnabled(CPageBsc::IDC_COMM));
        ASSERT_TRUE(page.Click(CPageBsc::IDC_COMM));
        ASSERT_TRUE(h.RunUntil([&] { return h.ctx.status.linkState == kLinkOnline; }));
        h.Advance(1000);
        // The connection alone: test mode and the product cells, no upload.
        EXPECT_EQ(CommandsSent(h), (std::vector<std::string>{"OE 0 0 0", "MD 1", "EE 0 0", "EE 0 1",
                                                             "EE 0 12", "EE 0 3"}));
        EXPECT_EQ(h.Created(kIdSearchTemplate), 1);  // no new start-up
        EXPECT_TRUE(page.IsEnabled(kSetup));
    });
}

TEST(BasicPageOffline, CommAfterACancelledSearchConnectsAndUploads) {
    AppHarness h;
    h.WriteSettings(AppSettings().Auto(1));
    int searches = 0;
    const AppHarness::Player connect = h.ConnectFirstFound();
    h.OnModal(kIdSearchTemplate, [&](FakeForm& form) {
        if (++searches == 1) {
            h.prompter.AnswerYes();  // go on without a controller
            form.Click(ui::kIdCancel);
        } else {
            connect(form);
        }
    });
    h.OnModal(214, h.ChooseType(false));
    h.Run([&](FakeForm&, CMain&) {
        ASSERT_EQ(h.ctx.status.linkState, kLinkNoController);
        FakeForm& page = *h.Form(kTemplateBasicPage);
        ASSERT_TRUE(page.IsEnabled(CPageBsc::IDC_COMM));
        ASSERT_FALSE(page.IsEnabled(kSetup));
        ASSERT_TRUE(page.Click(CPageBsc::IDC_COMM));
        ASSERT_TRUE(h.RunUntil([&] { return (h.ctx.status.flags & kFlagUploadDone) != 0; }));
        ASSERT_TRUE(h.RunUntil([&] { return h.ctx.status.linkState == kLinkOnline; }));
        EXPECT_EQ(searches, 2);
        EXPECT_EQ(h.Created(kTemplateBasicPage), 1);
        EXPECT_TRUE(page.IsEnabled(kSetup));
        EXPECT_EQ(page.Text(kStroke), "20");
    });
}

// The start-up mode "Comm" chooses before the initial upload, by what the link knows.
struct SessionCase {
    const char* name;
    std::uint8_t flags;
    int controlType;
    int mode;
};

constexpr SessionCase kSessionCases[] = {
    {"NothingKnown", 0, kControlTypeStep, CMain::kSessionFull},
    {"TypeFromController", kFlagTypeFromController, kControlTypeStep, CMain::kSessionBuildOnly},
    {"TypeFlagButUnset", kFlagTypeFromController, kControlTypeUnset, CMain::kSessionFull},
    {"IdentityWithType", kFlagIdentityRead, kControlTypePulse, CMain::kSessionBuildOnly},
    {"IdentityWithoutType", kFlagIdentityRead, kControlTypeUnset, CMain::kSessionFromTypeStep},
};

class RecordingBasicHost : public BasicPageHost {
  public:
    int StartSession(int mode) override {
        modes.push_back(mode);
        return 0;
    }
    void ResetPidToDefaults() override {}
    std::vector<int> modes;
};

class CommSessionTest : public ::testing::TestWithParam<SessionCase> {
  protected:
    VirtualLoop loop;
    TempDir dir;
    LinkContext ctx{loop, dir.Path()};
    RecordingBasicHost host;
};

TEST_P(CommSessionTest, BeforeTheUploadCommRunsTheStartUpFromTheRightStep) {
    const SessionCase& c = GetParam();
    ctx.status.flags = c.flags;
    ctx.status.controlType = c.controlType;
    ctx.status.linkState = kLinkNoController;
    CPageBsc::Comm(ctx, host);
    EXPECT_EQ(host.modes, std::vector<int>{c.mode});
    EXPECT_EQ(ctx.status.linkState, kLinkOnline);
}

INSTANTIATE_TEST_SUITE_P(Modes, CommSessionTest, ::testing::ValuesIn(kSessionCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavro::test
