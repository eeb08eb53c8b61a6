#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "link/CEepData.h"
#include "link/StatusBlock.h"
#include "shell/CMain.h"
#include "tests/support/AppHarness.h"
#include "tests/support/FakeForm.h"
#include "tests/support/LineLog.h"

namespace tavro::test {

inline constexpr int kIdSearchTemplate = 157;
inline constexpr int kPasswordTemplate = 203;

// The parameter writes ("EE g p v") that reached the controller since the log was cleared.
inline std::vector<std::string> ParameterWrites(const AppHarness& h) {
    std::vector<std::string> writes;
    for (const sim::LineRecord& r : h.bus.Requests("EE")) {
        if (std::count(r.command.begin(), r.command.end(), ' ') == 3) {
            writes.push_back(r.command);
        }
    }
    return writes;
}

// Requests other than the monitor poll since the log was cleared.
inline std::vector<std::string> CommandsSent(const AppHarness& h) {
    return CommandsSent(h.bus);
}

// The whole program connected to one simulated controller; a test plays the user on the
// pages once the initial upload is done.
class ConnectedProgramTest : public ::testing::Test {
  protected:
    explicit ConnectedProgramTest(sim::ControllerOptions options = {}) : h({options}) {
        h.WriteSettings(AppSettings().Auto(1).SearchAuto(1));
        h.OnModal(kIdSearchTemplate, h.ConnectFirstFound());
    }

    // `script` runs once the initial upload is done, with the log of the line cleared.
    void RunConnected(const std::function<void(FakeForm& main, CMain& window)>& script) {
        h.Run([&](FakeForm& main, CMain& window) {
            ASSERT_TRUE(h.RunUntil([&] { return (h.ctx.status.flags & kFlagUploadDone) != 0; }));
            ASSERT_TRUE(Settle());
            h.bus.ClearLog();
            h.prompter.Clear();
            script(main, window);
        });
    }

    // Until the link is idle again.
    bool Settle() {
        return h.RunUntil([&] { return h.ctx.status.linkState != kLinkBusy; });
    }

    sim::SimController& Controller() { return h.bus.ControllerAt(0); }
    float Edit(int group, int parameter) {
        return CEepData(h.ctx).GetCell(group, parameter, ParameterImage::kEditCopy);
    }

    AppHarness h;
};

}  // namespace tavro::test
