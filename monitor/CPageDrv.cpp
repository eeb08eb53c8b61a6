#include "monitor/CPageDrv.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cmath>

#include "link/CTrxData.h"
#include "link/Numbers.h"
#include "link/OperationParams.h"
#include "link/Operations.h"
#include "link/StatusBlock.h"
#include "link/StringIds.h"
#include "monitor/CDlgRepeat.h"
#include "product/Product.h"
#include "ui/Keys.h"
#include "ui/Language.h"

namespace tavro {

namespace {

struct LampRow {
    ui::ControlId lamp;
    int bit;
};

constexpr std::array kLamps = {
    LampRow{1700, 0},  LampRow{1701, 1},
    LampRow{1702, 2},  LampRow{1703, 3},
    LampRow{1705, 4},  // SVON
    LampRow{1704, 5},  // DRIVE
    LampRow{1706, 6},  LampRow{1707, CPageDrv::kAlarmBit},
    LampRow{1708, 8},  LampRow{1709, 9},
    LampRow{1710, 10},
};
constexpr int kStatusBits = 13;

constexpr ui::Colours kLampOff{12, 16};
constexpr ui::Colours kLampOn{13, 16};
constexpr ui::Colours kAlarmOn{14, 16};  // an alarm is active

// Controls with fixed fonts and colours.
struct FontColourRow {
    ui::ControlId control;
    int fontJapanese;
    int fontOther;
    ui::Colours colours;
};
constexpr std::array kFixedRows = {
    FontColourRow{1730, 12, 14, {10, 2}}, FontColourRow{1731, 12, 14, {10, 2}},
    FontColourRow{1732, 12, 14, {10, 2}}, FontColourRow{1733, 12, 14, {10, 2}},
    FontColourRow{1734, 12, 14, {10, 2}}, FontColourRow{1751, 5, 7, {10, 2}},
    FontColourRow{1752, 5, 7, {10, 2}},   FontColourRow{1757, 5, 7, {10, 2}},
    FontColourRow{1758, 5, 7, {10, 2}},   FontColourRow{1756, 5, 13, {10, 2}},
    FontColourRow{1034, 5, 11, {10, 15}}, FontColourRow{1035, 5, 11, {10, 15}},
    FontColourRow{1012, 0, 0, {10, 15}},  FontColourRow{1013, 0, 0, {10, 15}},
    FontColourRow{1766, 0, 0, {10, 7}},   FontColourRow{1767, 0, 0, {10, 7}},
    FontColourRow{1773, 0, 0, {10, 7}},   FontColourRow{1775, 5, 9, {10, 7}},
    FontColourRow{1786, 0, 7, {8, 2}},    FontColourRow{1785, 0, 11, {8, 2}},
    FontColourRow{1722, 0, 9, {10, 2}},   FontColourRow{1723, 0, 9, {10, 2}},
};

// Servo button looks: caption and colours for servo display 0 and 1.
constexpr std::array<int, 2> kServoCaptions = {758, 759};
constexpr std::array<ui::Colours, 2> kServoColours = {ui::Colours{10, 2}, ui::Colours{13, 16}};
constexpr std::array<int, 2> kOriginCaptions = {760, 761};
// The continuous operation's end button while idle and while the sequence runs.
constexpr ui::Colours kEndIdle{10, 2};
constexpr ui::Colours kEndRunning{14, 16};
// The mode switch's channel.
constexpr ui::Colours kChannelEnabled{15, 2};
constexpr ui::Colours kChannelDisabled{12, 2};

// Operation buttons that "reset the operation buttons" unchecks.
constexpr std::array<ui::ControlId, 5> kOperationButtons = {1751, 1752, 1757, 1758, 1764};

// Help line texts by control.
struct HelpRow {
    ui::ControlId control;
    int text;
};
constexpr std::array kHelpRows = {
    HelpRow{1741, ids::IDS_HELP_ORIGIN},
    HelpRow{1751, 743},
    HelpRow{1752, 743},
    HelpRow{1757, 747},
    HelpRow{1758, 747},
    HelpRow{1764, 753},
    HelpRow{1765, 754},
    HelpRow{1763, 752},
    HelpRow{1772, 752},
};

constexpr int kLastFunctionCode = 11;

// Jog speed and inching distance.
constexpr int kJogMin = 1;
constexpr int kJogMax = 100;
constexpr int kJogDefault = 10;
constexpr int kJogTicks = 10;
constexpr double kScaleDivisor = 100000.0;
constexpr int kMicronsPerMm = 1000;
constexpr int kSpinMax = 0xFFFF;

// Parameters of the operations the page starts.
constexpr int kInchConnector = 18;
constexpr int kInchOpposite = 19;
constexpr int kMaxRepeats = 100;

// Operation kinds whose buttons stay usable while they run.
constexpr int kKindOrigin = 0;
constexpr int kKindInching = 1;
constexpr int kKindSingleStep = 2;
constexpr int kKindContinuous = 3;

int InchingMinimum(int series) {
    const product::SeriesFacts* f = product::FindSeries(series);
    return f != nullptr ? f->inchingMinimumUm : 0;
}

// A distance typed in mm, to the nearest micrometre: 2.01 is 2010, not the 2009 that the
// binary fraction truncates to.
int Microns(const std::string& text) {
    return TruncToInt(std::round(Atof(text) * kMicronsPerMm));
}

bool IsJogButton(ui::ControlId id) {
    return id == CPageDrv::IDC_JOG_CONNECTOR || id == CPageDrv::IDC_JOG_OPPOSITE;
}

}  // namespace

std::unique_ptr<CPageDrv> CPageDrv::Create(LinkContext& ctx, const ui::DialogServices& services,
                                           ui::Form& parent) {
    auto form = services.forms.Create(kTemplate, &parent, ui::FormKind::kPage);
    if (!form) {
        return nullptr;
    }
    return std::make_unique<CPageDrv>(ctx, services, std::move(form));
}

CPageDrv::CPageDrv(LinkContext& ctx, const ui::DialogServices& services,
                   std::unique_ptr<ui::Form> form)
    : ctx_(ctx),
      services_(services),
      form_(std::move(form)),
      alarms_(*form_, services_.strings, ctx_.status),
      continuous_(
          *form_, ctx_.status, services_, [this](ui::ControlId id) { SelectEditText(id); },
          [this] { return continuousRunning_; }) {
    form_->SetListener(this);
    OnInitDialog();
    ctx_.drivePage = this;
}

CPageDrv::~CPageDrv() {
    if (ctx_.drivePage == this) {
        ctx_.drivePage = nullptr;
    }
    form_->SetListener(nullptr);
}

void CPageDrv::OnInitDialog() {
    const Language language = services_.strings.language();
    for (const FontColourRow& row : kFixedRows) {
        form_->SetFont(row.control, FontIndexFor(language, row.fontJapanese, row.fontOther));
        form_->SetColours(row.control, row.colours);
    }
    form_->SetRange(IDC_MODE_SWITCH, 0, 1);
    form_->SetPosition(IDC_MODE_SWITCH, 0);
    form_->SetTickInterval(IDC_MODE_SWITCH, 1);
    form_->SetStep(IDC_MODE_SWITCH, 1);
    form_->SetRange(IDC_JOG_SLIDER, kJogMin, kJogMax);
    form_->SetPosition(IDC_JOG_SLIDER, kJogDefault);
    form_->SetTickInterval(IDC_JOG_SLIDER, kJogTicks);
    form_->SetStep(IDC_JOG_SLIDER, kJogTicks);
    form_->SetRange(IDC_JOG_SPIN, kJogMin, kJogMax);
    form_->SetPosition(IDC_JOG_SPIN, kJogDefault);
    form_->SetText(IDC_JOG_SPEED, Format("%d", kJogDefault));
    form_->SetText(IDC_REPEAT, "0");
    form_->SetText(IDC_ROW_TIME, services_.Text(ids::IDS_NO_VALUE));
    SetInchingLimits();
    SetServoDisplay(0);
    SetOriginCaption(0);
    form_->SetChecked(IDC_INP_SIGNAL, true);
    form_->SetChecked(IDC_TIME_TRANSITION, false);
    form_->SetChecked(IDC_STEP_STOP, true);
    SetContinuousButtons(false, false);
    RedrawLamps();
    alarms_.Reset();
}

void CPageDrv::FinishCaptions() {
    continuous_.Table().UpdateAll(ctx_.status);
    for (int r = 0; r < ContinuousTable::kRows && r < form_->ListRowCount(IDC_TABLE); ++r) {
        continuous_.WriteRowCells(r);
    }
    form_->ListSetRowChecked(IDC_TABLE, 0, true);
    form_->ListSelectRow(IDC_TABLE, 0);
    continuous_.LoadRow(0);
    form_->SetCurrentItem(IDC_STEP_CHOICE, 0);
    continuous_.UpdateRepeatEnable();
    continuous_.ColourTable();
}

bool CPageDrv::ModelSelected() const {
    const StatusBlock& s = ctx_.status;
    const int stroke = s.stroke[0];
    return (stroke == 10 || stroke == 20 || stroke == 30 || stroke == 50) && s.series[0] != 0;
}

bool CPageDrv::OriginDone() const {
    return (ctx_.status.flags & kFlagOriginDone) != 0;
}

void CPageDrv::SetLinkState(LinkState state) {
    ctx_.Host().SetLinkState(state);
}

void CPageDrv::Run(Op op, int param, int status) {
    CTrxData(ctx_).Run(op, param, status);
}

// --- what the link and the main window call ---

void CPageDrv::Refresh() {
    const std::array<std::pair<ui::ControlId, int>, 2> outputs = {
        std::pair{IDC_OUT0_TEXT, ids::IDS_OUT0}, std::pair{IDC_OUT1_TEXT, ids::IDS_OUT1}};
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const int code = ctx_.status.outputFunction[i];
        const int name = code >= 0 && code <= kLastFunctionCode
                             ? ids::IDS_FUNCTION_FIRST + code
                             : ids::IDS_FUNCTION_FIRST + kLastFunctionCode;
        form_->SetText(outputs[i].first,
                       FormatPrintf(" %s %s", services_.strings.Text(outputs[i].second),
                                    services_.strings.Text(name)));
    }
    form_->SetText(IDC_REPEATABILITY, services_.Text(ids::IDS_REPEAT_BUTTON));
    form_->SetEnabled(IDC_REPEATABILITY, ctx_.status.controlType != kControlTypePulse);
    continuous_.RefreshTimeColumn();
    continuous_.RowChoiceChanged(false);
    continuous_.UpdateRepeatEnable();
    continuous_.ColourTable();
    PaintModeSwitch();
}

