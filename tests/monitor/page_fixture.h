#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/StatusBlock.h"
#include "monitor/CPageDrv.h"
#include "shell/CMain.h"
#include "tests/support/AppHarness.h"
#include "tests/support/FakeForm.h"
#include "tests/support/LineLog.h"

namespace tavro::test {

inline constexpr int kIdSearchTemplate = 157;

// The whole program against one simulated controller in virtual time, connected, with the
// Monitor/Test tab shown. A test's body runs while the main window is up.
class DrivePageTest : public ::testing::Test {
  protected:
    using Script = std::function<void(FakeForm& page, CPageDrv& drive)>;

    explicit DrivePageTest(const sim::ControllerOptions& options = {}) : h({options}) {
        h.WriteSettings(AppSettings().Auto(1).SearchAuto(1));
        h.OnModal(kIdSearchTemplate, h.ConnectFirstFound());
    }

    void RunOnPage(const Script& script) {
        h.Run([&](FakeForm& main, CMain& window) {
            ASSERT_TRUE(h.RunUntil([&] {
                return (h.ctx.status.flags & kFlagUploadDone) != 0 &&
                       h.ctx.status.linkState == kLinkOnline;
            }));
            mainForm = &main;
            main.Choose(CMain::IDC_TABS, kPageDrive);
            ASSERT_EQ(window.ShownPage(), kPageDrive);
            h.Advance(1000);
            FakeForm& page = *h.Form(kTemplateDrivePage);
            script(page, *window.DrivePage());
        });
    }

    // Runs the loop until the link is idle again.
    bool Settle(std::int64_t limitMs = 60000) {
        return h.RunUntil([&] { return h.ctx.status.linkState != kLinkBusy; }, limitMs);
    }

    // A return to origin by the origin button, until the link reports it done.
    void Home(FakeForm& page) {
        ASSERT_TRUE(page.Click(CPageDrv::IDC_ORIGIN));
        ASSERT_TRUE(h.RunUntil([&] {
            return (h.ctx.status.flags & kFlagOriginDone) != 0 &&
                   h.ctx.status.linkState == kLinkOnline;
        }));
        h.Advance(300);
    }

    std::size_t Mark() const { return h.bus.Log().size(); }
    // Commands sent since the mark, the monitor poll left out.
    std::vector<std::string> CommandsSince(std::size_t mark) const {
        return CommandsSent(h.bus, mark);
    }
    // When a command went out since the mark; -1 when it did not.
    std::int64_t TimeOf(const std::string& command, std::size_t mark = 0) const {
        const std::vector<std::int64_t> times = TimesOf(h.bus, command, mark);
        return times.empty() ? -1 : times.front();
    }
    // The motion commands since the mark: the "OE" that set DRIVE on.
    std::vector<std::string> StartsSince(std::size_t mark) const {
        std::vector<std::string> out;
        for (const std::string& c : CommandsSince(mark)) {
            if (c.rfind("OE ", 0) == 0 && c.size() > 4 && c.substr(c.size() - 4) == " 1 1") {
                out.push_back(c);
            }
        }
        return out;
    }

    AppHarness h;
    FakeForm* mainForm = nullptr;
};

}  // namespace tavro::test
