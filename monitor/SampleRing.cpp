#include "monitor/SampleRing.h"

namespace tavro {

SampleRing::SampleRing(std::size_t capacity) : slots_(capacity > 0 ? capacity : 1) {}

void SampleRing::Push(const MonitorSample& sample) {
    const std::size_t cap = slots_.size();
    if (size_ < cap) {
        slots_[(head_ + size_) % cap] = sample;
        ++size_;
    } else {
        slots_[head_] = sample;
        head_ = (head_ + 1) % cap;
    }
    ++pushed_;
}

void SampleRing::Clear() {
    head_ = 0;
    size_ = 0;
}

const MonitorSample& SampleRing::At(std::size_t i) const {
    return slots_[(head_ + i) % slots_.size()];
}

std::size_t SampleRing::LowerBound(std::int64_t timeMs) const {
    std::size_t lo = 0;
    std::size_t hi = size_;
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (At(mid).timeMs < timeMs) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo;
}

std::vector<MonitorSample> SampleRing::Last(std::int64_t spanMs) const {
    std::vector<MonitorSample> out;
    if (size_ == 0) {
        return out;
    }
    const std::size_t from = LowerBound(Newest().timeMs - spanMs);
    out.reserve(size_ - from);
    for (std::size_t i = from; i < size_; ++i) {
        out.push_back(At(i));
    }
    return out;
}

}  // namespace tavro