void CPageDrv::PaintModeSwitch() {
    form_->SetColours(IDC_MODE_SWITCH,
                      form_->IsEnabled(IDC_MODE_SWITCH) ? kChannelEnabled : kChannelDisabled);
}

void CPageDrv::ShowStatusLamps(std::uint16_t word) {
    statusBits_ = static_cast<std::uint16_t>(word & ((1U << kStatusBits) - 1U));
    RedrawLamps();
    alarms_.SetAlarmActive(AlarmActive());
}

void CPageDrv::ShowStatusUnknown() {
    for (const LampRow& row : kLamps) {
        form_->SetColours(row.lamp, kLampOff);
    }
}

void CPageDrv::RedrawLamps() {
    for (const LampRow& row : kLamps) {
        const bool on = ((statusBits_ >> row.bit) & 1U) != 0;
        ui::Colours colours = on ? kLampOn : kLampOff;
        if (row.bit == kAlarmBit) {
            colours = on ? kLampOff : kAlarmOn;
        }
        form_->SetColours(row.lamp, colours);
    }
    form_->SetColours(IDC_ALARM_BOX, AlarmActive() ? kAlarmOn : kLampOff);
}

void CPageDrv::ShowMonitorValue(int controlId, const std::string& text) {
    form_->SetText(controlId, text);
}

