#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/LinkContext.h"
#include "monitor/AlarmBox.h"
#include "monitor/ContinuousEditor.h"
#include "monitor/ContinuousTable.h"
#include "monitor/RepeatReport.h"
#include "monitor/RepeatRun.h"
#include "ui/DialogSupport.h"
#include "ui/FileChooser.h"
#include "ui/PageViews.h"

namespace tavro {

// The Monitor/Test page (page 3): the controller's live state, the manual moves, the mode
// switch, single-step and continuous operation and the alarm box. A repeatability run drives
// the actuator through its continuous machinery, so that End, Servo Off, leaving the page and
// an alarm stop the run as they stop a sequence.
class CPageDrv : public DrivePageView,
                 public DrivePageClient,
                 public ui::FormEvents,
                 public RepeatDriver {
  public:
    static constexpr int kTemplate = kTemplateDrivePage;
    static constexpr ui::ControlId IDC_MODE_SWITCH = 1033;
    static constexpr ui::ControlId IDC_CHART = 3000;
    static constexpr ui::ControlId IDC_OUT0_TEXT = 1012;
    static constexpr ui::ControlId IDC_OUT1_TEXT = 1013;
    static constexpr ui::ControlId IDC_SERVO = 1740;
    static constexpr ui::ControlId IDC_ORIGIN = 1741;
    static constexpr ui::ControlId IDC_JOG_CONNECTOR = 1751;
    static constexpr ui::ControlId IDC_JOG_OPPOSITE = 1752;
    static constexpr ui::ControlId IDC_JOG_SPEED = 1753;
    static constexpr ui::ControlId IDC_JOG_SLIDER = 1755;
    static constexpr ui::ControlId IDC_JOG_SPIN = 1754;
    static constexpr ui::ControlId IDC_INCH_CONNECTOR = 1757;
    static constexpr ui::ControlId IDC_INCH_OPPOSITE = 1758;
    static constexpr ui::ControlId IDC_INCHING_DISTANCE = 1759;
    static constexpr ui::ControlId IDC_INCHING_SPIN = 1760;
    static constexpr ui::ControlId IDC_HELP_MOUSE = 1766;
    static constexpr ui::ControlId IDC_HELP_CLICK = 1767;
    static constexpr ui::ControlId IDC_ALARM_BOX = AlarmBox::IDC_ALARM_BOX;
    static constexpr ui::ControlId IDC_ALARM_RESET = AlarmBox::IDC_ALARM_RESET;
    static constexpr ui::ControlId IDC_ALARM_CURRENT = AlarmBox::IDC_ALARM_CURRENT;
    static constexpr ui::ControlId IDC_ALARM_HISTORY = AlarmBox::IDC_ALARM_HISTORY;
    static constexpr ui::ControlId IDC_LAMP_ALARM = 1707;
    // Single step.
    static constexpr ui::ControlId IDC_STEP_CHOICE = 1762;
    static constexpr ui::ControlId IDC_STEP_BROWSE = 1763;
    static constexpr ui::ControlId IDC_STEP_START = 1764;
    static constexpr ui::ControlId IDC_STEP_STOP = 1765;
    // Continuous operation.
    static constexpr ui::ControlId IDC_TABLE = ContinuousEditor::IDC_TABLE;
    static constexpr ui::ControlId IDC_ROW_NUMBER = ContinuousEditor::IDC_ROW_NUMBER;
    static constexpr ui::ControlId IDC_ROW_CHOICE = ContinuousEditor::IDC_ROW_CHOICE;
    static constexpr ui::ControlId IDC_ROW_BROWSE = 1772;
    static constexpr ui::ControlId IDC_ROW_TIME = ContinuousEditor::IDC_ROW_TIME;
    static constexpr ui::ControlId IDC_INP_SIGNAL = ContinuousEditor::IDC_INP_SIGNAL;
    static constexpr ui::ControlId IDC_TIME_TRANSITION = ContinuousEditor::IDC_TIME_TRANSITION;
    static constexpr ui::ControlId IDC_CYCLE = ContinuousEditor::IDC_CYCLE;
    static constexpr ui::ControlId IDC_REPEAT = ContinuousEditor::IDC_REPEAT;
    static constexpr ui::ControlId IDC_CONT_START = 1783;
    static constexpr ui::ControlId IDC_CONT_END = 1784;
    // Opens the repeatability run, in the Step Data Operation group.
    static constexpr ui::ControlId IDC_REPEATABILITY = 3200;
    static constexpr int kAlarmBit = 7;
    static constexpr int kJogConnector = 16;
    static constexpr int kJogOpposite = 17;

    static std::unique_ptr<CPageDrv> Create(LinkContext& ctx, const ui::DialogServices& services,
                                            ui::Form& parent);
    CPageDrv(LinkContext& ctx, const ui::DialogServices& services, std::unique_ptr<ui::Form> form);
    ~CPageDrv() override;
    CPageDrv(const CPageDrv&) = delete;
    CPageDrv& operator=(const CPageDrv&) = delete;

    // The main window has applied the captions and rebuilt the lists.
    void FinishCaptions();

    // --- DrivePageView ---
    ui::Form& GetForm() override { return *form_; }
    void Refresh() override;
    void StopContinuous() override;
    bool MotionRunning() const override;
    void ShowStatusLamps(std::uint16_t word) override;
    void ShowStatusUnknown() override;
    bool AlarmResetLocked() override { return alarms_.ResetLocked(); }
    void SetMonitorModeFlag(bool on) override { monitorMode_ = on; }
    void SetStepPositioningTime(int step, float time) override;
    void SelectBrowsedStep(int comboId, int item) override;

    // --- DrivePageClient: the link's calls ---
    void ShowMonitorValue(int controlId, const std::string& text) override;
    void ShowOperationResult(const OperationResult& result) override;
    void SetModeSwitch(int testMode) override;
    void SetInchingLimits() override;
    void SetSendingBusy(int busy) override { sendingBusy_ = busy != 0; }
    void ReleaseDeferredJog() override;
    void ShowAlarms(const std::vector<int>& codes) override;
    void SetAlarmResetEnable(bool enable) override;
    void NextContinuousStep() override { RunContinuous(false); }

    int ServoDisplay() const { return servoDisplay_; }
    int OriginCaptionState() const { return originCaption_; }
    bool HistoryView() const { return alarms_.HistoryView(); }
    std::uint16_t StatusBits() const { return statusBits_; }
    int JogDirection() const { return jogDirection_; }
    int TestMode() const { return testMode_; }
    bool ContinuousRunning() const { return continuousRunning_; }
    const ContinuousTable& Table() const { return continuous_.Table(); }
    // The one-time boxes of the continuous table.
    std::vector<bool> OneTimeRows() const { return continuous_.OneTimeRows(); }

    // Where the repeatability window saves its report; without a printer only the CSV.
    void SetReportServices(ui::FileChooser* chooser, RepeatReportPrinter* printer) {
        chooser_ = chooser;
        printer_ = printer;
    }
    // Starts a run as the continuous start does, with its checks; false when refused (the
    // message has been shown).
    bool StartRepeat(RepeatRun& run);
    // The run is going away: the page forgets it, and a run still going is stopped.
    void DetachRepeat(const RepeatRun& run);
    bool RepeatRunning() const { return repeat_ != nullptr && continuousRunning_; }

    // --- RepeatDriver ---
    void RunStep(int step) override;
    void EndRun() override;

    // What the "Chart..." button opens; without it the button does nothing.
    void SetChartOpener(std::function<void()> open) { openChart_ = std::move(open); }

    // --- FormEvents ---
    void OnClicked(ui::ControlId id) override;
    void OnSelectionChanged(ui::ControlId id) override;
    void OnFocusIn(ui::ControlId id) override;
    void OnFocusOut(ui::ControlId id) override;
    void OnListClick(ui::ControlId id, int row, int column) override;
    bool OnKeyDown(ui::ControlId id, int key, ui::KeyModifiers mods) override;
    void OnMouseMove(ui::ControlId id) override;
    bool OnMouseDown(ui::ControlId id) override;
    void OnMouseUp(ui::ControlId id) override;
    bool OnDoubleClick(ui::ControlId /*id*/) override { return true; }
    void OnSliderScrolled(ui::ControlId id, int position) override;
    bool OnSpinDelta(ui::ControlId id, int delta) override;

  private:
    void OnInitDialog();
    bool ModelSelected() const;
    bool OriginDone() const;
    void SetLinkState(LinkState state);
    void Run(Op op, int param, int status);
    void SetServoDisplay(int on);
    void SetOriginCaption(int state);
    void ResetOperationButtons();
    void EnableOperationKind(int kind);
    void RedrawLamps();
    bool AlarmActive() const { return ((statusBits_ >> kAlarmBit) & 1U) == 0; }

    // Manual moves and the mode switch.
    void ServoClicked();
    void OriginClicked();
    bool JogPress(ui::ControlId id);
    void JogRelease(ui::ControlId id);
    void InchingClicked(ui::ControlId id);
    void NormaliseJogSpeed();
    void NormaliseInchingDistance();
    void ModeSwitchMoved();
    void PaintModeSwitch();
    void ShowHelp(ui::ControlId id, bool clickStyle);
    // The page's edits select their whole text when they get the focus.
    void SelectEditText(ui::ControlId id);

    // Single step and continuous operation.
    void StepStartClicked();
    void StepStopClicked();
    void BrowseClicked(ui::ControlId button);
    void SetContinuousButtons(bool enable, bool running);
    void StartContinuous();
    void RunContinuous(bool start);
    void PostStopRequest();
    void OpenRepeatWindow();

    LinkContext& ctx_;
    ui::DialogServices services_;
    std::unique_ptr<ui::Form> form_;
    std::uint16_t statusBits_ = 1U << kAlarmBit;
    int servoDisplay_ = 0;
    int originCaption_ = 0;
    int testMode_ = 1;
    bool switchGuard_ = false;
    bool silentSwitch_ = false;
    int jogDirection_ = 0;
    bool sendingBusy_ = false;
    bool deferredRelease_ = false;
    bool spinGuard_ = false;
    int inchingIncrement_ = 0;
    int inchingMinimum_ = 90;
    ui::ControlId lastHelp_ = 0;

    AlarmBox alarms_;
    bool monitorMode_ = false;

    bool continuousRunning_ = false;
    ContinuousEditor continuous_;
    int currentRow_ = 0;
    bool laterPass_ = false;
    int repeatsLeft_ = 0;
    bool cycle_ = false;

    RepeatRun* repeat_ = nullptr;
    ui::FileChooser* chooser_ = nullptr;
    RepeatReportPrinter* printer_ = nullptr;
    std::function<void()> openChart_;
};

}  // namespace tavro
