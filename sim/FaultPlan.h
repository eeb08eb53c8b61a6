#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace tavro::sim {

// What can go wrong with one exchange on the line.
enum class FaultKind {
    kNoReply,          // the request never reaches the controller: not executed, no reply
    kLostReply,        // executed, but the reply is lost on the way back
    kCorruptChecksum,  // executed; the reply's checksum is off by one
    kWrongId,          // executed; the reply carries another controller's ID
    kWrongCode,        // executed; the reply echoes another command code (never "MO")
    kNg,               // refused: not executed, answered "NG"
    kNoise,            // executed; garbage bytes precede the reply's ":"
    kLateDuplicate,    // executed; the reply is sent a second time delayMs after the first
    kExtraDelay,       // executed; the reply leaves delayMs later than it would
};

inline constexpr int kUnlimited = -1;

// One planned fault: which requests it hits and how often.
struct Fault {
    Fault() = default;
    explicit Fault(FaultKind k, int n = 1) : kind(k), count(n) {}

    FaultKind kind = FaultKind::kNoReply;
    int count = 1;              // injections to make; kUnlimited for every hit
    std::string code;           // command code to match ("VE"); empty matches every command
    int id = 0;                 // addressed ID to match; 0 matches every ID
    int skip = 0;               // matching requests that pass untouched first
    int every = 1;              // after those, every n-th matching request is hit
    std::int64_t delayMs = 50;  // kExtraDelay: added delay; kLateDuplicate: gap to the copy
    // Percent; above 0 the fault hits that share of the matching requests at random instead of
    // every n-th one. Each such fault has its own slice of one draw per request, so two of
    // them never hit the same request.
    double chance = 0.0;
};

// The faults of one line, each with counters so that a test can check what was injected.
class FaultPlan {
  public:
    using Handle = std::size_t;

    FaultPlan() = default;
    virtual ~FaultPlan() = default;

    Handle Add(const Fault& fault);
    void Clear();
    std::size_t Size() const { return entries_.size(); }
    const Fault& At(Handle h) const { return entries_.at(h).fault; }

    // Requests that matched the fault's code and ID, and how many of them it hit.
    int Matched(Handle h) const { return entries_.at(h).matched; }
    int Injected(Handle h) const { return entries_.at(h).injected; }
    int Remaining(Handle h) const;
    // Sum over every fault of that kind.
    int TotalInjected(FaultKind kind) const;

    // Counts a request that a controller is about to answer and returns the faults that hit
    // it, in the order they were added.
    std::vector<Fault> Hit(std::string_view code, int id);
    // Requests counted by Hit.
    int Requests() const { return requests_; }
    // The random draws of the chance faults start again, from this number.
    void StartDraws(std::uint64_t start) { random_ = std::mt19937_64(start); }

  private:
    // A fault with what it has done so far.
    struct Entry {
        Fault fault;
        int matched = 0;
        int injected = 0;
    };
    std::vector<Entry> entries_;
    int requests_ = 0;
    std::mt19937_64 random_{1};
};

std::string_view FaultKindName(FaultKind kind);
std::optional<FaultKind> FaultKindFromName(std::string_view name);

// "KIND[:COUNT][,code=XX][,id=N][,skip=N][,every=N][,ms=N][,chance=PERCENT]" with COUNT a
// number or "*"; for example "no-reply:3,code=VE,id=2". nullopt with a one-line reason on
// error.
std::optional<Fault> ParseFault(std::string_view text, std::string& error);

}  // namespace tavro::sim
