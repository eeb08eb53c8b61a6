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
// A poll unanswered this long shows the state as unknown; this long ends as for a command.
constexpr std::int64_t kPollSilenceShownMs = 1000;
constexpr std::int64_t kPollGiveUpMs = 4000;

constexpr std::int64_t kBitsPerCharacter = 11;   // start, 8 data, parity, stop
constexpr std::int64_t kLongestDelayUs = 10200;  // the longest setting of 0/24
constexpr std::int64_t kQuickMarginUs = 20000;
// ":01 VEE4" CR LF.
constexpr std::int64_t kVersionRequestCharacters = 10;
// ":01VEOK", a version text of up to 8 characters, checksum, CR LF. A longer answer still
// counts, for the ID it carries, while the next ID is asked.
constexpr std::int64_t kLongestVersionReplyCharacters = 19;

std::int64_t WireUs(std::int64_t characters, int baud) {
    const std::int64_t bps = baud > 0 ? baud : 2400;
    constexpr std::int64_t kUsPerSecond = 1000000;
    return (characters * kBitsPerCharacter * kUsPerSecond + bps - 1) / bps;
}

std::int64_t CeilMs(std::int64_t us) {
    constexpr std::int64_t kUsPerMs = 1000;
    return (us + kUsPerMs - 1) / kUsPerMs;
}

// A well-formed answer to "VE" from whatever ID it carries; "NG" is the code of a controller
// that does not know the command.
bool AnswersVersion(const ReplyRecord& reply) {
    return reply.checksum == static_cast<int>(Checksum(reply.body)) &&
           (reply.code == cmd::kCodeVersion || reply.code == cmd::kStatusNg);
}

}  // namespace

CTrxData::Handler CTrxData::HandlerFor(Op op) {
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
    const int i = OpIndex(op);
    if (i < 0 || i >= kOperationCount) {
        return &CTrxData::OpIdle;
    }
    return kOperationTable[static_cast<std::size_t>(i)];
}

void CTrxData::Run(Op op, int param, int status) {
    TrxState& t = State();
    if (status == kStatusMonitorBit) {
        // The monitor's continuation of a wait, never a start.
        if (op != OP_STOP && op != OP_IDLE && op == t.currentOp && t.waitOwner == t.generation) {
            Continue(param, status);
        }
        return;
    }
    if (t.currentOp == OP_EXIT && op != OP_IDLE) {
        return;  // the goodbye runs to its end
    }
    if (op == OP_STOP && (t.currentOp == OP_STOP || t.currentOp == OP_ALARM)) {
        return;  // a stop is already under way: the alarm read starts with one too
    }
    t.currentParam = param;
    t.retryCount = 0;
    t.currentOp = op;
    ++t.generation;
    // A new generation is a new operation even when the code is the same.
    t.lastOp.reset();
    if (op == OP_DRIVE || op == OP_STOP) {
        // Nothing that waited for the motion this replaces may start it again.
        StopWaits();
    }
    StepLoop(status);
}

void CTrxData::Continue(int param, int status) {
    TrxState& t = State();
    t.currentParam = param;
    t.retryCount = 0;
    StepLoop(status);
}

