#pragma once

#include <array>
#include <cstdint>

namespace tavro {

// PID gain defaults in the layout of "PID.ini": 15 arrays of 72 entries, each entry addressed
// by model, purpose (0 return to origin, 1 step-data operation), stroke index and orientation.
struct PidDefaults {
    static constexpr int kEntries = 72;
    static constexpr int kSection1Params = 6;  // decimal numbers 0..65535
    static constexpr int kSection2Params = 6;  // whole numbers -32767..32767
    static constexpr int kSection3Params = 3;  // Kp, Ti, Td, decimal numbers 0..65535
    static constexpr int kLinesPerParam = 6;
    static constexpr int kValuesPerLine = 12;
    static constexpr int kModels = 3;
    static constexpr int kStrokeIndices = 6;

    static constexpr int Index(int model, int purpose, int strokeIndex, int orientation) {
        return model * 24 + purpose * 12 + strokeIndex * 2 + orientation;
    }

    std::array<std::array<float, kEntries>, kSection1Params> section1{};
    std::array<std::array<std::int32_t, kEntries>, kSection2Params> section2{};
    std::array<std::array<float, kEntries>, kSection3Params> section3{};
};

}  // namespace tavro
