#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/CTrxData.h"
#include "link/LinkEngine.h"
#include "tests/support/LineLog.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/SimHarness.h"

namespace tavro::test {

// The engine on an open port to the in-process simulator (controller 1, standard series,
// 20 mm, step data type), reporting to a recording host from the main window.
class SimLinkFixture : public ::testing::Test {
  protected:
    SimLinkFixture() {
        ctx.host = &host;
        EXPECT_EQ(sim.OpenPort(), 0);
        ctx.status.controllerId = 1;
        ctx.status.frontPhase = kFrontMain;
    }

    CTrxData trx() { return CTrxData(ctx); }

    // Requests on the line other than monitor polls, as "01 EE 0 0".
    std::vector<std::string> Commands() const {
        std::vector<std::string> out;
        for (const auto& r : bus.Log()) {
            if (r.direction == sim::Direction::kRequest && r.code != "MO") {
                out.push_back(r.text.substr(0, r.text.size() - 2));
            }
        }
        return out;
    }
    // When the requests with this command text ("EE 0 0") reached the controllers.
    std::vector<std::int64_t> TimesOf(const std::string& command) const {
        return test::TimesOf(bus, command);
    }
    std::size_t Polls() const { return bus.Requests("MO").size(); }

    SimHarness sim;
    LinkContext& ctx = sim.ctx;
    VirtualLoop& loop = sim.loop;
    sim::SimBus& bus = sim.bus;
    RecordingHost host{sim.ctx};
    LinkEngine engine{sim.ctx};
};

}  // namespace tavro::test
