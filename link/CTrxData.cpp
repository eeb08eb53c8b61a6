#include "link/CTrxData.h"

#include "link/CStatusFlg.h"
#include "link/CTimer.h"
#include "link/Command.h"
#include "link/Numbers.h"
#include "link/StringIds.h"

namespace tavro {

namespace {

constexpr int kRetryLimit = 2;  // the fourth silence gives up
constexpr int kVersionMin = 2160;
constexpr int kVersionLimit = 3000;
constexpr int kVersionFullHistory = 2500;
constexpr int kShortAlarmHistory = 4;

}  // namespace

CTrxData::Handler CTrxData::HandlerFor(int op) {
    static constexpr std::array<Handler, kOperationCount> kOperationTable = {
        &CTrxData::OpIdle,            // OP_IDLE
        &CTrxData::OpInitialize,      // OP_INITIALIZE
        &CTrxData::OpConnect,         // OP_CONNECT
        &CTrxData::OpSearch,          // OP_SEARCH
        &CTrxData::OpSetControlType,  // OP_SET_CONTROL_TYPE
        &CTrxData::OpUploadAll,       // OP_UPLOAD_ALL
        &CTrxData::OpAlarm,           // OP_ALARM
        &CTrxData::OpExit,            // OP_EXIT
        &CTrxData::OpManualOutput,    // OP_MANUAL_OUTPUT
        &CTrxData::OpIoDownload,      // OP_IO_DOWNLOAD
        &CTrxData::OpIoUpload,        // OP_IO_UPLOAD
        &CTrxData::OpPidDefault,      // OP_PID_DEFAULT
        &CTrxData::OpBasicDownload,   // OP_BASIC_DOWNLOAD
        &CTrxData::OpStepUpload,      // OP_STEP_UPLOAD
        &CTrxData::OpStepUpload,      // OP_STEP_UPLOAD_REF
        &CTrxData::OpStepDownload,    // OP_STEP_DOWNLOAD
        &CTrxData::OpSetMode,         // OP_SET_MODE
        &CTrxData::OpDrive,           // OP_DRIVE
        &CTrxData::OpReturnOrigin,    // OP_RETURN_ORIGIN
        &CTrxData::OpJog,             // OP_JOG
        &CTrxData::OpInching,         // OP_INCHING
        &CTrxData::OpStepRun,         // OP_STEP_RUN
        &CTrxData::OpStop,            // OP_STOP
        &CTrxData::OpDetailUpload,    // OP_DETAIL_UPLOAD
        &CTrxData::OpDetailDownload,  // OP_DETAIL_DOWNLOAD
        &CTrxData::OpCommSetup,       // OP_COMM_SETUP
        &CTrxData::OpIdle,            // the spare code
    };
    if (op < 0 || op >= kOperationCount) {
        return &CTrxData::OpIdle;
    }
    return kOperationTable[static_cast<std::size_t>(op)];
}

void CTrxData::Run(int op, int param, int status) {
    TrxState& t = State();
    t.currentParam = param;
    t.retryCount = 0;
    t.currentOp = op;
    if (status == kStatusMonitorBit && (op == OP_STOP || op == OP_IDLE)) {
        return;
    }
    CTimer timer(ctx_);
    int r = kWait;
    do {
        t.lastRequest.controllerId = ctx_.status.controllerId;
        if (t.currentOp != t.lastOp && t.currentOp >= 0 && t.currentOp < kOperationCount) {
            if (t.currentOp == OP_STOP) {
                timer.StopPoll();
                t.inFlight = false;
                timer.StopTimer(CTimer::kReply);
            } else if (t.currentOp != OP_IDLE) {
                timer.StopPoll();
            }
            CancelPause();
            t.lastOp = t.currentOp;
            t.step = 0;
            t.stepTimeOver = false;
        }
        const Handler handler = HandlerFor(t.currentOp);
        r = (this->*handler)(t.step, t.currentParam, status);
        ++t.step;
    } while (r == kContinue);
}

void CTrxData::Send(std::string_view commandText, int controllerId) {
    TrxState& t = State();
    const std::string frame = BuildRequest(controllerId, commandText, t.lastRequest);
    t.late.transmissions = 0;
    t.late.answers = 0;
    Write(frame, CTimer::kReply, CTimer::kReplyTimeoutMs);
}

void CTrxData::SendCommand(std::string_view commandText) {
    Send(commandText, State().lastRequest.controllerId);
}

void CTrxData::Write(const std::string& frame, int timerSlot, std::int64_t ms) {
    TrxState& t = State();
    if (!t.inFlight && !t.pollInFlight && !t.late.holding) {
        t.inFlight = true;
        if (ctx_.port.transport) {
            // A line that is gone writes nothing; the reply timer then runs out as for silence.
            ctx_.port.transport->Write(frame);
        }
        t.deferred = false;
        CountTransmission();
    } else {
        t.deferred = true;
    }
    CTimer(ctx_).ArmOneShot(timerSlot, ms);
}

void CTrxData::Poll() {
    TrxState& t = State();
    if (t.inFlight || t.pollInFlight || t.deferred || t.late.holding) {
        return;
    }
    t.pollInFlight = true;
    const std::string frame =
        BuildRequest(t.lastRequest.controllerId, cmd::kMonitor, t.lastRequest);
    if (ctx_.port.transport) {
        ctx_.port.transport->Write(frame);
    }
}

bool CTrxData::RejectsController(const ReplyRecord& reply) {
    TrxState& t = State();
    // A controller that does not know "VE" answers with the code "NG"; any other code is not
    // an answer to "VE", and a frame that fails its ID or checksum is resent, not judged.
    if (reply.code != cmd::kCodeVersion && reply.code != cmd::kStatusNg) {
        return false;
    }
    if (reply.controllerId != t.lastRequest.controllerId ||
        reply.checksum != static_cast<int>(Checksum(reply.body))) {
        return false;
    }
    const int v = TruncToInt(Atof(reply.data) * 1000.0 + 0.5);
    const bool unsupported = v >= kVersionLimit || v < kVersionMin || reply.code == cmd::kStatusNg;
    if (v < kVersionFullHistory) {
        CStatusFlg(ctx_).SetAlarmHistoryCount(kShortAlarmHistory);
    }
    if (!unsupported) {
        return false;
    }
    CTimer(ctx_).StopTimer(CTimer::kReply);
    Host().ShowMessage(ids::IDS_UNSUPPORTED, MessageIcon::kExclamation, false);
    Finish();
    StopWaits();
    StartPoll();
    Host().RequestExit();
    return true;
}

void CTrxData::OnFrame(std::string_view text) {
    TrxState& t = State();
    if (t.late.holding) {
        DropWhileHolding(text);
        return;
    }
    CTimer timer(ctx_);
    if (!t.inFlight && !t.pollInFlight && !t.deferred) {
        timer.StopTimer(CTimer::kReply);
        return;
    }
    const std::optional<ReplyRecord> parsed = ParseReply(text);
    const bool bad = !parsed || !CheckReply(*parsed, t.lastRequest);
    if (!t.inFlight && (bad || parsed->code != cmd::kCodeMonitor)) {
        // Only a poll is on the line, perhaps with a command waiting behind it, and this is not
        // its answer: a stale reply to an earlier command or a spoilt frame. It answers no
        // command (the waiting one has not even gone out); the poll counts as answered so that
        // polling goes on, and the waiting command goes out now.
        t.pollInFlight = false;
        if (t.deferred) {
            SendDeferred();
        }
        return;
    }

    if (!bad && !IsOk(*parsed)) {
        t.lastReply = *parsed;
        CountAnswer(*parsed);
        StartHoldIfStale();
        // In flight stays set and the reply timer runs on: the first command of OP_ALARM is
        // deferred and goes out through Resend when that timer fires.
        Run(OP_ALARM, 0, 0);
        return;
    }
    if (parsed && t.currentOp == OP_UPLOAD_ALL && t.currentParam == 0 &&
        RejectsController(*parsed)) {
        return;
    }
    if (!bad) {
        t.retryCount = 0;
        t.lastReply = *parsed;
        if (parsed->code == cmd::kCodeMonitor) {
            t.pollInFlight = false;
            if (ctx_.monitorClient != nullptr) {
                ctx_.monitorClient->DecodeMonitorReply(parsed->data);
            }
            if (t.deferred) {
                Resend();
            }
        } else {
            t.inFlight = false;
            timer.StopTimer(CTimer::kReply);
            CountAnswer(*parsed);
            StartHoldIfStale();
            PostLinkEvent(kStatusReply);
        }
        return;
    }
    if (parsed) {
        CountAnswer(*parsed);
    }
    t.pollInFlight = false;
    t.inFlight = false;
    timer.StopTimer(CTimer::kReply);
    OnReplyTimeout();
}

void CTrxData::OnLinkEvent(int status) {
    TrxState& t = State();
    if (status == kStatusStepTime && t.currentOp == OP_STEP_RUN) {
        t.stepTimeOver = true;
    }
    Run(t.currentOp, t.currentParam, status);
}

void CTrxData::OnReplyTimeout() {
    TrxState& t = State();
    const int phase = ctx_.status.frontPhase;
    if (phase == kFrontIdSearch) {
        Host().StepSearchProgress();
    } else if (phase == kFrontProgress) {
        Host().StepProgress();
    }
    if (t.currentOp == OP_SEARCH) {
        if (t.retryCount > kRetryLimit) {
            t.lastReply.status = std::string(cmd::kStatusNg);
            t.inFlight = false;
            CTimer(ctx_).StopTimer(CTimer::kReply);
            Run(OP_SEARCH, t.currentParam, kStatusReply);
        } else {
            Resend();
        }
        return;
    }
    if (t.retryCount <= kRetryLimit) {
        Resend();
        return;
    }
    if (t.currentOp == OP_EXIT) {
        // The tool closes anyway; nothing more goes on the line.
        Finish();
        Host().RequestExit();
        return;
    }
    if (t.currentOp == OP_SET_MODE) {
        CStatusFlg status(ctx_);
        status.SetTestMode(status.GetTestMode() == 0 ? 1 : 0);
        Host().SetModeSwitch(status.GetTestMode());
    }
    NoResponse();
}

void CTrxData::OnTimerSlot(int slot) {
    switch (slot) {
        case CTimer::kPoll:
            Poll();
            break;
        case CTimer::kReply:
            OnReplyTimeout();
            break;
        case CTimer::kStepTime:
            OnLinkEvent(kStatusStepTime);
            break;
        case CTimer::kOriginWatchdog:
            Run(OP_STOP, 0, 0);
            Host().ShowMessage(ids::IDS_ORIGIN_TIMEOUT, MessageIcon::kExclamation, false);
            break;
        case CTimer::kStepWatchdog:
            Run(OP_STOP, 0, 0);
            Host().ShowMessage(ids::IDS_STEP_TIMEOUT, MessageIcon::kExclamation, false);
            break;
        case CTimer::kEarlyRelease:
            OnLinkEvent(kStatusEarlyRelease);
            break;
        default:
            break;  // slot 5 only stops the poll, which CTimer has done
    }
}

void CTrxData::Resend() {
    TrxState& t = State();
    t.inFlight = false;
    CTimer(ctx_).StopTimer(CTimer::kReply);
    if (t.currentOp == OP_STOP) {
        const std::string frame =
            BuildRequest(ctx_.status.controllerId, cmd::kStopAll, t.lastRequest);
        Write(frame, CTimer::kReply, CTimer::kReplyTimeoutMs);
    } else {
        Write(FrameFromBody(t.lastRequest.body), CTimer::kReply, CTimer::kReplyTimeoutMs);
    }
    ++t.retryCount;
}

void CTrxData::Finish() {
    Run(OP_IDLE, 0, 0);
    State().inFlight = false;
    CTimer(ctx_).StopTimer(CTimer::kReply);
}

void CTrxData::StopWaits() {
    TrxState& t = State();
    CTimer timer(ctx_);
    for (int slot : {CTimer::kOriginWatchdog, CTimer::kStepTime, CTimer::kStepWatchdog,
                     CTimer::kPollStop, CTimer::kEarlyRelease}) {
        timer.StopTimer(slot);
    }
    t.originWait = false;
    t.stepWait = false;
    t.waitingOp = OP_IDLE;
    Host().SetSendingBusy(0);
}

void CTrxData::AbortAll() {
    TrxState& t = State();
    Finish();
    ctx_.status.linkState = kLinkNoController;
    t.retryCount = 0;
    CTimer timer(ctx_);
    timer.StopTimer(CTimer::kReply);
    timer.StopPoll();
    t.pollInFlight = false;
    t.deferred = false;
    ClearHold();
    StopWaits();
}

void CTrxData::NoResponse() {
    AbortAll();
    Host().ShowMessage(ids::IDS_NO_RESPONSE, MessageIcon::kExclamation, true);
    RestoreAfterFailure();
}

void CTrxData::RestoreAfterFailure() {
    switch (ctx_.status.frontPhase) {
        case kFrontComSelect:
            break;
        case kFrontIdSearch:
            Host().NotifyFrontDialog(WM_OP_NO_CONTROLLER, kTargetFrontDialog);
            break;
        case kFrontTypeDialog:
            Host().NotifyFrontDialog(WM_OP_COMPLETE, kTargetFrontDialog);
            break;
        case kFrontProgress:
            HideProgress();
            SetLinkState(kLinkNoController);
            break;
        default:
            if (ctx_.monitorClient != nullptr) {
                ctx_.monitorClient->FormatMonitorValues();
            }
            SetLinkState(kLinkNoController);
            Host().ShowOperationResult(0, 0, 0, 0, 0, 0);
            Host().EnableMainWindow(true);
            break;
    }
}

void CTrxData::CancelByUser() {
    AbortAll();
    if (ctx_.status.frontPhase == kFrontProgress) {
        SetLinkState(kLinkOnline);
        Finish();
        StopWaits();
        StartPoll();
        HideProgress();
    }
}

void CTrxData::ShowProgress(int total) {
    LinkHost& host = Host();
    if (host.ProgressVisible()) {
        return;
    }
    ctx_.status.frontPhase = kFrontProgress;
    host.OpenProgress();
    host.SetProgressPosition(0, total);
    host.EnableMainWindow(false);
}

void CTrxData::HideProgress() {
    Host().EnableMainWindow(true);
    Host().HideProgress();
    ctx_.status.frontPhase = kFrontMain;
}

int CTrxData::RepeatCount() const {
    constexpr int kPulsePoints = 4;
    constexpr int kSteps = 15;
    return ctx_.status.controlType == kControlTypePulse ? kPulsePoints : kSteps;
}

void CTrxData::StartPoll() {
    CTimer(ctx_).StartPoll();
}

void CTrxData::End() {
    Finish();
    StopWaits();
    StartPoll();
}

void CTrxData::Pause(std::int64_t ms, std::function<void(CTrxData&)> then) {
    CancelPause();
    LinkContext* ctx = &ctx_;
    State().continuation = ctx_.loop.StartTimer(ms, false, [ctx, then = std::move(then)] {
        ctx->trx.continuation = 0;
        CTrxData engine(*ctx);
        then(engine);
    });
}

void CTrxData::CancelPause() {
    TrxState& t = State();
    if (t.continuation != 0) {
        ctx_.loop.StopTimer(t.continuation);
        t.continuation = 0;
    }
}

void CTrxData::PostLinkEvent(int status) {
    LinkContext* ctx = &ctx_;
    ctx_.loop.Post([ctx, status] { CTrxData(*ctx).OnLinkEvent(status); });
}

void CTrxData::PostNextStep() {
    LinkContext* ctx = &ctx_;
    ctx_.loop.Post([ctx] { ctx->Host().NextContinuousStep(); });
}

CommandTable CTrxData::TableFor(const Block& block) const {
    return ctx_.status.controlType == kControlTypePulse ? block.pulseTable : block.table;
}

// Late replies. The line is FIFO and replies carry no sequence number: when a command went
// out k times and one reply has been taken, up to k - 1 more replies to it may follow.

void CTrxData::CountTransmission() {
    LateReplyGuard& g = State().late;
    ++g.transmissions;
    g.lastWriteMs = ctx_.loop.NowMs();
}

void CTrxData::CountAnswer(const ReplyRecord& reply) {
    TrxState& t = State();
    LateReplyGuard& g = t.late;
    // The record holds the ID the reply is expected from, which an ID change has moved on.
    if (reply.code == t.lastRequest.code && reply.controllerId == t.lastRequest.controllerId &&
        g.answers < g.transmissions) {
        ++g.answers;
    }
}

void CTrxData::StartHoldIfStale() {
    TrxState& t = State();
    LateReplyGuard& g = t.late;
    const int stale = g.transmissions - g.answers;
    // Counted once: the replies still due belong to this hold, not to a later command.
    g.transmissions = 0;
    g.answers = 0;
    if (stale <= 0) {
        return;
    }
    g.holding = true;
    g.heldCode = t.lastRequest.code;
    g.heldControllerId = t.lastRequest.controllerId;
    g.staleExpected = stale;
    const std::int64_t until = g.lastWriteMs + CTimer::kReplyTimeoutMs;
    const std::int64_t wait = until > ctx_.loop.NowMs() ? until - ctx_.loop.NowMs() : 0;
    LinkContext* ctx = &ctx_;
    if (g.holdTimer != 0) {
        ctx_.loop.StopTimer(g.holdTimer);
    }
    g.holdTimer = ctx_.loop.StartTimer(wait, false, [ctx] {
        ctx->trx.late.holdTimer = 0;
        CTrxData(*ctx).ReleaseHold();
    });
}

void CTrxData::DropWhileHolding(std::string_view text) {
    LateReplyGuard& g = State().late;
    const std::optional<ReplyRecord> reply = ParseReply(text);
    if (reply && reply->code == g.heldCode && reply->controllerId == g.heldControllerId) {
        --g.staleExpected;
    }
    if (g.staleExpected <= 0) {
        ReleaseHold();
    }
}

void CTrxData::ReleaseHold() {
    TrxState& t = State();
    ClearHold();
    // After "NG" the command still in flight keeps its own timer.
    if (t.deferred && !t.inFlight && !t.pollInFlight) {
        SendDeferred();
    }
}

void CTrxData::SendDeferred() {
    // A first transmission with a fresh reply timer, not a resend: no retry is counted.
    State().deferred = false;
    Write(FrameFromBody(State().lastRequest.body), CTimer::kReply, CTimer::kReplyTimeoutMs);
}

void CTrxData::ClearHold() {
    LateReplyGuard& g = State().late;
    g.holding = false;
    g.staleExpected = 0;
    if (g.holdTimer != 0) {
        ctx_.loop.StopTimer(g.holdTimer);
        g.holdTimer = 0;
    }
}

}  // namespace tavro
