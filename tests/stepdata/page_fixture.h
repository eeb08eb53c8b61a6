#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "link/CEepData.h"
#include "link/Operations.h"
#include "stepdata/CDlgRef.h"
#include "stepdata/CPageStp.h"
#include "tests/support/FakeForm.h"
#include "tests/support/FakeFormFactory.h"
#include "tests/support/KnownMisuse.h"
#include "tests/support/StandInMain.h"
#include "ui/CCtrlBatch.h"

namespace tavro::test {

// What the main window does around the Step page and the browser: it keeps the views for the
// binding engine, stores the link state and refreshes the page after it, routes the link's
// messages to the prompter and records what the browser reports.
class StepPageHarness : public StandInMain, public StepPageHost, public BrowserHost {
  public:
    explicit StepPageHarness(const sim::ControllerOptions& options = {},
                             Language language = Language::kEnglish)
        : StandInMain(options, language),
          mainWindow(factory.Create(kTemplateMain, nullptr, ui::FormKind::kModal)),
          pageOwned(factory.Create(kTemplateStepPage, mainWindow.get(), ui::FormKind::kPage)),
          browserOwned(factory.Create(kTemplateBrowser, mainWindow.get(), ui::FormKind::kModeless)),
          pageForm(static_cast<FakeForm&>(*pageOwned)),
          browserForm(static_cast<FakeForm&>(*browserOwned)) {
        page = std::make_unique<CPageStp>(pageForm, ctx, binding,
                                          CPageStp::Services{prompter, chooser, strings, &factory},
                                          *this);
        browser = std::make_unique<CDlgRef>(browserForm, ctx, strings, *this);
        prompter.StealFocusFrom(&pageForm);
        ExcuseKnownMisuse(factory, ctx.status);
    }

    StepPageHarness(const StepPageHarness&) = delete;
    StepPageHarness& operator=(const StepPageHarness&) = delete;

    // The captions, lists and enables of the main window's start-up for the control type.
    void BuildViews() {
        const int type = ctx.status.controlType;
        ui::CCtrlBatch::ApplyCaptions(ui::CCtrlBatch::PageRows(), kTemplateStepPage, pageForm, type,
                                      strings);
        ui::CCtrlBatch::BuildLists(ui::CCtrlBatch::ListRows(), kTemplateStepPage, pageForm, type,
                                   strings);
        ui::CCtrlBatch::BuildLists(ui::CCtrlBatch::ListRows(), kTemplateBrowser, browserForm, type,
                                   strings);
        page->ResizeList();
        built = true;
    }

    // Start-up without a controller: the views show the image, the link state is 1.
    void StartOffline() {
        BuildViews();
        binding.RedisplayViews(kViewsAll, 0);
        SetLinkState(kLinkNoController);
    }

    // Start-up on the simulated controller: the initial upload and then its step data.
    void StartOnline() {
        Connect();  // the control-signal type decides the lists' rows
        BuildViews();
        binding.RedisplayViews(kViewsAll, 0);
        Run(OP_UPLOAD_ALL);
        Run(OP_STEP_UPLOAD);
        ASSERT_EQ(ctx.status.linkState, kLinkOnline);
    }

    // The tab is entered with `stroke` in the Basic page's stroke field.
    void EnterTab(int stroke = 0) {
        page->SetBasicStroke(stroke);
        page->Refresh();
    }

    float Edit(int step, int cell) {
        return CEepData(ctx).GetCell(StepImageRow(step), cell, ParameterImage::kEditCopy);
    }
    float Controller(int step, int cell) {
        return CEepData(ctx).GetCell(StepImageRow(step), cell, ParameterImage::kControllerCopy);
    }
    std::string Cell(int row, int column) const {
        return pageForm.ListCell(IDC_STEP_LIST, row, column);
    }
    std::vector<std::string> Row(int row) const {
        std::vector<std::string> out;
        for (int c = 0; c < kColumnCount; ++c) {
            out.push_back(Cell(row, c));
        }
        return out;
    }

    // --- BindingHost ---
    ui::Form* View(int view) override { return view == kViewStep ? &pageForm : nullptr; }
    void StoreStepRow(int row) override { page->StoreEditRow(row); }
    void CopyStepListToBrowser(const StepListTexts& texts) override {
        browser->SetListTexts(texts);
    }

    // --- LinkHost ---
    void SetLinkState(LinkState state) override {
        ctx.status.linkState = state;
        linkStates.push_back(state);
        ui::CCtrlBatch::ApplyEnables(ui::CCtrlBatch::PageRows(), kTemplateStepPage, pageForm,
                                     LinkIndex(state), ctx.status.controlType);
        ui::CCtrlBatch::ApplyEnables(ui::CCtrlBatch::AddedPageRows(), kTemplateStepPage, pageForm,
                                     LinkIndex(state), ctx.status.controlType);
        // The pages are built after the connection.
        if (state != kLinkBusy && built) {
            page->Refresh();
        }
    }
    // --- StepPageHost ---
    void ShowStepsFromEditCopies() override {
        ++fileShows;
        binding.RedisplayViews(kViewsStepLists, ParameterImage::kEditCopy);
    }

    // --- BrowserHost ---
    void EnableMainWindow(bool enable) override { mainEnabled = enable; }
    void SelectBrowsedStep(int comboId, int item) override { browsed.emplace_back(comboId, item); }

    // The program's own forms.
    FakeFormFactory factory{TAVRO_FORMS_DIR};
    std::unique_ptr<ui::Form> mainWindow;
    std::unique_ptr<ui::Form> pageOwned;
    std::unique_ptr<ui::Form> browserOwned;
    FakeForm& pageForm;
    FakeForm& browserForm;
    std::unique_ptr<CPageStp> page;
    std::unique_ptr<CDlgRef> browser;

    bool built = false;
    std::vector<LinkState> linkStates;
    int fileShows = 0;
    bool mainEnabled = true;
    std::vector<std::pair<int, int>> browsed;
};

// A fresh harness for each test, the Step page of a step-data controller offline.
class StepPageTest : public ::testing::Test {
  protected:
    StepPageHarness h;
    FakeForm& form = h.pageForm;
    CPageStp& page = *h.page;
};

}  // namespace tavro::test
