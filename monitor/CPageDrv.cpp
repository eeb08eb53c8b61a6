#include "monitor/CPageDrv.h"

#include <array>

#include "link/Numbers.h"
#include "link/StatusBlock.h"
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

// Operation buttons that "reset the operation buttons" unchecks, and the one it checks.
constexpr std::array<ui::ControlId, 5> kOperationButtons = {1751, 1752, 1757, 1758, 1764};
constexpr ui::ControlId IDC_STEP_STOP = 1765;
constexpr ui::ControlId IDC_INP_SIGNAL = 1787;

constexpr int IDS_ALARM_FIRST = 1150;  // code 0
constexpr int IDS_ALARM_UNDEFINED = 1162;
constexpr int kLastAlarmCode = 12;
constexpr int IDS_NO_ALARM = 1170;
constexpr int kAlarmCodeCount = 20;

constexpr int IDS_OUT0 = 502;
constexpr int IDS_OUT1 = 503;
constexpr int IDS_FUNCTION_FIRST = 424;  // code 0, "Unused"
constexpr int kLastFunctionCode = 11;

// Jog speed and inching distance.
constexpr int kJogMin = 1;
constexpr int kJogMax = 100;
constexpr int kJogDefault = 10;
constexpr int kJogTicks = 10;
constexpr double kScaleDivisor = 100000.0;
constexpr int kMicronsPerMm = 1000;

int AlarmTextId(int code) {
    return code >= 0 && code <= kLastAlarmCode ? IDS_ALARM_FIRST + code : IDS_ALARM_UNDEFINED;
}

int InchingMinimum(int series) {
    switch (series) {
        case 1:
        case 3:
            return 5;
        case 2:
            return 90;
        default:
            return 0;
    }
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
    : ctx_(ctx), services_(services), form_(std::move(form)), alarmCodes_(kAlarmCodeCount, 0) {
    form_->SetListener(this);
    OnInitDialog();
}

CPageDrv::~CPageDrv() {
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
    form_->SetRange(IDC_JOG_SLIDER, kJogMin, kJogMax);
    form_->SetPosition(IDC_JOG_SLIDER, kJogDefault);
    form_->SetTickInterval(IDC_JOG_SLIDER, kJogTicks);
    form_->SetStep(IDC_JOG_SLIDER, kJogTicks);
    form_->SetRange(IDC_JOG_SPIN, kJogMin, kJogMax);
    form_->SetPosition(IDC_JOG_SPIN, kJogDefault);
    form_->SetText(IDC_JOG_SPEED, Format("%d", kJogDefault));
    SetInchingLimits();
    SetServoDisplay(0);
    SetOriginCaption(0);
    form_->SetChecked(IDC_INP_SIGNAL, true);
    form_->SetChecked(IDC_STEP_STOP, true);
    form_->SetChecked(IDC_ALARM_CURRENT, true);
    form_->SetChecked(IDC_ALARM_HISTORY, false);
    RedrawLamps();
    DisplayAlarms();
}

void CPageDrv::Refresh() {
    const std::array<std::pair<ui::ControlId, int>, 2> outputs = {
        std::pair{IDC_OUT0_TEXT, IDS_OUT0}, std::pair{IDC_OUT1_TEXT, IDS_OUT1}};
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const int code = ctx_.status.outputFunction[i];
        const int name = code >= 0 && code <= kLastFunctionCode
                             ? IDS_FUNCTION_FIRST + code
                             : IDS_FUNCTION_FIRST + kLastFunctionCode;
        form_->SetText(outputs[i].first,
                       FormatPrintf(" %s %s", services_.strings.Text(outputs[i].second),
                                    services_.strings.Text(name)));
    }
}

