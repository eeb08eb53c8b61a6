#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "link/CComPort.h"
#include "link/CIniRw.h"
#include "link/CRxdThread.h"
#include "link/PortList.h"
#include "link/PortMessages.h"
#include "link/ProfileFile.h"
#include "link/StringIds.h"
#include "link/VirtualLoop.h"
#include "tests/support/TempDir.h"

namespace tavro {
namespace {

namespace fs = std::filesystem;

void WriteFile(const std::string& path, const std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fputs(text.c_str(), f);
    std::fclose(f);
}

// Runs `check` in a child that has given up root's privileges (root writes anything), and
// returns its verdict.
bool AsUnprivilegedUser(const std::function<bool()>& check) {
    int fds[2];
    if (::pipe(fds) != 0) {
        return false;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(2);
        }
        const char verdict = check() ? 'y' : 'n';
        (void)!::write(fds[1], &verdict, 1);
        ::_exit(0);
    }
    ::close(fds[1]);
    char verdict = 0;
    const bool read = ::read(fds[0], &verdict, 1) == 1;
    ::close(fds[0]);
    ::waitpid(child, nullptr, 0);
    return read && verdict == 'y';
}

// A fake sysfs and /dev: an FTDI adapter with a serial number, a by-id name and a 16 ms
// latency timer; a CH340 without serial number or by-id name; a CDC ACM board; an on-board
// UART, an empty UART slot and a console without a device.
class PortListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sys = tmp.Path() + "/sys/class/tty";
        dev = tmp.Path() + "/dev";
        reg = tmp.Path() + "/run/ports";
        fs::create_directories(sys);
        fs::create_directories(dev + "/serial/by-id");
        const std::string usb = tmp.Path() + "/sys/devices/pci0000:00/usb1";
        AddUsbDevice(usb + "/1-1", "0403", "6001", "FTDI", "FT232R USB UART", "A50285BI");
        fs::create_directories(usb + "/1-1/1-1:1.0/ttyUSB0");
        latency = usb + "/1-1/1-1:1.0/ttyUSB0/latency_timer";
        WriteFile(latency, "16\n");
        AddTty("ttyUSB0", usb + "/1-1/1-1:1.0/ttyUSB0", "");
        AddById("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "ttyUSB0");

        AddUsbDevice(usb + "/1-2", "1a86", "7523", "", "USB Serial", "");
        fs::create_directories(usb + "/1-2/1-2:1.0/ttyUSB10");
        AddTty("ttyUSB10", usb + "/1-2/1-2:1.0/ttyUSB10", "");

        AddUsbDevice(usb + "/1-3", "2341", "0043", "Arduino (www.arduino.cc)", "", "8573");
        fs::create_directories(usb + "/1-3/1-3:1.0");
        AddTty("ttyACM0", usb + "/1-3/1-3:1.0", "");
        AddById("usb-Arduino__www.arduino.cc__0043_8573-if00", "ttyACM0");

        const std::string uart = tmp.Path() + "/sys/devices/platform/serial8250";
        fs::create_directories(uart);
        AddTty("ttyS0", uart, "4");
        AddTty("ttyS1", uart, "0");             // a slot without a chip
        fs::create_directories(sys + "/tty0");  // a console: no device link
        WriteFile(dev + "/tty0", "");
    }

    void AddUsbDevice(const std::string& dir, const std::string& vendor, const std::string& product,
                      const std::string& manufacturer, const std::string& productName,
                      const std::string& serial) {
        fs::create_directories(dir);
        WriteFile(dir + "/idVendor", vendor + "\n");
        WriteFile(dir + "/idProduct", product + "\n");
        if (!manufacturer.empty()) {
            WriteFile(dir + "/manufacturer", manufacturer + "\n");
        }
        if (!productName.empty()) {
            WriteFile(dir + "/product", productName + "\n");
        }
        if (!serial.empty()) {
            WriteFile(dir + "/serial", serial + "\n");
        }
    }

    void AddTty(const std::string& name, const std::string& device, const std::string& type) {
        fs::create_directories(sys + "/" + name);
        fs::create_directory_symlink(device, sys + "/" + name + "/device");
        if (!type.empty()) {
            WriteFile(sys + "/" + name + "/type", type + "\n");
        }
        WriteFile(dev + "/" + name, "");
    }

    void AddById(const std::string& name, const std::string& tty) {
        fs::create_symlink("../../" + tty, dev + "/serial/by-id/" + name);
    }

