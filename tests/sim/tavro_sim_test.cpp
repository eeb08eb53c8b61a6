#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "dialogs/common/PortCaption.h"
#include "link/CComPort.h"
#include "link/CRxdThread.h"
#include "link/Frame.h"
#include "link/LinkContext.h"
#include "link/PollLoop.h"
#include "link/PortList.h"
#include "link/SerialPort.h"
#include "tests/support/TempDir.h"

namespace tavro::sim::test {
namespace {

// Generous bounds for real time on a busy machine; nothing waits this long when it works.
constexpr int kStartMs = 10000;
constexpr std::int64_t kReplyMs = 5000;

// tavro-sim as a child process with its own registry folder; stopped with SIGTERM.
class SimProcess {
  public:
    SimProcess(const std::string& runtimeDir, std::vector<std::string> args) {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) {
            return;
        }
        args.insert(args.begin(), TAVRO_SIM_EXE);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
            std::vector<char*> argv;
            for (auto& a : args) {
                argv.push_back(a.data());
            }
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        out_ = out[0];
    }

    ~SimProcess() {
        if (pid_ > 0) {
            Stop();
        }
        if (out_ >= 0) {
            ::close(out_);
        }
    }

    // The first line of standard output: the terminal's path.
    std::string ReadPath() {
        std::string line;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartMs);
        while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < end) {
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) {
                continue;
            }
            char buf[256];
            const ssize_t n = ::read(out_, buf, sizeof buf);
            if (n <= 0) {
                break;
            }
            line.append(buf, static_cast<std::size_t>(n));
        }
        return line.substr(0, line.find('\n'));
    }

    // SIGTERM, then the exit status (-1 when it had to be killed).
    int Stop() {
        ::kill(pid_, SIGTERM);
        int status = 0;
        for (int i = 0; i < 100; ++i) {
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            ::usleep(50000);
        }
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return -1;
    }

    pid_t Pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
    int out_ = -1;
};

// A client of tavro-sim through the link's real serial port code.
class TavroSim : public ::testing::Test {
  protected:
    TavroSim() : ctx(loop, settings.Path()) {
        ctx.port.onFrame = [this](std::string_view f) { frames.emplace_back(f); };
    }

    std::string Registry() const { return runtime.Path() + "/tavro/ports"; }

    // Sends one command through the port and waits for its reply.
    // `replyId`: the ID the reply must come from when it is not `id` (an ID change).
    std::optional<ReplyRecord> Ask(int id, const std::string& command,
                                   std::int64_t waitMs = kReplyMs, int replyId = 0) {
        frames.clear();
        RequestRecord last;
        if (!ctx.port.transport || !ctx.port.transport->Write(BuildRequest(id, command, last))) {
            return std::nullopt;
        }
        last.controllerId = replyId != 0 ? replyId : id;
        loop.RunUntil([this] { return !frames.empty(); }, waitMs);
        if (frames.empty()) {
            return std::nullopt;
        }
        auto reply = ParseReply(frames.front());
        if (reply && !CheckReply(*reply, last)) {
            ADD_FAILURE() << "reply fails the check: " << frames.front();
        }
        return reply;
    }

    tavro::test::TempDir runtime;
    tavro::test::TempDir settings;
    PollLoop loop;
    LinkContext ctx;
    std::vector<std::string> frames;
};

TEST_F(TavroSim, ServesFramesThroughTheSerialPort) {
    SimProcess sim(runtime.Path(), {"--quiet"});
    const std::string path = sim.ReadPath();
    ASSERT_FALSE(path.empty());
    ASSERT_EQ(CComPort(ctx).Open(path, 19200), 0) << ctx.port.lastError.Why();

    const auto ve = Ask(1, "VE");
    ASSERT_TRUE(ve.has_value());
    EXPECT_EQ(ve->data, "2.60");
    ASSERT_TRUE(Ask(1, "EE 3 0 4321.00000").has_value());
    const auto read = Ask(1, "EE 3 0");
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->data, "4321.000000");
    const auto mo = Ask(1, "MO");
    ASSERT_TRUE(mo.has_value());
    EXPECT_EQ(mo->data.size(), 28U);
    EXPECT_FALSE(Ask(2, "VE", 300).has_value());

    CRxdThread(ctx).StopReceiver();
    EXPECT_EQ(sim.Stop(), 0);
}

TEST_F(TavroSim, IsListedAsAPortWhileItRuns) {
    SimProcess sim(runtime.Path(), {"--quiet", "--id", "4,6"});
    const std::string path = sim.ReadPath();
    ASSERT_FALSE(path.empty());
    PortScanConfig scan;
    scan.registryDir = Registry();
    const auto ports = ListSerialPorts(scan);
    const int at = CComPort::FindPort(ports, path);
    ASSERT_GE(at, 0);
    EXPECT_TRUE(ports[static_cast<std::size_t>(at)].isVirtual);
    EXPECT_EQ(
        ui::PortDescription(ports[static_cast<std::size_t>(at)], StringTable(Language::kEnglish)),
        "Tavro simulated controller (IDs 4, 6)");

    const std::string entry = Registry() + "/" + std::to_string(sim.Pid()) + ".port";
    EXPECT_EQ(::access(entry.c_str(), F_OK), 0);
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_NE(::access(entry.c_str(), F_OK), 0) << "unregistered on exit";
}

