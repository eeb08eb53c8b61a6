#include "sim/SimBus.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "link/Command.h"
#include "link/Frame.h"
#include "link/Numbers.h"

namespace tavro::sim {

namespace {

// What a noisy line puts before a reply: no ":" (that would start a frame), a stray CR LF
// and bytes above 0x7F.
constexpr std::string_view kNoise{"\x00\xFF~#\r\n\xA5\x7F ", 10};

// Codes a wrong-code reply may carry; "MO" is left out because it passes any check.
constexpr std::array<std::string_view, 10> kOtherCodes = {
    cmd::kCodeVersion,         cmd::kCodeOperationInputs, cmd::kCodeMode,
    cmd::kCodeManualOutput,    cmd::kCodeParameter,       cmd::kCodeAlarm,
    cmd::kCodeFactoryDefaults, cmd::kCodeCommit,          cmd::kCodeCommitAb,
    cmd::kCodeCommitSp,
};

int HexPair(std::string_view text) {
    if (text.size() != 2) {
        return -1;
    }
    auto digit = [](char c) {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + 10;
        }
        if (c >= 'a' && c <= 'f') {
            return c - 'a' + 10;
        }
        return -1;
    };
    const int hi = digit(text[0]);
    const int lo = digit(text[1]);
    return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}

std::string OtherCode(std::string_view code) {
    for (std::string_view c : kOtherCodes) {
        if (c != code) {
            return std::string(c);
        }
    }
    return std::string(cmd::kCodeVersion);
}

// Two controllers talking at once: each bit is low when either drives it low.
std::string Collide(const std::string& a, const std::string& b) {
    std::string out = a.size() >= b.size() ? a : b;
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        out[i] =
            static_cast<char>(static_cast<unsigned char>(a[i]) & static_cast<unsigned char>(b[i]));
    }
    return out;
}

bool Has(const std::vector<Fault>& faults, FaultKind kind) {
    return std::any_of(faults.begin(), faults.end(),
                       [kind](const Fault& f) { return f.kind == kind; });
}

}  // namespace

SimBus::SimBus(EventLoop& loop) : loop_(loop) {
    assembler_.SetSink([this](std::string_view frame) { OnFrame(frame); });
}

SimBus::~SimBus() {
    for (const auto& [key, timer] : pending_) {
        if (scheduler_ != nullptr) {
            scheduler_->Cancel(timer);
        } else {
            loop_.StopTimer(timer);
        }
    }
}

SimController& SimBus::AddController(const ControllerOptions& options) {
    controllers_.push_back(std::make_unique<SimController>(loop_, options));
    return *controllers_.back();
}

SimController* SimBus::Controller(int id) {
    for (auto& c : controllers_) {
        if (c->Id() == id) {
            return c.get();
        }
    }
    return nullptr;
}

void SimBus::SetLineSpeed(int baud) {
    if (baud > 0) {
        baud_ = baud;
    }
}

double SimBus::CharacterMicros() const {
    return kBitsPerCharacter * 1e6 / static_cast<double>(baud_);
}

std::int64_t SimBus::WireUs(std::size_t characters) const {
    return static_cast<std::int64_t>(
        std::ceil(static_cast<double>(characters) * CharacterMicros()));
}

void SimBus::SetLogLimit(std::size_t limit) {
    logLimit_ = limit;
    while (log_.size() > logLimit_) {
        log_.pop_front();
    }
}

std::vector<LineRecord> SimBus::Requests(std::string_view code, int id) const {
    std::vector<LineRecord> out;
    for (const LineRecord& r : log_) {
        if (r.direction == Direction::kRequest && (code.empty() || r.code == code) &&
            (id == 0 || r.id == id)) {
            out.push_back(r);
        }
    }
    return out;
}

