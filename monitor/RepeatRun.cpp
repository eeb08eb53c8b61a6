#include "monitor/RepeatRun.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "link/CStatusFlg.h"
#include "link/Operations.h"
#include "monitor/CMonData.h"
#include "stepdata/StepRecord.h"

namespace tavro {

namespace {

constexpr std::size_t kPositionValue = 0;

}  // namespace

RepeatPlan RepeatPlan::Steps(int step, int otherStep, int cycles, int settleMs) {
    RepeatPlan p;
    p.cycles = cycles;
    p.settleMs = settleMs;
    if (otherStep <= 0 || otherStep == step) {
        // A step run again where it stands does not move: each arrival comes from the origin.
        p.moves = {{0, false}, {step, false}};
    } else {
        p.moves = {{step, false}, {otherStep, false}};
    }
    return p;
}

RepeatPlan RepeatPlan::FromTable(const ContinuousTable& table, std::span<const bool> oneTime,
                                 int cycles, int settleMs) {
    RepeatPlan p;
    p.cycles = cycles;
    p.settleMs = settleMs;
    const int end = table.EndRow();
    for (int r = 0; r < end; ++r) {
        const int choice = table.Row(r).choice;
        const bool once =
            static_cast<std::size_t>(r) < oneTime.size() && oneTime[static_cast<std::size_t>(r)];
        p.moves.push_back({choice == kChoiceOrigin ? 0 : choice - 1, once});
    }
    return p;
}

std::vector<int> RepeatPlan::Targets() const {
    std::vector<int> out;
    for (const RepeatMove& m : moves) {
        if (m.step > 0 && std::find(out.begin(), out.end(), m.step) == out.end()) {
            out.push_back(m.step);
        }
    }
    return out;
}

int RepeatPlan::ExpectedArrivals() const {
    int n = 0;
    for (const RepeatMove& m : moves) {
        if (m.step > 0) {
            n += m.firstCycleOnly ? 1 : cycles;
        }
    }
    return n;
}

bool RepeatPlan::Valid() const {
    return cycles >= 1 && cycles <= kMaxCycles && settleMs >= 0 && settleMs <= kMaxSettleMs &&
           ExpectedArrivals() > 0 &&
           std::all_of(moves.begin(), moves.end(),
                       [](const RepeatMove& m) { return m.step >= 0 && m.step <= 15; });
}

RepeatRun::RepeatRun(LinkContext& ctx, RepeatDriver& driver, RepeatPlan plan)
    : ctx_(ctx), driver_(driver), plan_(std::move(plan)), alive_(std::make_shared<int>(0)) {}

RepeatRun::~RepeatRun() {
    StopTimer();
    if (started_ && end_ == RepeatEnd::kRunning) {
        ctx_.monitor.onReply = nullptr;
    }
}

void RepeatRun::Start() {
    if (started_ || !plan_.Valid()) {
        return;
    }
    ratedUm_ = CStatusFlg::RepeatabilityUmForSeries(ctx_.status.series[0]);
    targets_.clear();
    for (const int step : plan_.Targets()) {
        const int group = StepImageRow(step - 1);
        RepeatTarget t;
        t.step = step;
        t.targetUm = std::llround(
            ctx_.image.GetCell(group, kCellTargetPosition, ParameterImage::kControllerCopy));
        t.absolute =
            std::lround(ctx_.image.GetCell(group, kCellMovementMode,
                                           ParameterImage::kControllerCopy)) == kMovementAbsolute;
        targets_.push_back(t);
    }
    arrivals_.clear();
    started_ = true;
    startedMs_ = ctx_.loop.NowMs();
    cycle_ = 0;
    move_ = 0;
    ctx_.monitor.onReply = [this] { OnReply(); };
    NextMove();
}

void RepeatRun::NextMove() {
    inPositionMs_ = -1;
    settled_ = false;
    sampled_ = !Recorded();
    stepEnded_ = false;
    moveStartMs_ = ctx_.loop.NowMs();
    driver_.RunStep(plan_.moves[move_].step);
}

void RepeatRun::StopTimer() {
    if (timer_ != 0) {
        ctx_.loop.StopTimer(timer_);
        timer_ = 0;
    }
}

void RepeatRun::ArmSettle() {
    inPositionMs_ = ctx_.loop.NowMs();
    StopTimer();
    timer_ = ctx_.loop.StartTimer(plan_.settleMs, false, [this] {
        settled_ = true;
        timer_ = ctx_.loop.StartTimer(kSampleLimitMs, false, [this] {
            timer_ = 0;
            Finish(RepeatEnd::kNoInPosition, true);
        });
    });
}

void RepeatRun::OnReply() {
    if (!Running()) {
        return;
    }
    const std::uint16_t word = ctx_.monitor.statusWord;
    if ((word & CMonData::kBitAlarmClear) == 0) {
        // The link reads the alarm and stops the actuator itself.
        Finish(RepeatEnd::kAlarm, false);
        return;
    }
    if (sampled_) {
        return;
    }
    const bool inPosition = (word & CMonData::kBitInPosition) != 0;
    if (inPositionMs_ < 0) {
        // In position counts once the controller has taken the step: before DRIVE on is
        // answered the bit may still tell of the previous arrival.
        if (inPosition && ctx_.trx.currentOp == OP_STEP_RUN && ctx_.trx.op.runPhase >= 2) {
            ArmSettle();
        }
        return;
    }
    if (settled_ && inPosition) {
        StopTimer();
        RepeatArrival a;
        a.cycle = cycle_ + 1;
        a.target = TargetIndex(plan_.moves[move_].step);
        a.positionUm = ctx_.monitor.values[kPositionValue];
        a.moveMs = inPositionMs_ - moveStartMs_;
        arrivals_.push_back(a);
        sampled_ = true;
        if (onChange_) {
            onChange_();
        }
        MaybeAdvance();
    }
}

void RepeatRun::StepEnded() {
    if (!Running()) {
        return;
    }
    stepEnded_ = true;
    if (!sampled_ && inPositionMs_ < 0) {
        ArmSettle();  // the link saw in position in a reply this run did not see as such
    }
    MaybeAdvance();
}

void RepeatRun::MaybeAdvance() {
    if (!stepEnded_ || !sampled_) {
        return;
    }
    for (;;) {
        ++move_;
        if (move_ >= plan_.moves.size()) {
            move_ = 0;
            ++cycle_;
            if (cycle_ >= plan_.cycles) {
                Finish(RepeatEnd::kCompleted, true);
                return;
            }
        }
        if (cycle_ == 0 || !plan_.moves[move_].firstCycleOnly) {
            break;
        }
    }
    // Never from inside the reply handler: the next step starts from the loop.
    std::weak_ptr<int> alive = alive_;
    ctx_.loop.Post([this, alive] {
        if (!alive.expired() && Running()) {
            NextMove();
        }
    });
}

void RepeatRun::Finish(RepeatEnd why, bool stopActuator) {
    end_ = why;
    StopTimer();
    ctx_.monitor.onReply = nullptr;
    if (stopActuator) {
        driver_.EndRun();
    }
    if (onChange_) {
        onChange_();
    }
}

void RepeatRun::Interrupt(RepeatEnd why) {
    if (started_ && end_ == RepeatEnd::kRunning) {
        Finish(why, false);
    }
}

int RepeatRun::TargetIndex(int step) const {
    for (std::size_t i = 0; i < targets_.size(); ++i) {
        if (targets_[i].step == step) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

double RepeatRun::LastDeviationUm() const {
    if (arrivals_.empty()) {
        return 0.0;
    }
    const RepeatArrival& a = arrivals_.back();
    const RepeatTarget& t = targets_[static_cast<std::size_t>(a.target)];
    const double reference = t.absolute ? static_cast<double>(t.targetUm)
                                        : Stats(static_cast<std::size_t>(a.target)).mean;
    return static_cast<double>(a.positionUm) - reference;
}

std::int64_t RepeatRun::EtaMs() const {
    const auto done = static_cast<std::int64_t>(arrivals_.size());
    if (done == 0) {
        return -1;
    }
    const std::int64_t left = plan_.ExpectedArrivals() - done;
    const std::int64_t elapsed = ctx_.loop.NowMs() - startedMs_;
    return left <= 0 ? 0 : elapsed * left / done;
}

RepeatStats RepeatRun::Stats(std::size_t target) const {
    if (target >= targets_.size()) {
        return {};
    }
    const RepeatTarget& t = targets_[target];
    const int index = static_cast<int>(target);
    RepeatStats s = ComputeRepeatStats(arrivals_, index, t.targetUm, ratedUm_);
    if (!t.absolute && s.count > 0) {
        s = ComputeRepeatStats(arrivals_, index, std::llround(s.mean), ratedUm_);
    }
    return s;
}

}  // namespace tavro
