#include "link/CRxdThread.h"

namespace tavro {

void CRxdThread::StartReceiver() {
    PortState& port = ctx_.port;
    port.stop = false;
    port.lostError = -1;
    ++port.starts;
    port.assembler.Reset();
    port.assembler.SetSink([&port](std::string_view frame) {
        if (!port.stop && port.onFrame) {
            port.onFrame(frame);
        }
    });
    if (!port.transport) {
        return;
    }
    LinkContext* ctx = &ctx_;
    port.transport->Start(
        [ctx, &port](std::string_view bytes) {
            for (char c : bytes) {
                if (port.stop) {
                    return;
                }
                LineLog* log = ctx->lineLog;
                if (log != nullptr) {
                    log->ReceivedByte(c);
                }
                port.assembler.Feed(c);
                if (log != nullptr && c == '\n' && ctx->lineLog == log) {
                    log->LineEnded(ctx->loop.NowUs());
                }
            }
        },
        // The loss may be noticed inside a write, in the middle of an operation's step: the
        // engine hears of it from the loop, unless this line has been closed by then.
        [ctx, started = port.starts](int error) {
            ctx->port.lostError = error;
            ctx->loop.Post([ctx, started, error] {
                PortState& p = ctx->port;
                if (p.starts == started && p.transport && !p.stop && p.onLost) {
                    p.onLost(error);
                }
            });
        });
}

void CRxdThread::StopReceiver() {
    PortState& port = ctx_.port;
    port.stop = true;
    if (port.transport) {
        port.transport->Stop();
        port.transport.reset();
    }
    port.assembler.Reset();
}

bool CRxdThread::Running() const {
    return ctx_.port.transport != nullptr && !ctx_.port.stop;
}

}  // namespace tavro
