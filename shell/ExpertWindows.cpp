#include "shell/ExpertWindows.h"

#include <array>

#include "link/Numbers.h"
#include "link/StatusBlock.h"
#include "shell/PageViews.h"
#include "ui/CCtrlBatch.h"

namespace tavro {

namespace {

constexpr int IDS_FACTORY_DEFAULT_ID = 268;
constexpr int kMaxId = 255;

void FillIds(ui::Form& form, ui::ControlId combo, const ui::DialogServices& services) {
    form.ClearItems(combo);
    form.AddItem(combo, services.strings.Format(IDS_FACTORY_DEFAULT_ID, 1));
    for (int id = 2; id <= kMaxId; ++id) {
        form.AddItem(combo, Format("%d", id));
    }
    form.SetCurrentItem(combo, 0);
}

// --- ID/communication setting ---

constexpr std::array kCommCaptions = {
    WindowCaption{1022, 1138}, WindowCaption{1017, 1131}, WindowCaption{1015, 1132},
    WindowCaption{1016, 1133}, WindowCaption{1014, 1134},
};
constexpr int IDS_COMM_TITLE = 1130;

// Controls 1022, 1019, 1020, 1018, 1014 for: check box clear, check box set, link not idle.
constexpr std::array<ui::ControlId, 5> kCommControls = {1022, 1019, 1020, 1018, 1014};
constexpr std::array<std::array<bool, 5>, 3> kCommColumns = {{
    {true, false, false, false, false},
    {true, true, true, true, true},
    {false, false, false, false, false},
}};
constexpr int kColumnClear = 0;
constexpr int kColumnSet = 1;
constexpr int kColumnBusy = 2;

// --- Detail Parameter Setup ---

constexpr int IDS_DETAIL_TITLE = 900;

}  // namespace

ExpertWindow::ExpertWindow(LinkContext& ctx, const ui::DialogServices& services, int templateId,
                           int titleId, std::span<const WindowCaption> captions)
    : ctx_(ctx),
      services_(services),
      templateId_(templateId),
      titleId_(titleId),
      captions_(captions) {}

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
    for (const WindowCaption& caption : captions_) {
        form_->SetText(caption.control, services_.Text(caption.stringId));
    }
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

CommSetupWindow::CommSetupWindow(LinkContext& ctx, const ui::DialogServices& services)
    : ExpertWindow(ctx, services, kTemplateCommSetup, IDS_COMM_TITLE, kCommCaptions) {}

void CommSetupWindow::OnCreated() {
    FillIds(*form_, IDC_ID, services_);
    Prepare();
}

void CommSetupWindow::Prepare() {
    if (!form_) {
        return;
    }
    form_->SetChecked(IDC_CHANGE, false);
    ApplyLinkState(ctx_.status.linkState);
}

void CommSetupWindow::ApplyLinkState(int state) {
    if (!form_) {
        return;
    }
    if (state != kLinkOnline) {
        ApplyColumn(kColumnBusy);
    } else {
        ApplyColumn(form_->IsChecked(IDC_CHANGE) ? kColumnSet : kColumnClear);
    }
}

void CommSetupWindow::ApplyColumn(int column) {
    const auto& enables = kCommColumns[static_cast<std::size_t>(column)];
    for (std::size_t i = 0; i < kCommControls.size(); ++i) {
        form_->SetEnabled(kCommControls[i], enables[i]);
    }
}

void CommSetupWindow::OnClicked(ui::ControlId id) {
    if (id == IDC_CHANGE) {
        ApplyLinkState(ctx_.status.linkState);
    }
}

DetailWindow::DetailWindow(LinkContext& ctx, const ui::DialogServices& services, CBinding& binding,
                           ui::FileChooser& chooser)
    : ExpertWindow(ctx, services, kTemplateDetail, IDS_DETAIL_TITLE, {}),
      binding_(binding),
      chooser_(chooser) {}

DetailWindow::~DetailWindow() = default;

void DetailWindow::OnCreated() {
    dialog_ = std::make_unique<CDlgDtl>(
        *form_, ctx_, binding_, CDlgDtl::Services{services_.prompter, chooser_, services_.strings},
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

void DetailWindow::ApplyLinkState(int state) {
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
