// The basic parameters that the status block mirrors when they are read or written.

#include "link/CStatusFlg.h"
#include "link/CTrxData.h"
#include "link/StringIds.h"

namespace tavro {

namespace {

// Parameter numbers of group 0 that the status block mirrors.
constexpr int kBasicGroup = 0;
constexpr int kStroke = 0;
constexpr int kSeries = 1;
constexpr int kStepInputMethod = 2;
constexpr int kControllerId = 3;
constexpr int kOut0Function = 8;
constexpr int kOut1Function = 9;
constexpr int kControlType = 12;

// Values accepted (below these limits, compared unsigned so that negatives fail).
constexpr unsigned kStrokeLimit = 51;
constexpr unsigned kSeriesLimit = 4;
constexpr unsigned kControlTypeLimit = 3;
constexpr unsigned kStepInputLimit = 3;
constexpr unsigned kIdLimit = 256;
constexpr unsigned kOutputFunctionLimit = 11;

}  // namespace

// Parameter 1/13 is the Kp of the return-to-origin PID set, not an input method, so a
// gain read there is not copied into the step input method.
void CTrxData::ApplyParameter(int group, int parameter, int value) {
    if (group != kBasicGroup) {
        return;
    }
    CStatusFlg status(ctx_);
    TrxState& t = State();
    const unsigned v = static_cast<unsigned>(value);
    const bool reconnect = status.HasFlag(kFlagUploadDone) && t.currentOp == OP_CONNECT;
    if (parameter == kStroke && v < kStrokeLimit) {
        t.strokeDiffers = reconnect && value != status.GetStroke(0);
        status.SetStroke(0, value);
        status.SetStroke(1, value);
    } else if (parameter == kSeries && v < kSeriesLimit) {
        if (reconnect && (t.strokeDiffers || value != status.GetSeries(0))) {
            Host().ShowMessage(ids::IDS_CONTROLLER_CHANGED, MessageIcon::kExclamation, false);
        }
        t.strokeDiffers = false;
        status.SetSeries(0, value);
        status.SetSeries(1, value);
    } else if (parameter == kControlType && v < kControlTypeLimit) {
        status.SetControlType(value);
    } else if (parameter == kStepInputMethod && v < kStepInputLimit) {
        status.SetStepInputMethod(0, value);
    } else if (parameter == kControllerId && v > 0 && v < kIdLimit) {
        status.SetControllerId(value);
        Host().RefreshTitle();
    } else if (parameter == kOut0Function && v < kOutputFunctionLimit) {
        status.SetOutputFunction(0, value);
    } else if (parameter == kOut1Function && v < kOutputFunctionLimit) {
        status.SetOutputFunction(1, value);
    }
}

}  // namespace tavro
