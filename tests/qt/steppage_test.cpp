// The Step Data Setup page and the step browser on Qt forms, filled from the simulator, with
// screenshots in both languages.

#include <gtest/gtest.h>

#include <QWidget>
#include <memory>
#include <string>

#include "link/Operations.h"
#include "stepdata/CDlgRef.h"
#include "stepdata/CPageStp.h"
#include "tests/qt/PageShots.h"
#include "tests/support/StandInMain.h"
#include "ui/CCtrlBatch.h"
#include "ui/Keys.h"
#include "ui/qt/QtForm.h"
#include "ui/qt/QtFormFactory.h"

namespace tavro::test {
namespace {

// The page and the browser on Qt forms with the main window's part played by the test.
class QtStepPage : public StandInMain, public StepPageHost, public BrowserHost {
  public:
    explicit QtStepPage(Language language)
        : StandInMain({}, language), factory(PageFormOptions(language)) {
        pageForm = factory.CreateFromFile(PageFormFile(kTemplateStepPage), nullptr,
                                          ui::FormKind::kModeless);
        browserForm = factory.CreateFromFile(PageFormFile(kTemplateBrowser), nullptr,
                                             ui::FormKind::kModeless);
        if (pageForm == nullptr || browserForm == nullptr) {
            ADD_FAILURE() << "the forms cannot be built";
            return;
        }
        page = std::make_unique<CPageStp>(*pageForm, ctx, binding,
                                          CPageStp::Services{prompter, chooser, strings}, *this);
        browser = std::make_unique<CDlgRef>(*browserForm, ctx, strings, *this);
    }

    // Connects to the simulator, builds the lists, uploads everything and enters the tab.
    void Start() {
        Connect();
        const int type = ctx.status.controlType;
        pageForm->SetTitle(strings.Text(600));
        ui::CCtrlBatch::ApplyCaptions(ui::CCtrlBatch::PageRows(), kTemplateStepPage, *pageForm,
                                      type, strings);
        ui::CCtrlBatch::BuildLists(ui::CCtrlBatch::ListRows(), kTemplateStepPage, *pageForm, type,
                                   strings);
        ui::CCtrlBatch::BuildLists(ui::CCtrlBatch::ListRows(), kTemplateBrowser, *browserForm, type,
                                   strings);
        pageForm->SetWindowVisible(true);
        built = true;
        Run(OP_UPLOAD_ALL);
        Run(OP_STEP_UPLOAD);
        ASSERT_EQ(ctx.status.linkState, kLinkOnline);
        page->Refresh();
    }

    ui::Form* View(int view) override { return view == kViewStep ? pageForm.get() : nullptr; }
    void StoreStepRow(int row) override { page->StoreEditRow(row); }
    void CopyStepListToBrowser(const StepListTexts& texts) override {
        browser->SetListTexts(texts);
    }
    void SetLinkState(LinkState state) override {
        ctx.status.linkState = state;
        if (!built) {
            return;
        }
        ui::CCtrlBatch::ApplyEnables(ui::CCtrlBatch::PageRows(), kTemplateStepPage, *pageForm,
                                     LinkIndex(state), ctx.status.controlType);
        if (state != kLinkBusy) {
            page->Refresh();
        }
    }
    void ShowStepsFromEditCopies() override {
        binding.RedisplayViews(kViewsStepLists, ParameterImage::kEditCopy);
    }
    void EnableMainWindow(bool /*enable*/) override {}
    void SelectBrowsedStep(int /*comboId*/, int /*item*/) override {}

    qt::QtFormFactory factory;
    std::unique_ptr<qt::QtForm> pageForm;
    std::unique_ptr<qt::QtForm> browserForm;
    std::unique_ptr<CPageStp> page;
    std::unique_ptr<CDlgRef> browser;
    bool built = false;
};

class QtStepPageTest : public ::testing::TestWithParam<Language> {};

TEST_P(QtStepPageTest, PageAndBrowserWithAFieldInError) {
    const bool japanese = GetParam() == Language::kJapanese;
    const std::string suffix = japanese ? "ja" : "en";
    QtStepPage h(GetParam());
    ASSERT_NE(h.page, nullptr);
    // Step 2 pushes, so that the thrust field is in use; the target of step 1 is out of range.
    h.sim.Controller().SetParameter(4, kCellOperationWord, 32774.0F);
    h.sim.Controller().SetParameter(4, kCellThrustSetting, 2.5F);
    h.sim.Controller().SetParameter(4, kCellLoadMass, 150.0F);
    h.Start();
    ASSERT_EQ(h.pageForm->ListCell(IDC_STEP_LIST, 1, kColOperation), h.strings.Text(kStrPushing));

    h.pageForm->SetText(IDC_TARGET_POSITION, "25");
    EXPECT_TRUE(h.page->OnKeyDown(IDC_TARGET_POSITION, ui::key::kReturn, {}));
    EXPECT_TRUE(h.prompter.WasShown(kMsgTargetPositionRange));
    EXPECT_EQ(h.pageForm->GetColours(IDC_TARGET_POSITION), (ui::Colours{11, 2}));

    QWidget& window = *h.pageForm->TopWindow();
    const QImage page = Shot(window, ("steppage_" + suffix).c_str());
    EXPECT_GT(page.width(), 400);
    QWidget* target = h.pageForm->Widget(IDC_TARGET_POSITION);
    ASSERT_NE(target, nullptr);
    const QImage field = target->grab().toImage();
    EXPECT_EQ(field.pixelColor(4, field.height() / 2), QColor(255, 255, 0));

    h.browserForm->SetWindowVisible(true);
    h.browser->Show(IDC_NEXT_STEP_CHOICE, 1);
    EXPECT_EQ(h.browserForm->ListRowCount(IDC_BROWSE_LIST), 17);
    Shot(*h.browserForm->TopWindow(), ("browser17_" + suffix).c_str());
    h.browser->Show(IDC_SINGLE_STEP_CHOICE, 3);
    EXPECT_EQ(h.browserForm->ListRowCount(IDC_BROWSE_LIST), 15);
    EXPECT_EQ(h.browserForm->ListSelectedRow(IDC_BROWSE_LIST), 2);
    Shot(*h.browserForm->TopWindow(), ("browser15_" + suffix).c_str());
}

INSTANTIATE_TEST_SUITE_P(Languages, QtStepPageTest,
                         ::testing::Values(Language::kEnglish, Language::kJapanese),
                         [](const auto& info) {
                             return std::string(info.param == Language::kJapanese ? "Japanese"
                                                                                  : "English");
                         });

}  // namespace
}  // namespace tavro::test