void CPageDrv::ShowOperationResult(const OperationResult& result) {
    SetOriginCaption(result.originDone ? 1 : 0);
    if (!(result.servoOn && result.keepButtons)) {
        ResetOperationButtons();
    }
    SetServoDisplay(result.servoOn ? 1 : 0);
    SetContinuousButtons(result.continuousEnabled, result.continuousRunning);
    if (result.resetTable) {
        continuous_.ShowFirstRow();
    }
}

void CPageDrv::SetServoDisplay(int on) {
    servoDisplay_ = on != 0 ? 1 : 0;
    const auto i = static_cast<std::size_t>(servoDisplay_);
    form_->SetText(IDC_SERVO, services_.strings.Text(kServoCaptions[i]));
    form_->SetColours(IDC_SERVO, kServoColours[i]);
    RedrawLamps();
}

void CPageDrv::SetOriginCaption(int state) {
    originCaption_ = state != 0 ? 1 : 0;
    const auto i = static_cast<std::size_t>(originCaption_);
    form_->SetText(IDC_ORIGIN, services_.strings.Text(kOriginCaptions[i]));
    form_->SetChecked(IDC_ORIGIN, originCaption_ == 1);
}

void CPageDrv::ResetOperationButtons() {
    form_->SetChecked(IDC_STEP_STOP, true);
    for (const ui::ControlId id : kOperationButtons) {
        form_->SetChecked(id, false);
    }
    SetOriginCaption(0);
    continuousRunning_ = false;
    if (repeat_ != nullptr) {
        // Whatever reset the buttons (End, Servo Off, an alarm, leaving, a controller that
        // stopped answering) has stopped the run.
        const LinkState link = ctx_.status.linkState;
        repeat_->Interrupt(link == kLinkNoController || link == kLinkNoPort ? RepeatEnd::kLinkLost
                                                                            : RepeatEnd::kStopped);
    }
    // The jog buttons are up: a later mouse release must not send a jog release.
    jogDirection_ = 0;
    deferredRelease_ = false;
}

void CPageDrv::EnableOperationKind(int kind) {
    SetLinkState(kLinkBusy);
    // The user can always cut the power, and stop what this kind started.
    form_->SetEnabled(IDC_SERVO, true);
    form_->SetEnabled(IDC_STEP_STOP, kind == kKindSingleStep);
    form_->SetEnabled(IDC_CONT_END, kind == kKindContinuous);
    PaintModeSwitch();
}

void CPageDrv::SetModeSwitch(int testMode) {
    silentSwitch_ = true;
    form_->SetVisible(IDC_OUT0_TEXT, testMode == 0);
    form_->SetVisible(IDC_OUT1_TEXT, testMode == 0);
    form_->SetPosition(IDC_MODE_SWITCH, 1 - (testMode != 0 ? 1 : 0));
    ModeSwitchMoved();
    silentSwitch_ = false;
    jogDirection_ = 0;
}

