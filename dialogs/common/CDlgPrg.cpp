#include "dialogs/common/CDlgPrg.h"

#include "link/CTrxData.h"
#include "link/StringIds.h"
#include "ui/Keys.h"

namespace tavro::ui {

CDlgPrg::~CDlgPrg() {
    if (form_) {
        form_->SetListener(nullptr);
    }
}

bool CDlgPrg::Visible() const {
    return form_ && form_->IsWindowVisible();
}

void CDlgPrg::Open(Form* parent) {
    if (form_ && !form_->IsWindowVisible()) {
        form_->SetListener(nullptr);
        form_.reset();
    }
    if (!form_) {
        form_ = services_.forms.Create(kTemplate, parent, FormKind::kModeless);
        if (!form_) {
            return;
        }
        form_->SetListener(this);
        form_->SetTitle(services_.Text(ids::IDS_PROGRESS_CAPTION));
        form_->SetText(IDC_CANCEL, services_.Text(ids::IDS_PROGRESS_CANCEL));
    }
    form_->SetWindowVisible(true);
}

void CDlgPrg::SetProgress(int total, int done) {
    if (!form_) {
        return;
    }
    form_->SetRange(IDC_PROGRESS, 0, total * kQuarters);
    form_->SetPosition(IDC_PROGRESS, done * kQuarters);
}

void CDlgPrg::Step() {
    if (form_) {
        form_->SetPosition(IDC_PROGRESS, form_->Position(IDC_PROGRESS) + 1);
    }
}

void CDlgPrg::Hide() {
    if (form_) {
        form_->SetWindowVisible(false);
    }
}

void CDlgPrg::OnClicked(ControlId id) {
    if (id == IDC_CANCEL) {
        CTrxData(ctx_).CancelByUser();
    }
}

bool CDlgPrg::OnKeyDown(ControlId /*id*/, int key, KeyModifiers /*mods*/) {
    return key == key::kReturn || key == key::kEscape;
}

}  // namespace tavro::ui
