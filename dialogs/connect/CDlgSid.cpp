#include "dialogs/connect/CDlgSid.h"

#include <algorithm>
#include <array>

#include "link/CIniRw.h"
#include "link/CStatusFlg.h"
#include "link/CTrxData.h"
#include "link/LinkHost.h"
#include "link/Numbers.h"
#include "link/OperationParams.h"
#include "link/Operations.h"
#include "link/StringIds.h"
#include "ui/CCtrlBatch.h"
#include "ui/Keys.h"

namespace tavro {

namespace {

// Which controls each dialog state enables.
struct StateRow {
    bool range;  // 1146, 1148 and the quick search box
    bool start;
    bool autoSearch;
    bool found;
    bool connect;
    bool cancel;
    bool previous;
};

constexpr std::array<StateRow, 5> kStates = {{
    {true, true, true, false, false, true, true},      // ready
    {false, false, false, false, false, true, false},  // searching
    {true, true, true, true, true, true, true},        // IDs found
    {true, true, true, false, false, true, true},      // nothing found
    {false, false, false, false, false, true, true},   // connecting
}};

}  // namespace

CDlgSid::CDlgSid(LinkContext& ctx, const ui::DialogServices& services, ui::FrontDialogSlot& front,
                 int speed)
    : ctx_(ctx), services_(services), front_(front, *this), speed_(speed) {}

CDlgSid::~CDlgSid() {
    if (form_) {
        form_->SetListener(nullptr);
    }
}

int CDlgSid::DoModal(ui::Form* parent) {
    return ui::RunModalDialog(
        services_, form_, kTemplate, parent, *this, [this] { OnInitDialog(); }, &front_);
}

void CDlgSid::OnInitDialog() {
    front_.Register();
    ctx_.status.frontPhase = kFrontIdSearch;
    CIniRw ini(ctx_);
    form_->SetChecked(IDC_AUTO_SEARCH, ini.GetSlvAuto() != 0);
    quickStored_ = ini.GetSlvQuick() != 0;
    form_->SetChecked(IDC_QUICK_SEARCH, quickStored_);
    for (const ui::ControlId combo : {IDC_FIRST_ID, IDC_LAST_ID}) {
        form_->ClearItems(combo);
        for (int id = kMinId; id <= kMaxId; ++id) {
            form_->AddItem(combo, Format("%d", id));
        }
    }
    lastRange_ = ini.GetSlvRange();
    form_->SetCurrentItem(
        IDC_FIRST_ID, form_->FindItem(IDC_FIRST_ID, Format("%d", UnpackIdRange(lastRange_).first)));
    form_->SetCurrentItem(
        IDC_LAST_ID, form_->FindItem(IDC_LAST_ID, Format("%d", UnpackIdRange(lastRange_).last)));
    form_->ClearItems(IDC_FOUND);
    form_->AddItem(IDC_FOUND, services_.strings.Text(ids::IDS_SEARCH_FIRST));
    form_->SetCurrentItem(IDC_FOUND, 0);

    ui::CCtrlBatch::ApplyCaptions(ui::CCtrlBatch::IdSearchTable(), *form_, ctx_.status.controlType,
                                  services_.strings);
    form_->SetText(IDC_SPEED_INFO, services_.strings.Format(ids::IDS_SPEED_INFO, speed_));
    form_->SetText(IDC_PREVIOUS, services_.strings.Text(ids::IDS_PREVIOUS));
    form_->SetText(IDC_CANCEL, services_.strings.Text(ids::IDS_CANCEL));
    SetState(kReady);
    ShowSearchProgress(0, 0);
    if (form_->IsChecked(IDC_AUTO_SEARCH)) {
        StartSearch();
    }
}

void CDlgSid::SetState(int state) {
    state_ = state;
    const StateRow& row = kStates[static_cast<std::size_t>(std::clamp(state, 0, 4))];
    form_->SetEnabled(IDC_FIRST_ID, row.range);
    form_->SetEnabled(IDC_LAST_ID, row.range);
    form_->SetEnabled(IDC_QUICK_SEARCH, row.range);
    form_->SetEnabled(IDC_START, row.start);
    form_->SetEnabled(IDC_AUTO_SEARCH, row.autoSearch);
    form_->SetEnabled(IDC_FOUND, row.found);
    form_->SetEnabled(IDC_CONNECT, row.connect);
    form_->SetEnabled(IDC_CANCEL, row.cancel);
    form_->SetEnabled(IDC_PREVIOUS, row.previous);
    form_->SetText(IDC_START, services_.strings.Text(state == kSearching ? ids::IDS_SEARCHING
                                                                         : ids::IDS_START_SEARCH));
}

void CDlgSid::ShowSearchProgress(int checked, int total) {
    if (!form_) {
        return;
    }
    if (total > 0) {
        form_->SetText(IDC_CHECKED, services_.strings.Format(ids::IDS_CHECKED, checked, total));
        form_->SetVisible(IDC_CHECKED, true);
        form_->SetVisible(IDC_CHOOSE_NOTE, false);
        form_->SetRange(IDC_PROGRESS, 0, total * kQuarters);
        form_->SetPosition(IDC_PROGRESS, checked * kQuarters);
    } else {
        form_->SetVisible(IDC_CHECKED, false);
        form_->SetRange(IDC_PROGRESS, 0, kQuarters);
        form_->SetPosition(IDC_PROGRESS, 0);
    }
}

void CDlgSid::ShowFoundIds(const std::vector<int>& ids) {
    if (!form_) {
        return;
    }
    SetState(kFound);
    found_ = ids;
    const std::string factoryFormat(services_.strings.Text(ids::IDS_FACTORY_DEFAULT_ID));
    form_->ClearItems(IDC_FOUND);
    for (const int id : found_) {
        form_->AddItem(IDC_FOUND, FoundIdCaption(id, factoryFormat));
    }
    form_->SetVisible(IDC_CHECKED, false);
    form_->SetVisible(IDC_CHOOSE_NOTE, true);
    form_->SetCurrentItem(IDC_FOUND, 0);
}

void CDlgSid::StepSearchProgress() {
    if (form_) {
        form_->SetPosition(IDC_PROGRESS, form_->Position(IDC_PROGRESS) + 1);
    }
}

void CDlgSid::OnClicked(ui::ControlId id) {
    switch (id) {
        case IDC_START:
            StartSearch();
            break;
        case IDC_CONNECT:
            Connect();
            break;
        case IDC_PREVIOUS:
            form_->EndModal(kPrevious);
            break;
        case IDC_CANCEL:
            Cancel();
            break;
        default:
            break;
    }
}

void CDlgSid::OnFocusOut(ui::ControlId id) {
    if (id == IDC_FIRST_ID || id == IDC_LAST_ID) {
        ClampRangeField(id);
    }
}

void CDlgSid::ClampRangeField(ui::ControlId id) {
    const int value = std::clamp(Atoi(form_->Text(id)), kMinId, kMaxId);
    form_->SetText(id, Format("%d", value));
}

bool CDlgSid::OnKeyDown(ui::ControlId /*id*/, int key, ui::KeyModifiers /*mods*/) {
    if (key == ui::key::kReturn) {
        return true;
    }
    if (key == ui::key::kCancel) {
        Cancel();
        return true;
    }
    return false;
}

bool CDlgSid::OnCloseRequest() {
    Cancel();
    return false;
}

void CDlgSid::StartSearch() {
    SetState(kSearching);
    const int first = Atoi(form_->Text(IDC_FIRST_ID));
    const int last = Atoi(form_->Text(IDC_LAST_ID));
    if (last < first) {
        const std::string firstText = form_->Text(IDC_FIRST_ID);
        form_->SetText(IDC_FIRST_ID, form_->Text(IDC_LAST_ID));
        form_->SetText(IDC_LAST_ID, firstText);
    }
    lastRange_ = PackIdRange({Atoi(form_->Text(IDC_FIRST_ID)), Atoi(form_->Text(IDC_LAST_ID))});
    const int mode = form_->IsChecked(IDC_QUICK_SEARCH) ? kSearchQuick : 0;
    CTrxData(ctx_).Run(OP_SEARCH, lastRange_ | mode, 0);
}

void CDlgSid::Connect() {
    const int index = form_->CurrentItem(IDC_FOUND);
    if (index < 0 || static_cast<std::size_t>(index) >= found_.size()) {
        return;
    }
    ctx_.status.controllerId = found_[static_cast<std::size_t>(index)];
    SetState(kConnecting);
    ctx_.status.linkState = kLinkOnline;
    CIniRw ini(ctx_);
    ini.SetSlvAuto(form_->IsChecked(IDC_AUTO_SEARCH) ? 1 : 0);
    ini.SetSlvRange(lastRange_);
    if (const bool quick = form_->IsChecked(IDC_QUICK_SEARCH); quick != quickStored_) {
        ini.SetSlvQuick(quick ? 1 : 0);
        quickStored_ = quick;
    }
    CTrxData(ctx_).Run(OP_CONNECT, 0, 0);
}

void CDlgSid::Cancel() {
    if (state_ == kSearching) {
        SetState(kReady);
        ShowSearchProgress(0, 0);
        CTrxData(ctx_).CancelByUser();
        return;
    }
    if (!services_.Confirm(ids::IDS_ASK_OFFLINE)) {
        return;
    }
    CStatusFlg(ctx_).SetOffline();
    CTrxData(ctx_).CancelByUser();
    form_->EndModal(kOffline);
}

void CDlgSid::OnFrontMessage(int message) {
    if (!form_) {
        return;
    }
    switch (message) {
        case WM_OP_COMPLETE:
            form_->EndModal(kConnected);
            break;
        case WM_OP_NO_CONTROLLER:
            services_.Warn(ids::IDS_NO_CONTROLLER);
            SetState(kNothingFound);
            CIniRw(ctx_).SetAuto(0);
            break;
        case WM_SEARCH_ABORT:
            CStatusFlg(ctx_).SetOffline();
            CTrxData(ctx_).CancelByUser();
            form_->EndModal(kOffline);
            break;
        default:
            break;
    }
}

}  // namespace tavro
