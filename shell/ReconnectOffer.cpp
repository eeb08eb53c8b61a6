#include "shell/ReconnectOffer.h"

#include "link/StringIds.h"

namespace tavro {

ReconnectOffer::ReconnectOffer(LinkContext& ctx, const ui::DialogServices& services,
                               Reconnect reconnect)
    : ctx_(ctx), services_(services), reconnect_(std::move(reconnect)) {}

ReconnectOffer::~ReconnectOffer() {
    Stop();
}

void ReconnectOffer::Watch() {
    Stop();
    lost_ = ctx_.port.opened;
    if (lost_.byId.empty() && lost_.usbVendor.empty()) {
        return;
    }
    timer_ = ctx_.loop.StartTimer(kScanMs, true, [this] { Scan(); });
}

void ReconnectOffer::Stop() {
    if (timer_ != 0) {
        ctx_.loop.StopTimer(timer_);
        timer_ = 0;
    }
}

void ReconnectOffer::Scan() {
    if (asking_ || ctx_.status.comPort > 0) {
        return;  // the question is up, or a port has been opened meanwhile
    }
    for (const PortInfo& port : ListSerialPorts(ctx_.port.scan)) {
        if (!SameAdapter(lost_, port)) {
            continue;
        }
        // Asked once: a No leaves the tool offline until the user connects again.
        Stop();
        asking_ = true;
        const bool yes = services_.prompter.Confirm(
            ids::IDS_PORT_BACK, services_.strings.Format(ids::IDS_PORT_BACK, port.name));
        asking_ = false;
        if (yes && ctx_.status.comPort <= 0) {
            reconnect_(port);
        }
        return;
    }
}

}  // namespace tavro