void CPageDrv::SetInchingLimits() {
    const StatusBlock& s = ctx_.status;
    inchingMinimum_ = InchingMinimum(s.series[0]);
    inchingIncrement_ = TruncToInt(s.seriesScale[0] / kScaleDivisor * kMicronsPerMm);
    form_->SetRange(IDC_INCHING_SPIN, inchingMinimum_, s.stroke[0] * kMicronsPerMm);
    form_->SetPosition(IDC_INCHING_SPIN, inchingMinimum_);
    form_->SetStep(IDC_INCHING_SPIN, std::max(inchingIncrement_, 1));
    form_->SetText(IDC_INCHING_DISTANCE,
                   Format("%.3f", static_cast<double>(inchingMinimum_) / kMicronsPerMm));
    continuous_.RefreshTimeColumn();
}

void CPageDrv::ReleaseDeferredJog() {
    if (deferredRelease_) {
        JogRelease(IDC_JOG_CONNECTOR);
    }
}

void CPageDrv::SetStepPositioningTime(int step, float time) {
    continuous_.Table().SetPositioningTime(step, time);
    continuous_.RefreshTimeColumn();
}

void CPageDrv::SelectBrowsedStep(int comboId, int item) {
    if (comboId != IDC_STEP_CHOICE && comboId != IDC_ROW_CHOICE) {
        return;
    }
    form_->SetCurrentItem(comboId, item);
    Refresh();
}

// --- alarms ---

void CPageDrv::ShowAlarms(const std::vector<int>& codes) {
    alarms_.ShowCodes(codes);
}

void CPageDrv::SetAlarmResetEnable(bool enable) {
    alarms_.SetResetEnable(enable, !monitorMode_ && ctx_.status.linkState == kLinkOnline);
}

// --- events ---

void CPageDrv::OnClicked(ui::ControlId id) {
    switch (id) {
        case IDC_CHART:
            if (openChart_) {
                openChart_();
            }
            break;
        case IDC_ALARM_CURRENT:
        case IDC_ALARM_HISTORY:
            alarms_.ChooseView(id);
            break;
        case IDC_ALARM_RESET:
            // Never over an operation that runs: the reset would replace it.
            if (ctx_.status.linkState == kLinkOnline && ctx_.trx.currentOp == OP_IDLE) {
                Run(OP_ALARM, 1, 0);
            }
            break;
        case IDC_SERVO:
            ServoClicked();
            break;
        case IDC_ORIGIN:
            OriginClicked();
            break;
        case IDC_INCH_CONNECTOR:
        case IDC_INCH_OPPOSITE:
            InchingClicked(id);
            break;
        case IDC_STEP_START:
            StepStartClicked();
            break;
        case IDC_STEP_STOP:
            StepStopClicked();
            break;
        case IDC_STEP_BROWSE:
        case IDC_ROW_BROWSE:
            BrowseClicked(id);
            break;
        case IDC_CYCLE:
            continuous_.UpdateRepeatEnable();
            break;
        case IDC_CONT_START:
            StartContinuous();
            break;
        case IDC_CONT_END:
            StopContinuous();
            break;
        case IDC_REPEATABILITY:
            OpenRepeatWindow();
            break;
        default:
            break;
    }
}

void CPageDrv::OnSelectionChanged(ui::ControlId id) {
    switch (id) {
        case IDC_ROW_CHOICE:
            continuous_.RowChoiceChanged(true);
            break;
        case IDC_INP_SIGNAL:
        case IDC_TIME_TRANSITION:
            continuous_.TransitionChanged();
            continuous_.UpdateRepeatEnable();
            continuous_.ColourTable();
            break;
        default:
            break;
    }
}

void CPageDrv::OnFocusIn(ui::ControlId id) {
    SelectEditText(id);
}

void CPageDrv::SelectEditText(ui::ControlId id) {
    if (id == IDC_JOG_SPEED || id == IDC_INCHING_DISTANCE || id == IDC_ROW_TIME ||
        id == IDC_REPEAT) {
        form_->SelectAllText(id);
    }
}

void CPageDrv::OnFocusOut(ui::ControlId id) {
    if (id == IDC_JOG_SPEED) {
        NormaliseJogSpeed();
    } else if (id == IDC_INCHING_DISTANCE) {
        NormaliseInchingDistance();
    }
}

