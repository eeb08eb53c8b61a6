#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "link/LinkContext.h"
#include "params/CBinding.h"
#include "params/CPageBsc.h"
#include "ui/DialogSupport.h"
#include "ui/PageViews.h"

namespace tavro {

// The I/O Setup page (page 0): the controller's input and output lamps, the manual outputs,
// the area range, thresholds and output functions common to all steps.
class CPageIo : public IoPageView, public ui::FormEvents {
  public:
    static constexpr int kTemplate = kTemplateIoPage;
    static constexpr ui::ControlId IDC_SETUP = 1400;
    static constexpr ui::ControlId IDC_COMM = 1401;
    static constexpr ui::ControlId IDC_AREA_A1 = 1440;
    static constexpr ui::ControlId IDC_AREA_A2 = 1441;
    static constexpr ui::ControlId IDC_AREA_B1 = 1442;
    static constexpr ui::ControlId IDC_AREA_B2 = 1443;
    static constexpr ui::ControlId IDC_INF = 1444;
    static constexpr ui::ControlId IDC_OVC = 1445;
    static constexpr ui::ControlId IDC_OVT = 1446;
    static constexpr ui::ControlId IDC_THRESHOLD_HELP = 1425;
    static constexpr ui::ControlId IDC_OUT0_FUNCTION = 1452;
    static constexpr ui::ControlId IDC_OUT1_FUNCTION = 1453;
    static constexpr ui::ControlId IDC_DESCRIPTION = 1454;
    static constexpr ui::ControlId IDC_LOCK_NOTE = 1427;
    static constexpr ui::ControlId IDC_MANUAL_FIRST = 1430;  // BUSY, ALARM, OUT0, OUT1
    static constexpr ui::ControlId IDC_MANUAL_LAST = 1433;
    static constexpr ui::ControlId IDC_POSITION_FIRST = 1402;  // "P" of 1440 to 1443
    static constexpr ui::ControlId IDC_POSITION_LAST = 1405;
    static constexpr ui::ControlId IDC_SPIN_FIRST = 1028;  // spins of 1440 to 1443
    static constexpr ui::ControlId IDC_SPIN_LAST = 1031;
    static constexpr std::uint16_t kInitialWord = 0x0080;  // only ALARM on

    // Fields with a range check, each with its error flag.
    enum Field { kAreaA1, kAreaA2, kAreaB1, kAreaB2, kInf, kOvc, kOvt, kFieldCount };

    // Makes the page's form inside `parent`; nullptr when the form cannot be built.
    static std::unique_ptr<CPageIo> Create(LinkContext& ctx, const ui::DialogServices& services,
                                           ui::Form& parent, CBinding& binding,
                                           BasicPageHost& host);
    CPageIo(LinkContext& ctx, const ui::DialogServices& services, std::unique_ptr<ui::Form> form,
            CBinding& binding, BasicPageHost& host);
    ~CPageIo() override;
    CPageIo(const CPageIo&) = delete;
    CPageIo& operator=(const CPageIo&) = delete;

    ui::Form& GetForm() override { return *form_; }
    void Refresh() override;
    void Prepare() override;
    void SetInputLock(bool locked) override { inputLock_ = locked; }
    bool InputLocked() const { return inputLock_; }
    void ShowIoWord(std::uint16_t word) override;
    void ApplyEditability(bool outputsEditable, bool areaEditable) override;

    // Bit i of the last word shown.
    bool LampState(int bit) const;
    bool HasError(Field field) const { return errors_[static_cast<std::size_t>(field)]; }
    // Position step of the area fields in micrometres.
    int AreaStep() const;

    void OnClicked(ui::ControlId id) override;
    void OnFocusIn(ui::ControlId id) override;
    void OnFocusOut(ui::ControlId id) override;
    bool OnKeyDown(ui::ControlId id, int key, ui::KeyModifiers mods) override;
    bool OnSpinDelta(ui::ControlId id, int delta) override;

  private:
    void OnInitDialog();
    void RedrawLamps();
    // The settings the page cannot show stay disabled whatever the link state allows.
    void ApplyLocks();
    void ManualOutput(ui::ControlId button);
    void GetPosition(ui::ControlId button);
    // False when one of the row's fields is out of range.
    bool CheckAreaRow(int row);
    void CheckThreshold(ui::ControlId id);
    void ShowThresholdHelp(ui::ControlId id);
    void SetError(Field field, bool error);
    // The edit still shows the image's value: the user has not typed into it.
    bool Untouched(ui::ControlId edit);
    static Field FieldOf(ui::ControlId edit);
    void Setup();
    void CopyCommonStepSettings();
    int StrokeMicrons() const;

    LinkContext& ctx_;
    ui::DialogServices services_;
    std::unique_ptr<ui::Form> form_;
    CBinding& binding_;
    BasicPageHost& host_;
    std::uint16_t lamps_ = 0;
    bool inputLock_ = false;
    bool validating_ = false;
    bool outputsEditable_ = true;
    bool areaEditable_ = true;
    std::array<bool, kFieldCount> errors_{};
};

}  // namespace tavro
