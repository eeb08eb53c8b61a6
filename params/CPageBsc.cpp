#include "params/CPageBsc.h"

#include <array>

#include "link/Numbers.h"
#include "link/StatusBlock.h"
#include "ui/CCtrlBatch.h"

namespace tavro {

namespace {

// Illustrations by role.
constexpr std::array<int, 6> kIllustrations = {139, 144, 145, 150, 146, 147};
constexpr int kPictureUnknownType = 0;
constexpr int kPictureHorizontal = 1;
constexpr int kPictureVertical = 2;
constexpr int kPictureOrigin = 3;
constexpr int kPictureStepInput = 4;
constexpr int kPicturePulseInput = 5;

constexpr int IDS_HORIZONTAL = 546;
constexpr int IDS_VERTICAL = 547;
constexpr int kVerticalIndex = 1;

// A product number combo while it shows "Select", and once chosen.
constexpr ui::Colours kUnselectedColours{11, 14};
constexpr ui::Colours kSelectedColours{16, 2};

bool EnabledByTable(ui::ControlId control, int linkState, int controlType) {
    bool enabled = true;
    for (const ui::CaptionRow& row : ui::CCtrlBatch::PageRows()) {
        if (row.dialog == kTemplateBasicPage && row.control == control) {
            enabled = ui::CCtrlBatch::IsEnabledIn(row, linkState, controlType);
        }
    }
    return enabled;
}

}  // namespace

std::unique_ptr<CPageBsc> CPageBsc::Create(LinkContext& ctx, const ui::DialogServices& services,
                                           ui::Form& parent) {
    auto form = services.forms.Create(kTemplate, &parent, ui::FormKind::kPage);
    if (!form) {
        return nullptr;
    }
    return std::make_unique<CPageBsc>(ctx, services, std::move(form));
}

CPageBsc::CPageBsc(LinkContext& ctx, const ui::DialogServices& services,
                   std::unique_ptr<ui::Form> form)
    : ctx_(ctx), services_(services), form_(std::move(form)) {
    form_->SetListener(this);
    form_->SetPicture(IDC_PICTURE, kIllustrations[kPictureHorizontal]);
}

CPageBsc::~CPageBsc() {
    form_->SetListener(nullptr);
}

int CPageBsc::StrokeNumber() {
    return Atoi(form_->Text(IDC_STROKE));
}

void CPageBsc::Refresh() {
    const int series = form_->CurrentItem(IDC_SERIES);
    if (series != previousSeries_) {
        RebuildOrientationList(series, previousSeries_);
        RebuildStrokeList(series);
        previousSeries_ = series;
    }
    SelectStrokeFromFull();
    UpdateSelectedFlag(IDC_SERIES);
    ApplySensorOriginRule();
    UpdateSelectedFlag(IDC_STROKE);
    ShowOrientationIllustration();
}

void CPageBsc::OnSelectionChanged(ui::ControlId id) {
    if (id == IDC_SERIES || id == IDC_STROKE) {
        ProductNumberChanged(id);
    } else if (id == IDC_ORIENTATION) {
        ShowIllustration(id);
    }
}

void CPageBsc::OnClicked(ui::ControlId id) {
    if ((id >= IDC_ORIGIN_RETRACTED && id <= IDC_ORIGIN_SENSOR) ||
        (id >= IDC_INPUT_FIRST && id <= IDC_INPUT_LAST)) {
        ShowIllustration(id);
    }
}

void CPageBsc::OnFocusIn(ui::ControlId id) {
    if (id == IDC_ORIENTATION) {
        ShowIllustration(id);
    }
}

void CPageBsc::ProductNumberChanged(ui::ControlId id) {
    if (id == IDC_SERIES) {
        const int series = form_->CurrentItem(IDC_SERIES);
        if (series != previousSeries_) {
            RebuildOrientationList(series, previousSeries_);
            RebuildStrokeList(series);
            previousSeries_ = series;
        }
    }
    // A series that does not offer the stroke sets it back to "Select".
    const int full = form_->FindItem(IDC_STROKE_FULL, form_->Text(IDC_STROKE));
    form_->SetCurrentItem(IDC_STROKE_FULL, full < 0 ? 0 : full);
    UpdateSelectedFlag(id);
    if (id == IDC_SERIES) {
        ApplySensorOriginRule();
    }
}

void CPageBsc::RebuildStrokeList(int series) {
    const ui::StrokeChoice& choice = ui::CCtrlBatch::StrokeChoiceFor(series);
    const std::span<const int> ids(choice.ids.data(), static_cast<std::size_t>(choice.count));
    ui::CCtrlBatch::FillComboItems(*form_, IDC_STROKE, ids, services_.strings);
    SelectStrokeFromFull();
    UpdateSelectedFlag(IDC_STROKE);
}

void CPageBsc::SelectStrokeFromFull() {
    const int index = form_->FindItem(IDC_STROKE, form_->Text(IDC_STROKE_FULL));
    form_->SetCurrentItem(IDC_STROKE, index < 0 ? 0 : index);
}

void CPageBsc::RebuildOrientationList(int series, int previous) {
    if (series != kSeriesM && previous != kSeriesM) {
        return;
    }
    form_->ClearItems(IDC_ORIENTATION);
    form_->AddItem(IDC_ORIENTATION, services_.strings.Text(IDS_HORIZONTAL));
    if (series != kSeriesM) {
        form_->AddItem(IDC_ORIENTATION, services_.strings.Text(IDS_VERTICAL));
    }
    form_->SetCurrentItem(IDC_ORIENTATION, 0);
    ShowOrientationIllustration();
}

void CPageBsc::ApplySensorOriginRule() {
    const int series = form_->CurrentItem(IDC_SERIES);
    const bool offered = series == kSeriesF || series == kSeriesM;
    form_->SetEnabled(IDC_ORIGIN_SENSOR,
                      offered && EnabledByTable(IDC_ORIGIN_SENSOR, ctx_.status.linkState,
                                                ctx_.status.controlType));
    if (!offered && form_->IsChecked(IDC_ORIGIN_SENSOR)) {
        form_->CheckRadio(IDC_ORIGIN_RETRACTED, IDC_ORIGIN_SENSOR, IDC_ORIGIN_RETRACTED);
    }
}

void CPageBsc::UpdateSelectedFlag(ui::ControlId combo) {
    const bool selected = form_->CurrentItem(combo) > 0;
    if (combo == IDC_SERIES) {
        seriesSelected_ = selected;
    } else {
        strokeSelected_ = selected;
    }
    form_->SetColours(combo, selected ? kSelectedColours : kUnselectedColours);
}

void CPageBsc::ShowIllustration(ui::ControlId control) {
    int role = kPictureOrigin;
    if (control >= IDC_INPUT_FIRST && control <= IDC_INPUT_LAST) {
        switch (ctx_.status.controlType) {
            case kControlTypeStep:
                role = kPictureStepInput;
                break;
            case kControlTypePulse:
                role = kPicturePulseInput;
                break;
            default:
                role = kPictureUnknownType;
                break;
        }
    } else if (control == IDC_ORIENTATION) {
        ShowOrientationIllustration();
        return;
    }
    form_->SetPicture(IDC_PICTURE, kIllustrations[static_cast<std::size_t>(role)]);
}

void CPageBsc::ShowOrientationIllustration() {
    const int role = form_->CurrentItem(IDC_ORIENTATION) == kVerticalIndex ? kPictureVertical
                                                                           : kPictureHorizontal;
    form_->SetPicture(IDC_PICTURE, kIllustrations[static_cast<std::size_t>(role)]);
}

}  // namespace tavro
