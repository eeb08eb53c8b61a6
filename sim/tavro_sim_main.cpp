// tavro-sim: simulated controllers on a pseudo-terminal that the tool lists as a port.

#include <signal.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "link/Numbers.h"
#include "link/ParameterImage.h"
#include "link/PollLoop.h"
#include "link/PortList.h"
#include "sim/BusScheduler.h"
#include "sim/PtyEndpoint.h"
#include "sim/SimBus.h"
#include "sim/SimCommandLine.h"

namespace {

using tavro::sim::ControlCommand;
using tavro::sim::Direction;
using tavro::sim::LineRecord;
using tavro::sim::SimBus;
using tavro::sim::SimController;

constexpr const char* kProgram = "tavro-sim";
constexpr std::size_t kMaxControlLine = 256;
constexpr std::int64_t kTidyMs = 20;

// Frames as a person can read them: control and non-ASCII bytes as \xNN.
std::string Printable(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c > 0x7E) {
            out += tavro::Format("\\x%02X", static_cast<unsigned>(c));
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void LogFrame(const LineRecord& r, std::int64_t startMs) {
    std::string faults;
    for (auto kind : r.faults) {
        faults += faults.empty() ? "  [" : ", ";
        faults += tavro::sim::FaultKindName(kind);
    }
    if (!faults.empty()) {
        faults += "]";
    }
    std::fprintf(stderr, "%10lld ms %s %s%s\n", static_cast<long long>(r.timeMs - startMs),
                 r.direction == Direction::kRequest ? "->" : "<-", Printable(r.bytes).c_str(),
                 faults.c_str());
}

// The controller IDs on the line, "1, 3", for the port list.
std::string ControllerIds(const SimBus& bus) {
    std::string ids;
    for (std::size_t i = 0; i < bus.ControllerCount(); ++i) {
        ids += (i == 0 ? "" : ", ") + std::to_string(bus.ControllerAt(i).Options().id);
    }
    return ids;
}

std::string Describe(const SimBus& bus) {
    return std::string("Tavro simulated controller (ID") +
           (bus.ControllerCount() > 1 ? "s " : " ") + ControllerIds(bus) + ")";
}

void Apply(const ControlCommand& c, SimBus& bus, tavro::PollLoop& loop) {
    using Kind = ControlCommand::Kind;
    if (c.kind == Kind::kInvalid) {
        std::fprintf(stderr, "%s: %s\n", kProgram, c.error.c_str());
        return;
    }
    if (c.kind == Kind::kQuit) {
        loop.Quit();
        return;
    }
    if (c.kind == Kind::kFaults) {
        const auto& plan = bus.Faults();
        std::string line = "faults requests=" + std::to_string(plan.Requests());
        for (auto kind : {tavro::sim::FaultKind::kNoReply, tavro::sim::FaultKind::kLostReply,
                          tavro::sim::FaultKind::kCorruptChecksum, tavro::sim::FaultKind::kWrongId,
                          tavro::sim::FaultKind::kWrongCode, tavro::sim::FaultKind::kNg,
                          tavro::sim::FaultKind::kNoise, tavro::sim::FaultKind::kLateDuplicate,
                          tavro::sim::FaultKind::kExtraDelay}) {
            line += " " + std::string(tavro::sim::FaultKindName(kind)) + "=" +
                    std::to_string(plan.TotalInjected(kind));
        }
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
        return;
    }
    bool any = false;
    for (std::size_t i = 0; i < bus.ControllerCount(); ++i) {
        SimController& ctl = bus.ControllerAt(i);
        if (c.id != 0 && ctl.Id() != c.id) {
            continue;
        }
        any = true;
        switch (c.kind) {
            case Kind::kAlarm:
                ctl.RaiseAlarm(c.value);
                break;
            case Kind::kClear:
                ctl.ClearAlarm();
                break;
            case Kind::kInputs:
                ctl.SetPhysicalInputs(static_cast<std::uint16_t>(c.value));
                break;
            case Kind::kWorkpiece:
                ctl.SetWorkpiece(c.mm);
                break;
            case Kind::kRestart:
                ctl.PowerCycle();
                break;
            case Kind::kMemory:
                // Exact floats, so that a reader can tell what the controller holds.
                std::printf("memory %d\n", ctl.Id());
                for (int g = 0; g < tavro::ParameterImage::kGroupCount; ++g) {
                    for (int p = 0; p < tavro::ParameterImage::CellCount(g); ++p) {
                        std::printf("%d/%d=%.9g\n", g, p, static_cast<double>(ctl.Parameter(g, p)));
                    }
                }
                std::printf("end\n");
                std::fflush(stdout);
                break;
            case Kind::kStatus:
                std::printf("ID %d: status %04X, position %.3f mm, %s, %s mode, alarm %d%s\n",
                            ctl.Id(), static_cast<unsigned>(ctl.StatusWord()),
                            ctl.Position() / 1000.0, ctl.ServoOn() ? "servo on" : "servo off",
                            ctl.TestMode() ? "test" : "monitor", static_cast<int>(ctl.History()[0]),
                            ctl.AlarmActive() ? " (present)" : "");
                std::fflush(stdout);
                break;
            default:
                break;
        }
    }
    if (!any) {
        std::fprintf(stderr, "%s: no controller with ID %d\n", kProgram, c.id);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    tavro::sim::SimProgramOptions options;
    std::string error;
    switch (tavro::sim::ParseCommandLine(argc, argv, options, error)) {
        case tavro::sim::CommandLineResult::kHelp:
            std::fputs(tavro::sim::HelpText().c_str(), stdout);
            return 0;
        case tavro::sim::CommandLineResult::kError:
            std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", kProgram, error.c_str(), kProgram);
            return 2;
        case tavro::sim::CommandLineResult::kRun:
            break;
    }

    // Signals arrive as readable bytes on a descriptor; nothing runs inside a handler.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    if (sigprocmask(SIG_BLOCK, &signals, nullptr) != 0) {
        std::perror(kProgram);
        return 1;
    }
    const int signalFd = signalfd(-1, &signals, SFD_NONBLOCK | SFD_CLOEXEC);
    if (signalFd < 0) {
        std::perror(kProgram);
        return 1;
    }

    tavro::PollLoop loop;
    // Characters on microsecond deadlines: the loop's millisecond timers would make every
    // exchange up to a millisecond late, which a benchmark would count against the tool.
    tavro::sim::PreciseScheduler precise(loop);
    // The kernel may let a timer of an ordinary process fire up to 50 us late to save wake-ups.
    (void)::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    SimBus bus(loop);
    for (const auto& c : options.controllers) {
        const SimController& ctl = bus.AddController(c);
        if (!ctl.StateError().empty()) {
            std::fprintf(stderr, "%s: %s; starting from factory defaults\n", kProgram,
                         ctl.StateError().c_str());
        }
    }
    for (const auto& f : options.faults) {
        bus.Faults().Add(f);
    }
    bus.Faults().StartDraws(options.draws);
    if (precise.Ready()) {
        bus.SetScheduler(&precise);
    }
    bus.SetByteTiming(options.byteTiming);
    bus.SetSpeedCheck(!options.anySpeed);
    bus.SetLogLimit(0);
    if (options.verbosity >= 2) {
        bus.SetLogSink([startMs = loop.NowMs()](const LineRecord& r) { LogFrame(r, startMs); });
    }

    // A state file may hold another speed than --baud; the controllers use theirs.
    const int lineSpeed = bus.ControllerAt(0).LineSpeed();
    bus.SetLineSpeed(lineSpeed);
    tavro::sim::PtyEndpoint pty;
    if (!pty.Open(lineSpeed, error)) {
        std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
        ::close(signalFd);
        return 1;
    }
    bus.Attach([&pty](std::string_view bytes) { pty.Write(bytes); });

    int status = 0;
    loop.WatchReadable(pty.Master(), [&] {
        std::string bytes;
        const bool ok = pty.Read(bytes);
        if (!options.anySpeed) {
            bus.SetLineSpeed(pty.ClientSpeed());
        }
        bus.FromHost(bytes);
        if (!ok) {
            std::fprintf(stderr, "%s: the terminal failed\n", kProgram);
            status = 1;
            loop.Quit();
        }
    });
    // Clients that leave and come straight back must find the terminal as the first found it.
    loop.StartTimer(kTidyMs, true, [&pty] { pty.Tidy(); });
    if (pty.Events() >= 0) {
        loop.WatchReadable(pty.Events(), [&pty] { pty.HandleEvents(); });
    }
    loop.WatchReadable(signalFd, [&] {
        signalfd_siginfo info{};
        while (::read(signalFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        }
        loop.Quit();
    });

    std::string pending;
    tavro::EventLoop::WatchId stdinWatch = 0;
    if (options.control) {
        stdinWatch = loop.WatchReadable(STDIN_FILENO, [&] {
            char buf[512];
            const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
            if (n <= 0) {
                loop.Unwatch(stdinWatch);  // end of input: keep serving
                return;
            }
            pending.append(buf, static_cast<std::size_t>(n));
            std::size_t nl = 0;
            while ((nl = pending.find('\n')) != std::string::npos) {
                Apply(tavro::sim::ParseControlLine(std::string_view(pending).substr(0, nl)), bus,
                      loop);
                pending.erase(0, nl + 1);
            }
            if (pending.size() > kMaxControlLine) {
                std::fprintf(stderr, "%s: control line too long, dropped\n", kProgram);
                pending.clear();
            }
        });
    }

    const bool registered = tavro::RegisterSimulatedPort(pty.SlavePath(), ControllerIds(bus));
    if (!registered && options.verbosity >= 1) {
        std::fprintf(stderr, "%s: could not register %s in %s; open it by its path\n", kProgram,
                     pty.SlavePath().c_str(), tavro::VirtualPortRegistryDir().c_str());
    }
    std::printf("%s\n", pty.SlavePath().c_str());
    std::fflush(stdout);
    if (options.verbosity >= 1) {
        std::fprintf(stderr, "%s: %s, %d bit/s, on %s\n", kProgram, Describe(bus).c_str(),
                     lineSpeed, pty.SlavePath().c_str());
    }

    loop.Run();

    if (registered) {
        tavro::UnregisterVirtualPort();
    }
    ::close(signalFd);
    return status;
}
