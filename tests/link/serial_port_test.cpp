#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "link/CComPort.h"
#include "link/CIniRw.h"
#include "link/CRxdThread.h"
#include "link/CStatusFlg.h"
#include "link/Frame.h"
#include "link/PollLoop.h"
#include "link/SerialPort.h"
#include "tests/support/Pty.h"
#include "tests/support/TempDir.h"

namespace tavro {
namespace {

TEST(SerialPort, LineSettingsAre8E1RawWithoutFlowControl) {
    termios tio{};
    tio.c_iflag = IXON | IXOFF | ICRNL;
    tio.c_oflag = OPOST;
    tio.c_lflag = ICANON | ECHO | ISIG;
    tio.c_cflag = CSTOPB | PARODD | CRTSCTS | CS7;
    SerialPort::ApplyLineSettings(tio, SerialPort::SpeedConstant(19200));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_NE(tio.c_cflag & PARENB, 0U);
    EXPECT_EQ(tio.c_cflag & PARODD, 0U);
    EXPECT_EQ(tio.c_cflag & CSTOPB, 0U);
    EXPECT_EQ(tio.c_cflag & CRTSCTS, 0U);
    EXPECT_NE(tio.c_cflag & CLOCAL, 0U);
    EXPECT_NE(tio.c_cflag & CREAD, 0U);
    EXPECT_NE(tio.c_iflag & INPCK, 0U);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL), 0U);
    EXPECT_EQ(tio.c_oflag & OPOST, 0U);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0U);
    EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B19200));
    EXPECT_EQ(::cfgetispeed(&tio), static_cast<speed_t>(B19200));
}

TEST(SerialPort, SpeedsOfTheSelectionListsAreSupported) {
    for (int baud : {2400, 9600, 19200, 38400, 57600}) {
        EXPECT_NE(SerialPort::SpeedConstant(baud), 0U) << baud;
    }
    EXPECT_EQ(SerialPort::SpeedConstant(12345), 0U);
}

TEST(SerialPort, OpenedTerminalIsRawAtTheRequestedSpeed) {
    // A pseudo-terminal keeps speed and raw mode; it drops parity, so that is checked above.
    test::Pty pty;
    PollLoop loop;
    OpenError err;
    auto port = SerialPort::Open(loop, pty.SlavePath(), 38400, err);
    ASSERT_TRUE(port) << err.Why();
    termios tio{};
    ASSERT_EQ(::tcgetattr(port->Fd(), &tio), 0);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0U);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), 0U);
    EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B38400));
}

TEST(SerialPort, ReopensAPseudoTerminalThatAnotherProcessKeepsOpen) {
    // A simulator holds the slave side open between clients; the terminal then keeps the
    // previous client's settings and its exclusive-use flag.
    test::Pty pty;
    const int keep = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(keep, 0);
    PollLoop loop;
    for (int round = 0; round < 3; ++round) {
        OpenError err;
        auto port = SerialPort::Open(loop, pty.SlavePath(), 19200, err);
        ASSERT_TRUE(port) << "round " << round << ": " << err.Why();
    }
    ::close(keep);
}

TEST(SerialPort, SendsARequestAndAssemblesTheReply) {
    test::Pty pty;
    PollLoop loop;
    OpenError err;
    auto port = SerialPort::Open(loop, pty.SlavePath(), 9600, err);
    ASSERT_TRUE(port) << err.Why();
    std::vector<std::string> frames;
    FrameAssembler assembler([&](std::string_view f) { frames.emplace_back(f); });
    port->Start([&](std::string_view bytes) { assembler.Feed(bytes); }, [](int) {});

    RequestRecord last;
    ASSERT_TRUE(port->Write(BuildRequest(1, "VE", last)));
    EXPECT_EQ(pty.ReadMaster(2000, "\r\n"), ":01 VEE4\r\n");

    const std::string body = "01VEOK2.60";
    const auto sum = Checksum(body);
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", sum);
    // Noise first, then the reply split across writes as a real line delivers it.
    pty.WriteMaster("\x7f\x80 :01VE");
    pty.WriteMaster("OK2.60" + std::string(hex) + "\r\n");
    ASSERT_TRUE(loop.RunUntil([&] { return !frames.empty(); }, 2000));
    ASSERT_EQ(frames.size(), 1U);
    auto reply = ParseReply(frames[0]);
    ASSERT_TRUE(reply.has_value());
    EXPECT_TRUE(CheckReply(*reply, last));
    EXPECT_EQ(reply->data, "2.60");
}

TEST(SerialPort, HangUpClosesThePortOnceWithoutSpinning) {
    test::Pty pty;
    PollLoop loop;
    OpenError err;
    auto port = SerialPort::Open(loop, pty.SlavePath(), 19200, err);
    ASSERT_TRUE(port) << err.Why();
    int gone = 0;
    int wakeups = 0;
    port->Start([&](std::string_view) { ++wakeups; }, [&](int) { ++gone; });
    pty.CloseMaster();
    EXPECT_TRUE(loop.RunUntil([&] { return gone > 0; }, 2000));
    loop.RunFor(50);  // a spinning watch would call back again and again
    EXPECT_EQ(gone, 1);
    EXPECT_FALSE(port->IsOpen());
    EXPECT_FALSE(port->Write(":01 VEE4\r\n"));
}

