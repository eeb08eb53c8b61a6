#include "monitor/SampleCsv.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <ctime>

namespace tavro {

namespace {

constexpr const char* kHeader =
    "time (ISO 8601 local),ms since start [ms],controller ID,position [mm],speed [mm/s],"
    "force [thrust setting],target position [mm],step number,status word [hex],"
    "monitor reply,event";

constexpr std::string_view kStepStart = "step start ";
constexpr std::string_view kStepEnd = "step end ";
constexpr std::string_view kAlarm = "alarm";
constexpr std::string_view kAlarmRecord = "alarm record";

// Decimals of the five values as the Monitor/Test page shows them.
constexpr std::array<int, 5> kDecimals = {3, 0, 1, 3, 0};
constexpr std::array<std::int64_t, 4> kScale = {1, 10, 100, 1000};

std::string Fixed(std::int64_t v, int decimals) {
    const std::int64_t scale = kScale[static_cast<std::size_t>(decimals)];
    const bool negative = v < 0;
    const std::uint64_t mag =
        negative ? static_cast<std::uint64_t>(-(v + 1)) + 1U : static_cast<std::uint64_t>(v);
    const auto uscale = static_cast<std::uint64_t>(scale);
    char buf[48];
    if (decimals == 0) {
        std::snprintf(buf, sizeof buf, "%s%llu", negative ? "-" : "",
                      static_cast<unsigned long long>(mag));
    } else {
        std::snprintf(buf, sizeof buf, "%s%llu.%0*llu", negative ? "-" : "",
                      static_cast<unsigned long long>(mag / uscale), decimals,
                      static_cast<unsigned long long>(mag % uscale));
    }
    return buf;
}

// The reverse of Fixed: exactly `decimals` digits after the point, or fewer.
std::optional<std::int64_t> ParseFixed(std::string_view t, int decimals) {
    bool negative = false;
    if (!t.empty() && t.front() == '-') {
        negative = true;
        t.remove_prefix(1);
    }
    const std::size_t dot = t.find('.');
    const std::string_view whole = t.substr(0, dot);
    std::string_view frac = dot == std::string_view::npos ? std::string_view{} : t.substr(dot + 1);
    if (whole.empty() || whole.size() > 15 || frac.size() > static_cast<std::size_t>(decimals)) {
        return std::nullopt;
    }
    std::int64_t w = 0;
    auto [p, ec] = std::from_chars(whole.data(), whole.data() + whole.size(), w);
    if (ec != std::errc() || p != whole.data() + whole.size()) {
        return std::nullopt;
    }
    std::int64_t f = 0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(decimals); ++i) {
        const char c = i < frac.size() ? frac[i] : '0';
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        f = f * 10 + (c - '0');
    }
    const std::int64_t v = w * kScale[static_cast<std::size_t>(decimals)] + f;
    return negative ? -v : v;
}

template <typename T>
std::optional<T> ParseInt(std::string_view t, int base = 10) {
    T v{};
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v, base);
    if (t.empty() || ec != std::errc() || p != t.data() + t.size()) {
        return std::nullopt;
    }
    return v;
}

std::string Prefix(const MonitorSample& s, std::int64_t startMs) {
    return SampleCsv::LocalTime(s.wallMs) + "," + std::to_string(s.timeMs - startMs) + "," +
           std::to_string(s.controllerId);
}

