// tavro-soak: the engine's uploads over pseudo-terminals against tavro-sim with faults on the
// line, until a number of transactions has gone out; every value read is checked against
// what the simulator holds, and the run ends with a table of what happened.
//
//   tavro-soak --sim PATH [--transactions N] [--links K] [--chance PERCENT] [--draws S]

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "link/CComPort.h"
#include "link/CStatusFlg.h"
#include "link/CTimer.h"
#include "link/CTrxData.h"
#include "link/Command.h"
#include "link/LinkContext.h"
#include "link/LinkEngine.h"
#include "link/Numbers.h"
#include "link/ParameterImage.h"
#include "link/PollLoop.h"
#include "link/StringIds.h"
#include "monitor/MonitorHook.h"

namespace {

using namespace tavro;

constexpr int kBaud = 57600;
constexpr int kDelayMs = 300;
// The fault kinds of the mix, as tavro-sim names them, and the table's words for them.
constexpr std::pair<const char*, const char*> kFaults[] = {
    {"lost-reply", "lost replies"}, {"checksum", "bad checksums"}, {"wrong-id", "wrong IDs"},
    {"noise", "noise bytes"},       {"delay", "300 ms delays"},
};
constexpr Op kOperations[] = {OP_UPLOAD_ALL, OP_DETAIL_UPLOAD, OP_STEP_UPLOAD, OP_IO_UPLOAD};
// Alarms raised and cleared before the run, most recent last, so that the alarm history the
// initial upload reads holds something to check.
constexpr int kAlarms[] = {3, 9, 4};
constexpr std::int64_t kStartMs = 10000;
constexpr std::int64_t kAnswerMs = 10000;
// No operation may take longer: 307 commands, each at most four transmissions and a hold.
constexpr std::int64_t kOperationLimitMs = 307LL * 8 * 1000;
constexpr std::int64_t kRestMs = 150;

struct Options {
    std::string sim;
    long transactions = 100000;
    int links = 8;
    double chance = 1.0;
    int draws = 1;
};

struct Totals {
    long transactions = 0;
    long polls = 0;
    long resends = 0;
    long timeouts = 0;
    long missedPolls = 0;
    long operations = 0;
    long succeeded = 0;
    long noResponse = 0;
    long silent = 0;
    long checked = 0;
    long wrong = 0;
    long simRequests = 0;
    std::map<std::string, long> faults;
};

// A value as it reaches the image: the controller's "%f" text read back as a float.
float AsRead(float held) {
    return FloatOrZero(Atof(Format("%f", static_cast<double>(held))));
}

// tavro-sim as a child with its control input and output on pipes.
class SimChild {
  public:
    SimChild(const std::string& program, const std::vector<std::string>& args,
             const std::string& runtimeDir) {
        int in[2];
        int out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], STDIN_FILENO);
            ::dup2(out[1], STDOUT_FILENO);
            ::setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
            std::vector<std::string> all = args;
            all.insert(all.begin(), program);
            std::vector<char*> argv;
            for (auto& a : all) {
                argv.push_back(a.data());
            }
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        toSim_ = in[1];
        fromSim_ = out[0];
    }
    ~SimChild() {
        if (toSim_ >= 0) {
            ::close(toSim_);
        }
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
        if (fromSim_ >= 0) {
            ::close(fromSim_);
        }
    }
    SimChild(const SimChild&) = delete;
    SimChild& operator=(const SimChild&) = delete;

    bool Running() const { return pid_ > 0 && toSim_ >= 0; }

    void Say(const std::string& line) {
        const std::string text = line + "\n";
        if (::write(toSim_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
            std::fprintf(stderr, "tavro-soak: the simulator's control input failed\n");
        }
    }

    // One line of the simulator's output; nullopt after `timeoutMs` or at its end.
    std::optional<std::string> Line(std::int64_t timeoutMs) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (buffer_.find('\n') == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  end - std::chrono::steady_clock::now())
                                  .count();
            pollfd p{fromSim_, POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) {
                return std::nullopt;
            }
            char buf[4096];
            const ssize_t n = ::read(fromSim_, buf, sizeof buf);
            if (n <= 0) {
                return std::nullopt;
            }
            buffer_.append(buf, static_cast<std::size_t>(n));
        }
        const std::size_t nl = buffer_.find('\n');
        std::string line = buffer_.substr(0, nl);
        buffer_.erase(0, nl + 1);
        return line;
    }

  private:
    pid_t pid_ = -1;
    int toSim_ = -1;
    int fromSim_ = -1;
    std::string buffer_;
};

