#include "shell/ExpertWindows.h"

#include "link/StatusBlock.h"
#include "link/StringIds.h"
#include "ui/PageViews.h"

namespace tavro {

ExpertWindow::ExpertWindow(LinkContext& ctx, const ui::DialogServices& services, int templateId,
                           int titleId)
    : ctx_(ctx), services_(services), templateId_(templateId), titleId_(titleId) {}

ExpertWindow::~ExpertWindow() {
    if (form_) {
        form_->SetListener(nullptr);
    }
}

bool ExpertWindow::Create(ui::Form& parent) {
    form_ = services_.forms.Create(templateId_, &parent, ui::FormKind::kModeless);
    if (!form_) {
        return false;
    }
    form_->SetListener(this);
    form_->SetTitle(services_.Text(titleId_));
    OnCreated();
    return true;
}

void ExpertWindow::Show() {
    if (form_) {
        form_->SetWindowVisible(true);
    }
}

void ExpertWindow::Hide() {
    if (form_) {
        form_->SetWindowVisible(false);
    }
}

bool ExpertWindow::Visible() const {
    return form_ && form_->IsWindowVisible();
}

void ExpertWindow::RequestClose() {
    if (OnCloseRequest()) {
        Hide();
    }
}

bool ExpertWindow::OnCloseRequest() {
    if (onClosed_) {
        onClosed_();
    }
    return true;
}

CommSetupWindow::CommSetupWindow(LinkContext& ctx, const ui::DialogServices& services,
                                 CBinding& binding)
    : ExpertWindow(ctx, services, kTemplateCommSetup, ids::IDS_COMM_SETUP_TITLE),
      binding_(binding) {}

void CommSetupWindow::OnCreated() {
    presenter_ = std::make_unique<CDlgComSetup>(*form_, ctx_, services_, binding_);
    presenter_->Start();
}

void CommSetupWindow::Prepare() {
    if (presenter_) {
        presenter_->Prepare();
    }
}

void CommSetupWindow::ApplyLinkState(LinkState state) {
    if (presenter_) {
        presenter_->ApplyLinkState(state);
    }
}

void CommSetupWindow::OnClicked(ui::ControlId id) {
    if (presenter_) {
        presenter_->OnClicked(id);
    }
}

void CommSetupWindow::OnFocusIn(ui::ControlId id) {
    if (presenter_) {
        presenter_->OnFocusIn(id);
    }
}

void CommSetupWindow::OnFocusOut(ui::ControlId id) {
    if (presenter_) {
        presenter_->OnFocusOut(id);
    }
}

bool CommSetupWindow::OnKeyDown(ui::ControlId id, int key, ui::KeyModifiers mods) {
    return presenter_ && presenter_->OnKeyDown(id, key, mods);
}

bool CommSetupWindow::OnCloseRequest() {
    if (presenter_) {
        presenter_->OnCloseRequest();
    }
    return ExpertWindow::OnCloseRequest();
}

DetailWindow::DetailWindow(LinkContext& ctx, const ui::DialogServices& services, CBinding& binding,
                           ui::FileChooser& chooser)
    : ExpertWindow(ctx, services, kTemplateDetail, ids::IDS_DETAIL_TITLE),
      binding_(binding),
      chooser_(chooser) {}

DetailWindow::~DetailWindow() = default;

void DetailWindow::OnCreated() {
    dialog_ = std::make_unique<CDlgDtl>(
        *form_, ctx_, binding_,
        CDlgDtl::Services{services_.prompter, chooser_, services_.strings, &services_.forms},
        *this);
}

void DetailWindow::Prepare(int pidAccessLevel) {
    if (dialog_) {
        dialog_->Prepare(pidAccessLevel);
    }
}

void DetailWindow::ShowState(int source) {
    if (dialog_) {
        dialog_->ShowState(source);
    }
}

void DetailWindow::ApplyLinkState(LinkState state) {
    if (!dialog_) {
        return;
    }
    dialog_->ApplyLinkState(state);
    if (state != kLinkBusy && ctx_.status.detailOpen == 1) {
        dialog_->ShowState(0);
    }
}

bool DetailWindow::RebuildLists(int copy) {
    return dialog_ ? dialog_->RebuildLists(copy) : false;
}

bool DetailWindow::OnCloseRequest() {
    if (dialog_ && !dialog_->Close()) {
        return false;
    }
    return ExpertWindow::OnCloseRequest();
}

void DetailWindow::EnableMainWindow(bool enable) {
    ctx_.Host().EnableMainWindow(enable);
}

}  // namespace tavro
