#include "monitor/MonitorLog.h"

#include <chrono>

#include "monitor/SampleCsv.h"

namespace tavro {

WallClock SystemWallClock() {
    return [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    };
}

MonitorLog::MonitorLog(EventLoop& loop, WallClock wall, std::string alarmFolder,
                       std::size_t capacity)
    : loop_(loop), wall_(std::move(wall)), ring_(capacity), recorder_(loop) {
    if (!alarmFolder.empty()) {
        blackBox_ = std::make_unique<AlarmBlackBox>(loop_, ring_, std::move(alarmFolder));
    }
}

MonitorLog::~MonitorLog() = default;

void MonitorLog::OnSample(MonitorSample sample) {
    sample.wallMs = wall_ ? wall_() : 0;
    Mark(sample);
    previous_ = sample;
    ring_.Push(sample);
    recorder_.Add(sample);
    if (blackBox_) {
        blackBox_->OnSample(sample);
    }
}

void MonitorLog::OnAlarmRecord(const std::vector<int>& codes) {
    if (recorder_.Recording() && previous_) {
        recorder_.AddEvent(*previous_, SampleCsv::AlarmRecordEvent(codes));
    }
    if (blackBox_) {
        blackBox_->OnAlarmRecord(codes);
    }
}

// A step starts when DRIVE rises, with the step number on the step inputs, and ends once
// the actuator is in position after it (for step 0, the return to origin, once the origin
// is reached), or when the servo goes off, an alarm comes or the next step starts.
void MonitorLog::Mark(MonitorSample& s) {
    s.marks = SampleMark::kNone;
    if (!previous_) {
        openStep_.reset();
        return;
    }
    const std::uint16_t was = previous_->status;
    const std::uint16_t now = s.status;
    const auto rose = [&](std::uint16_t bit) { return (was & bit) == 0 && (now & bit) != 0; };
    const bool alarm = (was & kStatusAlarmClearBit) != 0 && (now & kStatusAlarmClearBit) == 0;
    if (alarm) {
        s.marks = s.marks | SampleMark::kAlarm;
    }
    const bool started = rose(kStatusDriveBit);
    if (openStep_) {
        const bool inPosition = rose(kStatusInPositionBit) || rose(kStatusOriginBit) ||
                                ((now & kStatusInPositionBit) != 0 && (now & kStatusDriveBit) == 0);
        const bool servoOff = (now & kStatusSvonBit) == 0;
        if (started || inPosition || servoOff || alarm) {
            s.marks = s.marks | SampleMark::kStepEnd;
            s.endedStep = *openStep_;
            openStep_.reset();
        }
    }
    if (started) {
        s.marks = s.marks | SampleMark::kStepStart;
        s.step = static_cast<std::uint8_t>(now & kStatusStepInputs);
        openStep_ = s.step;
    }
}

}  // namespace tavro
