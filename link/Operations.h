#pragma once

// Operation codes, step-function results and statuses, and the private window messages of
// the link.
namespace tavro {

// Codes of the operation table; the order is the table's.
inline constexpr int OP_IDLE = 0;
inline constexpr int OP_INITIALIZE = 1;
inline constexpr int OP_CONNECT = 2;
inline constexpr int OP_SEARCH = 3;
inline constexpr int OP_SET_CONTROL_TYPE = 4;
inline constexpr int OP_UPLOAD_ALL = 5;
inline constexpr int OP_ALARM = 6;
inline constexpr int OP_EXIT = 7;
inline constexpr int OP_MANUAL_OUTPUT = 8;
inline constexpr int OP_IO_DOWNLOAD = 9;
inline constexpr int OP_IO_UPLOAD = 10;
inline constexpr int OP_PID_DEFAULT = 11;
inline constexpr int OP_BASIC_DOWNLOAD = 12;
inline constexpr int OP_STEP_UPLOAD = 13;
inline constexpr int OP_STEP_UPLOAD_REF = 14;
inline constexpr int OP_STEP_DOWNLOAD = 15;
inline constexpr int OP_SET_MODE = 16;
inline constexpr int OP_DRIVE = 17;
inline constexpr int OP_RETURN_ORIGIN = 18;
inline constexpr int OP_JOG = 19;
inline constexpr int OP_INCHING = 20;
inline constexpr int OP_STEP_RUN = 21;
inline constexpr int OP_STOP = 22;
inline constexpr int OP_DETAIL_UPLOAD = 23;
inline constexpr int OP_DETAIL_DOWNLOAD = 24;
inline constexpr int OP_COMM_SETUP = 25;
inline constexpr int OP_SPARE = 26;
inline constexpr int kOperationCount = 27;

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
