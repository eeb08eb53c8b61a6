#include "sim/Motion.h"

#include <cmath>
#include <utility>

namespace tavro::sim {

namespace {

// mm/s^2 in µm/ms^2.
constexpr double kAccelUnit = 0.001;
// About 30000 years: beyond it a move is not followed to its end.
constexpr double kLongestMoveMs = 1e15;

}  // namespace

Motion::~Motion() {
    if (timer_ != 0) {
        loop_.StopTimer(timer_);
    }
}

void Motion::Arm(double ms, Done done) {
    // A step at a speed of 1e-18 mm/s takes longer than any clock counts; it never arrives.
    const double bounded = ms < kLongestMoveMs ? std::ceil(ms) : kLongestMoveMs;
    const auto delay = static_cast<std::int64_t>(bounded > 0.0 ? bounded : 0.0);
    timer_ = loop_.StartTimer(delay, false, [this, done = std::move(done)] {
        timer_ = 0;
        rest_ = move_.to;
        if (done) {
            done();
        }
    });
}

void Motion::Start(Move move, Done done) {
    const double from = Position();
    Stop();
    move.from = from;
    move_ = move;
    t0_ = loop_.NowMs();
    distance_ = std::fabs(move.to - move.from);
    direction_ = move.to >= move.from ? 1.0 : -1.0;
    const double v = move.speed > 0.0 ? move.speed : 0.0;
    a_ = move.accel > 0.0 ? move.accel * kAccelUnit : 0.0;
    d_ = move.decel > 0.0 ? move.decel * kAccelUnit : 0.0;
    if (distance_ <= 0.0 || v <= 0.0) {
        peak_ = ta_ = tc_ = td_ = total_ = 0.0;
        move_.to = distance_ <= 0.0 ? move.to : from;
        Arm(0.0, std::move(done));
        return;
    }
    // Distances needed to reach the speed and to stop from it; a short move never reaches it.
    auto ramp = [](double speed, double rate) {
        return rate > 0.0 ? speed * speed / (2 * rate) : 0.0;
    };
    peak_ = v;
    if (ramp(v, a_) + ramp(v, d_) > distance_) {
        const double inv = (a_ > 0.0 ? 1.0 / a_ : 0.0) + (d_ > 0.0 ? 1.0 / d_ : 0.0);
        peak_ = std::sqrt(2.0 * distance_ / inv);
    }
    ta_ = a_ > 0.0 ? peak_ / a_ : 0.0;
    td_ = d_ > 0.0 ? peak_ / d_ : 0.0;
    tc_ = (distance_ - ramp(peak_, a_) - ramp(peak_, d_)) / peak_;
    if (tc_ < 0.0) {
        tc_ = 0.0;
    }
    total_ = ta_ + tc_ + td_;
    Arm(total_, std::move(done));
}

void Motion::Hold(std::int64_t ms, Done done) {
    const double here = Position();
    Stop();
    move_ = Move{here, here, 0.0, 0.0, 0.0};
    t0_ = loop_.NowMs();
    distance_ = 0.0;
    peak_ = ta_ = tc_ = td_ = 0.0;
    total_ = static_cast<double>(ms);
    Arm(total_, std::move(done));
}

void Motion::Stop() {
    if (timer_ == 0) {
        return;
    }
    rest_ = Position();
    loop_.StopTimer(timer_);
    timer_ = 0;
}

void Motion::Place(double position) {
    Stop();
    rest_ = position;
}

double Motion::Covered(double t) const {
    if (t <= 0.0) {
        return 0.0;
    }
    if (t >= total_) {
        return distance_;
    }
    if (t < ta_) {
        return 0.5 * a_ * t * t;
    }
    const double sa = 0.5 * a_ * ta_ * ta_;
    if (t < ta_ + tc_) {
        return sa + peak_ * (t - ta_);
    }
    const double u = t - ta_ - tc_;
    const double s = sa + peak_ * tc_ + peak_ * u - 0.5 * d_ * u * u;
    return s < distance_ ? s : distance_;
}

double Motion::SpeedAt(double t) const {
    if (t < 0.0 || t >= total_ || distance_ <= 0.0) {
        return 0.0;
    }
    if (t < ta_) {
        return a_ * t;
    }
    if (t < ta_ + tc_) {
        return peak_;
    }
    const double v = peak_ - d_ * (t - ta_ - tc_);
    return v > 0.0 ? v : 0.0;
}

double Motion::Position() const {
    if (!Active()) {
        return rest_;
    }
    const double t = static_cast<double>(loop_.NowMs() - t0_);
    return move_.from + direction_ * Covered(t);
}

double Motion::Speed() const {
    if (!Active()) {
        return 0.0;
    }
    return SpeedAt(static_cast<double>(loop_.NowMs() - t0_));
}

}  // namespace tavro::sim
