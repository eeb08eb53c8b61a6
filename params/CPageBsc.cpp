#include "params/CPageBsc.h"

#include <array>

#include "link/CEepData.h"
#include "link/CTrxData.h"
#include "link/Numbers.h"
#include "link/Operations.h"
#include "link/StatusBlock.h"
#include "link/StringIds.h"
#include "product/Product.h"
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

constexpr int kVerticalIndex = 1;

// Cells of the basic parameters (group 0).
constexpr int kStrokeCell = 0;
constexpr int kSeriesCell = 1;
constexpr int kOrientationCell = 10;
constexpr int kCurrentThresholdCell = 19;
constexpr int kTemperatureThresholdCell = 20;

// Series code stored in the controller, by series combo index; its own inverse.
constexpr std::array<int, 4> kSeriesCodes = product::SeriesCodeOfComboIndex();

// Defaults of every step that depend on the series, written when the product changes.
constexpr int kStepGroupFirst = ParameterImage::kFirstStepGroup;
constexpr int kStepCountSteps = 15;
constexpr int kStepCountPulse = 4;
constexpr int kInForceLevelCell = 9;
constexpr int kInPositionRangeCell = 10;
constexpr std::array<int, 4> kAreaCells = {11, 12, 13, 14};
constexpr float kDefaultInForceLevel = 0.7F;
constexpr float kDefaultCurrentThreshold = 2.0F;
constexpr float kDefaultTemperatureThreshold = 70.0F;

// In-position range in micrometres by series code.
float DefaultInPositionRange(int code) {
    const product::SeriesFacts* f = product::FindSeries(code);
    return f != nullptr ? f->defaultInPositionUm : 300.0F;
}

// StartSession modes chosen by "Comm".
constexpr int kSessionFull = 0;
constexpr int kSessionFromTypeStep = 1;
constexpr int kSessionBuildOnly = 2;

// The Setup reminder, light yellow.
constexpr ui::ControlId IDC_NOTE = 1510;
constexpr ui::Colours kNoteColours{8, 2};

// A product number combo while it shows "Select", and once chosen.
constexpr ui::Colours kUnselectedColours{11, 14};
constexpr ui::Colours kSelectedColours{16, 2};

bool EnabledByTable(ui::ControlId control, LinkState linkState, int controlType) {
    bool enabled = true;
    for (const ui::CaptionRow& row : ui::CCtrlBatch::PageRows()) {
        if (row.dialog == kTemplateBasicPage && row.control == control) {
            enabled = ui::CCtrlBatch::IsEnabledIn(row, LinkIndex(linkState), controlType);
        }
    }
    return enabled;
}

}  // namespace

std::unique_ptr<CPageBsc> CPageBsc::Create(LinkContext& ctx, const ui::DialogServices& services,
                                           ui::Form& parent, CBinding& binding,
                                           BasicPageHost& host) {
    auto form = services.forms.Create(kTemplate, &parent, ui::FormKind::kPage);
    if (!form) {
        return nullptr;
    }
    return std::make_unique<CPageBsc>(ctx, services, std::move(form), binding, host);
}

CPageBsc::CPageBsc(LinkContext& ctx, const ui::DialogServices& services,
                   std::unique_ptr<ui::Form> form, CBinding& binding, BasicPageHost& host)
    : ctx_(ctx), services_(services), form_(std::move(form)), binding_(binding), host_(host) {
    form_->SetListener(this);
    form_->SetPicture(IDC_PICTURE, kIllustrations[kPictureHorizontal]);
    form_->SetColours(IDC_NOTE, kNoteColours);
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
    } else if (id == IDC_ORIENTATION || (id >= IDC_ORIGIN_RETRACTED && id <= IDC_ORIGIN_SENSOR) ||
               (id >= IDC_INPUT_FIRST && id <= IDC_INPUT_LAST)) {
        // A radio reports the new choice of its group, not a click.
        ShowIllustration(id);
    }
}

void CPageBsc::OnClicked(ui::ControlId id) {
    if (id == IDC_SETUP) {
        Setup();
    } else if (id == IDC_COMM) {
        Comm(ctx_, host_);
    } else if ((id >= IDC_ORIGIN_RETRACTED && id <= IDC_ORIGIN_SENSOR) ||
               (id >= IDC_INPUT_FIRST && id <= IDC_INPUT_LAST)) {
        ShowIllustration(id);
    }
}

void CPageBsc::OnFocusIn(ui::ControlId id) {
    if (id == IDC_ORIENTATION) {
        ShowIllustration(id);
    }
}

void CPageBsc::Setup() {
    if (!seriesSelected_ || !strokeSelected_) {
        services_.Warn(ids::IDS_NO_PRODUCT);
        return;
    }
    if (!services_.Confirm(ids::IDS_CONFIRM_DOWNLOAD)) {
        return;
    }
    if (!binding_.CollectView(kViewBasic, kNoList, 0)) {
        services_.Inform(ids::IDS_UPDATE_COMPLETE);
        return;
    }
    CEepData image(ctx_);
    const bool productChanged =
        image.IsModified(0, kStrokeCell) || image.IsModified(0, kSeriesCell);
    const bool orientationChanged = image.IsModified(0, kOrientationCell);
    int keepPid = 1;
    int keepDefaults = 1;
    if (productChanged || orientationChanged) {
        host_.ResetPidToDefaults();
        keepPid = 0;
        if (productChanged) {
            ResetSeriesDefaults();
            keepDefaults = 0;
        }
    }
    CTrxData(ctx_).Run(OP_BASIC_DOWNLOAD, keepPid, keepDefaults);
}

void CPageBsc::ResetSeriesDefaults() {
    const int index = form_->CurrentItem(IDC_SERIES);
    const int code = index >= 0 && index < static_cast<int>(kSeriesCodes.size())
                         ? kSeriesCodes[static_cast<std::size_t>(index)]
                         : 0;
    const int steps =
        ctx_.status.controlType == kControlTypePulse ? kStepCountPulse : kStepCountSteps;
    CEepData image(ctx_);
    for (int group = kStepGroupFirst; group < kStepGroupFirst + steps; ++group) {
        image.SetDefault(group, kInForceLevelCell, kDefaultInForceLevel);
        image.SetDefault(group, kInPositionRangeCell, DefaultInPositionRange(code));
        for (const int cell : kAreaCells) {
            image.SetDefault(group, cell, 0.0F);
        }
    }
    image.SetDefault(0, kCurrentThresholdCell, kDefaultCurrentThreshold);
    image.SetDefault(0, kTemperatureThresholdCell, kDefaultTemperatureThreshold);
}

void CPageBsc::Comm(LinkContext& ctx, BasicPageHost& host) {
    StatusBlock& s = ctx.status;
    const int flags = s.flags;
    s.linkState = kLinkOnline;
    if ((flags & kFlagUploadDone) != 0) {
        CTrxData(ctx).Run(OP_CONNECT, 0, 0);
        return;
    }
    int mode = kSessionFull;
    if (s.controlType != kControlTypeUnset && (flags & kFlagTypeFromController) != 0) {
        mode = kSessionBuildOnly;
    } else if ((flags & kFlagIdentityRead) != 0) {
        mode = s.controlType != kControlTypeUnset ? kSessionBuildOnly : kSessionFromTypeStep;
    }
    host.StartSession(mode);
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
    form_->AddItem(IDC_ORIENTATION, services_.strings.Text(ids::IDS_HORIZONTAL));
    if (series != kSeriesM) {
        form_->AddItem(IDC_ORIENTATION, services_.strings.Text(ids::IDS_VERTICAL));
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
