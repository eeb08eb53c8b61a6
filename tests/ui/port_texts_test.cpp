#include <gtest/gtest.h>

#include <array>
#include <string>

#include "tests/ui/Glossary.h"
#include "ui/PortTexts.h"

namespace tavro::ui {
namespace {

struct DescriptionCase {
    const char* name;
    PortKind kind;
    const char* detail;
    const char* english;
    const char* japanese;
};

constexpr std::array<DescriptionCase, 7> kDescriptions = {{
    {"Unknown", PortKind::kUnknown, "", "", ""},
    {"Named", PortKind::kNamed, "FTDI USB Serial Converter", "FTDI USB Serial Converter",
     "FTDI USB Serial Converter"},
    {"OnBoard", PortKind::kOnBoard, "", "Serial port", "シリアルポート"},
    {"UsbModem", PortKind::kUsbModem, "", "USB modem", "USBモデム"},
    {"Bluetooth", PortKind::kBluetooth, "", "Bluetooth serial port", "Bluetoothシリアルポート"},
    {"UsbId", PortKind::kUsbId, "10c4:ea60", "USB serial 10c4:ea60", "USBシリアル 10c4:ea60"},
    {"Simulated", PortKind::kSimulated, "1, 3", "Tavro simulated controller (IDs 1, 3)",
     "Tavro コントローラシミュレータ（ID 1, 3）"},
}};

class PortDescriptionTest : public ::testing::TestWithParam<DescriptionCase> {};

TEST_P(PortDescriptionTest, FollowsTheLanguage) {
    const DescriptionCase& c = GetParam();
    const PortInfo port{"/dev/x", "x", c.kind, c.detail, false};
    EXPECT_EQ(PortDescription(port, StringTable(Language::kEnglish)), c.english);
    EXPECT_EQ(PortDescription(port, StringTable(Language::kJapanese)), c.japanese);
}

INSTANTIATE_TEST_SUITE_P(Ports, PortDescriptionTest, ::testing::ValuesIn(kDescriptions),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PortDescription, OneSimulatedControllerIsNamedInTheSingular) {
    const PortInfo port{"/dev/pts/4", "pts/4", PortKind::kSimulated, "1", true};
    EXPECT_EQ(PortDescription(port, StringTable(Language::kEnglish)),
              "Tavro simulated controller (ID 1)");
}

struct ReasonCase {
    const char* name;
    OpenFailure kind;
    int error;
    const char* path;
    const char* english;
    const char* japanese;
};

constexpr std::array<ReasonCase, 8> kReasons = {{
    {"NoPortAtAll", OpenFailure::kNotFound, 0, "", "No serial port is available.",
     "使用できるシリアルポートがありません。"},
    {"Missing", OpenFailure::kNotFound, 2, "/dev/ttyUSB0", "/dev/ttyUSB0 does not exist.",
     "/dev/ttyUSB0が見つかりません。"},
    {"NotSerial", OpenFailure::kNotATerminal, 25, "/tmp/f", "/tmp/f is not a serial port.",
     "/tmp/fはシリアルポートではありません。"},
    {"Permission", OpenFailure::kPermissionDenied, 13, "/dev/ttyS0",
     "Permission denied for /dev/ttyS0. Add your user to the group that owns the device "
     "(usually \"dialout\": sudo usermod -aG dialout $USER), then log in again.",
     "/dev/ttyS0へのアクセスが拒否されました。デバイスを所有するグループ（通常は「dialout」）"
     "にユーザーを追加し（sudo usermod -aG dialout $USER）、ログインし直してください。"},
    {"Busy", OpenFailure::kBusy, 16, "/dev/ttyS0", "/dev/ttyS0 is in use by another program.",
     "/dev/ttyS0は他のプログラムが使用中です。"},
    {"Speed", OpenFailure::kUnsupportedSpeed, 0, "/dev/ttyS0",
     "The speed 12345 bit/s is not supported.", "通信速度12345 bit/sには対応していません。"},
    {"Io", OpenFailure::kIo, 5, "/dev/ttyS0", "/dev/ttyS0: ", "/dev/ttyS0："},
    {"Configuration", OpenFailure::kConfiguration, 22, "/dev/ttyS0",
     "/dev/ttyS0: ", "/dev/ttyS0："},
}};

class PortOpenReasonTest : public ::testing::TestWithParam<ReasonCase> {};

// The reason names the device and, in Japanese, no English but the command to type; the
// system's own error words follow the prefix of the last two.
TEST_P(PortOpenReasonTest, FollowsTheLanguage) {
    const ReasonCase& c = GetParam();
    OpenError error{c.kind, c.error, c.path, 12345};
    const std::string en = PortOpenReason(error, StringTable(Language::kEnglish));
    const std::string ja = PortOpenReason(error, StringTable(Language::kJapanese));
    EXPECT_EQ(en.substr(0, std::string(c.english).size()), c.english);
    EXPECT_EQ(ja.substr(0, std::string(c.japanese).size()), c.japanese);
    if (c.kind != OpenFailure::kIo && c.kind != OpenFailure::kConfiguration) {
        EXPECT_EQ(en, c.english);
        EXPECT_EQ(ja, c.japanese);
        EXPECT_TRUE(test::ForeignWords(test::Without(ja, c.path), test::ProgramGlossary()).empty())
            << ja;
    } else {
        EXPECT_GT(en.size(), std::string(c.english).size()) << "the system's words are missing";
    }
}

INSTANTIATE_TEST_SUITE_P(Ports, PortOpenReasonTest, ::testing::ValuesIn(kReasons),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PortOpenReason, NothingForAPortThatOpened) {
    EXPECT_EQ(PortOpenReason(OpenError{}, StringTable(Language::kJapanese)), "");
}

}  // namespace
}  // namespace tavro::ui
