#pragma once

#include <string>

#include "link/LinkContext.h"
#include "link/VirtualLoop.h"
#include "sim/ControllerOptions.h"
#include "sim/InMemoryLine.h"
#include "sim/SimBus.h"
#include "sim/SimController.h"
#include "tests/support/TempDir.h"

namespace tavro::test {

// A fresh link in virtual time with a simulated controller behind its port: the loop, a
// settings folder, a bus with one controller (ID 1 unless the options say otherwise) and a
// context whose openPort reaches that bus at kPortPath.
class SimHarness {
  public:
    static constexpr const char* kPortPath = sim::kSimPortPath;

    explicit SimHarness(const sim::ControllerOptions& options = {});
    virtual ~SimHarness() = default;
    SimHarness(const SimHarness&) = delete;
    SimHarness& operator=(const SimHarness&) = delete;

    // CComPort(ctx).Open(kPortPath, baud): 0 on success.
    int OpenPort(int baud = 19200);

    sim::SimController& Controller() { return bus.ControllerAt(0); }
    // Another controller on the same line.
    sim::SimController& AddController(const sim::ControllerOptions& options) {
        return bus.AddController(options);
    }

    // Destroyed in reverse: the context (and its port) first, the loop last.
    VirtualLoop loop;
    TempDir dir;
    sim::SimBus bus;
    LinkContext ctx;
};

}  // namespace tavro::test