bool CPageDrv::OnKeyDown(ui::ControlId id, int key, ui::KeyModifiers mods) {
    bool consumed = false;
    const bool inEditor = id == IDC_ROW_CHOICE || id == IDC_ROW_TIME || id == IDC_TABLE;
    switch (key) {
        case ui::key::kTab:
            form_->MoveFocus(mods.shift);
            ShowHelp(form_->FocusedControl(), true);
            consumed = true;
            break;
        case ui::key::kReturn:
            if (id == IDC_JOG_SPEED || id == IDC_INCHING_DISTANCE) {
                NormaliseJogSpeed();
                NormaliseInchingDistance();
                consumed = true;
            } else if (inEditor) {
                continuous_.MoveRowByKey(key);
                consumed = true;
            }
            break;
        case ui::key::kPageDown:
        case ui::key::kUp:
        case ui::key::kDown:
            if (inEditor) {
                continuous_.MoveRowByKey(key);
                consumed = true;
            }
            break;
        case ui::key::kEscape:
            consumed = true;
            break;
        default:
            break;
    }
    // Any key stops a jog like a mouse move off its button; Tab has shown the new control.
    if (key != ui::key::kTab) {
        ShowHelp(id, false);
    }
    if (jogDirection_ != 0 && !IsJogButton(id)) {
        JogRelease(IDC_JOG_CONNECTOR);
    }
    return consumed;
}

void CPageDrv::OnMouseMove(ui::ControlId id) {
    ShowHelp(id, false);
    if (jogDirection_ != 0 && !IsJogButton(id)) {
        JogRelease(IDC_JOG_CONNECTOR);
    }
}

bool CPageDrv::OnMouseDown(ui::ControlId id) {
    ShowHelp(id, true);
    if (IsJogButton(id)) {
        return JogPress(id);
    }
    return false;
}

void CPageDrv::OnMouseUp(ui::ControlId id) {
    // The button is up wherever the mouse is: a jog never outlives the press.
    JogRelease(IsJogButton(id) ? id : IDC_JOG_CONNECTOR);
}

void CPageDrv::OnSliderScrolled(ui::ControlId id, int position) {
    if (id == IDC_MODE_SWITCH) {
        ModeSwitchMoved();
    } else if (id == IDC_JOG_SLIDER) {
        form_->SetText(IDC_JOG_SPEED, Format("%d", position));
        spinGuard_ = true;
        form_->SetPosition(IDC_JOG_SPIN, Atoi(form_->Text(IDC_JOG_SPEED)));
        spinGuard_ = false;
    }
}

bool CPageDrv::OnSpinDelta(ui::ControlId id, int delta) {
    if (id == IDC_JOG_SPIN) {
        if (!spinGuard_) {
            form_->SetPosition(IDC_JOG_SLIDER, form_->Position(IDC_JOG_SPIN) + delta);
            form_->SetText(IDC_JOG_SPEED, Format("%d", form_->Position(IDC_JOG_SLIDER)));
        }
        return false;
    }
    if (id == IDC_INCHING_SPIN) {
        const long long stroke = ctx_.status.stroke[0] * kMicronsPerMm;
        // Wide enough that a saturated typed value plus the arrow's step cannot overflow.
        const long long typed =
            static_cast<long long>(Microns(form_->Text(IDC_INCHING_DISTANCE))) + delta;
        const int value =
            static_cast<int>(std::max<long long>(std::min(typed, stroke), inchingMinimum_));
        form_->SetText(IDC_INCHING_DISTANCE,
                       Format("%.3f", static_cast<double>(value) / kMicronsPerMm));
        form_->SetPosition(IDC_INCHING_SPIN, value);
        // The position follows the edit, not the arrow.
        return true;
    }
    return false;
}

// --- servo, origin, jog, inching ---

void CPageDrv::ServoClicked() {
    const int on = servoDisplay_ == 0 ? 1 : 0;
    SetServoDisplay(on);
    if (on == 0) {
        SetOriginCaption(0);
        ResetOperationButtons();
        SetServoDisplay(0);
    }
    if (!ModelSelected()) {
        services_.Warn(ids::IDS_NO_MODEL);
        ResetOperationButtons();
        SetServoDisplay(0);
        return;
    }
    if (on == 0 && CTrxData(ctx_).Stopping()) {
        return;  // the link is switching everything off already
    }
    SetLinkState(kLinkBusy);
    Run(OP_DRIVE, on != 0 ? PackMotion({.svon = true}) : 0, 0);
}

void CPageDrv::OriginClicked() {
    if (!ModelSelected()) {
        services_.Warn(ids::IDS_NO_MODEL);
        SetOriginCaption(0);
        return;
    }
    ResetOperationButtons();
    SetServoDisplay(0);
    SetOriginCaption(1);
    SetServoDisplay(1);
    EnableOperationKind(kKindOrigin);
    Run(OP_RETURN_ORIGIN, 0, 0);
}

