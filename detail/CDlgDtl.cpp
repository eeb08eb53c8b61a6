#include "detail/CDlgDtl.h"

#include <algorithm>
#include <vector>

#include "dialogs/common/CVersion.h"
#include "link/CEepData.h"
#include "link/CStatusFlg.h"
#include "link/CTrxData.h"
#include "link/Numbers.h"
#include "link/Operations.h"
#include "link/StringIds.h"
#include "product/Product.h"
#include "stepdata/CDlgCmp.h"
#include "stepdata/CFileRw.h"
#include "stepdata/CListCtrlApi.h"
#include "stepdata/CPidParam.h"
#include "stepdata/StepRecord.h"
#include "ui/CCtrlBatch.h"
#include "ui/CTxt.h"
#include "ui/Keys.h"

namespace tavro {

namespace {

constexpr int kMaxControllerId = 255;
constexpr int kLoadMassStep = 50;
constexpr int kSeriesIndexM = product::ComboIndex(product::Series::kM);

// Cells the dialog reads directly.
constexpr int kControllerIdParameter = 3;
constexpr int kStrokeParameter = 0;
constexpr int kSeriesParameter = 1;
constexpr int kOrientationParameter = 10;

// Palette indices.
constexpr ui::Colours kHelpColours{10, 7};
constexpr ui::Colours kUnselectedColours{11, 14};
constexpr ui::Colours kSelectedColours{16, 2};
constexpr ui::Colours kFieldColours{16, 2};
constexpr ui::Colours kErrorColours{11, 2};
constexpr ui::Colours kDisabledFieldColours{ui::kColourDisabledBackground, ui::kColourDisabledText};

constexpr int kEdit = ParameterImage::kEditCopy;
constexpr int kController = ParameterImage::kControllerCopy;

const DetailControlRow* ControlRow(ui::ControlId id) {
    for (const DetailControlRow& row : kDetailControls) {
        if (row.control == id) {
            return &row;
        }
    }
    return nullptr;
}

bool AllowedBy(ui::ControlId id, LinkState linkState, bool pulse) {
    const DetailControlRow* row = ControlRow(id);
    const int state = LinkIndex(linkState);
    if (row == nullptr || state < 0 || state >= static_cast<int>(row->states.size())) {
        return false;
    }
    return row->states[static_cast<std::size_t>(state)] && (pulse ? row->showPulse : row->showStep);
}

const DetailHelp* StepHelp(ui::ControlId id) {
    for (const DetailHelp& h : kDetailHelp) {
        if (h.control == id) {
            return &h;
        }
    }
    return nullptr;
}

template <std::size_t N>
const CheckedField* FindField(const std::array<CheckedField, N>& fields, ui::ControlId id) {
    for (const CheckedField& f : fields) {
        if (f.control == id) {
            return &f;
        }
    }
    return nullptr;
}

const DetailButton* FindButton(ui::ControlId id) {
    for (const DetailButton& b : kDetailButtons) {
        if (b.control == id) {
            return &b;
        }
    }
    return nullptr;
}

bool IsEditRowControl(ui::ControlId id) {
    for (const EditRowEntry& e : kDetailEditRow) {
        if (e.control == id && e.kind != EditKind::kLabel && e.kind != EditKind::kNumberLabel) {
            return true;
        }
    }
    return false;
}

std::optional<std::size_t> SpinOfEdit(ui::ControlId id) {
    for (std::size_t i = 0; i < kDetailSpins.size(); ++i) {
        if (kDetailSpins[i].edit == id) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> SpinIndex(ui::ControlId spin) {
    for (std::size_t i = 0; i < kDetailSpins.size(); ++i) {
        if (kDetailSpins[i].spin == spin) {
            return i;
        }
    }
    return std::nullopt;
}

std::string Millimetres(int microns) {
    return Format("%.3f", static_cast<double>(microns) / 1000.0);
}

}  // namespace

CDlgDtl::CDlgDtl(ui::Form& form, LinkContext& ctx, CBinding& binding, Services services,
                 DetailHost& host)
    : form_(form),
      ctx_(ctx),
      binding_(binding),
      prompter_(services.prompter),
      chooser_(services.chooser),
      strings_(services.strings),
      host_(host),
      forms_(services.forms),
      pid_(form_, ctx_, binding_, prompter_, strings_, *this) {
    form_.SetTitle(Text(ids::IDS_DETAIL_TITLE));
    form_.SetText(IDC_DTL_COMPARE, Text(ids::IDS_BUTTON));
    form_.SetToolTip(IDC_DTL_COMPARE, Text(ids::IDS_BUTTON));
    form_.SetVisible(IDC_DTL_COMPARE, forms_ != nullptr);
    for (const DetailButton& b : kDetailButtons) {
        form_.SetPicture(b.control, b.icon);
        form_.SetToolTip(b.control, strings_.Text(b.toolTip));
    }
    for (const ui::ControlId line : {IDC_DTL_FIELD_HELP, IDC_DTL_BUTTON_HELP, IDC_DTL_PID_HELP}) {
        form_.SetColours(line, kHelpColours);
    }
    form_.SetText(IDC_DTL_SOFTWARE_VERSION, "Ver." + ui::CVersion().Text());
    form_.SetRange(IDC_DTL_OFFSET_SPIN, 0, kOffsetSpinMax);
    form_.SetStep(IDC_DTL_OFFSET_SPIN, kOffsetSpinStep);
    ApplyCaptions();
    form_.SetListener(this);
}

CDlgDtl::~CDlgDtl() {
    form_.SetListener(nullptr);
}

// --- helpers ---

int CDlgDtl::InputIndex() const {
    if (Pulse()) {
        return kInputPulse;
    }
    return form_.IsChecked(IDC_DTL_INPUT_SPEED) ? kInputSpeed : kInputCycleTime;
}

bool CDlgDtl::Pushing() const {
    return form_.IsChecked(IDC_DTL_PUSHING);
}

int CDlgDtl::SeriesCode(int index) const {
    if (index < 0 || index >= static_cast<int>(kSeriesCodeOfIndex.size())) {
        return 0;
    }
    return kSeriesCodeOfIndex[static_cast<std::size_t>(index)];
}

ui::ControlId CDlgDtl::MainField() const {
    return Pulse() ? IDC_DTL_THRUST : IDC_DTL_TARGET;
}

// --- what the main window calls ---

void CDlgDtl::Prepare(int pidAccessLevel) {
    pidAccessLevel_ = pidAccessLevel == 1 ? 1 : 0;
    // The PID section is simply not shown below level 1, in place of a shorter window.
    form_.SetVisible(IDC_DTL_PID_GROUP, pidAccessLevel_ == 1);
    FillLists();
    otherErrors_.fill(false);
    stepErrors_.fill(false);
    pid_.ClearErrors();
    otherError_ = false;
    ApplyFieldColours();
    InitSeries();
    StartUpload(false);
}

void CDlgDtl::FillLists() {
    const bool pulse = Pulse();
    for (const DetailCombo& combo : kDetailCombos) {
        std::span<const int> ids(
            combo.ids.data(), static_cast<std::size_t>(pulse ? combo.pulseCount : combo.stepCount));
        if (pulse && (combo.control == IDC_DTL_OUT0 || combo.control == IDC_DTL_OUT1)) {
            ids = kPulseOutputIds;
        }
        ui::CCtrlBatch::FillComboItems(form_, combo.control, ids, strings_);
    }
    const ui::StrokeChoice& strokes = ui::CCtrlBatch::StrokeChoiceFor(0);
    ui::CCtrlBatch::FillComboItems(
        form_, IDC_DTL_STROKE,
        std::span<const int>(strokes.ids.data(), static_cast<std::size_t>(strokes.count)),
        strings_);
    form_.ClearItems(IDC_DTL_CONTROLLER_ID);
    form_.AddItem(IDC_DTL_CONTROLLER_ID, strings_.Format(ids::IDS_FACTORY_DEFAULT_ID, 1));
    for (int id = 2; id <= kMaxControllerId; ++id) {
        form_.AddItem(IDC_DTL_CONTROLLER_ID, Format("%d", id));
    }
    form_.SetCurrentItem(IDC_DTL_CONTROLLER_ID, 0);
    if (form_.ItemCount(IDC_DTL_LOAD_MASS) != kLoadMassChoices) {
        form_.ClearItems(IDC_DTL_LOAD_MASS);
        for (int i = 0; i < kLoadMassChoices; ++i) {
            form_.AddItem(IDC_DTL_LOAD_MASS, std::to_string(i * kLoadMassStep));
        }
    }
    seriesIndex_ = 0;
}

void CDlgDtl::ShowState(int source) {
    suspend_ = true;
    const bool fromStatus = source == 1;
    UpdateLimits(fromStatus);
    binding_.RedisplayViews(fromStatus ? kViewDetail : kRedisplayAll,
                            fromStatus ? kEdit : kController);
    ApplyCaptions();
    const int series = form_.CurrentItem(IDC_DTL_SERIES);
    if (series != seriesIndex_) {
        RebuildForSeries(series);
    }
    // The series shown is the one confirmed now: read by an upload, or taken from a file.
    seriesCode_ = SeriesCode(series);
    const int stroke = form_.FindItem(IDC_DTL_STROKE, form_.Text(IDC_DTL_STROKE_FULL));
    form_.SetCurrentItem(IDC_DTL_STROKE, stroke < 0 ? 0 : stroke);
    UpdateSelectedFlags();
    ApplySensorOriginRule();
    UpdateControllerVersion();
    UpdateLimits(fromStatus);
    SetUpSpins();
    ShowStepRow(0);
    pid_.DisplayGainRow(0);
    pid_.DisplayAssignmentRow(0);
    ApplyStepRowEnables();
    pid_.ColourLists();
    suspend_ = false;
}

void CDlgDtl::ApplyLinkState(LinkState state) {
    const bool pulse = Pulse();
    for (const DetailControlRow& row : kDetailControls) {
        form_.SetEnabled(row.control, AllowedBy(row.control, state, pulse));
    }
    form_.SetEnabled(IDC_DTL_COMPARE, AllowedBy(IDC_DTL_OPEN, state, pulse));
    UpdateControllerVersion();
    ApplyFieldColours();
}

void CDlgDtl::ApplyCaptions() {
    const bool pulse = Pulse();
    for (const DetailControlRow& row : kDetailControls) {
        const int text = pulse ? row.textPulse : row.textStep;
        if (text != 0) {
            form_.SetText(row.control, strings_.Text(text));
        }
        form_.SetVisible(row.control, pulse ? row.showPulse : row.showStep);
    }
    form_.SetVisible(IDC_DTL_PID_GROUP, pidAccessLevel_ == 1);
}

bool CDlgDtl::RebuildLists(int copy) {
    const int source = copy == kController ? kController : kEdit;
    bool differ = false;
    const int steps = StepCount(ctx_.status.controlType);
    for (int n = steps - 1; n >= 0; --n) {
        differ = binding_.DisplayView(kViewDetail, IDC_DTL_STEP_LIST, n, source) || differ;
        CommitStepRow(n);
    }
    pid_.LabelLists();
    const int pidRows = PidRows();
    for (int r = pidRows - 1; r >= 0; --r) {
        differ = binding_.DisplayView(kViewDetail, IDC_DTL_PID_LIST, r, source) || differ;
        pid_.CommitGainRow(r);
    }
    if (source == kController) {
        for (int a = 0; a < pidRows; ++a) {
            binding_.DiscardRow(kViewDetail, IDC_DTL_ASSIGN_LIST, a);
        }
    }
    differ = pid_.DisplayAssignments(source) || differ;
    ShowStepRow(0);
    pid_.DisplayGainRow(0);
    pid_.DisplayAssignmentRow(0);
    return differ;
}

bool CDlgDtl::Close() {
    suspend_ = true;
    if (!Offline()) {
        binding_.CollectView(kViewDetail, kNoList, 0);
        if (AnyListDiffers() &&
            !prompter_.Confirm(ids::IDS_DATA_CHANGED, Text(ids::IDS_DATA_CHANGED))) {
            suspend_ = false;
            return false;
        }
    }
    // Every edit of every view goes, those no view shows now included.
    binding_.DiscardAll();
    binding_.RedisplayViews(kRedisplayAll, kController);
    ctx_.status.detailOpen = 0;
    host_.EnableMainWindow(true);
    suspend_ = false;
    return true;
}

// --- series, stroke, orientation ---

void CDlgDtl::InitSeries() {
    seriesCode_ = ctx_.status.series[1];
    const int index = SeriesIndexOfCode(seriesCode_);
    form_.SetCurrentItem(IDC_DTL_SERIES, index);
    RebuildForSeries(index);
    UpdateSelectedFlags();
    ApplySensorOriginRule();
    UpdateLimits(true);
    SetUpSpins();
}

void CDlgDtl::RebuildForSeries(int index) {
    RebuildOrientationList(index, seriesIndex_);
    const ui::StrokeChoice& choice = ui::CCtrlBatch::StrokeChoiceFor(index);
    ui::CCtrlBatch::FillComboItems(
        form_, IDC_DTL_STROKE,
        std::span<const int>(choice.ids.data(), static_cast<std::size_t>(choice.count)), strings_);
    const int stroke = form_.FindItem(IDC_DTL_STROKE, form_.Text(IDC_DTL_STROKE_FULL));
    form_.SetCurrentItem(IDC_DTL_STROKE, stroke < 0 ? 0 : stroke);
    UpdateSelectedFlags();
    seriesIndex_ = index;
}

void CDlgDtl::RebuildOrientationList(int index, int previous) {
    if (index != kSeriesIndexM && previous != kSeriesIndexM) {
        return;
    }
    form_.ClearItems(IDC_DTL_ORIENTATION);
    form_.AddItem(IDC_DTL_ORIENTATION, strings_.Text(ids::IDS_HORIZONTAL));
    if (index != kSeriesIndexM) {
        form_.AddItem(IDC_DTL_ORIENTATION, strings_.Text(ids::IDS_VERTICAL));
    }
    form_.SetCurrentItem(IDC_DTL_ORIENTATION, 0);
}

void CDlgDtl::SeriesChanged() {
    UpdateSelectedFlags();
    ApplySensorOriginRule();
    UpdateLimits(false);
    FocusField(MainField());

    const int index = form_.CurrentItem(IDC_DTL_SERIES);
    const int previousIndex = seriesIndex_;
    const int previousStroke = form_.CurrentItem(IDC_DTL_STROKE_FULL);
    const int previousOrientation = form_.CurrentItem(IDC_DTL_ORIENTATION);
    if (index != seriesIndex_) {
        RebuildForSeries(index);
    }
    const int full = form_.FindItem(IDC_DTL_STROKE_FULL, form_.Text(IDC_DTL_STROKE));
    form_.SetCurrentItem(IDC_DTL_STROKE_FULL, full < 0 ? 0 : full);

    const int code = SeriesCode(index);
    if (code != seriesCode_) {
        const product::SeriesFacts* series = product::FindSeries(code);
        const int name = series != nullptr ? series->nameId : 0;
        // "Select" names no series: the question then speaks of the defaults alone.
        const int question = name != 0 ? ids::IDS_DTL_SERIES_DEFAULTS : ids::IDS_DTL_DEFAULTS;
        if (!prompter_.Confirm(
                question, name != 0 ? strings_.Format(question, Text(name)) : Text(question))) {
            // Declining puts the previous product number back as it was, stroke included.
            form_.SetCurrentItem(IDC_DTL_SERIES, SeriesIndexOfCode(seriesCode_));
            form_.SetCurrentItem(IDC_DTL_STROKE_FULL, previousStroke);
            RebuildForSeries(form_.CurrentItem(IDC_DTL_SERIES));
            if (seriesIndex_ == previousIndex && previousOrientation >= 0 &&
                previousOrientation < form_.ItemCount(IDC_DTL_ORIENTATION)) {
                form_.SetCurrentItem(IDC_DTL_ORIENTATION, previousOrientation);
            }
            UpdateSelectedFlags();
            ApplySensorOriginRule();
            UpdateLimits(false);
        } else {
            UpdateLimits(false);
            SetSeriesDefaults(code);
            LoadPidDefaults();
            seriesCode_ = code;
            binding_.SetCell(0, kSeriesParameter, static_cast<float>(code), kEdit);
        }
    }
    SetUpSpins();
}

void CDlgDtl::StrokeChanged() {
    UpdateSelectedFlags();
    UpdateLimits(false);
    FocusField(MainField());
    const int full = form_.FindItem(IDC_DTL_STROKE_FULL, form_.Text(IDC_DTL_STROKE));
    form_.SetCurrentItem(IDC_DTL_STROKE_FULL, full < 0 ? 0 : full);
    LoadPidDefaults();
    SetUpSpins();
    if (!suspend_) {
        CheckStepRow();
    }
}

void CDlgDtl::UpdateSelectedFlags() {
    seriesSelected_ = form_.CurrentItem(IDC_DTL_SERIES) > 0;
    strokeSelected_ = form_.CurrentItem(IDC_DTL_STROKE) > 0;
    form_.SetColours(IDC_DTL_SERIES, seriesSelected_ ? kSelectedColours : kUnselectedColours);
    form_.SetColours(IDC_DTL_STROKE, strokeSelected_ ? kSelectedColours : kUnselectedColours);
}

void CDlgDtl::ApplySensorOriginRule() {
    const int code = SeriesCode(form_.CurrentItem(IDC_DTL_SERIES));
    const bool offered = code == 1 || code == 3;
    form_.SetEnabled(
        IDC_DTL_ORIGIN_SENSOR,
        offered && !Busy() && AllowedBy(IDC_DTL_ORIGIN_SENSOR, ctx_.status.linkState, Pulse()));
    if (!offered && form_.IsChecked(IDC_DTL_ORIGIN_SENSOR)) {
        form_.CheckRadio(IDC_DTL_ORIGIN_RETRACTED, IDC_DTL_ORIGIN_SENSOR, IDC_DTL_ORIGIN_RETRACTED);
    }
}

void CDlgDtl::UpdateLimits(bool fromStatus) {
    int stroke = 0;
    int code = 0;
    if (fromStatus) {
        stroke = ctx_.status.stroke[1];
        code = ctx_.status.series[1];
    } else {
        stroke = Atoi(form_.Text(IDC_DTL_STROKE));
        code = SeriesCode(form_.CurrentItem(IDC_DTL_SERIES));
    }
    limits_ = DetailLimitsFor(stroke, code, form_.IsChecked(IDC_DTL_RELATIVE));
}

void CDlgDtl::UpdateControllerVersion() {
    form_.SetText(
        IDC_DTL_CONTROLLER_VERSION,
        Offline() ? Text(ids::IDS_NOT_CONNECTED)
                  : "Ver." + Format("%.2f", static_cast<double>(ctx_.status.controllerVersion)));
}

// --- the six other fields ---

bool CDlgDtl::CheckOtherFields() {
    checkingOther_ = true;
    bool failed = false;
    const bool pulse = Pulse();
    for (std::size_t i = 0; i < kOtherFields.size(); ++i) {
        const CheckedField& f = kOtherFields[i];
        // A field the type does not show cannot be corrected by the user, so it is not
        // checked.
        const DetailControlRow* row = ControlRow(f.control);
        if (row != nullptr && !(pulse ? row->showPulse : row->showStep)) {
            otherErrors_[i] = false;
            continue;
        }
        const RangeCheck check = IsInRange(form_.Text(f.control), {f.min, f.max, f.decimals});
        form_.SetText(f.control, check.text);
        otherErrors_[i] = !check.inRange;
        if (check.inRange) {
            continue;
        }
        if (!failed) {
            form_.SetFocus(f.control);
            form_.SelectAllText(f.control);
            failed = true;
        }
        prompter_.Warn(f.message, Text(f.message));
    }
    otherError_ = failed;
    checkingOther_ = false;
    ApplyFieldColours();
    return !failed;
}

void CDlgDtl::ApplyFieldColours() {
    // A disabled field draws as disabled, whatever its last check said.
    const auto colours = [this](ui::ControlId id, bool error) {
        if (!form_.IsEnabled(id)) {
            return kDisabledFieldColours;
        }
        return error ? kErrorColours : kFieldColours;
    };
    for (std::size_t i = 0; i < kOtherFields.size(); ++i) {
        form_.SetColours(kOtherFields[i].control,
                         colours(kOtherFields[i].control, otherErrors_[i]));
    }
    for (std::size_t i = 0; i < kDetailEditRow.size(); ++i) {
        if (kDetailEditRow[i].kind == EditKind::kEdit) {
            form_.SetColours(kDetailEditRow[i].control,
                             colours(kDetailEditRow[i].control, stepErrors_[i]));
        }
    }
    for (std::size_t i = 0; i < kPidEditRow.size(); ++i) {
        form_.SetColours(kPidEditRow[i].control, colours(kPidEditRow[i].control, pid_.Errors()[i]));
    }
}

// --- help ---

void CDlgDtl::ShowHelpLine(ui::ControlId line, const std::string& text) {
    form_.SetText(line, text);
    form_.SetVisible(IDC_DTL_BUTTON_HELP, false);
    form_.SetVisible(IDC_DTL_FIELD_HELP, line == IDC_DTL_FIELD_HELP);
    form_.SetVisible(IDC_DTL_PID_HELP, line == IDC_DTL_PID_HELP && pidAccessLevel_ == 1);
}

void CDlgDtl::ShowHelp(ui::ControlId id) {
    if (const DetailHelp* h = StepHelp(id)) {
        const bool relative = form_.IsChecked(IDC_DTL_RELATIVE);
        const int variant = 2 * (Pushing() ? 1 : 0) + (relative ? 1 : 0);
        std::vector<FormatArg> args;
        for (int i = 0; i < h->argCount; ++i) {
            const DetailHelpArg& a = h->args[static_cast<std::size_t>(i)];
            double v = a.value;
            switch (a.kind) {
                case HelpArgKind::kTargetMin:
                    v = limits_.targetMinimum;
                    break;
                case HelpArgKind::kStroke:
                    v = limits_.stroke;
                    break;
                case HelpArgKind::kThrust:
                    v = limits_.maxThrust;
                    break;
                case HelpArgKind::kResolution:
                    v = limits_.resolution;
                    break;
                case HelpArgKind::kValue:
                    break;
            }
            args.emplace_back(v);
        }
        ShowHelpLine(IDC_DTL_FIELD_HELP,
                     FormatArgs(strings_.Text(h->ids[static_cast<std::size_t>(variant)]), args));
        if (id != IDC_DTL_LOAD_MASS) {
            form_.SelectAllText(id);
        }
        return;
    }
    if (const CheckedField* f = FindField(kOtherFields, id)) {
        ShowHelpLine(IDC_DTL_FIELD_HELP, strings_.Format(f->help, f->min, f->max));
        return;
    }
    if (const CheckedField* f = FindField(kPidEditRow, id)) {
        ShowHelpLine(IDC_DTL_PID_HELP, strings_.Format(f->help, f->min, f->max));
        form_.SelectAllText(id);
    }
}

void CDlgDtl::Describe(ui::ControlId id) {
    if (id == lastDescribed_) {
        return;
    }
    lastDescribed_ = id;
    if (const DetailButton* b = FindButton(id); b != nullptr || id == IDC_DTL_COMPARE) {
        form_.SetText(IDC_DTL_BUTTON_HELP,
                      strings_.Text(b != nullptr ? b->description : ids::IDS_BUTTON_HELP));
        form_.SetVisible(IDC_DTL_BUTTON_HELP, true);
        form_.SetVisible(IDC_DTL_FIELD_HELP, false);
        return;
    }
    form_.SetVisible(IDC_DTL_BUTTON_HELP, false);
    form_.SetVisible(IDC_DTL_FIELD_HELP, true);
}

// --- events ---

void CDlgDtl::OnClicked(ui::ControlId id) {
    switch (id) {
        case IDC_DTL_CUT:
            Cut();
            break;
        case IDC_DTL_COPY:
            Copy();
            break;
        case IDC_DTL_PASTE:
            Paste();
            break;
        case IDC_DTL_GET_POSITION:
            GetPosition();
            break;
        case IDC_DTL_SAVE:
            Save();
            break;
        case IDC_DTL_OPEN:
            Open();
            break;
        case IDC_DTL_COMPARE:
            Compare();
            break;
        case IDC_DTL_UPLOAD:
            Upload();
            break;
        case IDC_DTL_DOWNLOAD:
            Download();
            break;
        case IDC_DTL_INITIALIZE:
            Initialize();
            break;
        default:
            break;
    }
}

void CDlgDtl::OnSelectionChanged(ui::ControlId id) {
    switch (id) {
        case IDC_DTL_SERIES:
            SeriesChanged();
            break;
        case IDC_DTL_STROKE:
            StrokeChanged();
            break;
        case IDC_DTL_ORIENTATION:
            LoadPidDefaults();
            break;
        case IDC_DTL_POSITIONING:
        case IDC_DTL_PUSHING:
            ApplyStepRowEnables();
            FocusField(Steps().FirstEnabledField(Pushing()));
            break;
        case IDC_DTL_ABSOLUTE:
        case IDC_DTL_RELATIVE:
            UpdateGetPosition();
            SetTargetMinimum();
            FocusField(MainField());
            break;
        default:
            if (id >= IDC_DTL_INPUT_FIRST && id <= IDC_DTL_INPUT_LAST) {
                ApplyStepRowEnables();
                ColourStepList();
            }
            break;
    }
}

void CDlgDtl::OnFocusIn(ui::ControlId id) {
    ShowHelp(id);
}

void CDlgDtl::OnFocusOut(ui::ControlId id) {
    if (FindField(kOtherFields, id) != nullptr) {
        if (!checkingOther_) {
            CheckOtherFields();
        }
        return;
    }
    if (const auto spin = SpinOfEdit(id)) {
        SnapSpinField(*spin);
    }
}

void CDlgDtl::OnListClick(ui::ControlId id, int row, int column) {
    if (row < 0 || Busy()) {
        return;
    }
    switch (id) {
        case IDC_DTL_STEP_LIST:
            SelectStepRow(row, column);
            break;
        case IDC_DTL_PID_LIST: {
            if (otherError_) {
                form_.ListSelectRow(IDC_DTL_PID_LIST, pid_.ShownGainRow());
                return;
            }
            if (!pid_.CheckGainRow()) {
                return;
            }
            const ui::ControlId edit =
                column >= 1 && column <= 3
                    ? kPidEditRow[static_cast<std::size_t>(column - 1)].control
                    : IDC_DTL_KP;
            form_.SetFocus(edit);
            pid_.ShowGainRow(row);
            ShowHelp(edit);
            break;
        }
        case IDC_DTL_ASSIGN_LIST:
            if (otherError_) {
                form_.ListSelectRow(IDC_DTL_ASSIGN_LIST, pid_.ShownAssignmentRow());
                return;
            }
            pid_.ShowAssignmentRow(row);
            form_.SetFocus(IDC_DTL_PID_CHOICE);
            break;
        default:
            break;
    }
}

void CDlgDtl::OnListRightClick(ui::ControlId id, int row, int column, ui::ScreenPoint at) {
    if (id != IDC_DTL_STEP_LIST) {
        return;
    }
    OnListClick(id, row, column);
    ShowStepRowMenu(
        form_, at, IDC_DTL_GET_POSITION, [this](int stringId) { return Text(stringId); },
        {[this] { Cut(); }, [this] { Copy(); }, [this] { Paste(); }, [this] { GetPosition(); }});
}

bool CDlgDtl::OnKeyDown(ui::ControlId id, int key, ui::KeyModifiers /*mods*/) {
    if (IsEditRowControl(id)) {
        return StepKey(id, key);
    }
    if (FindField(kPidEditRow, id) != nullptr || id == IDC_DTL_PID_CHOICE) {
        return pid_.Key(id, key);
    }
    return false;
}

void CDlgDtl::OnMouseMove(ui::ControlId id) {
    Describe(id);
}

bool CDlgDtl::OnSpinDelta(ui::ControlId id, int delta) {
    if (delta == 0) {
        return true;
    }
    if (id == IDC_DTL_OFFSET_SPIN) {
        const int v = SpinMicrons(Atof(form_.Text(IDC_DTL_ORIGIN_OFFSET)),
                                  delta > 0 ? kOffsetSpinStep : -kOffsetSpinStep, 0, kOffsetSpinMax,
                                  kOffsetSpinStep);
        form_.SetText(IDC_DTL_ORIGIN_OFFSET, Millimetres(v));
        form_.SetPosition(IDC_DTL_OFFSET_SPIN, v);
        return true;
    }
    if (const auto spin = SpinIndex(id)) {
        SpinField(*spin, delta > 0 ? spins_.step : -spins_.step);
        return true;
    }
    return false;
}

// --- file and controller ---

bool CDlgDtl::AnyListDiffers() {
    bool differ = binding_.CompareView(kViewDetail, kNoList, 0);
    const int steps = StepCount(ctx_.status.controlType);
    for (int n = 0; n < steps && !differ; ++n) {
        differ = binding_.CompareView(kViewDetail, IDC_DTL_STEP_LIST, n);
    }
    const int pidRows = PidRows();
    for (int r = 0; r < pidRows && !differ; ++r) {
        differ = binding_.CompareView(kViewDetail, IDC_DTL_PID_LIST, r) ||
                 binding_.CompareView(kViewDetail, IDC_DTL_ASSIGN_LIST, r);
    }
    return differ;
}

void CDlgDtl::Save() {
    binding_.CollectView(kViewDetail, kNoList, 0);
    CFileRw file(prompter_, chooser_, ctx_, [this](int id) { return Text(id); });
    const StepFileMode mode =
        pidAccessLevel_ == 1 ? StepFileMode::kDetailWithPid : StepFileMode::kDetail;
    if (file.Save(mode) == 0) {
        UpdateSelectedFlags();
    }
}

void CDlgDtl::Open() {
    CommitAllRows();
    CFileRw file(prompter_, chooser_, ctx_, [this](int id) { return Text(id); });
    const StepFileMode mode =
        pidAccessLevel_ == 1 ? StepFileMode::kDetailWithPid : StepFileMode::kDetail;
    if (file.Open(mode) != 0) {
        return;
    }
    stepErrors_.fill(false);
    pid_.ClearErrors();
    ShowState(1);
    FocusField(MainField());
}

void CDlgDtl::StartUpload(bool commit) {
    if (Offline()) {
        return;
    }
    if (commit) {
        CommitStepRow(stepShown_);
        ShowStepRow(0);
    }
    CTrxData(ctx_).Run(OP_DETAIL_UPLOAD, pidAccessLevel_ == 1 ? 1 : 0, 0);
}

void CDlgDtl::Upload() {
    const bool collected = binding_.CollectView(kViewDetail, kNoList, 0);
    const bool modified = collected || AnyListDiffers();
    if (modified && !prompter_.Confirm(ids::IDS_DATA_CHANGED, Text(ids::IDS_DATA_CHANGED))) {
        return;
    }
    StartUpload(true);
}

void CDlgDtl::Compare() {
    if (forms_ == nullptr || Busy()) {
        return;
    }
    CommitAllRows();
    binding_.CollectView(kViewDetail, kNoList, 0);
    CFileRw file(prompter_, chooser_, ctx_, [this](int id) { return Text(id); });
    const StepFileMode mode =
        pidAccessLevel_ == 1 ? StepFileMode::kDetailWithPid : StepFileMode::kDetail;
    std::string path;
    const auto contents = file.Read(mode, ids::IDS_COMPARE_TITLE, path);
    if (!contents) {
        return;
    }
    CDlgCmp::Comparison c;
    c.controlType = ctx_.status.controlType;
    if (Offline()) {
        std::string second;
        const auto other = file.Read(mode, ids::IDS_SECOND_FILE_TITLE, second);
        if (!other) {
            return;
        }
        c.rows = CompareFiles(*contents, *other, strings_);
        c.files = strings_.Format(ids::IDS_DTL_TWO_NAMES, path, second);
        CDlgCmp(ui::DialogServices{*forms_, prompter_, strings_}, std::move(c)).DoModal(&form_);
        return;
    }
    c.rows = CompareWithController(*contents, ctx_.image, strings_);
    c.withController = true;
    c.files = path;
    CDlgCmp dialog(ui::DialogServices{*forms_, prompter_, strings_}, std::move(c));
    if (dialog.DoModal(&form_) == CDlgCmp::kIdWrite) {
        WriteCompared(dialog.Chosen());
    }
}

void CDlgDtl::WriteCompared(const std::vector<CompareRow>& chosen) {
    // Only the checked values go out: edits the dialog holds besides them are given up first.
    const bool collected = binding_.CollectView(kViewDetail, kNoList, 0);
    if (collected || AnyListDiffers()) {
        if (!prompter_.Confirm(ids::IDS_DATA_CHANGED, Text(ids::IDS_DATA_CHANGED))) {
            return;
        }
        ctx_.image.DiscardAll();
        ShowState(0);
    }
    for (const CompareRow& row : chosen) {
        if (row.right) {
            ctx_.image.SetCell(row.group, row.parameter, *row.right, ParameterImage::kEditCopy);
        }
    }
    stepErrors_.fill(false);
    pid_.ClearErrors();
    ShowState(1);
    // The dialog's own download with its checks and questions; a product chosen this way
    // keeps the PID sets, so that nothing unchecked is written.
    Download(false);
}

void CDlgDtl::Download(bool resetPidOnProductChange) {
    if (!seriesSelected_ || !strokeSelected_) {
        prompter_.Warn(ids::IDS_NO_PRODUCT, Text(ids::IDS_NO_PRODUCT));
        return;
    }
    if (!suspend_) {
        if (!CheckStepRow()) {
            return;
        }
        CommitStepRow(stepShown_);
        if (!pid_.CheckGainRow()) {
            return;
        }
        pid_.CommitGainRow(pid_.ShownGainRow());
        pid_.StoreAssignment();
    }
    if (!prompter_.Confirm(ids::IDS_CONFIRM_DOWNLOAD, Text(ids::IDS_CONFIRM_DOWNLOAD))) {
        return;
    }
    const bool collected = binding_.CollectView(kViewDetail, kNoList, 0);
    const bool modified = collected || AnyListDiffers();
    const int oldId = TruncToInt(binding_.GetCell(0, kControllerIdParameter, kController));
    const int newId = TruncToInt(binding_.GetCell(0, kControllerIdParameter, kEdit));
    if (oldId != newId &&
        !prompter_.Confirm(ids::IDS_CHANGE_ID, strings_.Format(ids::IDS_CHANGE_ID, oldId, newId))) {
        return;
    }
    if (!modified) {
        prompter_.Inform(ids::IDS_NOTHING_CHANGED, Text(ids::IDS_NOTHING_CHANGED));
        return;
    }
    CommitAllRows();
    CEepData image(ctx_);
    int resetPid = 0;
    for (const int p : {kStrokeParameter, kSeriesParameter, kOrientationParameter}) {
        if (image.IsModified(0, p)) {
            resetPid = 1;
        }
    }
    if (!resetPidOnProductChange) {
        resetPid = 0;
    }
    if (resetPid == 1) {
        CPidParam(ctx_).ResetPidToDefaults();
    }
    CTrxData(ctx_).Run(OP_DETAIL_DOWNLOAD, resetPid, 0);
}

// --- the PID table ---

void CDlgDtl::LoadPidDefaults() {
    // Typing not yet committed is dropped, then every list starts again at row 0.
    ShowStepRow(stepShown_);
    pid_.DisplayGainRow(pid_.ShownGainRow());
    pid_.DisplayAssignmentRow(pid_.ShownAssignmentRow());
    CommitAllRows();
    binding_.CollectView(kViewDetail, kNoList, 0);
    CPidParam(ctx_).ResetPidToDefaults();
    const int pidRows = PidRows();
    for (int r = 0; r < pidRows; ++r) {
        binding_.DisplayView(kViewDetail, IDC_DTL_PID_LIST, r, kEdit);
        pid_.CommitGainRow(r);
    }
    pid_.DisplayAssignments(kEdit);
    ShowStepRow(stepShown_);
    pid_.DisplayGainRow(0);
    pid_.DisplayAssignmentRow(0);
}

void CDlgDtl::Initialize() {
    if (!prompter_.Confirm(ids::IDS_DTL_PID_RESET, Text(ids::IDS_DTL_PID_RESET))) {
        return;
    }
    LoadPidDefaults();
    CTrxData(ctx_).Run(OP_PID_DEFAULT, 0, 0);
}

}  // namespace tavro
