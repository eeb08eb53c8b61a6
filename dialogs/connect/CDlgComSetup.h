#pragma once

#include <array>

#include "link/LinkContext.h"
#include "link/StringIds.h"
#include "params/CBinding.h"
#include "ui/DialogSupport.h"
#include "ui/Form.h"
#include "ui/FormEvents.h"

namespace tavro {

// The ID/communication setting dialog: the controller's ID, line speed and minimum
// communication delay, written with Setup once the check box allows the change.
class CDlgComSetup : public ui::FormEvents {
  public:
    static constexpr ui::ControlId IDC_CHANGE = 1022;
    static constexpr ui::ControlId IDC_ID = 1019;
    static constexpr ui::ControlId IDC_SPEED = 1020;
    static constexpr ui::ControlId IDC_DELAY = 1018;
    static constexpr ui::ControlId IDC_SETUP = 1014;
    static constexpr ui::ControlId IDC_HELP = 1026;

    // The presenter of `form`, which outlives it; Start() fills it once.
    CDlgComSetup(ui::Form& form, LinkContext& ctx, const ui::DialogServices& services,
                 CBinding& binding);
    CDlgComSetup(const CDlgComSetup&) = delete;
    CDlgComSetup& operator=(const CDlgComSetup&) = delete;

    // Once, when the window is created: captions, the help font and the 255 IDs.
    void Start();
    // Before the window is shown: flags and the check box cleared, the controls locked.
    void Prepare();
    void ApplyLinkState(LinkState state);

    bool RangeError() const { return rangeError_; }
    bool Closed() const { return closed_; }

    void OnClicked(ui::ControlId id) override;
    void OnFocusIn(ui::ControlId id) override;
    void OnFocusOut(ui::ControlId id) override;
    bool OnKeyDown(ui::ControlId id, int key, ui::KeyModifiers mods) override;
    bool OnCloseRequest() override;

  private:
    void ApplyColumn(int column);
    // False when the delay is out of range.
    bool CheckDelay();
    void Setup();

    ui::Form& form_;
    LinkContext& ctx_;
    ui::DialogServices services_;
    CBinding& binding_;
    bool rangeError_ = false;
    bool closed_ = false;
    bool checking_ = false;
};

}  // namespace tavro
