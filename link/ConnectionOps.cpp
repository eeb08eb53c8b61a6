// Connection, upload and download operations with their command tables and block lists.

#include "link/CStatusFlg.h"
#include "link/CTrxData.h"

namespace tavro {

namespace {

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

constexpr int Rows(CommandTable table) {
    return static_cast<int>(table.size());
}

}  // namespace

int CTrxData::OpSearch(int step, int param, int /*status*/) {
    SearchState& s = State().search;
    constexpr int kByte = 0xFF;
    if (step == 0) {
        s.first = (param >> 8) & kByte;
        s.last = param & kByte;
        s.count = 0;
        s.probed = s.first;
    } else if (IsOk(State().lastReply) && s.count < SearchState::kMaxFound) {
        s.found[static_cast<std::size_t>(s.count++)] = s.probed;
    }
    const int total = s.last - s.first + 1;
    Host().ShowSearchProgress(step, total > 0 ? total : 0);
    s.probed = s.first + step;
    if (s.probed > s.last) {
        s.found[static_cast<std::size_t>(s.count)] = 0;
        if (s.count == 0) {
            Host().NotifyFrontDialog(WM_OP_NO_CONTROLLER, kTargetFrontDialog);
        } else {
            Host().ShowFoundIds(std::vector<int>(s.found.begin(), s.found.begin() + s.count));
        }
        Finish();
        return kWait;
    }
    State().lastRequest.controllerId = s.probed;
    Send(cmd::kVersion, s.probed);
    return kWait;
}

int CTrxData::OpConnect(int step, int /*param*/, int /*status*/) {
    if (ReadTable(step, 1, Rows(kConnectTable), kConnectTable) == kWait) {
        return kWait;
    }
    StoreReplies(kConnectTable, 1, Rows(kConnectTable));
    CStatusFlg status(ctx_);
    status.SetFlag(kFlagIdentityRead);
    if (status.GetFrontPhase() == kFrontIdSearch) {
        Finish();
        Host().NotifyFrontDialog(WM_OP_COMPLETE, kTargetFrontDialog);
        return kWait;
    }
    Host().SetModeSwitch(1);
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
    if (ReadTable(step, 1, Rows(kInitialUploadTable), kInitialUploadTable) == kWait) {
        return kWait;
    }
    LinkHost& host = Host();
    host.SetRedraw(false);
    StoreReplies(kInitialUploadTable, 1, Rows(kInitialUploadTable));
    host.RedisplayViews(kViewsAll, 0);
    host.SetInchingLimits();
    CStatusFlg(ctx_).SetFlag(kFlagUploadDone);
    host.SetModeSwitch(1);
    SetLinkState(kLinkOnline);
    End();
    host.SetRedraw(true);
    return kWait;
}

}  // namespace tavro
