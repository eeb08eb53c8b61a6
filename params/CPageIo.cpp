#include "params/CPageIo.h"

#include <array>

#include "link/StatusBlock.h"

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
constexpr int IDS_GET_POSITION = 363;

// Area edits with their spins and "P" buttons.
constexpr std::array<ui::ControlId, 12> kAreaControls = {1440, 1441, 1442, 1443, 1028, 1029,
                                                         1030, 1031, 1402, 1403, 1404, 1405};
constexpr std::array<ui::ControlId, 4> kAreaSpins = {1028, 1029, 1030, 1031};

// The description of the output functions: strings and the format that joins them.
constexpr std::array<int, 9> kDescriptionIds = {401, 402, 403, 404, 405, 406, 407, 413, 414};
constexpr const char* kDescriptionFormat = "%s%s\n%s%s\n%s\n%s%s\n%s%s";

constexpr int IDS_NOT_REPRESENTABLE = 435;  // "***"
constexpr int kMicronsPerMm = 1000;

// Position step of the area spins in micrometres, by series code.
int AreaStep(int series) {
    switch (series) {
        case 1:
        case 3:
            return 5;
        case 2:
            return 30;
        default:
            return 0;
    }
}

}  // namespace

std::unique_ptr<CPageIo> CPageIo::Create(LinkContext& ctx, const ui::DialogServices& services,
                                         ui::Form& parent) {
    auto form = services.forms.Create(kTemplate, &parent, ui::FormKind::kPage);
    if (!form) {
        return nullptr;
    }
    return std::make_unique<CPageIo>(ctx, services, std::move(form));
}

CPageIo::CPageIo(LinkContext& ctx, const ui::DialogServices& services,
                 std::unique_ptr<ui::Form> form)
    : ctx_(ctx), services_(services), form_(std::move(form)) {
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
        form_->SetToolTip(button, s.Text(IDS_GET_POSITION));
    }
    Prepare();
    ShowIoWord(kInitialWord);
}

void CPageIo::Prepare() {
    const int step = AreaStep(ctx_.status.series[0]);
    const int maximum = kMicronsPerMm * ctx_.status.stroke[0];
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
    const std::string marker = services_.Text(IDS_NOT_REPRESENTABLE);
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
        form_->SetEnabled(combo, outputsEditable);
    }
    form_->SetEnabled(IDC_INF, areaEditable);
    for (const ui::ControlId id : kAreaControls) {
        form_->SetEnabled(id, areaEditable);
    }
    const bool detailRead = (ctx_.status.flags & kFlagDetailRead) != 0;
    form_->SetVisible(IDC_LOCK_NOTE, detailRead && !(outputsEditable && areaEditable));
}

}  // namespace tavro
