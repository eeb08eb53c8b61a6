#include "monitor/CMonData.h"

#include <array>
#include <cstdlib>

#include "link/CStatusFlg.h"
#include "link/CTrxData.h"
#include "link/Numbers.h"

namespace tavro {

namespace {

// The value controls of the Monitor/Test page.
constexpr int IDC_STEP_NUMBER = 1730;
constexpr int IDC_POSITION = 1731;
constexpr int IDC_SPEED = 1732;
constexpr int IDC_FORCE = 1733;
constexpr int IDC_TARGET_POSITION = 1734;

// The five fields of the values block.
struct ValueField {
    std::size_t offset;
    std::size_t length;
    int decimals;
    const char* format;
    int controlId;  // where the Monitor/Test page shows it
    bool position;  // raw count to 0.001 mm
};

constexpr std::array<ValueField, MonitorState::kValueCount> kFields = {{
    {0, 8, 3, "%.3f", IDC_POSITION, true},          // current position, mm
    {8, 4, 0, "%.0f", IDC_SPEED, false},            // current speed, mm/s
    {12, 2, 1, "%.1f", IDC_FORCE, false},           // current force
    {14, 8, 3, "%.3f", IDC_TARGET_POSITION, true},  // target position, mm
    {22, 2, 0, "%.0f", IDC_STEP_NUMBER, false},     // step data number
}};

constexpr std::size_t kCurrentPosition = 0;
constexpr std::size_t kTargetPosition = 3;
constexpr std::size_t kStepNumber = 4;

constexpr std::size_t kStatusChars = 4;
constexpr std::size_t kCodeChars = 2;
constexpr std::uint32_t kPositionZeroCount = 1000000;
constexpr std::uint32_t kNoPositionCount = 0xFFFF;  // shown as the number itself
constexpr float kScaleDivisor = 100000.0F;
constexpr const char* kNoValue = "-";  // string 732

constexpr float kPowersOfTen[] = {1.0F, 10.0F, 100.0F, 1000.0F};

// A piece of hexadecimal text as "%x" reads it: leading blanks, an optional sign and "0x",
// up to the first character that is not a digit; 0 when there is none.
std::uint32_t Hex(std::string_view piece) {
    char buf[16] = {};
    const std::size_t n = piece.size() < sizeof buf - 1 ? piece.size() : sizeof buf - 1;
    for (std::size_t i = 0; i < n; ++i) {
        buf[i] = piece[i];
    }
    return static_cast<std::uint32_t>(std::strtoul(buf, nullptr, 16));
}

}  // namespace

std::uint16_t CMonData::ReplyStatus(std::string_view data) {
    return static_cast<std::uint16_t>(Hex(data.substr(0, kStatusChars)));
}

std::int64_t CMonData::Value(std::size_t field) const {
    return field < MonitorState::kValueCount ? ctx_.monitor.values[field] : 0;
}

void CMonData::Parse(std::string_view data) {
    if (data.size() != kReplyLength) {
        return;
    }
    MonitorState& m = ctx_.monitor;
    TrxState& t = ctx_.trx;
    CStatusFlg status(ctx_);
    LinkHost& host = ctx_.Host();
    const std::uint16_t word = ReplyStatus(data);
    bool redisplay = false;
    if (m.stale) {
        // The controller answers again: everything is drawn from this reply.
        m.stale = false;
        m.forceRefresh = true;
        m.lastValues.clear();
    }

    if (status.GetFrontPhase() == kFrontMain && (word != m.lastStatusWord || m.forceRefresh)) {
        host.ShowStatusLamps(word, !m.suppressPageLamps);
        m.statusWord = word;
        const bool origin = (word & kBitOriginDone) != 0;
        if (origin != m.lastOriginBit) {
            status.SetOriginDone(origin);
            m.lastOriginBit = origin;
            redisplay = true;
        }
        const bool alarmClear = (word & kBitAlarmClear) == 0;
        if (alarmClear != m.lastAlarmClearBit) {
            m.lastAlarmClearBit = alarmClear;
            if ((word & kBitAlarmClear) == 0) {
                // An alarm appeared: read the record, and lock the reset until it is read.
                CTrxData(ctx_).Run(OP_ALARM, 0, 0);
                ctx_.DrivePage().SetAlarmResetEnable(false);
            } else {
                ctx_.DrivePage().SetAlarmResetEnable(true);
            }
        }
        m.lastStatusWord = word;
        m.forceRefresh = false;
        m.suppressPageLamps = false;
    }

    // The waits end on the status word taken over, so they do not end while another window
    // than the main window is in front.
    if (t.originWait && (m.statusWord & kBitOriginDone) != 0) {
        CTrxData(ctx_).OnWaitedBit(0);
        m.forceRefresh = true;
        status.SetOriginDone(true);
    }
    if (t.stepWait && (m.statusWord & kBitInPosition) != 0) {
        CTrxData(ctx_).OnWaitedBit(kStatusStepComplete);
        m.forceRefresh = true;
    }

    if (ParseValues(data.substr(kStatusChars)) || redisplay) {
        FormatValues();
    }
    if (m.onReply) {
        m.onReply();
    }
}

void CMonData::ShowSilence() {
    ctx_.monitor.stale = true;
    if (CStatusFlg(ctx_).GetFrontPhase() == kFrontMain) {
        ctx_.Host().ShowStatusUnknown();
    }
    FormatValues();
}

bool CMonData::ParseValues(std::string_view block) {
    MonitorState& m = ctx_.monitor;
    if (block.size() != kValuesLength || block == m.lastValues) {
        return false;
    }
    const float scale = static_cast<float>(CStatusFlg(ctx_).GetSeriesScale(0));
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        const ValueField& f = kFields[i];
        const std::uint32_t raw = Hex(block.substr(f.offset, f.length));
        std::int64_t value = raw;
        if (f.position && raw != kNoPositionCount) {
            // Counts fall from 1000000 at the connector end; single precision as the
            // controller's own tool computed it.
            const float perCount = (scale / kScaleDivisor) * 1000.0F;
            const float counts = static_cast<float>(static_cast<std::int64_t>(kPositionZeroCount) -
                                                    static_cast<std::int64_t>(raw));
            value = TruncToInt64(static_cast<double>(perCount * counts));
        }
        m.values[i] = value;
    }
    m.lastValues.assign(block);
    return true;
}

