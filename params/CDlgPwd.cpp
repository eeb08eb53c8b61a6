#include "params/CDlgPwd.h"
#include "link/StringIds.h"

#include <string_view>

namespace tavro {

namespace {

// Access codes, compared exactly with the whole text.
constexpr std::string_view kDetailCode = "615";
constexpr std::string_view kDetailPidCode = "kzw";
constexpr std::string_view kCommSetupCode = "vbq";

}  // namespace

CDlgPwd::CDlgPwd(const ui::DialogServices& services, int purpose)
    : services_(services), purpose_(purpose) {}

CDlgPwd::~CDlgPwd() {
    if (form_) {
        form_->SetListener(nullptr);
    }
}

int CDlgPwd::DoModal(ui::Form* parent) {
    const int result = ui::RunModalDialog(services_, form_, kTemplate, parent, *this, [this] {
        form_->SetTitle(services_.Text(ids::IDS_PASSWORD_TITLE));
        form_->SetText(IDC_LABEL, services_.Text(ids::IDS_LABEL));
        form_->SetText(IDC_CANCEL, services_.Text(ids::IDS_PASSWORD_CANCEL));
    });
    return result == ui::kIdOk ? ui::kIdOk : ui::kIdCancel;
}

void CDlgPwd::OnClicked(ui::ControlId id) {
    if (id == IDC_OK) {
        Ok();
    } else if (id == IDC_CANCEL || id == ui::kIdCancel) {
        form_->EndModal(ui::kIdCancel);
    }
}

void CDlgPwd::Ok() {
    const std::string text = form_->Text(IDC_PASSWORD);
    if (purpose_ == kDetailDialog && (text == kDetailCode || text == kDetailPidCode)) {
        pidAccessLevel_ = text == kDetailPidCode ? 1 : 0;
        form_->EndModal(ui::kIdOk);
        return;
    }
    if (purpose_ == kCommSetupDialog && text == kCommSetupCode) {
        form_->EndModal(ui::kIdOk);
        return;
    }
    services_.Warn(ids::IDS_WRONG);
    form_->SetFocus(IDC_PASSWORD);
    form_->SelectAllText(IDC_PASSWORD);
}

}  // namespace tavro
