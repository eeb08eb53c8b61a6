#pragma once

#include <gtest/gtest.h>

#include <string>

#include "link/CTrxData.h"
#include "link/LinkEngine.h"
#include "link/LinkHost.h"
#include "link/Operations.h"
#include "params/CBinding.h"
#include "sim/ControllerOptions.h"
#include "tests/support/ScriptedFileChooser.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/SimHarness.h"
#include "ui/BindingHost.h"
#include "ui/StringTable.h"

namespace tavro::test {

// The main window's part around a page or dialog that a test runs without the program: the
// link to a simulated controller in virtual time, the texts, scripted message boxes and file
// dialogs, the binding engine, and the link's messages shown through the prompter. A test's
// harness adds the views and what the main window does with them.
class StandInMain : public BindingHost, public LinkHost {
  public:
    explicit StandInMain(const sim::ControllerOptions& options, Language language)
        : sim(options), strings(language) {
        ctx.host = this;
    }
    StandInMain(const StandInMain&) = delete;
    StandInMain& operator=(const StandInMain&) = delete;

    // Opens the port and connects to controller 1. The connection does not mark the link
    // busy, so it is given the time of its commands.
    void Connect() {
        ASSERT_EQ(sim.OpenPort(), 0);
        ctx.status.controllerId = 1;
        ctx.status.frontPhase = kFrontMain;
        CTrxData(ctx).Run(OP_CONNECT, 0, 0);
        sim.loop.Advance(1000);
    }

    // Runs an operation until the link is idle again.
    void Run(Op op, int param = 0) {
        CTrxData(ctx).Run(op, param, 0);
        Settle();
    }
    // Until the link is idle again, for 40 s at the most.
    void Settle() {
        for (int i = 0; i < 400 && ctx.status.linkState == kLinkBusy; ++i) {
            sim.loop.Advance(100);
        }
    }

    // --- LinkHost ---
    void RedisplayViews(int what, int copy) override { binding.RedisplayViews(what, copy); }
    void ShowMessage(int stringId, MessageIcon icon, bool topmost) override {
        prompter.Show(
            {stringId, std::string(strings.Text(stringId)),
             icon == MessageIcon::kInformation ? ui::Icon::kInformation : ui::Icon::kExclamation,
             ui::Buttons::kOk, topmost});
    }

    SimHarness sim;
    LinkContext& ctx = sim.ctx;
    LinkEngine engine{sim.ctx};
    StringTable strings;
    ScriptedPrompter prompter;
    ScriptedFileChooser chooser;
    CBinding binding{sim.ctx, *this};
};

}  // namespace tavro::test