std::vector<LineRecord> SimBus::Replies(std::string_view code, int id) const {
    std::vector<LineRecord> out;
    for (const LineRecord& r : log_) {
        if (r.direction == Direction::kReply && (code.empty() || r.code == code) &&
            (id == 0 || r.id == id)) {
            out.push_back(r);
        }
    }
    return out;
}

bool SimBus::Attach(HostSink sink) {
    if (host_ || !sink) {
        return false;
    }
    host_ = std::move(sink);
    return true;
}

void SimBus::Detach() {
    host_ = nullptr;
}

void SimBus::At(std::int64_t atUs, Action action) {
    if (scheduler_ != nullptr) {
        const std::uint64_t key = nextPending_++;
        const BusScheduler::Id id =
            scheduler_->At(atUs, [this, key, atUs, action = std::move(action)] {
                pending_.erase(key);
                action(atUs);
            });
        if (id != 0) {
            pending_[key] = id;
        }
        return;
    }
    const std::int64_t now = NowUs();
    const std::int64_t delayMs = atUs > now ? (atUs - now + 999) / 1000 : 0;
    const std::uint64_t key = nextPending_++;
    const EventLoop::TimerId id =
        loop_.StartTimer(delayMs, false, [this, key, atUs, action = std::move(action)] {
            pending_.erase(key);
            action(atUs);
        });
    if (id != 0) {
        pending_[key] = id;
    }
}

void SimBus::FromHost(std::string_view bytes) {
    if (bytes.empty()) {
        return;
    }
    std::int64_t arrival = NowUs();
    if (timing_) {
        const std::int64_t start = std::max(arrival, hostFreeUs_);
        arrival = start + WireUs(bytes.size());
        hostFreeUs_ = arrival;
    }
    At(arrival, [this, data = std::string(bytes)](std::int64_t atUs) {
        arrivalUs_ = atUs;
        assembler_.Feed(data);
    });
}

void SimBus::Record(LineRecord record) {
    if (logSink_) {
        logSink_(record);
    }
    if (logLimit_ == 0) {
        return;
    }
    log_.push_back(std::move(record));
    while (log_.size() > logLimit_) {
        log_.pop_front();
    }
}

