#pragma once

#include <memory>
#include <string>

#include "link/LinkContext.h"
#include "monitor/RepeatReport.h"
#include "monitor/RepeatRun.h"
#include "ui/DialogSupport.h"
#include "ui/FileChooser.h"
#include "ui/Form.h"
#include "ui/FormEvents.h"

namespace tavro {

class CPageDrv;

// The repeatability run's window: what to run, its progress with the live deviation and the
// time left, the statistics of each target, and the report.
class CDlgRepeat : public ui::FormEvents {
  public:
    static constexpr int kTemplate = 223;
    static constexpr ui::ControlId IDC_ONE_STEP = 3201;
    static constexpr ui::ControlId IDC_TWO_STEPS = 3202;
    static constexpr ui::ControlId IDC_TABLE = 3203;
    static constexpr ui::ControlId IDC_MOVES_GROUP = 3204;
    static constexpr ui::ControlId IDC_STEP_LABEL = 3205;
    static constexpr ui::ControlId IDC_STEP = 3206;
    static constexpr ui::ControlId IDC_OTHER_LABEL = 3207;
    static constexpr ui::ControlId IDC_OTHER = 3208;
    static constexpr ui::ControlId IDC_CYCLES_LABEL = 3209;
    static constexpr ui::ControlId IDC_CYCLES = 3210;
    static constexpr ui::ControlId IDC_SETTLE_LABEL = 3211;
    static constexpr ui::ControlId IDC_SETTLE = 3212;
    static constexpr ui::ControlId IDC_START = 3213;
    static constexpr ui::ControlId IDC_END = 3214;
    static constexpr ui::ControlId IDC_SERVO_OFF = 3215;
    static constexpr ui::ControlId IDC_SAVE = 3216;
    static constexpr ui::ControlId IDC_CLOSE = 3217;
    static constexpr ui::ControlId IDC_PROGRESS_GROUP = 3218;
    static constexpr ui::ControlId IDC_PROGRESS = 3219;
    static constexpr ui::ControlId IDC_PROGRESS_TEXT = 3220;
    static constexpr ui::ControlId IDC_DEVIATION = 3221;
    static constexpr ui::ControlId IDC_ETA = 3222;
    static constexpr ui::ControlId IDC_STATE = 3223;
    static constexpr ui::ControlId IDC_RESULTS_GROUP = 3224;
    static constexpr ui::ControlId IDC_RESULTS = 3225;
    static constexpr ui::ControlId IDC_HELP = 3226;
    static constexpr int kDefaultCycles = 100;
    // The time left and the buttons follow the link this often.
    static constexpr std::int64_t kTickMs = 250;

    CDlgRepeat(LinkContext& ctx, const ui::DialogServices& services, CPageDrv& page,
               ui::FileChooser* chooser, RepeatReportPrinter* printer);
    ~CDlgRepeat() override;
    CDlgRepeat(const CDlgRepeat&) = delete;
    CDlgRepeat& operator=(const CDlgRepeat&) = delete;

    void DoModal(ui::Form* parent);
    const RepeatRun* Run() const { return run_.get(); }

    void OnClicked(ui::ControlId id) override;
    void OnSelectionChanged(ui::ControlId id) override;
    bool OnCloseRequest() override;

  private:
    void Init();
    void Start();
    // Starts the plan once the step data are known.
    void StartPlan();
    bool StepDataEdited();
    void Tick();
    void EndClicked();
    void ServoOffClicked();
    void Save();
    void Close();
    void ShowProgress();
    void ShowResults();
    void EnableControls();
    std::string Text(int id) const { return services_.Text(id); }

    LinkContext& ctx_;
    ui::DialogServices services_;
    CPageDrv& page_;
    ui::FileChooser* chooser_;
    RepeatReportPrinter* printer_;
    std::unique_ptr<ui::Form> form_;
    std::unique_ptr<RepeatRun> run_;
    std::unique_ptr<RepeatPlan> pending_;  // waits for the step data being read
    EventLoop::TimerId ticker_ = 0;
};

}  // namespace tavro
