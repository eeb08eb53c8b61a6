// The loss of the open port: an unplugged adapter or a closed terminal ends the link's work
// at once instead of through four reply time-outs.

#include "link/CRxdThread.h"
#include "link/CStatusFlg.h"
#include "link/CTimer.h"
#include "link/CTrxData.h"
#include "link/StringIds.h"

namespace tavro {

void CTrxData::PortLost(int error) {
    TrxState& t = State();
    ctx_.port.lostError = error;
    if (ctx_.lineLog != nullptr) {
        ctx_.lineLog->Lost(ctx_.loop.NowUs(), error);
    }
    // The name the port list showed for it, where the port was listed.
    const std::string name =
        !ctx_.port.opened.name.empty() ? ctx_.port.opened.name : ctx_.status.portName;
    // Nothing more goes out and nothing still due is waited for.
    ClearHold();
    FreeLine();
    CRxdThread(ctx_).StopReceiver();
    CStatusFlg(ctx_).SetComPort(0);
    ctx_.status.portPath.clear();
    ctx_.status.portName.clear();
    if (t.currentOp == OP_EXIT) {
        // The tool is closing anyway.
        Finish();
        CTimer(ctx_).StopPoll();
        Host().RequestExit();
        return;
    }
    AbortAll();
    Host().ShowFormattedMessage(ids::IDS_PORT_DISCONNECTED, MessageIcon::kExclamation, true,
                                {name});
    RestoreAfterFailure(kLinkNoPort);
    Host().RefreshTitle();
    Host().PortLost();
}

}  // namespace tavro