void SimBus::OnFrame(std::string_view text) {
    LineRecord request;
    request.timeMs = loop_.NowMs();
    request.direction = Direction::kRequest;
    request.text = std::string(text);
    request.bytes = ":" + request.text + "\r\n";
    const std::string_view body = text.size() >= 2 ? text.substr(0, text.size() - 2) : text;
    const int sum = text.size() >= 2 ? HexPair(text.substr(text.size() - 2)) : -1;
    request.checksumOk = text.size() >= 5 && sum == static_cast<int>(Checksum(body));
    request.id = body.size() >= 2 ? HexPair(body.substr(0, 2)) : -1;
    const bool wellFormed = body.size() >= 3 && body[2] == ' ';
    if (wellFormed) {
        request.command = std::string(body.substr(3));
        request.code = request.command.substr(0, 2);
    }

    std::vector<SimController*> targets;
    if (request.checksumOk && wellFormed && request.id >= 0) {
        for (auto& c : controllers_) {
            if (c->Id() == request.id && (!speedCheck_ || c->LineSpeed() == baud_)) {
                targets.push_back(c.get());
            }
        }
    }
    if (targets.empty()) {
        Record(std::move(request));
        return;
    }

    const std::vector<Fault> faults = faults_.Hit(request.code, request.id);
    for (const Fault& f : faults) {
        request.faults.push_back(f.kind);
    }
    const std::string command = request.command;
    const std::int64_t arrivedUs = arrivalUs_;
    Record(std::move(request));
    if (Has(faults, FaultKind::kNoReply)) {
        return;
    }

    LineRecord reply;
    reply.direction = Direction::kReply;
    std::string frame;
    double minDelayMs = 0.0;
    for (SimController* c : targets) {
        const Answer answer = Has(faults, FaultKind::kNg) ? Answer{EchoCode(command), false, {}}
                                                          : c->Execute(command);
        int id = c->Id();
        std::string code = answer.code;
        if (Has(faults, FaultKind::kWrongId)) {
            id = id % 255 + 1;
        }
        if (Has(faults, FaultKind::kWrongCode)) {
            code = OtherCode(code);
        }
        const std::string body = Format("%02X", static_cast<unsigned>(id & 0xFF)) + code +
                                 std::string(answer.ok ? cmd::kStatusOk : cmd::kStatusNg) +
                                 answer.data;
        unsigned checksum = Checksum(body);
        if (Has(faults, FaultKind::kCorruptChecksum)) {
            checksum = (checksum + 1) & 0xFFU;
        }
        const std::string one = ":" + body + Format("%02X", checksum) + "\r\n";
        frame = frame.empty() ? one : Collide(frame, one);
        minDelayMs = std::max(minDelayMs, c->MinDelayMs());
    }
    for (FaultKind k : {FaultKind::kWrongId, FaultKind::kWrongCode, FaultKind::kCorruptChecksum,
                        FaultKind::kNoise, FaultKind::kLateDuplicate, FaultKind::kExtraDelay,
                        FaultKind::kLostReply, FaultKind::kNg}) {
        if (Has(faults, k)) {
            reply.faults.push_back(k);
        }
    }
    if (Has(faults, FaultKind::kLostReply)) {
        return;
    }
    const std::size_t cr = frame.find('\r');
    reply.text = frame.substr(1, cr == std::string::npos ? std::string::npos : cr - 1);
    reply.id = HexPair(std::string_view(reply.text).substr(0, 2));
    reply.code = reply.text.size() >= 4 ? reply.text.substr(2, 2) : std::string();
    if (reply.text.size() >= 2) {
        const std::string_view rbody =
            std::string_view(reply.text).substr(0, reply.text.size() - 2);
        reply.checksumOk = HexPair(std::string_view(reply.text).substr(reply.text.size() - 2)) ==
                           static_cast<int>(Checksum(rbody));
    }

    std::int64_t extraUs = 0;
    std::int64_t duplicateUs = 0;
    for (const Fault& f : faults) {
        if (f.kind == FaultKind::kExtraDelay) {
            extraUs += std::max<std::int64_t>(f.delayMs, 0) * 1000;
        } else if (f.kind == FaultKind::kLateDuplicate) {
            duplicateUs = std::max<std::int64_t>(f.delayMs, 0) * 1000;
        }
    }
    std::int64_t startUs = arrivedUs + extraUs;
    if (timing_) {
        startUs += static_cast<std::int64_t>(std::llround(minDelayMs * 1000.0));
    }
    const std::string bytes = Has(faults, FaultKind::kNoise) ? std::string(kNoise) + frame : frame;
    if (Has(faults, FaultKind::kLateDuplicate)) {
        const std::int64_t firstDoneUs = startUs + (timing_ ? WireUs(bytes.size()) : 0);
        Transmit(frame, reply, firstDoneUs + duplicateUs, false);
    }
    Transmit(bytes, std::move(reply), startUs, true);
}

void SimBus::Transmit(std::string bytes, LineRecord record, std::int64_t startUs,
                      bool occupiesLine) {
    std::int64_t doneUs = startUs;
    if (timing_) {
        const std::int64_t start = occupiesLine ? std::max(startUs, lineFreeUs_) : startUs;
        doneUs = start + WireUs(bytes.size());
        if (occupiesLine) {
            lineFreeUs_ = doneUs;
        }
    }
    record.bytes = bytes;
    At(doneUs, [this, bytes = std::move(bytes), record = std::move(record)](std::int64_t) mutable {
        record.timeMs = loop_.NowMs();
        Record(record);
        if (host_) {
            HostSink sink = host_;  // the sink may detach itself
            sink(bytes);
        }
    });
}

}  // namespace tavro::sim
