#include "dialogs/connect/CDlgComSetup.h"

#include <cmath>
#include <cstddef>

#include "link/CEepData.h"
#include "link/CTrxData.h"
#include "link/Numbers.h"
#include "link/Operations.h"
#include "link/StatusBlock.h"
#include "link/StringIds.h"
#include "ui/Keys.h"

namespace tavro {

namespace {

struct Caption {
    ui::ControlId control;
    int stringId;
};
constexpr std::array kCaptions = {
    Caption{1022, 1138}, Caption{1017, 1131}, Caption{1015, 1132},
    Caption{1016, 1133}, Caption{1014, 1134},
};

constexpr int kMaxId = 255;
constexpr int kFontSmall = 1;

// The delay in tenths of a millisecond: 0.1 to 10.2 ms.
constexpr int kDelayMinTenths = 1;
constexpr int kDelayMaxTenths = 102;
constexpr double kDelayHelpMin = 0.1;
constexpr double kDelayHelpMax = 10.2;

constexpr int kSpeedCell = 22;

// Controls 1022, 1019, 1020, 1018, 1014 for: check box clear, check box set, link not idle.
constexpr std::array<ui::ControlId, 5> kControls = {1022, 1019, 1020, 1018, 1014};
constexpr std::array<std::array<bool, 5>, 3> kColumns = {{
    {true, false, false, false, false},
    {true, true, true, true, true},
    {false, false, false, false, false},
}};
constexpr int kColumnClear = 0;
constexpr int kColumnSet = 1;
constexpr int kColumnBusy = 2;

constexpr ui::Colours kEditColours{16, 2};
constexpr ui::Colours kErrorColours{11, 2};

}  // namespace

CDlgComSetup::CDlgComSetup(ui::Form& form, LinkContext& ctx, const ui::DialogServices& services,
                           CBinding& binding)
    : form_(form), ctx_(ctx), services_(services), binding_(binding) {}

void CDlgComSetup::Start() {
    form_.SetTitle(services_.Text(ids::IDS_COMM_SETUP_TITLE));
    for (const Caption& c : kCaptions) {
        form_.SetText(c.control, services_.Text(c.stringId));
    }
    form_.SetFont(IDC_HELP, kFontSmall);
    form_.ClearItems(IDC_ID);
    form_.AddItem(IDC_ID, services_.strings.Format(ids::IDS_FACTORY_DEFAULT_ID, 1));
    for (int id = 2; id <= kMaxId; ++id) {
        form_.AddItem(IDC_ID, Format("%d", id));
    }
    form_.SetCurrentItem(IDC_ID, 0);
    form_.SetChecked(IDC_CHANGE, false);
    ApplyColumn(kColumnClear);
}

void CDlgComSetup::Prepare() {
    rangeError_ = false;
    closed_ = false;
    form_.SetColours(IDC_DELAY, kEditColours);
    form_.SetText(IDC_HELP, "");
    form_.SetChecked(IDC_CHANGE, false);
    ApplyLinkState(ctx_.status.linkState);
}

void CDlgComSetup::ApplyLinkState(LinkState state) {
    if (state != kLinkOnline) {
        ApplyColumn(kColumnBusy);
    } else {
        ApplyColumn(form_.IsChecked(IDC_CHANGE) ? kColumnSet : kColumnClear);
    }
}

void CDlgComSetup::ApplyColumn(int column) {
    const auto& enables = kColumns[static_cast<std::size_t>(column)];
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        form_.SetEnabled(kControls[i], enables[i]);
    }
}

void CDlgComSetup::OnClicked(ui::ControlId id) {
    if (id == IDC_CHANGE) {
        ApplyLinkState(ctx_.status.linkState);
    } else if (id == IDC_SETUP) {
        Setup();
    }
}

void CDlgComSetup::OnFocusIn(ui::ControlId id) {
    switch (id) {
        case IDC_ID:
            form_.SetText(IDC_HELP, services_.Text(ids::IDS_HELP_ID));
            break;
        case IDC_SPEED:
            form_.SetText(IDC_HELP, services_.Text(ids::IDS_HELP_SPEED));
            break;
        case IDC_DELAY:
            form_.SetText(IDC_HELP, services_.strings.Format(ids::IDS_HELP_DELAY, kDelayHelpMin,
                                                             kDelayHelpMax));
            form_.SelectAllText(IDC_DELAY);
            break;
        default:
            form_.SetText(IDC_HELP, "");
            break;
    }
}

void CDlgComSetup::OnFocusOut(ui::ControlId id) {
    if (id == IDC_DELAY) {
        CheckDelay();
    }
}

bool CDlgComSetup::CheckDelay() {
    if (checking_) {
        return !rangeError_;
    }
    checking_ = true;
    const int tenths = TruncToInt(std::round(Atof(form_.Text(IDC_DELAY)) * 10.0));
    form_.SetText(IDC_DELAY, Format("%.1f", static_cast<double>(tenths) / 10.0));
    rangeError_ = tenths < kDelayMinTenths || tenths > kDelayMaxTenths;
    form_.SetColours(IDC_DELAY, rangeError_ ? kErrorColours : kEditColours);
    if (rangeError_) {
        form_.SetFocus(IDC_DELAY);
        services_.Warn(ids::IDS_DELAY_RANGE);
    }
    checking_ = false;
    return !rangeError_;
}

bool CDlgComSetup::OnKeyDown(ui::ControlId /*id*/, int key, ui::KeyModifiers /*mods*/) {
    // Neither key ends the window nor presses Setup.
    return key == ui::key::kReturn || key == ui::key::kEscape;
}

bool CDlgComSetup::OnCloseRequest() {
    closed_ = true;
    return true;
}

void CDlgComSetup::Setup() {
    // A delay the controller cannot take would be written and stored. Leaving the field for
    // the button has just shown why.
    if (rangeError_) {
        form_.SetFocus(IDC_DELAY);
        return;
    }
    if (!services_.Confirm(ids::IDS_CONFIRM_DOWNLOAD)) {
        return;
    }
    if (!binding_.CollectView(kViewCommSetup, kNoList, 0)) {
        services_.Inform(ids::IDS_UPDATE_COMPLETE);
        return;
    }
    const bool speedChanged = CEepData(ctx_).IsModified(0, kSpeedCell);
    CTrxData(ctx_).Run(OP_COMM_SETUP, speedChanged ? 1 : 0, 0);
}

}  // namespace tavro
