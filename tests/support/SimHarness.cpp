#include "tests/support/SimHarness.h"

#include "link/CComPort.h"

namespace tavro::test {

SimHarness::SimHarness(const sim::ControllerOptions& options) : bus(loop), ctx(loop, dir.Path()) {
    bus.AddController(options);
    ctx.openPort = sim::MakeSimPortOpener(loop, bus, kPortPath);
}

int SimHarness::OpenPort(int baud) {
    return CComPort(ctx).Open(kPortPath, baud);
}

}  // namespace tavro::test
