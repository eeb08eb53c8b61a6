#include "cli/CliSession.h"

#include <sys/stat.h>

#include <charconv>

#include "cli/CliOptions.h"
#include "cli/ExitStatus.h"
#include "cli/LineTap.h"
#include "link/CComPort.h"
#include "link/CIniRw.h"
#include "link/CRxdThread.h"
#include "link/CTrxData.h"
#include "link/Command.h"
#include "link/PortMessages.h"
#include "link/SerialPort.h"
#include "link/StringIds.h"

namespace tavro::cli {

namespace {

// The link's own settings go here: a folder that cannot exist, so that opening a port never
// switches the window's automatic connection on or off or changes its remembered port.
constexpr const char* kNoSettingsDir = "/dev/null";

// Waiting for the line to fall quiet between operations, and for OP_EXIT, which gives up
// after its resends of three commands.
constexpr std::int64_t kIdleWaitMs = 15000;
constexpr std::int64_t kExitBoundMs = 20000;

// ":" + ID + " " before the command text; checksum and CR LF after it.
constexpr std::size_t kFrameHead = 4;
constexpr std::size_t kFrameTail = 4;

// "EE g p" with nothing else: a parameter read.
bool ReadAddress(std::string_view command, int& group, int& parameter) {
    constexpr std::string_view kPrefix = "EE ";
    if (command.substr(0, kPrefix.size()) != kPrefix) {
        return false;
    }
    const char* p = command.data() + kPrefix.size();
    const char* end = command.data() + command.size();
    auto [afterGroup, e1] = std::from_chars(p, end, group);
    if (e1 != std::errc() || afterGroup == end || *afterGroup != ' ') {
        return false;
    }
    auto [afterParameter, e2] = std::from_chars(afterGroup + 1, end, parameter);
    return e2 == std::errc() && afterParameter == end;
}

// "EE g p v": a parameter write.
bool WriteAddress(std::string_view command, int& group, int& parameter, std::string& value) {
    const std::size_t last = command.rfind(' ');
    if (last == std::string_view::npos || !ReadAddress(command.substr(0, last), group, parameter)) {
        return false;
    }
    value = std::string(command.substr(last + 1));
    return !value.empty();
}

// What a passive command may send: "VE", "MO", "RE" without a reset, and parameter reads.
bool IsReadCommand(std::string_view command) {
    int group = 0;
    int parameter = 0;
    return command == cmd::kVersion || command == cmd::kMonitor || command == cmd::kAlarmRead ||
           ReadAddress(command, group, parameter);
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

CliSession::CliSession(CliPlatform& platform, const CliOptions& options)
    : platform_(platform),
      options_(options),
      startMs_(platform.loop.NowMs()),
      trace_(options, platform.err, startMs_, platform.language),
      ctx_(platform.loop, kNoSettingsDir),
      host_(ctx_, platform.err, platform.language),
      engine_(ctx_),
      monitor_(ctx_) {
    ctx_.host = &host_;
    ctx_.drivePage = &host_;
    ctx_.readOnly = options.passive;
    ctx_.lineLog = trace_.Log();
    host_.OnMessage(platform.onMessage);
    ctx_.status.frontPhase = kFrontMain;
    ctx_.openPort = [this](const std::string& path, int baud, OpenError& error) {
        return OpenTapped(path, baud, error);
    };
    monitor_.OnDecoded([this] {
        if (onMonitor_) {
            onMonitor_();
        }
    });
    // The PID defaults the window would use when a detail download resets the PID sets.
    if (!platform_.settingsDir.empty()) {
        ctx_.status.gainFileLoaded =
            CIniRw(platform_.settingsDir).ReadPidFile(ctx_.pidFile) ? 1 : 0;
    }
}

CliSession::~CliSession() {
    Close();
}

std::int64_t CliSession::Elapsed() const {
    return platform_.loop.NowMs() - startMs_;
}

std::unique_ptr<Transport> CliSession::OpenTapped(const std::string& path, int baud,
                                                  OpenError& error) {
    std::unique_ptr<Transport> inner = platform_.openPort
                                           ? platform_.openPort(path, baud, error)
                                           : SerialPort::Open(platform_.loop, path, baud, error);
    if (!inner) {
        return nullptr;
    }
    auto tap = std::make_unique<LineTap>(std::move(inner), ctx_.lineLog);
    tap->OnWrite([this](std::string_view frame) { Written(frame); });
    if (options_.passive) {
        tap->SetGate([this](std::string_view frame) {
            const std::string_view command =
                frame.size() >= kFrameHead + kFrameTail
                    ? frame.substr(kFrameHead, frame.size() - kFrameHead - kFrameTail)
                    : frame;
            if (IsReadCommand(command)) {
                return true;
            }
            if (blocked_.empty()) {
                blocked_ = std::string(command);
            }
            return false;
        });
    }
    tap->OnLine([this](std::string_view line) { ReceivedLine(line); });
    return tap;
}

void CliSession::Written(std::string_view frame) {
    if (frame.size() < kFrameHead + kFrameTail) {
        return;
    }
    const std::string_view command =
        frame.substr(kFrameHead, frame.size() - kFrameHead - kFrameTail);
    if (command == cmd::kMonitor) {
        return;
    }
    lastCommand_ = std::string(command);
    int group = 0;
    int parameter = 0;
    if (std::string value; WriteAddress(command, group, parameter, value)) {
        written_.push_back({group, parameter, std::move(value)});
        return;
    }
    if (!ReadAddress(command, group, parameter)) {
        return;
    }
    const std::pair<int, int> address{group, parameter};
    for (const auto& a : read_) {
        if (a == address) {
            return;
        }
    }
    read_.push_back(address);
}

void CliSession::ReceivedLine(std::string_view line) {
    const std::size_t colon = line.rfind(':');
    if (colon == std::string_view::npos) {
        return;
    }
    std::string_view text = line.substr(colon + 1);
    const std::size_t cr = text.find('\r');
    if (cr == std::string_view::npos) {
        return;
    }
    const auto reply = ParseReply(text.substr(0, cr));
    if (reply && reply->code != cmd::kCodeMonitor && !IsOk(*reply)) {
        refused_ = lastCommand_;
    }
}

bool CliSession::Interrupted() const {
    return platform_.interrupted && platform_.interrupted();
}

bool CliSession::EngineIdle() const {
    const TrxState& t = ctx_.trx;
    return t.currentOp == OP_IDLE && !t.InFlight() && !t.PollInFlight() && !t.Deferred() &&
           !t.late.holding;
}

void CliSession::WaitIdle() {
    // A poll on the line, or an alarm read the monitor started, is let finish first.
    platform_.runUntil([this] { return EngineIdle() || Interrupted(); }, kIdleWaitMs);
}

int CliSession::Open() {
    std::string path = options_.port;
    if (path.empty() && IsFolder(platform_.settingsDir)) {
        path = CIniRw(platform_.settingsDir).GetPortPath();
    }
    if (path.empty()) {
        platform_.err << "tavro-cli: " << host_.Text(ids::IDS_CLI_NO_PORT) << '\n';
        return kExitUsage;
    }
    if (!trace_.OpenCsv()) {
        return kExitIoError;
    }
    CComPort port(ctx_);
    if (port.Open(path, options_.baud) != 0) {
        host_.Print(ids::IDS_CANNOT_OPEN_PORT);
        const LinkMessage reason = OpenFailureMessage(port.LastError());
        if (reason.stringId != 0) {
            host_.ShowFormattedMessage(reason.stringId, MessageIcon::kExclamation, false,
                                       reason.args);
        }
        return kExitPort;
    }
    return kExitOk;
}

int CliSession::Connect() {
    ctx_.status.controllerId = options_.id;
    connecting_ = true;
    const int connected = Run(OP_CONNECT);
    if (connected != kExitOk) {
        return connected;
    }
    return Run(OP_UPLOAD_ALL);
}

int CliSession::Run(Op op, int param, int status) {
    WaitIdle();
    if (ctx_.status.linkState == kLinkNoPort) {
        return kExitPort;  // the port went away; its message has been shown already
    }
    if (ctx_.status.linkState == kLinkNoController) {
        return kExitNoResponse;  // message 306 has been shown already
    }
    const std::size_t before = host_.MessageCount();
    host_.ClearAlarmSeen();
    refused_.clear();
    CTrxData(ctx_).Run(op, param, status);
    const bool ended = platform_.runUntil(
        [this] {
            host_.Sample();
            return ctx_.trx.currentOp == OP_IDLE || Interrupted() || !blocked_.empty();
        },
        kOperationBoundMs);
    if (!blocked_.empty()) {
        return BlockedOutcome();
    }
    return Outcome(ended, before);
}

int CliSession::Outcome(bool ended, std::size_t messagesBefore) {
    if (Interrupted()) {
        // As the progress dialog's Cancel: the operation is dropped and the link stays online.
        CTrxData(ctx_).CancelByUser();
        ctx_.status.linkState = kLinkOnline;
        platform_.err << "tavro-cli: " << host_.Text(ids::IDS_CLI_INTERRUPTED) << '\n';
        return kExitInterrupted;
    }
    if (!ended) {
        CTrxData(ctx_).NoResponse();
        return kExitNoResponse;
    }
    if (host_.Shown(ids::IDS_PORT_DISCONNECTED, messagesBefore)) {
        return kExitPort;
    }
    if (host_.Shown(ids::IDS_NO_RESPONSE, messagesBefore)) {
        return kExitNoResponse;
    }
    if (host_.Shown(ids::IDS_UNSUPPORTED, messagesBefore)) {
        return kExitUnsupported;
    }
    if (host_.AlarmSeen()) {
        std::string codes;
        for (int code : host_.Alarms()) {
            codes += ' ' + std::to_string(code);
        }
        const std::string text =
            refused_.empty() ? FormatPrintf(host_.Text(ids::IDS_CLI_NG), codes)
                             : FormatPrintf(host_.Text(ids::IDS_CLI_NG_TO), refused_, codes);
        platform_.err << "tavro-cli: " << text << '\n';
        return kExitAlarm;
    }
    return kExitOk;
}

int CliSession::BlockedOutcome() {
    // The operation cannot go on without the command it was refused: it is dropped, and the
    // controller, which has had nothing but reads, is left as it was.
    CTrxData(ctx_).CancelByUser();
    ctx_.status.linkState = kLinkOnline;
    if (!refused_.empty()) {
        host_.Note(FormatPrintf(host_.Text(ids::IDS_CLI_PASSIVE_REFUSED), refused_));
        return kExitAlarm;
    }
    host_.Note(FormatPrintf(host_.Text(ids::IDS_CLI_PASSIVE_NOT_SENT), blocked_));
    return kExitUsage;
}

int CliSession::Watch(std::int64_t ms) {
    const std::size_t before = host_.MessageCount();
    // The engine gives the poll up after four seconds of silence, as the window does.
    platform_.runUntil(
        [this] {
            return ctx_.status.linkState == kLinkNoController ||
                   ctx_.status.linkState == kLinkNoPort || Interrupted() || !blocked_.empty();
        },
        ms);
    if (!blocked_.empty()) {
        return BlockedOutcome();
    }
    if (host_.Shown(ids::IDS_PORT_DISCONNECTED, before)) {
        return kExitPort;
    }
    return host_.Shown(ids::IDS_NO_RESPONSE, before) ? kExitNoResponse : kExitOk;
}

void CliSession::Close() {
    if (closed_) {
        return;
    }
    closed_ = true;
    const LinkState state = ctx_.status.linkState;
    // Connecting puts the controller in test mode, which disables its own I/O; it goes back
    // to monitor mode whenever a connection was tried and the controller still answers,
    // even when the command failed half-way. A passive command never left monitor mode.
    if (ctx_.port.transport && connecting_ && !options_.passive && state != kLinkNoController &&
        state != kLinkNoPort) {
        WaitIdle();
        host_.ClearExitRequest();
        CTrxData(ctx_).Run(OP_EXIT, 0, 0);
        platform_.runUntil(
            [this] { return host_.ExitRequested() || ctx_.trx.currentOp == OP_IDLE; },
            kExitBoundMs);
    }
    const PortInfo opened = ctx_.port.opened;
    const int baud = ctx_.status.baudRate > 0 ? ctx_.status.baudRate : options_.baud;
    CRxdThread(ctx_).StopReceiver();
    trace_.Finish(baud, opened.path.empty() ? nullptr : &opened);
    ctx_.lineLog = nullptr;
}

}  // namespace tavro::cli
