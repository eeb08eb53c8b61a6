#include "params/CDlgType.h"

#include "link/CStatusFlg.h"
#include "link/CTrxData.h"
#include "link/Operations.h"
#include "link/StatusBlock.h"
#include "link/StringIds.h"

namespace tavro {

CDlgType::CDlgType(LinkContext& ctx, const ui::DialogServices& services, ui::FrontDialogSlot& front)
    : ctx_(ctx), services_(services), front_(front, *this) {}

CDlgType::~CDlgType() {
    if (form_) {
        form_->SetListener(nullptr);
    }
}

int CDlgType::DoModal(ui::Form* parent) {
    const int result = ui::RunModalDialog(
        services_, form_, kTemplate, parent, *this, [this] { OnInitDialog(); }, &front_);
    return result == ui::kIdOk ? ui::kIdOk : ui::kIdCancel;
}

void CDlgType::OnInitDialog() {
    form_->SetTitle(services_.Text(ids::IDS_TYPE_TITLE));
    form_->SetText(IDC_STEP_TYPE, services_.Text(ids::IDS_STEP_TYPE));
    form_->SetText(IDC_PULSE_TYPE, services_.Text(ids::IDS_PULSE_TYPE));
    form_->SetText(IDC_CANCEL, services_.Text(ids::IDS_CANCEL));
    front_.Register();
    ctx_.status.frontPhase = kFrontTypeDialog;
    SetControlsEnabled(true);
    form_->CheckRadio(IDC_STEP_TYPE, IDC_PULSE_TYPE, IDC_STEP_TYPE);
}

void CDlgType::SetControlsEnabled(bool enabled) {
    controlsEnabled_ = enabled;
    for (const ui::ControlId id : {IDC_STEP_TYPE, IDC_PULSE_TYPE, IDC_OK}) {
        form_->SetEnabled(id, enabled);
    }
}

void CDlgType::OnClicked(ui::ControlId id) {
    if (id == IDC_OK) {
        Ok();
    } else if (id == IDC_CANCEL) {
        Cancel();
    }
}

bool CDlgType::OnCloseRequest() {
    Cancel();
    return false;
}

void CDlgType::Ok() {
    const bool pulse = form_->IsChecked(IDC_PULSE_TYPE);
    const int type = pulse ? kControlTypePulse : kControlTypeStep;
    if (ctx_.status.linkState != kLinkOnline) {
        ctx_.status.controlType = type;
        CStatusFlg(ctx_).ClearTypeFromController();
        form_->EndModal(ui::kIdOk);
        return;
    }
    const std::string name = services_.Text(pulse ? ids::IDS_PULSE_TYPE : ids::IDS_STEP_TYPE);
    if (!services_.prompter.Confirm(ids::IDS_TYPE_CONFIRM,
                                    services_.strings.Format(ids::IDS_TYPE_CONFIRM, name))) {
        return;
    }
    SetControlsEnabled(false);
    CTrxData(ctx_).Run(OP_SET_CONTROL_TYPE, type, 0);
}

void CDlgType::Cancel() {
    if (controlsEnabled_) {
        front_.Clear();
        form_->EndModal(ui::kIdCancel);
        return;
    }
    // A write is running: give it up and let the user choose again.
    SetControlsEnabled(true);
    CTrxData(ctx_).AbortAll();
    ctx_.status.linkState = kLinkOnline;
}

void CDlgType::OnFrontMessage(int message) {
    if (!form_) {
        return;
    }
    if (message == WM_OP_COMPLETE) {
        form_->EndModal(ui::kIdOk);
    } else if (message == WM_OP_NO_CONTROLLER) {
        front_.Clear();
        form_->EndModal(ui::kIdCancel);
    }
}

}  // namespace tavro
