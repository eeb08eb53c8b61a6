// The Monitor/Test page on its Qt form, driven against the simulator: servo on, back at the
// origin, an alarm in the box; screenshots in both languages and both control types.

#include <gtest/gtest.h>

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "link/Operations.h"
#include "monitor/CPageDrv.h"
#include "monitor/MonitorHook.h"
#include "tests/qt/PageShots.h"
#include "tests/support/StandInMain.h"
#include "ui/CCtrlBatch.h"
#include "ui/FormPalette.h"
#include "ui/qt/QtForm.h"
#include "ui/qt/QtFormFactory.h"

namespace tavro::test {
namespace {

// The main window's part around the page: the enable table, the forwarders of the link.
class QtDrivePage : public StandInMain {
  public:
    QtDrivePage(Language language, int type)
        : StandInMain(Options(type), language), factory(PageFormOptions(language)) {
        auto owned = factory.CreateFromFile(PageFormFile(kTemplateDrivePage), nullptr,
                                            ui::FormKind::kModeless);
        if (owned == nullptr) {
            ADD_FAILURE() << "the form cannot be built";
            return;
        }
        form = owned.get();
        page = std::make_unique<CPageDrv>(ctx, services, std::move(owned));
    }

    static sim::ControllerOptions Options(int type) {
        sim::ControllerOptions options;
        options.controlType = type;
        return options;
    }

    void Start() {
        Connect();
        const int type = ctx.status.controlType;
        form->SetTitle(strings.Text(700));
        ui::CCtrlBatch::ApplyCaptions(ui::CCtrlBatch::PageRows(), kTemplateDrivePage, *form, type,
                                      strings);
        ui::CCtrlBatch::FillCombos(ui::CCtrlBatch::ComboRows(), kTemplateDrivePage, *form, strings);
        ui::CCtrlBatch::BuildLists(ui::CCtrlBatch::ListRows(), kTemplateDrivePage, *form, type,
                                   strings);
        page->FinishCaptions();
        form->SetWindowVisible(true);
        built = true;
        Run(OP_UPLOAD_ALL);
        Idle();
        ASSERT_EQ(ctx.status.linkState, kLinkOnline);
    }

    // Until the link is idle and the poll has brought the page up to date.
    void Idle() {
        Settle();
        sim.loop.Advance(500);
    }

    ui::Form* View(int /*view*/) override { return nullptr; }  // the page binds no cells
    void SetLinkState(LinkState state) override {
        ctx.status.linkState = state;
        if (!built) {
            return;
        }
        ui::CCtrlBatch::ApplyEnables(ui::CCtrlBatch::PageRows(), kTemplateDrivePage, *form,
                                     LinkIndex(state), ctx.status.controlType);
        if (state != kLinkBusy) {
            page->Refresh();
            if (page->AlarmResetLocked()) {
                form->SetEnabled(CPageDrv::IDC_ALARM_RESET, false);
            }
        }
        page->SetMonitorModeFlag(state == kLinkMonitorMode);
    }
    void ShowStatusLamps(std::uint16_t word, bool monitorPage) override {
        if (monitorPage) {
            page->ShowStatusLamps(word);
        }
    }

    MonitorHook monitor{sim.ctx};
    qt::QtFormFactory factory;
    ui::DialogServices services{factory, prompter, strings};
    std::unique_ptr<CPageDrv> page;
    qt::QtForm* form = nullptr;
    bool built = false;
};

struct ShotCase {
    const char* name;
    Language language;
    int type;
};
constexpr ShotCase kShotCases[] = {
    {"en_steps", Language::kEnglish, sim::kTypeStepData},
    {"ja_steps", Language::kJapanese, sim::kTypeStepData},
    {"en_pulse", Language::kEnglish, sim::kTypePulse},
    {"ja_pulse", Language::kJapanese, sim::kTypePulse},
};

class QtDrivePageTest : public ::testing::TestWithParam<ShotCase> {};

TEST_P(QtDrivePageTest, ServoOnAtTheOriginWithAnAlarm) {
    const ShotCase& c = GetParam();
    QtDrivePage h(c.language, c.type);
    ASSERT_NE(h.page, nullptr);
    ASSERT_NE(h.form, nullptr);
    h.Start();
    h.page->OnClicked(CPageDrv::IDC_SERVO);
    h.Idle();
    ASSERT_EQ(h.page->ServoDisplay(), 1);
    h.page->OnClicked(CPageDrv::IDC_ORIGIN);
    h.Idle();
    ASSERT_NE(h.ctx.status.flags & kFlagOriginDone, 0);
    EXPECT_NE(h.form->Text(1731), "-");
    QWidget& window = *h.form->TopWindow();
    Shot(window, "drivepage_" + std::string(c.name) + "_origin");

    h.sim.Controller().RaiseAlarm(4);
    h.Idle();
    EXPECT_EQ(h.form->Text(CPageDrv::IDC_ALARM_BOX), h.strings.Text(1154));
    EXPECT_EQ(h.form->IsVisible(1710), c.type == sim::kTypePulse);
    const QImage image = Shot(window, "drivepage_" + std::string(c.name) + "_alarm");
    EXPECT_GT(image.width(), 400);
    QWidget* box = h.form->Widget(CPageDrv::IDC_ALARM_BOX);
    ASSERT_NE(box, nullptr);
    const QImage boxImage = box->grab().toImage();
    const ui::PaletteEntry& red = ui::kPalette[14];
    EXPECT_EQ(boxImage.pixelColor(boxImage.width() / 2, boxImage.height() - 4),
              QColor(red.red, red.green, red.blue));
}

INSTANTIATE_TEST_SUITE_P(Pages, QtDrivePageTest, ::testing::ValuesIn(kShotCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavro::test