// The link's host: the link state and the two messages that end an operation.
class SoakHost : public LinkHost {
  public:
    explicit SoakHost(StatusBlock& status) : status_(status) {}
    void SetLinkState(LinkState state) override { status_.linkState = state; }
    void ShowMessage(int stringId, MessageIcon, bool) override {
        if (stringId == ids::IDS_NO_RESPONSE) {
            ++noResponse;
        } else {
            ++other;
        }
    }
    int noResponse = 0;
    int other = 0;

  private:
    StatusBlock& status_;
};

// The port, counting what the tool writes: every frame is a transaction; a command frame
// written again right after itself is a resend.
class CountingLine : public Transport {
  public:
    explicit CountingLine(std::unique_ptr<Transport> inner) : inner_(std::move(inner)) {}
    void Start(BytesHandler onBytes, GoneHandler onGone) override {
        inner_->Start(std::move(onBytes), std::move(onGone));
    }
    void Stop() override { inner_->Stop(); }
    bool Write(std::string_view bytes) override {
        ++transactions;
        if (bytes.size() > 6 && bytes.substr(4, 2) == cmd::kMonitor) {
            ++polls;
        } else {
            if (bytes == lastCommand_) {
                ++resends;
            }
            lastCommand_ = std::string(bytes);
        }
        return inner_->Write(bytes);
    }
    bool IsOpen() const override { return inner_->IsOpen(); }
    std::string Name() const override { return inner_->Name(); }

    long transactions = 0;
    long polls = 0;
    long resends = 0;

  private:
    std::unique_ptr<Transport> inner_;
    std::string lastCommand_;
};

// The timer slots as the engine handles them, counting the reply time-outs.
class CountingTimers : public TimerClient {
  public:
    explicit CountingTimers(LinkContext& ctx) : ctx_(ctx) {}
    void OnTimerSlot(int slot) override {
        if (slot == CTimer::kReply) {
            ++timeouts;
        }
        CTrxData(ctx_).OnTimerSlot(slot);
    }
    long timeouts = 0;

  private:
    LinkContext& ctx_;
};

std::string MakeTempDir() {
    std::string pattern = "/tmp/tavro-soak-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        return {};
    }
    return pattern;
}

// Distinct values in every cell the uploads read, so that a reply credited to another
// command shows; the cells the controller's identity and line depend on keep theirs.
std::vector<std::string> DistinctValues() {
    std::vector<std::string> args;
    for (int g = 0; g < ParameterImage::kGroupCount; ++g) {
        for (int p = 0; p < ParameterImage::CellCount(g); ++p) {
            const bool identity =
                g == 0 && (p == 0 || p == 1 || p == 3 || p == 12 || p == 22 || p == 24);
            if (!identity) {
                args.push_back("--set");
                args.push_back(Format("%d/%d=%d.25", g, p, g * 100 + p));
            }
        }
    }
    return args;
}

// One simulator on its own pseudo-terminal and the engine that talks to it.
class SoakLink {
  public:
    SoakLink(PollLoop& loop, const Options& o, int index)
        : loop_(loop), dir_(MakeTempDir()), ctx_(loop, dir_ + "/config") {
        std::vector<std::string> args = {
            "--id",      "1",       "--baud",  std::to_string(kBaud),
            "--control", "--quiet", "--draws", std::to_string(o.draws + index)};
        for (const auto& [name, words] : kFaults) {
            args.push_back("--fault");
            std::string f = std::string(name) + ":*,chance=" + Format("%g", o.chance);
            if (std::string_view(name) == "delay") {
                f += ",ms=" + std::to_string(kDelayMs);
            }
            args.push_back(f);
        }
        for (std::string& a : DistinctValues()) {
            args.push_back(std::move(a));
        }
        sim_ = std::make_unique<SimChild>(o.sim, args, dir_);
    }

