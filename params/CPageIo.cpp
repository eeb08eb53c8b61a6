#include "params/CPageIo.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "link/CEepData.h"
#include "link/CTrxData.h"
#include "link/Numbers.h"
#include "link/OperationParams.h"
#include "link/Operations.h"
#include "link/StatusBlock.h"
#include "link/StringIds.h"
#include "product/Product.h"
#include "ui/CCtrlBatch.h"
#include "ui/Keys.h"

namespace tavro {

namespace {

// Lamp pictures.
constexpr int kPictureOff = 140;
constexpr int kPictureOn = 141;
constexpr int kPictureSecondOn = 142;  // the ALARM lamp

struct LampRow {
    ui::ControlId lamp;
    int bit;
    ui::ControlId manualButton;  // kNoControl for inputs
};

constexpr int kAlarmBit = 7;

constexpr std::array kLamps = {
    LampRow{1410, 0, ui::kNoControl},
    LampRow{1411, 1, ui::kNoControl},
    LampRow{1412, 2, ui::kNoControl},
    LampRow{1413, 3, ui::kNoControl},
    LampRow{1414, 5, ui::kNoControl},   // DRIVE
    LampRow{1415, 4, ui::kNoControl},   // SVON
    LampRow{1416, 6, 1430},             // BUSY
    LampRow{1417, kAlarmBit, 1431},     // ALARM
    LampRow{1418, 8, 1432},             // OUT0
    LampRow{1419, 9, 1433},             // OUT1
    LampRow{1428, 10, ui::kNoControl},  // PLS
};

struct LegendRow {
    ui::ControlId control;
    int picture;
};
constexpr std::array kLegend = {
    LegendRow{1420, kPictureOn},
    LegendRow{1421, kPictureSecondOn},
    LegendRow{1422, kPictureOff},
};

constexpr std::array<ui::ControlId, 4> kPositionButtons = {1402, 1403, 1404, 1405};

// Area edits with their spins and "P" buttons.
constexpr std::array<ui::ControlId, 12> kAreaControls = {1440, 1441, 1442, 1443, 1028, 1029,
                                                         1030, 1031, 1402, 1403, 1404, 1405};
constexpr std::array<ui::ControlId, 4> kAreaSpins = {1028, 1029, 1030, 1031};

// The description of the output functions: strings and the format that joins them.
constexpr std::array<int, 9> kDescriptionIds = {401, 402, 403, 404, 405, 406, 407, 413, 414};
constexpr const char* kDescriptionFormat = "%s%s\n%s%s\n%s\n%s%s\n%s%s";

constexpr int kMicronsPerMm = 1000;

// The two area rows: their edits, spins, "P" buttons, error flags and message.
struct AreaRow {
    std::array<ui::ControlId, 2> edits;
    std::array<ui::ControlId, 2> spins;
    std::array<ui::ControlId, 2> positionButtons;
    std::array<CPageIo::Field, 2> fields;
    int rangeMessage;
};
constexpr std::array kAreaRows = {
    AreaRow{{1440, 1441},
            {1028, 1029},
            {1402, 1403},
            {CPageIo::kAreaA1, CPageIo::kAreaA2},
            ids::IDS_AREA_A_RANGE},
    AreaRow{{1442, 1443},
            {1030, 1031},
            {1404, 1405},
            {CPageIo::kAreaB1, CPageIo::kAreaB2},
            ids::IDS_AREA_B_RANGE},
};

// The edit of each field, in Field order.
constexpr std::array<ui::ControlId, CPageIo::kFieldCount> kFieldEdits = {1440, 1441, 1442, 1443,
                                                                         1444, 1445, 1446};

// Threshold limits in tenths: OVC 1.5 to 3.0 A; the INF upper limit is the thrust limit.
constexpr int kInfMinTenths = 5;
constexpr int kOvcMinTenths = 15;
constexpr int kOvcMaxTenths = 30;
constexpr std::array<int, 4> kOvtChoices = {40, 50, 60, 70};
constexpr float kInfHelpMin = 0.5F;

// Edits white while in range, yellow while in error.
constexpr ui::Colours kFieldColours{16, 2};
constexpr ui::Colours kErrorColours{11, 2};

// Cells common to all steps on this page: step 1's trigger level and area range.
constexpr int kStepCount = 15;
constexpr int kStepCountPulse = 4;
constexpr std::array<int, 5> kCommonStepCells = {9, 11, 12, 13, 14};

// The manual output of a button: index x 256 + state.

int RoundHalfUp(double v) {
    return TruncToInt(std::floor(v + 0.5));
}

// Position step of the area spins in micrometres, by series code.
int StepForSeries(int series) {
    const product::SeriesFacts* f = product::FindSeries(series);
    return f != nullptr ? f->positionStepUm : 0;
}

const AreaRow* RowOfControl(ui::ControlId id) {
    for (const AreaRow& row : kAreaRows) {
        for (std::size_t i = 0; i < 2; ++i) {
            if (row.edits[i] == id || row.spins[i] == id || row.positionButtons[i] == id) {
                return &row;
            }
        }
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<CPageIo> CPageIo::Create(LinkContext& ctx, const ui::DialogServices& services,
                                         ui::Form& parent, CBinding& binding, BasicPageHost& host) {
    auto form = services.forms.Create(kTemplate, &parent, ui::FormKind::kPage);
    if (!form) {
        return nullptr;
    }
    return std::make_unique<CPageIo>(ctx, services, std::move(form), binding, host);
}

CPageIo::CPageIo(LinkContext& ctx, const ui::DialogServices& services,
                 std::unique_ptr<ui::Form> form, CBinding& binding, BasicPageHost& host)
    : ctx_(ctx), services_(services), form_(std::move(form)), binding_(binding), host_(host) {
    form_->SetListener(this);
    OnInitDialog();
}

CPageIo::~CPageIo() {
    form_->SetListener(nullptr);
}

void CPageIo::OnInitDialog() {
    const ui::DialogServices& s = services_;
    std::array<std::string, kDescriptionIds.size()> parts;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        parts[i] = s.Text(kDescriptionIds[i]);
    }
    form_->SetText(IDC_DESCRIPTION,
                   FormatPrintf(kDescriptionFormat, parts[0], parts[1], parts[2], parts[3],
                                parts[4], parts[5], parts[6], parts[7], parts[8]));
    for (const LegendRow& row : kLegend) {
        form_->SetPicture(row.control, row.picture);
    }
    for (const ui::ControlId button : kPositionButtons) {
        form_->SetToolTip(button, s.Text(ids::IDS_GET_POSITION));
    }
    for (const ui::ControlId edit : kFieldEdits) {
        form_->SetColours(edit, kFieldColours);
    }
    Prepare();
    ShowIoWord(kInitialWord);
}

int CPageIo::AreaStep() const {
    return StepForSeries(ctx_.status.series[0]);
}

int CPageIo::StrokeMicrons() const {
    return kMicronsPerMm * ctx_.status.stroke[0];
}

void CPageIo::Prepare() {
    const int step = AreaStep();
    const int maximum = StrokeMicrons();
    for (const ui::ControlId spin : kAreaSpins) {
        form_->SetStep(spin, step);
        form_->SetRange(spin, 0, maximum);
        form_->SetPosition(spin, 0);
    }
}

bool CPageIo::LampState(int bit) const {
    return bit >= 0 && bit < 16 && ((lamps_ >> bit) & 1U) != 0;
}

void CPageIo::ShowIoWord(std::uint16_t word) {
    lamps_ = word;
    RedrawLamps();
}

void CPageIo::RedrawLamps() {
    const bool wasLocked = inputLock_;
    inputLock_ = true;
    for (const LampRow& row : kLamps) {
        const bool on = LampState(row.bit);
        const int onPicture = row.bit == kAlarmBit ? kPictureSecondOn : kPictureOn;
        form_->SetPicture(row.lamp, on ? onPicture : kPictureOff);
        if (row.manualButton != ui::kNoControl) {
            form_->SetChecked(row.manualButton, on);
        }
    }
    inputLock_ = wasLocked;
}

void CPageIo::ApplyEditability(bool outputsEditable, bool areaEditable) {
    const std::string marker = services_.Text(ids::IDS_NOT_REPRESENTABLE);
    for (const ui::ControlId combo : {IDC_OUT0_FUNCTION, IDC_OUT1_FUNCTION}) {
        const bool present = form_->ItemCount(combo) > 0 && form_->ItemText(combo, 0) == marker;
        if (!outputsEditable) {
            if (!present) {
                form_->InsertItem(combo, 0, marker);
            }
            form_->SetCurrentItem(combo, 0);
        } else if (present) {
            const int current = form_->CurrentItem(combo);
            form_->RemoveItem(combo, 0);
            // The selection was made with the marker in front; one item down from where the
            // removal left it, the index is the function code again.
            form_->SetCurrentItem(combo, current);
        }
    }
    outputsEditable_ = outputsEditable;
    areaEditable_ = areaEditable;
    ApplyLocks();
    const bool detailRead = (ctx_.status.flags & kFlagDetailRead) != 0;
    form_->SetVisible(IDC_LOCK_NOTE, detailRead && !(outputsEditable && areaEditable));
    if (detailRead) {
        for (int row = 0; row < static_cast<int>(kAreaRows.size()); ++row) {
            CheckAreaRow(row);
        }
    }
}

void CPageIo::Refresh() {
    // The link state has just set the controls by the control table.
    ApplyLocks();
}

void CPageIo::ApplyLocks() {
    const LinkState state = ctx_.status.linkState;
    const int type = ctx_.status.controlType;
    const auto enable = [&](ui::ControlId id, bool editable) {
        bool byTable = true;
        for (const ui::CaptionRow& row : ui::CCtrlBatch::PageRows()) {
            if (row.dialog == kTemplateIoPage && row.control == id) {
                byTable = ui::CCtrlBatch::IsEnabledIn(row, LinkIndex(state), type);
            }
        }
        form_->SetEnabled(id, byTable && editable);
    };
    enable(IDC_OUT0_FUNCTION, outputsEditable_);
    enable(IDC_OUT1_FUNCTION, outputsEditable_);
    enable(IDC_INF, areaEditable_);
    for (const ui::ControlId id : kAreaControls) {
        enable(id, areaEditable_);
    }
}

// --- events ---

void CPageIo::OnClicked(ui::ControlId id) {
    if (id >= IDC_MANUAL_FIRST && id <= IDC_MANUAL_LAST) {
        ManualOutput(id);
    } else if (id >= IDC_POSITION_FIRST && id <= IDC_POSITION_LAST) {
        GetPosition(id);
    } else if (id == IDC_SETUP) {
        Setup();
    } else if (id == IDC_COMM) {
        CPageBsc::Comm(ctx_, host_);
    }
}

void CPageIo::OnFocusIn(ui::ControlId id) {
    if (std::find(kFieldEdits.begin(), kFieldEdits.end(), id) == kFieldEdits.end()) {
        return;
    }
    form_->SelectAllText(id);
    ShowThresholdHelp(id);
}

void CPageIo::OnFocusOut(ui::ControlId id) {
    if (id == IDC_INF || id == IDC_OVC || id == IDC_OVT) {
        CheckThreshold(id);
        return;
    }
    for (int row = 0; row < static_cast<int>(kAreaRows.size()); ++row) {
        const AreaRow& r = kAreaRows[static_cast<std::size_t>(row)];
        if (id == r.edits[0] || id == r.edits[1]) {
            CheckAreaRow(row);
        }
    }
}

bool CPageIo::OnKeyDown(ui::ControlId id, int key, ui::KeyModifiers /*mods*/) {
    if (key == ui::key::kReturn) {
        for (int row = 0; row < static_cast<int>(kAreaRows.size()); ++row) {
            const AreaRow& r = kAreaRows[static_cast<std::size_t>(row)];
            if (id == r.edits[0] || id == r.edits[1]) {
                CheckAreaRow(row);
            }
        }
        return true;
    }
    return key == ui::key::kEscape;
}

bool CPageIo::OnSpinDelta(ui::ControlId id, int delta) {
    const AreaRow* row = RowOfControl(id);
    if (row == nullptr || id < IDC_SPIN_FIRST || id > IDC_SPIN_LAST) {
        return false;
    }
    const std::size_t i = id == row->spins[0] ? 0 : 1;
    const ui::Range range = form_->GetRange(id);
    const double typed = Atof(form_->Text(row->edits[i])) * kMicronsPerMm;
    std::int64_t v = static_cast<std::int64_t>(TruncToInt(typed)) + delta;
    v = std::clamp<std::int64_t>(v, range.min, range.max);
    const int step = AreaStep();
    if (step > 0) {
        v -= v % step;
    }
    const int position = static_cast<int>(v);
    form_->SetPosition(id, position);
    form_->SetText(row->edits[i], Format("%.3f", static_cast<double>(position) / kMicronsPerMm));
    // The position is set here, snapped; the control must not step it again.
    return true;
}

// --- manual outputs and positions ---

void CPageIo::ManualOutput(ui::ControlId button) {
    if (inputLock_) {
        return;
    }
    const int index = button - IDC_MANUAL_FIRST;
    const bool on = form_->IsChecked(button);
    for (const LampRow& row : kLamps) {
        if (row.manualButton == button) {
            const auto bit = static_cast<std::uint16_t>(1U << row.bit);
            lamps_ = static_cast<std::uint16_t>(on ? (lamps_ | bit) : (lamps_ & ~bit));
        }
    }
    RedrawLamps();
    CTrxData(ctx_).Run(OP_MANUAL_OUTPUT, PackManualOutput(index, on ? 1 : 0), 0);
}

void CPageIo::GetPosition(ui::ControlId button) {
    if ((ctx_.status.flags & kFlagOriginDone) == 0) {
        services_.Warn(ids::IDS_NO_ORIGIN);
        return;
    }
    const AreaRow* row = RowOfControl(button);
    if (row == nullptr) {
        return;
    }
    const std::size_t i = button == row->positionButtons[0] ? 0 : 1;
    const double position = std::clamp(static_cast<double>(ctx_.status.currentPosition), 0.0,
                                       static_cast<double>(ctx_.status.stroke[0]));
    form_->SetText(row->edits[i], Format("%.3f", position));
}

// --- range checks ---

void CPageIo::SetError(Field field, bool error) {
    errors_[static_cast<std::size_t>(field)] = error;
    form_->SetColours(kFieldEdits[static_cast<std::size_t>(field)],
                      error ? kErrorColours : kFieldColours);
}

bool CPageIo::CheckAreaRow(int row) {
    if (validating_ || row < 0 || row >= static_cast<int>(kAreaRows.size())) {
        return true;
    }
    validating_ = true;
    const AreaRow& r = kAreaRows[static_cast<std::size_t>(row)];
    const int maximum = StrokeMicrons();
    const int step = AreaStep();
    bool valid = true;
    for (std::size_t i = 0; i < r.edits.size() && valid; ++i) {
        int v = RoundHalfUp(Atof(form_->Text(r.edits[i])) * kMicronsPerMm);
        if (v < 0 || v > maximum) {
            SetError(r.fields[i], true);
            form_->SetFocus(r.edits[i]);
            services_.Warn(r.rangeMessage);
            // One message is enough; the other field is checked once this one is put right.
            valid = false;
            break;
        }
        SetError(r.fields[i], false);
        // Only what the user entered goes onto the grid; a value the controller holds off
        // it is shown as it is.
        if (!Untouched(r.edits[i])) {
            if (step > 0) {
                v -= v % step;
            }
            form_->SetText(r.edits[i], Format("%.3f", static_cast<double>(v) / kMicronsPerMm));
        }
        form_->SetPosition(r.spins[i], v);
    }
    validating_ = false;
    return valid;
}

void CPageIo::CheckThreshold(ui::ControlId id) {
    if (validating_) {
        return;
    }
    if (Untouched(id)) {
        // Leaving a field without typing rounds nothing.
        SetError(FieldOf(id), false);
        return;
    }
    validating_ = true;
    const double typed = Atof(form_->Text(id));
    bool valid = false;
    Field field = kInf;
    int message = ids::IDS_INF_RANGE;
    if (id == IDC_OVT) {
        // Multiplied as a double: a huge entry saturates instead of overflowing.
        const int v = TruncToInt(10.0 * std::trunc((typed + 5.0) / 10.0));
        form_->SetText(id, Format("%.0f", static_cast<double>(v)));
        valid = std::find(kOvtChoices.begin(), kOvtChoices.end(), v) != kOvtChoices.end();
        field = kOvt;
        message = ids::IDS_OVT_RANGE;
    } else {
        const int v = RoundHalfUp(typed * 10.0);
        form_->SetText(id, Format("%.1f", static_cast<double>(v) / 10.0));
        if (id == IDC_OVC) {
            valid = v >= kOvcMinTenths && v <= kOvcMaxTenths;
            field = kOvc;
            message = ids::IDS_OVC_RANGE;
        } else {
            // In tenths, so that a limit such as 2.3 is not lost to float rounding.
            const int limit = RoundHalfUp(10.0 * static_cast<double>(ctx_.status.thrustLimit[0]));
            valid = v >= kInfMinTenths && v <= limit;
        }
    }
    SetError(field, !valid);
    if (!valid) {
        form_->SetFocus(id);
        services_.Warn(message);
    }
    validating_ = false;
}

void CPageIo::ShowThresholdHelp(ui::ControlId id) {
    switch (id) {
        case IDC_INF:
            form_->SetText(IDC_THRESHOLD_HELP,
                           services_.strings.Format(ids::IDS_INF_HELP, kInfHelpMin,
                                                    ctx_.status.thrustLimit[0]));
            break;
        case IDC_OVC:
            form_->SetText(IDC_THRESHOLD_HELP, services_.Text(ids::IDS_OVC_HELP));
            break;
        case IDC_OVT:
            form_->SetText(IDC_THRESHOLD_HELP, services_.Text(ids::IDS_OVT_HELP));
            break;
        default:
            break;
    }
}

// --- Setup ---

bool CPageIo::Untouched(ui::ControlId edit) {
    return binding_.Untouched(kViewIo, kNoList, 0, edit);
}

CPageIo::Field CPageIo::FieldOf(ui::ControlId edit) {
    const auto at = std::find(kFieldEdits.begin(), kFieldEdits.end(), edit);
    return static_cast<Field>(at == kFieldEdits.end() ? 0 : at - kFieldEdits.begin());
}

void CPageIo::Setup() {
    for (const AreaRow& row : kAreaRows) {
        const std::string first = form_->Text(row.edits[0]);
        const std::string second = form_->Text(row.edits[1]);
        // A reversed range the controller holds is left as it is; one the user entered is
        // put in order.
        const bool entered = !Untouched(row.edits[0]) || !Untouched(row.edits[1]);
        if (entered &&
            TruncToInt(Atof(second) * kMicronsPerMm) < TruncToInt(Atof(first) * kMicronsPerMm)) {
            form_->SetText(row.edits[0], second);
            form_->SetText(row.edits[1], first);
        }
    }
    if (!services_.Confirm(ids::IDS_CONFIRM_DOWNLOAD)) {
        return;
    }
    binding_.CollectView(kViewIo, kNoList, 0);
    CopyCommonStepSettings();
    CTrxData(ctx_).Run(OP_IO_DOWNLOAD, 0, 0);
}

void CPageIo::CopyCommonStepSettings() {
    // Steps whose ranges differ were set in the Detail dialog; the page shows none of them
    // and must not overwrite them with step 1's.
    if (!binding_.State().ioAreaEditable) {
        return;
    }
    const int steps = ctx_.status.controlType == kControlTypePulse ? kStepCountPulse : kStepCount;
    CEepData image(ctx_);
    constexpr int first = ParameterImage::kFirstStepGroup;
    constexpr int edit = ParameterImage::kEditCopy;
    for (const int cell : kCommonStepCells) {
        const float value = image.GetCell(first, cell, edit);
        for (int group = first + 1; group < first + steps; ++group) {
            image.SetCell(group, cell, value, edit);
        }
    }
}

}  // namespace tavro