void CPageDrv::ShowStatusLamps(std::uint16_t word) {
    const bool alarmBefore = AlarmActive();
    statusBits_ = static_cast<std::uint16_t>(word & ((1U << kStatusBits) - 1U));
    RedrawLamps();
    if (AlarmActive() != alarmBefore) {
        DisplayAlarms();
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

void CPageDrv::ShowOperationResult(int /*contEnable*/, int servoOn, int originCaption,
                                   int keepButtons, int /*contRunning*/, int /*resetTable*/) {
    SetOriginCaption(originCaption);
    if (!(servoOn == 1 && keepButtons == 1)) {
        ResetOperationButtons();
    }
    SetServoDisplay(servoOn);
}

void CPageDrv::SetServoDisplay(int on) {
    servoDisplay_ = on != 0 ? 1 : 0;
    const auto i = static_cast<std::size_t>(servoDisplay_);
    form_->SetText(IDC_SERVO, services_.strings.Text(kServoCaptions[i]));
    form_->SetColours(IDC_SERVO, kServoColours[i]);
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
}

void CPageDrv::SetModeSwitch(int testMode) {
    testMode_ = testMode != 0 ? 1 : 0;
    form_->SetVisible(IDC_OUT0_TEXT, testMode_ == 0);
    form_->SetVisible(IDC_OUT1_TEXT, testMode_ == 0);
    form_->SetPosition(IDC_MODE_SWITCH, 1 - testMode_);
}

void CPageDrv::SetInchingLimits() {
    const StatusBlock& s = ctx_.status;
    inchingMinimum_ = InchingMinimum(s.series[0]);
    const int increment = TruncToInt(s.seriesScale[0] / kScaleDivisor * kMicronsPerMm);
    form_->SetRange(IDC_INCHING_SPIN, inchingMinimum_, s.stroke[0] * kMicronsPerMm);
    form_->SetPosition(IDC_INCHING_SPIN, inchingMinimum_);
    form_->SetStep(IDC_INCHING_SPIN, increment);
    form_->SetText(IDC_INCHING_DISTANCE,
                   Format("%.3f", static_cast<double>(inchingMinimum_) / kMicronsPerMm));
}

void CPageDrv::ShowAlarms(const std::vector<int>& codes) {
    alarmCodes_ = codes;
    DisplayAlarms();
}

void CPageDrv::DisplayAlarms() {
    if (AlarmActive()) {
        if (!alarmWasActive_) {
            historyView_ = false;
            form_->SetChecked(IDC_ALARM_CURRENT, true);
            form_->SetChecked(IDC_ALARM_HISTORY, false);
        }
        alarmWasActive_ = true;
    } else {
        alarmWasActive_ = false;
    }
    std::string text;
    if (historyView_) {
        const int count =
            std::min<int>(ctx_.status.alarmHistoryCount, static_cast<int>(alarmCodes_.size()));
        for (int i = 1; i <= count; ++i) {
            const int code = alarmCodes_[static_cast<std::size_t>(i - 1)];
            text += FormatPrintf(i < count ? "%d: %s\r\n" : "%d: %s", i,
                                 services_.strings.Text(AlarmTextId(code)));
        }
    } else if (AlarmActive()) {
        text = services_.Text(AlarmTextId(alarmCodes_.empty() ? 0 : alarmCodes_.front()));
    } else {
        text = services_.Text(IDS_NO_ALARM);
    }
    form_->SetText(IDC_ALARM_BOX, text);
}

void CPageDrv::SetAlarmResetEnable(bool enable) {
    form_->SetEnabled(IDC_ALARM_RESET, enable && !monitorMode_);
    resetLock_ = !enable;
}

void CPageDrv::OnClicked(ui::ControlId id) {
    if (id == IDC_ALARM_CURRENT || id == IDC_ALARM_HISTORY) {
        const bool history = id == IDC_ALARM_HISTORY;
        if (historyView_ != history) {
            historyView_ = history;
            DisplayAlarms();
        }
        form_->SetChecked(IDC_ALARM_CURRENT, !history);
        form_->SetChecked(IDC_ALARM_HISTORY, history);
    }
}

}  // namespace tavro
