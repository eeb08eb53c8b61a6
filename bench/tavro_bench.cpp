// Runs the long transfers against tavro-sim on a pseudo-terminal with byte timing and prints,
// per operation and line speed, how close the tool comes to the time the bytes need on the
// wire, its own turnaround (reply received to next request written) and the CPU it spends;
// then the CPU the tool uses while it only polls the monitor. A first table measures the
// simulator alone, answering a client that does nothing but send the next request, so that
// what the tool's table shows is the tool's. A last table times the detail upload with the
// communication log's model attached (fed by the engine, refreshed as the window does) against
// the same upload without it.
//
//   tavro-bench [--idle-seconds N]

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "commlog/CommLogModel.h"
#include "link/CComPort.h"
#include "link/CTimer.h"
#include "link/CTrxData.h"
#include "link/Frame.h"
#include "link/LineLog.h"
#include "link/LinkEngine.h"
#include "link/PollLoop.h"
#include "link/SerialPort.h"
#include "monitor/MonitorHook.h"
#include "ui/StringTable.h"

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

double MonotonicMicros() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e6 + static_cast<double>(ts.tv_nsec) * 1e-3;
}

// The value below which this fraction of the samples lies; 0 without samples.
double Percentile(std::vector<double> samples, double fraction) {
    if (samples.empty()) {
        return 0.0;
    }
    std::sort(samples.begin(), samples.end());
    const auto index =
        static_cast<std::size_t>(fraction * static_cast<double>(samples.size() - 1) + 0.5);
    return samples[std::min(index, samples.size() - 1)];
}

double WireMs(std::size_t characters, std::size_t exchanges, int baud) {
    return static_cast<double>(characters * kBitsPerCharacter) * 1000.0 / baud +
           static_cast<double>(exchanges) * kControllerDelayMs;
}

// The serial port with counters of the characters that cross it, and the tool's turnaround:
// from the read that completed a reply to the write of the next request.
class CountingLine : public Transport {
  public:
    explicit CountingLine(std::unique_ptr<Transport> inner) : inner_(std::move(inner)) {}

    void Start(BytesHandler onBytes, GoneHandler onGone) override {
        inner_->Start(
            [this, onBytes = std::move(onBytes)](std::string_view bytes) {
                received += bytes.size();
                if (bytes.find('\n') != std::string_view::npos) {
                    replyEndUs_ = MonotonicMicros();
                }
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
            if (replyEndUs_ >= 0.0) {
                turnaroundsUs.push_back(MonotonicMicros() - replyEndUs_);
            }
        }
        replyEndUs_ = -1.0;
        return inner_->Write(bytes);
    }
    bool IsOpen() const override { return inner_->IsOpen(); }
    std::string Name() const override { return inner_->Name(); }

    void Reset() {
        commands = 0;
        sent = 0;
        received = 0;
        replyEndUs_ = -1.0;
        turnaroundsUs.clear();
    }

    std::size_t commands = 0;
    std::size_t sent = 0;
    std::size_t received = 0;
    std::vector<double> turnaroundsUs;

  private:
    std::unique_ptr<Transport> inner_;
    double replyEndUs_ = -1.0;
};

// The simulator alone: a client that writes each request as soon as the reply to the one
// before has arrived, with nothing else to do, against the wire time of what crossed.
bool SimulatorAlone(int baud, int exchanges) {
    ScratchDir runtime;
    SimProcess sim(runtime.Path(), baud);
    const std::string path = sim.ReadPath();
    PollLoop loop;
    OpenError error;
    auto port = path.empty() ? nullptr : SerialPort::Open(loop, path, baud, error);
    if (!port) {
        std::fprintf(stderr, "simulator alone at %d bit/s: no port (%s)\n", baud,
                     error.Why().c_str());
        return false;
    }
    const int fd = port->Fd();
    RequestRecord record;
    const std::string request = BuildRequest(1, "EE 1 1", record);
    std::size_t characters = 0;
    const double start = WallSeconds();
    for (int i = 0; i < exchanges; ++i) {
        if (::write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size())) {
            return false;
        }
        characters += request.size();
        std::string reply;
        while (reply.find('\n') == std::string::npos) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 1000) <= 0) {
                std::fprintf(stderr, "simulator alone at %d bit/s: no reply\n", baud);
                return false;
            }
            char buf[256];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0) {
                reply.append(buf, static_cast<std::size_t>(n));
            }
        }
        characters += reply.size();
    }
    const double ms = (WallSeconds() - start) * 1000.0;
    const double wire = WireMs(characters, static_cast<std::size_t>(exchanges), baud);
    std::printf("%6d  %9d  %10.1f  %10.1f  %6.3f  %10.1f\n", baud, exchanges, ms, wire, ms / wire,
                (ms - wire) * 1000.0 / exchanges);
    return true;
}

struct Operation {
    const char* name;
    Op op;
    int param;
};

constexpr Operation kOperations[] = {
    {"OP_UPLOAD_ALL", OP_UPLOAD_ALL, 0},
    {"OP_DETAIL_UPLOAD", OP_DETAIL_UPLOAD, 1},
    {"OP_STEP_UPLOAD", OP_STEP_UPLOAD, 0},
    {"OP_STEP_DOWNLOAD", OP_STEP_DOWNLOAD, 0},
};

