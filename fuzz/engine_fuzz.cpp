// The transaction engine as a whole: an upload against the simulated controller in virtual
// time, with the controller's reply stream mutated as the input says (replies dropped,
// corrupted, preceded by noise, delayed, sent twice, answered from another ID or with another
// code, refused). Whatever happens:
//  - virtual time reaches an end: the upload ends within its worst case;
//  - it ends in success, in message 306, or (after a refusal) in the alarm read, never silently;
//  - every parameter the image holds as read has the value the controller holds;
//  - the engine's queue and timers stay bounded.
//
// The stream is mutated only in ways the protocol can tell apart (link/README.md, "Late
// replies"): a reply comes at most once per transmission and before that transmission's
// time-out, and a second copy of a command's reply is let onto the line only while no command
// and no hold is on it. A copy that comes while a later command of the same code and ID waits
// looks exactly like that command's reply.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "link/CRxdThread.h"
#include "link/CStatusFlg.h"
#include "link/CTimer.h"
#include "link/CTrxData.h"
#include "link/Command.h"
#include "link/Frame.h"
#include "link/LinkEngine.h"
#include "link/Numbers.h"
#include "link/StringIds.h"
#include "link/Transport.h"
#include "link/VirtualLoop.h"
#include "monitor/MonitorHook.h"
#include "sim/SimBus.h"

namespace {

using namespace tavro;

constexpr Op kOperations[] = {OP_UPLOAD_ALL, OP_DETAIL_UPLOAD, OP_STEP_UPLOAD, OP_IO_UPLOAD};
constexpr int kSpeeds[] = {9600, 19200, 57600};
// Far beyond the worst case of the longest upload (307 commands, each four transmissions
// with their time-outs and a hold).
constexpr std::int64_t kLimitMs = 4LL * 3600 * 1000;
constexpr std::int64_t kTailMs = 3000;
constexpr std::size_t kMaxEvents = 4000000;
// Timers of the engine, the simulator and its line: the poll, the reply timer, a poll
// time-out, a hold, a posted event, replies on their way.
constexpr std::size_t kMaxEnginePending = 32;

// Codes a reply may be given in place of its own: never "MO", which passes any check, nor
// "NG", which a controller that does not know "VE" answers with.
constexpr std::string_view kOtherCodes[] = {"VE", "OE", "MD", "SW", "EE", "RE", "ED", "EU"};

// What the link shows, as far as the outcome goes.
class OutcomeHost : public LinkHost {
  public:
    explicit OutcomeHost(StatusBlock& status) : status_(status) {}
    void SetLinkState(LinkState state) override { status_.linkState = state; }
    void ShowMessage(int stringId, MessageIcon, bool) override {
        if (stringId == ids::IDS_NO_RESPONSE) {
            ++noResponse;
        } else if (stringId == ids::IDS_UNSUPPORTED) {
            ++unsupported;
        }
    }

    int noResponse = 0;
    int unsupported = 0;

  private:
    StatusBlock& status_;
};

// The host's end of the bus, with the input's faults on the way back.
class FaultyLine : public Transport {
  public:
    FaultyLine(VirtualLoop& loop, sim::SimBus& bus, LinkContext& ctx, fuzz::ByteReader& in)
        : loop_(loop), ctx_(ctx), bus_(bus), in_(in) {
        bus_.Attach([this](std::string_view bytes) { FromController(std::string(bytes)); });
    }
    ~FaultyLine() override {
        for (const auto& [key, id] : pending_) {
            loop_.StopTimer(id);
        }
        bus_.Detach();
    }
    FaultyLine(const FaultyLine&) = delete;
    FaultyLine& operator=(const FaultyLine&) = delete;

    void Start(BytesHandler onBytes, GoneHandler) override { onBytes_ = std::move(onBytes); }
    void Stop() override { onBytes_ = nullptr; }
    bool Write(std::string_view bytes) override {
        const bool poll = bytes.size() == 10 && bytes.substr(4, 2) == cmd::kMonitor;
        written_.push_back(Request{loop_.NowMs(), poll});
        bus_.FromHost(bytes);
        return true;
    }
    bool IsOpen() const override { return true; }
    std::string Name() const override { return "fuzz"; }

    std::size_t Pending() const { return pending_.size(); }
    bool Refused() const { return refused_; }

  private:
    struct Request {
        std::int64_t writtenMs;
        bool poll;
    };