bool ReplyIsPrintable(std::string_view r) {
    for (const char c : r) {
        if (c <= ' ' || c > '~' || c == ',' || c == '"') {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string SampleCsv::Header() {
    return std::string(kHeader) + "\n";
}

std::string SampleCsv::LocalTime(std::int64_t wallMs) {
    std::int64_t secs = wallMs / 1000;
    std::int64_t ms = wallMs % 1000;
    if (ms < 0) {
        ms += 1000;
        --secs;
    }
    const auto t = static_cast<std::time_t>(secs);
    std::tm tm{};
    if (::localtime_r(&t, &tm) == nullptr) {
        return "";
    }
    char date[40];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &tm);
    const long off = tm.tm_gmtoff / 60;
    const long offAbs = off < 0 ? -off : off;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s.%03d%c%02ld:%02ld", date, static_cast<int>(ms),
                  off < 0 ? '-' : '+', offAbs / 60, offAbs % 60);
    return buf;
}

std::string SampleCsv::Lines(const MonitorSample& s, std::int64_t startMs) {
    std::string line = Prefix(s, startMs);
    for (std::size_t i = 0; i < s.values.size(); ++i) {
        line += ',';
        line += Fixed(s.values[i], kDecimals[i]);
    }
    char status[12];
    std::snprintf(status, sizeof status, ",%04X,", static_cast<unsigned>(s.status));
    line += status;
    // A reply of another length or with a separator in it is left out rather than break the
    // columns.
    if (ReplyIsPrintable(s.Reply())) {
        line.append(s.Reply());
    }
    line += ",\n";
    if (Has(s.marks, SampleMark::kStepEnd)) {
        line += EventLine(s, startMs, std::string(kStepEnd) + std::to_string(s.endedStep));
    }
    if (Has(s.marks, SampleMark::kStepStart)) {
        line += EventLine(s, startMs, std::string(kStepStart) + std::to_string(s.step));
    }
    if (Has(s.marks, SampleMark::kAlarm)) {
        line += EventLine(s, startMs, kAlarm);
    }
    return line;
}

std::string SampleCsv::EventLine(const MonitorSample& at, std::int64_t startMs,
                                 std::string_view event) {
    return Prefix(at, startMs) + ",,,,,,,," + std::string(event) + "\n";
}

std::string SampleCsv::AlarmRecordEvent(const std::vector<int>& codes) {
    std::string text(kAlarmRecord);
    for (const int c : codes) {
        text += ' ';
        text += std::to_string(c);
    }
    return text;
}

std::optional<MonitorRecord> SampleCsv::Parse(std::string_view text) {
    MonitorRecord record;
    bool header = false;
    std::size_t lines = 0;
    while (!text.empty() && lines < kMaxLines) {
        ++lines;
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (!header) {
            if (line != kHeader) {
                return std::nullopt;
            }
            header = true;
            continue;
        }
        std::array<std::string_view, kColumns> col{};
        std::size_t n = 0;
        std::string_view rest = line;
        for (;;) {
            const std::size_t comma = rest.find(',');
            if (n < kColumns) {
                col[n] = rest.substr(0, comma);
            }
            ++n;
            if (comma == std::string_view::npos) {
                break;
            }
            rest = rest.substr(comma + 1);
        }
        if (n != kColumns) {
            continue;
        }
        const auto ms = ParseInt<std::int64_t>(col[1]);
        const auto id = ParseInt<int>(col[2]);
        if (!ms || !id) {
            continue;
        }
        const std::string_view event = col[10];
        if (event.empty()) {
            MonitorSample s;
            s.timeMs = *ms;
            s.controllerId = *id;
            bool ok = true;
            for (std::size_t i = 0; i < s.values.size() && ok; ++i) {
                const auto v = ParseFixed(col[3 + i], kDecimals[i]);
                ok = v.has_value();
                s.values[i] = v.value_or(0);
            }
            const auto status = ParseInt<std::uint16_t>(col[8], 16);
            if (!ok || !status || col[8].size() > 4) {
                continue;
            }
            s.status = *status;
            if (col[9].size() == s.reply.size()) {
                for (std::size_t i = 0; i < s.reply.size(); ++i) {
                    s.reply[i] = col[9][i];
                }
            }
            record.samples.push_back(s);
            continue;
        }
        // An event belongs to the sample line above it with the same time.
        MonitorSample* owner = record.samples.empty() || record.samples.back().timeMs != *ms
                                   ? nullptr
                                   : &record.samples.back();
        const auto stepOf = [&](std::string_view prefix) -> std::optional<std::uint8_t> {
            if (!event.starts_with(prefix)) {
                return std::nullopt;
            }
            return ParseInt<std::uint8_t>(event.substr(prefix.size()));
        };
        if (event.starts_with(kAlarmRecord)) {
            std::vector<int> codes;
            std::string_view rest = event.substr(kAlarmRecord.size());
            bool ok = true;
            while (!rest.empty() && ok && codes.size() < 256) {
                if (rest.front() != ' ') {
                    ok = false;
                    break;
                }
                rest.remove_prefix(1);
                const std::size_t sp = rest.find(' ');
                const auto code = ParseInt<int>(rest.substr(0, sp));
                ok = code.has_value();
                codes.push_back(code.value_or(0));
                rest = sp == std::string_view::npos ? std::string_view{} : rest.substr(sp);
            }
            if (ok) {
                record.alarmCodes = std::move(codes);
            }
        } else if (event == kAlarm) {
            record.alarmMs = *ms;
            if (owner != nullptr) {
                owner->marks = owner->marks | SampleMark::kAlarm;
            }
        } else if (const auto start = stepOf(kStepStart); start && owner != nullptr) {
            owner->marks = owner->marks | SampleMark::kStepStart;
            owner->step = *start;
        } else if (const auto end = stepOf(kStepEnd); end && owner != nullptr) {
            owner->marks = owner->marks | SampleMark::kStepEnd;
            owner->endedStep = *end;
        }
    }
    if (!header) {
        return std::nullopt;
    }
    return record;
}

}  // namespace tavro