    // Reads the simulator's memory and opens the port; false with a reason on stderr.
    bool Start() {
        const std::optional<std::string> path =
            sim_->Running() ? sim_->Line(kStartMs) : std::nullopt;
        if (!path || path->empty()) {
            std::fprintf(stderr, "tavro-soak: the simulator did not start\n");
            return false;
        }
        for (int code : kAlarms) {
            sim_->Say("alarm " + std::to_string(code));
        }
        sim_->Say("clear");
        sim_->Say("memory");
        if (!ReadMemory()) {
            std::fprintf(stderr, "tavro-soak: the simulator's memory could not be read\n");
            return false;
        }
        ctx_.host = &host_;
        if (CComPort(ctx_).Open(*path, kBaud) != 0) {
            std::fprintf(stderr, "tavro-soak: %s: cannot be opened (%s)\n", path->c_str(),
                         std::strerror(ctx_.port.lastError.error));
            return false;
        }
        auto counted = std::make_unique<CountingLine>(std::move(ctx_.port.transport));
        line_ = counted.get();
        ctx_.port.transport = std::move(counted);
        engine_ = std::make_unique<LinkEngine>(ctx_);
        ctx_.timerClient = &timers_;
        hook_ = std::make_unique<MonitorHook>(ctx_);
        CStatusFlg status(ctx_);
        status.SetControllerId(1);
        status.SetFrontPhase(kFrontMain);
        status.SetLinkStateValue(kLinkOnline);
        ctx_.trx.lastRequest.controllerId = 1;
        ctx_.trx.lastHeardMs = loop_.NowMs();
        return true;
    }

    long Transactions() const { return line_ != nullptr ? line_->transactions : 0; }
    // Between two uploads the link rests a little, so that monitor polls go out too.
    bool Idle() const { return !running_ && loop_.NowMs() >= restUntilMs_; }

    void StartNext() {
        const Op op = kOperations[next_ % std::size(kOperations)];
        ++next_;
        ctx_.image.ForgetController();
        ctx_.status.flags = static_cast<std::uint8_t>(ctx_.status.flags & ~SuccessFlag(op));
        ctx_.status.linkState = kLinkOnline;
        ctx_.monitor.alarmCodes.clear();
        op_ = op;
        startedMs_ = loop_.NowMs();
        noResponseBefore_ = host_.noResponse;
        running_ = true;
        CTrxData(ctx_).Run(op, 0, 0);
    }