TEST_F(TavroSim, NextClientGetsThePortRightAfterTheFirstClosedIt) {
    SimProcess sim(runtime.Path(), {"--quiet"});
    const std::string path = sim.ReadPath();
    ASSERT_FALSE(path.empty());
    ASSERT_EQ(CComPort(ctx).Open(path, 19200), 0);
    ASSERT_TRUE(Ask(1, "VE").has_value());

    // The serial port asks for exclusive use, which would outlive the client while the
    // simulator holds the terminal open and lock out everyone but root; the simulator lifts
    // it (and what else would trip the next client) while the client is still connected.
    bool lifted = false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartMs);
    while (!lifted && std::chrono::steady_clock::now() < end) {
        int exclusive = 1;
        ASSERT_EQ(::ioctl(static_cast<SerialPort*>(ctx.port.transport.get())->Fd(), TIOCGEXCL,
                          &exclusive),
                  0);
        lifted = exclusive == 0;
        if (!lifted) {
            loop.RunFor(10);
        }
    }
    EXPECT_TRUE(lifted);

    CRxdThread(ctx).StopReceiver();
    ASSERT_EQ(CComPort(ctx).Open(path, 19200), 0) << ctx.port.lastError.Why();
    EXPECT_TRUE(Ask(1, "VE").has_value());
    CRxdThread(ctx).StopReceiver();
}

TEST_F(TavroSim, ClientAtAnotherSpeedGetsNoAnswerUnlessAnySpeed) {
    {
        SimProcess sim(runtime.Path(), {"--quiet", "--baud", "38400"});
        const std::string path = sim.ReadPath();
        ASSERT_FALSE(path.empty());
        ASSERT_EQ(CComPort(ctx).Open(path, 19200), 0);
        EXPECT_FALSE(Ask(1, "VE", 500).has_value());
        CRxdThread(ctx).StopReceiver();
        ASSERT_EQ(CComPort(ctx).Open(path, 38400), 0);
        EXPECT_TRUE(Ask(1, "VE").has_value());
        CRxdThread(ctx).StopReceiver();
    }
    SimProcess sim(runtime.Path(), {"--quiet", "--baud", "38400", "--any-speed"});
    const std::string path = sim.ReadPath();
    ASSERT_FALSE(path.empty());
    ASSERT_EQ(CComPort(ctx).Open(path, 9600), 0);
    EXPECT_TRUE(Ask(1, "VE").has_value());
    CRxdThread(ctx).StopReceiver();
}

TEST_F(TavroSim, StoredParametersSurviveARestartOfTheProgram) {
    const std::string state = settings.File("controller.mem");
    {
        SimProcess sim(runtime.Path(), {"--quiet", "--state", state});
        const std::string path = sim.ReadPath();
        ASSERT_FALSE(path.empty());
        ASSERT_EQ(CComPort(ctx).Open(path, 19200), 0);
        ASSERT_EQ(Ask(1, "EE 0 3 12.00000", kReplyMs, 12)->controllerId, 12);
        ASSERT_EQ(Ask(12, "EU")->status, "OK");
        CRxdThread(ctx).StopReceiver();
        EXPECT_EQ(sim.Stop(), 0);
    }
    SimProcess sim(runtime.Path(), {"--quiet", "--state", state});
    const std::string path = sim.ReadPath();
    ASSERT_FALSE(path.empty());
    ASSERT_EQ(CComPort(ctx).Open(path, 19200), 0);
    EXPECT_FALSE(Ask(1, "VE", 300).has_value());
    EXPECT_TRUE(Ask(12, "VE").has_value());
    CRxdThread(ctx).StopReceiver();
}

// Runs tavro-sim to its end with these arguments; returns the exit status and the output.
int RunToEnd(std::vector<std::string> args, std::string& output) {
    int pipes[2];
    if (::pipe(pipes) != 0) {
        return -1;
    }
    args.insert(args.begin(), TAVRO_SIM_EXE);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipes[1], STDOUT_FILENO);
        ::dup2(pipes[1], STDERR_FILENO);
        ::close(pipes[0]);
        std::vector<char*> argv;
        for (auto& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipes[1]);
    char buf[4096];
    ssize_t n = 0;
    while ((n = ::read(pipes[0], buf, sizeof buf)) > 0) {
        output.append(buf, static_cast<std::size_t>(n));
    }
    ::close(pipes[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(TavroSimCommandLine, HelpExitsZeroAndBadOptionsExitTwo) {
    std::string help;
    EXPECT_EQ(RunToEnd({"--help"}, help), 0);
    EXPECT_NE(help.find("--fault FAULT"), std::string::npos);
    std::string bad;
    EXPECT_EQ(RunToEnd({"--stroke", "25"}, bad), 2);
    EXPECT_NE(bad.find("--stroke"), std::string::npos);
}

}  // namespace
}  // namespace tavro::sim::test
