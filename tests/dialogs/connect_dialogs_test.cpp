#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "link/CIniRw.h"
#include "link/StatusBlock.h"
#include "shell/CMain.h"
#include "tests/support/AppHarness.h"
#include "tests/support/FakeForm.h"
#include "ui/Keys.h"

namespace tavro::test {
namespace {

constexpr int kComSelect = 200;
constexpr int kIdSearch = 157;
constexpr int kTypeDialog = 214;
constexpr int IDS_CANNOT_OPEN_PORT = 231;
constexpr int IDS_NO_CONTROLLER = 261;
constexpr int IDS_ASK_OFFLINE = 262;

// Controls of the search dialog.
constexpr ui::ControlId kFirst = 1146;
constexpr ui::ControlId kLast = 1148;
constexpr ui::ControlId kStart = 3;
constexpr ui::ControlId kFound = 1143;
constexpr ui::ControlId kConnect = 1150;
constexpr ui::ControlId kProgress = 1151;
constexpr ui::ControlId kChecked = 1152;
constexpr ui::ControlId kChooseNote = 1156;
constexpr ui::ControlId kQuick = 1155;
constexpr ui::ControlId kCancel = 2;

std::vector<std::string> Items(const FakeForm& form, ui::ControlId id) {
    std::vector<std::string> items;
    for (int i = 0; i < form.ItemCount(id); ++i) {
        items.push_back(form.ItemText(id, i));
    }
    return items;
}

sim::ControllerOptions WithId(int id) {
    sim::ControllerOptions options;
    options.id = id;
    return options;
}

std::size_t Probes(const AppHarness& h, int id) {
    return h.bus.Requests("VE", id).size();
}

std::string SettingsText(AppHarness& h) {
    std::ifstream in(CIniRw(h.ctx).SettingsPath(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// --- COM selection ---

TEST(ComSelection, ListsThePortsAndSelectsTheRememberedOneAndSpeed) {
    AppHarness h;
    h.AddDeadPort("ttyS1");
    h.WriteSettings(AppSettings().Speed(38400));
    h.OnModal(kComSelect, [&](FakeForm& form) {
        EXPECT_EQ(form.Title(), "Select the COM port No. and communication speed.");
        EXPECT_EQ(form.Text(1201), "COM port number");
        EXPECT_EQ(form.Text(1202), "Communication speed");
        EXPECT_EQ(form.Text(1003), "Next");
        EXPECT_EQ(form.Text(2), "Cancel");
        EXPECT_EQ(Items(form, 1200),
                  (std::vector<std::string>{"ttyS1 \u2014 Serial port", "ttyUSB0"}));
        EXPECT_EQ(form.CurrentItem(1200), 1);
        EXPECT_EQ(form.Text(1203), "38400");
        EXPECT_EQ(h.ctx.status.frontPhase, kFrontComSelect);
        form.Click(2);
    });
    h.Run();
}

// An FTDI adapter as sysfs describes it, with a by-id name and a 16 ms latency timer.
void AddFtdiAdapter(AppHarness& h) {
    namespace fs = std::filesystem;
    const std::string usb = h.dir.File("devices/usb1/1-1");
    fs::create_directories(usb + "/1-1:1.0/ttyUSB1");
    h.dir.Write("devices/usb1/1-1/idVendor", "0403\n");
    h.dir.Write("devices/usb1/1-1/idProduct", "6001\n");
    h.dir.Write("devices/usb1/1-1/manufacturer", "FTDI\n");
    h.dir.Write("devices/usb1/1-1/product", "FT232R USB UART\n");
    h.dir.Write("devices/usb1/1-1/serial", "A50285BI\n");
    h.dir.Write("devices/usb1/1-1/1-1:1.0/ttyUSB1/latency_timer", "16\n");
    fs::create_directories(h.dir.File("sys/ttyUSB1"));
    fs::create_directory_symlink(usb + "/1-1:1.0/ttyUSB1", h.dir.File("sys/ttyUSB1/device"));
    h.dir.Write("dev/ttyUSB1", "");
    fs::create_directories(h.dir.File("dev/serial/by-id"));
    fs::create_symlink("../../ttyUSB1",
                       h.dir.File("dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"));
}

struct DescribedCase {
    const char* name;
    Language language;
    const char* onBoard;
    const char* adapter;
    const char* note;
};

constexpr DescribedCase kDescribedCases[] = {
    {"English", Language::kEnglish, "ttyS1 \u2014 Serial port",
     "ttyUSB1 \u2014 FT232R USB UART \u2014 FTDI \u2014 A50285BI \u2014 0403:6001 \u2014 "
     "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0 \u2014 latency 16 ms",
     "ttyUSB1 holds received bytes for up to 16 ms. To lower it to 1 ms:"},
    {"Japanese", Language::kJapanese, "ttyS1 \u2014 シリアルポート",
     "ttyUSB1 \u2014 FT232R USB UART \u2014 FTDI \u2014 A50285BI \u2014 0403:6001 \u2014 "
     "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0 \u2014 レイテンシ 16 ms",
     "ttyUSB1 は受信データを最大 16 ms 保持します。1 ms "
     "に下げるには、次のコマンドを実行してください："},
};

class DescribedPorts : public ::testing::TestWithParam<DescribedCase> {};

// The list says what each adapter is; choosing one that holds bytes back shows how to lower
// its latency, as a command to copy; the others hide that line.
TEST_P(DescribedPorts, AdapterIsDescribedAndItsLatencyNoteFollowsTheSelection) {
    const DescribedCase& c = GetParam();
    AppHarness h({{}}, c.language);
    h.AddDeadPort("ttyS1");
    AddFtdiAdapter(h);
    h.WriteSettings(AppSettings().Port(
        h.dir.File("dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0")));
    h.OnModal(kComSelect, [&](FakeForm& form) {
        EXPECT_EQ(Items(form, 1200), (std::vector<std::string>{c.onBoard, "ttyUSB0", c.adapter}));
        EXPECT_EQ(form.CurrentItem(1200), 2) << "the remembered by-id name finds the adapter";
        EXPECT_TRUE(form.IsVisible(1204));
        EXPECT_EQ(form.Text(1204), c.note);
        EXPECT_TRUE(form.IsVisible(1205));
        EXPECT_EQ(form.Text(1205),
                  "echo 1 | sudo tee " + h.dir.File("sys/ttyUSB1/device/latency_timer"));
        form.Choose(1200, 1);
        EXPECT_FALSE(form.IsVisible(1204));
        EXPECT_FALSE(form.IsVisible(1205));
        form.Choose(1200, 0);
        EXPECT_FALSE(form.IsVisible(1204));
        form.Click(2);
    });
    h.Run();
    EXPECT_EQ(h.dir.Read("devices/usb1/1-1/1-1:1.0/ttyUSB1/latency_timer"), "16\n")
        << "showing the list changes nothing";
}

INSTANTIATE_TEST_SUITE_P(ComSelection, DescribedPorts, ::testing::ValuesIn(kDescribedCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ComSelection, RememberedPortOrSpeedNotOfferedLeavesTheListWithoutSelection) {
    AppHarness h;
    h.WriteSettings(AppSettings().Port("/dev/ttyGone7").Speed(4800));
    h.OnModal(kComSelect, [&](FakeForm& form) {
        EXPECT_EQ(form.CurrentItem(1200), -1);
        EXPECT_EQ(form.CurrentItem(1203), -1);
        form.Click(2);
    });
    h.Run();
}

TEST(ComSelection, NextOpensTheChosenPortAtTheChosenSpeed) {
    AppHarness h;
    const std::string other = h.AddDeadPort("ttyS1");
    h.WriteSettings(AppSettings().Port(other));
    std::string speedLine;
    h.OnModal(kComSelect, h.ChoosePort(h.SimPortPath(), 9600));
    h.OnModal(kIdSearch, [&](FakeForm& form) {
        speedLine = form.Text(1013);
        h.prompter.AnswerYes();
        form.Click(kCancel);
    });
    h.OnModal(kTypeDialog, h.ChooseType(false));
    h.Run();
    EXPECT_EQ(speedLine, "Communication speed for connection: 9600bps");
    EXPECT_EQ(h.ctx.status.baudRate, 9600);
    CIniRw ini(h.ctx);
    EXPECT_EQ(ini.GetPortPath(), h.SimPortPath());
    EXPECT_EQ(ini.GetBaudRate(), 9600);
    EXPECT_EQ(ini.GetAuto(), 1);
}

TEST(ComSelection, WithoutAnyPortNextLeadsToTheOpenFailureMessage) {
    AppHarness h;
    std::filesystem::remove_all(h.dir.File("sys/" + std::string(AppHarness::kSimPortName)));
    h.WriteSettings(AppSettings());
    h.OnModal(kComSelect, [&](FakeForm& form) {
        EXPECT_EQ(Items(form, 1200), std::vector<std::string>{"Not Available"});
        form.Choose(1200, 0);
        form.Click(1003);
    });
    h.OnModal(kTypeDialog, h.ChooseType(false));
    h.Run([&](FakeForm&, CMain&) { EXPECT_EQ(h.ctx.status.linkState, kLinkNoPort); });
    ASSERT_EQ(h.prompter.ShownIds(), std::vector<int>{IDS_CANNOT_OPEN_PORT});
    EXPECT_EQ(h.prompter.Shown()[0].text,
              "Cannot open COM port.\nPlease start the software offline.\n\n"
              "No serial port is available.");
}

// The reason comes from the table of the user's language, not as English after a Japanese
// message.
TEST(ComSelection, TheReasonAPortCannotBeOpenedIsInTheUsersLanguage) {
    AppHarness h({{}}, Language::kJapanese);
    const std::string dead = h.AddDeadPort("ttyS1");
    h.WriteSettings(AppSettings());
    h.OnModal(kComSelect, h.ChoosePort(dead));
    h.OnModal(kTypeDialog, h.ChooseType(false));
    h.Run([&](FakeForm&, CMain&) { EXPECT_EQ(h.ctx.status.linkState, kLinkNoPort); });
    ASSERT_EQ(h.prompter.ShownIds(), std::vector<int>{IDS_CANNOT_OPEN_PORT});
    EXPECT_EQ(h.prompter.Shown()[0].text, std::string(h.strings.Text(IDS_CANNOT_OPEN_PORT)) +
                                              "\n\nポート " + dead + " が見つかりません。");
}

// --- controller search ---

// A program whose stored port opens; the test plays the search dialog.
class SearchTest : public ::testing::Test {
  protected:
    explicit SearchTest(std::vector<sim::ControllerOptions> controllers = {WithId(1)})
        : h(std::move(controllers)) {
        h.OnModalIfShown(kTypeDialog, h.ChooseType(false));  // after a search given up
    }

    void Search(const AppSettings& settings, const AppHarness::Player& player) {
        h.WriteSettings(settings);
        h.OnModal(kIdSearch, player);
        h.Run();
    }

    AppHarness h;
};

TEST_F(SearchTest, RangeIsClampedOnLeavingTheFieldsAndSwappedWhenTheSearchStarts) {
    Search(AppSettings().Auto(1), [&](FakeForm& form) {
        form.TypeAndLeave(kFirst, "300", kLast);
        form.TypeAndLeave(kLast, "0", kStart);
        EXPECT_EQ(form.Text(kFirst), "255");
        EXPECT_EQ(form.Text(kLast), "1");
        form.Click(kStart);
        EXPECT_EQ(form.Text(kFirst), "1");
        EXPECT_EQ(form.Text(kLast), "255");
        EXPECT_EQ(form.Text(kChecked), "ID 0/255 Checked");
        h.loop.RunDue();
        EXPECT_EQ(Probes(h, 1), 1U);
        ASSERT_TRUE(h.RunUntil([&] { return Probes(h, 2) == 1; }));
        h.prompter.AnswerYes();
        form.Click(kCancel);  // stops the search
        form.Click(kCancel);  // and asks
    });
    EXPECT_EQ(CIniRw(h.ctx).GetSlvRange(), 1 * 256 + 1);  // only Connect stores the range
}

class TwoControllersSearchTest : public SearchTest {
  protected:
    TwoControllersSearchTest() : SearchTest({WithId(1), WithId(3)}) {}
};

TEST_F(TwoControllersSearchTest, AutomaticSearchListsTheIdsAndConnectStoresTheRange) {
    Search(AppSettings().Auto(1).SearchAuto(1).Range(1, 3), [&](FakeForm& form) {
        EXPECT_FALSE(form.IsEnabled(kStart));
        EXPECT_EQ(form.Text(kStart), "Searching");
        EXPECT_FALSE(form.IsEnabled(4));
        h.loop.RunDue();
        EXPECT_EQ(Probes(h, 1), 1U);

        ASSERT_TRUE(h.RunUntil([&] { return form.IsEnabled(kConnect); }));
        EXPECT_EQ(Items(form, kFound),
                  (std::vector<std::string>{"1 (Factory default value)", "3"}));
        EXPECT_EQ(form.CurrentItem(kFound), 0);
        EXPECT_FALSE(form.IsVisible(kChecked));
        EXPECT_TRUE(form.IsVisible(kChooseNote));
        EXPECT_EQ(form.Text(kStart), "Start Search");

        form.Choose(kFound, 1);
        form.Click(kConnect);
        EXPECT_FALSE(form.IsEnabled(kStart));  // connecting
        ASSERT_TRUE(h.RunUntil([&] { return form.Ended(); }));
        EXPECT_EQ(form.Result(), 1);
    });
    EXPECT_EQ(h.ctx.status.controllerId, 3);
    CIniRw ini(h.ctx);
    EXPECT_EQ(ini.GetSlvAuto(), 1);
    EXPECT_EQ(ini.GetSlvRange(), 1 * 256 + 3);
}

TEST_F(SearchTest, ProgressMovesByOneQuarterPerReplyTimeOut) {
    Search(AppSettings().Auto(1).SearchAuto(1).Range(1, 2), [&](FakeForm& form) {
        h.loop.RunDue();
        // ID 1 has answered, ID 2 is being asked.
        EXPECT_EQ(form.Control(kProgress).range, (ui::Range{0, 8}));
        EXPECT_EQ(form.Position(kProgress), 4);
        EXPECT_EQ(form.Text(kChecked), "ID 1/2 Checked");
        for (int quarter = 5; quarter <= 7; ++quarter) {
            h.Advance(1000);
            EXPECT_EQ(form.Position(kProgress), quarter);
        }
        h.Advance(1000);
        EXPECT_TRUE(form.IsEnabled(kConnect));
        EXPECT_EQ(Items(form, kFound), std::vector<std::string>{"1 (Factory default value)"});
        h.ConnectFirstFound()(form);
    });
}

TEST_F(SearchTest, CancelDuringTheSearchStopsItWithoutAsking) {
    Search(AppSettings().Auto(1).SearchAuto(1).Range(1, 20), [&](FakeForm& form) {
        h.Advance(2500);
        form.Click(kCancel);
        EXPECT_TRUE(h.prompter.Shown().empty());
        EXPECT_FALSE(form.Ended());
        EXPECT_TRUE(form.IsEnabled(kStart));
        EXPECT_EQ(form.Text(kStart), "Start Search");
        EXPECT_TRUE(form.IsEnabled(kFirst));
        EXPECT_FALSE(form.IsEnabled(kFound));
        EXPECT_FALSE(form.IsVisible(kChecked));
        EXPECT_EQ(form.Position(kProgress), 0);
        const std::size_t probes = h.bus.Requests("VE").size();
        h.Advance(10000);
        EXPECT_EQ(h.bus.Requests("VE").size(), probes);

        h.prompter.AnswerNo();
        form.Click(kCancel);
        EXPECT_EQ(h.prompter.ShownIds(), std::vector<int>{IDS_ASK_OFFLINE});
        EXPECT_FALSE(form.Ended());

        h.prompter.AnswerYes();
        form.PressKey(ui::key::kEscape);
        EXPECT_TRUE(form.Ended());
        EXPECT_EQ(form.Result(), 2);
    });
    EXPECT_EQ(h.ctx.status.linkState, kLinkNoController);
}

TEST_F(SearchTest, NothingFoundSwitchesAutomaticConnectionOff) {
    Search(AppSettings().Auto(1).SearchAuto(1).Range(2, 2), [&](FakeForm& form) {
        ASSERT_TRUE(h.RunUntil([&] { return h.prompter.WasShown(IDS_NO_CONTROLLER); }));
        EXPECT_FALSE(form.IsEnabled(kFound));
        EXPECT_FALSE(form.IsEnabled(kConnect));
        EXPECT_TRUE(form.IsEnabled(kStart));
        EXPECT_EQ(CIniRw(h.ctx).GetAuto(), 0);
        h.prompter.AnswerYes();
        form.Click(kCancel);
    });
}

TEST_F(SearchTest, EnterNeitherConnectsNorCloses) {
    Search(AppSettings().Auto(1).SearchAuto(1), [&](FakeForm& form) {
        ASSERT_TRUE(h.RunUntil([&] { return form.IsEnabled(kConnect); }));
        form.Focus(kConnect);
        EXPECT_TRUE(form.PressKey(ui::key::kReturn));
        h.Advance(100);
        EXPECT_FALSE(form.Ended());
        EXPECT_EQ(h.ctx.status.controllerId, 0);
        h.ConnectFirstFound()(form);
    });
}

// --- quick search ---

TEST_F(TwoControllersSearchTest, QuickSearchBoxIsOffUnlessChosenAndConnectWritesNoValueForIt) {
    Search(AppSettings().Auto(1).SearchAuto(1).Range(1, 3), [&](FakeForm& form) {
        EXPECT_EQ(form.Text(kQuick), "Quick search");
        EXPECT_FALSE(form.IsChecked(kQuick));
        EXPECT_FALSE(form.IsEnabled(kQuick));  // searching
        ASSERT_TRUE(h.RunUntil([&] { return form.IsEnabled(kConnect); }));
        EXPECT_TRUE(form.IsEnabled(kQuick));
        EXPECT_EQ(Probes(h, 2), 4U);  // the ordinary search
        h.ConnectFirstFound()(form);
    });
    EXPECT_EQ(SettingsText(h).find("SLV_QUICK"), std::string::npos);
}

TEST_F(TwoControllersSearchTest, ChosenQuickSearchAsksEachIdOnceAndConnectRemembersTheChoice) {
    Search(AppSettings().Auto(1).Range(1, 5), [&](FakeForm& form) {
        EXPECT_TRUE(form.Click(kQuick));
        EXPECT_TRUE(form.IsChecked(kQuick));
        form.Click(kStart);
        EXPECT_FALSE(form.IsEnabled(kQuick));
        const std::int64_t started = h.loop.NowMs();
        ASSERT_TRUE(h.RunUntil([&] { return form.IsEnabled(kConnect); }));
        EXPECT_LT(h.loop.NowMs() - started, 1000);
        EXPECT_EQ(Items(form, kFound),
                  (std::vector<std::string>{"1 (Factory default value)", "3"}));
        for (int id : {2, 4, 5}) {
            EXPECT_EQ(Probes(h, id), 2U) << id;  // once in each pass
        }
        EXPECT_EQ(Probes(h, 3), 2U);  // probe and confirmation
        h.ConnectFirstFound()(form);
    });
    EXPECT_EQ(CIniRw(h.ctx).GetSlvQuick(), 1);
}

TEST_F(SearchTest, RememberedQuickSearchIsUsedByTheAutomaticSearchAndKeptUntilUnchecked) {
    h.WriteSettings(AppSettings().Auto(1).SearchAuto(1).Range(1, 2));
    CIniRw(h.ctx).SetSlvQuick(1);
    const std::string before = SettingsText(h);
    h.OnModal(kIdSearch, [&](FakeForm& form) {
        EXPECT_TRUE(form.IsChecked(kQuick));
        ASSERT_TRUE(h.RunUntil([&] { return form.IsEnabled(kConnect); }));
        EXPECT_EQ(Probes(h, 2), 2U);
        h.ConnectFirstFound()(form);
    });
    h.Run();
    // Showing the box and connecting with it as it was changes nothing in the file.
    EXPECT_EQ(SettingsText(h), before);
}

TEST_F(SearchTest, UncheckingARememberedQuickSearchIsWrittenOnConnect) {
    CIniRw(h.ctx).SetSlvQuick(1);
    Search(AppSettings().Auto(1).Range(1, 1), [&](FakeForm& form) {
        EXPECT_TRUE(form.Click(kQuick));
        EXPECT_FALSE(form.IsChecked(kQuick));
        form.Click(kStart);
        ASSERT_TRUE(h.RunUntil([&] { return form.IsEnabled(kConnect); }));
        EXPECT_EQ(Probes(h, 1), 1U);  // the ordinary search
        h.ConnectFirstFound()(form);
    });
    EXPECT_EQ(CIniRw(h.ctx).GetSlvQuick(), 0);
}

}  // namespace
}  // namespace tavro::test
