#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "link/ParameterImage.h"
#include "sim/ControllerOptions.h"

namespace tavro::sim {

inline constexpr int kAlarmHistorySize = 20;
using AlarmHistory = std::array<std::uint8_t, kAlarmHistorySize>;  // most recent first

// One full set of a controller's parameters in the groups and sizes of the "EE" command.
class ParameterBank {
  public:
    static constexpr int kGroups = ParameterImage::kGroupCount;
    static constexpr int kMaxCells = ParameterImage::kMaxCells;

    ParameterBank() = default;
    virtual ~ParameterBank() = default;

    // The set a controller leaves the factory with: ID 1, 19200 bit/s, and the actuator of
    // `options`.
    static ParameterBank Factory(const ControllerOptions& options);

    // Group 22 is another name of group 18.
    static bool IsValid(int group, int parameter) {
        return ParameterImage::IsValid(group, parameter);
    }
    // Outside the groups: 0 and no effect.
    float Get(int group, int parameter) const;
    void Set(int group, int parameter, float value);

    bool operator==(const ParameterBank& other) const { return cells_ == other.cells_; }

  private:
    std::array<std::array<float, kMaxCells>, kGroups> cells_{};
};

// The non-volatile memory in a text file: every parameter and the alarm history. Loading
// takes all of a file or nothing; saving replaces the file through a temporary one.
bool LoadState(const std::string& path, ParameterBank& bank, AlarmHistory& history,
               std::string& error);
bool SaveState(const std::string& path, const ParameterBank& bank, const AlarmHistory& history,
               std::string& error);

}  // namespace tavro::sim