void CTrxData::StepLoop(int status) {
    TrxState& t = State();
    CTimer timer(ctx_);
    int r = kWait;
    do {
        t.lastRequest.controllerId = ctx_.status.controllerId;
        if (t.currentOp != t.lastOp && OpIndex(t.currentOp) >= 0 &&
            OpIndex(t.currentOp) < kOperationCount) {
            if (t.currentOp != OP_IDLE) {
                // What is on the line stays there until its reply or time-out; it answers
                // nothing of the new operation.
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
    Submit(MakeCommand(commandText, controllerId));
}

LineCommand CTrxData::MakeCommand(std::string_view commandText, int controllerId) {
    TrxState& t = State();
    BuildRequest(controllerId, commandText, t.lastRequest);
    LineCommand c;
    c.body = RequestBody(controllerId, commandText);
    c.code = std::string(commandText.substr(0, 2));
    c.expectId = controllerId;
    c.owner = t.generation;
    c.safety = commandText == cmd::kStopAll || t.currentOp == OP_EXIT;
    return c;
}

void CTrxData::SendCommand(std::string_view commandText) {
    Send(commandText, State().lastRequest.controllerId);
}

void CTrxData::ExpectReplyFrom(int controllerId) {
    TrxState& t = State();
    t.lastRequest.controllerId = controllerId;
    if (!t.queue.empty() && t.queue.back().owner == t.generation) {
        t.queue.back().expectId = controllerId;
    } else if (t.line.kind == LineState::Kind::kCommand && t.line.command.owner == t.generation) {
        t.line.command.expectId = controllerId;
    }
}

bool CTrxData::LineFree() const {
    const TrxState& t = ctx_.trx;
    return t.line.kind == LineState::Kind::kFree && !t.late.holding;
}

void CTrxData::Submit(LineCommand command) {
    TrxState& t = State();
    // A command of an operation that has been replaced never goes out after the new one's:
    // a queued start must not follow the stop that replaced it.
    for (auto it = t.queue.begin(); it != t.queue.end();) {
        if (it->owner != command.owner) {
            it = t.queue.erase(it);
            ++t.counters.withdrawn;
        } else {
            ++it;
        }
    }
    if (LineFree() && t.queue.empty()) {
        Transmit(std::move(command));
        return;
    }
    if (t.queue.size() >= TrxState::kQueueLimit) {
        t.queue.pop_back();
        ++t.counters.withdrawn;
    }
    if (command.safety) {
        t.queue.push_front(std::move(command));
    } else {
        t.queue.push_back(std::move(command));
    }
}

void CTrxData::Transmit(LineCommand command) {
    TrxState& t = State();
    if (command.transmissions == 0) {
        // A new command: the late-reply count starts again.
        t.late.transmissions = 0;
        t.late.answers = 0;
    }
    ++command.transmissions;
    t.line.kind = LineState::Kind::kCommand;
    t.line.command = std::move(command);
    t.line.writtenMs = ctx_.loop.NowMs();
    t.line.writtenUs = ctx_.loop.NowUs();
    t.line.refused = false;
    const std::string frame = FrameFromBody(t.line.command.body);
    if (ctx_.port.transport) {
        // A line that is gone writes nothing; the reply timer then runs out as for silence.
        ctx_.port.transport->Write(frame);
    }
    // Logged once written, so that a transport that holds the frame back can say so.
    if (ctx_.lineLog != nullptr) {
        ctx_.lineLog->Sent(t.line.writtenUs, frame, t.line.command.code, t.line.command.expectId,
                           t.line.command.transmissions, false);
    }
    CountTransmission();
    CTimer(ctx_).ArmOneShot(CTimer::kReply, t.line.command.Quick() ? t.line.command.quickTimeoutMs
                                                                   : CTimer::kReplyTimeoutMs);
}

void CTrxData::FreeLine() {
    TrxState& t = State();
    t.line.kind = LineState::Kind::kFree;
    t.line.refused = false;
    if (t.line.pollTimer != 0) {
        ctx_.loop.StopTimer(t.line.pollTimer);
        t.line.pollTimer = 0;
    }
    CTimer(ctx_).StopTimer(CTimer::kReply);
}

void CTrxData::ServeQueue() {
    TrxState& t = State();
    if (!LineFree() || t.queue.empty()) {
        return;
    }
    LineCommand next = std::move(t.queue.front());
    t.queue.pop_front();
    Transmit(std::move(next));
}

std::int64_t CTrxData::PollTimeoutMs(int baud) {
    // ":01 MOE3" CR LF out, ":01MOOK", 28 data characters, checksum, CR LF back; 11 bits each.
    constexpr std::int64_t kPollCharacters = 10 + 39;
    constexpr std::int64_t kLongestDelayMs = 11;  // 10.2 ms, the longest setting of 0/24
    constexpr std::int64_t kMarginMs = 100;  // scheduling and adapter latency on a busy machine
    const std::int64_t bps = baud > 0 ? baud : 2400;
    const std::int64_t wireMs = (kPollCharacters * kBitsPerCharacter * 1000 + bps - 1) / bps;
    return wireMs + kLongestDelayMs + kMarginMs;
}

std::int64_t CTrxData::QuickProbeTimeoutMs(int baud) {
    const std::int64_t wireUs =
        WireUs(kVersionRequestCharacters + kLongestVersionReplyCharacters, baud);
    return CeilMs(wireUs + kLongestDelayUs + kQuickMarginUs);
}

void CTrxData::Heard() {
    TrxState& t = State();
    t.lastHeardMs = ctx_.loop.NowMs();
    t.silenceShown = false;
}

bool CTrxData::PollSilenceEnds() {
    TrxState& t = State();
    if (t.line.kind == LineState::Kind::kCommand) {
        return false;  // a command has its own resends
    }
    const std::int64_t silent = ctx_.loop.NowMs() - t.lastHeardMs;
    if (silent >= kPollGiveUpMs) {
        NoResponse();
        return true;
    }
    if (silent >= kPollSilenceShownMs && !t.silenceShown) {
        t.silenceShown = true;
        if (ctx_.monitorClient != nullptr) {
            ctx_.monitorClient->ShowSilence();
        }
    }
    return false;
}

void CTrxData::Poll() {
    TrxState& t = State();
    if (PollSilenceEnds()) {
        return;
    }
    if (!LineFree() || !t.queue.empty()) {
        return;
    }
    const std::string frame =
        BuildRequest(t.lastRequest.controllerId, cmd::kMonitor, t.lastRequest);
    t.line.kind = LineState::Kind::kPoll;
    t.line.writtenMs = ctx_.loop.NowMs();
    t.line.writtenUs = ctx_.loop.NowUs();
    t.line.refused = false;
    if (ctx_.port.transport) {
        ctx_.port.transport->Write(frame);
    }
    if (ctx_.lineLog != nullptr) {
        ctx_.lineLog->Sent(t.line.writtenUs, frame, cmd::kCodeMonitor, t.lastRequest.controllerId,
                           1, true);
    }
    LinkContext* ctx = &ctx_;
    t.line.pollTimer = ctx_.loop.StartTimer(PollTimeoutMs(ctx_.status.baudRate), false, [ctx] {
        ctx->trx.line.pollTimer = 0;
        CTrxData(*ctx).OnPollTimeout();
    });
}

void CTrxData::OnPollTimeout() {
    TrxState& t = State();
    if (t.line.kind != LineState::Kind::kPoll || t.line.refused) {
        return;
    }
    // The poll counts as missed; the next tick polls again, and a command waiting behind it
    // goes out now.
    ++t.counters.missedPolls;
    LogTimeout(true);
    FreeLine();
    ServeQueue();
}

bool CTrxData::RejectsController(const ReplyRecord& reply) {
    TrxState& t = State();
    // A controller that does not know "VE" answers with the code "NG"; any other code is not
    // an answer to "VE", and a frame that fails its ID or checksum is resent, not judged.
    if (reply.code != cmd::kCodeVersion && reply.code != cmd::kStatusNg) {
        return false;
    }
    if (reply.controllerId != t.line.command.expectId ||
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
    FreeLine();
    Host().ShowMessage(ids::IDS_UNSUPPORTED, MessageIcon::kExclamation, false);
    Finish();
    StopWaits();
    StartPoll();
    Host().RequestExit();
    return true;
}

void CTrxData::OnFrame(std::string_view text) {
    TrxState& t = State();
    LogReceived(text);
    HandleFrame(text);
    t.logSeq = 0;
}

void CTrxData::LogReceived(std::string_view text) {
    TrxState& t = State();
    LineLog* log = ctx_.lineLog;
    t.logSeq = 0;
    if (log == nullptr) {
        return;
    }
    std::string_view code;
    int id = -1;
    if (t.line.kind == LineState::Kind::kCommand || t.late.holding) {
        // While a hold runs, what comes is a late reply to the command written last.
        code = t.line.command.code;
        id = t.line.command.expectId;
    } else if (t.line.kind == LineState::Kind::kPoll) {
        code = cmd::kCodeMonitor;
        id = t.lastRequest.controllerId;
    }
    const std::optional<ReplyRecord> reply = ParseReply(text);
    LineStatus status = LineStatus::kOk;
    if (!reply) {
        status = LineStatus::kGarbled;
    } else if (reply->checksum != static_cast<int>(Checksum(reply->body))) {
        status = LineStatus::kChecksum;
    } else if (reply->code == cmd::kCodeMonitor && code != cmd::kCodeMonitor) {
        // A monitor reply that came after its poll: it belongs to the poll, not to the line.
        code = cmd::kCodeMonitor;
        status = IsOk(*reply) ? LineStatus::kOk : LineStatus::kNg;
    } else if (id >= 0 && reply->controllerId != id) {
        status = LineStatus::kWrongId;
    } else if (!code.empty() && reply->code != code && reply->code != cmd::kStatusNg) {
        status = LineStatus::kWrongCode;
    } else if (!IsOk(*reply) || reply->code == cmd::kStatusNg) {
        status = LineStatus::kNg;
    }
    if (reply && (status == LineStatus::kWrongId || id < 0)) {
        id = reply->controllerId;
    }
    t.logSeq = log->Received(ctx_.loop.NowUs(), text, status, code, id,
                             t.line.kind == LineState::Kind::kPoll);
}

void CTrxData::Settle(LineOutcome outcome, bool answer) {
    TrxState& t = State();
    if (ctx_.lineLog != nullptr && t.logSeq != 0) {
        ctx_.lineLog->Settle(t.logSeq, outcome, answer ? ctx_.loop.NowUs() - t.line.writtenUs : -1,
                             ctx_.status.baudRate);
    }
}

void CTrxData::LogTimeout(bool poll) {
    TrxState& t = State();
    if (ctx_.lineLog == nullptr) {
        return;
    }
    if (poll) {
        ctx_.lineLog->Timeout(ctx_.loop.NowUs(), cmd::kCodeMonitor, t.lastRequest.controllerId, 1,
                              true);
    } else {
        ctx_.lineLog->Timeout(ctx_.loop.NowUs(), t.line.command.code, t.line.command.expectId,
                              t.line.command.transmissions, false);
    }
}

void CTrxData::HandleFrame(std::string_view text) {
    TrxState& t = State();
    if (QuickSearchTakes(text)) {
        return;
    }
    if (t.late.holding) {
        Settle(LineOutcome::kLate);
        DropWhileHolding(text);
        return;
    }
    const std::optional<ReplyRecord> parsed = ParseReply(text);
    const bool monitorReply = parsed && parsed->code == cmd::kCodeMonitor &&
                              parsed->checksum == static_cast<int>(Checksum(parsed->body));

    if (t.line.kind == LineState::Kind::kFree || t.line.refused) {
        // Nothing is awaited. A monitor reply whose poll timed out still tells the state.
        if (monitorReply && IsOk(*parsed) && t.line.kind == LineState::Kind::kFree &&
            ctx_.monitorClient != nullptr) {
            Heard();
            Settle(LineOutcome::kMonitor);
            ctx_.monitorClient->DecodeMonitorReply(parsed->data);
        } else {
            Settle(LineOutcome::kDropped);
            ++t.counters.droppedFrames;
        }
        return;
    }

    if (t.line.kind == LineState::Kind::kPoll) {
        const bool answer = monitorReply && parsed->controllerId == t.lastRequest.controllerId;
        if (answer && !IsOk(*parsed)) {
            Settle(LineOutcome::kRefused, true);
            HandleRefusal(true);
            return;
        }
        // Any other frame is a stale reply or the poll's reply spoilt: it answers no command
        // (the one waiting has not even gone out). The poll counts as answered so that polling
        // goes on, and the waiting command goes out now.
        Settle(answer ? LineOutcome::kAnswered : LineOutcome::kDropped, answer);
        FreeLine();
        if (answer) {
            Heard();
            t.retryCount = 0;
            t.lastReply = *parsed;
            if (ctx_.monitorClient != nullptr) {
                ctx_.monitorClient->DecodeMonitorReply(parsed->data);
            }
        } else {
            ++t.counters.droppedFrames;
        }
        ServeQueue();
        return;
    }

    // A command is on the line.
    if (monitorReply) {
        // The late reply of a poll that timed out: it answers no command.
        Settle(LineOutcome::kMonitor);
        if (IsOk(*parsed) && ctx_.monitorClient != nullptr) {
            Heard();
            ctx_.monitorClient->DecodeMonitorReply(parsed->data);
        }
        return;
    }
    const LineCommand& sent = t.line.command;
    RequestRecord expected;
    expected.controllerId = sent.expectId;
    expected.code = sent.code;
    const bool bad = !parsed || !CheckReply(*parsed, expected);
    const bool current = sent.owner == t.generation;
    CountAnswer();
    if (current && t.currentOp == OP_SEARCH && parsed && AnswersProbe(*parsed)) {
        // Whatever the probed ID says, a controller is there: one that does not know "VE"
        // answers with the code "NG", and connecting to it then reports it unsupported.
        t.search.answered = true;
        TakeReply(*parsed);
        return;
    }
    if (!current) {
        // The answer of an operation that has been replaced: nothing is continued by it.
        Settle(LineOutcome::kSuperseded);
        ++t.counters.supersededReplies;
        FreeLine();
        StartHoldIfStale();
        ServeQueue();
        return;
    }
    if (!bad && !IsOk(*parsed)) {
        t.lastReply = *parsed;
        if (t.currentOp == OP_EXIT) {
            // The goodbye goes on: the controller must still be put back into monitor mode.
            TakeReply(*parsed);
            return;
        }
        Settle(LineOutcome::kRefused, true);
        HandleRefusal(false);
        return;
    }
    if (parsed && t.currentOp == OP_UPLOAD_ALL && t.currentParam == 0 &&
        RejectsController(*parsed)) {
        Settle(LineOutcome::kAnswered, true);
        return;
    }
    if (!bad) {
        TakeReply(*parsed);
        return;
    }
    Settle(LineOutcome::kRejected);
    FreeLine();
    OnReplyTimeout();
}

bool CTrxData::AnswersProbe(const ReplyRecord& reply) const {
    const LineCommand& sent = ctx_.trx.line.command;
    return reply.controllerId == sent.expectId &&
           reply.checksum == static_cast<int>(Checksum(reply.body)) &&
           (reply.code == sent.code || reply.code == cmd::kStatusNg);
}

bool CTrxData::QuickSearchTakes(std::string_view text) {
    TrxState& t = State();
    SearchState& s = t.search;
    if (t.currentOp != OP_SEARCH || !s.quick) {
        return false;
    }
    const std::optional<ReplyRecord> parsed = ParseReply(text);
    const bool onLine =
        t.line.kind == LineState::Kind::kCommand && t.line.command.owner == t.generation;
    if (parsed && onLine && AnswersProbe(*parsed)) {
        return false;  // the answer to what is on the line
    }
    const bool version = parsed && AnswersVersion(*parsed) && parsed->controllerId >= 0 &&
                         parsed->controllerId < static_cast<int>(s.marks.size());
    const std::size_t id = version ? static_cast<std::size_t>(parsed->controllerId) : 0;
    if (version && s.marks[id] == SearchState::Mark::kSilent) {
        // Asked earlier and timed out: the answer carries its ID, so it is that ID's. What is
        // on the line goes on waiting for its own answer.
        s.marks[id] = SearchState::Mark::kHeard;
        ++t.counters.lateAnswers;
        Settle(LineOutcome::kAnswered);
        return true;
    }
    if (t.late.holding) {
        return false;
    }
    if ((version && s.marks[id] != SearchState::Mark::kUnasked) ||
        (onLine && t.line.command.Quick())) {
        // A second answer of an ID already heard answers nothing on the line; a spoilt frame
        // during a probe may be a late answer, and the probe's own answer may still come.
        Settle(LineOutcome::kDropped);
        ++t.counters.droppedFrames;
        return true;
    }
    return false;
}

bool CTrxData::QuickProbeStillArriving() {
    TrxState& t = State();
    SearchState& s = t.search;
    if (t.line.kind != LineState::Kind::kCommand || !t.line.command.Quick() || s.graceUsed ||
        !ctx_.port.assembler.Collecting()) {
        return false;
    }
    // The line is half-duplex: the next probe waits until the frame under way has ended.
    s.graceUsed = true;
    CTimer(ctx_).ArmOneShot(CTimer::kReply,
                            CeilMs(WireUs(kLongestVersionReplyCharacters, ctx_.status.baudRate)));
    return true;
}

void CTrxData::TakeReply(const ReplyRecord& reply) {
    TrxState& t = State();
    Settle(LineOutcome::kAnswered, true);
    Heard();
    t.retryCount = 0;
    t.lastReply = reply;
    FreeLine();
    StartHoldIfStale();
    PostLinkEvent(kStatusReply);
}

void CTrxData::HandleRefusal(bool poll) {
    TrxState& t = State();
    Heard();  // a refusal is an answer all the same
    // The line stays taken until the refused frame's reply time-out: the first command of
    // OP_ALARM goes out about a second after the refusal.
    t.line.refused = true;
    if (t.line.pollTimer != 0) {
        ctx_.loop.StopTimer(t.line.pollTimer);
        t.line.pollTimer = 0;
    }
    if (poll) {
        const std::int64_t until = t.line.writtenMs + CTimer::kReplyTimeoutMs;
        const std::int64_t now = ctx_.loop.NowMs();
        CTimer(ctx_).ArmOneShot(CTimer::kReply, until > now ? until - now : 0);
    } else {
        StartHoldIfStale();
    }
    Run(OP_ALARM, 0, 0);
}

void CTrxData::OnLinkEvent(int status) {
    TrxState& t = State();
    if (status == kStatusStepTime && t.currentOp == OP_STEP_RUN) {
        t.stepTimeOver = true;
    }
    Continue(t.currentParam, status);
}

void CTrxData::OnWaitedBit(int param) {
    TrxState& t = State();
    const Op op = t.waitingOp;
    const std::uint64_t owner = t.waitOwner;
    t.originWait = false;
    t.stepWait = false;
    t.waitingOp = OP_IDLE;
    t.waitOwner = 0;
    if (op == OP_IDLE || op == OP_STOP || op != t.currentOp || owner != t.generation) {
        return;
    }
    Continue(param, kStatusMonitorBit);
}

bool CTrxData::MotionRunning() const {
    switch (ctx_.trx.currentOp) {
        case OP_DRIVE:
        case OP_RETURN_ORIGIN:
        case OP_JOG:
        case OP_INCHING:
        case OP_STEP_RUN:
            return true;
        default:
            return false;
    }
}

bool CTrxData::Stopping() const {
    return ctx_.trx.currentOp == OP_STOP || ctx_.trx.currentOp == OP_ALARM;
}

bool CTrxData::ReleaseStaleLine() {
    TrxState& t = State();
    const bool stale = t.line.refused || (t.line.kind == LineState::Kind::kCommand &&
                                          t.line.command.owner != t.generation);
    if (!stale) {
        return false;
    }
    if (!t.line.refused) {
        ++t.counters.supersededReplies;
    }
    FreeLine();
    ServeQueue();
    return true;
}

void CTrxData::OnReplyTimeout() {
    TrxState& t = State();
    if (ReleaseStaleLine()) {
        // A refusal has had its second, or the silence belongs to an operation that has been
        // replaced: it costs the current one no resend.
        return;
    }
    if (QuickProbeStillArriving()) {
        return;
    }
    FreeLine();
    const int phase = ctx_.status.frontPhase;
    if (phase == kFrontIdSearch) {
        Host().StepSearchProgress();
    } else if (phase == kFrontProgress) {
        Host().StepProgress();
    }
    if (t.currentOp == OP_SEARCH) {
        if (t.retryCount > kRetryLimit || t.line.command.Quick()) {
            t.lastReply.status = std::string(cmd::kStatusNg);
            Continue(t.currentParam, kStatusReply);
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
        DrivePage().SetModeSwitch(status.GetTestMode());
    }
    NoResponse();
}

void CTrxData::OnTimerSlot(int slot) {
    TrxState& t = State();
    const bool mine = t.slotOwner[static_cast<std::size_t>(slot)] == t.generation;
    switch (slot) {
        case CTimer::kPoll:
            Poll();
            break;
        case CTimer::kReply:
            // A refused frame's wait ends, or a quick probe waits once more for a frame
            // under way: neither is silence.
            if (t.line.kind == LineState::Kind::kCommand && !t.line.refused &&
                !(t.line.command.Quick() && !t.search.graceUsed &&
                  ctx_.port.assembler.Collecting())) {
                LogTimeout(false);
            }
            OnReplyTimeout();
            break;
        case CTimer::kStepTime:
            if (mine) {
                OnLinkEvent(kStatusStepTime);
            }
            break;
        case CTimer::kOriginWatchdog:
            if (mine) {
                Run(OP_STOP, 0, 0);
                Host().ShowMessage(ids::IDS_ORIGIN_TIMEOUT, MessageIcon::kExclamation, false);
            }
            break;
        case CTimer::kStepWatchdog:
            if (mine) {
                Run(OP_STOP, 0, 0);
                Host().ShowMessage(ids::IDS_STEP_TIMEOUT, MessageIcon::kExclamation, false);
            }
            break;
        case CTimer::kEarlyRelease:
            if (mine) {
                OnLinkEvent(kStatusEarlyRelease);
            }
            break;
        default:
            break;  // slot 5 only stops the poll, which CTimer has done
    }
}

void CTrxData::Resend() {
    TrxState& t = State();
    LineCommand again = t.line.command;
    FreeLine();
    if (LineFree()) {
        Transmit(std::move(again));
    } else {
        t.queue.push_front(std::move(again));
    }
    ++t.retryCount;
}

void CTrxData::Finish() {
    // What is still on the line keeps the line until its reply or time-out.
    Run(OP_IDLE, 0, 0);
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
    t.waitOwner = 0;
    DrivePage().SetSendingBusy(0);
}

void CTrxData::AbortAll() {
    TrxState& t = State();
    Finish();
    ctx_.status.linkState = kLinkNoController;
    t.retryCount = 0;
    CTimer(ctx_).StopPoll();
    t.counters.withdrawn += static_cast<int>(t.queue.size());
    t.queue.clear();
    StopWaits();
}

void CTrxData::NoResponse() {
    AbortAll();
    Host().ShowMessage(ids::IDS_NO_RESPONSE, MessageIcon::kExclamation, true);
    RestoreAfterFailure();
}

void CTrxData::RestoreAfterFailure(LinkState offlineState) {
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
            SetLinkState(offlineState);
            break;
        default:
            if (ctx_.monitorClient != nullptr) {
                ctx_.monitorClient->FormatMonitorValues();
            }
            SetLinkState(offlineState);
            DrivePage().ShowOperationResult(OperationResult{});
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
    const std::uint64_t generation = State().generation;
    ctx_.loop.Post([ctx, status, generation] {
        // A reply taken for an operation that has been replaced since continues nothing.
        if (ctx->trx.generation == generation) {
            CTrxData(*ctx).OnLinkEvent(status);
        }
    });
}

void CTrxData::PostNextStep() {
    LinkContext* ctx = &ctx_;
    ctx_.loop.Post([ctx] { ctx->DrivePage().NextContinuousStep(); });
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

void CTrxData::CountAnswer() {
    // Every frame that comes while a command is on the line answers one of its
    // transmissions, spoilt or not: the line is first in, first out.
    LateReplyGuard& g = State().late;
    if (g.answers < g.transmissions) {
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
    TrxState& t = State();
    LateReplyGuard& g = t.late;
    const std::optional<ReplyRecord> reply = ParseReply(text);
    const bool monitorReply = reply && reply->code == cmd::kCodeMonitor &&
                              reply->checksum == static_cast<int>(Checksum(reply->body));
    // Any frame but a monitor reply is one of those still due, spoilt ones included.
    if (!monitorReply) {
        --g.staleExpected;
    }
    ++t.counters.droppedFrames;
    if (g.staleExpected <= 0) {
        ReleaseHold();
    }
}

void CTrxData::ReleaseHold() {
    ClearHold();
    ServeQueue();
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
