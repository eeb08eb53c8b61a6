#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/LinkContext.h"
#include "shell/PageViews.h"
#include "ui/DialogSupport.h"

namespace tavro {

// The Monitor/Test page (page 3). So far it shows what the link reports: the lamps, the
// five monitor values, the alarm box, the servo and origin buttons' states after an
// operation, the mode switch and the inching limits; driving the actuator comes later.
class CPageDrv : public DrivePageView, public ui::FormEvents {
  public:
    static constexpr int kTemplate = kTemplateDrivePage;
    static constexpr ui::ControlId IDC_MODE_SWITCH = 1033;
    static constexpr ui::ControlId IDC_OUT0_TEXT = 1012;
    static constexpr ui::ControlId IDC_OUT1_TEXT = 1013;
    static constexpr ui::ControlId IDC_SERVO = 1740;
    static constexpr ui::ControlId IDC_ORIGIN = 1741;
    static constexpr ui::ControlId IDC_JOG_SPEED = 1753;
    static constexpr ui::ControlId IDC_JOG_SLIDER = 1755;
    static constexpr ui::ControlId IDC_JOG_SPIN = 1754;
    static constexpr ui::ControlId IDC_INCHING_DISTANCE = 1759;
    static constexpr ui::ControlId IDC_INCHING_SPIN = 1760;
    static constexpr ui::ControlId IDC_ALARM_BOX = 1720;
    static constexpr ui::ControlId IDC_ALARM_RESET = 1721;
    static constexpr ui::ControlId IDC_ALARM_CURRENT = 1722;
    static constexpr ui::ControlId IDC_ALARM_HISTORY = 1723;
    static constexpr ui::ControlId IDC_LAMP_ALARM = 1707;
    static constexpr int kAlarmBit = 7;

    static std::unique_ptr<CPageDrv> Create(LinkContext& ctx, const ui::DialogServices& services,
                                            ui::Form& parent);
    CPageDrv(LinkContext& ctx, const ui::DialogServices& services, std::unique_ptr<ui::Form> form);
    ~CPageDrv() override;
    CPageDrv(const CPageDrv&) = delete;
    CPageDrv& operator=(const CPageDrv&) = delete;

    ui::Form& GetForm() override { return *form_; }
    void Refresh() override;
    void StopContinuous() override { ResetOperationButtons(); }
    void ShowStatusLamps(std::uint16_t word) override;
    void ShowMonitorValue(int controlId, const std::string& text) override;
    void ShowOperationResult(int contEnable, int servoOn, int originCaption, int keepButtons,
                             int contRunning, int resetTable) override;
    void SetModeSwitch(int testMode) override;
    void SetInchingLimits() override;
    void ShowAlarms(const std::vector<int>& codes) override;
    void SetAlarmResetEnable(bool enable) override;
    bool AlarmResetLocked() override { return resetLock_; }
    void SetMonitorModeFlag(bool on) override { monitorMode_ = on; }

    int ServoDisplay() const { return servoDisplay_; }
    int OriginCaptionState() const { return originCaption_; }
    bool HistoryView() const { return historyView_; }
    std::uint16_t StatusBits() const { return statusBits_; }

    void OnClicked(ui::ControlId id) override;

  private:
    void OnInitDialog();
    void SetServoDisplay(int on);
    void SetOriginCaption(int state);
    void ResetOperationButtons();
    void RedrawLamps();
    void DisplayAlarms();
    bool AlarmActive() const { return ((statusBits_ >> kAlarmBit) & 1U) == 0; }

    LinkContext& ctx_;
    ui::DialogServices services_;
    std::unique_ptr<ui::Form> form_;
    std::uint16_t statusBits_ = 1U << kAlarmBit;
    int servoDisplay_ = 0;
    int originCaption_ = 0;
    int testMode_ = 1;
    int inchingMinimum_ = 90;
    std::vector<int> alarmCodes_;
    bool historyView_ = false;
    bool alarmWasActive_ = false;
    bool resetLock_ = false;
    bool monitorMode_ = false;
    bool continuousRunning_ = false;
};

}  // namespace tavro
