#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/CliHost.h"
#include "cli/CliMonitor.h"
#include "cli/CliOptions.h"
#include "cli/CliPlatform.h"
#include "cli/LineTrace.h"
#include "link/LinkContext.h"
#include "link/LinkEngine.h"

namespace tavro::cli {

// One command's connection to a controller: the link as the window runs it (port, engine,
// monitor decoder, a host that prints), operations started and waited for with a bound, and
// the exit status that says how each ended.
class CliSession {
  public:
    // No operation of the tool keeps the line this long; beyond it the link is given up.
    static constexpr std::int64_t kOperationBoundMs = 30 * 60 * 1000;

    CliSession(CliPlatform& platform, const CliOptions& options);
    ~CliSession();
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    // Opens the port: kExitOk, or kExitPort (kExitUsage without a port) with the reason shown.
    int Open();
    // OP_CONNECT, then OP_UPLOAD_ALL, as the window does after start-up.
    int Connect();
    // Starts an operation and waits until it has ended; how it ended, as an exit status.
    int Run(Op op, int param = 0, int status = 0);
    // Keeps the link running (monitor polls) for `ms`, until interrupted or until the
    // controller stops answering.
    int Watch(std::int64_t ms);
    // OP_EXIT (back to monitor mode) when a connection was tried and the link is still up,
    // then the port is closed. The destructor does it too.
    void Close();

    LinkContext& Context() { return ctx_; }
    CliHost& Host() { return host_; }
    // Called after each monitor reply has been decoded.
    void OnMonitorReply(std::function<void()> handler) { onMonitor_ = std::move(handler); }
    // Where the monitor samples go as well (monitor --csv); nullptr for nowhere.
    void SetSampleSink(SampleSink* sink) { monitor_.SetSampleSink(sink); }
    // Every parameter g/p read from the controller so far, in the order first read.
    const std::vector<std::pair<int, int>>& ParametersRead() const { return read_; }
    // Every parameter write that went on the line, in order, as "g p value".
    struct Write {
        int group;
        int parameter;
        std::string value;  // as the command printed it
    };
    const std::vector<Write>& ParametersWritten() const { return written_; }
    // Milliseconds since the session started.
    std::int64_t Elapsed() const;

  private:
    std::unique_ptr<Transport> OpenTapped(const std::string& path, int baud, OpenError& error);
    void Written(std::string_view frame);
    void ReceivedLine(std::string_view line);
    bool Interrupted() const;
    bool EngineIdle() const;
    void WaitIdle();
    int Outcome(bool ended, std::size_t messagesBefore);
    int BlockedOutcome();

    CliPlatform& platform_;
    const CliOptions& options_;
    std::int64_t startMs_;
    LineTrace trace_;
    LinkContext ctx_;
    CliHost host_;
    LinkEngine engine_;
    CliMonitor monitor_;
    std::vector<std::pair<int, int>> read_;
    std::string lastCommand_;
    std::string refused_;  // the command answered NG during the operation
    std::string blocked_;  // a command --passive did not send
    std::vector<Write> written_;
    std::function<void()> onMonitor_;
    bool connecting_ = false;  // OP_CONNECT has been started
    bool closed_ = false;
};

}  // namespace tavro::cli
