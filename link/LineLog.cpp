#include "link/LineLog.h"

#include <algorithm>
#include <limits>

#include "link/Numbers.h"

namespace tavro {

namespace {

constexpr std::int64_t kBitsPerCharacter = 11;  // start, 8 data, parity, stop
constexpr std::int64_t kUsPerSecond = 1000000;
// An exchange of the whole request's silence: the first transmission and three resends.
constexpr int kSilentRound = 4;
constexpr int kChecksumsShown = 2;
constexpr int kChecksumPercent = 1;
// A latency timer of 16 ms adds about that much to every answer; the controller's own
// answer delay is at most 10.2 ms.
constexpr std::int64_t kExcessShownUs = 12000;
constexpr std::size_t kAnswersForLatency = 10;

bool Counted(const LineEntry& e) {
    return e.outcome == LineOutcome::kAnswered && e.latencyUs >= 0;
}

bool Spoilt(LineStatus s) {
    return s == LineStatus::kChecksum || s == LineStatus::kWrongId || s == LineStatus::kWrongCode ||
           s == LineStatus::kGarbled || s == LineStatus::kNoise;
}

bool DroppedOutcome(LineOutcome o) {
    return o == LineOutcome::kLate || o == LineOutcome::kDropped || o == LineOutcome::kSuperseded;
}

std::string Millis(std::int64_t us) {
    return Format("%lld.%03lld", static_cast<long long>(us / 1000),
                  static_cast<long long>((us < 0 ? -us : us) % 1000));
}

std::string CsvField(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    out += '"';
    return out;
}

}  // namespace

bool LineEntry::Is(LineProblem problem) const {
    switch (problem) {
        case LineProblem::kAll:
            return true;
        case LineProblem::kAnyProblem:
            return Is(LineProblem::kResends) || Is(LineProblem::kTimeouts) ||
                   Is(LineProblem::kNg) || Is(LineProblem::kSpoilt) || Is(LineProblem::kDropped) ||
                   event == LineEvent::kLost;
        case LineProblem::kResends:
            return event == LineEvent::kSent && transmission > 1;
        case LineProblem::kTimeouts:
            return event == LineEvent::kTimeout;
        case LineProblem::kNg:
            return status == LineStatus::kNg;
        case LineProblem::kSpoilt:
            return Spoilt(status);
        case LineProblem::kDropped:
            return DroppedOutcome(outcome);
    }
    return false;
}

std::size_t LatencyHistogram::Bucket(std::int64_t us) {
    if (us < 0) {
        return 0;
    }
    if (us < 20000) {
        return static_cast<std::size_t>(us / 10);
    }
    if (us < 200000) {
        return 2000 + static_cast<std::size_t>((us - 20000) / 100);
    }
    if (us < 5000000) {
        return 3800 + static_cast<std::size_t>((us - 200000) / 1000);
    }
    return kBuckets - 1;
}

std::int64_t LatencyHistogram::Lower(std::size_t bucket) {
    if (bucket < 2000) {
        return static_cast<std::int64_t>(bucket) * 10;
    }
    if (bucket < 3800) {
        return 20000 + static_cast<std::int64_t>(bucket - 2000) * 100;
    }
    return 200000 + static_cast<std::int64_t>(bucket - 3800) * 1000;
}

void LatencyHistogram::Add(std::int64_t us) {
    ++counts_[Bucket(us)];
    ++total_;
}

void LatencyHistogram::Remove(std::int64_t us) {
    std::int32_t& c = counts_[Bucket(us)];
    if (c > 0) {
        --c;
        --total_;
    }
}

void LatencyHistogram::Clear() {
    counts_.fill(0);
    total_ = 0;
}

std::int64_t LatencyHistogram::Percentile(int percent) const {
    if (total_ == 0) {
        return -1;
    }
    // The k-th smallest, counted from 0, as a sorted list would give it.
    const std::int64_t k = static_cast<std::int64_t>(total_ - 1) * percent / 100;
    std::int64_t seen = 0;
    for (std::size_t b = 0; b < kBuckets; ++b) {
        seen += counts_[b];
        if (seen > k) {
            return Lower(b);
        }
    }
    return Lower(kBuckets - 1);
}

LineLog::LineLog(std::size_t capacity)
    : ring_(capacity > 0 ? capacity : 1), maxQueue_(capacity > 0 ? capacity : 1) {
    line_.reserve(kMaxLine);
}

LineEntry& LineLog::Append(std::int64_t us, LineEvent event) {
    LineEntry& e = ring_[head_];
    if (size_ == ring_.size()) {
        // The oldest entry leaves the ring, and with it its answer's latency.
        if (Counted(e)) {
            latencies_.Remove(e.latencyUs);
            excess_.Remove(e.excessUs);
        }
        if (maxSize_ > 0 && maxQueue_[maxHead_].seq == e.seq) {
            maxHead_ = (maxHead_ + 1) % maxQueue_.size();
            --maxSize_;
        }
    }
    e = LineEntry{};
    e.seq = nextSeq_++;
    e.us = us;
    e.event = event;
    head_ = (head_ + 1) % ring_.size();
    size_ = std::min(size_ + 1, ring_.size());
    if (firstUs_ < 0) {
        firstUs_ = us;
    }
    lastUs_ = us;
    return e;
}

void LineLog::Fill(LineEntry& e, std::string_view text, std::size_t wireBytes) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    const std::size_t n = std::min(text.size(), LineEntry::kTextCapacity);
    std::copy_n(text.data(), n, e.text.data());
    e.length = static_cast<std::uint8_t>(n);
    e.bytes = static_cast<std::uint16_t>(std::min<std::size_t>(wireBytes, 0xFFFF));
    counts_.bytes += static_cast<std::int64_t>(wireBytes);
}

