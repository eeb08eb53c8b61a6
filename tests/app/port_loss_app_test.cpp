// The whole program headless when its adapter is pulled out in the middle of the initial
// upload: the disconnection message at once, offline without port, and the offer to
// reconnect when the same adapter is back, found by its by-id name.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "link/CTimer.h"
#include "link/StatusBlock.h"
#include "link/StringIds.h"
#include "shell/CMain.h"
#include "shell/ReconnectOffer.h"
#include "sim/InMemoryLine.h"
#include "tests/support/AppHarness.h"
#include "tests/support/FakeForm.h"

namespace tavro::test {
namespace {

namespace fs = std::filesystem;

constexpr int kIdSearch = 157;
constexpr const char* kById = "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";

struct Language1 {
    const char* name;
    Language language;
    const char* disconnected;
    const char* back;
    const char* title;
};

constexpr Language1 kLanguages[] = {
    {"English", Language::kEnglish, "The serial port was disconnected.\nPort: ttyUSB0",
     "The serial port ttyUSB0 is connected again.\nReconnect to the controller?",
     "<<Controller not connected>>"},
    {"Japanese", Language::kJapanese, "シリアルポートが切断されました。\nポート：ttyUSB0",
     "シリアルポート ttyUSB0 が再び接続されました。\nコントローラに再接続しますか？", ""},
};

// The simulator's port with a by-id name, the settings that open it and a search that
// connects to the first controller; the line has the byte timing of 19200 bit/s.
class UnpluggedWindow : public ::testing::TestWithParam<Language1> {
  protected:
    UnpluggedWindow() : h({{}}, GetParam().language) {
        fs::create_directories(h.dir.File("dev/serial/by-id"));
        Plug();
        h.WriteSettings(AppSettings().Auto(1).SearchAuto(1));
        h.OnModal(kIdSearch, h.ConnectFirstFound());
        h.bus.SetByteTiming(true);
    }

    void Plug() { fs::create_symlink("../../ttyUSB0", ById()); }
    void Unplug() {
        fs::remove(ById());
        auto* line = dynamic_cast<sim::InMemoryLine*>(h.ctx.port.transport.get());
        ASSERT_NE(line, nullptr);
        line->Unplug(EIO);
    }
    std::string ById() const { return h.dir.File(std::string("dev/serial/by-id/") + kById); }
    bool UploadDone() const {
        return (h.ctx.status.flags & kFlagUploadDone) != 0 && h.ctx.status.linkState == kLinkOnline;
    }
    int Asked(int id) const { return h.prompter.Count(id); }

    AppHarness h;
};

TEST_P(UnpluggedWindow, MidUploadShowsTheMessageAtOnceAndReconnectsWhenTheAdapterIsBack) {
    h.prompter.AnswerYes();  // the offer to reconnect
    h.Run([&](FakeForm& main, CMain&) {
        ASSERT_TRUE(h.RunUntil([&] { return h.bus.Requests("EE").size() >= 3; }, 5000));
        ASSERT_EQ(h.ctx.trx.currentOp, OP_UPLOAD_ALL);
        const std::string portName = h.ctx.status.portName;
        const std::int64_t lostAt = h.loop.NowMs();
        Unplug();
        ASSERT_TRUE(h.RunUntil([&] { return Asked(ids::IDS_PORT_DISCONNECTED) > 0; }, 100));
        EXPECT_EQ(h.loop.NowMs(), lostAt);
        EXPECT_EQ(h.prompter.Last()->text, GetParam().disconnected);
        EXPECT_EQ(h.ctx.status.linkState, kLinkNoPort);
        EXPECT_EQ(h.ctx.trx.currentOp, OP_IDLE);
        if (GetParam().title[0] != '\0') {
            EXPECT_NE(main.Title().find(GetParam().title), std::string::npos) << main.Title();
        }

        // While the adapter is away: nothing sent, no 306 after resends, no offer. (A request
        // still on the wire reaches the controller a few milliseconds later.)
        h.Advance(50);
        const std::size_t sent = h.bus.Requests().size();
        h.Advance(6000);
        EXPECT_EQ(h.bus.Requests().size(), sent);
        EXPECT_EQ(Asked(ids::IDS_NO_RESPONSE), 0);
        EXPECT_EQ(Asked(ids::IDS_PORT_BACK), 0);

        // Back in another socket under the same by-id name: asked once, and Yes reconnects
        // and finishes the upload that was cut short.
        Plug();
        ASSERT_TRUE(
            h.RunUntil([&] { return Asked(ids::IDS_PORT_BACK) > 0; }, 2 * ReconnectOffer::kScanMs));
        EXPECT_EQ(h.prompter.Last()->text, GetParam().back);
        ASSERT_TRUE(h.RunUntil([&] { return UploadDone(); }, 10000));
        EXPECT_GT(h.ctx.status.comPort, 0);
        EXPECT_EQ(h.ctx.status.portName, portName);
        h.Advance(5000);
        EXPECT_EQ(Asked(ids::IDS_PORT_BACK), 1);
        EXPECT_EQ(Asked(ids::IDS_PORT_DISCONNECTED), 1);
        EXPECT_TRUE(h.CloseMainWindow(main));
    });
}

TEST_P(UnpluggedWindow, NoLeavesTheToolOfflineAndIsNotAskedAgain) {
    h.prompter.AnswerNo();
    h.Run([&](FakeForm& main, CMain&) {
        ASSERT_TRUE(h.RunUntil([&] { return UploadDone(); }, 10000));
        CTimer(h.ctx).StartPoll();
        h.Advance(300);  // the idle poll runs; the loss comes between two polls
        Unplug();
        h.Advance(50);
        const std::size_t sent = h.bus.Requests().size();
        EXPECT_EQ(Asked(ids::IDS_PORT_DISCONNECTED), 1);
        Plug();
        ASSERT_TRUE(
            h.RunUntil([&] { return Asked(ids::IDS_PORT_BACK) > 0; }, 2 * ReconnectOffer::kScanMs));
        h.Advance(10 * ReconnectOffer::kScanMs);
        EXPECT_EQ(Asked(ids::IDS_PORT_BACK), 1);
        EXPECT_EQ(h.ctx.status.linkState, kLinkNoPort);
        EXPECT_EQ(h.ctx.status.comPort, 0);
        EXPECT_EQ(h.bus.Requests().size(), sent) << "nothing written, nothing reopened";
        EXPECT_TRUE(h.CloseMainWindow(main));
    });
}

INSTANTIATE_TEST_SUITE_P(App, UnpluggedWindow, ::testing::ValuesIn(kLanguages),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavro::test
