#include "link/LinkEngine.h"

#include "link/CTrxData.h"

namespace tavro {

LinkEngine::LinkEngine(LinkContext& ctx) : ctx_(ctx) {
    ctx_.timerClient = this;
    LinkContext* c = &ctx_;
    ctx_.port.onFrame = [c](std::string_view frame) { CTrxData(*c).OnFrame(frame); };
    ctx_.port.onLost = [c](int error) { CTrxData(*c).PortLost(error); };
}

LinkEngine::~LinkEngine() {
    if (ctx_.timerClient == this) {
        ctx_.timerClient = nullptr;
    }
    ctx_.port.onFrame = nullptr;
    ctx_.port.onLost = nullptr;
}

void LinkEngine::OnTimerSlot(int slot) {
    CTrxData(ctx_).OnTimerSlot(slot);
}

}  // namespace tavro