void LineLog::Tell(const LineEntry& e, std::string_view wire) const {
    if (listener_) {
        listener_(e, wire);
    }
}

void LineLog::Sent(std::int64_t us, std::string_view frame, std::string_view code, int id,
                   int transmission, bool poll) {
    LineEntry& e = Append(us, LineEvent::kSent);
    e.poll = poll;
    e.transmission = static_cast<std::uint8_t>(std::clamp(transmission, 0, 255));
    e.id = static_cast<std::int16_t>(std::clamp(id, -1, 0x7FFF));
    if (code.size() >= 2) {
        e.code = {code[0], code[1]};
    }
    if (holdBack_) {
        holdBack_ = false;
        e.outcome = LineOutcome::kHeldBack;
    }
    Fill(e, frame, frame.size());
    lastSentBytes_ = frame.size();
    if (poll) {
        ++counts_.polls;
    } else if (transmission > 1) {
        ++counts_.resends;
    } else {
        ++counts_.commands;
    }
    Tell(e, frame);
}

void LineLog::ReceivedByte(char c) {
    line_ += c;
    if (line_.size() >= kMaxLine) {
        LineEnded(lastUs_ < 0 ? 0 : lastUs_);
    }
}

void LineLog::LineEnded(std::int64_t us) {
    if (!lineHadFrame_ && !line_.empty()) {
        LineEntry& e = Append(us, LineEvent::kReceived);
        e.status = LineStatus::kNoise;
        e.outcome = LineOutcome::kDropped;
        Fill(e, line_, line_.size());
        ++counts_.noise;
        ++counts_.received;
        Tell(e, line_);
    }
    line_.clear();
    lineHadFrame_ = false;
}

std::uint64_t LineLog::Received(std::int64_t us, std::string_view frame, LineStatus status,
                                std::string_view code, int id, bool poll) {
    LineEntry& e = Append(us, LineEvent::kReceived);
    e.status = status;
    e.poll = poll;
    e.id = static_cast<std::int16_t>(std::clamp(id, -1, 0x7FFF));
    if (code.size() >= 2) {
        e.code = {code[0], code[1]};
    }
    // The assembler hands on what lies between ":" and CR; the wire line is what the
    // receiver saw, noise before the ":" included.
    std::string text = ":";
    text.append(frame.substr(0, LineEntry::kTextCapacity - 1));
    Fill(e, text, frame.size() + 3);
    std::string own;
    std::string_view wire = line_;
    if (line_.empty()) {
        own = ":" + std::string(frame) + "\r\n";
        wire = own;
    } else if (line_.front() != ':') {
        ++counts_.noise;
    }
    lineHadFrame_ = true;
    ++counts_.received;
    switch (status) {
        case LineStatus::kNg:
            ++counts_.ngs;
            break;
        case LineStatus::kChecksum:
            ++counts_.checksums;
            break;
        case LineStatus::kWrongId:
            ++counts_.wrongIds;
            break;
        case LineStatus::kWrongCode:
            ++counts_.wrongCodes;
            break;
        case LineStatus::kGarbled:
            ++counts_.garbled;
            break;
        default:
            break;
    }
    Tell(e, wire);
    return e.seq;
}

