#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tavro {

// What one entry of the line log records.
enum class LineEvent : std::uint8_t {
    kSent,      // a frame written (or held back) by the engine
    kReceived,  // a line that ended on the wire: a frame, or bytes without one
    kTimeout,   // a command's reply time-out ran out, or a poll's
    kLost,      // the port went away
};

// How a received frame compares with what was on the line.
enum class LineStatus : std::uint8_t {
    kNone,  // sent frames, time-outs
    kOk,
    kNg,         // the controller refused the command
    kChecksum,   // the checksum does not match
    kWrongId,    // another controller's ID
    kWrongCode,  // another command code
    kGarbled,    // not a reply at all
    kNoise,      // bytes ended by a line end without a frame in them
};

// What the engine made of the entry.
enum class LineOutcome : std::uint8_t {
    kNone,
    kAnswered,    // the reply completed its command (or poll); the entry has a latency
    kMonitor,     // a monitor reply that came after its poll, still decoded
    kRefused,     // "NG": the alarm read follows
    kRejected,    // a spoilt reply: not taken, the command is resent or given up
    kLate,        // a late reply to an earlier transmission, held and dropped
    kDropped,     // answered nothing on the line
    kSuperseded,  // the reply of an operation that has been replaced
    kHeldBack,    // a sent frame that was not put on the line (read-only session)
};

// Which entries a filter lets through.
enum class LineProblem : std::uint8_t {
    kAll,
    kAnyProblem,  // every entry below
    kResends,
    kTimeouts,
    kNg,
    kSpoilt,   // checksum, wrong ID or code, garbled, noise
    kDropped,  // late, dropped and superseded frames
};

struct LineEntry {
    static constexpr std::size_t kTextCapacity = 62;

    std::uint64_t seq = 0;        // 1 for the first entry ever appended
    std::int64_t us = 0;          // on the event loop's clock
    std::int64_t latencyUs = -1;  // request written -> reply complete; -1 when not an answer
    LineEvent event = LineEvent::kSent;
    LineStatus status = LineStatus::kNone;
    LineOutcome outcome = LineOutcome::kNone;
    bool poll = false;
    std::uint8_t transmission = 0;  // of the command: 1 for the first write, up to 4
    std::int16_t id = -1;           // the controller ID the frame carries or addresses
    std::array<char, 2> code{};     // the command it belongs to; "\0\0" when none
    std::uint16_t bytes = 0;        // on the wire, line end included
    // An answer: its request and itself on the wire, to compare the latency with.
    std::uint16_t exchangeBytes = 0;
    // An answer: the latency beyond that wire time at the line speed it was settled with.
    std::int32_t excessUs = 0;
    std::uint8_t length = 0;                 // of text
    std::array<char, kTextCapacity> text{};  // the frame without its line end, cut if longer

    std::string_view Text() const { return {text.data(), length}; }
    std::string_view Code() const {
        return code[0] == '\0' ? std::string_view{} : std::string_view{code.data(), 2};
    }
    bool Truncated() const { return bytes > length + 2U; }
    bool Is(LineProblem problem) const;
};

// The likely cause a summary names when the pattern is clear.
enum class LineHint : std::uint8_t {
    kNone,
    kSilence,    // nothing came back at all: speed or ID, power, cable
    kChecksums,  // checksum errors: noise or a wrong speed
    kLatency,    // replies come far later than their wire time: the adapter's latency timer
};

struct LineSummary {
    int commands = 0;  // first transmissions of commands, polls not included
    int polls = 0;
    int resends = 0;
    int timeouts = 0;  // of commands
    int missedPolls = 0;
    int ngs = 0;
    int checksums = 0;
    int wrongIds = 0;
    int wrongCodes = 0;
    int garbled = 0;
    int noise = 0;
    int late = 0;
    int dropped = 0;
    int received = 0;
    std::int64_t bytes = 0;  // both directions
    // Latencies of the answers still in the ring, in µs; -1 when there is none.
    std::int64_t p50Us = -1;
    std::int64_t p99Us = -1;
    std::int64_t maxUs = -1;
    // The part of p50 beyond the exchange's own wire time at the line speed.
    std::int64_t excessP50Us = -1;
    double bytesPerSecond = 0.0;
    double lineBytesPerSecond = 0.0;  // what the line speed carries, 11 bits a character
    LineHint hint = LineHint::kNone;
};

// Every frame on the line and what the engine made of it, in a ring of fixed size: appending
// never allocates, so the log can stay attached to a busy link. The engine feeds it through
// LinkContext::lineLog; the CLI trace, the communication log window and the benchmark read it.
// Counts of latencies in fixed buckets (10 µs below 20 ms, 100 µs below 200 ms, 1 ms below
// 5 s): percentiles in constant time whatever the ring holds.
class LatencyHistogram {
  public:
    void Add(std::int64_t us);
    void Remove(std::int64_t us);
    void Clear();
    int Total() const { return total_; }
    // The lower bound of the bucket that holds the percentile; -1 when empty.
    std::int64_t Percentile(int percent) const;