constexpr int kSpeeds[] = {19200, 57600};
constexpr int kScriptedExchanges = 300;

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
        std::fprintf(stderr, "cannot open %s\n", ctx.port.lastError.Why().c_str());
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
        const double wireMs = WireMs(line->sent + line->received, line->commands, baud);
        std::printf("%6d  %-18s  %8zu  %10.1f  %10.1f  %6.3f  %8.1f  %8.1f  %10.1f\n", baud, o.name,
                    line->commands, wall * 1000.0, wireMs, wall * 1000.0 / wireMs,
                    Percentile(line->turnaroundsUs, 0.5), Percentile(line->turnaroundsUs, 0.99),
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

// The detail upload, alternately with and without the line log and the window's model on it;
// the medians of `rounds` uploads each. False when the link failed.
bool LogWindowCost(int baud, int rounds) {
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
    ctx.openPort = [&loop](const std::string& p, int b, OpenError& error) {
        return std::unique_ptr<Transport>(SerialPort::Open(loop, p, b, error));
    };
    LinkEngine engine(ctx);
    MonitorHook monitor(ctx);
    if (CComPort(ctx).Open(path, baud) != 0) {
        std::fprintf(stderr, "cannot open %s\n", ctx.port.lastError.Why().c_str());
        return false;
    }
    ctx.status.controllerId = 1;
    ctx.status.frontPhase = kFrontMain;
    LineLog log;
    const StringTable strings(Language::kEnglish);
    commlog::CommLogModel model(log, strings);
    std::size_t cellBytes = 0;
    // The worst case: a ring already full from hours of polling, which every refresh's
    // summary walks.
    for (std::int64_t i = 0; log.Size() < log.Capacity(); ++i) {
        log.Sent(i * 100000, ":01 MOE3\r\n", "MO", 1, 1, true);
        const auto seq = log.Received(i * 100000 + 9000, "01MOOK0080000F40F3000000000F4200000000XX",
                                      LineStatus::kOk, "MO", 1, true);
        log.Settle(seq, LineOutcome::kAnswered, 9000);
    }
    model.Refresh();

    std::vector<double> withMs;
    std::vector<double> withoutMs;
    std::vector<double> withCpuMs;
    std::vector<double> withoutCpuMs;
    for (int i = 0; i < 2 * rounds; ++i) {
        const bool attached = i % 2 == 1;
        CTimer(ctx).StopPoll();
        loop.RunUntil([&ctx] { return !ctx.trx.PollInFlight(); }, 1000);
        ctx.lineLog = attached ? &log : nullptr;
        // What the window does on its timer: new rows in, their cells drawn, the summary.
        EventLoop::TimerId refresh = 0;
        if (attached) {
            refresh = loop.StartTimer(250, true, [&] {
                const std::size_t before = model.RowCount();
                const auto change = model.Refresh();
                for (std::size_t r = before - change.removed; r < model.RowCount(); ++r) {
                    for (int c = 0; c < commlog::CommLogModel::kColumnCount; ++c) {
                        cellBytes += model.Cell(r, c).size();
                    }
                }
                cellBytes += commlog::SummaryText(log.Summary(baud), strings, nullptr).size();
            });
        }
        const double wall0 = WallSeconds();
        const double cpu0 = CpuSeconds();
        CTrxData(ctx).Run(OP_DETAIL_UPLOAD, 1, 0);
        const bool done =
            loop.RunUntil([&ctx] { return ctx.trx.currentOp == OP_IDLE && !ctx.trx.InFlight(); },
                          kOperationLimitMs);
        const double cpu = CpuSeconds() - cpu0;
        const double wall = WallSeconds() - wall0;
        loop.StopTimer(refresh);
        ctx.lineLog = nullptr;
        if (!done || ctx.status.linkState == kLinkNoController) {
            std::printf("%6d  detail upload failed\n", baud);
            return false;
        }
        (attached ? withMs : withoutMs).push_back(wall * 1000.0);
        (attached ? withCpuMs : withoutCpuMs).push_back(cpu * 1000.0);
    }
    const double with = Percentile(withMs, 0.5);
    const double without = Percentile(withoutMs, 0.5);
    std::printf("%6d  %6d  %12.1f  %12.1f  %8.4f  %10.2f  %10.2f  %9zu\n", baud, rounds, without,
                with, with / without, Percentile(withoutCpuMs, 0.5), Percentile(withCpuMs, 0.5),
                log.Size());
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
    bool ok = true;
    std::printf("The simulator alone, answering a scripted client:\n");
    std::printf("%6s  %9s  %10s  %10s  %6s  %10s\n", "bit/s", "exchanges", "time ms", "wire ms",
                "ratio", "us/exchange");
    for (int baud : tavro::bench::kSpeeds) {
        ok = tavro::bench::SimulatorAlone(baud, tavro::bench::kScriptedExchanges) && ok;
    }
    std::printf(
        "\nThe tool against the simulator (turnaround: reply received to next request "
        "written, us):\n");
    std::printf("%6s  %-18s  %8s  %10s  %10s  %6s  %8s  %8s  %10s\n", "bit/s", "operation",
                "commands", "time ms", "wire ms", "ratio", "turn p50", "turn p99", "CPU us/cmd");
    for (int baud : tavro::bench::kSpeeds) {
        ok = tavro::bench::RunSpeed(baud, idleSeconds) && ok;
    }
    std::printf(
        "\nThe detail upload with the communication log (its ring full) and the window's model "
        "attached and refreshed every 250 ms, against none (medians, ms):\n");
    std::printf("%6s  %6s  %12s  %12s  %8s  %10s  %10s  %9s\n", "bit/s", "rounds", "without",
                "with log", "ratio", "CPU w/o", "CPU with", "entries");
    for (int baud : tavro::bench::kSpeeds) {
        ok = tavro::bench::LogWindowCost(baud, 5) && ok;
    }
    return ok ? 0 : 1;
}
