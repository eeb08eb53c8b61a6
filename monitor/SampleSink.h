#pragma once

#include <vector>

#include "monitor/MonitorSample.h"

namespace tavro {

// Where the monitor decoder hands every answered poll and every alarm record it decodes.
class SampleSink {
  public:
    virtual ~SampleSink() = default;
    // timeMs, controllerId, status, values and reply are set.
    virtual void OnSample(MonitorSample sample) = 0;
    virtual void OnAlarmRecord(const std::vector<int>& codes) = 0;
    // No poll has been answered for a while.
    virtual void OnSilence() {}
};

}  // namespace tavro
