#pragma once

#include <cstdint>

#include "link/LinkContext.h"

namespace tavro {

// The seven timer slots of the link, over the event loop's timers.
class CTimer {
  public:
    enum Slot : int {
        kPoll = 0,            // periodic 100 ms: monitor poll
        kReply = 1,           // 1000 ms after every command write
        kStepTime = 2,        // operating time of a step, travel time of an inching move
        kOriginWatchdog = 3,  // 15 s for a return to origin
        kStepWatchdog = 4,    // 10 s for a step without operating time
        kPollStop = 5,        // stops the poll shortly before a timed step ends
        kEarlyRelease = 6,    // releases DRIVE shortly before a timed step ends
    };
    static constexpr int kSlotCount = 7;
    static constexpr std::int64_t kPollPeriodMs = 100;
    static constexpr std::int64_t kReplyTimeoutMs = 1000;
    static constexpr std::int64_t kOriginWatchdogMs = 15000;
    static constexpr std::int64_t kStepWatchdogMs = 10000;

    explicit CTimer(LinkContext& ctx) : ctx_(ctx) {}
    virtual ~CTimer() = default;

    // Restarts slot 0 as the 100 ms periodic poll; false when the loop refuses the timer.
    bool StartPoll();
    void StopPoll() { StopTimer(kPoll); }
    // Replaces whatever runs in the slot by a one-shot timer.
    void ArmOneShot(int slot, std::int64_t ms);
    // Stopping an idle slot does nothing.
    void StopTimer(int slot);
    bool IsRunning(int slot) const;

  private:
    void Expired(int slot);

    LinkContext& ctx_;
};

}  // namespace tavro
