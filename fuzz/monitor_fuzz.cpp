// Arbitrary "MO" and "RE" reply data through the monitor and alarm decoders, in any front
// window, series, link state and alarm-history length. A reply of the wrong length changes
// nothing; every value text shown is "-" or a number with its field's decimals; an alarm reply
// of the right length yields exactly its number of codes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "link/LinkContext.h"
#include "link/Numbers.h"
#include "link/VirtualLoop.h"
#include "monitor/CMonData.h"

namespace {

using namespace tavro;

// Records what the decoders show.
class ShownHost : public LinkHost, public DrivePageClient {
  public:
    explicit ShownHost(StatusBlock& status) : status_(status) {}
    void SetLinkState(LinkState state) override { status_.linkState = state; }
    void ShowMonitorValue(int controlId, const std::string& text) override {
        values.emplace_back(controlId, text);
    }
    void ShowAlarms(const std::vector<int>& codes) override {
        alarms = codes;
        ++alarmCalls;
    }
    void ShowStatusLamps(std::uint16_t, bool) override { ++lampCalls; }

    std::vector<std::pair<int, std::string>> values;
    std::vector<int> alarms;
    int alarmCalls = 0;
    int lampCalls = 0;

  private:
    StatusBlock& status_;
};

bool SameState(const MonitorState& a, const MonitorState& b) {
    return a.lastValues == b.lastValues && a.statusWord == b.statusWord &&
           a.lastStatusWord == b.lastStatusWord && a.forceRefresh == b.forceRefresh &&
           a.suppressPageLamps == b.suppressPageLamps && a.stale == b.stale &&
           a.lastOriginBit == b.lastOriginBit && a.lastAlarmClearBit == b.lastAlarmClearBit &&
           a.values == b.values && a.alarmCodes == b.alarmCodes;
}

// Decimals each value control shows.
int DecimalsOf(int controlId) {
    switch (controlId) {
        case 1731:
        case 1734:
            return 3;
        case 1733:
            return 1;
        default:
            return 0;
    }
}

void CheckValueText(int controlId, const std::string& text) {
    TAVRO_FUZZ_CHECK(controlId >= 1730 && controlId <= 1734);
    if (text == "-") {
        return;
    }
    TAVRO_FUZZ_CHECK(!text.empty() && text.size() < 64);
    const std::size_t point = text.find('.');
    const int decimals = DecimalsOf(controlId);
    if (decimals == 0) {
        TAVRO_FUZZ_CHECK(point == std::string::npos);
    } else {
        TAVRO_FUZZ_CHECK(point != std::string::npos &&
                         text.size() - point - 1 == static_cast<std::size_t>(decimals));
    }
    for (char c : text) {
        TAVRO_FUZZ_CHECK((c >= '0' && c <= '9') || c == '.' || c == '-');
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ByteReader in(data, size);
    VirtualLoop loop;
    LinkContext ctx(loop, "/nonexistent");
    ShownHost host(ctx.status);
    ctx.host = &host;
    ctx.drivePage = &host;
    constexpr int kSeries[] = {0, 1, 2, 3, 7};
    const int series = kSeries[in.Below(5)];
    ctx.status.series[0] = series;
    ctx.status.seriesScale[0] = series == 1 ? 125 : series == 2 ? 3000 : series == 3 ? 500 : 0;
    ctx.status.frontPhase = in.Flag() ? kFrontMain : kFrontProgress;
    ctx.status.linkState = static_cast<LinkState>(in.Below(5));
    ctx.status.controlType = in.Below(3);
    ctx.status.flags = in.Flag() ? kFlagOriginDone : 0;
    ctx.status.alarmHistoryCount = static_cast<std::int8_t>(in.Flag() ? 20 : 4);
    ctx.trx.originWait = in.Flag();
    ctx.trx.stepWait = in.Flag();

    CMonData mon(ctx);
    // The rest: replies, each a length byte and that many characters; a flag picks the decoder.
    while (!in.Empty()) {
        const bool alarm = in.Flag();
        const std::string text = in.Text(in.Byte());
        const MonitorState before = ctx.monitor;
        host.values.clear();
        const int alarmCalls = host.alarmCalls;
        const int lampCalls = host.lampCalls;
        if (alarm) {
            mon.ParseAlarm(text);
            const auto n = static_cast<std::size_t>(ctx.status.alarmHistoryCount);
            if (text.size() == 2 * n) {
                TAVRO_FUZZ_CHECK(ctx.monitor.alarmCodes.size() == n);
                TAVRO_FUZZ_CHECK(host.alarmCalls == alarmCalls + 1);
                TAVRO_FUZZ_CHECK(host.alarms == ctx.monitor.alarmCodes);
            } else {
                TAVRO_FUZZ_CHECK(SameState(before, ctx.monitor));
                TAVRO_FUZZ_CHECK(host.alarmCalls == alarmCalls);
            }
            continue;
        }
        mon.Parse(text);
        if (text.size() != CMonData::kReplyLength) {
            TAVRO_FUZZ_CHECK(SameState(before, ctx.monitor));
            TAVRO_FUZZ_CHECK(host.values.empty() && host.lampCalls == lampCalls);
            continue;
        }
        for (const auto& [id, shown] : host.values) {
            CheckValueText(id, shown);
        }
        // The same reply again redraws nothing, unless a wait that ended asked for it.
        if (!ctx.monitor.forceRefresh && ctx.status.frontPhase == kFrontMain) {
            host.values.clear();
            const int lamps = host.lampCalls;
            mon.Parse(text);
            TAVRO_FUZZ_CHECK(host.values.empty() || ctx.monitor.forceRefresh);
            TAVRO_FUZZ_CHECK(host.lampCalls == lamps || ctx.monitor.forceRefresh);
        }
    }
    for (std::size_t i = 0; i < MonitorState::kValueCount; ++i) {
        // Counts of at most 32 bits, at most 30 µm each.
        const std::int64_t v = mon.Value(i);
        TAVRO_FUZZ_CHECK(v >= -130000000000LL && v <= 130000000000LL);
    }
    return 0;
}