    // Called often: notices the end of the operation and checks what it read.
    void Check(Totals& t) {
        if (!running_) {
            return;
        }
        const bool ended = ctx_.trx.currentOp == OP_IDLE && ctx_.status.linkState != kLinkBusy;
        if (!ended) {
            if (loop_.NowMs() - startedMs_ > kOperationLimitMs) {
                std::fprintf(stderr, "tavro-soak: an operation did not end\n");
                ++t.silent;
                running_ = false;
            }
            return;
        }
        running_ = false;
        restUntilMs_ = loop_.NowMs() + kRestMs;
        ++t.operations;
        const bool failed = host_.noResponse > noResponseBefore_;
        const bool success = (ctx_.status.flags & SuccessFlag(op_)) != 0 && !failed;
        if (failed) {
            ++t.noResponse;
        } else if (success) {
            ++t.succeeded;
        } else {
            ++t.silent;
        }
        for (int g = 0; g < ParameterImage::kGroupCount; ++g) {
            for (int p = 0; p < ParameterImage::CellCount(g); ++p) {
                if (ctx_.image.Origin(g, p) != CellOrigin::kController) {
                    continue;
                }
                ++t.checked;
                const float held = AsRead(memory_[{g, p}]);
                if (ctx_.image.GetCell(g, p, ParameterImage::kControllerCopy) != held ||
                    ctx_.image.GetCell(g, p, ParameterImage::kEditCopy) != held) {
                    ++t.wrong;
                    std::fprintf(stderr, "tavro-soak: %d/%d read as %g, the controller holds %g\n",
                                 g, p,
                                 static_cast<double>(
                                     ctx_.image.GetCell(g, p, ParameterImage::kControllerCopy)),
                                 static_cast<double>(held));
                }
            }
        }
        if (op_ == OP_UPLOAD_ALL && success) {
            t.checked += 1 + static_cast<long>(std::size(kAlarms));
            if (ctx_.status.controllerVersion != 2.6F) {
                ++t.wrong;
                std::fprintf(stderr, "tavro-soak: version read as %g\n",
                             static_cast<double>(ctx_.status.controllerVersion));
            }
            const std::vector<int>& codes = ctx_.monitor.alarmCodes;
            for (std::size_t i = 0; i < std::size(kAlarms); ++i) {
                const int expected = kAlarms[std::size(kAlarms) - 1 - i];
                if (codes.size() <= i || codes[i] != expected) {
                    ++t.wrong;
                    std::fprintf(stderr, "tavro-soak: alarm %zu read wrong\n", i);
                }
            }
        }
    }

    void AddTo(Totals& t) {
        if (line_ != nullptr) {
            t.transactions += line_->transactions;
            t.polls += line_->polls;
            t.resends += line_->resends;
        }
        t.timeouts += timers_.timeouts;
        t.missedPolls += ctx_.trx.counters.missedPolls;
        sim_->Say("faults");
        const std::optional<std::string> line = sim_->Line(kAnswerMs);
        if (!line || line->rfind("faults ", 0) != 0) {
            std::fprintf(stderr, "tavro-soak: the simulator did not count its faults\n");
            return;
        }
        // "faults requests=N no-reply=N lost-reply=N ..."
        std::size_t pos = 7;
        while (pos < line->size()) {
            const std::size_t space = line->find(' ', pos);
            const std::string item = line->substr(pos, space - pos);
            const std::size_t eq = item.find('=');
            if (eq != std::string::npos) {
                const long n = std::atol(item.c_str() + eq + 1);
                if (item.substr(0, eq) == "requests") {
                    t.simRequests += n;
                } else {
                    t.faults[item.substr(0, eq)] += n;
                }
            }
            pos = space == std::string::npos ? line->size() : space + 1;
        }
    }

    void Close() {
        if (engine_) {
            CTrxData(ctx_).AbortAll();
        }
        hook_.reset();
        engine_.reset();
        ctx_.port.transport.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

  private:
    static std::uint8_t SuccessFlag(Op op) {
        switch (op) {
            case OP_UPLOAD_ALL:
                return kFlagUploadDone;
            case OP_DETAIL_UPLOAD:
                return kFlagDetailUploadDone;
            case OP_STEP_UPLOAD:
                return kFlagStepDataMoved;
            default:
                return kFlagDetailRead;
        }
    }

    bool ReadMemory() {
        std::optional<std::string> line = sim_->Line(kAnswerMs);
        if (!line || line->rfind("memory", 0) != 0) {
            return false;
        }
        while ((line = sim_->Line(kAnswerMs)) && *line != "end") {
            int g = 0;
            int p = 0;
            float v = 0.0F;
            if (std::sscanf(line->c_str(), "%d/%d=%g", &g, &p, &v) != 3) {
                return false;
            }
            memory_[{g, p}] = v;
        }
        return line.has_value() && memory_.size() > 400;
    }

    PollLoop& loop_;
    std::string dir_;
    std::unique_ptr<SimChild> sim_;
    LinkContext ctx_;
    SoakHost host_{ctx_.status};
    CountingTimers timers_{ctx_};
    CountingLine* line_ = nullptr;
    std::unique_ptr<LinkEngine> engine_;
    std::unique_ptr<MonitorHook> hook_;
    std::map<std::pair<int, int>, float> memory_;
    std::size_t next_ = 0;
    Op op_ = OP_IDLE;
    bool running_ = false;
    std::int64_t startedMs_ = 0;
    std::int64_t restUntilMs_ = 0;
    int noResponseBefore_ = 0;
};

bool ParseOptions(int argc, char* argv[], Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        if (a == "--sim" && v != nullptr) {
            o.sim = v;
        } else if (a == "--transactions" && v != nullptr) {
            o.transactions = std::atol(v);
        } else if (a == "--links" && v != nullptr) {
            o.links = std::atoi(v);
        } else if (a == "--chance" && v != nullptr) {
            o.chance = std::atof(v);
        } else if (a == "--draws" && v != nullptr) {
            o.draws = std::atoi(v);
        } else {
            return false;
        }
        ++i;
    }
    return !o.sim.empty() && o.transactions > 0 && o.links >= 1 && o.links <= 32 &&
           o.chance > 0.0 && o.chance <= 20.0;
}

}  // namespace