bool CPageDrv::JogPress(ui::ControlId id) {
    if (sendingBusy_) {
        const bool connector = jogDirection_ == kJogConnector;
        form_->SetChecked(IDC_JOG_CONNECTOR, connector);
        form_->SetChecked(IDC_JOG_OPPOSITE, !connector);
        return false;
    }
    form_->SetFocus(id);
    if (jogDirection_ == 0) {
        if (OriginDone()) {
            SetServoDisplay(1);
            const int speed = Atoi(form_->Text(IDC_JOG_SPEED));
            form_->SetChecked(id, true);
            const int direction = id == IDC_JOG_CONNECTOR ? kJogConnector : kJogOpposite;
            jogDirection_ = direction;
            deferredRelease_ = false;
            Run(OP_JOG, PackMotion({direction, true, true, speed}), 0);
        } else {
            form_->SetFocus(IDC_ORIGIN);
            form_->SetChecked(id, true);
            services_.Warn(ids::IDS_NO_ORIGIN);
            form_->SetChecked(id, false);
        }
    }
    return true;
}

void CPageDrv::JogRelease(ui::ControlId id) {
    if (sendingBusy_) {
        deferredRelease_ = true;
        return;
    }
    if (jogDirection_ == 0 || !IsJogButton(id)) {
        return;
    }
    form_->SetChecked(IDC_JOG_CONNECTOR, false);
    form_->SetChecked(IDC_JOG_OPPOSITE, false);
    const int direction = jogDirection_;
    jogDirection_ = 0;
    deferredRelease_ = false;
    // While the link runs an operation (the alarm read an alarm started, a stop) that one has
    // switched the inputs off; a release would replace it.
    if (ctx_.status.linkState == kLinkOnline && ctx_.trx.currentOp == OP_IDLE) {
        Run(OP_DRIVE, PackMotion({.step = direction, .svon = true}), 0);
    }
}

void CPageDrv::InchingClicked(ui::ControlId id) {
    if (!OriginDone()) {
        services_.Warn(ids::IDS_NO_ORIGIN);
        form_->SetChecked(IDC_INCH_CONNECTOR, false);
        form_->SetChecked(IDC_INCH_OPPOSITE, false);
        return;
    }
    const int speed = Atoi(form_->Text(IDC_JOG_SPEED));
    SetServoDisplay(1);
    const int sign = id == IDC_INCH_CONNECTOR ? -1 : 1;
    const int distance = Microns(form_->Text(IDC_INCHING_DISTANCE)) * sign;
    const int step = id == IDC_INCH_CONNECTOR ? kInchConnector : kInchOpposite;
    EnableOperationKind(kKindInching);
    Run(OP_INCHING, PackMotion({step, true, true, speed}), distance);
}

void CPageDrv::NormaliseJogSpeed() {
    int value = std::min(Atoi(form_->Text(IDC_JOG_SPEED)), kJogMax);
    if (value < 2) {
        value = kJogMin;
    }
    form_->SetText(IDC_JOG_SPEED, Format("%d", value));
    form_->SetPosition(IDC_JOG_SLIDER, value);
    spinGuard_ = true;
    form_->SetPosition(IDC_JOG_SPIN, value);
    spinGuard_ = false;
}

void CPageDrv::NormaliseInchingDistance() {
    int value = Microns(form_->Text(IDC_INCHING_DISTANCE));
    value = std::min(value, ctx_.status.stroke[0] * kMicronsPerMm);
    if (inchingIncrement_ >= 1) {
        value = std::max(value, inchingMinimum_);
        value -= value % inchingIncrement_;
    } else {
        value = 0;
    }
    form_->SetText(IDC_INCHING_DISTANCE,
                   Format("%.3f", static_cast<double>(value) / kMicronsPerMm));
    form_->SetPosition(IDC_INCHING_SPIN, value & kSpinMax);
}

void CPageDrv::ModeSwitchMoved() {
    const int want = form_->Position(IDC_MODE_SWITCH) != 1 ? 1 : 0;
    if (switchGuard_ || want == testMode_) {
        return;
    }
    switchGuard_ = true;
    if (silentSwitch_) {
        testMode_ = want;
    } else {
        const bool toMonitor = want == 0;
        const std::string mode =
            services_.Text(toMonitor ? ids::IDS_MONITOR_MODE : ids::IDS_TEST_MODE);
        const std::string io = services_.Text(toMonitor ? ids::IDS_ENABLED : ids::IDS_DISABLED);
        const std::string text =
            FormatPrintf(services_.strings.Text(ids::IDS_MODE_QUESTION), mode, mode, io);
        if (services_.prompter.Confirm(ids::IDS_MODE_QUESTION, text)) {
            form_->SetVisible(IDC_OUT0_TEXT, toMonitor);
            form_->SetVisible(IDC_OUT1_TEXT, toMonitor);
            ResetOperationButtons();
            SetServoDisplay(0);
            testMode_ = want;
            Run(OP_SET_MODE, want, 0);
        } else {
            form_->SetPosition(IDC_MODE_SWITCH, 1 - testMode_);
        }
    }
    switchGuard_ = false;
}

