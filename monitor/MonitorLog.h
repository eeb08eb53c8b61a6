#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/EventLoop.h"
#include "monitor/AlarmBlackBox.h"
#include "monitor/CsvRecorder.h"
#include "monitor/SampleRing.h"
#include "monitor/SampleSink.h"

namespace tavro {

// Milliseconds since the epoch; tests pass a clock of their own.
using WallClock = std::function<std::int64_t()>;
WallClock SystemWallClock();

// What the monitor samples become: the ring the chart reads, the step and alarm marks, the
// recording to a CSV file and the alarm black box.
class MonitorLog : public SampleSink {
  public:
    // No black box when `alarmFolder` is empty.
    MonitorLog(EventLoop& loop, WallClock wall, std::string alarmFolder,
               std::size_t capacity = SampleRing::kDefaultCapacity);
    ~MonitorLog() override;
    MonitorLog(const MonitorLog&) = delete;
    MonitorLog& operator=(const MonitorLog&) = delete;

    void OnSample(MonitorSample sample) override;
    void OnAlarmRecord(const std::vector<int>& codes) override;
    // The line went silent: the next sample starts afresh, with no edge against the one
    // before.
    void OnSilence() override { previous_.reset(); }

    const SampleRing& Ring() const { return ring_; }
    CsvRecorder& Recorder() { return recorder_; }
    AlarmBlackBox* BlackBox() { return blackBox_ ? blackBox_.get() : nullptr; }

  private:
    void Mark(MonitorSample& s);

    EventLoop& loop_;
    WallClock wall_;
    SampleRing ring_;
    CsvRecorder recorder_;
    std::unique_ptr<AlarmBlackBox> blackBox_;
    std::optional<MonitorSample> previous_;
    std::optional<std::uint8_t> openStep_;
};

}  // namespace tavro
