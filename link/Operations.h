#pragma once

// Operation codes, step-function results and statuses, and the private window messages of
// the link.
namespace tavro {

// Codes of the operation table; the order is the table's. The codes are visible by their
// own names (OP_CONNECT), and they convert to nothing else by themselves.
enum class Op : int {
    OP_IDLE = 0,
    OP_INITIALIZE = 1,
    OP_CONNECT = 2,
    OP_SEARCH = 3,
    OP_SET_CONTROL_TYPE = 4,
    OP_UPLOAD_ALL = 5,
    OP_ALARM = 6,
    OP_EXIT = 7,
    OP_MANUAL_OUTPUT = 8,
    OP_IO_DOWNLOAD = 9,
    OP_IO_UPLOAD = 10,
    OP_PID_DEFAULT = 11,
    OP_BASIC_DOWNLOAD = 12,
    OP_STEP_UPLOAD = 13,
    OP_STEP_UPLOAD_REF = 14,
    OP_STEP_DOWNLOAD = 15,
    OP_SET_MODE = 16,
    OP_DRIVE = 17,
    OP_RETURN_ORIGIN = 18,
    OP_JOG = 19,
    OP_INCHING = 20,
    OP_STEP_RUN = 21,
    OP_STOP = 22,
    OP_DETAIL_UPLOAD = 23,
    OP_DETAIL_DOWNLOAD = 24,
    OP_COMM_SETUP = 25,
    OP_SPARE = 26,
};
using enum Op;
inline constexpr int kOperationCount = 27;

// The code's place in the operation table.
inline constexpr int OpIndex(Op op) {
    return static_cast<int>(op);
}

// OP_SEARCH's parameter is first ID x 256 + last ID; with this bit set every ID is asked once
// with a short time-out (a quick search) instead of four times a second apart.
inline constexpr int kSearchQuick = 0x10000;

// What a step function returns to Run.
inline constexpr int kWait = 0;        // wait for the next reply or timer event
inline constexpr int kContinue = 1;    // call again at once with the next step
inline constexpr int kBlocksDone = 3;  // a block engine finished its last block

// The status argument of Run: why a step function is called.
inline constexpr int kStatusReply = 0;            // started, or the reply to its command arrived
inline constexpr int kStatusStepTime = 2;         // timer slot 2 fired
inline constexpr int kStatusEarlyRelease = 6;     // timer slot 6 fired
inline constexpr int kStatusMonitorBit = 0xFFFF;  // the awaited monitor bit was reported
inline constexpr int kStatusStepComplete =
    4;  // parameter of Run when the in-position bit ends a wait

// Private window messages.
inline constexpr int WM_OP_COMPLETE = 0x0500;
inline constexpr int WM_OP_NO_CONTROLLER = 0x0600;
inline constexpr int WM_SEARCH_ABORT = 0x0800;
inline constexpr int WM_NEXT_STEP = 0x0C00;
inline constexpr int WM_LINK_EVENT = 0x1400;
inline constexpr int WM_MONITOR_TICK = 0x2400;
inline constexpr int WM_REPLY_TIMEOUT = 0x4400;
inline constexpr int WM_STOP_REQUEST = 0x8400;

// Targets of NotifyFrontDialog: the dialog registered as the front dialog, or the
// ID/communication setting dialog (its view index).
inline constexpr int kTargetFrontDialog = 0;
inline constexpr int kTargetIdCommDialog = 5;

// What RedisplayViews redraws.
inline constexpr int kViewsIoPage = 0;
inline constexpr int kViewsStepLists = 2;
inline constexpr int kViewsAll = 6;

}  // namespace tavro
