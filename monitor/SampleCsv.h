#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/MonitorSample.h"

namespace tavro {

// A monitor record read back from its file: the samples with their marks, and the alarm
// record when the file holds one.
struct MonitorRecord {
    std::vector<MonitorSample> samples;  // timeMs is the file's "ms since start"
    std::optional<std::vector<int>> alarmCodes;
    std::optional<std::int64_t> alarmMs;  // the alarm instant, when marked
};

// The comma-separated monitor record. The file is data for other programs: its header names
// each column with its unit in English whatever the user interface language, numbers use '.'
// and times are ISO 8601 local time with the offset from UTC.
class SampleCsv {
  public:
    static constexpr std::size_t kColumns = 11;
    // Lines parsed from a file at most: a day at 100 ms, and then some.
    static constexpr std::size_t kMaxLines = 1'000'000;

    virtual ~SampleCsv() = default;

    // The header line, ended by a newline.
    static std::string Header();
    // The line of one sample, followed by one line for each mark it carries; `startMs` is the
    // loop time that "ms since start" counts from.
    static std::string Lines(const MonitorSample& sample, std::int64_t startMs);
    // A line of its own with only the time, the ID and the event text.
    static std::string EventLine(const MonitorSample& at, std::int64_t startMs,
                                 std::string_view event);
    // The event text of an alarm record, "alarm record 5 0 0".
    static std::string AlarmRecordEvent(const std::vector<int>& codes);
    // "2026-12-10T16:20:01.123+01:00".
    static std::string LocalTime(std::int64_t wallMs);
    // Nothing when the text does not start with the header; lines that do not parse are
    // skipped.
    static std::optional<MonitorRecord> Parse(std::string_view text);
};

}  // namespace tavro
