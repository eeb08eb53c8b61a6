#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "link/CComPort.h"
#include "link/PortList.h"
#include "link/VirtualLoop.h"
#include "tests/support/TempDir.h"

namespace tavro {
namespace {

namespace fs = std::filesystem;

// A fake /sys/class/tty and /dev with a USB adapter, an on-board UART, an empty UART slot
// and a console without a device.
class PortListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sys = tmp.Path() + "/sys/class/tty";
        dev = tmp.Path() + "/dev";
        reg = tmp.Path() + "/run/ports";
        fs::create_directories(sys);
        fs::create_directories(dev);
        const std::string usbDev = tmp.Path() + "/sys/devices/usb1/1-1";
        fs::create_directories(usbDev + "/1-1:1.0/ttyUSB0");
        Write(usbDev + "/idVendor", "0403\n");
        Write(usbDev + "/idProduct", "6001\n");
        Write(usbDev + "/manufacturer", "FTDI\n");
        Write(usbDev + "/product", "USB Serial Converter\n");
        AddTty("ttyUSB10", usbDev + "/1-1:1.0/ttyUSB0", "");
        AddTty("ttyUSB2", usbDev + "/1-1:1.0/ttyUSB0", "");
        const std::string uart = tmp.Path() + "/sys/devices/platform/serial8250";
        fs::create_directories(uart);
        AddTty("ttyS0", uart, "4");
        AddTty("ttyS1", uart, "0");             // a slot without a chip
        fs::create_directories(sys + "/tty0");  // a console: no device link
        Write(dev + "/tty0", "");
    }

    void Write(const std::string& path, const std::string& text) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs(text.c_str(), f);
        std::fclose(f);
    }

    void AddTty(const std::string& name, const std::string& device, const std::string& type) {
        fs::create_directories(sys + "/" + name);
        fs::create_directory_symlink(device, sys + "/" + name + "/device");
        if (!type.empty()) {
            Write(sys + "/" + name + "/type", type + "\n");
        }
        Write(dev + "/" + name, "");
    }

    PortScanConfig Config() const { return PortScanConfig{sys, dev, reg}; }

    test::TempDir tmp;
    std::string sys, dev, reg;
};

TEST_F(PortListTest, ListsRealPortsInNaturalOrderWithDescriptions) {
    const auto ports = ListSerialPorts(Config());
    ASSERT_EQ(ports.size(), 3U);
    EXPECT_EQ(ports[0].name, "ttyS0");
    EXPECT_EQ(ports[0].kind, PortKind::kOnBoard);
    EXPECT_EQ(ports[1].name, "ttyUSB2");
    EXPECT_EQ(ports[1].path, dev + "/ttyUSB2");
    EXPECT_EQ(ports[1].kind, PortKind::kNamed);
    EXPECT_EQ(ports[1].detail, "FTDI USB Serial Converter");
    EXPECT_EQ(ports[2].name, "ttyUSB10");
    EXPECT_FALSE(ports[2].isVirtual);
}

TEST_F(PortListTest, AUsbAdapterWithoutNamesIsKnownByItsIds) {
    const std::string usbDev = tmp.Path() + "/sys/devices/usb2/2-1";
    fs::create_directories(usbDev + "/2-1:1.0/ttyUSB5");
    Write(usbDev + "/idVendor", "10c4\n");
    Write(usbDev + "/idProduct", "ea60\n");
    AddTty("ttyUSB5", usbDev + "/2-1:1.0/ttyUSB5", "");
    const auto ports = ListSerialPorts(Config());
    const int at = CComPort::FindPort(ports, dev + "/ttyUSB5");
    ASSERT_GE(at, 0);
    EXPECT_EQ(ports[static_cast<std::size_t>(at)].kind, PortKind::kUsbId);
    EXPECT_EQ(ports[static_cast<std::size_t>(at)].detail, "10c4:ea60");
}

TEST_F(PortListTest, ASimulatedControllerIsListedWithItsIds) {
    const std::string pty = dev + "/pts-sim";
    Write(pty, "");
    ASSERT_TRUE(RegisterSimulatedPort(pty, "1, 3", reg));
    const auto ports = ListSerialPorts(Config());
    ASSERT_EQ(ports.size(), 4U);
    EXPECT_TRUE(ports[3].isVirtual);
    EXPECT_EQ(ports[3].kind, PortKind::kSimulated);
    EXPECT_EQ(ports[3].detail, "1, 3");
    UnregisterVirtualPort(reg);
}

TEST_F(PortListTest, RegisteredSimulatorPortsFollowAndStaleOnesAreDropped) {
    const std::string pty = dev + "/pts-sim";
    Write(pty, "");
    ASSERT_TRUE(RegisterVirtualPort(pty, "Simulated controller", reg));

    // A registration left by a process that no longer exists.
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    Write(reg + "/" + std::to_string(child) + ".port", pty + "\tdead\n");

    const auto ports = ListSerialPorts(Config());
    ASSERT_EQ(ports.size(), 4U);
    EXPECT_EQ(ports[3].path, pty);
    EXPECT_EQ(ports[3].kind, PortKind::kNamed);
    EXPECT_EQ(ports[3].detail, "Simulated controller");
    EXPECT_TRUE(ports[3].isVirtual);
    EXPECT_FALSE(fs::exists(reg + "/" + std::to_string(child) + ".port"));

    UnregisterVirtualPort(reg);
    EXPECT_EQ(ListSerialPorts(Config()).size(), 3U);
}

TEST_F(PortListTest, NoPortsAtAll) {
    PortScanConfig empty{tmp.Path() + "/none", dev, reg};
    EXPECT_TRUE(ListSerialPorts(empty).empty());
}

TEST(PortList, NaturalOrder) {
    EXPECT_TRUE(NaturalLess("ttyUSB2", "ttyUSB10"));
    EXPECT_FALSE(NaturalLess("ttyUSB10", "ttyUSB2"));
    EXPECT_TRUE(NaturalLess("ttyACM0", "ttyS0"));
    EXPECT_FALSE(NaturalLess("ttyS1", "ttyS1"));
    EXPECT_TRUE(NaturalLess("ttyS01", "ttyS2"));
}

TEST(PortList, FindPortByPath) {
    std::vector<PortInfo> ports{{"/dev/ttyS0", "ttyS0", PortKind::kOnBoard, "", false},
                                {"/dev/ttyUSB0", "ttyUSB0", PortKind::kUnknown, "", false}};
    EXPECT_EQ(CComPort::FindPort(ports, "/dev/ttyUSB0"), 1);
    EXPECT_EQ(CComPort::FindPort(ports, "/dev/ttyUSB9"), -1);
}

}  // namespace
}  // namespace tavro
