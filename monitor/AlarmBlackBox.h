#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/EventLoop.h"
#include "monitor/MonitorSample.h"
#include "monitor/SampleRing.h"

namespace tavro {

// Keeps what happened before an alarm: on the alarm mark the last minute of the ring is
// frozen, and saved together with the alarm record the tool reads anyway as soon as it comes,
// or without it when it does not come in time. Keeps the newest records only.
class AlarmBlackBox {
  public:
    static constexpr std::int64_t kSpanMs = 60000;
    // The alarm read starts with a stop and a refused poll holds the line for a second, so
    // the record may take a few seconds.
    static constexpr std::int64_t kRecordWaitMs = 5000;
    static constexpr std::size_t kMaxFiles = 100;

    AlarmBlackBox(EventLoop& loop, const SampleRing& ring, std::string folder);
    virtual ~AlarmBlackBox();
    AlarmBlackBox(const AlarmBlackBox&) = delete;
    AlarmBlackBox& operator=(const AlarmBlackBox&) = delete;

    // $XDG_STATE_HOME/Zelm/alarms, else ~/.local/state/Zelm/alarms.
    static std::string DefaultFolder();
    // The records in `folder`, newest first (file names only).
    static std::vector<std::string> List(const std::string& folder);

    // After `sample` has gone into the ring.
    void OnSample(const MonitorSample& sample);
    void OnAlarmRecord(const std::vector<int>& codes);

    bool Pending() const { return !frozen_.empty(); }
    const std::string& Folder() const { return folder_; }
    // Called with the path of every record saved, or with "" when one could not be saved.
    void SetOnSaved(std::function<void(const std::string&)> onSaved) {
        onSaved_ = std::move(onSaved);
    }

  private:
    void Save(const std::optional<std::vector<int>>& codes);
    void Prune() const;

    EventLoop& loop_;
    const SampleRing& ring_;
    std::string folder_;
    std::vector<MonitorSample> frozen_;
    EventLoop::TimerId waitTimer_ = 0;
    std::function<void(const std::string&)> onSaved_;
};

}  // namespace tavro
