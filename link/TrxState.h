#pragma once

#include <array>
#include <cstdint>
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
    std::array<int, kMaxFound + 1> found{};  // 0-terminated
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
    int stopPhase = 0;    // OP_STOP
    int controlType = 0;  // OP_SET_CONTROL_TYPE
    int skipDetail = 0;   // OP_BASIC_DOWNLOAD: skip flags 1 and 2
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
    std::string heldCode;  // command code and ID of those replies
    int heldControllerId = 0;
    int staleExpected = 0;
    EventLoop::TimerId holdTimer = 0;
};

// The transaction engine's state; CTrxData is a view over it.
struct TrxState {
    int currentOp = OP_IDLE;
    int currentParam = 0;
    int lastOp = OP_IDLE;
    int step = 0;
    int retryCount = 0;
    bool stepTimeOver = false;
    bool inFlight = false;
    bool deferred = false;
    bool pollInFlight = false;
    RequestRecord lastRequest;
    ReplyRecord lastReply;

    bool originWait = false;
    bool stepWait = false;
    int waitingOp = OP_IDLE;

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
};

}  // namespace tavro
