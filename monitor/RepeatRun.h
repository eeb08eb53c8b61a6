#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "link/EventLoop.h"
#include "link/LinkContext.h"
#include "monitor/ContinuousTable.h"
#include "monitor/RepeatStats.h"

namespace tavro {

// How a repeatability run moves the actuator: through the Monitor/Test page's continuous
// machinery in the window, through the link directly in tavro-cli.
class RepeatDriver {
  public:
    virtual ~RepeatDriver() = default;
    // OP_STEP_RUN of one step until in position; step 0 is the return to origin.
    virtual void RunStep(int step) = 0;
    // The last arrival is in: stop the actuator as at the end of a continuous sequence.
    virtual void EndRun() = 0;
};

// One move of a cycle. Arrivals are recorded at steps 1..15, never at the origin.
struct RepeatMove {
    int step = 0;
    bool firstCycleOnly = false;
};

// What a run does: the moves of a cycle, how many cycles, the settle time after in-position.
struct RepeatPlan {
    static constexpr int kMaxCycles = 10000;
    static constexpr int kDefaultSettleMs = 100;
    static constexpr int kMaxSettleMs = 10000;

    std::vector<RepeatMove> moves;
    int cycles = 1;
    int settleMs = kDefaultSettleMs;

    // One step approached from the origin in every cycle, or two steps moved between.
    static RepeatPlan Steps(int step, int otherStep, int cycles, int settleMs);
    // The continuous table up to its first End; rows marked one time run in the first cycle.
    static RepeatPlan FromTable(const ContinuousTable& table, std::span<const bool> oneTime,
                                int cycles, int settleMs);
    // The steps arrivals are recorded at, in the order they first come.
    std::vector<int> Targets() const;
    // Arrivals a whole run records.
    int ExpectedArrivals() const;
    // Whether the plan can run: cycles and settle time in range, at least one recorded step.
    bool Valid() const;
};

enum class RepeatEnd {
    kRunning,
    kCompleted,
    kStopped,       // End, Servo Off, leaving the window or the page, closing
    kAlarm,         // the controller raised an alarm
    kNoInPosition,  // in position was not reported again after the settle time
    kLinkLost,      // the controller stopped answering
};

// One target of a run: its step and the position its step data asks for.
struct RepeatTarget {
    int step = 0;
    std::int64_t targetUm = 0;
    bool absolute = true;  // a relative step has no fixed target: deviations are from the mean
};

// The repeatability run: moves the actuator through the plan, records each arrival from the
// monitor reply that shows in position once the settle time is over, and keeps what the window
// and the report show. Toolkit-free; the event loop's clock gives every time.
class RepeatRun {
  public:
    // An arrival waits this long after the settle time for in position before the run gives up.
    static constexpr std::int64_t kSampleLimitMs = 5000;

    RepeatRun(LinkContext& ctx, RepeatDriver& driver, RepeatPlan plan);
    virtual ~RepeatRun();
    RepeatRun(const RepeatRun&) = delete;
    RepeatRun& operator=(const RepeatRun&) = delete;

    // Called after each arrival and at the end.
    void OnChange(std::function<void()> observer) { onChange_ = std::move(observer); }

    void Start();
    // The link has ended the step the run started (WM_NEXT_STEP).
    void StepEnded();
    // Someone else stopped the actuator; the run ends without moving again.
    void Interrupt(RepeatEnd why);

    const RepeatPlan& Plan() const { return plan_; }
    const std::vector<RepeatTarget>& Targets() const { return targets_; }
    const std::vector<RepeatArrival>& Arrivals() const { return arrivals_; }
    RepeatEnd End() const { return end_; }
    bool Running() const { return end_ == RepeatEnd::kRunning && started_; }
    int Cycle() const { return cycle_ + 1; }
    int RatedUm() const { return ratedUm_; }
    std::int64_t StartedAtMs() const { return startedMs_; }
    // Signed deviation of the last arrival from its target, µm; 0 before the first.
    double LastDeviationUm() const;
    // Time still to go from the pace so far, ms; -1 until an arrival gives the pace.
    std::int64_t EtaMs() const;
    RepeatStats Stats(std::size_t target) const;

  private:
    void OnReply();
    void NextMove();
    void MaybeAdvance();
    void Finish(RepeatEnd why, bool stopActuator);
    void StopTimer();
    void ArmSettle();
    bool Recorded() const { return plan_.moves[move_].step > 0; }
    int TargetIndex(int step) const;

    LinkContext& ctx_;
    RepeatDriver& driver_;
    RepeatPlan plan_;
    std::vector<RepeatTarget> targets_;
    std::vector<RepeatArrival> arrivals_;
    std::function<void()> onChange_;
    int ratedUm_ = 0;
    bool started_ = false;
    RepeatEnd end_ = RepeatEnd::kRunning;
    int cycle_ = 0;
    std::size_t move_ = 0;
    std::int64_t startedMs_ = 0;
    std::int64_t moveStartMs_ = 0;
    std::int64_t inPositionMs_ = -1;
    bool settled_ = false;
    bool sampled_ = false;
    bool stepEnded_ = false;
    EventLoop::TimerId timer_ = 0;
    std::shared_ptr<int> alive_;
};

}  // namespace tavro