    std::string ById(const std::string& name) const { return dev + "/serial/by-id/" + name; }

    PortScanConfig Config() const {
        PortScanConfig c;
        c.sysClassTty = sys;
        c.devDir = dev;
        c.registryDir = reg;
        c.procDir = tmp.Path() + "/proc";
        return c;
    }

    test::TempDir tmp;
    std::string sys, dev, reg, latency;
};

struct ExpectedPort {
    const char* name;
    PortKind kind;
    const char* vendor;
    const char* product;
    const char* manufacturer;
    const char* productName;
    const char* serial;
    const char* usbPath;
    const char* byId;  // base name
    int latencyMs;
};

constexpr ExpectedPort kExpectedPorts[] = {
    {"ttyACM0", PortKind::kUsbModem, "2341", "0043", "Arduino (www.arduino.cc)", "", "8573", "1-3",
     "usb-Arduino__www.arduino.cc__0043_8573-if00", -1},
    {"ttyS0", PortKind::kOnBoard, "", "", "", "", "", "", "", -1},
    {"ttyUSB0", PortKind::kUsbSerial, "0403", "6001", "FTDI", "FT232R USB UART", "A50285BI", "1-1",
     "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", 16},
    {"ttyUSB10", PortKind::kUsbSerial, "1a86", "7523", "", "USB Serial", "", "1-2", "", -1},
};

TEST_F(PortListTest, EachPortSaysWhatItIsInNaturalOrder) {
    const auto ports = ListSerialPorts(Config());
    ASSERT_EQ(ports.size(), std::size(kExpectedPorts));
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const ExpectedPort& e = kExpectedPorts[i];
        const PortInfo& p = ports[i];
        SCOPED_TRACE(e.name);
        EXPECT_EQ(p.name, e.name);
        EXPECT_EQ(p.path, dev + "/" + e.name);
        EXPECT_EQ(p.kind, e.kind);
        EXPECT_EQ(p.usbVendor, e.vendor);
        EXPECT_EQ(p.usbProduct, e.product);
        EXPECT_EQ(p.manufacturer, e.manufacturer);
        EXPECT_EQ(p.product, e.productName);
        EXPECT_EQ(p.serial, e.serial);
        EXPECT_EQ(p.usbPath, e.usbPath);
        EXPECT_EQ(p.byId, std::string(e.byId).empty() ? "" : ById(e.byId));
        EXPECT_EQ(p.latencyMs, e.latencyMs);
        EXPECT_FALSE(p.isVirtual);
        EXPECT_TRUE(p.detail.empty());
    }
}

TEST_F(PortListTest, AUsbAdapterWithoutNamesIsKnownByItsIds) {
    const std::string usbDev = tmp.Path() + "/sys/devices/usb2/2-1";
    AddUsbDevice(usbDev, "10c4", "ea60", "", "", "");
    fs::create_directories(usbDev + "/2-1:1.0/ttyUSB5");
    AddTty("ttyUSB5", usbDev + "/2-1:1.0/ttyUSB5", "");
    const auto ports = ListSerialPorts(Config());
    const int at = CComPort::FindPort(ports, dev + "/ttyUSB5");
    ASSERT_GE(at, 0);
    const PortInfo& p = ports[static_cast<std::size_t>(at)];
    EXPECT_EQ(p.kind, PortKind::kUsbSerial);
    EXPECT_EQ(p.usbVendor, "10c4");
    EXPECT_EQ(p.usbProduct, "ea60");
    EXPECT_EQ(p.manufacturer, "");
    EXPECT_EQ(p.product, "");
    EXPECT_EQ(p.usbPath, "2-1");
}

TEST_F(PortListTest, ASimulatedControllerIsListedWithItsIds) {
    const std::string pty = dev + "/pts-sim";
    WriteFile(pty, "");
    ASSERT_TRUE(RegisterSimulatedPort(pty, "1, 3", reg));
    const auto ports = ListSerialPorts(Config());
    ASSERT_EQ(ports.size(), std::size(kExpectedPorts) + 1);
    EXPECT_TRUE(ports.back().isVirtual);
    EXPECT_EQ(ports.back().kind, PortKind::kSimulated);
    EXPECT_EQ(ports.back().detail, "1, 3");
    UnregisterVirtualPort(reg);
}

