#include "link/CTimer.h"

namespace tavro {

bool CTimer::StartPoll() {
    StopTimer(kPoll);
    // The silence of the poll counts from its start.
    ctx_.trx.lastHeardMs = ctx_.loop.NowMs();
    LinkContext* ctx = &ctx_;
    auto& id = ctx_.timers.ids[kPoll];
    id = ctx_.loop.StartTimer(kPollPeriodMs, true, [ctx] { CTimer(*ctx).Expired(kPoll); });
    return id != 0;
}

void CTimer::ArmOneShot(int slot, std::int64_t ms) {
    if (slot < 0 || slot >= kSlotCount) {
        return;
    }
    StopTimer(slot);
    // The expiry belongs to the operation running now.
    ctx_.trx.slotOwner[static_cast<std::size_t>(slot)] = ctx_.trx.generation;
    auto& ids = ctx_.timers.ids;
    // The callback captures the context, not this accessor, which may be a temporary.
    LinkContext* ctx = &ctx_;
    ids[static_cast<std::size_t>(slot)] =
        ctx_.loop.StartTimer(ms, false, [ctx, slot] { CTimer(*ctx).Expired(slot); });
}

void CTimer::StopTimer(int slot) {
    if (slot < 0 || slot >= kSlotCount) {
        return;
    }
    auto& id = ctx_.timers.ids[static_cast<std::size_t>(slot)];
    if (id != 0) {
        ctx_.loop.StopTimer(id);
        id = 0;
    }
}

bool CTimer::IsRunning(int slot) const {
    if (slot < 0 || slot >= kSlotCount) {
        return false;
    }
    return ctx_.timers.ids[static_cast<std::size_t>(slot)] != 0;
}

void CTimer::Expired(int slot) {
    auto& ids = ctx_.timers.ids;
    switch (slot) {
        case kReply:
        case kStepTime:
        case kOriginWatchdog:
            ids[static_cast<std::size_t>(slot)] = 0;
            break;
        case kStepWatchdog:
            ids[kStepWatchdog] = 0;
            StopTimer(kReply);
            StopTimer(kPoll);
            break;
        case kPollStop:
            // Its own identifier is left as it was; only the poll stops.
            StopTimer(kPoll);
            return;
        default:
            break;
    }
    if (ctx_.timerClient != nullptr) {
        ctx_.timerClient->OnTimerSlot(slot);
    }
}

}  // namespace tavro
