// Runs the long transfers against tavro-sim on a pseudo-terminal with byte timing and prints,
// per operation and line speed, how close the tool comes to the time the bytes need on the
// wire, and the CPU it spends; then the CPU the tool uses while it only polls the monitor.
//
//   tavro-bench [--idle-seconds N]

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "link/CComPort.h"
#include "link/CTimer.h"
#include "link/CTrxData.h"
#include "link/LinkEngine.h"
#include "link/PollLoop.h"
#include "link/SerialPort.h"
#include "monitor/MonitorHook.h"

namespace tavro::bench {
namespace {

constexpr int kBitsPerCharacter = 11;       // start, 8 data, even parity, stop
constexpr double kControllerDelayMs = 1.0;  // tavro-sim's minimum communication delay
constexpr std::int64_t kOperationLimitMs = 120000;
constexpr int kStartMs = 10000;

double CpuSeconds() {
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double WallSeconds() {
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

// A fresh folder, removed with its contents.
class ScratchDir {
  public:
    ScratchDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "tavro-bench-XXXXXX").string();
        if (::mkdtemp(tmpl.data()) != nullptr) {
            path_ = tmpl;
        }
    }
    ~ScratchDir() {
        std::error_code ec;
        if (!path_.empty()) {
            std::filesystem::remove_all(path_, ec);
        }
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

// tavro-sim as a child process, stopped with SIGTERM when this goes.
class SimProcess {
  public:
    SimProcess(const std::string& runtimeDir, int baud) {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) {
            return;
        }
        std::vector<std::string> args = {TAVRO_SIM_EXE, "--byte-timing", "--quiet", "--baud",
                                         std::to_string(baud)};
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
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
        if (out_ >= 0) {
            ::close(out_);
        }
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // The first line of its standard output: the terminal's path.
    std::string ReadPath() const {
        std::string line;
        const double end = WallSeconds() + kStartMs / 1000.0;
        while (out_ >= 0 && line.find('\n') == std::string::npos && WallSeconds() < end) {
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

  private:
    pid_t pid_ = -1;
    int out_ = -1;
};

// The serial port with counters of the characters that cross it.
class CountingLine : public Transport {
  public:
    explicit CountingLine(std::unique_ptr<Transport> inner) : inner_(std::move(inner)) {}

    void Start(BytesHandler onBytes, GoneHandler onGone) override {
        inner_->Start(
            [this, onBytes = std::move(onBytes)](std::string_view bytes) {
                received += bytes.size();
                onBytes(bytes);
            },
            std::move(onGone));
    }
    void Stop() override { inner_->Stop(); }
    bool Write(std::string_view bytes) override {
        // ":01 MOcc" CR LF
        const bool poll = bytes.size() == 10 && bytes.substr(4, 2) == "MO";
        if (!poll) {
            ++commands;
            sent += bytes.size();
        }
        return inner_->Write(bytes);
    }
    bool IsOpen() const override { return inner_->IsOpen(); }
    std::string Name() const override { return inner_->Name(); }

    void Reset() {
        commands = 0;
        sent = 0;
        received = 0;
    }

    std::size_t commands = 0;
    std::size_t sent = 0;
    std::size_t received = 0;

  private:
    std::unique_ptr<Transport> inner_;
};

struct Operation {
    const char* name;
    int op;
    int param;
};

constexpr Operation kOperations[] = {
    {"OP_UPLOAD_ALL", OP_UPLOAD_ALL, 0},
    {"OP_DETAIL_UPLOAD", OP_DETAIL_UPLOAD, 1},
    {"OP_STEP_UPLOAD", OP_STEP_UPLOAD, 0},
    {"OP_STEP_DOWNLOAD", OP_STEP_DOWNLOAD, 0},
};

constexpr int kSpeeds[] = {19200, 57600};

// One line speed: the operations in turn, then the idle poll. False when the link failed.
bool RunSpeed(int baud, int idleSeconds) {
    ScratchDir runtime;
    ScratchDir settings;
    SimProcess sim(runtime.Path(), baud);
    const std::string path = sim.ReadPath();
    if (path.empty()) {
        std::fprintf(stderr, "tavro-sim did not start (%s)\n", TAVRO_SIM_EXE);
        return false;
    }

    PollLoop loop;
    LinkContext ctx(loop, settings.Path());
    CountingLine* line = nullptr;
    ctx.openPort = [&loop, &line](const std::string& p, int b, OpenError& error) {
        auto port = SerialPort::Open(loop, p, b, error);
        if (!port) {
            return std::unique_ptr<Transport>();
        }
        auto counted = std::make_unique<CountingLine>(std::move(port));
        line = counted.get();
        return std::unique_ptr<Transport>(std::move(counted));
    };
    LinkEngine engine(ctx);
    MonitorHook monitor(ctx);
    if (CComPort(ctx).Open(path, baud) != 0 || line == nullptr) {
        std::fprintf(stderr, "cannot open %s: %s\n", path.c_str(),
                     std::strerror(ctx.port.lastError.error));
        return false;
    }
    ctx.status.controllerId = 1;
    ctx.status.frontPhase = kFrontMain;

    for (const Operation& o : kOperations) {
        // The poll is stopped and idle, so only the operation's own exchanges are counted.
        CTimer(ctx).StopPoll();
        loop.RunUntil([&ctx] { return !ctx.trx.PollInFlight(); }, 1000);
        if (o.op == OP_STEP_DOWNLOAD) {
            // As a first download: every cell of every step is written.
            ctx.status.flags = static_cast<std::uint8_t>(ctx.status.flags & ~kFlagStepDataMoved);
        }
        line->Reset();
        const double wall0 = WallSeconds();
        const double cpu0 = CpuSeconds();
        CTrxData(ctx).Run(o.op, o.param, 0);
        const bool done =
            loop.RunUntil([&ctx] { return ctx.trx.currentOp == OP_IDLE && !ctx.trx.InFlight(); },
                          kOperationLimitMs);
        const double cpu = CpuSeconds() - cpu0;
        const double wall = WallSeconds() - wall0;
        if (!done || ctx.status.linkState == kLinkNoController) {
            std::printf("%6d  %-18s  failed\n", baud, o.name);
            return false;
        }
        const double wireMs =
            static_cast<double>((line->sent + line->received) * kBitsPerCharacter) * 1000.0 / baud +
            static_cast<double>(line->commands) * kControllerDelayMs;
        std::printf("%6d  %-18s  %8zu  %10.1f  %10.1f  %6.2f  %12.1f\n", baud, o.name,
                    line->commands, wall * 1000.0, wireMs, wall * 1000.0 / wireMs,
                    line->commands > 0 ? cpu * 1e6 / static_cast<double>(line->commands) : 0.0);
    }

    // Online and idle: nothing but the 100 ms monitor poll.
    CTimer(ctx).StartPoll();
    line->Reset();
    const double cpu0 = CpuSeconds();
    loop.RunFor(static_cast<std::int64_t>(idleSeconds) * 1000);
    const double cpu = CpuSeconds() - cpu0;
    const double perMinute = cpu * 60.0 / idleSeconds;
    std::printf("%6d  idle poll: %zu bytes received in %d s, CPU %.1f ms per minute (%.3f %%)\n",
                baud, line->received, idleSeconds, perMinute * 1000.0, perMinute / 60.0 * 100.0);
    return true;
}

}  // namespace
}  // namespace tavro::bench

int main(int argc, char** argv) {
    int idleSeconds = 10;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--idle-seconds" && i + 1 < argc) {
            idleSeconds = std::atoi(argv[++i]);
            if (idleSeconds < 1) {
                idleSeconds = 1;
            }
        } else {
            std::fprintf(stderr, "usage: tavro-bench [--idle-seconds N]\n");
            return 2;
        }
    }
    std::printf("%6s  %-18s  %8s  %10s  %10s  %6s  %12s\n", "bit/s", "operation", "commands",
                "time ms", "wire ms", "ratio", "CPU us/cmd");
    bool ok = true;
    for (int baud : tavro::bench::kSpeeds) {
        ok = tavro::bench::RunSpeed(baud, idleSeconds) && ok;
    }
    return ok ? 0 : 1;
}
