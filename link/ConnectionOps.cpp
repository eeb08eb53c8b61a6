// Connection, upload and download operations with their command tables and block lists.

#include <algorithm>

#include "link/CEepData.h"
#include "link/CStatusFlg.h"
#include "link/CTrxData.h"
#include "link/Numbers.h"
#include "link/OperationParams.h"
#include "link/StringIds.h"

namespace tavro {

namespace {

constexpr int kFirstStepGroup = ParameterImage::kFirstStepGroup;  // group of step 1
constexpr int kLastStepGroup = kFirstStepGroup + 14;              // group of step 15
constexpr int kControlTypeParameter = 12;
constexpr int kIdParameter = 3;
constexpr int kStepTableRows = 9;
constexpr int kPidDefaultRows = 88;

constexpr CommandRow kInitTable[] = {Bare(cmd::kStopAll), Bare(cmd::kFactoryDefaults)};

constexpr CommandRow kConnectTable[] = {
    Bare(cmd::kStopAll), Bare(cmd::kTestMode), Read(0, 0, 0),
    Read(0, 1, 1),       Read(0, 12, 2),       Read(0, 3, 3),
};

constexpr CommandRow kInitialUploadTable[] = {
    Bare(cmd::kVersion, 0), Bare(cmd::kStopAll), Bare(cmd::kTestMode), Bare(cmd::kAlarmRead, 1),
    Read(0, 0, 2),          Read(0, 1, 3),       Read(1, 0, 4),        Read(0, 2, 5),
    Read(0, 6, 6),          Read(0, 8, 7),       Read(0, 9, 8),        Read(0, 10, 9),
    Read(0, 13, 11),        Read(0, 3, 12),      Read(0, 22, 13),      Read(0, 24, 14),
};

// The same reads without "OE" and "MD": the controller stays in monitor mode.
constexpr CommandRow kConnectReadTable[] = {
    Read(0, 0, 0),
    Read(0, 1, 1),
    Read(0, 12, 2),
    Read(0, 3, 3),
};

constexpr CommandRow kInitialUploadReadTable[] = {
    Bare(cmd::kVersion, 0), Bare(cmd::kAlarmRead, 1),
    Read(0, 0, 2),          Read(0, 1, 3),
    Read(1, 0, 4),          Read(0, 2, 5),
    Read(0, 6, 6),          Read(0, 8, 7),
    Read(0, 9, 8),          Read(0, 10, 9),
    Read(0, 13, 11),        Read(0, 3, 12),
    Read(0, 22, 13),        Read(0, 24, 14),
};

constexpr CommandRow kControlTypeTable[] = {
    Write(0, kControlTypeParameter, 0),
    Bare(cmd::kCommit),
    Bare(cmd::kCommitAb),
    Bare(cmd::kCommitSp),
};

// Every servo constant and PID cell, and the PID set number of every step.
constexpr ParameterRun kDetailRuns[] = {
    {1, 1, 15, 0},
    {1, 17, 17, 0},
    {2, 0, 56, 0},
    {kFirstStepGroup, 15, 15, kLastStepGroup},
};
constexpr auto kDetailTable = ExpandReadRows<CountRows(kDetailRuns)>(kDetailRuns, false);
static_assert(kDetailTable.size() == 88);

// The same cells read into slots 0..87: what the detail table forces is then what the
// controller holds, the servo constants that no view shows included.
constexpr auto kDetailReadTable = ExpandReadRows<CountRows(kDetailRuns)>(kDetailRuns, true);

constexpr CommandRow kBasicWriteTable[] = {
    Write(0, 0, 0), Write(0, 1, 1), Write(1, 0), Write(0, 2, 2), Write(0, 10),
};
constexpr CommandRow kBasicWritePulseTable[] = {
    Write(0, 0, 0), Write(0, 1, 1), Write(1, 0), Write(0, 13, 2), Write(0, 10),
};

constexpr CommandRow kBasicTable[] = {
    Read(0, 0, 0),   Read(0, 1, 1),   Read(1, 0, 2),   Read(0, 2, 3),   Read(0, 6, 4),
    Read(0, 8, 5),   Read(0, 9, 6),   Read(0, 10, 7),  Read(0, 11, 8),  Read(0, 13, 9),
    Read(0, 14, 10), Read(0, 15, 11), Read(0, 16, 12), Read(0, 17, 13), Read(0, 18, 14),
    Read(0, 19, 15), Read(0, 20, 16), Read(0, 21, 17),
};

// Per-step tables, written for step 1 (group 3); the engines add the step index.
constexpr CommandRow kStepDataTable[] = {
    Read(3, 0, kSlotRunning), Read(3, 1, kSlotRunning), Read(3, 2, kSlotRunning),
    Read(3, 3, kSlotRunning), Read(3, 4, kSlotRunning), Read(3, 5, kSlotRunning),
    Read(3, 6, kSlotRunning), Read(3, 7, kSlotRunning), Read(3, 8, kSlotRunning),
};
static_assert(std::size(kStepDataTable) == kStepTableRows);
constexpr CommandRow kFullStepTable[] = {
    Read(3, 0, kSlotRunning),  Read(3, 1, kSlotRunning),  Read(3, 2, kSlotRunning),
    Read(3, 3, kSlotRunning),  Read(3, 4, kSlotRunning),  Read(3, 5, kSlotRunning),
    Read(3, 6, kSlotRunning),  Read(3, 7, kSlotRunning),  Read(3, 8, kSlotRunning),
    Read(3, 9, kSlotRunning),  Read(3, 10, kSlotRunning), Read(3, 11, kSlotRunning),
    Read(3, 12, kSlotRunning), Read(3, 13, kSlotRunning), Read(3, 14, kSlotRunning),
};
constexpr CommandRow kStepAreaTable[] = {
    Read(3, 9, kSlotRunning),  Read(3, 10, kSlotRunning), Read(3, 11, kSlotRunning),
    Read(3, 12, kSlotRunning), Read(3, 13, kSlotRunning), Read(3, 14, kSlotRunning),
};

constexpr CommandRow kIoWriteTable[] = {
    Bare(cmd::kAllOutputsOff), Write(0, 6),     Write(0, 8, 0), Write(0, 9, 1),
    Write(0, 19, 2),           Write(0, 20, 3),
};
constexpr CommandRow kIoLimitsTable[] = {Read(0, 19, 0), Read(0, 20, 1)};
constexpr CommandRow kIoLimitsWriteTable[] = {Write(0, 19, 0), Write(0, 20, 1)};
constexpr CommandRow kIdWriteTable[] = {Write(0, kIdParameter, 0)};
constexpr CommandRow kCommWriteTable[] = {Write(0, 22, 1), Write(0, 24, 2)};
constexpr CommandRow kStopTable[] = {Bare(cmd::kStopAll)};
constexpr CommandRow kCommitTable[] = {Bare(cmd::kCommit)};
constexpr CommandRow kCommitAndResetTable[] = {
    Bare(cmd::kCommit),
    Bare(cmd::kCommitAb),
    Bare(cmd::kCommitSp),
};

constexpr int kResetMessage = ids::IDS_RESET_REQUIRED;
constexpr bool kPerStep = true;

// Block lists. Each block: table, pulse-type table, message after it, per step, force
// selector, skip selector.
constexpr Block kBasicDownload[] = {
    {kDetailTable, kDetailTable, 0, false, 1, 1},
    {kStepAreaTable, kStepAreaTable, 0, kPerStep, 2, 2},
    {kBasicWriteTable, kBasicWritePulseTable, kResetMessage, false, 0, 0},
    {kIoLimitsWriteTable, kIoLimitsWriteTable, 0, false, 0, 0},
    {kCommitAndResetTable, kCommitAndResetTable, 0, false, 0, 0},
};
constexpr Block kIoDownload[] = {
    {kIoWriteTable, kIoWriteTable, 0, false, 0, 0},
    {kStepAreaTable, kStepAreaTable, 0, kPerStep, 0, 0},
    {kCommitTable, kCommitTable, 0, false, 0, 0},
};
constexpr Block kStepDownload[] = {
    {kStepDataTable, kStepDataTable, 0, kPerStep, 1, 0},
    {kCommitTable, kCommitTable, 0, false, 0, 0},
};
constexpr Block kDetailDownload[] = {
    {kIdWriteTable, kIdWriteTable, 0, false, 0, 0},
    {kDetailTable, kDetailTable, 0, false, 1, 0},
    {kFullStepTable, kFullStepTable, 0, kPerStep, 2, 0},
    {kBasicTable, kBasicTable, kResetMessage, false, 0, 0},
    {kCommitAndResetTable, kCommitAndResetTable, 0, false, 0, 0},
};
constexpr Block kCommDownload[] = {
    {kIdWriteTable, kIdWriteTable, 0, false, 0, 0},
    {kCommWriteTable, kCommWriteTable, kResetMessage, false, 0, 0},
    {kCommitTable, kCommitTable, 0, false, 0, 0},
};
constexpr Block kDetailUpload[] = {
    {kDetailReadTable, kDetailReadTable, 0, false, 0, 0},
    {kFullStepTable, kFullStepTable, 0, kPerStep, 0, 0},
    {kBasicTable, kBasicTable, 0, false, 0, 0},
};
constexpr Block kIoUpload[] = {
    {kStopTable, kStopTable, 0, false, 0, 0},
    {kStepAreaTable, kStepAreaTable, 0, kPerStep, 0, 0},
    {kIoLimitsTable, kIoLimitsTable, 0, false, 0, 0},
};

constexpr int Rows(CommandTable table) {
    return static_cast<int>(table.size());
}

int Flag(bool set) {
    return set ? 1 : 0;
}

}  // namespace

int CTrxData::OpSearch(int step, int param, int /*status*/) {
    if ((param & kSearchQuick) != 0) {
        return OpQuickSearch(step, param);
    }
    SearchState& s = State().search;
    if (step == 0) {
        const IdRange range = UnpackIdRange(param);
        s.first = range.first;
        s.last = range.last;
        s.count = 0;
        s.probed = s.first;
        s.quick = false;
    } else if (s.answered && s.count < SearchState::kMaxFound) {
        s.found[static_cast<std::size_t>(s.count++)] = s.probed;
    }
    const int total = s.last - s.first + 1;
    Host().ShowSearchProgress(step, total > 0 ? total : 0);
    s.probed = s.first + step;
    if (s.probed > s.last) {
        ReportSearch();
        return kWait;
    }
    State().lastRequest.controllerId = s.probed;
    s.answered = false;
    Send(cmd::kVersion, s.probed);
    return kWait;
}

void CTrxData::ReportSearch() {
    SearchState& s = State().search;
    s.found[static_cast<std::size_t>(s.count)] = 0;
    if (s.count == 0) {
        Host().NotifyFrontDialog(WM_OP_NO_CONTROLLER, kTargetFrontDialog);
    } else {
        Host().ShowFoundIds(std::vector<int>(s.found.begin(), s.found.begin() + s.count));
    }
    Finish();
}

void CTrxData::SendQuickProbe(int id) {
    SearchState& s = State().search;
    s.probed = id;
    s.confirming = false;
    s.answered = false;
    s.graceUsed = false;
    s.marks[static_cast<std::size_t>(id)] = SearchState::Mark::kAsked;
    State().lastRequest.controllerId = id;
    LineCommand probe = MakeCommand(cmd::kVersion, id);
    probe.quickTimeoutMs = QuickProbeTimeoutMs(ctx_.status.baudRate);
    Submit(std::move(probe));
}

int CTrxData::OpQuickSearch(int step, int param) {
    using Mark = SearchState::Mark;
    SearchState& s = State().search;
    const auto mark = [&s](int id) -> Mark& { return s.marks[static_cast<std::size_t>(id)]; };
    if (step == 0) {
        const IdRange range = UnpackIdRange(param);
        s.first = range.first;
        s.last = range.last;
        s.count = 0;
        s.quick = true;
        s.pass = 1;
        s.next = s.first;
        s.probed = -1;
        s.marks.fill(Mark::kUnasked);
        s.secondPass.clear();
        s.secondIndex = 0;
    } else if (s.probed >= 0 && mark(s.probed) == Mark::kAsked) {
        Mark& m = mark(s.probed);
        if (s.answered) {
            m = s.confirming ? Mark::kFound : Mark::kHeard;
        } else if (s.confirming && s.pass == 2) {
            m = Mark::kDropped;
        } else {
            m = Mark::kSilent;  // a probe, or a confirmation the second pass asks again
        }
    }
    // An ID that has answered, in time or late, is asked once more with the ordinary
    // time-out and resends before it is listed.
    for (int id = s.first; id <= s.last; ++id) {
        if (mark(id) == Mark::kHeard) {
            s.probed = id;
            s.confirming = true;
            s.answered = false;
            mark(id) = Mark::kAsked;
            State().lastRequest.controllerId = id;
            Send(cmd::kVersion, id);
            return kWait;
        }
    }
    const int total = s.last - s.first + 1;
    if (s.pass == 1) {
        if (s.next <= s.last) {
            Host().ShowSearchProgress(s.next - s.first, total);
            SendQuickProbe(s.next++);
            return kWait;
        }
        for (int id = s.first; id <= s.last; ++id) {
            if (mark(id) == Mark::kSilent) {
                s.secondPass.push_back(id);
            }
        }
        s.pass = 2;
        s.secondIndex = 0;
    }
    const int again = static_cast<int>(s.secondPass.size());
    while (s.secondIndex < s.secondPass.size()) {
        const int id = s.secondPass[s.secondIndex];
        if (mark(id) != Mark::kSilent) {
            ++s.secondIndex;  // heard late in the meantime
            continue;
        }
        Host().ShowSearchProgress(static_cast<int>(s.secondIndex), again);
        ++s.secondIndex;
        SendQuickProbe(id);
        return kWait;
    }
    const int shown = again > 0 ? again : std::max(total, 0);
    Host().ShowSearchProgress(shown, shown);
    for (int id = s.first; id <= s.last && s.count < SearchState::kMaxFound; ++id) {
        if (mark(id) == Mark::kFound) {
            s.found[static_cast<std::size_t>(s.count++)] = id;
        }
    }
    ReportSearch();
    return kWait;
}

int CTrxData::OpConnect(int step, int /*param*/, int /*status*/) {
    if (step == 0) {
        // Whatever answers now may not be the controller the image was read from.
        ctx_.image.ForgetController();
    }
    const CommandTable table = ctx_.readOnly ? CommandTable(kConnectReadTable) : kConnectTable;
    if (ReadTable(step, 1, Rows(table), table) == kWait) {
        return kWait;
    }
    StoreReplies(table, 1, Rows(table));
    CStatusFlg status(ctx_);
    status.SetFlag(kFlagIdentityRead);
    if (status.GetFrontPhase() == kFrontIdSearch) {
        Finish();
        Host().NotifyFrontDialog(WM_OP_COMPLETE, kTargetFrontDialog);
        return kWait;
    }
    DrivePage().SetModeSwitch(1);
    SetLinkState(kLinkOnline);
    End();
    return kWait;
}

int CTrxData::OpUploadAll(int step, int /*param*/, int /*status*/) {
    TrxState& t = State();
    // The controller check of the reply handler applies while the parameter is 0, which
    // holds only for the first command, "VE".
    if (step == 0) {
        t.currentParam = 0;
        SetLinkState(kLinkBusy);
    } else {
        t.currentParam = 1;
    }
    const CommandTable table =
        ctx_.readOnly ? CommandTable(kInitialUploadReadTable) : kInitialUploadTable;
    if (ReadTable(step, 1, Rows(table), table) == kWait) {
        return kWait;
    }
    LinkHost& host = Host();
    host.SetRedraw(false);
    StoreReplies(table, 1, Rows(table));
    host.RedisplayViews(kViewsAll, 0);
    DrivePage().SetInchingLimits();
    CStatusFlg(ctx_).SetFlag(kFlagUploadDone);
    DrivePage().SetModeSwitch(1);
    SetLinkState(kLinkOnline);
    End();
    host.SetRedraw(true);
    return kWait;
}

int CTrxData::OpInitialize(int step, int /*param*/, int /*status*/) {
    const int result = ReadTable(step, 1, Rows(kInitTable), kInitTable);
    if (step == 1) {
        // The controller answers "ED" with its factory-default ID.
        constexpr int kFactoryId = 1;
        ExpectReplyFrom(kFactoryId);
        ctx_.status.controllerId = kFactoryId;
        // The controller's memory is its factory defaults now.
        ctx_.image.ForgetController();
    }
    if (result == kWait) {
        return kWait;
    }
    LinkHost& host = Host();
    host.SetRedraw(false);
    host.RedisplayViews(kViewsAll, 0);
    host.NotifyFrontDialog(WM_OP_COMPLETE, kTargetFrontDialog);
    End();
    host.SetRedraw(true);
    return kWait;
}

int CTrxData::OpSetControlType(int step, int param, int /*status*/) {
    OperationValues& v = State().op;
    switch (step) {
        case 0:
            v.controlType = param;
            State().unsent.clear();
            SendCommand(Format(cmd::kWriteParameter.data(), 0, kControlTypeParameter,
                               static_cast<double>(v.controlType)));
            return kWait;
        case 1:
            // The acknowledged type goes through the reply store like a read value.
            State().store.Put(0, Format("%d", v.controlType));
            SendCommand(cmd::kCommit);
            return kWait;
        case 2:
            SendCommand(cmd::kCommitAb);
            return kWait;
        case 3:
            SendCommand(cmd::kCommitSp);
            return kWait;
        default:
            break;
    }
    Finish();
    StoreReplies(kControlTypeTable, 1, Rows(kControlTypeTable));
    if (ctx_.status.frontPhase == kFrontTypeDialog) {
        Host().NotifyFrontDialog(WM_OP_COMPLETE, kTargetFrontDialog);
    }
    return kWait;
}

int CTrxData::OpStepUpload(int step, int param, int /*status*/) {
    OperationValues& v = State().op;
    const int repeats = RepeatCount();
    const int total = kStepTableRows * repeats;
    if (step == 0) {
        SetLinkState(kLinkBusy);
        ShowProgress(kStepTableRows);
        const BrowseTarget target = UnpackBrowseTarget(param);
        v.browseHigh = target.combo;
        v.browseLow = target.item;
    }
    Host().SetProgressPosition(step, total);
    if (ReadTable(step, repeats, kStepTableRows, kStepDataTable) == kWait) {
        return kWait;
    }
    LinkHost& host = Host();
    host.SetRedraw(false);
    StoreReplies(kStepDataTable, repeats, kStepTableRows);
    CStatusFlg(ctx_).SetFlag(kFlagStepDataMoved);
    host.RedisplayViews(kViewsStepLists, 0);
    HideProgress();
    if (State().currentOp == OP_STEP_UPLOAD_REF) {
        host.EnableMainWindow(false);
        host.ShowStepBrowser(v.browseHigh, v.browseLow);
    }
    SetLinkState(kLinkOnline);
    End();
    host.SetRedraw(true);
    return kWait;
}

int CTrxData::OpStepDownload(int step, int /*param*/, int /*status*/) {
    CStatusFlg status(ctx_);
    if (step == 0) {
        SetLinkState(kLinkBusy);
    }
    const int force[] = {Flag(!status.HasFlag(kFlagStepDataMoved))};
    const int r = WriteBlocks(step, kStepDownload, force, {});
    if (r != kBlocksDone) {
        return r;
    }
    Host().RedisplayViews(kViewsStepLists, 0);
    status.SetFlag(kFlagStepDataMoved);
    Host().ShowMessage(ids::IDS_UPDATE_COMPLETE, MessageIcon::kInformation, false);
    return kWait;
}

int CTrxData::OpBasicDownload(int step, int param, int status) {
    OperationValues& v = State().op;
    CStatusFlg flags(ctx_);
    if (step == 0) {
        v.skipDetail = param;
        v.skipStepArea = status;  // the second skip flag comes as the status argument
        SetLinkState(kLinkBusy);
    }
    const int force[] = {1, Flag(!flags.HasFlag(kFlagDetailRead))};
    const int skip[] = {v.skipDetail, v.skipStepArea};
    const int r = WriteBlocks(step, kBasicDownload, force, skip);
    if (r != kBlocksDone) {
        return r;
    }
    DrivePage().SetInchingLimits();
    if (v.skipStepArea == 0) {
        Host().RedisplayViews(kViewsIoPage, 0);
    }
    Host().ShowMessage(ids::IDS_UPDATE_COMPLETE, MessageIcon::kInformation, false);
    return kWait;
}

int CTrxData::OpIoDownload(int step, int /*param*/, int /*status*/) {
    if (step == 0) {
        SetLinkState(kLinkBusy);
    }
    const int r = WriteBlocks(step, kIoDownload, {}, {});
    if (r != kBlocksDone) {
        return r;
    }
    ctx_.monitor.forceRefresh = true;
    Host().ShowMessage(ids::IDS_UPDATE_COMPLETE, MessageIcon::kInformation, false);
    return kWait;
}

int CTrxData::OpIoUpload(int step, int /*param*/, int /*status*/) {
    const int r = ReadBlocks(step, kIoUpload);
    if (r != kBlocksDone) {
        return r;
    }
    LinkHost& host = Host();
    host.SetRedraw(false);
    CStatusFlg(ctx_).SetFlag(kFlagDetailRead);
    host.RedisplayViews(kViewsIoPage, 0);
    DrivePage().ShowOperationResult({.continuousEnabled = true});
    SetLinkState(kLinkOnline);
    End();
    host.SetRedraw(true);
    return kWait;
}

int CTrxData::OpDetailUpload(int step, int /*param*/, int /*status*/) {
    if (step == 0) {
        SetLinkState(kLinkBusy);
    }
    const int r = ReadBlocks(step, kDetailUpload);
    if (r != kBlocksDone) {
        return r;
    }
    LinkHost& host = Host();
    host.SetRedraw(false);
    CStatusFlg status(ctx_);
    status.SetFlag(kFlagDetailUploadDone);
    status.SetFlag(kFlagStepDataMoved);
    status.SetFlag(kFlagDetailRead);
    host.RedisplayViews(kViewsAll, 0);
    SetLinkState(kLinkOnline);
    End();
    host.SetRedraw(true);
    return kWait;
}

int CTrxData::OpDetailDownload(int step, int param, int /*status*/) {
    if (step == 0) {
        SetLinkState(kLinkBusy);
    }
    const int force[] = {param, Flag(!CStatusFlg(ctx_).HasFlag(kFlagStepDataMoved))};
    const int r = WriteBlocks(step, kDetailDownload, force, {});
    if (step == 0) {
        ExpectReplyFromNewId();
    }
    if (r != kBlocksDone) {
        return r;
    }
    DrivePage().SetInchingLimits();
    Host().ShowMessage(ids::IDS_UPDATE_COMPLETE, MessageIcon::kInformation, false);
    return kWait;
}

int CTrxData::OpCommSetup(int step, int param, int /*status*/) {
    if (step == 0) {
        SetLinkState(kLinkBusy);
    }
    const int r = WriteBlocks(step, kCommDownload, {}, {});
    if (step == 0) {
        ExpectReplyFromNewId();
    }
    if (r != kBlocksDone) {
        return r;
    }
    LinkHost& host = Host();
    if (param == 0) {
        host.ShowMessage(ids::IDS_UPDATE_COMPLETE, MessageIcon::kInformation, false);
    } else if (host.AskYesNo(ids::IDS_SPEED_CHANGED, MessageIcon::kInformation, true)) {
        host.RedisplayViews(kViewsAll, 0);
        host.NotifyFrontDialog(WM_SEARCH_ABORT, kTargetIdCommDialog);
    } else {
        host.NotifyFrontDialog(WM_OP_COMPLETE, kTargetIdCommDialog);
    }
    return kWait;
}

int CTrxData::OpPidDefault(int step, int /*param*/, int /*status*/) {
    if (step == 0) {
        SetLinkState(kLinkBusy);
        ShowProgress(kPidDefaultRows);
    }
    Host().SetProgressPosition(step, kPidDefaultRows);
    const int r = WriteTable(step, 1, kPidDefaultRows, kDetailTable, 0);
    if (step < kPidDefaultRows) {
        return r;
    }
    // No replies are stored: what the table passed over concerns nobody after it.
    State().unsent.clear();
    HideProgress();
    SetLinkState(kLinkOnline);
    End();
    return kWait;
}

void CTrxData::ExpectReplyFromNewId() {
    // The ID write of step 0 is answered by the controller under its new ID.
    const float id = CEepData(ctx_).GetCell(0, kIdParameter, ParameterImage::kEditCopy);
    ExpectReplyFrom(TruncToInt(static_cast<double>(id)));
}

}  // namespace tavro