  private:
    static constexpr std::size_t kBuckets = 2000 + 1800 + 4800 + 1;
    static std::size_t Bucket(std::int64_t us);
    static std::int64_t Lower(std::size_t bucket);

    std::array<std::int32_t, kBuckets> counts_{};
    int total_ = 0;
};

class LineLog {
  public:
    static constexpr std::size_t kDefaultCapacity = 100000;
    // Longest received line kept for the listener before it is handed on without its end.
    static constexpr std::size_t kMaxLine = 1024;

    using Listener = std::function<void(const LineEntry& entry, std::string_view wire)>;

    explicit LineLog(std::size_t capacity = kDefaultCapacity);
    virtual ~LineLog() = default;
    LineLog(const LineLog&) = delete;
    LineLog& operator=(const LineLog&) = delete;

    // Told of every entry as it is appended, with the bytes as they were on the wire.
    void SetListener(Listener listener) { listener_ = std::move(listener); }

    // --- fed by the engine ---
    void Sent(std::int64_t us, std::string_view frame, std::string_view code, int id,
              int transmission, bool poll);
    // Told by a transport while the engine writes: the frame does not go on the line.
    void HoldBackNextWrite() { holdBack_ = true; }
    void ReceivedByte(char c);
    // The receiver saw the line end after a byte: a line without a frame is noise.
    void LineEnded(std::int64_t us);
    // A frame the assembler completed; returns its entry's seq for Settle. `code` and `id` are
    // what was on the line.
    std::uint64_t Received(std::int64_t us, std::string_view frame, LineStatus status,
                           std::string_view code, int id, bool poll);
    // `baud`: the line speed the answer's wire time is taken at; 0 when unknown.
    void Settle(std::uint64_t seq, LineOutcome outcome, std::int64_t latencyUs = -1, int baud = 0);
    void Timeout(std::int64_t us, std::string_view code, int id, int transmission, bool poll);
    void Lost(std::int64_t us, int error);

    // --- read ---
    std::size_t Capacity() const { return ring_.size(); }
    std::size_t Size() const { return size_; }
    std::uint64_t FirstSeq() const { return nextSeq_ - size_; }
    std::uint64_t NextSeq() const { return nextSeq_; }
    // The entry with this seq while it is still in the ring, else nullptr.
    const LineEntry* Find(std::uint64_t seq) const;
    // The i-th oldest entry still held.
    const LineEntry& At(std::size_t i) const;
    void Clear();

    // `baud` is the line speed the summary compares with. Constant time.
    LineSummary Summary(int baud) const;

    // One line per entry, with the time in ms since `originUs`.
    static std::string TextLine(const LineEntry& e, std::int64_t originUs);
    static const char* CsvHeader();
    static std::string CsvLine(const LineEntry& e, std::int64_t originUs);
    // Bytes with control and non-ASCII characters written as \r, \n, \xNN.
    static std::string Printable(std::string_view bytes);
    static const char* StatusName(LineStatus status);
    static const char* OutcomeName(LineOutcome outcome);
    static const char* EventName(LineEvent event);

  private:
    LineEntry& Append(std::int64_t us, LineEvent event);
    std::size_t Slot(std::size_t i) const;
    void Fill(LineEntry& e, std::string_view text, std::size_t wireBytes);
    void Tell(const LineEntry& e, std::string_view wire) const;

    std::vector<LineEntry> ring_;
    std::size_t head_ = 0;  // where the next entry goes
    std::size_t size_ = 0;
    std::uint64_t nextSeq_ = 1;
    Listener listener_;
    // The received line so far, for the listener and to tell noise from a frame.
    std::string line_;
    bool lineHadFrame_ = false;
    bool holdBack_ = false;
    std::size_t lastSentBytes_ = 0;
    // Counters of every entry since the last Clear, ring or not.
    LineSummary counts_;
    std::int64_t firstUs_ = -1;
    std::int64_t lastUs_ = -1;
    // The answers still in the ring: their latencies, the excess over their wire time, and
    // the largest latency as a queue of decreasing latencies in seq order.
    LatencyHistogram latencies_;
    LatencyHistogram excess_;
    struct MaxItem {
        std::uint64_t seq = 0;
        std::int64_t us = 0;
    };
    std::vector<MaxItem> maxQueue_;
    std::size_t maxHead_ = 0;
    std::size_t maxSize_ = 0;
};

}  // namespace tavro
