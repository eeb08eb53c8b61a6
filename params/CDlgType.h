#pragma once

#include <memory>

#include "link/LinkContext.h"
#include "link/StringIds.h"
#include "ui/DialogSupport.h"
#include "ui/Form.h"
#include "ui/FormEvents.h"

namespace tavro {

// The control-signal type dialog: step-data input or pulse input. Offline the choice is
// only remembered; online it is written to the controller after a confirmation.
class CDlgType : public ui::FormEvents, public ui::FrontDialog {
  public:
    static constexpr int kTemplate = 214;
    static constexpr ui::ControlId IDC_STEP_TYPE = 1125;
    static constexpr ui::ControlId IDC_PULSE_TYPE = 1126;
    static constexpr ui::ControlId IDC_OK = 1004;
    static constexpr ui::ControlId IDC_CANCEL = ui::kIdCancel;

    CDlgType(LinkContext& ctx, const ui::DialogServices& services, ui::FrontDialogSlot& front);
    ~CDlgType() override;
    CDlgType(const CDlgType&) = delete;
    CDlgType& operator=(const CDlgType&) = delete;

    // kIdOk or kIdCancel.
    int DoModal(ui::Form* parent);

    void OnClicked(ui::ControlId id) override;
    bool OnCloseRequest() override;
    void OnFrontMessage(int message) override;

  private:
    void OnInitDialog();
    void Ok();
    void Cancel();
    void SetControlsEnabled(bool enabled);

    LinkContext& ctx_;
    ui::DialogServices services_;
    ui::FrontRegistration front_;
    bool controlsEnabled_ = true;
    std::unique_ptr<ui::Form> form_;
};

}  // namespace tavro
