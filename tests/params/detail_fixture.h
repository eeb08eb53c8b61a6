#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "detail/CDlgDtl.h"
#include "link/CEepData.h"
#include "link/Operations.h"
#include "tests/support/FakeForm.h"
#include "tests/support/FakeFormFactory.h"
#include "tests/support/StandInMain.h"
#include "ui/CCtrlBatch.h"
#include "ui/PageViews.h"

namespace tavro::test {

// What the main window does around the Detail Parameter Setup dialog: it keeps the view for
// the binding engine, rebuilds the dialog's lists, stores the link state and shows the
// controller's values again after every state but busy while the dialog is open.
class DetailHarness : public StandInMain, public DetailHost {
  public:
    explicit DetailHarness(const sim::ControllerOptions& options = {},
                           Language language = Language::kEnglish)
        : StandInMain(options, language),
          owned(factory.Create(kTemplateDetail, nullptr, ui::FormKind::kModeless)),
          form(static_cast<FakeForm&>(*owned)) {
        dialog = std::make_unique<CDlgDtl>(
            form, ctx, binding, CDlgDtl::Services{prompter, chooser, strings, &factory}, *this);
        prompter.StealFocusFrom(&form);
    }

    DetailHarness(const DetailHarness&) = delete;
    DetailHarness& operator=(const DetailHarness&) = delete;

    void BuildLists() {
        ui::CCtrlBatch::BuildLists(ui::CCtrlBatch::ListRows(), kTemplateDetail, form,
                                   ctx.status.controlType, strings);
    }

    // Without a controller: the dialog opened on the image as it stands.
    void OpenOffline(int pidLevel = 1) {
        BuildLists();
        SetLinkState(kLinkNoController);
        Open(pidLevel);
    }

    // On the simulated controller: connected, everything read, the dialog opened and its
    // own upload finished.
    void OpenOnline(int pidLevel = 1) {
        Connect();
        BuildLists();
        Run(OP_UPLOAD_ALL);
        Open(pidLevel);
        Settle();
        ASSERT_EQ(ctx.status.linkState, kLinkOnline);
        prompter.Clear();
    }

    void Open(int pidLevel) {
        dialog->Prepare(pidLevel);
        ctx.status.detailOpen = 1;
        dialog->ShowState(0);
        form.SetWindowVisible(true);
    }

    float Edit(int group, int parameter) {
        return CEepData(ctx).GetCell(group, parameter, ParameterImage::kEditCopy);
    }
    float Controller(int group, int parameter) {
        return CEepData(ctx).GetCell(group, parameter, ParameterImage::kControllerCopy);
    }
    std::size_t Requests(const std::string& code) const { return sim.bus.Requests(code).size(); }

    // --- BindingHost ---
    ui::Form* View(int view) override { return view == kViewDetail ? &form : nullptr; }
    bool RebuildDetailLists(int copy) override { return dialog && dialog->RebuildLists(copy); }

    // --- LinkHost ---
    void SetLinkState(LinkState state) override {
        ctx.status.linkState = state;
        linkStates.push_back(state);
        if (dialog) {
            dialog->ApplyLinkState(state);
            if (state != kLinkBusy && ctx.status.detailOpen == 1) {
                dialog->ShowState(0);
            }
        }
    }
    // --- DetailHost and the main window ---
    void EnableMainWindow(bool enable) override { mainEnabled = enable; }

    FakeFormFactory factory{TAVRO_FORMS_DIR};
    std::unique_ptr<ui::Form> owned;
    FakeForm& form;
    std::unique_ptr<CDlgDtl> dialog;

    std::vector<LinkState> linkStates;
    bool mainEnabled = false;
};

}  // namespace tavro::test
