#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "product/Product.h"

namespace tavro::sim {

// Series codes of parameter 0/1.
inline constexpr int kSeriesF = product::Code(product::Series::kF);
inline constexpr int kSeriesStandard = product::Code(product::Series::kStandard);
inline constexpr int kSeriesM = product::Code(product::Series::kM);

// Control-signal types of parameter 0/12.
inline constexpr int kTypeUnset = 0;
inline constexpr int kTypeStepData = 1;
inline constexpr int kTypePulse = 2;

// A parameter a controller holds from the start in place of its factory value.
struct PresetParameter {
    int group = 0;
    int parameter = 0;
    float value = 0.0F;
};

// What one simulated controller is at power-on. The factory defaults that "ED" restores
// follow from the actuator fields (series, stroke, control type); the ID then becomes 1 and
// the line speed 19200 bit/s. A state file that holds stored parameters wins over the
// parameter fields here (id, series, stroke, controlType, baud, minDelayMs).
struct ControllerOptions {
    int id = 1;                    // 1..255
    std::string version = "2.60";  // the "VE" reply, decimal text
    bool knowsVersion = true;      // false: a foreign controller that answers "VE" with code "NG"
    int series = kSeriesStandard;  // 1 F, 2 standard, 3 M
    int stroke = 20;               // mm: 10, 20, 30 or 50
    int controlType = kTypeStepData;
    std::string stateFile;          // non-volatile memory across restarts; empty: none
    int baud = 19200;               // line speed (0/22): 2400, 9600, 19200, 38400 or 57600
    double minDelayMs = 1.0;        // minimum communication delay (0/24), 0.1..10.2 ms
    double startPositionMm = -1.0;  // table position at power-on; negative: mid-stroke
    double workpieceMm = -1.0;      // where a pushing step meets a work piece; negative: none
    // Held in both memories at power-on, as if written and stored; a state file wins, "ED"
    // forgets them. Values no page would enter (off the grid, reversed areas) are welcome.
    std::vector<PresetParameter> presets;
    // Where a step really arrives: evenly within ±scatterUm of its target, from a sequence that
    // starts at scatterDraws, so a test knows the spread and a run can be repeated.
    double scatterUm = 0.0;
    std::uint64_t scatterDraws = 1;
};

}  // namespace tavro::sim
