#include "shell/ExpertWindows.h"

#include <array>

#include "link/Numbers.h"
#include "link/StatusBlock.h"
#include "shell/PageViews.h"
#include "ui/CCtrlBatch.h"

namespace tavro {

namespace {

constexpr int IDS_FACTORY_DEFAULT_ID = 268;
constexpr int kMaxId = 255;

void FillIds(ui::Form& form, ui::ControlId combo, const ui::DialogServices& services) {
    form.ClearItems(combo);
    form.AddItem(combo, services.strings.Format(IDS_FACTORY_DEFAULT_ID, 1));
    for (int id = 2; id <= kMaxId; ++id) {
        form.AddItem(combo, Format("%d", id));
    }
    form.SetCurrentItem(combo, 0);
}

// --- Detail Parameter Setup ---

constexpr std::array kDetailCaptions = {
    WindowCaption{1101, 991},  WindowCaption{1102, 992},  WindowCaption{1133, 1009},
    WindowCaption{1885, 1029}, WindowCaption{1886, 1030}, WindowCaption{1887, 1031},
    WindowCaption{1109, 562},  WindowCaption{1888, 544},  WindowCaption{1889, 545},
    WindowCaption{1890, 551},  WindowCaption{1134, 1028}, WindowCaption{1135, 1024},
    WindowCaption{1136, 1025}, WindowCaption{1137, 1026}, WindowCaption{1138, 1027},
    WindowCaption{1131, 1011}, WindowCaption{1892, 1012}, WindowCaption{1893, 1013},
    WindowCaption{1894, 1014}, WindowCaption{1895, 1015}, WindowCaption{1132, 1016},
    WindowCaption{1140, 1018}, WindowCaption{1902, 1019}, WindowCaption{1903, 1020},
    WindowCaption{1141, 1021}, WindowCaption{1904, 1022}, WindowCaption{1905, 1023},
    WindowCaption{1111, 1001}, WindowCaption{1873, 1003}, WindowCaption{1810, 990},
};
constexpr int IDS_DETAIL_TITLE = 900;

struct ComboFill {
    ui::ControlId control;
    std::array<int, 11> ids;
    int count;
};
constexpr std::array kDetailCombos = {
    ComboFill{1006, {424, 425, 426, 427, 428, 429, 430}, 7},
    ComboFill{1007, {421}, 1},
    ComboFill{1014, {424, 425, 426, 427, 428, 429, 430, 431, 432, 434}, 10},
    ComboFill{1009, {424, 425, 426, 427, 428, 429, 430, 431, 432, 434}, 10},
    ComboFill{1883, {533, 534, 535, 536}, 4},
    ComboFill{1884, {533, 537, 538, 539, 540}, 5},
    ComboFill{1891, {546, 547}, 2},
};
// In pulse type the output lists also offer "Deviation" before "Position".
constexpr std::array kDetailPulseOutputs = {424, 425, 426, 427, 428, 429, 430, 431, 432, 433, 434};
constexpr ui::ControlId IDC_DETAIL_ID = 1906;

}  // namespace

ExpertWindow::ExpertWindow(LinkContext& ctx, const ui::DialogServices& services, int templateId,
                           int titleId, std::span<const WindowCaption> captions)
    : ctx_(ctx),
      services_(services),
      templateId_(templateId),
      titleId_(titleId),
      captions_(captions) {}

ExpertWindow::~ExpertWindow() {
    if (form_) {
        form_->SetListener(nullptr);
    }
}

bool ExpertWindow::Create(ui::Form& parent) {
    form_ = services_.forms.Create(templateId_, &parent, ui::FormKind::kModeless);
    if (!form_) {
        return false;
    }
    form_->SetListener(this);
    form_->SetTitle(services_.Text(titleId_));
    for (const WindowCaption& caption : captions_) {
        form_->SetText(caption.control, services_.Text(caption.stringId));
    }
    OnCreated();
    return true;
}

void ExpertWindow::Show() {
    if (form_) {
        form_->SetWindowVisible(true);
    }
}

void ExpertWindow::Hide() {
    if (form_) {
        form_->SetWindowVisible(false);
    }
}

bool ExpertWindow::Visible() const {
    return form_ && form_->IsWindowVisible();
}

void ExpertWindow::RequestClose() {
    if (OnCloseRequest()) {
        Hide();
    }
}

bool ExpertWindow::OnCloseRequest() {
    if (onClosed_) {
        onClosed_();
    }
    return true;
}

CommSetupWindow::CommSetupWindow(LinkContext& ctx, const ui::DialogServices& services,
                                 CBinding& binding)
    : ExpertWindow(ctx, services, kTemplateCommSetup, CDlgComSetup::IDS_TITLE, {}),
      binding_(binding) {}

void CommSetupWindow::OnCreated() {
    presenter_ = std::make_unique<CDlgComSetup>(*form_, ctx_, services_, binding_);
    presenter_->Start();
}

void CommSetupWindow::Prepare() {
    if (presenter_) {
        presenter_->Prepare();
    }
}

void CommSetupWindow::ApplyLinkState(int state) {
    if (presenter_) {
        presenter_->ApplyLinkState(state);
    }
}

void CommSetupWindow::OnClicked(ui::ControlId id) {
    if (presenter_) {
        presenter_->OnClicked(id);
    }
}

void CommSetupWindow::OnFocusIn(ui::ControlId id) {
    if (presenter_) {
        presenter_->OnFocusIn(id);
    }
}

void CommSetupWindow::OnFocusOut(ui::ControlId id) {
    if (presenter_) {
        presenter_->OnFocusOut(id);
    }
}

bool CommSetupWindow::OnKeyDown(ui::ControlId id, int key, ui::KeyModifiers mods) {
    return presenter_ && presenter_->OnKeyDown(id, key, mods);
}

bool CommSetupWindow::OnCloseRequest() {
    if (presenter_) {
        presenter_->OnCloseRequest();
    }
    return ExpertWindow::OnCloseRequest();
}

DetailWindow::DetailWindow(LinkContext& ctx, const ui::DialogServices& services)
    : ExpertWindow(ctx, services, kTemplateDetail, IDS_DETAIL_TITLE, kDetailCaptions) {}

void DetailWindow::OnCreated() {
    FillIds(*form_, IDC_DETAIL_ID, services_);
}

void DetailWindow::Prepare(int pidAccessLevel) {
    pidAccessLevel_ = pidAccessLevel;
    if (!form_) {
        return;
    }
    const bool pulse = ctx_.status.controlType == kControlTypePulse;
    for (const ComboFill& combo : kDetailCombos) {
        std::span<const int> ids(combo.ids.data(), static_cast<std::size_t>(combo.count));
        if (pulse && (combo.control == 1014 || combo.control == 1009)) {
            ids = kDetailPulseOutputs;
        }
        ui::CCtrlBatch::FillComboItems(*form_, combo.control, ids, services_.strings);
    }
}

}  // namespace tavro
