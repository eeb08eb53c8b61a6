#pragma once

#include <cstdint>
#include <vector>

#include "monitor/MonitorSample.h"

namespace tavro {

// The last samples in a fixed amount of memory: the oldest is dropped when a new one comes
// to a full ring.
class SampleRing {
  public:
    // Ten minutes of chart and the minute of the black box at 100 ms, with room for polls
    // that come a little faster.
    static constexpr std::size_t kDefaultCapacity = 12000;

    explicit SampleRing(std::size_t capacity = kDefaultCapacity);
    virtual ~SampleRing() = default;

    void Push(const MonitorSample& sample);
    void Clear();

    std::size_t Size() const { return size_; }
    std::size_t Capacity() const { return slots_.size(); }
    // Oldest first; i < Size().
    const MonitorSample& At(std::size_t i) const;
    const MonitorSample& Newest() const { return At(size_ - 1); }
    // Counts every sample ever pushed, so that a reader can tell whether anything is new.
    std::uint64_t Pushed() const { return pushed_; }

    // The samples no older than `spanMs` before the newest, oldest first.
    std::vector<MonitorSample> Last(std::int64_t spanMs) const;
    // Index of the first sample at or after `timeMs` (Size() when none).
    std::size_t LowerBound(std::int64_t timeMs) const;

  private:
    std::vector<MonitorSample> slots_;
    std::size_t head_ = 0;  // where the oldest sample is
    std::size_t size_ = 0;
    std::uint64_t pushed_ = 0;
};

}  // namespace tavro