TEST_F(PortListTest, RegisteredSimulatorPortsFollowAndStaleOnesAreDropped) {
    const std::string pty = dev + "/pts-sim";
    WriteFile(pty, "");
    ASSERT_TRUE(RegisterVirtualPort(pty, "Simulated controller", reg));

    // A registration left by a process that no longer exists.
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    WriteFile(reg + "/" + std::to_string(child) + ".port", pty + "\tdead\n");

    const auto ports = ListSerialPorts(Config());
    ASSERT_EQ(ports.size(), 5U);
    EXPECT_EQ(ports[4].path, pty);
    EXPECT_EQ(ports[4].detail, "Simulated controller");
    EXPECT_TRUE(ports[4].isVirtual);
    EXPECT_EQ(ports[4].kind, PortKind::kVirtual);
    EXPECT_FALSE(fs::exists(reg + "/" + std::to_string(child) + ".port"));

    UnregisterVirtualPort(reg);
    EXPECT_EQ(ListSerialPorts(Config()).size(), 4U);
}

TEST_F(PortListTest, NoPortsAtAll) {
    PortScanConfig empty = Config();
    empty.sysClassTty = tmp.Path() + "/none";
    EXPECT_TRUE(ListSerialPorts(empty).empty());
}

TEST_F(PortListTest, APortIsFoundByItsPathItsByIdNameOrALinkToIt) {
    const std::string byId = ById("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    fs::create_symlink(dev + "/ttyUSB0", tmp.File("my-adapter"));
    for (const std::string& path : {dev + "/ttyUSB0", byId, tmp.File("my-adapter")}) {
        const PortInfo p = DescribePort(path, Config());
        EXPECT_EQ(p.name, "ttyUSB0") << path;
        EXPECT_EQ(p.serial, "A50285BI") << path;
    }
    EXPECT_EQ(ResolvePortLink(byId), fs::canonical(dev + "/ttyUSB0").string());
    EXPECT_EQ(ResolvePortLink(dev + "/ttyS0"), dev + "/ttyS0");

    // A path typed by hand that the list does not hold is described by itself.
    const PortInfo typed = DescribePort("/dev/ttyXR7", Config());
    EXPECT_EQ(typed.path, "/dev/ttyXR7");
    EXPECT_EQ(typed.name, "ttyXR7");
    EXPECT_TRUE(typed.usbVendor.empty());
}

struct AdapterCase {
    const char* name;
    PortInfo a;
    PortInfo b;
    bool same;
};

PortInfo Usb(const char* vendor, const char* product, const char* serial, const char* usbPath,
             const char* byId = "") {
    PortInfo p;
    p.usbVendor = vendor;
    p.usbProduct = product;
    p.serial = serial;
    p.usbPath = usbPath;
    p.byId = byId;
    return p;
}

TEST(SameAdapter, ByIdNameOrUsbIdentity) {
    const AdapterCase cases[] = {
        {"SameByIdInAnotherSocket", Usb("0403", "6001", "A5", "1-1", "/id/x"),
         Usb("0403", "6001", "A5", "1-2", "/id/x"), true},
        {"AnotherByIdName", Usb("0403", "6001", "A5", "1-1", "/id/x"),
         Usb("0403", "6001", "A6", "1-1", "/id/y"), false},
        {"SameSerialWithoutById", Usb("0403", "6001", "A5", "1-1"),
         Usb("0403", "6001", "A5", "2-4"), true},
        {"AnotherSerial", Usb("0403", "6001", "A5", "1-1"), Usb("0403", "6001", "A6", "1-1"),
         false},
        {"NoSerialSameSocket", Usb("1a86", "7523", "", "1-2"), Usb("1a86", "7523", "", "1-2"),
         true},
        {"NoSerialAnotherSocket", Usb("1a86", "7523", "", "1-2"), Usb("1a86", "7523", "", "1-3"),
         false},
        {"AnotherProduct", Usb("1a86", "7523", "", "1-2"), Usb("1a86", "5523", "", "1-2"), false},
        {"NothingToGoBy", PortInfo{}, PortInfo{}, false},
    };
    for (const AdapterCase& c : cases) {
        EXPECT_EQ(SameAdapter(c.a, c.b), c.same) << c.name;
        EXPECT_EQ(SameAdapter(c.b, c.a), c.same) << c.name << " (reversed)";
    }
}

TEST(PortList, NaturalOrder) {
    EXPECT_TRUE(NaturalLess("ttyUSB2", "ttyUSB10"));
    EXPECT_FALSE(NaturalLess("ttyUSB10", "ttyUSB2"));
    EXPECT_TRUE(NaturalLess("ttyACM0", "ttyS0"));
    EXPECT_FALSE(NaturalLess("ttyS1", "ttyS1"));
    EXPECT_TRUE(NaturalLess("ttyS01", "ttyS2"));
}

TEST(PortList, FindPortByPathOrById) {
    std::vector<PortInfo> ports(2);
    ports[0].path = "/dev/ttyS0";
    ports[1].path = "/dev/ttyUSB0";
    ports[1].byId = "/dev/serial/by-id/usb-x";
    EXPECT_EQ(CComPort::FindPort(ports, "/dev/ttyUSB0"), 1);
    EXPECT_EQ(CComPort::FindPort(ports, "/dev/serial/by-id/usb-x"), 1);
    EXPECT_EQ(CComPort::FindPort(ports, "/dev/ttyUSB9"), -1);
    EXPECT_EQ(CComPort::FindPort(ports, ""), -1);
}

// --- the latency timer ---

TEST(LatencyTimer, ReadsOnlyASmallNumber) {
    test::TempDir tmp;
    const std::pair<const char*, int> cases[] = {
        {"16\n", 16}, {"1\n", 1}, {"01", 1}, {"", -1}, {"abc\n", -1}, {"-3\n", -1}, {"99999\n", -1},
    };
    for (const auto& [text, ms] : cases) {
        tmp.Write("latency_timer", text);
        EXPECT_EQ(ReadLatencyTimer(tmp.File("latency_timer")), ms) << '"' << text << '"';
    }
    EXPECT_EQ(ReadLatencyTimer(tmp.File("missing")), -1);
}

TEST(LatencyTimer, LoweredWhereItMayBeWrittenAndLeftAloneWhereNot) {
    test::TempDir tmp;
    tmp.Write("writable", "16\n");
    EXPECT_TRUE(LowerLatencyTimer(tmp.File("writable")));
    EXPECT_EQ(ReadLatencyTimer(tmp.File("writable")), 1);

    tmp.Write("locked", "16\n");
    ::chmod(tmp.Path().c_str(), 0755);
    ::chmod(tmp.File("locked").c_str(), 0444);
    const std::string locked = tmp.File("locked");
    EXPECT_TRUE(AsUnprivilegedUser([&] { return !LowerLatencyTimer(locked); }));
    EXPECT_EQ(ReadLatencyTimer(locked), 16);
}

// A transport that stands for a real adapter: it opens and does nothing else.
class StandInLine : public Transport {
  public:
    explicit StandInLine(std::string name) : name_(std::move(name)) {}
    void Start(BytesHandler, GoneHandler) override {}
    void Stop() override {}
    bool Write(std::string_view) override { return true; }
    bool IsOpen() const override { return true; }
    std::string Name() const override { return name_; }

  private:
    std::string name_;
};

class OpenAdapterTest : public PortListTest {
  protected:
    void SetUp() override {
        PortListTest::SetUp();
        ctx.port.scan = Config();
        ctx.openPort = [this](const std::string& path, int, OpenError& error) {
            opened.push_back(path);
            error.path = path;
            if (refuse != OpenFailure::kNone) {
                error.kind = refuse;
                return std::unique_ptr<Transport>();
            }
            return std::unique_ptr<Transport>(std::make_unique<StandInLine>("ttyUSB0"));
        };
    }

    VirtualLoop loop;
    test::TempDir settings;
    LinkContext ctx{loop, settings.Path()};
    std::vector<std::string> opened;
    OpenFailure refuse = OpenFailure::kNone;
};

TEST_F(OpenAdapterTest, OpeningLowersTheLatencyTimerAndRemembersTheByIdName) {
    const std::string byId = ById("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    ASSERT_EQ(CComPort(ctx).Open(dev + "/ttyUSB0", 57600), 0);
    EXPECT_EQ(ReadLatencyTimer(latency), 1);
    EXPECT_EQ(ctx.port.opened.latencyMs, 1);
    EXPECT_EQ(ctx.port.opened.serial, "A50285BI");
    CIniRw ini(ctx);
    EXPECT_EQ(ini.GetPortPath(), byId) << "the same adapter is found in another socket";
    EXPECT_EQ(ProfileFile(ini.SettingsPath()).GetString("SERIAL", "PORT"), dev + "/ttyUSB0");
}

TEST_F(OpenAdapterTest, AByIdNameOpensTheDeviceItLeadsTo) {
    const std::string byId = ById("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    ASSERT_EQ(CComPort(ctx).Open(byId, 19200), 0);
    ASSERT_EQ(opened.size(), 1U);
    EXPECT_EQ(opened[0], fs::canonical(dev + "/ttyUSB0").string());
    EXPECT_EQ(ctx.status.portName, "ttyUSB0");
}

TEST_F(OpenAdapterTest, ATimerAlreadyAtOneMillisecondIsNotWritten) {
    WriteFile(latency, "01\n");
    ASSERT_EQ(CComPort(ctx).Open(dev + "/ttyUSB0", 19200), 0);
    test::TempDir scratch;
    std::ifstream in(latency);
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "01") << "nothing was written";
}

TEST_F(OpenAdapterTest, APortWithoutByIdNameForgetsTheOneBefore) {
    ASSERT_EQ(CComPort(ctx).Open(dev + "/ttyUSB0", 19200), 0);
    CRxdThread(ctx).StopReceiver();
    ASSERT_EQ(CComPort(ctx).Open(dev + "/ttyUSB10", 19200), 0);
    EXPECT_EQ(CIniRw(ctx).GetPortPath(), dev + "/ttyUSB10");
}

// --- why a port cannot be opened ---

class FakeProc : public ::testing::Test {
  protected:
    // A process with these descriptors: links to the given targets.
    void AddProcess(int pid, const std::string& comm, const std::vector<std::string>& fds) {
        const std::string dir = tmp.File("proc/" + std::to_string(pid));
        fs::create_directories(dir + "/fd");
        if (!comm.empty()) {
            WriteFile(dir + "/comm", comm + "\n");
        }
        int n = 0;
        for (const std::string& target : fds) {
            fs::create_symlink(target, dir + "/fd/" + std::to_string(n++));
        }
    }
    std::string Proc() const { return tmp.File("proc"); }

    test::TempDir tmp;
};

TEST_F(FakeProc, FindsTheLowestProcessThatHoldsTheDevice) {
    tmp.Write("ttyUSB0", "");
    const std::string device = tmp.File("ttyUSB0");
    fs::create_directories(tmp.File("proc/self"));  // not a process number
    fs::create_directories(tmp.File("proc/net"));
    AddProcess(4100, "bash", {"/dev/pts/1", "/dev/null"});
    AddProcess(977, "ModemManager", {"/dev/null", device, "socket:[123]"});
    AddProcess(3000, "minicom", {device});
    AddProcess(::getpid(), "this-test", {device});  // this process is never the holder
    const PortHolder holder = FindPortHolder(device, Proc());
    EXPECT_EQ(holder.pid, 977);
    EXPECT_EQ(holder.name, "ModemManager");
}

TEST_F(FakeProc, ReachesTheDeviceThroughALinkAndNamesAProcessWithoutCommByNumber) {
    tmp.Write("ttyUSB0", "");
    fs::create_symlink(tmp.File("ttyUSB0"), tmp.File("by-id-link"));
    AddProcess(55, "", {fs::canonical(tmp.File("ttyUSB0")).string()});
    const PortHolder holder = FindPortHolder(tmp.File("by-id-link"), Proc());
    EXPECT_EQ(holder.pid, 55);
    EXPECT_EQ(holder.name, "55");
}

TEST_F(FakeProc, NobodyHoldsIt) {
    tmp.Write("ttyUSB0", "");
    AddProcess(12, "sshd", {"/dev/null"});
    EXPECT_EQ(FindPortHolder(tmp.File("ttyUSB0"), Proc()).pid, 0);
    EXPECT_EQ(FindPortHolder(tmp.File("ttyUSB0"), tmp.File("no-proc")).pid, 0);
}

TEST_F(OpenAdapterTest, ABusyAdapterNamesItsHolderAndTheRuleThatKeepsItAway) {
    const std::string dir = tmp.Path() + "/proc/977";
    fs::create_directories(dir + "/fd");
    WriteFile(dir + "/comm", "ModemManager\n");
    fs::create_symlink(dev + "/ttyUSB0", dir + "/fd/7");
    refuse = OpenFailure::kBusy;
    ASSERT_EQ(CComPort(ctx).Open(dev + "/ttyUSB0", 19200), 1);
    const LinkMessage m = OpenFailureMessage(CComPort(ctx).LastError());
    EXPECT_EQ(m.stringId, ids::IDS_PORT_HELD_BY_PROBER_USB);
    const std::vector<MessageArg> args = {
        dev + "/ttyUSB0",
        std::string("ModemManager"),
        977,
        std::string("/etc/udev/rules.d/99-tavro.rules"),
        std::string("ATTRS{idVendor}==\"0403\", ATTRS{idProduct}==\"6001\", "
                    "ENV{ID_MM_DEVICE_IGNORE}=\"1\""),
        std::string("sudo systemctl stop ModemManager")};
    EXPECT_EQ(m.args, args);
    EXPECT_EQ(ctx.status.comPort, 0);
}

TEST_F(OpenAdapterTest, ADeniedPortNamesTheGroupOfItsDeviceNodeAndTheUser) {
    ASSERT_EQ(::chown((dev + "/ttyUSB10").c_str(), static_cast<uid_t>(-1), 20), 0);
    const std::string group = DeviceGroup(dev + "/ttyUSB10");
    ASSERT_FALSE(group.empty()) << "gid 20 has a name on this system";
    refuse = OpenFailure::kPermissionDenied;
    ASSERT_EQ(CComPort(ctx).Open(dev + "/ttyUSB10", 19200), 1);
    const LinkMessage m = OpenFailureMessage(CComPort(ctx).LastError());
    EXPECT_EQ(m.stringId, ids::IDS_PORT_PERMISSION);
    const std::vector<MessageArg> args = {
        dev + "/ttyUSB10", group, "sudo usermod -aG " + group + " " + CComPort::CurrentUserName()};
    EXPECT_EQ(m.args, args);
}

struct MessageCase {
    const char* name;
    OpenError error;
    int stringId;
    std::vector<MessageArg> args;
};

OpenError Failed(OpenFailure kind, std::function<void(OpenError&)> fill = {}) {
    OpenError e;
    e.kind = kind;
    e.path = "/dev/ttyUSB0";
    e.baud = 12345;
    e.error = EIO;
    if (fill) {
        fill(e);
    }
    return e;
}

TEST(OpenFailureMessage, EachReasonHasItsOwnTextAndArguments) {
    const std::string port = "/dev/ttyUSB0";
    const MessageCase cases[] = {
        {"NotFound", Failed(OpenFailure::kNotFound), ids::IDS_PORT_NOT_FOUND, {port}},
        {"NoPortAtAll",
         Failed(OpenFailure::kNotFound, [](OpenError& e) { e.path.clear(); }),
         ids::IDS_NO_PORT,
         {}},
        {"NotATerminal", Failed(OpenFailure::kNotATerminal), ids::IDS_PORT_NOT_A_TERMINAL, {port}},
        {"Speed", Failed(OpenFailure::kUnsupportedSpeed), ids::IDS_PORT_SPEED, {12345}},
        {"PermissionWithGroup",
         Failed(OpenFailure::kPermissionDenied,
                [](OpenError& e) {
                    e.group = "dialout";
                    e.user = "kenji";
                }),
         ids::IDS_PORT_PERMISSION,
         {port, std::string("dialout"), std::string("sudo usermod -aG dialout kenji")}},
        {"PermissionWithoutGroup",
         Failed(OpenFailure::kPermissionDenied),
         ids::IDS_PORT_PERMISSION_NO_GROUP,
         {port}},
        {"BusyUnknownHolder", Failed(OpenFailure::kBusy), ids::IDS_PORT_IN_USE, {port}},
        {"BusyByAProgram",
         Failed(OpenFailure::kBusy,
                [](OpenError& e) {
                    e.holderPid = 3000;
                    e.holderName = "minicom";
                }),
         ids::IDS_PORT_HELD,
         {port, std::string("minicom"), 3000}},
        {"BusyByTheModemProberOnBoard",
         Failed(OpenFailure::kBusy,
                [](OpenError& e) {
                    e.holderPid = 977;
                    e.holderName = "ModemManager";
                }),
         ids::IDS_PORT_HELD_BY_PROBER,
         {port, std::string("ModemManager"), 977, std::string("sudo systemctl stop ModemManager")}},
        {"Configuration",
         Failed(OpenFailure::kConfiguration),
         ids::IDS_PORT_SETUP,
         {port, std::string("EIO")}},
        {"Io", Failed(OpenFailure::kIo), ids::IDS_PORT_SETUP, {port, std::string("EIO")}},
    };
    for (const MessageCase& c : cases) {
        const LinkMessage m = OpenFailureMessage(c.error);
        EXPECT_EQ(m.stringId, c.stringId) << c.name;
        EXPECT_EQ(m.args, c.args) << c.name;
    }
    EXPECT_EQ(OpenFailureMessage(OpenError{}).stringId, 0);
}

}  // namespace
}  // namespace tavro