void CPageDrv::ShowHelp(ui::ControlId id, bool clickStyle) {
    if (id == lastHelp_) {
        return;
    }
    lastHelp_ = id;
    int text = 0;
    if (id == IDC_SERVO) {
        text = servoDisplay_ == 0 ? ids::IDS_HELP_SERVO_ON : ids::IDS_HELP_SERVO_OFF;
    }
    for (const HelpRow& row : kHelpRows) {
        if (row.control == id) {
            text = row.text;
        }
    }
    if (text == 0) {
        form_->SetText(IDC_HELP_MOUSE, "");
        form_->SetText(IDC_HELP_CLICK, "");
        form_->SetVisible(IDC_HELP_MOUSE, false);
        form_->SetVisible(IDC_HELP_CLICK, true);
        return;
    }
    const ui::ControlId shown = clickStyle ? IDC_HELP_CLICK : IDC_HELP_MOUSE;
    form_->SetText(shown, services_.strings.Text(text));
    form_->SetVisible(shown, true);
    form_->SetVisible(clickStyle ? IDC_HELP_MOUSE : IDC_HELP_CLICK, false);
}

// --- single step ---

void CPageDrv::StepStartClicked() {
    if (!form_->IsChecked(IDC_STEP_START)) {
        // Pressed while the step runs: it stays pressed.
        form_->SetChecked(IDC_STEP_START, true);
        form_->SetChecked(IDC_STEP_STOP, false);
        return;
    }
    form_->SetChecked(IDC_STEP_STOP, false);
    const int choice = form_->CurrentItem(IDC_STEP_CHOICE);
    if (!OriginDone()) {
        form_->SetText(IDC_HELP_MOUSE, services_.strings.Text(ids::IDS_HELP_ORIGIN));
        form_->SetVisible(IDC_HELP_MOUSE, true);
        form_->SetVisible(IDC_HELP_CLICK, false);
        services_.Warn(ids::IDS_NO_ORIGIN);
        form_->SetFocus(IDC_ORIGIN);
        ResetOperationButtons();
    } else if (choice <= 0) {
        form_->SetText(IDC_HELP_MOUSE, "");
        services_.Warn(ids::IDS_SELECT_STEP);
        form_->SetFocus(IDC_STEP_CHOICE);
        ResetOperationButtons();
    } else {
        EnableOperationKind(kKindSingleStep);
        Run(OP_DRIVE, PackMotion({.step = choice, .svon = true, .drive = true}), 0);
    }
}

void CPageDrv::StepStopClicked() {
    if (form_->IsChecked(IDC_STEP_STOP)) {
        ResetOperationButtons();
        if (!CTrxData(ctx_).Stopping()) {
            Run(OP_DRIVE, PackMotion({.svon = true}), 0);
        }
    } else {
        form_->SetChecked(IDC_STEP_START, false);
        form_->SetChecked(IDC_STEP_STOP, true);
    }
}

void CPageDrv::BrowseClicked(ui::ControlId button) {
    const ui::ControlId combo = button == IDC_STEP_BROWSE ? IDC_STEP_CHOICE : IDC_ROW_CHOICE;
    const int item = std::max(form_->CurrentItem(combo), 0);
    if ((ctx_.status.flags & kFlagStepDataMoved) != 0) {
        ctx_.Host().EnableMainWindow(false);
        ctx_.Host().ShowStepBrowser(combo, item);
        return;
    }
    const ui::Message question{ids::IDS_NO_REFERENCE, services_.Text(ids::IDS_NO_REFERENCE),
                               ui::Icon::kInformation, ui::Buttons::kYesNo};
    if (services_.prompter.Show(question) == ui::Answer::kYes) {
        Run(OP_STEP_UPLOAD_REF, PackBrowseTarget({static_cast<int>(combo), item}), 0);
    }
}

// --- the continuous table ---

void CPageDrv::OnListClick(ui::ControlId id, int row, int column) {
    if (id == IDC_TABLE) {
        continuous_.ClickRow(row, column);
    }
}

void CPageDrv::SetContinuousButtons(bool enable, bool running) {
    form_->SetEnabled(IDC_CONT_END, enable && running);
    form_->SetColours(IDC_CONT_END, running ? kEndRunning : kEndIdle);
    // While the link is busy (a single step runs until it is stopped) a start would drive a
    // second motion; the link state's own enabling brings the button back.
    form_->SetEnabled(IDC_CONT_START, enable && !running && ctx_.status.linkState != kLinkBusy);
}

void CPageDrv::StartContinuous() {
    // The edited row's time is checked as when the editor leaves it, before it is stored.
    if (!continuous_.CheckOperatingTime()) {
        return;
    }
    continuous_.SaveEditor();
    const std::optional<long long> repeats = ParseWholeInteger(form_->Text(IDC_REPEAT));
    // Taken unsigned, a negative count is far above the limit.
    if (!repeats || *repeats < 0 || *repeats > kMaxRepeats) {
        services_.prompter.Warn(
            ids::IDS_REPEAT_RANGE,
            FormatPrintf(services_.strings.Text(ids::IDS_REPEAT_RANGE), kMaxRepeats));
        form_->SetFocus(IDC_REPEAT);
        form_->SelectAllText(IDC_REPEAT);
        return;
    }
    if (!ModelSelected()) {
        services_.Warn(ids::IDS_NO_MODEL);
    } else if (continuous_.Table().Row(0).choice == kChoiceOrigin || OriginDone()) {
        RunContinuous(true);
    } else {
        services_.Warn(ids::IDS_ORIGIN_FIRST);
    }
}