    // One reply frame from the controller, answering the oldest request not yet answered.
    void FromController(std::string frame) {
        std::int64_t deadline = loop_.NowMs();
        if (!written_.empty()) {
            const Request r = written_.front();
            written_.pop_front();
            const std::int64_t timeout =
                r.poll ? CTrxData::PollTimeoutMs(ctx_.status.baudRate) : CTimer::kReplyTimeoutMs;
            deadline = r.writtenMs + timeout - 1;
        }
        if (skip_ > 0) {
            --skip_;
            Deliver(std::move(frame), 0);
            return;
        }
        const std::uint8_t choice = in_.Byte();
        skip_ = choice >> 4;
        const std::int64_t room = deadline > loop_.NowMs() ? deadline - loop_.NowMs() : 0;
        switch (choice & 0x07U) {
            case 0:
                Deliver(std::move(frame), 0);
                break;
            case 1:
                break;  // lost
            case 2:
                Corrupt(frame);
                Deliver(std::move(frame), 0);
                break;
            case 3: {
                std::string noise = in_.Text(1 + static_cast<std::size_t>(in_.Below(16)));
                for (char& c : noise) {
                    if (c == ':') {
                        c = '#';  // a ":" would start a frame of its own
                    }
                }
                Deliver(noise + frame, 0);
                break;
            }
            case 4:
                Deliver(std::move(frame), room * in_.Byte() / 255);
                break;
            case 5: {
                const std::int64_t gap = static_cast<std::int64_t>(in_.Byte()) * 10;
                Deliver(frame, 0);
                Duplicate(std::move(frame), gap);
                break;
            }
            case 6:
                Deliver(Recode(frame), 0);
                break;
            default:
                Deliver(Refuse(frame), 0);
                break;
        }
    }

    // One byte of the frame becomes another. The checksum tells, or the frame is lost (its
    // ":", CR or LF), or a checksum digit changed case and nothing changed.
    void Corrupt(std::string& frame) {
        const auto pos = static_cast<std::size_t>(in_.Below(static_cast<int>(frame.size())));
        const auto other = static_cast<char>(1 + in_.Below(255));
        frame[pos] = static_cast<char>(frame[pos] ^ other);
    }

    // A frame rebuilt around the text between ":" and its checksum.
    static std::string Framed(const std::string& body) {
        return ":" + body + Format("%02X", static_cast<unsigned>(Checksum(body))) + "\r\n";
    }
    static std::string BodyOf(const std::string& frame) {
        return frame.substr(1, frame.size() - 5);
    }

    // Another controller's ID, or another command's code, with a right checksum.
    std::string Recode(const std::string& frame) {
        std::string body = BodyOf(frame);
        if (in_.Flag()) {
            const int id = ParseHexField(body.substr(0, 2));
            body.replace(0, 2,
                         Format("%02X", static_cast<unsigned>((id + 1 + in_.Below(254)) % 256)));
        } else {
            std::string_view code = kOtherCodes[in_.Below(8)];
            if (code == body.substr(2, 2)) {
                code = code == "VE" ? "EU" : "VE";
            }
            body.replace(2, 2, code);
        }
        return Framed(body);
    }

    // The controller refuses: "NG" without data.
    std::string Refuse(const std::string& frame) {
        refused_ = true;
        std::string body = BodyOf(frame).substr(0, 4) + std::string(cmd::kStatusNg);
        return Framed(body);
    }

    // Frames keep their order on the line.
    void Deliver(std::string bytes, std::int64_t delayMs) {
        const std::int64_t at = std::max(loop_.NowMs() + delayMs, lastDeliveryMs_);
        lastDeliveryMs_ = at;
        Schedule(at - loop_.NowMs(), [this, bytes = std::move(bytes)] { Hand(bytes); });
    }

    // A second copy, let onto the line only where it cannot be taken for a command's reply.
    void Duplicate(std::string frame, std::int64_t gapMs) {
        const bool monitor = frame.size() > 5 && frame.substr(3, 2) == cmd::kCodeMonitor;
        Schedule(lastDeliveryMs_ - loop_.NowMs() + gapMs,
                 [this, monitor, frame = std::move(frame)] {
                     const TrxState& t = ctx_.trx;
                     if (monitor || (t.line.kind == LineState::Kind::kFree && !t.late.holding)) {
                         Hand(frame);
                     }
                 });
    }

