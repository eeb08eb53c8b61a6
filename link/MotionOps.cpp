// Motion and test operations.

#include "link/CStatusFlg.h"
#include "link/CTrxData.h"

namespace tavro {

int CTrxData::OpIdle(int /*step*/, int /*param*/, int /*status*/) {
    return kWait;
}

int CTrxData::OpAlarm(int step, int param, int /*status*/) {
    OperationValues& v = State().op;
    switch (step) {
        case 0:
            v.resetFlag = param;
            StopWaits();
            SendCommand(cmd::kStopAll);
            return kWait;
        case 1:
            if (v.resetFlag == 1) {
                SendCommand(cmd::kAlarmReset);
                return kWait;
            }
            return kContinue;
        case 2:
            SendCommand(cmd::kAlarmRead);
            return kWait;
        default:
            break;
    }
    CStatusFlg status(ctx_);
    LinkHost& host = Host();
    if (status.GetTestMode() == 1) {
        host.ShowOperationResult(1, 0, 0, 0, 0, 0);
        SetLinkState(kLinkOnline);
        End();
        host.EnableTabStrip(true);
    } else {
        End();
    }
    if (ctx_.monitorClient != nullptr) {
        ctx_.monitorClient->DecodeAlarmReply(State().lastReply.data);
    }
    host.SetModeSwitch(status.GetTestMode());
    return kWait;
}

}  // namespace tavro