void LineLog::Settle(std::uint64_t seq, LineOutcome outcome, std::int64_t latencyUs, int baud) {
    if (seq < FirstSeq() || seq >= nextSeq_) {
        return;
    }
    LineEntry& e = ring_[Slot(static_cast<std::size_t>(seq - FirstSeq()))];
    if (e.outcome == outcome) {
        return;
    }
    if (outcome == LineOutcome::kLate) {
        ++counts_.late;
    } else if (DroppedOutcome(outcome)) {
        ++counts_.dropped;
    }
    if (Counted(e)) {
        latencies_.Remove(e.latencyUs);
        excess_.Remove(e.excessUs);
    }
    e.outcome = outcome;
    if (latencyUs >= 0) {
        e.latencyUs = latencyUs;
        e.exchangeBytes =
            static_cast<std::uint16_t>(std::min<std::size_t>(lastSentBytes_ + e.bytes, 0xFFFF));
        const std::int64_t wire = baud > 0 ? static_cast<std::int64_t>(e.exchangeBytes) *
                                                 kBitsPerCharacter * kUsPerSecond / baud
                                           : 0;
        e.excessUs = static_cast<std::int32_t>(
            std::clamp<std::int64_t>(latencyUs - wire, std::numeric_limits<std::int32_t>::min(),
                                     std::numeric_limits<std::int32_t>::max()));
    }
    if (!Counted(e)) {
        return;
    }
    latencies_.Add(e.latencyUs);
    excess_.Add(e.excessUs);
    // Only the newest entry settles; an older one would break the queue's order.
    const std::size_t cap = maxQueue_.size();
    if (maxSize_ > 0 && maxQueue_[(maxHead_ + maxSize_ - 1) % cap].seq >= e.seq) {
        return;
    }
    while (maxSize_ > 0 && maxQueue_[(maxHead_ + maxSize_ - 1) % cap].us <= e.latencyUs) {
        --maxSize_;
    }
    maxQueue_[(maxHead_ + maxSize_) % cap] = MaxItem{e.seq, e.latencyUs};
    ++maxSize_;
}

void LineLog::Timeout(std::int64_t us, std::string_view code, int id, int transmission, bool poll) {
    LineEntry& e = Append(us, LineEvent::kTimeout);
    e.poll = poll;
    e.transmission = static_cast<std::uint8_t>(std::clamp(transmission, 0, 255));
    e.id = static_cast<std::int16_t>(std::clamp(id, -1, 0x7FFF));
    if (code.size() >= 2) {
        e.code = {code[0], code[1]};
    }
    if (poll) {
        ++counts_.missedPolls;
    } else {
        ++counts_.timeouts;
    }
    Tell(e, {});
}

void LineLog::Lost(std::int64_t us, int error) {
    LineEntry& e = Append(us, LineEvent::kLost);
    const std::string text = Format("errno %d", error);
    Fill(e, text, 0);
    Tell(e, {});
}

const LineEntry* LineLog::Find(std::uint64_t seq) const {
    if (seq < FirstSeq() || seq >= nextSeq_) {
        return nullptr;
    }
    return &At(static_cast<std::size_t>(seq - FirstSeq()));
}

std::size_t LineLog::Slot(std::size_t i) const {
    const std::size_t oldest = (head_ + ring_.size() - size_) % ring_.size();
    return (oldest + i) % ring_.size();
}

const LineEntry& LineLog::At(std::size_t i) const {
    return ring_[Slot(i)];
}

void LineLog::Clear() {
    // The seq numbers go on, so that a reader's place never points into new entries.
    head_ = 0;
    size_ = 0;
    counts_ = LineSummary{};
    firstUs_ = -1;
    lastUs_ = -1;
    latencies_.Clear();
    excess_.Clear();
    maxHead_ = 0;
    maxSize_ = 0;
}

