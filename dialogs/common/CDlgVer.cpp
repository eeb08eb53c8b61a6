#include "dialogs/common/CDlgVer.h"

#include <array>

#include "dialogs/common/CVersion.h"
#include "link/CTrxData.h"
#include "link/Operations.h"
#include "link/StatusBlock.h"
#include "link/StringIds.h"
#include "ui/Language.h"

namespace tavro::ui {

namespace {

struct FontColourRow {
    ControlId control;
    int fontJapanese;
    int fontOther;
    Colours colours;
};

constexpr std::array kFontColours = {
    FontColourRow{CDlgVer::IDC_SOFTWARE, 12, 14, {16, 2}},
    FontColourRow{CDlgVer::IDC_CONTROLLER, 0, 0, {16, 2}},
    FontColourRow{CDlgVer::IDC_FRAME, 0, 0, {16, 2}},
    FontColourRow{CDlgVer::IDC_INFORMATION, 0, 11, {1, 16}},
};

constexpr Colours kDialogBackground{1, 0};

bool Offline(LinkState linkState) {
    return linkState == kLinkNoController || linkState == kLinkNoPort;
}

}  // namespace

CDlgVer::CDlgVer(LinkContext& ctx, const DialogServices& services, FrontDialogSlot& front,
                 std::function<void()> closeMainWindow)
    : ctx_(ctx),
      services_(services),
      front_(front, *this),
      closeMainWindow_(std::move(closeMainWindow)) {}

CDlgVer::~CDlgVer() {
    if (form_) {
        form_->SetListener(nullptr);
    }
}

int CDlgVer::DoModal(Form* parent) {
    return RunModalDialog(
        services_, form_, kTemplate, parent, *this, [this] { OnInitDialog(); }, &front_);
}

void CDlgVer::OnInitDialog() {
    front_.Register();
    const LinkState linkState = ctx_.status.linkState;
    const Language language = services_.strings.language();
    for (const FontColourRow& row : kFontColours) {
        form_->SetFont(row.control, FontIndexFor(language, row.fontJapanese, row.fontOther));
        form_->SetColours(row.control, row.colours);
    }
    form_->SetWindowColours(kDialogBackground);
    form_->SetTitle(services_.Text(ids::IDS_ABOUT_CAPTION));
    form_->SetText(IDC_DETAILS, services_.Text(ids::IDS_DETAILS));
    form_->SetText(IDC_INITIALIZE, services_.Text(ids::IDS_INITIALIZE));
    form_->SetText(IDC_INFORMATION, services_.Text(ids::IDS_INFORMATION));
    form_->SetText(
        IDC_SOFTWARE,
        FormatPrintf("%s [Ver.%s]", services_.strings.Text(ids::IDS_PROGRAM), CVersion().Text()));
    form_->SetEnabled(IDC_INITIALIZE, linkState == kLinkOnline);
}

void CDlgVer::OnClicked(ControlId id) {
    switch (id) {
        case IDC_DETAILS:
            ShowDetails();
            break;
        case IDC_INITIALIZE:
            Initialize();
            break;
        case IDC_OK:
            form_->EndModal(kIdOk);
            break;
        case kIdCancel:
            form_->EndModal(kIdCancel);
            break;
        default:
            break;
    }
}

void CDlgVer::ShowDetails() {
    const std::string version =
        FormatPrintf("%.2f", static_cast<double>(ctx_.status.controllerVersion));
    if (!Offline(ctx_.status.linkState) && !version.empty()) {
        form_->SetText(IDC_CONTROLLER,
                       services_.strings.Format(ids::IDS_CONTROLLER_VERSION, version));
    } else {
        form_->SetText(IDC_CONTROLLER, services_.Text(ids::IDS_NOT_CONNECTED));
    }
}

void CDlgVer::Initialize() {
    if (!services_.Confirm(ids::IDS_ASK_INITIALIZE)) {
        return;
    }
    form_->SetEnabled(IDC_INITIALIZE, false);
    CTrxData(ctx_).Run(OP_INITIALIZE, 0, 0);
}

void CDlgVer::OnFrontMessage(int message) {
    if (message != WM_OP_COMPLETE || !form_) {
        return;
    }
    services_.Inform(ids::IDS_INITIALIZED);
    form_->EndModal(kIdCancel);
    if (closeMainWindow_) {
        closeMainWindow_();
    }
}

}  // namespace tavro::ui