void CPageDrv::RunContinuous(bool start) {
    if (start) {
        continuousRunning_ = true;
        currentRow_ = 0;
        laterPass_ = false;
        repeatsLeft_ = Atoi(form_->Text(IDC_REPEAT));
        std::array<bool, ContinuousTable::kRows> oneTime{};
        for (int r = 0; r < ContinuousTable::kRows; ++r) {
            oneTime[static_cast<std::size_t>(r)] = continuous_.OneTime(r);
        }
        cycle_ = continuous_.Table().CycleFlag(oneTime, form_->IsChecked(IDC_CYCLE));
        EnableOperationKind(kKindContinuous);
        SetServoDisplay(1);
        SetContinuousButtons(true, true);
    } else if (!continuousRunning_) {
        // A step that ended after the sequence was stopped starts nothing.
        return;
    }
    if (repeat_ != nullptr) {
        repeat_->StepEnded();
        return;
    }
    for (;;) {
        if (currentRow_ >= ContinuousTable::kRows ||
            continuous_.Table().Row(currentRow_).choice == kChoiceEnd) {
            if (cycle_) {
                laterPass_ = true;
                currentRow_ = 0;
                continue;
            }
            if (repeatsLeft_ <= 0) {
                continuousRunning_ = false;
                StopContinuous();
                laterPass_ = true;
                currentRow_ = 0;
                return;
            }
            --repeatsLeft_;
            form_->SetText(IDC_REPEAT, Format("%d", repeatsLeft_));
            laterPass_ = true;
            currentRow_ = 0;
            continue;
        }
        if (laterPass_ && continuous_.OneTime(currentRow_)) {
            ++currentRow_;
            continue;
        }
        const int r = currentRow_;
        form_->ListEnsureVisible(IDC_TABLE, r);
        form_->ListSelectRow(IDC_TABLE, r);
        continuous_.LoadRow(r);
        continuous_.ColourTable();
        ++currentRow_;
        Run(OP_STEP_RUN, continuous_.Table().RunParameter(r), continuous_.Table().RunTimeMs(r));
        return;
    }
}

bool CPageDrv::MotionRunning() const {
    return jogDirection_ != 0 || continuousRunning_ || form_->IsChecked(IDC_STEP_START) ||
           CTrxData(ctx_).MotionRunning();
}

void CPageDrv::StopContinuous() {
    if (!continuousRunning_) {
        continuous_.SaveEditor();
    }
    ResetOperationButtons();
    continuous_.ShowFirstRow();
    PostStopRequest();
}

void CPageDrv::PostStopRequest() {
    LinkContext* ctx = &ctx_;
    ctx_.loop.Post([ctx] { CTrxData(*ctx).Run(OP_STOP, 0, 0); });
}

// --- repeatability run ---

bool CPageDrv::StartRepeat(RepeatRun& run) {
    if (!run.Plan().Valid() || ctx_.status.linkState != kLinkOnline ||
        ctx_.status.controlType == kControlTypePulse) {
        return false;
    }
    if (!ModelSelected()) {
        services_.Warn(ids::IDS_NO_MODEL);
        return false;
    }
    const std::vector<RepeatMove>& moves = run.Plan().moves;
    if (!OriginDone() && (moves.empty() || moves.front().step != 0)) {
        services_.Warn(ids::IDS_ORIGIN_FIRST);
        return false;
    }
    repeat_ = &run;
    continuousRunning_ = true;
    EnableOperationKind(kKindContinuous);
    SetServoDisplay(1);
    SetContinuousButtons(true, true);
    run.Start();
    return true;
}

void CPageDrv::DetachRepeat(const RepeatRun& run) {
    if (repeat_ != &run) {
        return;
    }
    if (continuousRunning_) {
        StopContinuous();
    }
    repeat_ = nullptr;
}

void CPageDrv::RunStep(int step) {
    // A row of the continuous table with this step, ending on INP (the origin on its bit).
    Run(OP_STEP_RUN, ContinuousTable::StepRunParameter(step), 0);
}

void CPageDrv::EndRun() {
    continuousRunning_ = false;
    StopContinuous();
}

void CPageDrv::OpenRepeatWindow() {
    // The window is modal: over a motion of the page it would hide the buttons that stop it.
    if (MotionRunning() || ctx_.status.linkState == kLinkBusy) {
        return;
    }
    CDlgRepeat window(ctx_, services_, *this, chooser_, printer_);
    window.DoModal(form_.get());
}

}  // namespace tavro
