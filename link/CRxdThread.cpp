#include "link/CRxdThread.h"

namespace tavro {

void CRxdThread::StartReceiver() {
    PortState& port = ctx_.port;
    port.stop = false;
    port.lostError = -1;
    port.assembler.Reset();
    port.assembler.SetSink([&port](std::string_view frame) {
        if (!port.stop && port.onFrame) {
            port.onFrame(frame);
        }
    });
    if (!port.transport) {
        return;
    }
    port.transport->Start(
        [&port](std::string_view bytes) {
            for (char c : bytes) {
                if (port.stop) {
                    return;
                }
                port.assembler.Feed(c);
            }
        },
        // A vanished line stays "open" for the engine, which then hears silence, runs out of
        // resends and takes the tool offline with its own message.
        [&port](int error) { port.lostError = error; });
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
