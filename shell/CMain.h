#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/common/CDlgPrg.h"
#include "link/LinkContext.h"
#include "link/LinkEngine.h"
#include "link/LinkHost.h"
#include "monitor/CPageDrv.h"
#include "monitor/MonitorHook.h"
#include "params/CBinding.h"
#include "params/CPageBsc.h"
#include "params/CPageIo.h"
#include "shell/ExpertWindows.h"
#include "shell/ReconnectOffer.h"
#include "stepdata/CDlgRef.h"
#include "stepdata/CPageStp.h"
#include "ui/BindingHost.h"
#include "ui/DialogSupport.h"
#include "ui/FileChooser.h"
#include "ui/PageViews.h"

namespace tavro {

class CDlgSid;

// The main window: walks the user through the connection at start-up, builds the four tab
// pages, keeps their controls' enabling in step with the link state, routes what the link
// reports to the pages and dialogs, and closes down in two passes.
class CMain : public LinkHost,
              public BindingHost,
              public StepPageHost,
              public BrowserHost,
              public BasicPageHost,
              public ui::FormEvents {
  public:
    static constexpr int kTemplate = kTemplateMain;
    static constexpr ui::ControlId IDC_TABS = 1000;
    static constexpr int kPageCount = 4;

    // Items of the window's own menu.
    static constexpr int kMenuAbout = 0x10;
    static constexpr int kMenuPassword = 0x20;
    static constexpr int kMenuCommSetup = 0x30;
    static constexpr int kMenuCommLog = 0x40;
    static constexpr int kMenuChart = 3008;
    static constexpr int kMenuCommandMask = 0xFFF0;

    // StartSession modes.
    static constexpr int kSessionFull = 0;
    static constexpr int kSessionFromTypeStep = 1;
    static constexpr int kSessionBuildOnly = 2;

    // Creates the window's form; the start-up sequence runs in Run().
    CMain(LinkContext& ctx, const ui::DialogServices& services, ui::FileChooser& chooser);
    ~CMain() override;
    // The repeatability report's PDF writer; without one the window writes the CSV alone.
    void SetReportPrinter(RepeatReportPrinter* printer) {
        reportPrinter_ = printer;
        if (drive_) {
            drive_->SetReportServices(&chooser_, printer);
        }
    }
    CMain(const CMain&) = delete;
    CMain& operator=(const CMain&) = delete;

    // nullptr when the form cannot be built.
    ui::Form* GetForm() const { return form_.get(); }
    CBinding& Binding() { return binding_; }
    // Other views of the Step Data Setup page and the step browser, built on GetForm() by
    // their owner, who keeps them alive as long as this window; without them the window
    // makes its own.
    void AttachStepViews(StepPageView& page, BrowserView& browser);
    // The chart window's part, set before Run: where the monitor samples go, and what the
    // "Chart..." button and menu item open. Without an opener neither is offered.
    void AttachChart(SampleSink* samples, std::function<void()> openChart);
    void OpenChart();

    // Initialises the window (start-up sequence included) and runs it until it ends; the
    // modal result, kIdCancel when the window ends by closing.
    int Run();
    // What "Communication log" in the menu opens; the program's windows provide it.
    void SetCommLogOpener(std::function<void()> open) { openCommLog_ = std::move(open); }

    // --- the main window's operations ---
    int StartSession(int mode) override;
    int ConnectPort(int autoConnect);
    void CreatePages();
    void ApplyCaptions();
    void UpdateTitle(int port, int controllerId, int speed);
    void ShowPage(int page);
    void PostClose();

    // --- LinkHost ---
    void SetLinkState(LinkState state) override;
    void EnableMainWindow(bool enable) override;
    void RequestExit() override;
    void NotifyFrontDialog(int message, int target) override;
    void SetRedraw(bool on) override;
    void RefreshTitle() override;
    void RedisplayViews(int what, int copy) override;
    void EnableTabStrip(bool enable) override;
    void PortLost() override;
    bool ProgressVisible() override;
    void OpenProgress() override;
    void SetProgressPosition(int position, int total) override;
    void StepProgress() override;
    void HideProgress() override;
    void ShowSearchProgress(int checked, int total) override;
    void ShowFoundIds(const std::vector<int>& ids) override;
    void StepSearchProgress() override;
    void ShowMessage(int stringId, MessageIcon icon, bool topmost) override;
    void ShowFormattedMessage(int stringId, MessageIcon icon, bool topmost,
                              const std::vector<MessageArg>& args) override;
    bool AskYesNo(int stringId, MessageIcon icon, bool topmost) override;
    void ShowStatusLamps(std::uint16_t word, bool monitorPage) override;
    void ShowStatusUnknown() override;
    void ShowStepBrowser(int comboId, int item) override;

    // --- BindingHost ---
    ui::Form* View(int view) override;
    void StoreStepRow(int row) override;
    void SetStepPositioningTime(int step, float time) override;
    void CopyStepListToBrowser(const StepListTexts& texts) override;
    void ApplyIoEditability(bool outputsEditable, bool areaEditable) override;
    void RefreshBasicPage() override;
    bool RebuildDetailLists(int copy) override;

    // --- the Basic and I/O pages ---
    void ResetPidToDefaults() override;

    // --- the Step Data Setup page and the step browser ---
    void ShowStepsFromEditCopies() override;
    void SelectBrowsedStep(int comboId, int item) override;

    // --- the window's own events ---
    void OnSelectionChanged(ui::ControlId id) override;
    bool OnKeyDown(ui::ControlId id, int key, ui::KeyModifiers mods) override;
    bool OnCloseRequest() override;
    void OnSystemCommand(int command) override;

    // --- for tests and the program around it ---
    bool Closing() const { return closing_; }
    int PreviousTab() const { return previousTab_; }
    int ShownPage() const { return shownPage_; }
    bool PagesCreated() const { return pagesCreated_; }
    CPageIo* IoPage() const { return io_.get(); }
    CPageBsc* BasicPage() const { return basic_.get(); }
    StepPageView* StepPage() const { return step_; }
    CPageDrv* DrivePage() const { return drive_.get(); }
    DetailWindow& Detail() { return detail_; }
    CommSetupWindow& CommSetup() { return commSetup_; }
    ui::CDlgPrg& Progress() { return progress_; }

  private:
    void OnInitDialog();
    void OnClose();
    void OnTabChanged();
    void OpenExpertWindow(int purpose);
    void DetailClosed();
    void CommSetupClosed();
    // Message 231 with the reason the port could not be opened.
    void WarnCannotOpen(const OpenError& error);
    int RunIdSearch(int speed);
    int RunTypeDialog();
    void RunAbout();
    void CloseLink();
    // Opens the adapter that came back and reconnects as "Comm" does.
    void Reconnect(const PortInfo& port);
    void DestroyWindows();
    bool Online() const;
    bool Connected() const { return ctx_.status.comPort > 0; }
    // The page's form, or nullptr while it does not exist.
    ui::Form* PageForm(int page) const;
    PageView* Page(int page) const;
    // Runs `task` later on the loop, unless this window is gone by then.
    void Post(std::function<void(CMain&)> task);
    // The I/O page's first upload, once the stop that leaving the Monitor/Test page asked for
    // has ended.
    void StartDeferredIoUpload();
    std::string Text(int id) const { return services_.Text(id); }
    // A string-table entry formatted with the link's arguments.
    std::string FormatText(int stringId, const std::vector<MessageArg>& args) const;

    LinkContext& ctx_;
    ui::DialogServices services_;
    std::function<void()> openCommLog_;
    ui::FileChooser& chooser_;
    RepeatReportPrinter* reportPrinter_ = nullptr;
    LinkEngine engine_;
    CBinding binding_;
    std::unique_ptr<ui::Form> form_;
    std::unique_ptr<CPageIo> io_;
    std::unique_ptr<CPageBsc> basic_;
    std::unique_ptr<ui::Form> stepForm_;
    std::unique_ptr<CPageStp> ownStep_;
    std::unique_ptr<CPageDrv> drive_;
    std::unique_ptr<ui::Form> browserForm_;
    std::unique_ptr<CDlgRef> ownBrowser_;
    StepPageView* step_ = nullptr;
    BrowserView* browser_ = nullptr;
    DetailWindow detail_;
    CommSetupWindow commSetup_;
    MonitorHook monitor_;
    std::function<void()> openChart_;
    ui::CDlgPrg progress_;
    ui::FrontDialogSlot front_;
    CDlgSid* search_ = nullptr;
    ReconnectOffer reconnect_;

    bool closing_ = false;
    int previousTab_ = kPageBasic;
    bool ioUploadAfterStop_ = false;
    int shownPage_ = -1;
    bool pagesCreated_ = false;
    bool windowsDestroyed_ = false;
    // Lets posted tasks find out whether this window still exists.
    std::shared_ptr<CMain*> alive_;
};

}  // namespace tavro
