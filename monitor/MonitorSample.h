#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tavro {

// What a sample marks on the time axis.
enum class SampleMark : std::uint8_t {
    kNone = 0,
    kStepStart = 1,
    kStepEnd = 2,
    kAlarm = 4,
};

constexpr SampleMark operator|(SampleMark a, SampleMark b) {
    return static_cast<SampleMark>(static_cast<std::uint8_t>(a) | static_cast<std::uint8_t>(b));
}
constexpr bool Has(SampleMark set, SampleMark m) {
    return (static_cast<std::uint8_t>(set) & static_cast<std::uint8_t>(m)) != 0;
}

// One answered monitor poll: when it came, from whom, the status word and the five values as
// the decoder holds them (0.001 mm, mm/s, 0.1 thrust units, 0.001 mm, step number).
struct MonitorSample {
    static constexpr std::size_t kReplyLength = 28;

    std::int64_t timeMs = 0;  // event-loop clock
    std::int64_t wallMs = 0;  // milliseconds since the epoch, for the time of day
    int controllerId = 0;
    std::uint16_t status = 0;
    std::array<std::int64_t, 5> values{};
    SampleMark marks = SampleMark::kNone;
    std::uint8_t step = 0;       // the step that starts here
    std::uint8_t endedStep = 0;  // the step that ends here
    // The data text of the reply as it came, so that a record keeps the frame itself.
    std::array<char, kReplyLength> reply{};

    std::string_view Reply() const { return {reply.data(), reply.size()}; }
};

// The five values' fields in a sample.
enum class SampleValue : std::size_t {
    kPosition = 0,
    kSpeed = 1,
    kForce = 2,
    kTarget = 3,
    kStep = 4,
};

// The status bits the chart draws as lanes, lowest lane first.
struct StatusLane {
    std::uint16_t bit;
    const char* name;
};

inline constexpr std::array<StatusLane, 12> kStatusLanes = {{
    {0x0001, "IN0"},
    {0x0002, "IN1"},
    {0x0004, "IN2"},
    {0x0008, "IN3"},
    {0x0010, "SVON"},
    {0x0020, "DRIVE"},
    {0x0040, "BUSY"},
    {0x0080, "ALARM"},
    {0x0100, "OUT0"},
    {0x0200, "OUT1"},
    {0x1000, "INP"},
    {0x0800, "ORIGIN"},
}};
inline constexpr std::uint16_t kStatusAlarmClearBit = 0x0080;  // 0 while an alarm is active
inline constexpr std::uint16_t kStatusDriveBit = 0x0020;
inline constexpr std::uint16_t kStatusSvonBit = 0x0010;
inline constexpr std::uint16_t kStatusInPositionBit = 0x1000;
inline constexpr std::uint16_t kStatusOriginBit = 0x0800;
inline constexpr std::uint16_t kStatusStepInputs = 0x000F;

}  // namespace tavro