LineSummary LineLog::Summary(int baud) const {
    LineSummary s = counts_;
    const std::int64_t bps = baud > 0 ? baud : 0;
    s.p50Us = latencies_.Percentile(50);
    s.p99Us = latencies_.Percentile(99);
    s.maxUs = maxSize_ > 0 ? maxQueue_[maxHead_].us : -1;
    s.excessP50Us = excess_.Percentile(50);
    if (lastUs_ > firstUs_) {
        s.bytesPerSecond = static_cast<double>(s.bytes) * static_cast<double>(kUsPerSecond) /
                           static_cast<double>(lastUs_ - firstUs_);
    }
    s.lineBytesPerSecond = static_cast<double>(bps) / static_cast<double>(kBitsPerCharacter);

    if (s.received == 0 && s.timeouts + s.missedPolls >= kSilentRound) {
        s.hint = LineHint::kSilence;
    } else if (s.checksums >= kChecksumsShown &&
               s.checksums * 100 >= s.received * kChecksumPercent) {
        s.hint = LineHint::kChecksums;
    } else if (static_cast<std::size_t>(latencies_.Total()) >= kAnswersForLatency &&
               s.excessP50Us > kExcessShownUs) {
        s.hint = LineHint::kLatency;
    }
    return s;
}

const char* LineLog::EventName(LineEvent event) {
    switch (event) {
        case LineEvent::kSent:
            return "->";
        case LineEvent::kReceived:
            return "<-";
        case LineEvent::kTimeout:
            return "..";
        case LineEvent::kLost:
            return "--";
    }
    return "";
}

const char* LineLog::StatusName(LineStatus status) {
    switch (status) {
        case LineStatus::kNone:
            return "";
        case LineStatus::kOk:
            return "OK";
        case LineStatus::kNg:
            return "NG";
        case LineStatus::kChecksum:
            return "checksum";
        case LineStatus::kWrongId:
            return "wrong ID";
        case LineStatus::kWrongCode:
            return "wrong code";
        case LineStatus::kGarbled:
            return "garbled";
        case LineStatus::kNoise:
            return "noise";
    }
    return "";
}

const char* LineLog::OutcomeName(LineOutcome outcome) {
    switch (outcome) {
        case LineOutcome::kNone:
            return "";
        case LineOutcome::kAnswered:
            return "answered";
        case LineOutcome::kMonitor:
            return "monitor";
        case LineOutcome::kRefused:
            return "refused";
        case LineOutcome::kRejected:
            return "rejected";
        case LineOutcome::kLate:
            return "late";
        case LineOutcome::kDropped:
            return "dropped";
        case LineOutcome::kSuperseded:
            return "superseded";
        case LineOutcome::kHeldBack:
            return "held back";
    }
    return "";
}

std::string LineLog::Printable(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c > 0x7E) {
            out += Format("\\x%02X", static_cast<unsigned>(c));
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string LineLog::TextLine(const LineEntry& e, std::int64_t originUs) {
    std::string line = Format("%12s ms %s ", Millis(e.us - originUs).c_str(), EventName(e.event));
    line += e.id >= 0 ? Format("%02X ", static_cast<unsigned>(e.id)) : std::string("-- ");
    line += e.Code().empty() ? std::string("  ") : std::string(e.Code());
    line += e.transmission > 0 ? Format(" #%d ", e.transmission) : std::string("    ");
    if (e.event == LineEvent::kTimeout) {
        line += e.poll ? "poll time-out" : "time-out";
    } else {
        line += Printable(e.Text());
        if (e.Truncated()) {
            line += "...";
        }
    }
    for (const char* part : {StatusName(e.status), OutcomeName(e.outcome)}) {
        if (*part != '\0') {
            line += "  ";
            line += part;
        }
    }
    if (e.latencyUs >= 0) {
        line += "  " + Millis(e.latencyUs) + " ms";
    }
    return line;
}

const char* LineLog::CsvHeader() {
    return "time_ms,direction,id,command,transmission,poll,frame,status,outcome,latency_ms";
}

std::string LineLog::CsvLine(const LineEntry& e, std::int64_t originUs) {
    std::string line = Millis(e.us - originUs) + ",";
    switch (e.event) {
        case LineEvent::kSent:
            line += "sent,";
            break;
        case LineEvent::kReceived:
            line += "received,";
            break;
        case LineEvent::kTimeout:
            line += "timeout,";
            break;
        case LineEvent::kLost:
            line += "lost,";
            break;
    }
    line += e.id >= 0 ? std::to_string(e.id) : std::string();
    line += ",";
    line += e.Code();
    line += ",";
    line += e.transmission > 0 ? std::to_string(e.transmission) : std::string();
    line += e.poll ? ",1," : ",0,";
    line += CsvField(Printable(e.Text()));
    line += ",";
    line += StatusName(e.status);
    line += ",";
    line += OutcomeName(e.outcome);
    line += ",";
    if (e.latencyUs >= 0) {
        line += Millis(e.latencyUs);
    }
    return line;
}

}  // namespace tavro
