#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "link/VirtualLoop.h"
#include "sim/SimController.h"

namespace tavro::sim::test {

// One controller in virtual time, driven with command texts as the bus hands them over.
class ControllerFixture : public ::testing::Test {
  protected:
    explicit ControllerFixture(ControllerOptions options = {}) : c(loop, std::move(options)) {}

    // Runs a command that must be accepted and returns its data.
    std::string Do(const std::string& command) {
        const Answer a = c.Execute(command);
        EXPECT_TRUE(a.ok) << command;
        return a.data;
    }

    // Test mode, servo on, return to origin run to its end: the table stands at 0.
    void Home() {
        Do("MD 1");
        Do("OE 0 1 0");
        Do("OE 0 1 1");
        loop.RunUntil([this] { return c.OriginDone(); }, 10000);
        ASSERT_TRUE(c.OriginDone());
        Do("OE 0 1 0");
    }

    // Starts step `s` as the tool does: select with DRIVE off, then DRIVE on.
    void Drive(int s) {
        Do("OE " + std::to_string(s) + " 1 0");
        Do("OE " + std::to_string(s) + " 1 1");
    }

    void Set(int g, int p, double v) {
        char text[64];
        std::snprintf(text, sizeof text, "EE %d %d %.5f", g, p, v);
        Do(text);
    }

    std::uint16_t Word() const { return c.StatusWord(); }

    VirtualLoop loop;
    SimController c;
};

// The tool's position conversion of the values block: ((scale / 100000) × 1000) ×
// (1000000 − raw) in single precision, truncated toward zero; 0xFFFF stays as it is.
inline std::int64_t DecodePosition(std::uint32_t raw, int scale) {
    if (raw == 0xFFFF) {
        return 65535;
    }
    const float perCount = (static_cast<float>(scale) / 100000.0F) * 1000.0F;
    const float v = perCount * static_cast<float>(1000000 - static_cast<std::int64_t>(raw));
    return static_cast<std::int64_t>(v);
}

inline std::uint32_t HexField(const std::string& text, std::size_t pos, std::size_t len) {
    return static_cast<std::uint32_t>(std::strtoul(text.substr(pos, len).c_str(), nullptr, 16));
}

}  // namespace tavro::sim::test
