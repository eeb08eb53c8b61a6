#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "link/CommandTable.h"
#include "link/EventLoop.h"
#include "link/Frame.h"
#include "link/Operations.h"

namespace tavro {

// Row and repeat counters of one table engine, and the image cell its last row addressed.
struct TableCursor {
    int row = 0;
    int repeat = 0;
    bool hasCell = false;
    bool sent = false;  // a write of that cell went out
    int cellGroup = 0;
    int cellParameter = 0;
};

// A cell a write table passed over without sending it.
struct UnsentCell {
    int group = 0;
    int parameter = 0;
};

// Counters of one block engine.
struct BlockCursor {
    int block = 0;
    int blockStep = 0;
    int total = 0;
    bool messageShown = false;
};

// The controller search: the range, the ID being probed and the IDs that answered.
struct SearchState {
    static constexpr int kMaxFound = 255;
    int first = 0;
    int last = 0;
    int probed = 0;
    int count = 0;
    bool answered = false;                   // the ID being probed has answered
    std::array<int, kMaxFound + 1> found{};  // 0-terminated

    // The quick search: every ID once with a short time-out, each answer confirmed by an
    // ordinary "VE", and the IDs still silent once more at the end. An answer that comes
    // late, while another ID is asked, counts for the ID it carries.
    enum class Mark : std::uint8_t {
        kUnasked,
        kAsked,    // its probe or confirmation is on the line
        kSilent,   // its probe went unanswered; a late answer may still come
        kHeard,    // it answered; its confirmation is due
        kFound,    // confirmed
        kDropped,  // answered once but not confirmed, in the second pass
    };
    bool quick = false;
    bool confirming = false;  // the command on the line confirms `probed`
    bool graceUsed = false;   // the probe's time-out has waited once for a frame under way
    int pass = 1;
    int next = 0;  // the next ID of the first pass
    std::array<Mark, 256> marks{};
    std::vector<int> secondPass;  // the IDs still silent after the first pass
    std::size_t secondIndex = 0;
};

// Values the operations keep between their steps.
struct OperationValues {
    int resetFlag = 0;  // OP_ALARM
    int driveSvon = 0;  // OP_DRIVE
    int driveDrive = 0;
    int jogParam = 0;      // OP_JOG
    int inchParam = 0;     // OP_INCHING
    int inchDistance = 0;  // 0.001 mm, signed
    int runStep = 0;       // OP_STEP_RUN
    int runTimeMs = 0;
    int runPhase = 0;
    bool releaseDue = false;   // the DRIVE release is to go out once DRIVE on is answered
    bool runTimeOver = false;  // the operating time has passed; the next step follows the release
    int stopPhase = 0;         // OP_STOP
    int controlType = 0;       // OP_SET_CONTROL_TYPE
    int skipDetail = 0;        // OP_BASIC_DOWNLOAD: skip flags 1 and 2
    int skipStepArea = 0;
    int browseHigh = 0;  // OP_STEP_UPLOAD_REF
    int browseLow = 0;
};

// Bookkeeping of the command on the line for the late-reply rule (see link/README.md):
// how often it went out and how many of those transmissions have been answered.
struct LateReplyGuard {
    int transmissions = 0;
    int answers = 0;
    std::int64_t lastWriteMs = 0;
    bool holding = false;  // replies to an answered command may still arrive
    int staleExpected = 0;
    EventLoop::TimerId holdTimer = 0;
};

// A command on its way to the controller, and the operation it belongs to.
struct LineCommand {
    std::string body;         // "%02X %s": ID, space, command text
    std::string code;         // the two letters its reply echoes
    int expectId = 0;         // the ID its reply comes from
    std::uint64_t owner = 0;  // generation of the operation that sent it
    int transmissions = 0;    // 1 for the first write, up to 4 with the resends
    bool safety = false;      // a stop, servo off or the goodbye: ahead of anything queued
    // A quick search probe: this reply time-out instead of the ordinary one, and no resend.
    std::int64_t quickTimeoutMs = 0;
    bool Quick() const { return quickTimeoutMs > 0; }
};

// What is on the line: nothing, a command or a monitor poll. A reply is credited only to
// what was on the line when it came.
struct LineState {
    enum class Kind { kFree, kCommand, kPoll };
    Kind kind = Kind::kFree;
    LineCommand command;  // the command written last; kept for its resends after it is answered
    std::int64_t writtenMs = 0;
    std::int64_t writtenUs = 0;  // for the latency the line log shows
    // Refused ("NG"): the line stays taken until the reply time-out of the refused frame.
    bool refused = false;
    EventLoop::TimerId pollTimer = 0;  // a poll's own time-out
};

// Counters of what the line did beyond the ordinary exchange, for tests and observers.
struct LineCounters {
    int withdrawn = 0;          // queued commands of operations that another one replaced
    int supersededReplies = 0;  // replies (or time-outs) of commands whose operation was replaced
    int missedPolls = 0;        // polls whose reply did not come within their time-out
    int droppedFrames = 0;      // frames that answered nothing
    int lateAnswers = 0;        // quick search answers taken for their own ID after its time-out
};

// The transaction engine's state; CTrxData is a view over it.
struct TrxState {
    static constexpr std::size_t kQueueLimit = 4;

    Op currentOp = OP_IDLE;
    int currentParam = 0;
    // The code whose step 0 has run; empty after a start, so that a code that starts again
    // begins at step 0.
    std::optional<Op> lastOp = OP_IDLE;
    int step = 0;
    int retryCount = 0;
    bool stepTimeOver = false;
    RequestRecord lastRequest;
    ReplyRecord lastReply;

    // Every start of an operation is a new generation; replies, timer events and monitor
    // edges carry the generation they belong to and reach only that operation.
    std::uint64_t generation = 0;
    LineState line;
    std::deque<LineCommand> queue;  // commands waiting for the line, at most kQueueLimit
    LineCounters counters;
    // When the controller was last heard from (or the poll last started): the poll's silence
    // is measured from here.
    std::int64_t lastHeardMs = 0;
    bool silenceShown = false;

    bool InFlight() const { return line.kind == LineState::Kind::kCommand; }
    bool PollInFlight() const { return line.kind == LineState::Kind::kPoll; }
    bool Deferred() const { return !queue.empty(); }

    bool originWait = false;
    bool stepWait = false;
    Op waitingOp = OP_IDLE;
    std::uint64_t waitOwner = 0;  // generation that armed the wait
    // Generation that armed each timer slot; an expiry reaches only that operation.
    std::array<std::uint64_t, 7> slotOwner{};

    TableCursor readCursor;
    TableCursor writeCursor;
    BlockCursor readBlocks;
    BlockCursor writeBlocks;
    ReplyStore store;
    // What the last write table passed over; storing its replies leaves these cells alone.
    std::vector<UnsentCell> unsent;
    SearchState search;
    OperationValues op;

    // Reconnecting to a controller whose stroke or series differs is reported once.
    bool strokeDiffers = false;

    // A pause inside an operation (the old blocking sleeps); dropped when the operation
    // changes.
    EventLoop::TimerId continuation = 0;

    LateReplyGuard late;

    // The line log's entry of the frame being handled; 0 when there is none.
    std::uint64_t logSeq = 0;
};

}  // namespace tavro