void CMonData::ParseAlarm(std::string_view data) {
    const int n = CStatusFlg(ctx_).GetAlarmHistoryCount();
    if (n <= 0 || data.size() != static_cast<std::size_t>(n) * kCodeChars) {
        return;
    }
    std::vector<int> codes;
    codes.reserve(static_cast<std::size_t>(n));
    for (std::size_t i = 0; i < data.size(); i += kCodeChars) {
        codes.push_back(static_cast<int>(Hex(data.substr(i, kCodeChars))));
    }
    ctx_.monitor.alarmCodes = codes;
    ctx_.DrivePage().ShowAlarms(codes);
}

void CMonData::FormatValues() {
    CStatusFlg status(ctx_);
    const MonitorState& m = ctx_.monitor;
    const LinkState link = status.GetLinkState();
    const bool shown =
        status.IsOriginDone() && link != kLinkNoController && link != kLinkNoPort && !m.stale;
    const bool busy = (m.statusWord & kBitBusy) != 0;
    const int type = status.GetControlType();
    // The target position means something only for the pulse type in monitor mode.
    const bool targetHidden =
        type == kControlTypeStep || (type == kControlTypePulse && link != kLinkMonitorMode);
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        const ValueField& f = kFields[i];
        std::string text = kNoValue;
        if (!shown) {
            status.SetCurrentPosition(0.0F);
        } else if ((i == kTargetPosition || i == kStepNumber) && !busy) {
            // left as "-"
        } else if (i == kTargetPosition && targetHidden) {
            // left as "-"
        } else {
            const float q = static_cast<float>(m.values[i]) /
                            kPowersOfTen[static_cast<std::size_t>(f.decimals)];
            text = Format(f.format, static_cast<double>(q));
            if (i == kCurrentPosition) {
                status.SetCurrentPosition(q);
            }
        }
        ctx_.DrivePage().ShowMonitorValue(f.controlId, text);
    }
}

}  // namespace tavro
