#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "link/CommandTable.h"
#include "link/LinkContext.h"
#include "link/LinkHost.h"
#include "link/Operations.h"
#include "link/TrxState.h"

namespace tavro {

// The transaction engine: one command on the line at a time, the monitor poll when the
// line is free, resends, and the step functions of the operations. A view over the
// context; any code may make one on the stack.
class CTrxData {
  public:
    explicit CTrxData(LinkContext& ctx) : ctx_(ctx) {}
    virtual ~CTrxData() = default;

    // Starts an operation (Operations.h). Every start is a new generation: what is still due
    // for the operation it replaces (a reply, a timer event, a monitor edge) no longer
    // reaches anything. A stop already under way is not started again, and nothing replaces
    // the goodbye of OP_EXIT. With status 0xFFFF it is the monitor's continuation of a wait.
    void Run(Op op, int param, int status);
    // Frames the command for an ID and writes it with the 1000 ms reply timer, or queues it
    // while the line is taken.
    void Send(std::string_view commandText, int controllerId);
    // The 100 ms tick: a monitor poll when the line is free and nothing waits for it.
    void Poll();
    // One received frame (the text between ":" and CR).
    void OnFrame(std::string_view text);
    // A reply (0) or a timer event (2, 6) for the current operation.
    void OnLinkEvent(int status);
    // The monitor has reported the bit a wait was armed for: continues the operation that
    // armed it with `param`, if that operation is still the one running.
    void OnWaitedBit(int param);
    // The reply to the command just sent comes from this ID (after "ED" or an ID write).
    void ExpectReplyFrom(int controllerId);
    // A motion of the Monitor/Test page is being driven by the current operation.
    bool MotionRunning() const;
    // The current operation switches the operation inputs off by itself (a stop, an alarm
    // read): a further stop or servo off would only replace it.
    bool Stopping() const;
    // How long a poll may wait for its reply at the line speed: request and longest reply on
    // the wire, the controller's longest answer delay and a margin.
    static std::int64_t PollTimeoutMs(int baud);
    // How long a quick search probe waits for "VE" to be answered at the line speed: request
    // and longest answer on the wire, the controller's longest answer delay and a margin.
    static std::int64_t QuickProbeTimeoutMs(int baud);
    // The reply timer fired, or a bad reply arrived.
    void OnReplyTimeout();
    // What the timer slots do when they expire.
    void OnTimerSlot(int slot);

    void Resend();
    void Finish();
    void StopWaits();
    void AbortAll();
    void NoResponse();
    // Gives the views back after a failure; the link is left offline in `offlineState`.
    void RestoreAfterFailure(LinkState offlineState = kLinkNoController);
    // The open port has gone away (adapter unplugged, terminal closed): the running
    // operation ends at once without resends, the port is closed and the link goes offline
    // with the disconnection message.
    void PortLost(int error);
    void CancelByUser();
    void ShowProgress(int total);
    void HideProgress();

    // Transfer engines over command tables and block lists.
    int ReadTable(int step, int repeats, int count, CommandTable table);
    int WriteTable(int step, int repeats, int count, CommandTable table, int force);
    int ReadBlocks(int step, BlockList blocks);
    int WriteBlocks(int step, BlockList blocks, std::span<const int> forceFlags,
                    std::span<const int> skipFlags);
    void StoreReplies(CommandTable table, int repeats, int count);

    // Copies a basic parameter that has meaning in the status block there.
    void ApplyParameter(int group, int parameter, int value);

    // 4 step-data points for the pulse control type, 15 steps otherwise.
    int RepeatCount() const;
    // The block's table for the control type.
    CommandTable TableFor(const Block& block) const;

    TrxState& State() { return ctx_.trx; }

  private:
    using Handler = int (CTrxData::*)(int step, int param, int status);

