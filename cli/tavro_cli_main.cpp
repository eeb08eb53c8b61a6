// tavro-cli: the controller link without a window, for scripts and production lines.

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/ExitStatus.h"
#include "cli/TavroCli.h"
#include "link/PollLoop.h"
#include "link/SettingsDir.h"
#include "ui/Language.h"

#if TAVRO_CLI_PDF
#include "report/PdfReport.h"
#endif

namespace {

// SIGINT and SIGTERM arrive as readable bytes on a descriptor, so the first one ends the
// running operation in order (the controller goes back to monitor mode); a second one ends
// the program at once.
class StopSignals {
  public:
    explicit StopSignals(tavro::PollLoop& loop) {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGINT);
        sigaddset(&set, SIGTERM);
        if (sigprocmask(SIG_BLOCK, &set, nullptr) != 0) {
            return;
        }
        fd_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
        if (fd_ < 0) {
            sigprocmask(SIG_UNBLOCK, &set, nullptr);
            return;
        }
        loop.WatchReadable(fd_, [this] {
            signalfd_siginfo info{};
            while (::read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
                if (++count_ > 1) {
                    ::_exit(tavro::cli::kExitInterrupted);
                }
            }
        });
    }
    ~StopSignals() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    bool Received() const { return count_ > 0; }

  private:
    int fd_ = -1;
    int count_ = 0;
};

}  // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    tavro::PollLoop loop;
    StopSignals signals(loop);
    tavro::cli::CliPlatform platform{
        loop,
        [&loop](const std::function<bool()>& done, std::int64_t timeoutMs) {
            return loop.RunUntil(done, timeoutMs);
        },
        std::cout,
        std::cerr,
        tavro::UiLanguage(tavro::LocaleEnvironment::FromProcess()),
        tavro::DefaultSettingsDir(),
        {},
        {},
        [&signals] { return signals.Received(); },
        {},
    };
#if TAVRO_CLI_PDF
    tavro::PdfReportPrinter printer;
    platform.reportPrinter = &printer;
#endif
    const int status = tavro::cli::RunCli(args, platform);
    std::cout.flush();
    return status;
}
