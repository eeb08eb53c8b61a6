#include "shell/CMain.h"

#include <array>

#include "dialogs/common/CDlgVer.h"
#include "dialogs/connect/CDlgCom.h"
#include "dialogs/connect/CDlgSid.h"
#include "link/CComPort.h"
#include "link/CIniRw.h"
#include "link/CRxdThread.h"
#include "link/CTrxData.h"
#include "link/OperationParams.h"
#include "link/Operations.h"
#include "link/PortMessages.h"
#include "link/StatusBlock.h"
#include "link/StringIds.h"
#include "params/CDlgPwd.h"
#include "params/CDlgType.h"
#include "stepdata/CPidParam.h"
#include "ui/CCtrlBatch.h"
#include "ui/Keys.h"

namespace tavro {

namespace {

// The page table: template and tab caption of each page index.
struct PageRow {
    int templateId;
    int caption;
};
constexpr std::array<PageRow, CMain::kPageCount> kPageTable = {{
    {kTemplateIoPage, 400},
    {kTemplateBasicPage, 510},
    {kTemplateStepPage, 600},
    {kTemplateDrivePage, 700},
}};

// Leaving the I/O Setup page gives every output back to its function ("SW 4 1").
constexpr ui::ControlId IDC_ALARM_RESET = 1721;

// The titles show the port's name where the tables have "COM%d".
std::string WithPortName(std::string_view format) {
    std::string text(format);
    const std::string_view com = "COM%d";
    const auto at = text.find(com);
    if (at != std::string::npos) {
        text.replace(at, com.size(), "%s");
    }
    return text;
}

ui::Icon ToIcon(MessageIcon icon) {
    return icon == MessageIcon::kInformation ? ui::Icon::kInformation : ui::Icon::kExclamation;
}

}  // namespace

CMain::CMain(LinkContext& ctx, const ui::DialogServices& services, ui::FileChooser& chooser)
    : ctx_(ctx),
      services_(services),
      chooser_(chooser),
      engine_(ctx),
      binding_(ctx, *this),
      detail_(ctx, services, binding_, chooser),
      commSetup_(ctx, services, binding_),
      monitor_(ctx),
      progress_(ctx, services),
      reconnect_(ctx, services, [this](const PortInfo& port) { Reconnect(port); }),
      alive_(std::make_shared<CMain*>(this)) {
    ctx_.host = this;
    form_ = services_.forms.Create(kTemplate, nullptr, ui::FormKind::kModal);
    if (form_) {
        form_->SetListener(this);
    }
    detail_.SetOnClosed([this] { DetailClosed(); });
    commSetup_.SetOnClosed([this] { CommSetupClosed(); });
}

CMain::~CMain() {
    alive_.reset();
    if (form_) {
        form_->SetListener(nullptr);
    }
    if (ctx_.host == this) {
        ctx_.host = nullptr;
    }
}

void CMain::AttachStepViews(StepPageView& page, BrowserView& browser) {
    step_ = &page;
    browser_ = &browser;
}

int CMain::Run() {
    if (!form_) {
        return ui::kIdCancel;
    }
    OnInitDialog();
    return form_->RunModal();
}

void CMain::OnInitDialog() {
    std::vector<ui::MenuItem> menu = {{
        {0, {}, true},
        {kMenuPassword, Text(ids::IDS_PASSWORD_MENU), true},
        {kMenuCommSetup, Text(ids::IDS_COMM_SETUP_MENU), true},
        {kMenuCommLog, Text(ids::IDS_COMMLOG_MENU), true},
        {kMenuAbout, Text(ids::IDS_ABOUT_MENU), true},
    }};
    if (openChart_) {
        menu.insert(menu.begin() + 1, {kMenuChart, Text(ids::IDS_CHART_MENU), true});
    }
    form_->SetSystemMenu(menu);
    CPidParam(ctx_).LoadPidFile();
    StartSession(kSessionFull);
}

// --- start-up ---

int CMain::StartSession(int mode) {
    if (mode < kSessionFull || mode > kSessionBuildOnly) {
        return 0;
    }
    StatusBlock& s = ctx_.status;
    int autoConnect = CIniRw(ctx_).GetAuto();
    bool cancelled = false;
    int result = 0;

    if (mode == kSessionFull) {
        for (;;) {
            result = ConnectPort(autoConnect);
            if (!Connected()) {
                cancelled = true;
                break;
            }
            if (result != 0) {
                break;
            }
            const int search = RunIdSearch(CIniRw(ctx_).GetBaudRate());
            s.frontPhase = kFrontNone;
            if (search == ui::kIdCancel) {
                cancelled = true;
                break;
            }
            if (search == CDlgSid::kPrevious) {
                autoConnect = 0;
                continue;
            }
            break;
        }
        if (Connected() && result != 0) {
            return 1;
        }
    }

    if (mode != kSessionBuildOnly && !closing_ &&
        (s.linkState != kLinkOnline || s.controlType == kControlTypeUnset)) {
        if (RunTypeDialog() == ui::kIdCancel) {
            form_->EndModal(ui::kIdCancel);
            result = 1;
        }
        s.frontPhase = kFrontNone;
    }

    if (result == 0) {
        UpdateTitle(s.comPort, s.controllerId, s.baudRate);
        CreatePages();
        ApplyCaptions();
        s.frontPhase = kFrontMain;
        binding_.DisplayView(kViewIo, kNoList, 0, ParameterImage::kControllerCopy);
        binding_.DisplayView(kViewBasic, kNoList, 0, ParameterImage::kControllerCopy);
        binding_.DisplayView(kViewCommSetup, kNoList, 0, ParameterImage::kControllerCopy);
        binding_.DisplayLists(kViewStep, ParameterImage::kControllerCopy);
        binding_.DisplayLists(kViewDetail, ParameterImage::kControllerCopy);
        binding_.UpdateIoEditability();
        if (basic_) {
            basic_->Refresh();
        }
        if (s.linkState != kLinkOnline) {
            SetLinkState(s.linkState);
        } else {
            CTrxData(ctx_).Run(OP_UPLOAD_ALL, 0, 0);
        }
    }

    if (result != 0 && Connected()) {
        CloseLink();
        DestroyWindows();
    }
    return (cancelled || result != 0) ? 1 : 0;
}

int CMain::ConnectPort(int autoConnect) {
    CIniRw ini(ctx_);
    ini.GetComPort();  // writes the defaults into a missing or empty settings file
    const int speed = ini.GetBaudRate();
    const std::string path = ini.GetPortPath();
    if (Connected()) {
        CloseLink();
    }
    CComPort port(ctx_);
    if (autoConnect != 0) {
        if (port.Open(path, speed) == 0) {
            return 0;
        }
        ctx_.status.linkState = kLinkNoPort;
    }
    CDlgCom dialog(ctx_, services_, path, speed);
    if (dialog.DoModal(form_.get()) == ui::kIdCancel) {
        form_->EndModal(ui::kIdCancel);
        return 1;
    }
    if (port.Open(dialog.Choice().path, dialog.Choice().speed) != 0) {
        ctx_.status.linkState = kLinkNoPort;
        WarnCannotOpen(port.LastError());
    }
    return 0;
}

void CMain::WarnCannotOpen(const OpenError& error) {
    std::string text = Text(ids::IDS_CANNOT_OPEN_PORT);
    // The reason tells a Linux user what to do (permissions, a port in use).
    const LinkMessage reason = OpenFailureMessage(error);
    if (reason.stringId != 0) {
        text += "\n\n" + FormatText(reason.stringId, reason.args);
    }
    services_.prompter.Warn(ids::IDS_CANNOT_OPEN_PORT, text);
}

int CMain::RunIdSearch(int speed) {
    CDlgSid dialog(ctx_, services_, front_, speed);
    search_ = &dialog;
    const int result = dialog.DoModal(form_.get());
    search_ = nullptr;
    return result;
}

int CMain::RunTypeDialog() {
    CDlgType dialog(ctx_, services_, front_);
    return dialog.DoModal(form_.get());
}

void CMain::CreatePages() {
    if (pagesCreated_ || !form_) {
        return;
    }
    pagesCreated_ = true;
    ui::Form& parent = *form_;
    io_ = CPageIo::Create(ctx_, services_, parent, binding_, *this);
    basic_ = CPageBsc::Create(ctx_, services_, parent, binding_, *this);
    if (step_ == nullptr) {
        stepForm_ = services_.forms.Create(kTemplateStepPage, &parent, ui::FormKind::kPage);
        if (stepForm_) {
            ownStep_ =
                std::make_unique<CPageStp>(*stepForm_, ctx_, binding_,
                                           CPageStp::Services{services_.prompter, chooser_,
                                                              services_.strings, &services_.forms},
                                           *this);
            step_ = ownStep_.get();
        }
    }
    drive_ = CPageDrv::Create(ctx_, services_, parent);
    if (drive_) {
        drive_->SetReportServices(&chooser_, reportPrinter_);
        ui::Form& page = drive_->GetForm();
        page.SetVisible(CPageDrv::IDC_CHART, static_cast<bool>(openChart_));
        if (openChart_) {
            page.SetText(CPageDrv::IDC_CHART, Text(ids::IDS_CHART_BUTTON));
            drive_->SetChartOpener([this] { OpenChart(); });
        }
    }
    if (browser_ == nullptr) {
        browserForm_ = services_.forms.Create(kTemplateBrowser, &parent, ui::FormKind::kModeless);
        if (browserForm_) {
            ownBrowser_ = std::make_unique<CDlgRef>(*browserForm_, ctx_, services_.strings, *this);
            browser_ = ownBrowser_.get();
        }
    }
    detail_.Create(parent);
    commSetup_.Create(parent);

    form_->ClearItems(IDC_TABS);
    for (const PageRow& row : kPageTable) {
        form_->AddItem(IDC_TABS, row.caption != 0 ? Text(row.caption) : std::string());
    }
    ShowPage(kPageBasic);
}

void CMain::ApplyCaptions() {
    const StringTable& strings = services_.strings;
    const int type = ctx_.status.controlType;
    for (int page = 0; page < kPageCount; ++page) {
        ui::Form* form = PageForm(page);
        if (form == nullptr) {
            continue;
        }
        const int dialog = kPageTable[static_cast<std::size_t>(page)].templateId;
        ui::CCtrlBatch::ApplyCaptions(ui::CCtrlBatch::PageRows(), dialog, *form, type, strings);
        ui::CCtrlBatch::ApplyLabels(ui::CCtrlBatch::LabelRows(), dialog, *form, strings);
        ui::CCtrlBatch::FillCombos(ui::CCtrlBatch::ComboRows(), dialog, *form, strings);
        ui::CCtrlBatch::BuildLists(ui::CCtrlBatch::ListRows(), dialog, *form, type, strings);
    }
    if (browser_ != nullptr) {
        ui::CCtrlBatch::BuildLists(ui::CCtrlBatch::ListRows(), kTemplateBrowser,
                                   browser_->GetForm(), type, strings);
    }
    if (ui::Form* detail = detail_.GetForm()) {
        ui::CCtrlBatch::BuildLists(ui::CCtrlBatch::ListRows(), kTemplateDetail, *detail, type,
                                   strings);
    }
    if (ownStep_) {
        ownStep_->ResizeList();
    }
    if (drive_) {
        drive_->FinishCaptions();
    }
}

void CMain::UpdateTitle(int port, int controllerId, int speed) {
    if (!form_) {
        return;
    }
    const std::string name =
        !ctx_.status.portName.empty() ? ctx_.status.portName : FormatPrintf("COM%d", port);
    std::string status;
    if (port >= 1 && controllerId >= 1) {
        status = FormatPrintf(WithPortName(services_.strings.Text(ids::IDS_TITLE_CONNECTED)), name,
                              controllerId, speed);
    } else if (port >= 1) {
        status =
            FormatPrintf(WithPortName(services_.strings.Text(ids::IDS_TITLE_NO_ID)), name, speed);
    } else {
        status = Text(ids::IDS_TITLE_NOT_CONNECTED);
    }
    form_->SetTitle(FormatPrintf("%s %s", services_.strings.Text(ids::IDS_PROGRAM), status));
}

void CMain::RefreshTitle() {
    UpdateTitle(ctx_.status.comPort, ctx_.status.controllerId, ctx_.status.baudRate);
}

void CMain::ShowPage(int page) {
    if (page < 0 || page >= kPageCount) {
        return;
    }
    for (int p = 0; p < kPageCount; ++p) {
        if (ui::Form* form = PageForm(p)) {
            form->SetWindowVisible(p == page);
        }
    }
    form_->SetCurrentItem(IDC_TABS, page);
    shownPage_ = page;
}

// --- link state and the window's enabling ---

void CMain::SetLinkState(LinkState state) {
    if (closing_) {
        return;
    }
    StatusBlock& s = ctx_.status;
    s.linkState = state;
    for (int page = 0; page < kPageCount; ++page) {
        if (ui::Form* form = PageForm(page)) {
            ui::CCtrlBatch::ApplyEnables(ui::CCtrlBatch::PageRows(),
                                         kPageTable[static_cast<std::size_t>(page)].templateId,
                                         *form, LinkIndex(state), s.controlType);
            ui::CCtrlBatch::ApplyEnables(ui::CCtrlBatch::AddedPageRows(),
                                         kPageTable[static_cast<std::size_t>(page)].templateId,
                                         *form, LinkIndex(state), s.controlType);
        }
    }
    detail_.ApplyLinkState(state);
    commSetup_.ApplyLinkState(state);
    if (form_) {
        form_->EnableSystemMenuItem(kMenuPassword, state != kLinkBusy && state != kLinkMonitorMode);
        form_->EnableSystemMenuItem(kMenuCommSetup, state == kLinkOnline);
    }
    if (state != kLinkBusy) {
        for (int page = 0; page < kPageCount; ++page) {
            if (PageView* view = Page(page)) {
                view->Refresh();
            }
        }
        if (drive_ && drive_->AlarmResetLocked()) {
            drive_->GetForm().SetEnabled(IDC_ALARM_RESET, false);
        }
    }
    if (drive_) {
        drive_->SetMonitorModeFlag(state == kLinkMonitorMode);
    }
    // The values are drawn for the new state now, and again from the next monitor reply even
    // when it holds the same values as the last one before the change.
    ctx_.monitor.lastValues.clear();
    if (ctx_.monitorClient != nullptr) {
        ctx_.monitorClient->FormatMonitorValues();
    }
    if (state == kLinkOnline && ioUploadAfterStop_) {
        ioUploadAfterStop_ = false;
        Post([](CMain& window) { window.StartDeferredIoUpload(); });
    } else if (state != kLinkBusy) {
        ioUploadAfterStop_ = false;
    }
}

void CMain::StartDeferredIoUpload() {
    const StatusBlock& s = ctx_.status;
    if (shownPage_ != kPageIo || (s.flags & kFlagDetailRead) != 0) {
        return;
    }
    if (s.linkState != kLinkOnline || ctx_.trx.currentOp != OP_IDLE) {
        ioUploadAfterStop_ = true;  // the stop has not ended yet
        return;
    }
    CTrxData(ctx_).Run(OP_IO_UPLOAD, 0, 0);
}

void CMain::EnableMainWindow(bool enable) {
    const StatusBlock& s = ctx_.status;
    if (s.detailOpen != 1 && form_) {
        form_->SetWindowEnabled(enable);
        form_->SetEnabled(IDC_TABS, enable);
    }
    const bool offline = s.linkState == kLinkNoController || s.linkState == kLinkNoPort;
    if (ui::Form* detail = detail_.GetForm(); detail != nullptr && (enable || !offline)) {
        detail->SetWindowEnabled(enable);
    }
}

void CMain::EnableTabStrip(bool enable) {
    if (form_) {
        form_->SetEnabled(IDC_TABS, enable);
    }
}

void CMain::SetRedraw(bool on) {
    if (form_) {
        form_->SetRedraw(on);
    }
    if (ctx_.status.detailOpen == 1) {
        if (ui::Form* detail = detail_.GetForm()) {
            detail->SetRedraw(on);
        }
    }
}

void CMain::RedisplayViews(int what, int copy) {
    binding_.RedisplayViews(what, copy);
}

// --- messages between the link and the windows ---

void CMain::Post(std::function<void(CMain&)> task) {
    std::weak_ptr<CMain*> token = alive_;
    ctx_.loop.Post([token, task = std::move(task)] {
        if (const std::shared_ptr<CMain*> window = token.lock()) {
            task(**window);
        }
    });
}

void CMain::PostClose() {
    Post([](CMain& window) { window.OnClose(); });
}

void CMain::RequestExit() {
    closing_ = true;
    PostClose();
}

void CMain::NotifyFrontDialog(int message, int target) {
    if (target == kTargetIdCommDialog) {
        Post([](CMain& window) { window.commSetup_.RequestClose(); });
        if (message == WM_SEARCH_ABORT) {
            CIniRw(ctx_).SetAuto(0);
            closing_ = true;
            PostClose();
        }
        return;
    }
    Post([message](CMain& window) {
        if (ui::FrontDialog* dialog = window.front_.Current()) {
            dialog->OnFrontMessage(message);
        }
    });
}

bool CMain::ProgressVisible() {
    return progress_.Visible();
}

void CMain::OpenProgress() {
    progress_.Open(form_.get());
}

void CMain::SetProgressPosition(int position, int total) {
    progress_.SetProgress(total, position);
}

void CMain::StepProgress() {
    progress_.Step();
}

void CMain::HideProgress() {
    progress_.Hide();
}

void CMain::ShowSearchProgress(int checked, int total) {
    if (search_ != nullptr) {
        search_->ShowSearchProgress(checked, total);
    }
}

void CMain::ShowFoundIds(const std::vector<int>& ids) {
    if (search_ != nullptr) {
        search_->ShowFoundIds(ids);
    }
}

void CMain::StepSearchProgress() {
    if (search_ != nullptr) {
        search_->StepSearchProgress();
    }
}

void CMain::ShowMessage(int stringId, MessageIcon icon, bool topmost) {
    services_.prompter.Show({stringId, Text(stringId), ToIcon(icon), ui::Buttons::kOk, topmost});
}

std::string CMain::FormatText(int stringId, const std::vector<MessageArg>& args) const {
    std::vector<FormatArg> formatArgs;
    formatArgs.reserve(args.size());
    for (const MessageArg& arg : args) {
        std::visit([&](const auto& value) { formatArgs.emplace_back(value); }, arg);
    }
    return FormatArgs(services_.strings.Text(stringId), formatArgs);
}

void CMain::ShowFormattedMessage(int stringId, MessageIcon icon, bool topmost,
                                 const std::vector<MessageArg>& args) {
    services_.prompter.Show(
        {stringId, FormatText(stringId, args), ToIcon(icon), ui::Buttons::kOk, topmost});
}

bool CMain::AskYesNo(int stringId, MessageIcon icon, bool topmost) {
    return services_.prompter.Show({stringId, Text(stringId), ToIcon(icon), ui::Buttons::kYesNo,
                                    topmost}) == ui::Answer::kYes;
}

void CMain::ShowStatusLamps(std::uint16_t word, bool monitorPage) {
    if (io_) {
        io_->ShowIoWord(word);
    }
    if (monitorPage && drive_) {
        drive_->ShowStatusLamps(word);
    }
}

void CMain::ShowStatusUnknown() {
    if (io_) {
        io_->ShowIoWord(0);
    }
    if (drive_) {
        drive_->ShowStatusUnknown();
    }
}

void CMain::ShowStepBrowser(int comboId, int item) {
    if (browser_ != nullptr) {
        browser_->Show(comboId, item);
    }
}

// --- binding host ---

ui::Form* CMain::View(int view) {
    if (windowsDestroyed_) {
        return nullptr;
    }
    switch (view) {
        case kViewDetail:
            return detail_.GetForm();
        case kViewCommSetup:
            return commSetup_.GetForm();
        default:
            return PageForm(view);
    }
}

void CMain::StoreStepRow(int row) {
    if (step_ != nullptr) {
        step_->StoreEditRow(row);
    }
}

void CMain::SetStepPositioningTime(int step, float time) {
    if (drive_) {
        drive_->SetStepPositioningTime(step, time);
    }
}

void CMain::CopyStepListToBrowser(const StepListTexts& texts) {
    if (browser_ != nullptr) {
        browser_->SetListTexts(texts);
    }
}

void CMain::ApplyIoEditability(bool outputsEditable, bool areaEditable) {
    if (io_) {
        io_->ApplyEditability(outputsEditable, areaEditable);
    }
}

void CMain::RefreshBasicPage() {
    if (basic_) {
        basic_->Refresh();
    }
}

void CMain::ResetPidToDefaults() {
    CPidParam(ctx_).ResetPidToDefaults();
}

bool CMain::RebuildDetailLists(int copy) {
    return !windowsDestroyed_ && detail_.RebuildLists(copy);
}

void CMain::ShowStepsFromEditCopies() {
    binding_.DisplayLists(kViewStep, ParameterImage::kEditCopy);
}

void CMain::SelectBrowsedStep(int comboId, int item) {
    if (drive_) {
        drive_->SelectBrowsedStep(comboId, item);
    }
}

ui::Form* CMain::PageForm(int page) const {
    if (windowsDestroyed_) {
        return nullptr;
    }
    PageView* view = Page(page);
    return view != nullptr ? &view->GetForm() : nullptr;
}

PageView* CMain::Page(int page) const {
    if (!pagesCreated_) {
        return nullptr;
    }
    switch (page) {
        case kPageIo:
            return io_.get();
        case kPageBasic:
            return basic_.get();
        case kPageStep:
            return step_;
        case kPageDrive:
            return drive_.get();
        default:
            return nullptr;
    }
}

bool CMain::Online() const {
    const LinkState state = ctx_.status.linkState;
    return state != kLinkNoController && state != kLinkNoPort;
}

// --- the window's own events ---

bool CMain::OnKeyDown(ui::ControlId /*id*/, int key, ui::KeyModifiers /*mods*/) {
    // Neither key ends the main window; closing goes through the closing sequence only.
    return key == ui::key::kReturn || key == ui::key::kEscape;
}

bool CMain::OnCloseRequest() {
    OnClose();
    return false;
}

void CMain::OnSelectionChanged(ui::ControlId id) {
    if (id == IDC_TABS) {
        OnTabChanged();
    }
}

void CMain::OnTabChanged() {
    const int next = form_->CurrentItem(IDC_TABS);
    const int previous = previousTab_;
    if (next < 0 || next >= kPageCount || !pagesCreated_) {
        return;
    }
    const StatusBlock& s = ctx_.status;
    const bool detailRead = (s.flags & kFlagDetailRead) != 0;
    // Leaving the Monitor/Test page for the I/O page before its parameters were read skips
    // the leaving actions, so that no stop replaces the upload the I/O page starts. A motion
    // that runs is stopped all the same, and the upload follows the stop.
    const bool toFirstIoUpload = previous == kPageDrive && next == kPageIo && !detailRead;
    const bool motion = drive_ && drive_->MotionRunning();
    if (Online() && (!toFirstIoUpload || motion)) {
        switch (previous) {
            case kPageIo:
                CTrxData(ctx_).Run(OP_MANUAL_OUTPUT, kAllOutputsToFunctions, 0);
                break;
            case kPageStep:
                if (step_ != nullptr) {
                    step_->ReloadCurrentStep();
                    step_->Refresh();
                }
                break;
            case kPageDrive:
                // The page's stop routine asks for the one stop.
                if (drive_) {
                    drive_->StopContinuous();
                }
                ioUploadAfterStop_ = toFirstIoUpload;
                break;
            default:
                break;
        }
    }

    ShowPage(next);

    switch (next) {
        case kPageIo:
            if (io_) {
                io_->Prepare();
                io_->SetInputLock(false);
            }
            if (!detailRead && s.linkState == kLinkOnline && !ioUploadAfterStop_) {
                CTrxData(ctx_).Run(OP_IO_UPLOAD, 0, 0);
            }
            previousTab_ = kPageIo;
            return;
        case kPageStep:
            if (step_ != nullptr) {
                step_->SetBasicStroke(basic_ ? basic_->StrokeNumber() : 0);
            }
            binding_.CollectView(kViewBasic, kNoList, 0);
            if (step_ != nullptr) {
                step_->Refresh();
            }
            break;
        case kPageDrive:
            if (Online() && step_ != nullptr && step_->HasStepChanges()) {
                ShowPage(kPageStep);
                if (!services_.Confirm(ids::IDS_DATA_CHANGED)) {
                    // The Step Data Setup page stays; it is the one that is left next time.
                    previousTab_ = kPageStep;
                    if (io_) {
                        io_->SetInputLock(true);
                    }
                    return;
                }
                ShowPage(kPageDrive);
                binding_.DisplayLists(kViewStep, ParameterImage::kControllerCopy);
            }
            break;
        default:
            break;
    }
    previousTab_ = next;
    if (io_) {
        io_->SetInputLock(true);
    }
}

void CMain::OnSystemCommand(int command) {
    switch (command & kMenuCommandMask) {
        case kMenuAbout:
            RunAbout();
            break;
        case kMenuPassword:
            OpenExpertWindow(CDlgPwd::kDetailDialog);
            break;
        case kMenuCommSetup:
            OpenExpertWindow(CDlgPwd::kCommSetupDialog);
            break;
        case kMenuCommLog:
            // Only looks at the line: nothing stops, nothing is sent.
            if (openCommLog_) {
                openCommLog_();
            }
            break;
        case kMenuChart:
            OpenChart();
            break;
        default:
            break;
    }
}

void CMain::RunAbout() {
    ui::CDlgVer about(ctx_, services_, front_, [this] { PostClose(); });
    about.DoModal(form_.get());
}

void CMain::OpenExpertWindow(int purpose) {
    if (form_->CurrentItem(IDC_TABS) == kPageDrive && Online()) {
        CTrxData(ctx_).Run(OP_STOP, 0, 0);
        if (drive_) {
            // The page's buttons are reset; the stop it asks for is the one under way.
            drive_->StopContinuous();
        }
    }
    CDlgPwd password(services_, purpose);
    if (password.DoModal(form_.get()) != ui::kIdOk) {
        return;
    }
    if (purpose == CDlgPwd::kDetailDialog) {
        if (step_ != nullptr) {
            step_->Refresh();
        }
        detail_.Prepare(password.PidAccessLevel());
        binding_.RedisplayViews(kRedisplayAll, ParameterImage::kControllerCopy);
        binding_.DisplayView(kViewDetail, kNoList, 0, ParameterImage::kControllerCopy);
        detail_.Show();
        ctx_.status.detailOpen = 1;
        detail_.ShowState(0);
        // The window stands in for a modal one; until its own upload does so, it disables
        // the main window itself.
        form_->SetWindowEnabled(false);
        form_->SetEnabled(IDC_TABS, false);
        return;
    }
    binding_.DisplayView(kViewCommSetup, kNoList, 0, ParameterImage::kControllerCopy);
    binding_.UpdateIoEditability();
    if (basic_) {
        basic_->Refresh();
    }
    commSetup_.Prepare();
    commSetup_.Show();
    EnableMainWindow(false);
}

void CMain::DetailClosed() {
    ctx_.status.detailOpen = 0;
    EnableMainWindow(true);
}

void CMain::CommSetupClosed() {
    EnableMainWindow(true);
    binding_.UpdateIoEditability();
    if (basic_) {
        basic_->Refresh();
    }
}

// --- closing ---

void CMain::CloseLink() {
    reconnect_.Stop();
    CRxdThread(ctx_).StopReceiver();
}

void CMain::PortLost() {
    if (!closing_) {
        reconnect_.Watch();
    }
}

void CMain::Reconnect(const PortInfo& port) {
    CComPort com(ctx_);
    if (com.Open(port.byId.empty() ? port.path : port.byId, ctx_.status.baudRate) != 0) {
        WarnCannotOpen(com.LastError());
        return;
    }
    RefreshTitle();
    CPageBsc::Comm(ctx_, *this);
}

void CMain::DestroyWindows() {
    for (int page = 0; page < kPageCount; ++page) {
        if (ui::Form* form = PageForm(page)) {
            form->SetWindowVisible(false);
        }
    }
    if (browser_ != nullptr) {
        browser_->GetForm().SetWindowVisible(false);
    }
    detail_.Hide();
    commSetup_.Hide();
    progress_.Hide();
    windowsDestroyed_ = true;
}

void CMain::OnClose() {
    if (!form_) {
        return;
    }
    if (closing_) {
        if (Connected()) {
            CloseLink();
        }
        DestroyWindows();
        form_->EndModal(ui::kIdCancel);
        return;
    }
    if ((ctx_.status.flags & kFlagUploadDone) == 0) {
        closing_ = true;
        PostClose();
        return;
    }

    if (Online() && drive_ && drive_->MotionRunning()) {
        // The questions below wait for the user; the actuator does not.
        drive_->StopContinuous();
    }
    std::array<bool, kPageCount> changed{};
    if (Connected()) {
        changed[kPageIo] = binding_.CollectView(kViewIo, kNoList, 0);
        changed[kPageBasic] = binding_.CollectView(kViewBasic, kNoList, 0);
        changed[kPageStep] = step_ != nullptr && step_->HasStepChanges();
    }
    bool asked = false;
    bool confirmed = false;
    for (int page = 0; page < kPageCount; ++page) {
        if (!changed[static_cast<std::size_t>(page)]) {
            continue;
        }
        const int before = shownPage_;
        ShowPage(page);
        asked = true;
        if (services_.Confirm(ids::IDS_DATA_CHANGED)) {
            ShowPage(before);
            confirmed = true;
        }
    }
    if (asked && !confirmed) {
        // The page asked about last stays; a tab change leaves that page.
        previousTab_ = shownPage_;
        return;
    }
    if (io_) {
        io_->SetInputLock(true);
    }
    if (!Online()) {
        RequestExit();
    } else {
        CTrxData(ctx_).Run(OP_EXIT, 0, 0);
    }
}

void CMain::AttachChart(SampleSink* samples, std::function<void()> openChart) {
    monitor_.SetSampleSink(samples);
    openChart_ = std::move(openChart);
}

void CMain::OpenChart() {
    if (openChart_) {
        openChart_();
    }
}

}  // namespace tavro
