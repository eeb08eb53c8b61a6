#pragma once

#include <memory>

#include "link/StringIds.h"
#include "ui/DialogSupport.h"
#include "ui/Form.h"
#include "ui/FormEvents.h"

namespace tavro {

// The password dialog in front of the two expert dialogs: the access code decides whether
// the dialog opens and, for the Detail dialog, whether it shows its PID section.
class CDlgPwd : public ui::FormEvents {
  public:
    static constexpr int kTemplate = 203;
    static constexpr ui::ControlId IDC_LABEL = 1100;
    static constexpr ui::ControlId IDC_PASSWORD = 1950;
    static constexpr ui::ControlId IDC_OK = 1951;
    static constexpr ui::ControlId IDC_CANCEL = 1952;

    enum Purpose : int {
        kDetailDialog = 0,
        kCommSetupDialog = 1,
    };

    CDlgPwd(const ui::DialogServices& services, int purpose);
    ~CDlgPwd() override;
    CDlgPwd(const CDlgPwd&) = delete;
    CDlgPwd& operator=(const CDlgPwd&) = delete;

    // kIdOk when a code was accepted, kIdCancel when the user cancelled.
    int DoModal(ui::Form* parent);
    // For the Detail dialog: 1 with the PID section, 0 without; -1 until a code is accepted.
    int PidAccessLevel() const { return pidAccessLevel_; }

    void OnClicked(ui::ControlId id) override;

  private:
    void Ok();

    ui::DialogServices services_;
    int purpose_;
    int pidAccessLevel_ = -1;
    std::unique_ptr<ui::Form> form_;
};

}  // namespace tavro