    void Schedule(std::int64_t ms, std::function<void()> task) {
        const std::uint64_t key = nextKey_++;
        pending_[key] = loop_.StartTimer(ms, false, [this, key, task = std::move(task)] {
            pending_.erase(key);
            task();
        });
    }

    void Hand(const std::string& bytes) {
        if (onBytes_) {
            BytesHandler handler = onBytes_;
            handler(bytes);
        }
    }

    VirtualLoop& loop_;
    LinkContext& ctx_;
    sim::SimBus& bus_;
    fuzz::ByteReader& in_;
    BytesHandler onBytes_;
    std::deque<Request> written_;
    int skip_ = 0;
    bool refused_ = false;
    std::int64_t lastDeliveryMs_ = 0;
    std::uint64_t nextKey_ = 0;
    std::map<std::uint64_t, EventLoop::TimerId> pending_;  // deliveries on their way
};

// A parameter value as it reaches the image: "%f" text, read back as a 32-bit float.
float AsRead(float value) {
    return static_cast<float>(Atof(Format("%f", static_cast<double>(value))));
}

std::uint8_t SuccessFlag(Op op) {
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

// Distinct values in every cell the uploads read, so that a reply credited to another
// command shows; the cells the controller's identity and line depend on keep theirs.
std::vector<sim::PresetParameter> DistinctValues() {
    std::vector<sim::PresetParameter> presets;
    for (int g = 0; g < ParameterImage::kGroupCount; ++g) {
        for (int p = 0; p < ParameterImage::CellCount(g); ++p) {
            const bool identity =
                g == 0 && (p == 0 || p == 1 || p == 3 || p == 12 || p == 22 || p == 24);
            if (!identity) {
                presets.push_back({g, p, static_cast<float>(g * 100 + p) + 0.25F});
            }
        }
    }
    return presets;
}

struct Setup {
    Op op = OP_UPLOAD_ALL;
    int baud = 19200;
    bool byteTiming = false;
    int controlType = sim::kTypeStepData;
    bool shortHistory = false;
    std::int64_t startMs = 0;
};

struct RunResult {
    bool ended = false;
    bool success = false;
    int noResponse = 0;
    bool refused = false;
    bool alarmRead = false;  // the alarm read ran to its end
    std::size_t known = 0;
};

RunResult RunUpload(const Setup& s, fuzz::ByteReader& in) {
    VirtualLoop loop;
    sim::SimBus bus(loop);
    sim::ControllerOptions options;
    options.controlType = s.controlType;
    options.baud = s.baud;
    options.version = s.shortHistory ? "2.40" : "2.60";
    options.presets = DistinctValues();
    sim::SimController& controller = bus.AddController(options);
    for (int code : {3, 9, 4}) {
        controller.RaiseAlarm(code);  // a history to read
    }
    controller.ClearAlarm();
    bus.SetLineSpeed(s.baud);
    bus.SetByteTiming(s.byteTiming);
    bus.SetLogLimit(0);

    LinkContext ctx(loop, "/nonexistent");
    OutcomeHost host(ctx.status);
    ctx.host = &host;
    auto owned = std::make_unique<FaultyLine>(loop, bus, ctx, in);
    FaultyLine& line = *owned;
    ctx.port.transport = std::move(owned);
    LinkEngine engine(ctx);
    MonitorHook hook(ctx);
    CRxdThread(ctx).StartReceiver();

    CStatusFlg status(ctx);
    status.SetComPort(1);
    status.SetBaudRate(s.baud);
    status.SetControllerId(1);
    status.SetFrontPhase(kFrontMain);
    status.SetLinkStateValue(kLinkOnline);
    if (s.op != OP_UPLOAD_ALL) {
        // What the connection read before.
        status.SetStroke(0, options.stroke);
        status.SetSeries(0, options.series);
        status.SetControlType(s.controlType);
        status.SetAlarmHistoryCount(s.shortHistory ? 4 : 20);
    }
    ctx.trx.lastRequest.controllerId = 1;
    ctx.trx.lastHeardMs = 0;
    CTimer(ctx).StartPoll();
    loop.Advance(s.startMs);  // a poll may be on the line when the upload starts

    RunResult r;
    bool alarmStarted = false;
    CTrxData(ctx).Run(s.op, 0, 0);
    std::size_t events = 0;
    auto ended = [&] { return ctx.trx.currentOp == OP_IDLE && ctx.status.linkState != kLinkBusy; };
    while (!ended()) {
        TAVRO_FUZZ_CHECK(loop.NowMs() < kLimitMs);
        TAVRO_FUZZ_CHECK(++events < kMaxEvents);
        TAVRO_FUZZ_CHECK(ctx.trx.queue.size() <= TrxState::kQueueLimit);
        TAVRO_FUZZ_CHECK(loop.Pending() <= line.Pending() + kMaxEnginePending);
        TAVRO_FUZZ_CHECK(loop.RunNext());
        alarmStarted = alarmStarted || ctx.trx.currentOp == OP_ALARM;
    }
    r.ended = true;
    r.success = (ctx.status.flags & SuccessFlag(s.op)) != 0 && host.noResponse == 0 &&
                ctx.status.linkState == kLinkOnline;
    r.noResponse = host.noResponse;
    r.refused = line.Refused();
    r.alarmRead = alarmStarted && host.noResponse == 0 && ctx.status.linkState == kLinkOnline;
    TAVRO_FUZZ_CHECK(host.unsupported == 0);
    if (s.op == OP_UPLOAD_ALL && r.success) {
        TAVRO_FUZZ_CHECK(status.GetControllerVersion() ==
                         static_cast<float>(Atof(options.version)));
        const std::size_t n = s.shortHistory ? 4 : 20;
        TAVRO_FUZZ_CHECK(ctx.monitor.alarmCodes.size() == n);
        for (std::size_t i = 0; i < n; ++i) {
            TAVRO_FUZZ_CHECK(ctx.monitor.alarmCodes[i] == controller.History()[i]);
        }
    }

    // What is still on its way arrives, and polling goes on.
    loop.Advance(kTailMs);
    TAVRO_FUZZ_CHECK(!ctx.trx.late.holding ||
                     loop.NowMs() - ctx.trx.late.lastWriteMs <= CTimer::kReplyTimeoutMs);
    TAVRO_FUZZ_CHECK(ctx.trx.line.kind != LineState::Kind::kCommand ||
                     loop.NowMs() - ctx.trx.line.writtenMs <= CTimer::kReplyTimeoutMs);

    for (int g = 0; g < ParameterImage::kGroupCount; ++g) {
        for (int p = 0; p < ParameterImage::CellCount(g); ++p) {
            if (ctx.image.Origin(g, p) != CellOrigin::kController) {
                continue;
            }
            ++r.known;
            const float held = AsRead(controller.Parameter(g, p));
            TAVRO_FUZZ_CHECK(ctx.image.GetCell(g, p, ParameterImage::kControllerCopy) == held);
            TAVRO_FUZZ_CHECK(ctx.image.GetCell(g, p, ParameterImage::kEditCopy) == held);
        }
    }
    return r;
}

// How many cells an upload reads when nothing goes wrong.
std::size_t CellsRead(const Setup& s) {
    static std::map<std::tuple<Op, int>, std::size_t> counts;
    const auto key = std::make_tuple(s.op, s.controlType);
    auto it = counts.find(key);
    if (it == counts.end()) {
        static constexpr std::uint8_t kNothing[1] = {0};
        fuzz::ByteReader none(kNothing, 0);
        Setup clean = s;
        clean.byteTiming = false;
        const RunResult r = RunUpload(clean, none);
        TAVRO_FUZZ_CHECK(r.success);
        it = counts.emplace(key, r.known).first;
    }
    return it->second;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ByteReader in(data, size);
    Setup s;
    s.op = kOperations[in.Below(4)];
    s.baud = kSpeeds[in.Below(3)];
    s.byteTiming = in.Flag();
    s.controlType = in.Flag() ? sim::kTypePulse : sim::kTypeStepData;
    s.shortHistory = in.Flag();
    s.startMs = in.Below(200);
    const std::size_t expected = CellsRead(s);

    const RunResult r = RunUpload(s, in);
    TAVRO_FUZZ_CHECK(r.ended);
    // Success, no response, or a refusal that ended in the alarm read; never silence.
    TAVRO_FUZZ_CHECK(r.success || r.noResponse > 0 || (r.refused && r.alarmRead));
    if (r.success) {
        TAVRO_FUZZ_CHECK(r.known >= expected);
    }
    return 0;
}
