#pragma once

#include <vector>

#include "sim/ControllerOptions.h"

namespace tavro::test {

// A controller memory no page would have written: positions and times off every grid,
// reversed areas, gains with more decimals than the fields show, a load mass between the
// choices, a pushing speed other than 6, and a value in every servo constant (one with
// more decimals than a forced write keeps). The area range and trigger level are the same
// in every step, so that the I/O Setup page can show them. Fits strokes 10 to 50. A pulse
// controller's operation word is its pushing speed alone.
inline std::vector<sim::PresetParameter> OffGridMemory(bool pulse = false) {
    std::vector<sim::PresetParameter> m = {
        {0, 6, 2.0F},      {0, 8, 4.0F},    {0, 9, 5.0F},   {0, 11, 123.4F},  {0, 14, 3.0F},
        {0, 15, 3.0F},     {0, 16, 7.0F},   {0, 17, 1.0F},  {0, 18, 1.0F},    {0, 19, 2.25F},
        {0, 20, 64.0F},    {0, 21, 777.0F}, {0, 24, 1.05F}, {1, 13, 104.25F}, {1, 14, 0.0305F},
        {1, 15, 0.00615F}, {1, 17, 1.0F},
    };
    for (int p = 1; p <= 12; ++p) {
        m.push_back({1, p, p == 5 ? 12.34567F : 10.5F + 0.75F * static_cast<float>(p)});
    }
    for (int p = 0; p <= 11; ++p) {
        m.push_back({2, p, 20.25F + 1.5F * static_cast<float>(p)});
    }
    for (int k = 0; k < 15; ++k) {
        m.push_back({2, 12 + 3 * k, 150.25F + static_cast<float>(k)});
        m.push_back({2, 13 + 3 * k, 0.0405F});
        m.push_back({2, 14 + 3 * k, 0.00525F});
    }
    for (int n = 0; n < 15; ++n) {
        const int g = 3 + n;
        float word = n == 0 ? 32778.0F : (n % 2 == 0 ? 6.0F : 32774.0F);
        if (pulse) {
            word = n == 0 ? 10.0F : 7.0F;
        }
        const sim::PresetParameter step[] = {
            {g, 0, 3001.0F + static_cast<float>(n)},
            {g, 1, 1.005F},
            {g, 2, 21.0F},
            {g, 3, 1001.0F},
            {g, 4, 999.0F},
            {g, 5, word},
            {g, 6, 1.05F},
            {g, 7, 75.0F},
            {g, 9, 0.75F},
            {g, 10, 502.0F},
            {g, 11, 4012.0F},
            {g, 12, 1003.0F},
            {g, 13, 2505.0F},
            {g, 14, 707.0F},
            {g, 15, static_cast<float>(n % 4)},
        };
        m.insert(m.end(), std::begin(step), std::end(step));
    }
    return m;
}

}  // namespace tavro::test
