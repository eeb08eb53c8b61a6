#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "link/LinkContext.h"
#include "shell/PageViews.h"
#include "ui/DialogSupport.h"

namespace tavro {

// The I/O Setup page (page 0): the controller's input and output lamps, the manual outputs,
// area ranges, thresholds and output functions. So far it shows the lamps and the
// editability of its settings; its own buttons and checks come later.
class CPageIo : public IoPageView, public ui::FormEvents {
  public:
    static constexpr int kTemplate = kTemplateIoPage;
    static constexpr ui::ControlId IDC_DESCRIPTION = 1454;
    static constexpr ui::ControlId IDC_OUT0_FUNCTION = 1452;
    static constexpr ui::ControlId IDC_OUT1_FUNCTION = 1453;
    static constexpr ui::ControlId IDC_INF = 1444;
    static constexpr ui::ControlId IDC_LOCK_NOTE = 1427;
    static constexpr std::uint16_t kInitialWord = 0x0080;  // only ALARM on

    // Makes the page's form inside `parent`; nullptr when the form cannot be built.
    static std::unique_ptr<CPageIo> Create(LinkContext& ctx, const ui::DialogServices& services,
                                           ui::Form& parent);
    CPageIo(LinkContext& ctx, const ui::DialogServices& services, std::unique_ptr<ui::Form> form);
    ~CPageIo() override;
    CPageIo(const CPageIo&) = delete;
    CPageIo& operator=(const CPageIo&) = delete;

    ui::Form& GetForm() override { return *form_; }
    void Prepare() override;
    void SetInputLock(bool locked) override { inputLock_ = locked; }
    bool InputLocked() const { return inputLock_; }
    void ShowIoWord(std::uint16_t word) override;
    void ApplyEditability(bool outputsEditable, bool areaEditable) override;

    // Bit i of the last word shown.
    bool LampState(int bit) const;

  private:
    void OnInitDialog();
    void RedrawLamps();

    LinkContext& ctx_;
    ui::DialogServices services_;
    std::unique_ptr<ui::Form> form_;
    std::uint16_t lamps_ = 0;
    bool inputLock_ = false;
};

}  // namespace tavro
