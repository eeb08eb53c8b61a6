#include "sim/FaultPlan.h"

#include <array>
#include <charconv>

namespace tavro::sim {

namespace {

// A fault kind and its name on the command line.
struct KindName {
    FaultKind kind;
    std::string_view name;
};

constexpr std::array<KindName, 9> kKindNames = {{
    {FaultKind::kNoReply, "no-reply"},
    {FaultKind::kLostReply, "lost-reply"},
    {FaultKind::kCorruptChecksum, "checksum"},
    {FaultKind::kWrongId, "wrong-id"},
    {FaultKind::kWrongCode, "wrong-code"},
    {FaultKind::kNg, "ng"},
    {FaultKind::kNoise, "noise"},
    {FaultKind::kLateDuplicate, "duplicate"},
    {FaultKind::kExtraDelay, "delay"},
}};

// Faults are counted in ints; a larger number on a command line is a typo.
constexpr long long kMaxNumber = 100000000;

bool ParseNumber(std::string_view text, long long& out) {
    if (text.empty()) {
        return false;
    }
    long long v = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), v);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size() || v < 0 || v > kMaxNumber) {
        return false;
    }
    out = v;
    return true;
}

// A share in percent, above 0 and at most 100, as decimal text.
bool ParsePercent(std::string_view text, double& out) {
    if (text.empty() || text.size() > 12) {
        return false;
    }
    double v = 0.0;
    const auto res =
        std::from_chars(text.data(), text.data() + text.size(), v, std::chars_format::fixed);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size() || !(v > 0.0) || v > 100.0) {
        return false;
    }
    out = v;
    return true;
}

}  // namespace

FaultPlan::Handle FaultPlan::Add(const Fault& fault) {
    entries_.push_back(Entry{fault, 0, 0});
    return entries_.size() - 1;
}

void FaultPlan::Clear() {
    entries_.clear();
}

int FaultPlan::Remaining(Handle h) const {
    const Entry& e = entries_.at(h);
    if (e.fault.count == kUnlimited) {
        return kUnlimited;
    }
    return e.fault.count > e.injected ? e.fault.count - e.injected : 0;
}

int FaultPlan::TotalInjected(FaultKind kind) const {
    int total = 0;
    for (const Entry& e : entries_) {
        if (e.fault.kind == kind) {
            total += e.injected;
        }
    }
    return total;
}

std::vector<Fault> FaultPlan::Hit(std::string_view code, int id) {
    ++requests_;
    std::vector<Fault> hits;
    bool drawn = false;
    double draw = 0.0;
    double slice = 0.0;  // where the next chance fault's slice begins
    for (Entry& e : entries_) {
        const Fault& f = e.fault;
        const double lo = slice;
        slice += f.chance > 0.0 ? f.chance : 0.0;
        if ((!f.code.empty() && f.code != code) || (f.id != 0 && f.id != id)) {
            continue;
        }
        const int n = e.matched++;
        if (f.count != kUnlimited && e.injected >= f.count) {
            continue;
        }
        if (n < f.skip) {
            continue;
        }
        if (f.chance > 0.0) {
            if (!drawn) {
                draw = std::uniform_real_distribution<double>(0.0, 100.0)(random_);
                drawn = true;
            }
            if (draw < lo || draw >= lo + f.chance) {
                continue;
            }
        } else {
            const int every = f.every > 0 ? f.every : 1;
            if ((n - f.skip) % every != 0) {
                continue;
            }
        }
        ++e.injected;
        hits.push_back(f);
    }
    return hits;
}

std::string_view FaultKindName(FaultKind kind) {
    for (const auto& k : kKindNames) {
        if (k.kind == kind) {
            return k.name;
        }
    }
    return "?";
}

std::optional<FaultKind> FaultKindFromName(std::string_view name) {
    for (const auto& k : kKindNames) {
        if (k.name == name) {
            return k.kind;
        }
    }
    return std::nullopt;
}

std::optional<Fault> ParseFault(std::string_view text, std::string& error) {
    Fault fault;
    const std::string_view head = text.substr(0, text.find(','));
    const bool hasOptions = head.size() < text.size();
    std::string_view rest = hasOptions ? text.substr(head.size() + 1) : std::string_view();

    const auto colon = head.find(':');
    const auto kind = FaultKindFromName(head.substr(0, colon));
    if (!kind) {
        error = "unknown fault \"" + std::string(head.substr(0, colon)) + "\"";
        return std::nullopt;
    }
    fault.kind = *kind;
    if (colon != std::string_view::npos) {
        const std::string_view count = head.substr(colon + 1);
        long long n = 0;
        if (count == "*") {
            fault.count = kUnlimited;
        } else if (ParseNumber(count, n) && n > 0) {
            fault.count = static_cast<int>(n);
        } else {
            error = "bad fault count \"" + std::string(count) + "\"";
            return std::nullopt;
        }
    }

    bool more = hasOptions;
    while (more) {
        const std::string_view item = rest.substr(0, rest.find(','));
        more = item.size() < rest.size();
        rest = more ? rest.substr(item.size() + 1) : std::string_view();
        const auto eq = item.find('=');
        const std::string_view key = item.substr(0, eq);
        const std::string_view value =
            eq == std::string_view::npos ? std::string_view() : item.substr(eq + 1);
        long long n = 0;
        if (key == "code" && value.size() == 2) {
            fault.code = std::string(value);
        } else if (key == "id" && ParseNumber(value, n) && n >= 1 && n <= 255) {
            fault.id = static_cast<int>(n);
        } else if (key == "skip" && ParseNumber(value, n)) {
            fault.skip = static_cast<int>(n);
        } else if (key == "every" && ParseNumber(value, n) && n >= 1) {
            fault.every = static_cast<int>(n);
        } else if (key == "ms" && ParseNumber(value, n)) {
            fault.delayMs = n;
        } else if (key == "chance" && ParsePercent(value, fault.chance)) {
        } else {
            error = "bad fault option \"" + std::string(item) + "\"";
            return std::nullopt;
        }
    }
    return fault;
}

}  // namespace tavro::sim
