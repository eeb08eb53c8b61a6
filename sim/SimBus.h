#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "link/EventLoop.h"
#include "link/FrameAssembler.h"
#include "sim/BusScheduler.h"
#include "sim/ControllerOptions.h"
#include "sim/FaultPlan.h"
#include "sim/SimController.h"

namespace tavro::sim {

enum class Direction { kRequest, kReply };

// One frame on the line, as the log keeps it.
struct LineRecord {
    // Requests: when the last byte reached the controllers; replies: when the last byte
    // reached the host. Milliseconds of the bus's loop.
    std::int64_t timeMs = 0;
    Direction direction = Direction::kRequest;
    std::string text;     // between ":" and CR
    std::string bytes;    // everything sent for this record, noise included
    int id = -1;          // request: addressed ID; reply: its ID field; -1 when unreadable
    std::string code;     // the two-letter command code (reply: the echoed one)
    std::string command;  // request: the command text after "ID "
    bool checksumOk = false;
    std::vector<FaultKind> faults;  // what was injected into this exchange
};

// One serial line with one or more controllers on it, driven by an event loop. The host end
// (an in-memory line or the pseudo-terminal of tavro-sim) hands its bytes in with FromHost
// and receives replies through its sink. With byte timing on, every character costs
// 11 bits / line speed in both directions and a controller waits at least its minimum
// communication delay (0/24) before replying; with it off, replies come back at once.
//
// A controller whose own line speed (0/22 at power-on) differs from the line speed hears
// only garbage and stays silent, as on a real line; SetSpeedCheck(false) lifts that.
class SimBus {
  public:
    static constexpr int kBitsPerCharacter = 11;  // start, 8 data, parity, stop
    static constexpr std::size_t kDefaultLogLimit = 100000;

    using HostSink = std::function<void(std::string_view bytes)>;
    using LogSink = std::function<void(const LineRecord& record)>;

    explicit SimBus(EventLoop& loop);
    virtual ~SimBus();
    SimBus(const SimBus&) = delete;
    SimBus& operator=(const SimBus&) = delete;

    EventLoop& Loop() { return loop_; }

    SimController& AddController(const ControllerOptions& options);
    // The first controller answering to `id` now; nullptr when none does.
    SimController* Controller(int id);
    SimController& ControllerAt(std::size_t index) { return *controllers_.at(index); }
    const SimController& ControllerAt(std::size_t index) const { return *controllers_.at(index); }
    std::size_t ControllerCount() const { return controllers_.size(); }

    FaultPlan& Faults() { return faults_; }

    void SetLineSpeed(int baud);
    int LineSpeed() const { return baud_; }
    void SetByteTiming(bool on) { timing_ = on; }
    bool ByteTiming() const { return timing_; }
    void SetSpeedCheck(bool on) { speedCheck_ = on; }
    bool SpeedCheck() const { return speedCheck_; }
    // Microseconds one character takes on the wire at the line speed.
    double CharacterMicros() const;
    // Paces the characters on this scheduler's deadlines instead of the loop's millisecond
    // timers; nullptr goes back to the loop. Set it before the first byte.
    void SetScheduler(BusScheduler* scheduler) { scheduler_ = scheduler; }

    const std::deque<LineRecord>& Log() const { return log_; }
    void ClearLog() { log_.clear(); }
    // The oldest records go once the log holds this many; 0 keeps none (the sink still runs).
    void SetLogLimit(std::size_t limit);
    void SetLogSink(LogSink sink) { logSink_ = std::move(sink); }
    // Requests in the log with this code (empty: any) to this ID (0: any).
    std::vector<LineRecord> Requests(std::string_view code = {}, int id = 0) const;
    std::vector<LineRecord> Replies(std::string_view code = {}, int id = 0) const;

    // The host end. Only one host at a time: Attach fails while another is attached.
    bool Attach(HostSink sink);
    void Detach();
    bool HostAttached() const { return static_cast<bool>(host_); }
    // Bytes the host puts on the line; they reach the controllers through the loop.
    void FromHost(std::string_view bytes);

  private:
    using Action = std::function<void(std::int64_t atUs)>;

    void At(std::int64_t atUs, Action action);
    void OnFrame(std::string_view text);
    void Transmit(std::string bytes, LineRecord record, std::int64_t startUs, bool occupiesLine);
    void Record(LineRecord record);
    std::int64_t NowUs() const {
        return scheduler_ != nullptr ? scheduler_->NowUs() : loop_.NowMs() * 1000;
    }
    std::int64_t WireUs(std::size_t characters) const;

    EventLoop& loop_;
    std::vector<std::unique_ptr<SimController>> controllers_;
    FaultPlan faults_;
    int baud_ = 19200;
    bool timing_ = false;
    bool speedCheck_ = true;
    FrameAssembler assembler_;
    HostSink host_;
    std::deque<LineRecord> log_;
    std::size_t logLimit_ = kDefaultLogLimit;
    LogSink logSink_;
    std::int64_t hostFreeUs_ = 0;
    std::int64_t lineFreeUs_ = 0;
    std::int64_t arrivalUs_ = 0;  // of the bytes being fed to the assembler
    std::uint64_t nextPending_ = 0;
    std::map<std::uint64_t, std::uint64_t> pending_;  // loop timers or scheduler ids
    BusScheduler* scheduler_ = nullptr;
};

}  // namespace tavro::sim