TEST(SerialPort, ReportsWhyItCannotOpen) {
    PollLoop loop;
    test::TempDir tmp;
    OpenError err;
    EXPECT_FALSE(SerialPort::Open(loop, tmp.File("missing"), 19200, err));
    EXPECT_EQ(err.kind, OpenFailure::kNotFound);

    tmp.Write("plain", "x");
    EXPECT_FALSE(SerialPort::Open(loop, tmp.File("plain"), 19200, err));
    EXPECT_EQ(err.kind, OpenFailure::kNotATerminal);

    test::Pty pty;
    EXPECT_FALSE(SerialPort::Open(loop, pty.SlavePath(), 12345, err));
    EXPECT_EQ(err.kind, OpenFailure::kUnsupportedSpeed);

    auto first = SerialPort::Open(loop, pty.SlavePath(), 19200, err);
    ASSERT_TRUE(first);
    EXPECT_FALSE(SerialPort::Open(loop, pty.SlavePath(), 19200, err));
    EXPECT_EQ(err.kind, OpenFailure::kBusy);
}

TEST(SerialPort, PermissionDeniedIsToldApart) {
    test::TempDir tmp;
    tmp.Write("locked", "");
    ::chmod(tmp.Path().c_str(), 0755);
    ::chmod(tmp.File("locked").c_str(), 0600);
    // Root is never refused, so the open runs in a child that gives up its privileges.
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(2);
        }
        PollLoop loop;
        OpenError err;
        auto port = SerialPort::Open(loop, tmp.File("locked"), 19200, err);
        const char verdict =
            !port && err.kind == OpenFailure::kPermissionDenied && err.path == tmp.File("locked")
                ? 'y'
                : 'n';
        (void)!::write(pipeFds[1], &verdict, 1);
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    char verdict = 0;
    ASSERT_EQ(::read(pipeFds[0], &verdict, 1), 1);
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(verdict, 'y');
}

class ComPortTest : public ::testing::Test {
  protected:
    test::TempDir tmp;
    PollLoop loop;
    LinkContext ctx{loop, tmp.Path() + "/Zelm"};
};

TEST_F(ComPortTest, FailedOpenLeavesNoPortAndSwitchesAutoOff) {
    CIniRw(ctx).SetComAndSpeed(1, 9600, "/dev/old");
    EXPECT_EQ(CComPort(ctx).Open(tmp.File("nothing"), 38400), 1);
    CStatusFlg status(ctx);
    EXPECT_EQ(status.GetComPort(), 0);
    EXPECT_EQ(status.GetBaudRate(), 38400);
    EXPECT_FALSE(CRxdThread(ctx).Running());
    EXPECT_EQ(CIniRw(ctx).GetAuto(), 0);
    EXPECT_EQ(CComPort(ctx).LastError().kind, OpenFailure::kNotFound);
    EXPECT_EQ(CComPort(ctx).LastError().path, tmp.File("nothing"));
}

TEST_F(ComPortTest, SuccessfulOpenStartsTheReceiverAndRemembersThePort) {
    test::Pty pty;
    std::vector<std::string> frames;
    ctx.port.onFrame = [&](std::string_view f) { frames.emplace_back(f); };
    ASSERT_EQ(CComPort(ctx).Open(pty.SlavePath(), 57600), 0);
    CStatusFlg status(ctx);
    EXPECT_GT(status.GetComPort(), 0);
    EXPECT_EQ(status.GetBaudRate(), 57600);
    EXPECT_EQ(ctx.status.portName, PortDisplayName(pty.SlavePath()));
    CIniRw ini(ctx);
    EXPECT_EQ(ini.GetAuto(), 1);
    EXPECT_EQ(ini.GetBaudRate(), 57600);
    EXPECT_EQ(ini.GetPortPath(), pty.SlavePath());

    pty.WriteMaster(":01VEOK2.60xx\r\n");
    ASSERT_TRUE(loop.RunUntil([&] { return !frames.empty(); }, 2000));
    EXPECT_EQ(frames[0], "01VEOK2.60xx");

    CRxdThread(ctx).StopReceiver();
    EXPECT_FALSE(CRxdThread(ctx).Running());
    pty.WriteMaster(":01VEOK\r\n");
    loop.RunFor(30);
    EXPECT_EQ(frames.size(), 1U);
}

TEST(PortDisplayName, StripsDev) {
    EXPECT_EQ(PortDisplayName("/dev/ttyUSB0"), "ttyUSB0");
    EXPECT_EQ(PortDisplayName("/dev/pts/3"), "pts/3");
    EXPECT_EQ(PortDisplayName("/tmp/sim0"), "/tmp/sim0");
}

}  // namespace
}  // namespace tavro