    LinkHost& Host() { return ctx_.Host(); }
    DrivePageClient& DrivePage() { return ctx_.DrivePage(); }
    // Runs the current operation's step function until it waits.
    void Continue(int param, int status);
    void StepLoop(int status);
    LineCommand MakeCommand(std::string_view commandText, int controllerId);
    // The line: a command goes out at once when the line is free, else it waits its turn.
    void Submit(LineCommand command);
    void Transmit(LineCommand command);
    bool LineFree() const;
    void FreeLine();
    // The line has become free: the next queued command goes out.
    void ServeQueue();
    void OnPollTimeout();
    // The reply time-out of what is on the line, when it is not the current operation's.
    bool ReleaseStaleLine();
    void HandleRefusal(bool poll);
    void TakeReply(const ReplyRecord& reply);
    // The line log, when one is attached: the frame just received and what became of it.
    void LogReceived(std::string_view text);
    void Settle(LineOutcome outcome, bool answer = false);
    void LogTimeout(bool poll);
    void HandleFrame(std::string_view text);
    // A well-formed reply from the ID the search probes, "NG" included.
    bool AnswersProbe(const ReplyRecord& reply) const;
    // During a quick search: a frame that does not answer what is on the line. A late answer
    // counts for its own ID; anything else leaves a probe waiting for its own time-out. True
    // when the frame was taken care of.
    bool QuickSearchTakes(std::string_view text);
    // A quick probe's time-out while a frame is under way: waits once more for it, so that
    // the next probe is not written into it.
    bool QuickProbeStillArriving();
    void SendQuickProbe(int id);
    // The end of a search: the found list to the dialog, or that nothing answered.
    void ReportSearch();
    void Heard();
    // A poll tick: after a second without an answer the display shows the state as unknown,
    // after four the link gives up as for any command. True when it gave up.
    bool PollSilenceEnds();
    void SetLinkState(LinkState state) { Host().SetLinkState(state); }
    // Sends to the ID of the last request record, where Run puts controllerId.
    void SendCommand(std::string_view commandText);
    void StartPoll();
    // Finish, StopWaits, StartPoll: how most operations end.
    void End();
    // Continues the current operation after `ms` instead of sleeping; dropped when the
    // operation changes first.
    void Pause(std::int64_t ms, std::function<void(CTrxData&)> then);
    void CancelPause();
    void PostLinkEvent(int status);
    void PostNextStep();
    void ExpectReplyFromNewId();
    // Starts the poll and the origin (or step) watchdog and marks the wait for `op`,
    // a millisecond after the command that started the motion was answered.
    void WaitForMonitorBit(bool origin, Op op);

    // Late replies (see link/README.md).
    void CountTransmission();
    void CountAnswer();
    void StartHoldIfStale();
    void DropWhileHolding(std::string_view text);
    void ReleaseHold();
    void ClearHold();

    // The controller check on the reply to the initial upload's "VE"; true when the reply
    // was taken care of (unsupported controller).
    bool RejectsController(const ReplyRecord& reply);

    // Step functions of the operation table.
    int OpIdle(int step, int param, int status);
    int OpInitialize(int step, int param, int status);
    int OpConnect(int step, int param, int status);
    int OpSearch(int step, int param, int status);
    int OpQuickSearch(int step, int param);
    int OpSetControlType(int step, int param, int status);
    int OpUploadAll(int step, int param, int status);
    int OpAlarm(int step, int param, int status);
    int OpExit(int step, int param, int status);
    int OpManualOutput(int step, int param, int status);
    int OpIoDownload(int step, int param, int status);
    int OpIoUpload(int step, int param, int status);
    int OpPidDefault(int step, int param, int status);
    int OpBasicDownload(int step, int param, int status);
    int OpStepUpload(int step, int param, int status);
    int OpStepDownload(int step, int param, int status);
    int OpSetMode(int step, int param, int status);
    int OpDrive(int step, int param, int status);
    int OpReturnOrigin(int step, int param, int status);
    int OpJog(int step, int param, int status);
    int OpInching(int step, int param, int status);
    int OpStepRun(int step, int param, int status);
    int OpStop(int step, int param, int status);
    int OpDetailUpload(int step, int param, int status);
    int OpDetailDownload(int step, int param, int status);
    int OpCommSetup(int step, int param, int status);

    static Handler HandlerFor(Op op);

    LinkContext& ctx_;
};

}  // namespace tavro