int main(int argc, char* argv[]) {
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        std::fprintf(stderr,
                     "usage: tavro-soak --sim PATH [--transactions N] [--links K] "
                     "[--chance PERCENT] [--draws S]\n");
        return 2;
    }
    ::signal(SIGPIPE, SIG_IGN);
    const auto began = std::chrono::steady_clock::now();
    PollLoop loop;
    std::vector<std::unique_ptr<SoakLink>> links;
    for (int i = 0; i < o.links; ++i) {
        links.push_back(std::make_unique<SoakLink>(loop, o, i));
        if (!links.back()->Start()) {
            return 1;
        }
    }

    Totals t;
    long lastShown = 0;
    auto sent = [&] {
        long n = 0;
        for (const auto& l : links) {
            n += l->Transactions();
        }
        return n;
    };
    // Each link runs its uploads back to back until enough transactions have gone out, then
    // finishes the one it is in.
    loop.StartTimer(5, true, [&] {
        const long n = sent();
        for (auto& l : links) {
            l->Check(t);
            if (l->Idle() && n < o.transactions) {
                l->StartNext();
            }
        }
        if (n - lastShown >= 10000) {
            lastShown = n - n % 10000;
            std::fprintf(stderr, "tavro-soak: %ld transactions\n", lastShown);
        }
        bool idle = true;
        for (const auto& l : links) {
            idle = idle && l->Idle();
        }
        if (idle && n >= o.transactions) {
            loop.Quit();
        }
    });
    loop.Run();

    for (auto& l : links) {
        l->AddTo(t);
        l->Close();
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();

    std::printf("%-22s %10ld\n", "transactions", t.transactions);
    std::printf("%-22s %10ld\n", "  of them polls", t.polls);
    for (const auto& [name, words] : kFaults) {
        std::printf("%-22s %10ld\n", words, t.faults[name]);
    }
    std::printf("%-22s %10ld\n", "resends", t.resends);
    std::printf("%-22s %10ld\n", "time-outs", t.timeouts);
    std::printf("%-22s %10ld\n", "missed polls", t.missedPolls);
    std::printf("%-22s %10ld\n", "uploads", t.operations);
    std::printf("%-22s %10ld\n", "  ended in 306", t.noResponse);
    std::printf("%-22s %10ld\n", "  ended silently", t.silent);
    std::printf("%-22s %10ld\n", "values checked", t.checked);
    std::printf("%-22s %10ld\n", "wrong values", t.wrong);
    std::printf("%-22s %10.0f s\n", "time", seconds);
    if (t.simRequests != t.transactions) {
        std::fprintf(stderr, "tavro-soak: the simulators counted %ld requests\n", t.simRequests);
    }
    return t.wrong == 0 && t.silent == 0 ? 0 : 1;
}
