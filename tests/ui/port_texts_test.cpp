// What the COM selection and the open-failure message say about a port, in both languages.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <variant>
#include <vector>

#include "dialogs/common/PortCaption.h"
#include "link/PortMessages.h"
#include "tests/ui/Glossary.h"

namespace tavro::ui {
namespace {

struct DescriptionCase {
    const char* name;
    PortInfo port;
    const char* english;
    const char* japanese;
};

PortInfo Port(PortKind kind, const char* detail = "") {
    PortInfo p;
    p.path = "/dev/x";
    p.name = "x";
    p.kind = kind;
    p.detail = detail;
    p.isVirtual = kind == PortKind::kVirtual || kind == PortKind::kSimulated;
    return p;
}

PortInfo Usb(const char* vendor, const char* product, const char* manufacturer,
             const char* productName, const char* serial) {
    PortInfo p = Port(PortKind::kUsbSerial);
    p.usbVendor = vendor;
    p.usbProduct = product;
    p.manufacturer = manufacturer;
    p.product = productName;
    p.serial = serial;
    return p;
}

PortInfo Described() {
    PortInfo p = Usb("0403", "6001", "FTDI", "FT232R USB UART", "A50285BI");
    p.byId = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    p.latencyMs = 16;
    return p;
}

PortInfo ModemWithoutNames() {
    PortInfo p = Port(PortKind::kUsbModem);
    p.usbVendor = "2341";
    p.usbProduct = "0043";
    return p;
}

PortInfo FastTimer() {
    PortInfo p = Usb("0403", "6001", "FTDI", "", "");
    p.latencyMs = 1;
    return p;
}

const DescriptionCase kDescriptions[] = {
    {"Unknown", Port(PortKind::kOther), "", ""},
    {"Named", Usb("0403", "6001", "FTDI", "USB Serial Converter", ""),
     "USB Serial Converter \u2014 FTDI \u2014 0403:6001",
     "USB Serial Converter \u2014 FTDI \u2014 0403:6001"},
    {"OnBoard", Port(PortKind::kOnBoard), "Serial port", "シリアルポート"},
    {"UsbModem", Port(PortKind::kUsbModem), "USB modem", "USBモデム"},
    {"UsbModemWithIds", ModemWithoutNames(), "USB modem \u2014 2341:0043",
     "USBモデム \u2014 2341:0043"},
    {"Bluetooth", Port(PortKind::kBluetooth), "Bluetooth serial port", "Bluetoothシリアルポート"},
    {"UsbId", Usb("10c4", "ea60", "", "", ""), "USB serial 10c4:ea60", "USBシリアル 10c4:ea60"},
    {"UsbAdapterAtOneMillisecond", FastTimer(), "FTDI \u2014 0403:6001", "FTDI \u2014 0403:6001"},
    {"DescribedAdapter", Described(),
     "FT232R USB UART \u2014 FTDI \u2014 A50285BI \u2014 0403:6001 \u2014 "
     "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0 \u2014 latency 16 ms",
     "FT232R USB UART \u2014 FTDI \u2014 A50285BI \u2014 0403:6001 \u2014 "
     "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0 \u2014 レイテンシ 16 ms"},
    {"Simulated", Port(PortKind::kSimulated, "1, 3"), "Tavro simulated controller (IDs 1, 3)",
     "Tavro コントローラシミュレータ（ID 1, 3）"},
    {"VirtualWithItsOwnWords", Port(PortKind::kVirtual, "Bench line"), "Bench line", "Bench line"},
};

class PortDescriptionTest : public ::testing::TestWithParam<DescriptionCase> {};

TEST_P(PortDescriptionTest, FollowsTheLanguage) {
    const DescriptionCase& c = GetParam();
    EXPECT_EQ(PortDescription(c.port, StringTable(Language::kEnglish)), c.english);
    EXPECT_EQ(PortDescription(c.port, StringTable(Language::kJapanese)), c.japanese);
    const std::string caption = PortCaption(c.port, StringTable(Language::kJapanese));
    EXPECT_EQ(caption, std::string(c.japanese).empty() ? std::string("x")
                                                       : std::string("x \u2014 ") + c.japanese);
}

INSTANTIATE_TEST_SUITE_P(Ports, PortDescriptionTest, ::testing::ValuesIn(kDescriptions),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PortDescription, OneSimulatedControllerIsNamedInTheSingular) {
    EXPECT_EQ(PortDescription(Port(PortKind::kSimulated, "1"), StringTable(Language::kEnglish)),
              "Tavro simulated controller (ID 1)");
}

// --- why a port cannot be opened, as the window and the command-line tool word it ---

struct ReasonCase {
    const char* name;
    OpenError error;
    const char* english;
    const char* japanese;
};

OpenError Failed(OpenFailure kind, int error, const char* path) {
    OpenError e;
    e.kind = kind;
    e.error = error;
    e.path = path;
    e.baud = 12345;
    return e;
}

OpenError DeniedToAGroup() {
    OpenError e = Failed(OpenFailure::kPermissionDenied, 13, "/dev/ttyS0");
    e.group = "dialout";
    e.user = "kenji";
    return e;
}

OpenError HeldBy(const char* name, int pid, const char* vendor = "", const char* product = "") {
    OpenError e = Failed(OpenFailure::kBusy, 16, "/dev/ttyUSB0");
    e.holderName = name;
    e.holderPid = pid;
    e.usbVendor = vendor;
    e.usbProduct = product;
    return e;
}

const ReasonCase kReasons[] = {
    {"NoPortAtAll", Failed(OpenFailure::kNotFound, 0, ""), "No serial port is available.",
     "使用できるシリアルポートがありません。"},
    {"Missing", Failed(OpenFailure::kNotFound, 2, "/dev/ttyUSB0"),
     "The port /dev/ttyUSB0 does not exist.", "ポート /dev/ttyUSB0 が見つかりません。"},
    {"NotSerial", Failed(OpenFailure::kNotATerminal, 25, "/tmp/f"), "/tmp/f is not a serial port.",
     "/tmp/f はシリアルポートではありません。"},
    {"PermissionWithoutGroup", Failed(OpenFailure::kPermissionDenied, 13, "/dev/ttyS0"),
     "Permission to open /dev/ttyS0 was denied.\n"
     "Ask the administrator for access to this device.",
     "/dev/ttyS0 を開く権限がありません。\n"
     "このデバイスへのアクセス権を管理者に依頼してください。"},
    {"PermissionWithGroup", DeniedToAGroup(),
     "Permission to open /dev/ttyS0 was denied.\n"
     "The device belongs to the group \"dialout\". Add your user to that group with the "
     "following command, then log out and log in again:\n"
     "    sudo usermod -aG dialout kenji",
     "/dev/ttyS0 を開く権限がありません。\n"
     "このデバイスはグループ「dialout」に属しています。次のコマンドでユーザーをこのグループに"
     "追加し、ログアウトしてから再度ログインしてください。\n"
     "    sudo usermod -aG dialout kenji"},
    {"Busy", Failed(OpenFailure::kBusy, 16, "/dev/ttyS0"),
     "/dev/ttyS0 is in use by another program.\n"
     "Close the program that uses it, then try again.",
     "/dev/ttyS0 は他のプログラムが使用中です。\n"
     "使用しているプログラムを終了してから、もう一度お試しください。"},
    {"HeldByAProgram", HeldBy("minicom", 3000),
     "/dev/ttyUSB0 is in use by another program: minicom (process 3000).\n"
     "Close that program, then try again.",
     "/dev/ttyUSB0 は他のプログラム（minicom、プロセス 3000）が使用中です。\n"
     "そのプログラムを終了してから、もう一度お試しください。"},
    {"HeldByTheModemProber", HeldBy("ModemManager", 977, "0403", "6001"),
     "/dev/ttyUSB0 is in use by ModemManager (process 977), which probes new serial adapters.\n"
     "To keep it away from this adapter, add the following line to "
     "/etc/udev/rules.d/99-tavro.rules and plug the adapter in again:\n"
     "    ATTRS{idVendor}==\"0403\", ATTRS{idProduct}==\"6001\", "
     "ENV{ID_MM_DEVICE_IGNORE}=\"1\"\n"
     "To stop it for now: sudo systemctl stop ModemManager",
     "/dev/ttyUSB0 は ModemManager（プロセス 977）が使用中です。このプログラムは新しく接続された"
     "シリアルアダプタを自動で調べます。\n"
     "このアダプタを調べないようにするには、/etc/udev/rules.d/99-tavro.rules に次の行を追加"
     "してから、アダプタを挿し直してください。\n"
     "    ATTRS{idVendor}==\"0403\", ATTRS{idProduct}==\"6001\", "
     "ENV{ID_MM_DEVICE_IGNORE}=\"1\"\n"
     "一時的に停止するには：sudo systemctl stop ModemManager"},
    {"HeldByTheModemProberOnBoard", HeldBy("ModemManager", 977),
     "/dev/ttyUSB0 is in use by ModemManager (process 977), which probes serial ports.\n"
     "To stop it for now: sudo systemctl stop ModemManager",
     "/dev/ttyUSB0 は ModemManager（プロセス 977）が使用中です。このプログラムはシリアルポートを"
     "自動で調べます。\n"
     "一時的に停止するには：sudo systemctl stop ModemManager"},
    {"Speed", Failed(OpenFailure::kUnsupportedSpeed, 0, "/dev/ttyS0"),
     "The speed 12345 bit/s is not supported.", "通信速度 12345 bps には対応していません。"},
    {"Io", Failed(OpenFailure::kIo, 5, "/dev/ttyS0"), "/dev/ttyS0 could not be set up (EIO).",
     "/dev/ttyS0 を設定できませんでした（EIO）。"},
    {"Configuration", Failed(OpenFailure::kConfiguration, 22, "/dev/ttyS0"),
     "/dev/ttyS0 could not be set up (EINVAL).", "/dev/ttyS0 を設定できませんでした（EINVAL）。"},
};

// The message as a host shows it: the entry of the table with the message's arguments.
std::string Worded(const LinkMessage& m, Language language) {
    std::vector<FormatArg> args;
    for (const MessageArg& a : m.args) {
        std::visit([&](const auto& v) { args.emplace_back(v); }, a);
    }
    return FormatArgs(StringTable(language).Text(m.stringId), args);
}

class PortOpenReasonTest : public ::testing::TestWithParam<ReasonCase> {};

// The reason names the device and, in Japanese, no English but what the message quotes: the
// path, the program that holds the port, the command or rule to copy, the system's error name.
TEST_P(PortOpenReasonTest, FollowsTheLanguage) {
    const ReasonCase& c = GetParam();
    const LinkMessage m = OpenFailureMessage(c.error);
    ASSERT_NE(m.stringId, 0);
    EXPECT_EQ(Worded(m, Language::kEnglish), c.english);
    const std::string ja = Worded(m, Language::kJapanese);
    EXPECT_EQ(ja, c.japanese);
    // The longest first: a command that names the group goes before the group's name.
    std::vector<std::string> quoted;
    for (const MessageArg& a : m.args) {
        if (const auto* text = std::get_if<std::string>(&a)) {
            quoted.push_back(*text);
        }
    }
    std::sort(quoted.begin(), quoted.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    std::string words = ja;
    for (const std::string& q : quoted) {
        words = test::Without(words, q);
    }
    EXPECT_TRUE(test::ForeignWords(words, test::ProgramGlossary()).empty()) << ja;
}

INSTANTIATE_TEST_SUITE_P(Ports, PortOpenReasonTest, ::testing::ValuesIn(kReasons),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PortOpenReason, NothingForAPortThatOpened) {
    EXPECT_EQ(OpenFailureMessage(OpenError{}).stringId, 0);
}

}  // namespace
}  // namespace tavro::ui
