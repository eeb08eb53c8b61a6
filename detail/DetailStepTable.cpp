// The Detail Parameter Setup dialog's step table: list 1872 and its edit row.

#include <algorithm>

#include "detail/CDlgDtl.h"
#include "link/CStatusFlg.h"
#include "link/Numbers.h"
#include "link/StringIds.h"
#include "stepdata/CListCtrlApi.h"
#include "ui/Keys.h"

namespace tavro {

namespace {

constexpr int kEdit = ParameterImage::kEditCopy;

std::string Millimetres(int microns) {
    return Format("%.3f", static_cast<double>(microns) / 1000.0);
}

// The two edits of one area and the list column they feed.
struct AreaPair {
    ui::ControlId first;
    ui::ControlId second;
    int column;
};

constexpr std::array<AreaPair, 2> kAreas{{
    {IDC_DTL_AREA_A1, IDC_DTL_AREA_A2, kColAreaA},
    {IDC_DTL_AREA_B1, IDC_DTL_AREA_B2, kColAreaB},
}};

}  // namespace

void CDlgDtl::ShowStepRow(int row) {
    const int steps = StepCount(ctx_.status.controlType);
    if (row < 0 || row >= steps) {
        return;
    }
    binding_.DisplayView(kViewDetail, IDC_DTL_STEP_LIST, row, kEdit);
    form_.SetText(IDC_DTL_STEP_NUMBER, form_.ListCell(IDC_DTL_STEP_LIST, row, kColNumber));
    stepShown_ = row;
    form_.ListSelectRow(IDC_DTL_STEP_LIST, row);
    ApplyStepRowEnables();
    SetTargetMinimum();
    // Shown as the controller holds them, off the spin's grid or not.
    for (const SpinRow& s : kDetailSpins) {
        form_.SetPosition(s.spin, SnapMicrons(Atof(form_.Text(s.edit)), 0));
    }
    ColourStepList();
}

void CDlgDtl::CommitStepRow(int row) {
    const int steps = StepCount(ctx_.status.controlType);
    if (row < 0 || row >= steps || row >= form_.ListRowCount(IDC_DTL_STEP_LIST)) {
        return;
    }
    Steps().StoreCells(IDC_DTL_STEP_LIST, row);
    const std::string separator(strings_.Text(ids::IDS_DTL_AREA_SEPARATOR));
    for (const AreaPair& area : kAreas) {
        const double first = Atof(form_.Text(area.first));
        const double second = Atof(form_.Text(area.second));
        // Only an area the user entered is put in order; a reversed one the controller
        // holds stays as it is.
        const bool entered = !binding_.Untouched(kViewDetail, IDC_DTL_STEP_LIST, row, area.first) ||
                             !binding_.Untouched(kViewDetail, IDC_DTL_STEP_LIST, row, area.second);
        if (entered && second < first) {
            form_.SetText(area.first, Format("%.3f", second));
            form_.SetText(area.second, Format("%.3f", first));
        }
        form_.ListSetCell(IDC_DTL_STEP_LIST, row, area.column, JoinArea(first, second, separator));
    }
    binding_.CollectView(kViewDetail, IDC_DTL_STEP_LIST, row);
    Steps().ColourRow(IDC_DTL_STEP_LIST, row, kDetailColumnEnables);
}

void CDlgDtl::CommitAllRows() {
    CommitStepRow(stepShown_);
    ShowStepRow(0);
    pid_.ShowGainRow(0);
    pid_.ShowAssignmentRow(0);
}

bool CDlgDtl::CheckStepRow() {
    const StepLimits limits{limits_.stroke, limits_.maxThrust};
    const bool failed =
        Steps().ValidateEditRow(IDC_DTL_STEP_LIST, stepShown_, limits, stepErrors_, prompter_);
    ApplyFieldColours();
    return !failed;
}

void CDlgDtl::SelectStepRow(int row, int column) {
    if (otherError_) {
        form_.ListSelectRow(IDC_DTL_STEP_LIST, stepShown_);
        return;
    }
    if (!CheckStepRow()) {
        return;
    }
    CommitStepRow(stepShown_);
    ShowStepRow(row);
    FocusField(Steps().FieldForColumn(Pushing(), column));
}

void CDlgDtl::ApplyStepRowEnables() {
    const int index = InputIndex();
    const bool pushing = Pushing();
    const ui::ControlId focus = form_.FocusedControl();
    bool lostFocus = false;
    for (const EditRowEntry& e : kDetailEditRow) {
        bool enabled = !Busy() && e.byIndex[static_cast<std::size_t>(index)];
        if (index != kInputPulse) {
            enabled = enabled && (pushing ? e.pushing : e.positioning);
        }
        form_.SetEnabled(e.control, enabled);
        lostFocus = lostFocus || (!enabled && e.control == focus);
    }
    for (const SpinRow& s : kDetailSpins) {
        form_.SetEnabled(s.spin, form_.IsEnabled(s.edit));
    }
    UpdateGetPosition();
    ApplyFieldColours();
    if (lostFocus) {
        FocusField(Steps().FirstEnabledField(pushing));
    }
}

void CDlgDtl::UpdateGetPosition() {
    const int index = InputIndex();
    form_.SetEnabled(IDC_DTL_GET_POSITION, form_.IsChecked(IDC_DTL_ABSOLUTE) &&
                                               index != kInputPulse &&
                                               ctx_.status.linkState == kLinkOnline);
}

void CDlgDtl::SetTargetMinimum() {
    limits_.targetMinimum =
        form_.IsChecked(IDC_DTL_RELATIVE) ? -static_cast<float>(limits_.stroke) : 0.0F;
}

void CDlgDtl::SetUpSpins() {
    spins_ = SpinSetupFor(seriesSelected_ && strokeSelected_, limits_);
    for (std::size_t i = 0; i < kDetailSpins.size(); ++i) {
        const ui::ControlId spin = kDetailSpins[i].spin;
        form_.SetRange(spin, spins_.lower, std::max(spins_.lower, spins_.upper[i]));
        form_.SetStep(spin, std::max(1, spins_.step));
        form_.SetPosition(spin, 0);
    }
}

void CDlgDtl::SnapSpinField(std::size_t spin) {
    const SpinRow& s = kDetailSpins[spin];
    if (binding_.Untouched(kViewDetail, IDC_DTL_STEP_LIST, stepShown_, s.edit)) {
        return;
    }
    const int v = SnapMicrons(Atof(form_.Text(s.edit)), spins_.step);
    form_.SetText(s.edit, Millimetres(v));
    form_.SetPosition(s.spin, v);
}

void CDlgDtl::SpinField(std::size_t spin, int delta) {
    const SpinRow& s = kDetailSpins[spin];
    const int v =
        SpinMicrons(Atof(form_.Text(s.edit)), delta, spins_.lower, spins_.upper[spin], spins_.step);
    form_.SetText(s.edit, Millimetres(v));
    form_.SetPosition(s.spin, v);
}

void CDlgDtl::SetSeriesDefaults(int code) {
    const std::size_t series = static_cast<std::size_t>(std::clamp(code, 0, 3));
    spins_.step = 1;
    const int steps = StepCount(ctx_.status.controlType);
    for (int n = 0; n < steps; ++n) {
        ShowStepRow(n);
        form_.SetText(IDC_DTL_IN_POSITION, Millimetres(kDetailSpins[0].defaultUpper[series]));
        for (const ui::ControlId area :
             {IDC_DTL_AREA_A1, IDC_DTL_AREA_A2, IDC_DTL_AREA_B1, IDC_DTL_AREA_B2}) {
            form_.SetText(area, Millimetres(0));
        }
        CommitStepRow(n);
    }
    // The spins take the new series' step: the old one would snap what is entered next to
    // the old grid.
    SetUpSpins();
    ShowStepRow(0);
}

void CDlgDtl::ColourStepList() {
    Steps().ColourList(IDC_DTL_STEP_LIST, kDetailColumnEnables);
}

void CDlgDtl::FocusField(ui::ControlId id) {
    form_.SetFocus(id);
    ShowHelp(id);
}

void CDlgDtl::Cut() {
    const CListStp steps = Steps();
    steps.CopyEditRow(clipboard_);
    steps.ClearEditRow();
    SetTargetMinimum();
    ApplyStepRowEnables();
    FocusField(MainField());
}

void CDlgDtl::Copy() {
    Steps().CopyEditRow(clipboard_);
    FocusField(MainField());
}

void CDlgDtl::Paste() {
    Steps().PasteEditRow(clipboard_);
    SetTargetMinimum();
    ApplyStepRowEnables();
    FocusField(MainField());
}

void CDlgDtl::GetPosition() {
    CStatusFlg status(ctx_);
    if (!status.IsOriginDone()) {
        prompter_.Warn(ids::IDS_DTL_NO_ORIGIN, Text(ids::IDS_DTL_NO_ORIGIN));
        return;
    }
    form_.SetText(IDC_DTL_TARGET, Format("%.3f", static_cast<double>(status.GetPosition(1))));
}

bool CDlgDtl::StepKey(ui::ControlId id, int key) {
    switch (key) {
        case ui::key::kReturn:
        case ui::key::kDown:
        case ui::key::kPageDown:
        case ui::key::kUp: {
            if (Busy() || !CheckStepRow()) {
                return true;
            }
            const int shown = stepShown_;
            CListCtrlApi::MoveSelectionByKey(form_, IDC_DTL_STEP_LIST, key);
            const int row = form_.ListSelectedRow(IDC_DTL_STEP_LIST);
            CommitStepRow(shown);
            ShowStepRow(row >= 0 ? row : shown);
            const ui::ControlId focus =
                key == ui::key::kReturn ? Steps().FirstEnabledField(Pushing()) : id;
            FocusField(form_.IsEnabled(focus) ? focus : Steps().FirstEnabledField(Pushing()));
            return true;
        }
        case ui::key::kEscape:
            ShowStepRow(stepShown_);
            return true;
        default:
            return false;
    }
}

}  // namespace tavro
